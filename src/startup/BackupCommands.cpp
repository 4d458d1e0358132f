#include "BackupCommands.h"

#include "CommandLine.h"
#include "StartupSequence.h"
#include "app/AppContext.h"
#include "seams/Clock.h"
#include "storage/DatabaseBackup.h"

#include <QDir>
#include <QFileInfo>

namespace kestrio {

int BackupCommands::Backup(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() > 1 || (args.size() == 1 && args[0].trimmed().isEmpty())) {
        err << QStringLiteral("backup 命令最多需要一个文件名。\n") << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    QString error;
    QString target;
    if (args.isEmpty()) {
        target = DatabaseBackup::MakeBackup(app.Db(), app.Time().Now(), &error);
    } else {
        target = QFileInfo(args[0]).absoluteFilePath();
        if (!DatabaseBackup::WriteCopy(app.Db(), target, &error)) target.clear();
    }
    if (target.isEmpty()) {
        err << QStringLiteral("数据库备份失败：") << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("数据库已备份到：") << QDir::toNativeSeparators(target) << Qt::endl;
    return 0;
}

int BackupCommands::Restore(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args[0].trimmed().isEmpty()) {
        err << QStringLiteral("restore 命令需要一个备份文件。\n") << CommandLine::Usage();
        return 2;
    }
    // The windows keep the file open: replacing it under them would lose what they write next.
    if (!app.Instance().Acquire()) {
        err << QStringLiteral("程序正在使用此数据文件夹，请先关闭程序再恢复数据！") << Qt::endl;
        return 1;
    }
    app.Db().Close();
    QString error;
    const QString source = QFileInfo(args[0]).absoluteFilePath();
    if (!DatabaseBackup::Restore(app.Paths().DatabasePath(), source, DbOperate::DatabaseKey(), app.Time().Now(),
                                 &error)) {
        err << QStringLiteral("数据库恢复失败：") << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("数据库已从“") << QDir::toNativeSeparators(source)
        << QStringLiteral("”恢复；原数据文件保存在：") << QDir::toNativeSeparators(DatabaseBackup::BackupFolder(app.Paths().DatabasePath()))
        << Qt::endl;
    return 0;
}

} // namespace kestrio
