#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

namespace kestrio::test {

// Fonts and pictures need a GUI application; tests that draw make one offscreen, once.
inline void EnsureGuiApplication()
{
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kestrio_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // lives as long as the process
}

} // namespace kestrio::test
