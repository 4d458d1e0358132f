#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace kestrio::test {

// What one run of the program's command line gave.
struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

// Runs the built `kestrio` (KESTRIO_BINARY) with `arguments`, as a user runs it.
inline Outcome Kestrio(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace kestrio::test
