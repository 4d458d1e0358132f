#include "startup/StartupSequence.h"

#include "app/AccessPassword.h"
#include "app/AppContext.h"
#include "format/DemoFormats.h"
#include "seams/Clock.h"
#include "seams/Prompter.h"
#include "storage/DatabaseBackup.h"
#include "storage/SchemaUpgrade.h"
#include "storage/ShippedDatabase.h"

#include <QDir>
#include <QFileInfo>

namespace kestrio {

bool StartupSequence::OpenData(AppContext& app, const std::function<bool()>& beforeRename)
{
    // A new file gets the demo formats before it is renamed into place, so that a start
    // killed half-way leaves no database at all rather than one without formats. The demo
    // formats are a convenience: a failure to write them leaves an empty library, unasked.
    Database::CreateSteps steps;
    steps.populate = [&app](Database& db, QString*) {
        DbOperate demo(db, app.Prompt(), db.Path());
        DemoFormats::Install(demo, app.Paths().Folder());
        return true;
    };
    steps.beforeRename = beforeRename;
    for (const QString& folder : {app.Paths().Folder(), app.Paths().TempFolder(),
                                  DatabaseBackup::BackupFolder(app.Paths().DatabasePath())})
        Database::RemoveAbandonedScratch(folder);
    QString error;
    if (!ShippedDatabase::CreateIfMissing(app.Paths().DatabasePath(), &error, nullptr, steps) &&
        !QFileInfo::exists(app.Paths().DatabasePath())) {
        if (!beforeRename) app.Prompt().Message(QStringLiteral("无法建立数据库文件！\n") + error, Prompter::Icon::Critical);
        return false;
    }
    const bool opened = app.DbOp().OpenDatabase();
    SchemaUpgrade::Run(app.DbOp(), &app.Indicator());
    return opened && !app.Db().IsDamaged();
}

QString StartupSequence::AlreadyRunningText(const QString& folder)
{
    return QStringLiteral("程序已经在运行，正在使用数据文件夹“") + QDir::toNativeSeparators(folder) + QStringLiteral("”！");
}

StartupSequence::Next StartupSequence::Start(AppContext& app)
{
    OpenData(app);
    if (!app.Instance().Acquire()) {
        app.Prompt().Message(AlreadyRunningText(app.Paths().Folder()), Prompter::Icon::Information);
        return Next::AnotherInstanceRuns;
    }
    // The first start of a day keeps a copy of the data; a failure is told but stops nothing.
    if (app.Db().IsOpen() && !app.Db().IsDamaged()) {
        QString error;
        if (!DatabaseBackup::DailyBackup(app.Db(), app.Time().Now(), &error))
            app.Prompt().Message(QStringLiteral("数据库备份失败：") + error, Prompter::Icon::Warning);
    }
    app.ChosenValue.clear();
    AccessPassword password(app.Parameters());
    return password.IsSet() ? Next::AskPassword : Next::ShowMainWindow;
}

} // namespace kestrio
