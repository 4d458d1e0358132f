#include "UpdateCheck.h"

#include "WebCatalogue.h"
#include "app/AppContext.h"
#include "seams/Prompter.h"
#include "storage/SqlQuote.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace kestrio {

namespace {

// The leading version number of `text` as written there ("2.05版)" gives "2.05", "0.1.5版"
// gives "0.1.5").
QString LeadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)*)"));
    return number.match(text).captured(1);
}

} // namespace

UpdateCheck::UpdateCheck(AppContext& app, HttpClient& http, QString ownVersion)
    : mApp(app), mWeb(http, app.Time()), mOwnVersion(std::move(ownVersion)),
      mProgramFolder(QCoreApplication::applicationDirPath()),
      mProgramFile(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
{
}

QString UpdateCheck::OwnVersionText()
{
    return QStringLiteral(KESTRIO_VERSION);
}

void UpdateCheck::SetProgram(const QString& folder, const QString& fileName)
{
    mProgramFolder = folder;
    mProgramFile = fileName;
}

QString UpdateCheck::ProductUrl(const QString& address, int product)
{
    return address + QStringLiteral("/velmorasoft/downpage/Pro.asp?ID=") + QString::number(product);
}

QStringList UpdateCheck::VersionParts(const QString& text)
{
    QString kept;
    for (const QChar c : text)
        if (c.isDigit() || c == QLatin1Char('.')) kept += c;
    QStringList parts = LeadingNumber(kept).split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (QString& part : parts) {
        while (part.size() > 1 && part.startsWith(QLatin1Char('0'))) part.remove(0, 1);
    }
    while (!parts.isEmpty() && parts.last() == QLatin1String("0")) parts.removeLast();
    return parts;
}

// Parts are compared as numbers of any length: the longer number is the larger.
int UpdateCheck::CompareVersions(const QString& a, const QString& b)
{
    const QStringList left = VersionParts(a);
    const QStringList right = VersionParts(b);
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const QString x = left.value(i, QStringLiteral("0"));
        const QString y = right.value(i, QStringLiteral("0"));
        if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
        if (const int order = x.compare(y); order != 0) return order < 0 ? -1 : 1;
    }
    return 0;
}

QString UpdateCheck::VersionOnPage(const QString& page)
{
    if (!page.contains(QStringLiteral("产品概要"))) return {};
    const qsizetype title = page.indexOf(QStringLiteral("<title>"));
    if (title < 0) return {};
    const qsizetype bracket = page.indexOf(QLatin1Char('('), title + 7);
    if (bracket < 0) return {};
    return LeadingNumber(page.mid(bracket + 1));
}

void UpdateCheck::CheckNewEdition(std::function<void(Outcome)> done)
{
    if (!mNewest.isEmpty()) {
        done({Compare(mNewest), mNewest, {}});
        return;
    }
    const QString address = WebCatalogue::ServerAddress(mApp);
    if (address.isEmpty()) {
        done({State::NoAddress, {}, WebCatalogue::NoAddressMessage()});
        return;
    }
    mWeb.GetTextRetry(ProductUrl(address, kProduct), PageMarker(), mTimeLimit,
                      [this, done = std::move(done)](const WebText::TextResult& result) { done(Judge(result)); });
}

UpdateCheck::Outcome UpdateCheck::Judge(const WebText::TextResult& result)
{
    if (!result.ok()) return {State::Failed, {}, result.Describe()};
    const QString newest = VersionOnPage(result.text);
    if (VersionParts(newest).isEmpty()) return {State::Failed, {}, QStringLiteral("产品页上没有版本号")};
    mNewest = newest;
    return {Compare(newest), newest, {}};
}

// An own version that cannot be read is never older: an update is offered only against a
// version that is known.
UpdateCheck::State UpdateCheck::Compare(const QString& newest) const
{
    const bool newer = !VersionParts(mOwnVersion).isEmpty() && CompareVersions(newest, mOwnVersion) > 0;
    return newer ? State::Newer : State::UpToDate;
}

