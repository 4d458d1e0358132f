#pragma once

#include "QtPrinters.h"
#include "ScriptedPrompter.h"
#include "app/AppContext.h"
#include "startup/StartupSequence.h"
#include "app/QtUserSettings.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "storage/ShippedDatabase.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace kestrio::test {

// A whole program without windows in a fresh application folder of its own: scripted
// prompts, settings in a temporary INI file, a fixed screen and a fixed clock.
struct TestApp {
    explicit TestApp(const QString& folder = {})
        : settings(QDir(dir.path()).filePath(QStringLiteral("settings.ini"))),
          clock(QDateTime(QDate(2026, 12, 8), QTime(9, 30)))
    {
        const QString appFolder = folder.isEmpty() ? QDir(dir.path()).filePath(QStringLiteral("app")) : folder;
        QDir().mkpath(appFolder);
        app = std::make_unique<AppContext>(AppPaths(appFolder),
                                           AppContext::Seams{prompter, progress, settings, screen, clock});
    }

    // Makes (when missing), opens and upgrades DATA.mdb; a new file comes with the demo formats.
    bool Open() { return StartupSequence::OpenData(*app); }
    // The same from the bare shipped file, without demo formats (as an existing file opens).
    bool OpenEmpty()
    {
        ShippedDatabase::CreateIfMissing(DatabasePath());
        return Open();
    }

    QString Folder() const { return app->Paths().Folder(); }
    QString DatabasePath() const { return app->Paths().DatabasePath(); }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    SilentProgress progress;
    QtUserSettings settings;
    FixedScreenInfo screen;
    FixedClock clock;
    std::unique_ptr<AppContext> app;
};

} // namespace kestrio::test
