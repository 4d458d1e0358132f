#pragma once

#include <QString>

namespace kestrio {

// The program's name as windows, message boxes and the data folder show it.
inline QString ProgramName()
{
    return QStringLiteral("Kestrio支票打印");
}

} // namespace kestrio
