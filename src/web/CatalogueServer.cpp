#include "CatalogueServer.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <memory>

namespace kestrio {

namespace {

// A name that would break a record: the field and record separators, the text's own line
// break code and the cut of the client's clean-up.
bool FitsRecord(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control) return false;
    return !text.contains(QLatin1Char('|')) && !text.contains(QStringLiteral("<br>"), Qt::CaseInsensitive) &&
           !text.contains(QStringLiteral("<+>"));
}

// The server path of a file: "/" and the path inside the folder, with the characters that
// would end a URL's path escaped.
QString ServerPath(const QString& relative)
{
    QString path = QLatin1Char('/') + relative;
    path.replace(QLatin1Char('%'), QStringLiteral("%25"));
    path.replace(QLatin1Char('#'), QStringLiteral("%23"));
    path.replace(QLatin1Char('?'), QStringLiteral("%3F"));
    return path;
}

QString Record(const QDir& root, const QFileInfo& file, const QString& category)
{
    const QString relative = root.relativeFilePath(file.absoluteFilePath());
    const QString picture = file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".jpg");
    const QString picturePath =
        QFileInfo::exists(picture) ? ServerPath(root.relativeFilePath(picture)) : QString();
    return QStringList{category, file.completeBaseName(), ServerPath(relative), picturePath,
                       file.lastModified().date().toString(Qt::ISODate)}
        .join(QLatin1Char('|'));
}

QString ReadVersion(const QString& folder)
{
    QFile file(QDir(folder).filePath(CatalogueServer::VersionFileName()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readLine(200)).trimmed();
}

} // namespace

namespace {

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

const QByteArray kPlainText = QByteArrayLiteral("text/plain; charset=utf-8");

QByteArray Head(int status, const QByteArray& mimeType, qint64 length, bool close)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonPhrase(status) + "\r\n";
    head += "Content-Type: " + mimeType + "\r\nContent-Length: " + QByteArray::number(length) + "\r\n";
    if (status == 405) head += "Allow: GET, HEAD\r\n";
    if (close) head += "Connection: close\r\n";
    return head + "\r\n";
}

QString Seconds(std::chrono::milliseconds time)
{
    return QString::number(static_cast<double>(time.count()) / 1000.0);
}

// One request head as the client sent it.
struct RequestHead {
    int error = 0; // the status to answer with when the head is unusable
    QByteArray method;
    QUrl url;
    bool close = false;
};

RequestHead Failed(int status)
{
    RequestHead request;
    request.error = status;
    request.close = true;
    return request;
}

RequestHead ParseHead(const QByteArray& head, int headerCount)
{
    RequestHead request;
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> parts = lines.value(0).trimmed().split(' ');
    if (parts.size() != 3 || parts[0].isEmpty() || parts[1].isEmpty()) return Failed(400);
    request.method = parts[0];
    const QByteArray& version = parts[2];
    if (!version.startsWith("HTTP/1.")) return Failed(version.startsWith("HTTP/") ? 505 : 400);
    request.close = version != "HTTP/1.1";
    const QByteArray& target = parts[1];
    if (!target.startsWith('/') && !target.startsWith("http://") && !target.startsWith("https://")) return Failed(400);
    request.url = QUrl::fromEncoded(target);
    if (!request.url.isValid()) return Failed(400);
    if (lines.size() - 1 > headerCount) return Failed(431);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        if (line.isEmpty()) continue;
        const qsizetype colon = line.indexOf(':');
        // Folded header lines are long gone from HTTP; a line without a name is broken.
        if (colon <= 0 || line.front() == ' ' || line.front() == '\t') return Failed(400);
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed().toLower();
        if (name == "connection") {
            for (const QByteArray& token : value.split(',')) {
                if (token.trimmed() == "close") request.close = true;
                if (token.trimmed() == "keep-alive") request.close = false;
            }
        }
        // Reading only: a request that carries a body is not one of ours.
        if ((name == "content-length" && value != "0") || name == "transfer-encoding") {
            request.error = 400;
            request.close = true;
        }
    }
    return request;
}

} // namespace

// One client connection: reads one request head at a time, answers it from memory or from
// the file in pieces no larger than the send buffer, and closes when the client is silent or
// stops taking the answer.
class CatalogueConnection final : public QObject {
public:
    enum class State { Waiting, Answering, Closed };

