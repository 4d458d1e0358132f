#include "PasswordGate.h"

#include "StartupSequence.h"
#include "app/AccessPassword.h"
#include "app/AppContext.h"

#include <QFile>

#include <cstdio>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace kestrio {

bool PasswordGate::NeedsNoData(const QString& command)
{
    static const QStringList free{QStringLiteral("convert"), QStringLiteral("capital-to-number"),
                                  QStringLiteral("check-update"), QStringLiteral("catalogue-server")};
    return free.contains(command);
}

// Without echo, as the password box shows dots.
bool PasswordGate::ReadFromTerminal(QString* typed, QTextStream& err)
{
    if (!::isatty(STDIN_FILENO)) return false;
    err << QStringLiteral("请输入密码：") << Qt::flush;
    termios saved {};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    if (quiet) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    err << Qt::endl;
    *typed = QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
    return true;
}

int PasswordGate::Check(AppContext& app, QStringList& arguments, QTextStream& err)
{
    QString file;
    bool fromFile = false;
    const qsizetype at = arguments.indexOf(Option());
    if (at >= 0) {
        if (at + 1 >= arguments.size()) {
            err << QStringLiteral("--password-file 需要一个文件。") << Qt::endl;
            return 2;
        }
        file = arguments[at + 1];
        arguments.remove(at, 2);
        fromFile = true;
    }
    if (NeedsNoData(arguments.value(0))) return 0;
    StartupSequence::OpenData(app);
    AccessPassword password(app.Parameters());
    if (!password.IsSet()) return 0;
    QString typed;
    if (fromFile) {
        QFile source(file);
        if (!source.open(QIODevice::ReadOnly)) {
            err << QStringLiteral("无法读取密码文件：") << file << Qt::endl;
            return 1;
        }
        // The first line exactly: spaces count, only the line break goes.
        QByteArray line = source.readLine();
        if (line.endsWith('\n')) line.chop(1);
        if (line.endsWith('\r')) line.chop(1);
        typed = QString::fromUtf8(line);
    } else if (!ReadFromTerminal(&typed, err)) {
        err << MissingText() << Qt::endl;
        return 1;
    }
    if (password.Matches(typed)) return 0;
    err << AccessPassword::WrongPasswordText() << Qt::endl;
    return 1;
}

} // namespace kestrio
