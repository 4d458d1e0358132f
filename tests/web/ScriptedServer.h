#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

namespace kestrio::test {

// A web server on 127.0.0.1 that answers each path with the bytes a test gave it, or never
// answers at all, and counts what it was asked.
class ScriptedServer final : public QAbstractHttpServer {
public:
    ScriptedServer() { port = listen(QHostAddress::LocalHost, 0); }

    QString Address() const { return QStringLiteral("http://127.0.0.1:") + QString::number(port); }
    void Answer(const QString& path, const QByteArray& body) { mBodies.insert(path, body); }
    void NeverAnswer(const QString& path) { mSilent << path; }

    quint16 port = 0;
    QHash<QString, int> hits;     // requests by path
    QStringList queries;          // the query of every request, in order

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        const QString path = request.url().path();
        ++hits[path];
        queries << request.url().query(QUrl::FullyDecoded);
        if (mSilent.contains(path)) {
            mHeld.push_back(std::make_unique<QHttpServerResponder>(makeResponder(request, socket)));
            return true;
        }
        if (!mBodies.contains(path)) return false;
        makeResponder(request, socket).write(mBodies.value(path), QByteArrayLiteral("text/plain"));
        return true;
    }

    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    QHash<QString, QByteArray> mBodies;
    QStringList mSilent;
    std::vector<std::unique_ptr<QHttpServerResponder>> mHeld;
};

// A server on 127.0.0.1 that answers every request with `body`, or, once `drip` is set,
// sends the head at once and then one byte of a long body every `interval`: a peer that is
// never quite silent and never done.
class DripServer final : public QTcpServer {
public:
    DripServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n")) return;
                    ++hits;
                    if (!drip) {
                        socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                                      "\r\n\r\n" + body);
                        return;
                    }
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
                    auto* timer = new QTimer(socket);
                    connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
                    timer->start(interval);
                });
            }
        });
    }

    QString Address() const { return QStringLiteral("http://127.0.0.1:") + QString::number(serverPort()); }

    QByteArray body;
    bool drip = false;
    int interval = 300; // ms
    int hits = 0;
};

} // namespace kestrio::test