    CatalogueConnection(CatalogueServer& server, QTcpSocket* socket)
        : QObject(&server), mServer(server), mSocket(socket), mAddress(socket->peerAddress())
    {
        socket->setParent(this);
        // Qt stops reading from the system once this much is unread: a client that sends
        // request after request without taking the answers is held back by TCP itself.
        socket->setReadBufferSize(Limits().requestHead + 1);
        mTimer.setSingleShot(true);
        connect(&mTimer, &QTimer::timeout, this, &CatalogueConnection::TimedOut);
        connect(socket, &QTcpSocket::readyRead, this, &CatalogueConnection::Read);
        connect(socket, &QTcpSocket::bytesWritten, this, &CatalogueConnection::Pump);
        connect(socket, &QTcpSocket::disconnected, this, [this] { Close({}); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this] { Close({}); });
        StartWaiting();
    }

    State Now() const { return mState; }
    const QHostAddress& Address() const { return mAddress; }
    QString Client() const { return mAddress.toString(); }
    qint64 WaitingSince() const { return mWaitingSince.msecsSinceReference(); }
    qint64 Queued() const { return mState == State::Closed ? 0 : mSocket->bytesToWrite(); }

    void Close(const QString& why)
    {
        if (mState == State::Closed) return;
        const bool graceful = mState == State::Waiting && why.isEmpty();
        mState = State::Closed;
        mTimer.stop();
        if (!why.isEmpty()) mServer.Log(Client() + QStringLiteral(" 连接已关闭：") + why);
        mServer.Closed(this);
        if (graceful) mSocket->disconnectFromHost();
        else mSocket->abort();
        deleteLater();
    }

    // The server is going away: nothing reports back to it any more.
    void Detach()
    {
        mSocket->disconnect(this);
        mTimer.stop();
        mState = State::Closed;
    }

private:
    const CatalogueServer::Limits& Limits() const { return mServer.Settings(); }

    void StartWaiting()
    {
        mState = State::Waiting;
        mWaitingSince.start();
        // The whole head must come within the idle time; a trickle of bytes does not keep a
        // connection open.
        mTimer.start(Limits().idleTimeout);
        Read();
    }

    void TimedOut()
    {
        Close(mState == State::Waiting
                  ? QStringLiteral("%1秒内没有送来请求").arg(Seconds(Limits().idleTimeout))
                  : QStringLiteral("%1秒内没有接收回答").arg(Seconds(Limits().idleTimeout)));
    }

    void Read()
    {
        if (mState != State::Waiting) return;
        const int limit = Limits().requestHead;
        mInbox += mSocket->read(limit + 1 - mInbox.size());
        const qsizetype end = mInbox.indexOf("\r\n\r\n");
        const qsizetype firstLine = mInbox.indexOf("\r\n");
        if ((firstLine < 0 ? mInbox.size() : firstLine) > Limits().requestLine) {
            Refuse(414, QStringLiteral("请求行超过%1字节").arg(Limits().requestLine));
            return;
        }
        if (end < 0) {
            if (mInbox.size() > limit) Refuse(431, QStringLiteral("请求头超过%1字节").arg(limit));
            return;
        }
        const QByteArray head = mInbox.left(end);
        mInbox.remove(0, end + 4);
        mTimer.stop();
        Answer(ParseHead(head, Limits().headerCount));
    }

    void Refuse(int status, const QString& why)
    {
        mServer.Log(Client() + QStringLiteral(" 请求被拒绝：") + why);
        Send(status, kPlainText, Text("请求太长。\n"), true, false);
    }

