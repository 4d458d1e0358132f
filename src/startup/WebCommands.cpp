#include "WebCommands.h"

#include "app/AccessPassword.h"

#include "CommandLine.h"
#include "CommandOptions.h"
#include "StartupSequence.h"
#include "app/AppContext.h"
#include "format/FormatExchange.h"
#include "format/FormatStore.h"
#include "format/Grid.h"
#include "images/BackgroundImages.h"
#include "web/CatalogueServer.h"
#include "web/NetworkHttpClient.h"
#include "web/UpdateCheck.h"
#include "web/WebCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kestrio {

namespace {

QString Quoted(const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// The address is needed before anything goes to the network.
bool HasAddress(AppContext& app, QTextStream& err)
{
    if (!WebCatalogue::ServerAddress(app).isEmpty()) return true;
    err << WebCatalogue::NoAddressMessage() << Qt::endl;
    return false;
}

// A whole number of at least `least` for an option, or the default when it is not given.
bool NumberOption(const std::optional<QString>& text, int least, int* value)
{
    if (!text) return true;
    bool ok = false;
    *value = text->toInt(&ok);
    return ok && *value >= least;
}

// "--time-limit SECONDS" (a positive number, fractions allowed) as milliseconds.
bool TimeLimitOption(const std::optional<QString>& text, std::optional<std::chrono::milliseconds>* limit)
{
    if (!text) return true;
    bool ok = false;
    const double seconds = text->toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 24 * 3600) return false;
    *limit = std::chrono::milliseconds(static_cast<qint64>(seconds * 1000));
    return true;
}

} // namespace

int WebCommands::CatalogueServer(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> dir, port, bind, maxConnections, maxPerAddress, idleSeconds;
    bool usable = TakeOption(args, QStringLiteral("--dir"), true, &dir) &&
                  TakeOption(args, QStringLiteral("--port"), true, &port) &&
                  TakeOption(args, QStringLiteral("--bind"), true, &bind) &&
                  TakeOption(args, QStringLiteral("--max-connections"), true, &maxConnections) &&
                  TakeOption(args, QStringLiteral("--max-per-address"), true, &maxPerAddress) &&
                  TakeOption(args, QStringLiteral("--idle-seconds"), true, &idleSeconds);
    bool portOk = true;
    const int portNumber = port ? port->toInt(&portOk) : 8080;
    const QHostAddress address(bind.value_or(QStringLiteral("0.0.0.0")));
    kestrio::CatalogueServer::Limits limits;
    int idle = static_cast<int>(limits.idleTimeout.count() / 1000);
    usable = usable && NumberOption(maxConnections, 1, &limits.connections) &&
             NumberOption(maxPerAddress, 1, &limits.connectionsPerAddress) && NumberOption(idleSeconds, 1, &idle);
    limits.idleTimeout = std::chrono::seconds(idle);
    if (!usable || !args.isEmpty() || !dir || !portOk || portNumber < 0 || portNumber > 65535 || address.isNull()) {
        err << QStringLiteral("catalogue-server 需要 --dir 目录，可加 --port 端口（0到65535）、--bind 地址、"
                              "--max-connections 连接总数、--max-per-address 每个地址的连接数和 --idle-seconds 空闲秒数。\n")
            << CommandLine::Usage();
        return 2;
    }
    if (!QFileInfo(*dir).isDir()) {
        err << QStringLiteral("没有目录：") << Quoted(*dir) << Qt::endl;
        return 1;
    }
    kestrio::CatalogueServer server(QDir(*dir).absolutePath(), limits);
    server.SetLog([&out](const QString& line) { out << line << Qt::endl; });
    const quint16 listening = server.Listen(address, static_cast<quint16>(portNumber));
    if (listening == 0) {
        err << QStringLiteral("无法在") << address.toString() << QLatin1Char(':') << portNumber
            << QStringLiteral("上提供服务（端口已被占用或没有权限）。") << Qt::endl;
        return 1;
    }
    out << QStringLiteral("格式目录服务器已启动：http://") << address.toString() << QLatin1Char(':') << listening
        << QStringLiteral("/ ，目录：") << QDir(*dir).absolutePath() << QStringLiteral("，最多%1个连接（每个地址%2个），空闲%3秒断开")
                                                                       .arg(limits.connections)
                                                                       .arg(limits.connectionsPerAddress)
                                                                       .arg(idle)
        << Qt::endl;
    return QCoreApplication::exec();
}

