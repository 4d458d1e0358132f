#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QStringList>

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

} // namespace kestrio::test
