#pragma once

#include "Await.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace kestrio {

// GET requests to a web server. A request never holds up the thread: the answer comes to a
// callback from the event loop, so a window stays live while it waits. Callers that have
// nothing else to do (the command line, tests) wait with GetAndWait.
class HttpClient {
public:
    struct Request {
        QUrl url;
        QList<QPair<QByteArray, QByteArray>> headers;
        // The whole call, from sending to the last byte (not a time between bytes).
        std::chrono::milliseconds timeLimit{60000};
    };

    struct Reply {
        QByteArray body;
        // Empty on success (a complete answer with a 2xx status); else what went wrong, in
        // words for the user.
        QString error;
        bool timedOut = false;  // the time limit ended the call
        bool cancelled = false; // CancelAll ended the call
        bool ok() const { return error.isEmpty(); }
    };

    using Callback = std::function<void(const Reply&)>;

    virtual ~HttpClient() = default;

    // Starts the request; `done` is called exactly once, later, from the event loop, unless
    // the client is destroyed first.
    virtual void Get(const Request& request, Callback done) = 0;
    // Ends every call still running; each one's `done` gets a reply marked cancelled.
    virtual void CancelAll() = 0;

    // Runs the event loop until the answer is there.
    Reply GetAndWait(const Request& request)
    {
        return Await<Reply>([&](std::function<void(Reply)> done) { Get(request, std::move(done)); });
    }
};

} // namespace kestrio