    void Answer(const RequestHead& request)
    {
        if (request.error) {
            Send(request.error, kPlainText, Text("请求格式不对。\n"), true, false, request);
            return;
        }
        const bool head = request.method == "HEAD";
        if (request.method != "GET" && !head) {
            Send(405, kPlainText, Text("只提供读取。\n"), request.close, false, request);
            return;
        }
        const QString& folder = mServer.Folder();
        const QString path = request.url.path(QUrl::FullyDecoded);
        if (path.compare(QLatin1String("/tkd/fmt.asp"), Qt::CaseInsensitive) == 0) {
            Send(200, kPlainText, Memory(CatalogueServer::CatalogueText(folder)), request.close, head, request);
            return;
        }
        if (path.compare(QLatin1String("/velmorasoft/downpage/Pro.asp"), Qt::CaseInsensitive) == 0) {
            const QByteArray page = QUrlQuery(request.url).queryItemValue(QStringLiteral("ID")) == QLatin1String("1")
                                        ? CatalogueServer::ProductPage(folder)
                                        : QByteArray();
            if (!page.isEmpty()) {
                Send(200, QByteArrayLiteral("text/html; charset=utf-8"), Memory(page), request.close, head, request);
                return;
            }
        }
        const QString served = CatalogueServer::FileForPath(folder, path);
        auto file = std::make_unique<QFile>(served);
        if (served.isEmpty() || !file->open(QIODevice::ReadOnly)) {
            Send(404, kPlainText, Text("没有这个文件。\n"), request.close, head, request);
            return;
        }
        const bool picture = served.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
        Send(200, picture ? QByteArrayLiteral("image/jpeg") : QByteArrayLiteral("application/octet-stream"),
             std::move(file), request.close, head, request);
    }

    static std::unique_ptr<QIODevice> Memory(const QByteArray& bytes)
    {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }
    static std::unique_ptr<QIODevice> Text(const char* text) { return Memory(QByteArray(text)); }

    void Send(int status, const QByteArray& mimeType, std::unique_ptr<QIODevice> body, bool close, bool headOnly,
              const RequestHead& request = {})
    {
        if (!body->isOpen()) body->open(QIODevice::ReadOnly);
        mState = State::Answering;
        mCloseAfter = close;
        if (!request.method.isEmpty())
            mServer.Log(Client() + QLatin1Char(' ') + QString::fromLatin1(request.method) + QLatin1Char(' ') +
                        request.url.path(QUrl::FullyDecoded) + QLatin1Char(' ') + QString::number(status));
        mSocket->write(Head(status, mimeType, body->size(), close));
        if (!headOnly) mBody = std::move(body);
        Pump();
    }

    // Tops the send buffer up from the answer; when everything has gone out, waits for the
    // next request or closes.
    void Pump()
    {
        if (mState != State::Answering) return;
        const qint64 room = Limits().sendBuffer;
        while (mBody && !mBody->atEnd() && mSocket->bytesToWrite() < room) {
            const QByteArray piece = mBody->read(std::min<qint64>(64 * 1024, room - mSocket->bytesToWrite()));
            if (piece.isEmpty()) break;
            mSocket->write(piece);
        }
        if (mBody && mBody->atEnd()) mBody.reset();
        if (!mBody && mSocket->bytesToWrite() == 0) {
            if (mCloseAfter) {
                mState = State::Waiting;
                Close({});
            } else {
                StartWaiting();
            }
            return;
        }
        mTimer.start(Limits().idleTimeout); // progress: the client is taking the answer
    }

    CatalogueServer& mServer;
    QTcpSocket* mSocket;
    QHostAddress mAddress;
    State mState = State::Waiting;
    QTimer mTimer;
    QElapsedTimer mWaitingSince;
    QByteArray mInbox;
    std::unique_ptr<QIODevice> mBody;
    bool mCloseAfter = false;
};

CatalogueServer::CatalogueServer(QString folder, Limits limits, QObject* parent)
    : QObject(parent), mFolder(std::move(folder)), mLimits(limits)
{
    connect(&mListener, &QTcpServer::newConnection, this, &CatalogueServer::Accept);
}

CatalogueServer::~CatalogueServer()
{
    // The connections are children; they must not report back to a half-destroyed server.
    for (CatalogueConnection* connection : mConnections) connection->Detach();
    mConnections.clear();
}

quint16 CatalogueServer::Listen(const QHostAddress& address, quint16 port)
{
    return mListener.listen(address, port) ? mListener.serverPort() : 0;
}

qint64 CatalogueServer::QueuedBytes() const
{
    qint64 queued = 0;
    for (const CatalogueConnection* connection : mConnections) queued += connection->Queued();
    return queued;
}