QString UpdateCheck::UpdaterPath() const
{
    for (const QString& name : {QStringLiteral("update.exe"), QStringLiteral("update")}) {
        const QFileInfo updater(QDir(mProgramFolder).filePath(name));
        if (updater.isFile() && updater.isExecutable()) return updater.absoluteFilePath();
    }
    return {};
}

bool UpdateCheck::OfferUpdate(const QString& newest, const Hooks& hooks)
{
    Prompter& prompter = mApp.Prompt();
    if (!prompter.Ask(QStringLiteral("发现新版本（") + newest + QStringLiteral("版），是否现在升级？"))) return false;
    if (hooks.confirmLeave && !hooks.confirmLeave()) return false;
    const QString updater = UpdaterPath();
    if (updater.isEmpty()) {
        prompter.Message(QStringLiteral("新版本（") + newest + QStringLiteral("版）请从下载页取得：\r\n") +
                             ProductUrl(WebCatalogue::ServerAddress(mApp), kProduct),
                         Prompter::Icon::Information);
        return false;
    }
    QString error;
    if (BackupDatabase(&error).isEmpty()) {
        prompter.Message(QStringLiteral("数据库备份失败，没有启动升级：") + error, Prompter::Icon::Critical);
        return false;
    }
    prompter.Message(QStringLiteral("本软件已升级（") + newest + QStringLiteral("版），启动自动升级..."),
                     Prompter::Icon::Information);
    if (!StartUpdater(updater, newest)) {
        prompter.Message(QStringLiteral("无法启动升级程序：") + updater, Prompter::Icon::Critical);
        return false;
    }
    if (hooks.quit) hooks.quit();
    return true;
}

// The updater is told the package to fetch and the program to replace, joined by "|".
bool UpdateCheck::StartUpdater(const QString& updater, const QString& newest)
{
    const QString argument = QStringLiteral("kestrio_") + newest + QStringLiteral(".rar|") + mProgramFile;
    return QProcess::startDetached(updater, {argument}, mProgramFolder);
}

QString UpdateCheck::BackupDatabase(QString* error)
{
    Database& db = mApp.Db();
    if (!db.IsOpen()) {
        *error = QStringLiteral("数据库没有打开");
        return {};
    }
    const QDir folder(mApp.Paths().Folder());
    QString target;
    for (int n = 0; n <= 1000 && target.isEmpty(); ++n) {
        const QString candidate = folder.filePath(QStringLiteral("BAK_data%1.DAT").arg(n, 3, 10, QLatin1Char('0')));
        if (!QFileInfo::exists(candidate)) target = candidate;
    }
    if (target.isEmpty()) {
        *error = QStringLiteral("BAK_data000.DAT 到 BAK_data1000.DAT 都已存在");
        return {};
    }
    // The engine writes the copy from its own consistent view into a keyed file that starts
    // empty; only a finished copy gets the backup's name.
    const QString partial = target + QStringLiteral(".part");
    QFile empty(partial);
    if (!empty.open(QIODevice::WriteOnly)) {
        *error = empty.errorString();
        return {};
    }
    empty.close();
    const bool ok = db.ExecuteNative(QStringLiteral("ATTACH DATABASE ") + SqlQuote(QDir::toNativeSeparators(partial)) +
                                         QStringLiteral(" AS kx_backup KEY ") + SqlQuote(QString::fromUtf8(db.Key())),
                                     error) &&
                    db.ScalarNative(QStringLiteral("SELECT sqlcipher_export('kx_backup')"), {}, error).isValid();
    db.ExecuteNative(QStringLiteral("DETACH DATABASE kx_backup"));
    if (!ok || !QFile::rename(partial, target)) {
        if (ok) *error = QStringLiteral("无法改名为") + target;
        QFile::remove(partial);
        return {};
    }
    return target;
}

} // namespace kestrio