// The format goes into DIR (or DIR/CATEGORY) as <safe name>.zhq with its picture beside it,
// replacing an earlier publication of the same format.
int WebCommands::PublishFormat(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> category;
    const bool usable = TakeOption(args, QStringLiteral("--category"), true, &category);
    const QString folderName = category ? WebCatalogue::LocalFileName(category->trimmed()) : QString();
    if (!usable || args.size() != 2 || args[0].isEmpty() || args[1].trimmed().isEmpty() ||
        (category && folderName.isEmpty())) {
        err << QStringLiteral("publish-format 需要格式名和目录，可加 --category 类别（可用作文件夹名）。\n")
            << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    const QString name = args[0];
    if (!FormatStore(app.DbOp(), app.Indicator(), app.Screen()).FormatExists(name)) {
        err << QStringLiteral("没有格式：") << Quoted(name) << Qt::endl;
        return 1;
    }
    const QString fileName = WebCatalogue::LocalFileName(name);
    const QDir folder(QDir(args[1].trimmed()).filePath(folderName));
    if (fileName.isEmpty() || !QDir().mkpath(folder.path())) {
        err << QStringLiteral("无法在") << Quoted(folder.path()) << QStringLiteral("中发布格式") << Quoted(name)
            << Qt::endl;
        return 1;
    }
    const QString path = folder.filePath(fileName + QStringLiteral(".zhq"));
    if (!FormatExchange(app).ExportFmtFileTo(name, path)) return 1;
    out << QStringLiteral("已发布：") << QDir::toNativeSeparators(path) << Qt::endl;
    return 0;
}

int WebCommands::Catalogue(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> update, download, as, timeLimitText;
    std::optional<std::chrono::milliseconds> timeLimit;
    const bool usable = TakeOption(args, QStringLiteral("--update"), false, &update) &&
                        TakeOption(args, QStringLiteral("--download"), true, &download) &&
                        TakeOption(args, QStringLiteral("--as"), true, &as) &&
                        TakeOption(args, QStringLiteral("--time-limit"), true, &timeLimitText) &&
                        TimeLimitOption(timeLimitText, &timeLimit);
    if (!usable || !args.isEmpty() || (update && download) || (as && !download) ||
        (as && as->trimmed().isEmpty()) || (timeLimit && !update && !download)) {
        err << QStringLiteral("catalogue 可加 --update，或 --download 格式名称 [--as 新格式名]；"
                              "两者都可加 --time-limit 秒数。\n")
            << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    if (download) return DownloadFormat(app, *download, as.value_or(QString()), timeLimit, out, err);
    if (update) {
        if (!HasAddress(app, err)) return 1;
        NetworkHttpClient http;
        WebCatalogue catalogue(app, http);
        if (timeLimit) catalogue.SetTimeLimit(*timeLimit);
        const WebText::TextResult result = Await<WebText::TextResult>(
            [&](std::function<void(WebText::TextResult)> done) { catalogue.UpdateCatalogue(std::move(done)); });
        if (!result.ok()) {
            err << QStringLiteral("无法取得格式列表：") << result.Describe() << Qt::endl;
            return 1;
        }
    }
    return PrintCatalogue(app, out);
}

int WebCommands::PrintCatalogue(AppContext& app, QTextStream& out)
{
    NetworkHttpClient http;
    Grid grid;
    WebCatalogue(app, http).FillCatalogueGrid(grid);
    const int columns[] = {WebCatalogue::ColClas, WebCatalogue::ColName, WebCatalogue::ColDat,
                           WebCatalogue::ColFormatPath, WebCatalogue::ColPicturePath};
    for (int row = 1; row < grid.RowCount(); ++row) {
        QStringList cells;
        for (const int column : columns) cells << grid.Text(row, column);
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    return 0;
}

int WebCommands::DownloadFormat(AppContext& app, const QString& name, const QString& as,
                                std::optional<std::chrono::milliseconds> timeLimit, QTextStream& out, QTextStream& err)
{
    NetworkHttpClient http;
    WebCatalogue catalogue(app, http);
    if (timeLimit) catalogue.SetTimeLimit(*timeLimit);
    Grid grid;
    catalogue.FillCatalogueGrid(grid);
    const int row = grid.FindRow(WebCatalogue::ColName, name);
    if (row < 0) {
        err << QStringLiteral("格式列表中没有") << Quoted(name)
            << QStringLiteral("；可先运行 kestrio catalogue --update 更新列表。") << Qt::endl;
        return 1;
    }
    if (!HasAddress(app, err)) return 1;
    const QString path = Await<QString>([&](std::function<void(QString)> done) {
        catalogue.DownloadFormat(WebCatalogue::EntryOfRow(grid, row), std::move(done));
    });
    if (path.isEmpty()) return 1;
    const FormatExchange::ImportResult result = FormatExchange(app).ImportFmtFileAs(path, as.trimmed());
    if (!result.stored) return 1;
    out << QStringLiteral("格式") << Quoted(result.name) << QStringLiteral("导入成功") << Qt::endl;
    return 0;
}

int WebCommands::CheckUpdate(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> timeLimitText;
    std::optional<std::chrono::milliseconds> timeLimit;
    if (!TakeOption(args, QStringLiteral("--time-limit"), true, &timeLimitText) ||
        !TimeLimitOption(timeLimitText, &timeLimit) || !args.isEmpty()) {
        err << QStringLiteral("check-update 只可加 --time-limit 秒数。\n") << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app) || !HasAddress(app, err)) return 1;
    NetworkHttpClient http;
    UpdateCheck check(app, http);
    if (timeLimit) check.SetTimeLimit(*timeLimit);
    const UpdateCheck::Outcome outcome = Await<UpdateCheck::Outcome>(
        [&](std::function<void(UpdateCheck::Outcome)> done) { check.CheckNewEdition(std::move(done)); });
    if (outcome.newest.isEmpty()) {
        err << QStringLiteral("无法得知最新版本：") << outcome.reason << Qt::endl;
        return 1;
    }
    out << QStringLiteral("本机版本：") << UpdateCheck::OwnVersionText() << '\n'
        << QStringLiteral("最新版本：") << outcome.newest << '\n'
        << (outcome.state == UpdateCheck::State::Newer ? QStringLiteral("有新版本可以升级。")
                                                        : QStringLiteral("已是最新版本。"))
        << Qt::endl;
    return 0;
}

// Any named parameter; the catalogue server's address is checked and kept in one form.
int WebCommands::SetParameter(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 2 || args[0].trimmed().isEmpty()) {
        err << QStringLiteral("set-parameter 需要参数名和值（值可为空文本\"\"）。\n") << CommandLine::Usage();
        return 2;
    }
    QString value = args[1];
    if (args[0] == WebCatalogue::AddressParameter()) {
        value = WebCatalogue::NormalizeAddress(args[1]);
        if (value.isEmpty() && !args[1].trimmed().isEmpty()) {
            err << WebCatalogue::InvalidAddressMessage(args[1]) << Qt::endl;
            return 1;
        }
    }
    // The access password is kept only as its hash (the old one was asked before this runs).
    const bool password = args[0] == AccessPassword::ParamName();
    if (password && !value.isEmpty()) value = AccessPassword::Hash(value);
    if (!StartupSequence::OpenData(app)) return 1;
    if (!app.Parameters().SetParam(args[0], value)) {
        err << QStringLiteral("参数") << Quoted(args[0]) << QStringLiteral("没有保存：") << app.Db().LastError() << Qt::endl;
        return 1;
    }
    if (password) out << (value.isEmpty() ? QStringLiteral("软件密码已去除。") : QStringLiteral("软件密码已设置。")) << Qt::endl;
    else out << QStringLiteral("参数") << Quoted(args[0]) << QStringLiteral("已设为：") << Quoted(value) << Qt::endl;
    return 0;
}

} // namespace kestrio
