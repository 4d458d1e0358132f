#pragma once

#include "Database.h"

#include <QByteArray>
#include <QString>

namespace kestrio {

class DbOperate;
class Progress;
class Prompter;

// Rewrites the database file without its free space, in place, by the engine (VACUUM): the
// engine builds the compacted copy and writes it back through its own journal, so a program
// killed half-way leaves the old file, and every other connection — a second program, the
// windows beside a command — keeps working on the same file. For the whole run the file is
// held exclusively: other writers wait on their busy timeout, and when that runs out they are
// told that the database is being compacted. A backup copy is made first, in the backup
// folder beside the database.
class DatabaseCompactor {
public:
    DatabaseCompactor(DbOperate& db, Prompter& prompter, Progress& progress,
                      int busyTimeoutMs = Database::kBusyTimeoutMs);

    // The backup copy the last run made; empty when it made none.
    QString BackupPath() const { return mBackup; }

    // Compacts the file at `path` (keyed with `password`), keeping the same key. With
    // `makeBackup` the file is copied into the backup folder first. Reports every failure to
    // the user and returns false; the file is then as it was.
    bool CompactDatabase(const QString& path, const QByteArray& password, bool makeBackup);

private:
    struct Failure {
        int number = 0;
        QString text;
    };

    bool Run(const QString& path, const QByteArray& password, bool makeBackup, Failure* failure);
    bool Hold(Database& work, Failure* failure);
    bool Vacuum(Database& work, Failure* failure);

    Prompter& mPrompter;
    Progress& mProgress;
    int mBusyTimeoutMs;
    QString mBackup;
};

} // namespace kestrio
