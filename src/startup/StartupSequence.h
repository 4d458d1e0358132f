#pragma once

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
    static bool OpenData(AppContext& app);
};

} // namespace kestrio
