#include "DatabaseBackup.h"

#include "Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

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

} // namespace

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
    if (!db.BackupTo(target, error)) return {};
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
