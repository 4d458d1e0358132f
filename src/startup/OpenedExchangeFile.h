#pragma once

#include <QString>
#include <QStringList>

class QProcessEnvironment;

namespace kestrio {

// `kestrio FILE.zhq`: how the desktop starts the program for a format exchange file. With a
// display the windows take the file and ask the import questions; without one it is
// imported like `kestrio import-format FILE.zhq`.
class OpenedExchangeFile {
public:
    // The file's path when the command is a single .zhq file (a path or a file:// address),
    // else empty.
    static QString PathIn(const QStringList& command);
    // True when windows can be shown: a display is named and the toolkit is not told to draw
    // off screen.
    static bool HasDisplay(const QProcessEnvironment& environment);
};

} // namespace kestrio
