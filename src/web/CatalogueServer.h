#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <chrono>
#include <functional>
#include <list>

namespace kestrio {

class CatalogueConnection;

// What one catalogue server allows its clients.
struct CatalogueServerLimits {
    int connections = 200;           // open connections in all
    int connectionsPerAddress = 32;  // open connections from one client address
    // The time a client has to send a whole request head, and to take the next piece of
    // an answer; silent connections are closed after it.
    std::chrono::milliseconds idleTimeout{30000};
    qint64 sendBuffer = 256 * 1024;  // answer bytes held for one connection at most
    int requestLine = 8 * 1024;      // bytes of the request line
    int requestHead = 32 * 1024;     // bytes of the request line and all headers
    int headerCount = 100;
};

// A read-only catalogue server over a folder of exchange files: every `.zhq` in the folder
// or in one of its sub-folders (the sub-folder names the category) with the `.jpg` of the
// same base name beside it. It answers GET and HEAD for
//   /tkd/fmt.asp                  the catalogue ("Clas|Name|fPath|pPath|Dat" records)
//   /velmorasoft/downpage/Pro.asp the product page with the version in version.txt
//   /<path of a .zhq or .jpg>     the file itself
// and nothing else: no path outside the folder, no other kind of file, no listing.
//
// It speaks a small part of HTTP/1.1 itself so that every connection stays bounded: open
// connections per client address and in all, the time a client may take to send a request or
// to take an answer, the size of a request head, and the bytes waiting to be sent (files are
// read in pieces as the client takes them).
class CatalogueServer final : public QObject {
    Q_OBJECT

public:
    using Limits = CatalogueServerLimits;

    static QString VersionFileName() { return QStringLiteral("version.txt"); }
    // The category of exchange files lying in the folder itself.
    static QString TopCategory() { return QStringLiteral("其他"); }

    explicit CatalogueServer(QString folder, Limits limits = Limits(), QObject* parent = nullptr);
    ~CatalogueServer() override;

    // The port listened on, 0 when the address cannot be listened on.
    quint16 Listen(const QHostAddress& address, quint16 port);

    // Each answered request as "<client> <method> <path> <status>", and every refused or
    // closed connection with the reason, for the command's output.
    void SetLog(std::function<void(const QString&)> log) { mLog = std::move(log); }

    int OpenConnections() const { return static_cast<int>(mConnections.size()); }
    // Answer bytes accepted for sending but not yet handed to the system, over all connections.
    qint64 QueuedBytes() const;
    const Limits& Settings() const { return mLimits; }

    // The catalogue as served: one record per exchange file, then the marker.
    static QByteArray CatalogueText(const QString& folder);
    // The product page; empty when the folder holds no version.
    static QByteArray ProductPage(const QString& folder);
    // The served file for a decoded request path; empty for anything not to be served.
    static QString FileForPath(const QString& folder, const QString& requestPath);

private:
    friend class CatalogueConnection;

    void Accept();
    // Makes room for one more connection from `address`: closes the connection that has waited
    // longest for a request when a limit is reached. False when every connection is busy.
    bool MakeRoom(const QHostAddress& address);
    void Closed(CatalogueConnection* connection);
    void Log(const QString& line) const
    {
        if (mLog) mLog(line);
    }
    const QString& Folder() const { return mFolder; }

    QString mFolder;
    Limits mLimits;
    QTcpServer mListener;
    std::list<CatalogueConnection*> mConnections; // oldest first
    QHash<QString, int> mPerAddress;
    std::function<void(const QString&)> mLog;
};

} // namespace kestrio
