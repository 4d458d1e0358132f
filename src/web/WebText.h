#pragma once

#include "seams/HttpClient.h"

#include <QDeadlineTimer>
#include <QString>
#include <QTime>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

namespace kestrio {

class Clock;

// The three web operations the catalogue and the update check are built on: a text that
// must carry a marker (GetText, and GetTextRetry with its five tries) and a file (GetFile).
// Every request carries a cache breaker (the time of day) and the header
// "CONTENT-TYPE: text/xml". Answers come to a callback; nothing here waits.
class WebText {
public:
    struct TextResult {
        // Empty on success, else "网络错误！", "网络超时！" when the time ran out, or "已取消";
        // `reason` says what went wrong.
        QString error;
        QString reason;
        QString text;
        bool ok() const { return error.isEmpty(); }
        // "网络错误！（why）" for the user; empty on success.
        QString Describe() const
        {
            return ok() || reason.isEmpty() ? error : error + QStringLiteral("（") + reason + QStringLiteral("）");
        }
        // Another try cannot help: the time is up or the user said stop.
        bool Final() const { return error == TimeoutError() || error == CancelledError(); }
    };
    using TextCallback = std::function<void(TextResult)>;
    // An empty text when the file was written, else why not (beginning with "网络超时！" when
    // the time ran out, or just "已取消").
    using FileCallback = std::function<void(QString)>;

    static constexpr int kTries = 5;

    WebText(HttpClient& http, Clock& clock) : mHttp(http), mClock(clock) {}

    // `url` with "Time=hh:mm:ss" appended after "&" when it already has a query, else "?".
    static QUrl WithCacheBreaker(const QString& url, const QTime& now);
    // UTF-8 when the bytes are valid UTF-8, else GB18030 (the code page older servers use).
    static QString DecodeText(const QByteArray& bytes);
    // The text a caller gets: nothing without `marker`; else cut at the last "<BR>" with every
    // "<+>" turned into CR LF.
    static std::optional<QString> CleanUp(const QString& text, const QString& marker);

    void GetText(const QString& url, const QString& marker, std::chrono::milliseconds timeLimit, TextCallback done);
    // GetText until one call succeeds, at most kTries calls, all within the one `timeLimit`;
    // the last result.
    void GetTextRetry(const QString& url, const QString& marker, std::chrono::milliseconds timeLimit,
                      TextCallback done);
    // Downloads into `targetPath` through a temporary file renamed into place. Whatever was at
    // `targetPath` before is gone afterwards even when the download fails, so a stale file is
    // never taken for the new one.
    void GetFile(const QString& url, const QString& targetPath, std::chrono::milliseconds timeLimit,
                 FileCallback done);

    // Ends every request still running; their callbacks are told "已取消".
    void CancelAll() { mHttp.CancelAll(); }

    static QString NetworkError() { return QStringLiteral("网络错误！"); }
    static QString TimeoutError() { return QStringLiteral("网络超时！"); }
    static QString CancelledError() { return QStringLiteral("已取消"); }

private:
    HttpClient::Request RequestFor(const QString& url, std::chrono::milliseconds timeLimit) const;
    void Retry(const QString& url, const QString& marker, QDeadlineTimer deadline, int triesLeft, TextCallback done);
    static QString WriteFile(const QString& targetPath, const QByteArray& body);

    HttpClient& mHttp;
    Clock& mClock;
};

} // namespace kestrio
