#include "DatabaseCompactor.h"

#include "DatabaseBackup.h"
#include "DatabaseFailure.h"
#include "DbOperate.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>

namespace kestrio {

DatabaseCompactor::DatabaseCompactor(DbOperate&, Prompter& prompter, Progress& progress, int busyTimeoutMs)
    : mPrompter(prompter), mProgress(progress), mBusyTimeoutMs(busyTimeoutMs)
{
}

bool DatabaseCompactor::CompactDatabase(const QString& path, const QByteArray& password, bool makeBackup)
{
    mBackup.clear();
    if (!QFileInfo(path).isFile()) {
        mPrompter.Message(QStringLiteral("没有找到要压缩的数据库文件！"), Prompter::Icon::Warning);
        return false;
    }
    // The marker tells a writer that gives up waiting why it waited; one compaction at a time.
    QLockFile marker(DatabaseFailure::CompactionMarker(path));
    if (!marker.tryLock(0)) {
        mPrompter.Message(DatabaseFailure::CompactingText(), Prompter::Icon::Warning);
        return false;
    }
    mProgress.ShowProgress(QStringLiteral("开始压缩数据库……"), 3, 0);
    Failure failure;
    const bool ok = Run(path, password, makeBackup, &failure);
    mProgress.CloseProgress();
    marker.unlock();
    if (!ok)
        mPrompter.Message(QStringLiteral("数据库压缩失败（") + QString::number(failure.number) + failure.text +
                              QStringLiteral("）！"),
                          Prompter::Icon::Critical);
    return ok;
}

// A connection of its own holds the file from the first step to the last, so that the backup,
// the compaction and its check see one and the same contents and nobody writes in between.
bool DatabaseCompactor::Run(const QString& path, const QByteArray& password, bool makeBackup, Failure* failure)
{
    Database work;
    if (!work.Open(path, password, &failure->text)) {
        failure->number = work.LastErrorCode() ? work.LastErrorCode() : 1;
        return false;
    }
    work.SetBusyTimeout(mBusyTimeoutMs);
    if (!Hold(work, failure)) return false;
    if (makeBackup) {
        mBackup = DatabaseBackup::MakeBackup(work, QDateTime::currentDateTime(), &failure->text);
        if (mBackup.isEmpty()) {
            failure->number = work.LastErrorCode() ? work.LastErrorCode() : 1;
            return false;
        }
    }
    mProgress.StepProgress(1, QStringLiteral("pages"));
    if (!Vacuum(work, failure)) return false;
    mProgress.StepProgress(1, QStringLiteral("pages"));
    const QVariant verdict = work.ScalarNative(QStringLiteral("PRAGMA quick_check"), {}, &failure->text);
    if (verdict.toString() != QLatin1String("ok")) {
        failure->number = work.LastErrorCode() ? work.LastErrorCode() : 1;
        if (failure->text.isEmpty()) failure->text = QStringLiteral("压缩后的数据库检查未通过");
        return false;
    }
    mProgress.StepProgress(1, QStringLiteral("pages"));
    return true;
}

// The exclusive lock is taken in the normal way first (a lock half taken in exclusive mode
// would be kept while waiting, and the writer in the middle of its commit would wait for it);
// in exclusive locking mode the engine then keeps it after the commit, until the connection
// is closed.
bool DatabaseCompactor::Hold(Database& work, Failure* failure)
{
    const bool ok = work.ExecuteNative(QStringLiteral("BEGIN EXCLUSIVE"), &failure->text) &&
                    work.ExecuteNative(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"), &failure->text) &&
                    work.ExecuteNative(QStringLiteral("COMMIT"), &failure->text);
    if (!ok) {
        failure->number = work.LastErrorCode() ? work.LastErrorCode() : 1;
        if (DatabaseFailure::IsBusy(failure->number)) failure->text = DatabaseFailure::BusyText();
    }
    return ok;
}

// The engine writes the compacted contents to a scratch database kept in memory and copies
// them back page by page under its journal, keeping the file's key and salt.
bool DatabaseCompactor::Vacuum(Database& work, Failure* failure)
{
    if (work.ExecuteNative(QStringLiteral("VACUUM"), &failure->text)) return true;
    failure->number = work.LastErrorCode() ? work.LastErrorCode() : 1;
    return false;
}

} // namespace kestrio
