#include "OutputFile.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace kestrio {

OutputFile::OutputFile(const QString& path) : mPath(path), mFile(path)
{
}

OutputFile::~OutputFile()
{
    if (mFile.isOpen()) mFile.cancelWriting();
}

QString OutputFile::FailureText(const QString& path, const QString& why)
{
    QString text = QStringLiteral("文件写入失败：") + QDir::toNativeSeparators(path);
    if (!why.isEmpty()) text += QStringLiteral("（") + why + QStringLiteral("）");
    return text;
}

bool OutputFile::Fail(const QString& why)
{
    mFailed = true;
    if (mError.isEmpty()) mError = why.isEmpty() ? QStringLiteral("写入不完整") : why;
    return false;
}

bool OutputFile::Open()
{
    mWritten = 0;
    mFailed = false;
    mError.clear();
    const bool existed = QFileInfo::exists(mPath);
    if (!mFile.open(QIODevice::WriteOnly)) return Fail(mFile.errorString());
    // Payees and accounts are nobody else's business: a new file is the owner's alone.
    if (!existed) mFile.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

bool OutputFile::Write(const QByteArray& bytes)
{
    if (mFailed || !mFile.isOpen()) return Fail(mFile.errorString());
    if (mFile.write(bytes) != bytes.size())
        return Fail(QStringLiteral("只写入了部分内容，磁盘已满或超出文件大小限制"));
    mWritten += bytes.size();
    return true;
}

bool OutputFile::Commit()
{
    if (!mFile.isOpen()) return Fail(mFile.errorString());
    // The engine may take part of a write and drop the rest without a word (a size limit
    // reached half-way): the scratch file must hold all that was written.
    struct stat written {};
    const bool flushed = !mFailed && mFile.flush();
    const bool whole = flushed && ::fstat(mFile.handle(), &written) == 0 && written.st_size == mWritten;
    if (!whole) {
        // The engine's own words for a write cut short are often none at all.
        const QString why = mFailed ? mError : QStringLiteral("只写入了部分内容，磁盘已满或超出文件大小限制");
        mFile.cancelWriting();
        mFile.commit(); // closes and removes the scratch file
        return Fail(why);
    }
    if (!mFile.commit()) return Fail(mFile.errorString());
    return true;
}

void OutputFile::Cancel()
{
    if (!mFile.isOpen()) return;
    mFile.cancelWriting();
    mFile.commit();
}

bool OutputFile::WriteWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    OutputFile file(path);
    const bool ok = file.Open() && file.Write(bytes) && file.Commit();
    if (!ok && error) *error = file.Error();
    return ok;
}

} // namespace kestrio
