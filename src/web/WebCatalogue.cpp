#include "WebCatalogue.h"

#include "app/AppContext.h"
#include "format/Grid.h"
#include "format/GridFiller.h"
#include "images/BackgroundImages.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"
#include "storage/Transaction.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kestrio {

namespace {

QStringList ColumnNames()
{
    return {QStringLiteral("ID"), QStringLiteral("fPath"), QStringLiteral("pPath"), QString(),
            QString(),            QStringLiteral("Clas"),  QStringLiteral("Name"),  QStringLiteral("Dat")};
}

QStringList ColumnHeaders()
{
    return {QStringLiteral("ID"),   QStringLiteral("格式"),     QStringLiteral("图片"),     QStringLiteral("序号"),
            QStringLiteral("选择"), QStringLiteral("类别"), QStringLiteral("格式名称"), QStringLiteral("更新日期")};
}

} // namespace

QString WebCatalogue::NoAddressMessage()
{
    return QStringLiteral("没有设置格式目录服务器（参数“网站地址”）。\r\n"
                          "请点“网站地址…”填写服务器地址，例如 http://192.168.1.10:8080，\r\n"
                          "或在命令行运行：kestrio set-parameter 网站地址 http://192.168.1.10:8080");
}

QString WebCatalogue::InvalidAddressMessage(const QString& typed)
{
    return QStringLiteral("网站地址无效：“") + typed + QStringLiteral("”；应为 http://服务器:端口 或 https://服务器 的形式。");
}

WebCatalogue::WebCatalogue(AppContext& app, HttpClient& http) : mApp(app), mWeb(http, app.Time()) {}

QString WebCatalogue::NormalizeAddress(const QString& typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty()) return {};
    if (!text.contains(QStringLiteral("://"))) text.prepend(QStringLiteral("http://"));
    while (text.endsWith(QLatin1Char('/'))) text.chop(1);
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.hasQuery() || url.hasFragment())
        return {};
    return text;
}

QString WebCatalogue::ServerAddress(AppContext& app)
{
    return NormalizeAddress(app.Parameters().GetParam(AddressParameter()));
}

QString WebCatalogue::CatalogueUrl(const QString& address)
{
    return address + QStringLiteral("/tkd/fmt.asp?key=支票");
}

QString WebCatalogue::FileUrl(const QString& address, const QString& serverPath)
{
    return serverPath.startsWith(QLatin1Char('/')) ? address + serverPath : address + QLatin1Char('/') + serverPath;
}

QList<WebCatalogue::Entry> WebCatalogue::ParseCatalogue(const QString& text)
{
    QList<Entry> entries;
    const QStringList pieces = text.split(QStringLiteral("<br>"));
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QStringList fields = pieces[i].split(QLatin1Char('|'));
        if (fields.size() != 5) continue;
        entries.append({fields[0], fields[1], fields[2], fields[3], ReadDate(fields[4])});
    }
    return entries;
}

// Servers write dates as 2024-01-05, 2024/1/5 or 2024.01.05, some with the time after them.
QDate WebCatalogue::ReadDate(const QString& text)
{
    QString date = text.trimmed().section(QLatin1Char(' '), 0, 0);
    date.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char('.'), QLatin1Char('-'));
    return QDate::fromString(date, QStringLiteral("yyyy-M-d"));
}

bool WebCatalogue::StoreCatalogue(const QList<Entry>& entries)
{
    Transaction transaction(mApp.Db());
    if (!mApp.DbOp().ExecuteSql(QStringLiteral("DELETE * FROM 网站格式"))) return false;
    Recordset rows = mApp.DbOp().OpenQuery(QStringLiteral("SELECT * FROM 网站格式"));
    if (!rows.IsUpdatable()) return false;
    for (const Entry& entry : entries) {
        rows.AddNew();
        rows.SetValue(QStringLiteral("Clas"), entry.clas);
        rows.SetValue(QStringLiteral("Name"), entry.name);
        rows.SetValue(QStringLiteral("fPath"), entry.fPath);
        rows.SetValue(QStringLiteral("pPath"), entry.pPath);
        rows.SetValue(QStringLiteral("Dat"), entry.dat.isValid() ? QVariant(entry.dat) : QVariant());
        if (!rows.Update()) return false;
    }
    return transaction.Commit();
}

