#include "NetworkHttpClient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace kestrio {

namespace {

// Why a call ended early, when it was this side that ended it.
enum class Cut { None, TimeLimit, TooLarge, Cancelled };

QString ErrorText(QNetworkReply& reply, Cut cut, std::chrono::milliseconds limit, qint64 sizeLimit)
{
    if (cut == Cut::Cancelled) return QStringLiteral("已取消");
    if (cut == Cut::TimeLimit)
        return QStringLiteral("服务器在%1秒内没有答完").arg(static_cast<double>(limit.count()) / 1000.0);
    if (cut == Cut::TooLarge)
        return QStringLiteral("服务器的回答超过%1，已拒收")
            .arg(sizeLimit >= 1024 * 1024 ? QString::number(sizeLimit / (1024 * 1024)) + QStringLiteral("MB")
                                          : QString::number(sizeLimit) + QStringLiteral("字节"));
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply.error() == QNetworkReply::NoError && (status == 0 || (status >= 200 && status < 300))) return {};
    if (status >= 300)
        return QStringLiteral("服务器答复%1 %2").arg(status).arg(
            reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("服务器拒绝连接，可能没有运行");
    case QNetworkReply::HostNotFoundError: return QStringLiteral("找不到服务器") + reply.url().host();
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("服务器中途断开了连接");
    default: return reply.errorString();
    }
}

const char* const kCancelled = "kestrioCancelled";

} // namespace

NetworkHttpClient::NetworkHttpClient(qint64 sizeLimitBytes, QObject* parent)
    : QObject(parent), mSizeLimit(sizeLimitBytes)
{
    mManager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

NetworkHttpClient::~NetworkHttpClient()
{
    for (QNetworkReply* reply : mManager.findChildren<QNetworkReply*>()) {
        reply->disconnect(this);
        reply->abort();
    }
}

void NetworkHttpClient::CancelAll()
{
    for (QNetworkReply* reply : mManager.findChildren<QNetworkReply*>()) {
        if (reply->isFinished()) continue;
        reply->setProperty(kCancelled, true);
        reply->abort();
    }
}

void NetworkHttpClient::Get(const Request& request, Callback done)
{
    QNetworkRequest networkRequest(request.url);
    for (const auto& [name, value] : request.headers) networkRequest.setRawHeader(name, value);
    QNetworkReply* reply = mManager.get(networkRequest);
    auto cut = std::make_shared<Cut>(Cut::None);

    // Both the timer and the size checks end the call through abort(), which still ends in
    // finished(): the callback is called in one place only.
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [reply, cut] {
        if (*cut != Cut::None) return;
        *cut = Cut::TimeLimit;
        reply->abort();
    });
    timer->start(request.timeLimit);

    const qint64 limit = mSizeLimit;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, cut, limit](qint64 received, qint64 total) {
        if (*cut != Cut::None || (received <= limit && total <= limit)) return;
        *cut = Cut::TooLarge;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this,
            [reply, cut, done = std::move(done), limit, timeLimit = request.timeLimit] {
                reply->deleteLater();
                if (reply->property(kCancelled).toBool()) *cut = Cut::Cancelled;
                Reply answer;
                answer.error = ErrorText(*reply, *cut, timeLimit, limit);
                answer.timedOut = *cut == Cut::TimeLimit;
                answer.cancelled = *cut == Cut::Cancelled;
                if (answer.ok()) answer.body = reply->readAll();
                done(answer);
            });
}

} // namespace kestrio
