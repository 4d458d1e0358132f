#pragma once

#include "app/ProgramName.h"
#include <QString>
#include <QtGlobal>

namespace kestrio {

// The program with windows: start-up, then the password prompt or the main window, for as
// long as a window is open.
class GuiApplication {
public:
    // `dataDir` is the --data-dir option (empty: the usual place). With `startupProbe` the
    // program prints the milliseconds from process start to the shown main window and quits
    // (used by the start-up benchmark).
    static int Run(int& argc, char** argv, const QString& dataDir, bool startupProbe);

    // The name on the main window and on every message box that brings no title of its own.
    static QString Name() { return ProgramName(); }

    // Milliseconds since this process was started by the system (or, where that cannot be
    // read, since the program's first static initialisation).
    static qint64 ProcessStartMs();

    // The Windows font names the formats use, mapped to the installed CJK families, so that
    // 宋体 never falls back to a Latin or Japanese face. Safe to call more than once.
    static void RegisterFontSubstitutions();
};

} // namespace kestrio
