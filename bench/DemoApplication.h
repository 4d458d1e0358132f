#pragma once
// A fresh application folder for a benchmark: the database with the demo formats, console
// questions, no progress shown, a fixed screen and a clock stopped at 2026-12-08 09:00.
#include "app/AppContext.h"
#include "app/ConsolePrompter.h"
#include "app/QtUserSettings.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "startup/StartupSequence.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kestrio {

struct DemoApplication {
    QTemporaryDir dir;
    QTextStream err{stderr};
    ConsolePrompter prompter{err};
    SilentProgress progress;
    QtUserSettings settings{QDir(dir.path()).filePath(QStringLiteral("settings.ini"))};
    FixedScreenInfo screen;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 0))};
    std::unique_ptr<AppContext> app;

    DemoApplication()
    {
        const QString folder = QDir(dir.path()).filePath(QStringLiteral("app"));
        QDir().mkpath(folder);
        app = std::make_unique<AppContext>(AppPaths(folder),
                                           AppContext::Seams{prompter, progress, settings, screen, clock});
        if (!StartupSequence::OpenData(*app)) {
            std::fprintf(stderr, "the database could not be opened\n");
            std::exit(1);
        }
    }
};

} // namespace kestrio
