#include "DatabaseCompactor.h"

#include "Database.h"
#include "DbOperate.h"
#include "DerivedKey.h"
#include "SqlQuote.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kestrio {

namespace {

bool RemoveIfPresent(const QString& path, QString* error)
{
    QFile file(path);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return true;
    if (file.remove()) return true;
    *error = file.errorString();
    return false;
}

} // namespace

DatabaseCompactor::DatabaseCompactor(DbOperate& db, Prompter& prompter, Progress& progress, QString scratchFolder)
    : mDb(db), mPrompter(prompter), mProgress(progress), mScratch(std::move(scratchFolder))
{
    if (mScratch.isEmpty()) mScratch = QDir::tempPath();
    if (mScratch.isEmpty()) mScratch = QDir::currentPath();
}

QString DatabaseCompactor::BackupPath() const
{
    return QDir(mScratch).filePath(QStringLiteral("backup.mdb"));
}

QString DatabaseCompactor::CompactedPath() const
{
    return QDir(mScratch).filePath(QStringLiteral("TEMP.mdb"));
}

bool DatabaseCompactor::CompactDatabase(const QString& path, const QByteArray& password, bool makeBackup)
{
    if (!QFileInfo(path).isFile()) {
        mPrompter.Message(QStringLiteral("没有找到要压缩的数据库文件！"), Prompter::Icon::Warning);
        return false;
    }
    mProgress.ShowProgress(QStringLiteral("开始压缩数据库……"), 3, 0);
    Failure failure;
    bool ok = !makeBackup || MakeBackup(path, &failure);
    if (ok) mProgress.StepProgress(1, QStringLiteral("pages"));
    ok = ok && Compact(path, password, &failure);
    if (ok) mProgress.StepProgress(1, QStringLiteral("pages"));
    ok = ok && PutInPlace(path, &failure);
    if (ok) mProgress.StepProgress(1, QStringLiteral("pages"));
    mProgress.CloseProgress();
    if (!ok)
        mPrompter.Message(QStringLiteral("数据库压缩失败（") + QString::number(failure.number) + failure.text +
                              QStringLiteral("）！"),
                          Prompter::Icon::Critical);
    return ok;
}

bool DatabaseCompactor::MakeBackup(const QString& path, Failure* failure)
{
    if (!RemoveIfPresent(BackupPath(), &failure->text)) {
        failure->number = QFileDevice::RemoveError;
        return false;
    }
    QFile source(path);
    if (!source.copy(BackupPath())) {
        *failure = {static_cast<int>(source.error()), source.errorString()};
        return false;
    }
    return true;
}

// The engine writes the compacted copy itself: the source is opened on a connection of its
// own, a keyed file is attached and everything is exported into it; the copy is then opened
// with the same key and checked before anything else happens.
bool DatabaseCompactor::Compact(const QString& path, const QByteArray& password, Failure* failure)
{
    const QString target = CompactedPath();
    if (!RemoveIfPresent(target, &failure->text)) {
        failure->number = QFileDevice::RemoveError;
        return false;
    }
    // The connection may open files but never makes them: the copy starts as an empty file.
    QFile empty(target);
    if (!empty.open(QIODevice::WriteOnly)) {
        *failure = {static_cast<int>(empty.error()), empty.errorString()};
        return false;
    }
    empty.close();
    Database source;
    // The copy is salted as the file is: the key derived for the file opens both.
    const QString key = SqlQuote(QString::fromUtf8(DerivedKey::KeyValueFor(password, DerivedKey::SaltOf(path))));
    bool ok = source.Open(path, password, &failure->text) &&
              source.ExecuteNative(QStringLiteral("ATTACH DATABASE ") + SqlQuote(QDir::toNativeSeparators(target)) +
                                       QStringLiteral(" AS kx_compacted KEY ") + key,
                                   &failure->text) &&
              source.ScalarNative(QStringLiteral("SELECT sqlcipher_export('kx_compacted')"), {}, &failure->text).isValid() &&
              source.ExecuteNative(QStringLiteral("DETACH DATABASE kx_compacted"), &failure->text);
    if (ok) {
        Database copy;
        ok = copy.Open(target, password, &failure->text) &&
             copy.ScalarNative(QStringLiteral("PRAGMA quick_check"), {}, &failure->text).toString() == QLatin1String("ok");
        if (ok && !failure->text.isEmpty()) failure->text.clear();
    }
    if (!ok) {
        failure->number = source.LastErrorCode() ? source.LastErrorCode() : 1;
        if (failure->text.isEmpty()) failure->text = QStringLiteral("压缩后的数据库无法打开");
        QFile::remove(target);
    }
    return ok;
}

// Replaces the database file in one rename. The program's own connection is closed for the
// moment and opened again on whatever file is then in place.
bool DatabaseCompactor::PutInPlace(const QString& path, Failure* failure)
{
    QFile compacted(CompactedPath());
    if (!compacted.open(QIODevice::ReadOnly)) {
        *failure = {static_cast<int>(compacted.error()), compacted.errorString()};
        return false;
    }
    const bool wasOpen = mDb.Db().IsOpen() && QFileInfo(mDb.Db().Path()) == QFileInfo(path);
    if (wasOpen) mDb.Db().Close();
    QSaveFile target(path);
    bool ok = target.open(QIODevice::WriteOnly);
    while (ok && !compacted.atEnd()) {
        const QByteArray chunk = compacted.read(1 << 20);
        ok = !chunk.isEmpty() && target.write(chunk) == chunk.size();
    }
    ok = ok && target.commit();
    if (!ok) {
        *failure = {static_cast<int>(target.error()), target.errorString()};
        target.cancelWriting();
    }
    compacted.close();
    if (ok) QFile::remove(CompactedPath());
    if (wasOpen) mDb.OpenDatabase();
    return ok;
}

} // namespace kestrio
