#pragma once

#include <QString>

namespace kestrio {

// The program with windows: start-up, then the password prompt or the main window, for as
// long as a window is open.
class GuiApplication {
public:
    // `dataDir` is the --data-dir option (empty: the usual place). With `startupProbe` the
    // program prints the milliseconds from process start to the shown main window and quits
    // (used by the start-up benchmark).
    static int Run(int& argc, char** argv, const QString& dataDir, bool startupProbe);
};

} // namespace kestrio
