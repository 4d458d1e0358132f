#include "DatabaseBackup.h"

#include "Database.h"
#include "DatabaseFailure.h"
#include "DerivedKey.h"
#include "SqlQuote.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <sqlcipher/sqlite3.h>

namespace kestrio {

namespace {

QStringList BackupFiles(const QString& databasePath)
{
    const QString base = QFileInfo(databasePath).completeBaseName();
    QDir folder(DatabaseBackup::BackupFolder(databasePath));
    // Names carry their time, so the name order is the age order.
    return folder.entryList({base + QStringLiteral("-*.mdb")}, QDir::Files, QDir::Name);
}

bool CopyPrivately(const QString& from, const QString& to, QString* error)
{
    const QString partial = Database::PartialPath(to);
    QFile::remove(partial);
    if (!QFile::copy(from, partial)) {
        if (error) *error = QStringLiteral("无法复制文件到") + QDir::toNativeSeparators(to);
        return false;
    }
    QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // rename() replaces the target in one step, so the target is never missing or partial.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(partial);
        if (error) *error = QStringLiteral("无法写入") + QDir::toNativeSeparators(to);
        return false;
    }
    return true;
}

bool Fail(QString* error, const QString& text)
{
    if (error) *error = text;
    return false;
}

} // namespace

// The engine copies the open database page by page into the empty file at `partial`, keyed
// the same; a writer in between makes it start over, so the copy is consistent.
bool DatabaseBackup::EngineCopy(Database& db, const QString& partial, QString* error)
{
    sqlite3* copy = nullptr;
    const QByteArray native = QFile::encodeName(QDir::toNativeSeparators(partial));
    // Salted as the database is, so the key derived for it opens the copy as well.
    const QByteArray keyValue = DerivedKey::KeyValueFor(db.mKey, DerivedKey::SaltOf(db.mPath));
    const QByteArray key = (QStringLiteral("PRAGMA key = ") + SqlQuote(QString::fromUtf8(keyValue))).toUtf8();
    bool ok = sqlite3_open_v2(native.constData(), &copy, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(copy, key.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_backup* backup = ok ? sqlite3_backup_init(copy, "main", db.mDb, "main") : nullptr;
    int code = SQLITE_ERROR;
    if (backup) {
        while ((code = sqlite3_backup_step(backup, 64)) == SQLITE_OK || code == SQLITE_BUSY || code == SQLITE_LOCKED)
            sqlite3_sleep(5);
        sqlite3_backup_finish(backup);
    }
    ok = code == SQLITE_DONE;
    if (!ok) Fail(error, DatabaseFailure::Describe(code, db.mPath, QString::fromUtf8(sqlite3_errmsg(copy))));
    sqlite3_close(copy);
    return ok;
}

bool DatabaseBackup::WriteCopy(Database& db, const QString& target, QString* error)
{
    if (!db.IsOpen()) return Fail(error, QStringLiteral("数据库未打开"));
    const QString partial = Database::PartialPath(target);
    QFile::remove(partial);
    QFile placeholder(partial);
    if (!placeholder.open(QIODevice::WriteOnly)) return Fail(error, QStringLiteral("无法写入") + partial);
    placeholder.close();
    placeholder.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QString text;
    bool ok = EngineCopy(db, partial, &text);
    // The copy is read back before it counts: a backup that cannot be opened is no backup.
    if (ok) {
        Database check;
        ok = check.Open(partial, db.mKey, &text) && !check.IsDamaged();
        if (!ok && text.isEmpty()) text = QStringLiteral("备份文件校验失败");
    }
    // rename() replaces a file already there in one step.
    if (ok && std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        ok = false;
        text = QStringLiteral("无法写入") + target;
    }
    if (!ok) QFile::remove(partial);
    return ok || Fail(error, text);
}

QString DatabaseBackup::BackupFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("Backup"));
}

QString DatabaseBackup::BackupName(const QString& databasePath, const QDateTime& when)
{
    return QDir(BackupFolder(databasePath))
        .filePath(QFileInfo(databasePath).completeBaseName() + QLatin1Char('-') +
                  when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".mdb"));
}

QString DatabaseBackup::LatestBackup(const QString& databasePath)
{
    const QStringList files = BackupFiles(databasePath);
    return files.isEmpty() ? QString() : QDir(BackupFolder(databasePath)).filePath(files.last());
}

QString DatabaseBackup::MakeBackup(Database& db, const QDateTime& when, QString* error)
{
    const QString folder = BackupFolder(db.Path());
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("无法建立备份文件夹：") + QDir::toNativeSeparators(folder);
        return {};
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QString target = BackupName(db.Path(), when);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = BackupName(db.Path(), when).chopped(4) + QLatin1Char('-') + QString::number(n) + QStringLiteral(".mdb");
    if (!WriteCopy(db, target, error)) return {};
    Prune(db.Path());
    return target;
}

bool DatabaseBackup::DailyBackup(Database& db, const QDateTime& now, QString* error)
{
    const QString today = QFileInfo(db.Path()).completeBaseName() + QLatin1Char('-') +
                          now.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-');
    for (const QString& name : BackupFiles(db.Path()))
        if (name.startsWith(today)) return true;
    return !MakeBackup(db, now, error).isEmpty();
}

void DatabaseBackup::Prune(const QString& databasePath)
{
    QStringList files = BackupFiles(databasePath);
    const QDir folder(BackupFolder(databasePath));
    while (files.size() > kKept) QFile::remove(folder.filePath(files.takeFirst()));
}

bool DatabaseBackup::IsProgramDatabase(const QString& path, const QByteArray& key, QString* error)
{
    Database db;
    if (!db.Open(path, key, error)) return false;
    if (db.IsDamaged()) {
        if (error) *error = QStringLiteral("文件已损坏");
        return false;
    }
    if (!db.ScalarNative(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name='Fmt'")).isValid()) {
        if (error) *error = QStringLiteral("文件中没有格式表");
        return false;
    }
    return true;
}

bool DatabaseBackup::Restore(const QString& databasePath, const QString& source, const QByteArray& key,
                             const QDateTime& when, QString* error)
{
    QString why;
    if (!IsProgramDatabase(source, key, &why)) {
        if (error) *error = QStringLiteral("“") + QDir::toNativeSeparators(source) + QStringLiteral("”不是本程序的数据文件（") + why + QStringLiteral("）");
        return false;
    }
    if (QFileInfo::exists(databasePath)) {
        const QString folder = BackupFolder(databasePath);
        QDir().mkpath(folder);
        // The replaced file is kept as it is, even damaged: it may still hold what the copy lacks.
        const QString kept = QDir(folder).filePath(QStringLiteral("replaced-") + QFileInfo(BackupName(databasePath, when)).fileName());
        if (!CopyPrivately(databasePath, kept, error)) return false;
    }
    // A journal left beside the old file belongs to it and must not be played into the copy.
    QFile::remove(databasePath + QStringLiteral("-journal"));
    return CopyPrivately(source, databasePath, error);
}

} // namespace kestrio
