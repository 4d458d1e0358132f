#include "TextFileIO.h"

#include "app/WholeFile.h"
#include "seams/Prompter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QThread>

namespace kestrio {

namespace {

// The converters are looked up by name: Qt offers GB18030 only through ICU, never as one of
// its built-in encodings, so QStringConverter::encodingForName() does not know it.
const char* const kCodePage = "GB18030";

// A write that fails for a passing reason (a virus scanner holding the old file) usually
// succeeds a moment later; a folder that does not exist never does, so a few tries suffice.
constexpr int kWriteAttempts = 3;

} // namespace

TextFileIO::TextFileIO(Prompter& prompter, std::chrono::milliseconds retryWindow)
    : mPrompter(prompter), mRetryWindow(retryWindow)
{
}

QByteArray TextFileIO::Encode(const QString& text)
{
    QStringEncoder encoder(kCodePage);
    return encoder.encode(text);
}

QString TextFileIO::Decode(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

bool TextFileIO::WriteTextFile(const QString& text, const QString& path, QString* error)
{
    const QByteArray bytes = Encode(text);
    for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
        if (WriteWholeFile(path, bytes, error)) return true;
        if (attempt < kWriteAttempts) EventPause(100);
    }
    return false;
}

QString TextFileIO::ReadOnce(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return Decode(file.readAll());
}

QString TextFileIO::ReadTextFile(const QString& path, bool deleteAfter)
{
    const QDeadlineTimer deadline(mRetryWindow);
    // Only a file that is there can still be in the middle of being written.
    while (QFileInfo(path).isFile()) {
        const QString text = ReadOnce(path);
        if (!text.isEmpty()) {
            if (deleteAfter) QFile::remove(path);
            return text;
        }
        if (deadline.hasExpired()) break;
        EventPause(100);
        QThread::msleep(50);
    }
    mPrompter.Message(QStringLiteral("无法打开下载文档：") + QStringLiteral("\r\n") + path, Prompter::Icon::Critical);
    return {};
}

void TextFileIO::EventPause(int count)
{
    if (!QCoreApplication::instance()) return;
    for (int i = 0; i < 2 * (count + 1); ++i) QCoreApplication::processEvents();
}

} // namespace kestrio