void WebCatalogue::FillCatalogueGrid(Grid& grid)
{
    GridFiller::LayoutGrid(grid, ColumnNames(), ColumnHeaders());
    grid.tag = QStringLiteral("网站格式");
    GridFiller::FillGrid(mApp.DbOp(), grid, QString(), QStringLiteral("Clas,Name"));
}

WebCatalogue::Entry WebCatalogue::EntryOfRow(const Grid& grid, int row)
{
    return {grid.Text(row, ColClas), grid.Text(row, ColName), grid.Text(row, ColFormatPath),
            grid.Text(row, ColPicturePath), ReadDate(grid.Text(row, ColDat))};
}

QString WebCatalogue::LocalFileName(const QString& networkName)
{
    const QString name = BackgroundImages::SafeName(networkName);
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return {};
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control) return {};
    return name;
}

QString WebCatalogue::PreviewPath(const QString& pPath) const
{
    const QString name = LocalFileName(pPath.section(QLatin1Char('/'), -1));
    return name.isEmpty() ? QString() : QDir(mApp.Paths().TempFolder()).filePath(name);
}

QString WebCatalogue::DownloadPath(const QString& name, const QString& suffix) const
{
    const QString safe = LocalFileName(name);
    return safe.isEmpty() ? QString() : QDir(mApp.Paths().TempFolder()).filePath(safe + suffix);
}

void WebCatalogue::UpdateCatalogue(std::function<void(WebText::TextResult)> done)
{
    const QString address = ServerAddress(mApp);
    if (address.isEmpty()) {
        done({WebText::NetworkError(), NoAddressMessage(), {}});
        return;
    }
    mWeb.GetTextRetry(CatalogueUrl(address), CatalogueMarker(), mListLimit,
                      [this, done = std::move(done)](WebText::TextResult result) {
                          if (result.ok() && !StoreCatalogue(ParseCatalogue(result.text))) {
                              result.error = WebText::NetworkError();
                              result.reason = QStringLiteral("格式列表无法存入数据库");
                          }
                          done(result);
                      });
}

void WebCatalogue::FetchPreview(const QString& pPath, std::function<void(QString)> done)
{
    const QString path = PreviewPath(pPath);
    const QString address = ServerAddress(mApp);
    if (path.isEmpty() || QFileInfo::exists(path) || address.isEmpty()) {
        done(QFileInfo::exists(path) ? path : QString());
        return;
    }
    mApp.Paths().EnsureTempFolder();
    mWeb.GetFile(FileUrl(address, pPath), path, mPreviewLimit,
                 [path, done = std::move(done)](const QString& error) { done(error.isEmpty() ? path : QString()); });
}

void WebCatalogue::DownloadFormat(const Entry& entry, std::function<void(QString)> done)
{
    const QString address = ServerAddress(mApp);
    const QString picture = DownloadPath(entry.name, QStringLiteral(".jpg"));
    const QString format = DownloadPath(entry.name, QStringLiteral(".zhq"));
    if (address.isEmpty()) {
        mApp.Prompt().Message(NoAddressMessage(), Prompter::Icon::Warning);
        done({});
        return;
    }
    if (format.isEmpty()) {
        mApp.Prompt().Message(QStringLiteral("格式名称“") + entry.name + QStringLiteral("”不能用作文件名，无法下载！"),
                              Prompter::Icon::Warning);
        done({});
        return;
    }
    mApp.Paths().EnsureTempFolder();
    mApp.Indicator().ShowProgress(QStringLiteral("正在下载..."), 2, 0);
    const QDeadlineTimer deadline(mDownloadLimit);
    const auto left = [deadline] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::ceil<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
    };
    auto finish = [this, format, done](const QString& error) {
        mApp.Indicator().CloseProgress();
        if (!error.isEmpty() && error != WebText::CancelledError())
            mApp.Prompt().Message(QStringLiteral("无法打开下载文档：\r\n") + format + QStringLiteral("\r\n") + error,
                                  Prompter::Icon::Critical);
        done(error.isEmpty() ? format : QString());
    };
    // A format may come without a picture: a failed picture only means none is imported,
    // unless the time is up or the user stopped the download.
    mWeb.GetFile(FileUrl(address, entry.pPath), picture, left(), [=, this](const QString& pictureError) {
        if (pictureError == WebText::CancelledError() || pictureError.startsWith(WebText::TimeoutError())) {
            finish(pictureError);
            return;
        }
        mApp.Indicator().StepProgress(1);
        mWeb.GetFile(FileUrl(address, entry.fPath), format, left(), finish);
    });
}

} // namespace kestrio
