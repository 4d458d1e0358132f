#pragma once

#include "seams/HttpClient.h"

#include <QNetworkAccessManager>
#include <QObject>

namespace kestrio {

// HTTP and HTTPS through Qt's network access: redirects are followed as long as they do not
// go from HTTPS to HTTP, every call has its time limit, and an answer larger than the size
// limit is refused rather than held in memory.
class NetworkHttpClient final : public QObject, public HttpClient {
    Q_OBJECT

public:
    static constexpr qint64 kDefaultSizeLimit = 50LL * 1024 * 1024;

    explicit NetworkHttpClient(qint64 sizeLimitBytes = kDefaultSizeLimit, QObject* parent = nullptr);
    // Calls still running are abandoned without calling back: whoever waited is going away.
    ~NetworkHttpClient() override;

    void Get(const Request& request, Callback done) override;
    void CancelAll() override;

private:
    QNetworkAccessManager mManager;
    qint64 mSizeLimit;
};

} // namespace kestrio
