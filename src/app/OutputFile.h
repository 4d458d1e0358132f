#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace kestrio {

// The one way this program writes a file the user asked for (tables, pictures, PDFs, format
// files, published folders): the bytes go to a scratch file beside the target, readable by
// the owner only unless the target already exists with other rights; every write is
// counted and the scratch file must hold exactly that many bytes before it is renamed over
// the target. A short write (a full disk, a size limit), a failed flush or rename leave the
// existing file as it was and nothing else behind.
class OutputFile {
public:
    explicit OutputFile(const QString& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Open();
    bool Write(const QByteArray& bytes);
    // Puts the file in place; false (with Error()) when anything written is missing.
    bool Commit();
    void Cancel();

    const QString& Path() const { return mPath; }
    // Why the file could not be written, in the engine's words.
    const QString& Error() const { return mError; }
    // "文件写入失败：<path>（<why>）" for the user.
    QString FailureText() const { return FailureText(mPath, mError); }
    static QString FailureText(const QString& path, const QString& why = {});

    // Writes `bytes` as the whole file at `path`.
    static bool WriteWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr);

private:
    bool Fail(const QString& why);

    QString mPath;
    QSaveFile mFile;
    qint64 mWritten = 0;
    bool mFailed = false;
    QString mError;
};

} // namespace kestrio
