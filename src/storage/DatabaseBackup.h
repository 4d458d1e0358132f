#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace kestrio {

class Database;

// Copies of the database kept in the folder Backup beside it: one made by the engine at the
// first start of each day (the last ten are kept), one on request, and putting a copy back.
class DatabaseBackup {
public:
    static constexpr int kKept = 10;

    static QString BackupFolder(const QString& databasePath);
    // The newest copy in the backup folder; empty when there is none.
    static QString LatestBackup(const QString& databasePath);
    // The name of a copy made at `when`: DATA-yyyyMMdd-HHmmss.mdb.
    static QString BackupName(const QString& databasePath, const QDateTime& when);

    // A consistent copy of the open database, made by the engine page by page, written to
    // `target` under a temporary name, readable by the owner only, checked by opening it, and
    // renamed into place.
    static bool WriteCopy(Database& db, const QString& target, QString* error = nullptr);
    // A copy into the backup folder, then the oldest beyond the last ten removed. Returns the
    // copy's path, empty with `error` on failure.
    static QString MakeBackup(Database& db, const QDateTime& when, QString* error = nullptr);
    // MakeBackup unless a copy of that day is already there.
    static bool DailyBackup(Database& db, const QDateTime& now, QString* error = nullptr);

    // Whether `path` is a whole database of this program: it opens with the key, its pages
    // check out and it has the format table.
    static bool IsProgramDatabase(const QString& path, const QByteArray& key, QString* error = nullptr);
    // Puts the copy at `source` in place of the database at `databasePath` (not open). The
    // file it replaces is kept in the backup folder first. False with `error`, the database
    // untouched, when `source` is not the program's or cannot be copied.
    static bool Restore(const QString& databasePath, const QString& source, const QByteArray& key,
                        const QDateTime& when, QString* error = nullptr);

private:
    static bool EngineCopy(Database& db, const QString& partial, QString* error);
    static void Prune(const QString& databasePath);
};

} // namespace kestrio
