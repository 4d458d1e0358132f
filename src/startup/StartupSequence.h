#pragma once

#include <QString>

#include <functional>

namespace kestrio {

class AppContext;

// The start of the program, before any window: the database (made on the first start, then
// opened and brought up to date), one program per application folder, and whether the
// access password must be asked.
class StartupSequence {
public:
    enum class Next { AnotherInstanceRuns, AskPassword, ShowMainWindow };

    static Next Start(AppContext& app);
    // Opens (making it on the first start) and upgrades the database; used by every mode.
    // False when there is no usable database, or it is damaged (the user has been told).
    // `beforeRename` (tests) runs when a new file is complete but not yet in place; false
    // stops there, as a program killed at that moment.
    static bool OpenData(AppContext& app, const std::function<bool()>& beforeRename = {});
    static QString AlreadyRunningText(const QString& folder);
};

} // namespace kestrio
