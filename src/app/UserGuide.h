#pragma once

#include <QString>
#include <QStringList>

namespace kestrio {

// Where the user guide (user-guide.md with its images/ folder) is found: installed with the
// program under share/kestrio/doc, or beside it in the source tree the program was built in.
class UserGuide {
public:
    static QString FileName() { return QStringLiteral("user-guide.md"); }
    // The places looked at, in order, for a program in `programFolder`.
    static QStringList Candidates(const QString& programFolder);
    // The first candidate that exists; empty when there is none.
    static QString Find(const QString& programFolder);
    static QString MissingMessage()
    {
        return QStringLiteral("找不到使用说明文件 user-guide.md，请重新安装程序。");
    }
};

} // namespace kestrio
