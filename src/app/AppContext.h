#pragma once

#include "AppPaths.h"
#include "Params.h"
#include "SingleInstance.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"

#include <QString>

namespace kestrio {

class Clock;
class Progress;
class Prompter;
class ScreenInfo;
class UserSettings;

// The program-wide state: the application folder, the one database connection, the seams
// through which the program meets the user, and the few values every window shares. The
// windows, the command line and the tests each build one and hand it down.
class AppContext {
public:
    struct Seams {
        Prompter& prompter;
        Progress& progress;
        UserSettings& settings;
        ScreenInfo& screen;
        Clock& clock;
    };

    AppContext(AppPaths paths, Seams seams);

    const AppPaths& Paths() const { return mPaths; }
    Database& Db() { return mDatabase; }
    DbOperate& DbOp() { return mDbOperate; }
    Params& Parameters() { return mParams; }
    Prompter& Prompt() { return mSeams.prompter; }
    Progress& Indicator() { return mSeams.progress; }
    UserSettings& Settings() { return mSeams.settings; }
    ScreenInfo& Screen() { return mSeams.screen; }
    Clock& Time() { return mSeams.clock; }
    SingleInstance& Instance() { return mInstance; }

    // The answer of the last chooser dialog; empty for cancel.
    QString ChosenValue;

    // The text that stands for a line break in stored contents.
    QString LineBreakMarker() const { return mLineBreakMarker; }
    QString ReadLineBreakMarker();
    // False when the marker could not be stored (it is then not changed).
    bool SetLineBreakMarker(const QString& marker);

private:
    AppPaths mPaths;
    Seams mSeams;
    Database mDatabase;
    DbOperate mDbOperate;
    Params mParams;
    SingleInstance mInstance;
    QString mLineBreakMarker = QStringLiteral("//");
};

} // namespace kestrio
