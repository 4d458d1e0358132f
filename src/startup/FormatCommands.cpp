#include "FormatCommands.h"

#include "CommandLine.h"
#include "startup/StartupSequence.h"
#include "app/AppContext.h"
#include "app/ConsolePrompter.h"
#include "format/FormatExchange.h"
#include "format/FormatStore.h"
#include "seams/Progress.h"

#include <QFileInfo>

namespace kestrio {

namespace {

QString Quoted(const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// Takes `--flag` (and with `takesValue` its value) out of the arguments; false when the
// value is missing.
bool TakeOption(QStringList& args, const QString& flag, bool takesValue, std::optional<QString>* value)
{
    const qsizetype at = args.indexOf(flag);
    if (at < 0) return true;
    if (takesValue && at + 1 >= args.size()) return false;
    *value = takesValue ? args.at(at + 1) : QString();
    args.remove(at, takesValue ? 2 : 1);
    return true;
}

} // namespace

int FormatCommands::ExportFormat(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> force;
    TakeOption(args, QStringLiteral("--force"), false, &force);
    if (args.size() != 2 || args[0].isEmpty() || args[1].trimmed().isEmpty()) {
        err << QStringLiteral("export-format 命令需要格式名和文件名。\n") << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    const QString name = args[0];
    const QString path = FormatExchange::ExchangePath(args[1].trimmed());
    if (!FormatStore(app.DbOp(), app.Indicator(), app.Screen()).FormatExists(name)) {
        err << QStringLiteral("没有格式：") << Quoted(name) << Qt::endl;
        return 1;
    }
    if (QFileInfo::exists(path) && !force) {
        err << QStringLiteral("文件：") << Quoted(path) << QStringLiteral("已经存在；加 --force 覆盖。") << Qt::endl;
        return 1;
    }
    ConsolePrompter prompter(err);
    SilentProgress progress;
    FormatExchange exchange(app.Paths().Folder(), app.DbOp(), prompter, progress);
    if (!exchange.ExportFmtFileTo(name, path)) return 1;
    out << QStringLiteral("格式：") << Quoted(name) << QStringLiteral("导出完成！") << Qt::endl;
    return 0;
}

int FormatCommands::ImportFormat(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> as;
    const bool usable = TakeOption(args, QStringLiteral("--as"), true, &as);
    if (!usable || args.size() != 1 || args[0].trimmed().isEmpty() || (as && as->trimmed().isEmpty())) {
        err << QStringLiteral("import-format 命令需要一个格式文件，可加 --as 格式名。\n") << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    ConsolePrompter prompter(err);
    SilentProgress progress;
    FormatExchange exchange(app.Paths().Folder(), app.DbOp(), prompter, progress);
    const FormatExchange::ImportResult result = exchange.ImportFmtFileAs(args[0], as.value_or(QString()));
    if (!result.stored) return 1;
    out << QStringLiteral("格式") << Quoted(result.name) << QStringLiteral("导入成功") << Qt::endl;
    return 0;
}

} // namespace kestrio
