#include "WebText.h"

#include "app/OutputFile.h"
#include "format/TextFileIO.h"
#include "seams/Clock.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace kestrio {

QUrl WebText::WithCacheBreaker(const QString& url, const QTime& now)
{
    const QChar separator = url.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return QUrl(url + separator + QStringLiteral("Time=") + now.toString(QStringLiteral("HH:mm:ss")));
}

QString WebText::DecodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? TextFileIO::Decode(bytes) : text;
}

std::optional<QString> WebText::CleanUp(const QString& text, const QString& marker)
{
    if (!text.contains(marker)) return std::nullopt;
    QString cleaned = text;
    const qsizetype cut = cleaned.lastIndexOf(QStringLiteral("<BR>"));
    if (cut >= 0) cleaned.truncate(cut);
    cleaned.replace(QStringLiteral("<+>"), QStringLiteral("\r\n"));
    return cleaned;
}

HttpClient::Request WebText::RequestFor(const QString& url, std::chrono::milliseconds timeLimit) const
{
    HttpClient::Request request;
    request.url = WithCacheBreaker(url, mClock.Now().time());
    request.headers.append({QByteArrayLiteral("CONTENT-TYPE"), QByteArrayLiteral("text/xml")});
    request.timeLimit = timeLimit;
    return request;
}

void WebText::GetText(const QString& url, const QString& marker, std::chrono::milliseconds timeLimit,
                      TextCallback done)
{
    mHttp.Get(RequestFor(url, timeLimit), [marker, done = std::move(done)](const HttpClient::Reply& reply) {
        TextResult result;
        if (reply.cancelled) {
            result.error = CancelledError();
        } else if (!reply.ok()) {
            result.error = reply.timedOut ? TimeoutError() : NetworkError();
            result.reason = reply.error;
        } else if (auto text = CleanUp(DecodeText(reply.body), marker)) {
            result.text = *text;
        } else {
            result.error = NetworkError();
            result.reason = QStringLiteral("回答中没有“") + marker + QStringLiteral("”");
        }
        done(result);
    });
}

void WebText::GetTextRetry(const QString& url, const QString& marker, std::chrono::milliseconds timeLimit,
                           TextCallback done)
{
    Retry(url, marker, QDeadlineTimer(timeLimit), kTries, std::move(done));
}

void WebText::Retry(const QString& url, const QString& marker, QDeadlineTimer deadline, int triesLeft,
                    TextCallback done)
{
    const auto left = std::max(std::chrono::milliseconds(0),
                               std::chrono::ceil<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
    GetText(url, marker, left, [this, url, marker, deadline, triesLeft, done](TextResult result) {
        if (result.ok() || result.Final() || triesLeft <= 1) {
            done(result);
            return;
        }
        if (deadline.hasExpired()) {
            done({TimeoutError(), result.reason, {}});
            return;
        }
        Retry(url, marker, deadline, triesLeft - 1, done);
    });
}

void WebText::GetFile(const QString& url, const QString& targetPath, std::chrono::milliseconds timeLimit,
                      FileCallback done)
{
    mHttp.Get(RequestFor(url, timeLimit), [targetPath, done = std::move(done)](const HttpClient::Reply& reply) {
        QFile::remove(targetPath);
        if (reply.cancelled) done(CancelledError());
        else if (reply.timedOut) done(TimeoutError() + QStringLiteral("（") + reply.error + QStringLiteral("）"));
        else done(reply.ok() ? WriteFile(targetPath, reply.body) : reply.error);
    });
}

QString WebText::WriteFile(const QString& targetPath, const QByteArray& body)
{
    QString error;
    if (OutputFile::WriteWhole(targetPath, body, &error)) return {};
    return OutputFile::FailureText(targetPath, error);
}

} // namespace kestrio
