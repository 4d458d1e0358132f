#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

namespace kestrio {

class Prompter;

// Whole-file text as the exchange files carry it: GB18030 (the superset of the GBK code page
// those files were first written in), no byte-order mark, line ends left to the caller.
class TextFileIO {
public:
    // `retryWindow`: how long a reader keeps trying a file that exists but is still empty,
    // because another program may be writing it this very moment.
    explicit TextFileIO(Prompter& prompter,
                        std::chrono::milliseconds retryWindow = std::chrono::milliseconds(1000));

    // Writes the whole text as the file at `path` through a temporary file and a rename, so
    // that a reader never sees half a file and a failure leaves an older file as it was.
    // False (and `error` says why) when the file could not be put in place; the caller tells
    // the user, because a file it believes written and is not loses the user's work.
    static bool WriteTextFile(const QString& text, const QString& path, QString* error = nullptr);

    // The whole text of the file; with `deleteAfter` the file is removed once read. A missing
    // file is reported at once, an empty or unreadable one after the retry window; both show
    // "无法打开下载文档：" with the path on the next line and yield an empty text.
    QString ReadTextFile(const QString& path, bool deleteAfter);

    // Lets pending events run 2 × (count + 1) times, so that a window stays responsive while
    // work waits. Without an application object there is nothing to process.
    static void EventPause(int count);

    static QByteArray Encode(const QString& text);
    static QString Decode(const QByteArray& bytes);

private:
    static QString ReadOnce(const QString& path);

    Prompter& mPrompter;
    std::chrono::milliseconds mRetryWindow;
};

} // namespace kestrio