void CatalogueServer::Accept()
{
    while (QTcpSocket* socket = mListener.nextPendingConnection()) {
        const QHostAddress address = socket->peerAddress();
        if (!MakeRoom(address)) {
            // Told in a few bytes the system takes at once, then the descriptor is given back.
            socket->write(Head(503, kPlainText, 0, true));
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
            continue;
        }
        auto* connection = new CatalogueConnection(*this, socket);
        if (connection->Now() == CatalogueConnection::State::Closed) continue;
        mConnections.push_back(connection);
        ++mPerAddress[address.toString()];
    }
}

bool CatalogueServer::MakeRoom(const QHostAddress& address)
{
    const QString client = address.toString();
    const bool perAddressFull = mPerAddress.value(client) >= mLimits.connectionsPerAddress;
    const bool allFull = OpenConnections() >= mLimits.connections;
    if (!perAddressFull && !allFull) return true;
    const QString why = perAddressFull
                            ? QStringLiteral("该地址的连接已达上限%1个").arg(mLimits.connectionsPerAddress)
                            : QStringLiteral("连接总数已达上限%1个").arg(mLimits.connections);
    CatalogueConnection* oldest = nullptr;
    for (CatalogueConnection* connection : mConnections) {
        if (connection->Now() != CatalogueConnection::State::Waiting) continue;
        if (perAddressFull && connection->Address() != address) continue;
        if (!oldest || connection->WaitingSince() < oldest->WaitingSince()) oldest = connection;
    }
    if (!oldest) {
        Log(client + QStringLiteral(" 被拒绝：") + why + QStringLiteral("，且都在传送中"));
        return false;
    }
    oldest->Close(why + QStringLiteral("，为新连接让出等待最久的空闲连接"));
    return true;
}

void CatalogueServer::Closed(CatalogueConnection* connection)
{
    const auto found = std::find(mConnections.begin(), mConnections.end(), connection);
    if (found == mConnections.end()) return;
    mConnections.erase(found);
    const QString client = connection->Address().toString();
    if (--mPerAddress[client] <= 0) mPerAddress.remove(client);
}
QByteArray CatalogueServer::CatalogueText(const QString& folder)
{
    const QDir root(folder);
    QStringList records;
    const QStringList filters{QStringLiteral("*.zhq"), QStringLiteral("*.ZHQ")};
    // Only what the server would hand out is listed.
    auto listable = [&](const QFileInfo& file) {
        return FitsRecord(file.completeBaseName()) &&
               !FileForPath(folder, root.relativeFilePath(file.absoluteFilePath())).isEmpty();
    };
    for (const QFileInfo& file : root.entryInfoList(filters, QDir::Files, QDir::Name))
        if (listable(file)) records << Record(root, file, TopCategory());
    for (const QFileInfo& sub : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!FitsRecord(sub.fileName())) continue;
        for (const QFileInfo& file : QDir(sub.filePath()).entryInfoList(filters, QDir::Files, QDir::Name))
            if (listable(file)) records << Record(root, file, sub.fileName());
    }
    records << QStringLiteral("Finished");
    return records.join(QStringLiteral("<br>")).toUtf8();
}

QByteArray CatalogueServer::ProductPage(const QString& folder)
{
    const QString version = ReadVersion(folder);
    if (version.isEmpty()) return {};
    return (QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Kestrio支票打印 (") + version +
            QStringLiteral("版)</title></head>\n<body><h1>产品概要</h1><p>最新版本：") + version +
            QStringLiteral("</p></body></html>\n"))
        .toUtf8();
}

QString CatalogueServer::FileForPath(const QString& folder, const QString& requestPath)
{
    const QStringList segments = requestPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& segment : segments)
        if (segment == QLatin1String(".") || segment == QLatin1String("..") || segment.contains(QLatin1Char('\\')))
            return {};
    const QString root = QDir(folder).canonicalPath();
    const QFileInfo file(QDir(root).filePath(segments.join(QLatin1Char('/'))));
    const QString canonical = file.canonicalFilePath();
    const QString suffix = file.suffix().toLower();
    // Links are followed only as far as the folder goes.
    if (root.isEmpty() || canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')) ||
        !QFileInfo(canonical).isFile() || (suffix != QLatin1String("zhq") && suffix != QLatin1String("jpg")))
        return {};
    return canonical;
}

} // namespace kestrio
