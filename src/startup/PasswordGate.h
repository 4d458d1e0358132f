#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace kestrio {

class AppContext;

// The access password guards the command line as it guards the windows: when one is set, a
// command that reads or writes the data runs only after the password is given, typed at the
// terminal or read from the first line of `--password-file FILE` (for scripts).
class PasswordGate {
public:
    static QString Option() { return QStringLiteral("--password-file"); }
    static QString MissingText()
    {
        return QStringLiteral("已设置软件密码：请在终端输入密码，或用 --password-file 文件 提供。");
    }

    // Takes `--password-file FILE` out of `arguments`. 0 when the command may run, else the
    // exit code (the reason is on `err`).
    static int Check(AppContext& app, QStringList& arguments, QTextStream& err);
    // Commands that never touch the data.
    static bool NeedsNoData(const QString& command);

private:
    static bool ReadFromTerminal(QString* typed, QTextStream& err);
};

} // namespace kestrio
