#include "DatabaseFailure.h"

#include "DatabaseBackup.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>

#include <signal.h>

#include <sqlcipher/sqlite3.h>

namespace kestrio {

bool DatabaseFailure::IsBusy(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool DatabaseFailure::IsDamage(int code)
{
    return (code & 0xff) == SQLITE_CORRUPT;
}

QString DatabaseFailure::DamageText(const QString& databasePath)
{
    const QString latest = DatabaseBackup::LatestBackup(databasePath);
    QString text = QStringLiteral("数据库文件“") + QDir::toNativeSeparators(databasePath) +
                   QStringLiteral("”已损坏，程序已停止写入数据。");
    if (latest.isEmpty()) return text + QStringLiteral("没有找到备份。");
    return text + QStringLiteral("最近的备份：") + QDir::toNativeSeparators(latest) +
           QStringLiteral("（可用 kestrio restore 恢复）");
}

QString DatabaseFailure::CompactionMarker(const QString& databasePath)
{
    return databasePath + QStringLiteral(".compacting");
}

// Read only: the marker is never taken or removed here, so asking cannot disturb a compaction.
bool DatabaseFailure::IsBeingCompacted(const QString& databasePath)
{
    if (databasePath.isEmpty()) return false;
    QLockFile marker(CompactionMarker(databasePath));
    qint64 pid = 0;
    QString host;
    QString application;
    if (!marker.getLockInfo(&pid, &host, &application) || pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QString DatabaseFailure::Describe(int code, const QString& databasePath, const QString& engineText)
{
    const int primary = code & 0xff;
    if (IsBusy(code)) return IsBeingCompacted(databasePath) ? CompactingText() : BusyText();
    if (IsDamage(code)) return DamageText(databasePath);
    if (primary == SQLITE_NOTADB) return NotOursText();
    if (primary == SQLITE_FULL) return DiskFullText();
    const QFileInfo file(databasePath);
    const bool folderWritable = QFileInfo(file.absolutePath()).isWritable();
    if (primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR) {
        if (!folderWritable) return FolderNotWritableText() + QStringLiteral("：") + QDir::toNativeSeparators(file.absolutePath());
        if (file.exists() && !file.isWritable()) return ReadOnlyFileText();
    }
    if (primary == SQLITE_IOERR) return QStringLiteral("读写数据库文件出错（") + engineText + QStringLiteral("）");
    return engineText;
}

} // namespace kestrio
