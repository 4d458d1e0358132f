#pragma once

#include <QString>

namespace kestrio {

// Turns an engine failure into the sentence the user reads: what went wrong with the data
// file and, where it helps, what to do about it.
class DatabaseFailure {
public:
    static QString BusyText() { return QStringLiteral("数据库正忙，请稍后再试！"); }
    static QString NotOursText() { return QStringLiteral("该文件不是本程序的数据文件"); }
    static QString ReadOnlyFileText() { return QStringLiteral("数据库文件只读"); }
    static QString FolderNotWritableText() { return QStringLiteral("数据文件夹不可写"); }
    static QString DiskFullText() { return QStringLiteral("磁盘已满"); }
    static QString CompactingText() { return QStringLiteral("数据库正在压缩整理，请稍后再试！"); }

    // The lock file a compaction holds beside the database while it runs.
    static QString CompactionMarker(const QString& databasePath);
    // Whether a living program is compacting the database at `databasePath` now.
    static bool IsBeingCompacted(const QString& databasePath);

    // The cause of engine result `code` on the file at `databasePath`; `engineText` is kept
    // for failures without a sentence of their own.
    static QString Describe(int code, const QString& databasePath, const QString& engineText);
    // "damaged, writing stopped, the latest backup is …".
    static QString DamageText(const QString& databasePath);
    static bool IsBusy(int code);
    static bool IsDamage(int code);
};

} // namespace kestrio
