#pragma once

#include <QByteArray>
#include <QString>

namespace kestrio {

class DbOperate;
class Progress;
class Prompter;

// Rewrites the database file without its free space. A backup copy and the compacted copy
// are made in the scratch folder first; the database file is replaced only by a complete,
// verified copy, in one rename, so a failure at any step leaves it exactly as it was.
class DatabaseCompactor {
public:
    // `scratchFolder` is the system's temporary folder unless a caller knows better.
    DatabaseCompactor(DbOperate& db, Prompter& prompter, Progress& progress, QString scratchFolder = {});

    QString BackupPath() const;
    QString CompactedPath() const;

    // Compacts the file at `path` (keyed with `password`), keeping the same key. With
    // `makeBackup` the original is copied to BackupPath() first. Reports every failure to
    // the user and returns false.
    bool CompactDatabase(const QString& path, const QByteArray& password, bool makeBackup);

private:
    struct Failure {
        int number = 0;
        QString text;
    };

    bool MakeBackup(const QString& path, Failure* failure);
    bool Compact(const QString& path, const QByteArray& password, Failure* failure);
    bool PutInPlace(const QString& path, Failure* failure);

    DbOperate& mDb;
    Prompter& mPrompter;
    Progress& mProgress;
    QString mScratch;
};

} // namespace kestrio
