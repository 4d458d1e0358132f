#include "FileHandOver.h"

#include "SingleInstance.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace kestrio {

namespace {

// A path is one line; anything longer than this is not one.
constexpr qint64 kLongestLine = 64 * 1024;
const QByteArray kTaken = QByteArrayLiteral("ok\n");

} // namespace

FileHandOver::FileHandOver(const QString& applicationFolder, QObject* parent)
    : QObject(parent), mName(SingleInstance::KeyFor(applicationFolder))
{
}

FileHandOver::~FileHandOver() = default;

bool FileHandOver::Listen()
{
    if (mServer && mServer->isListening()) return true;
    mServer = new QLocalServer(this);
    mServer->setSocketOptions(QLocalServer::UserAccessOption);
    // The caller holds the folder's single-instance lock, so a channel left behind by a
    // program that crashed is nobody's and may go.
    QLocalServer::removeServer(mName);
    connect(mServer, &QLocalServer::newConnection, this, &FileHandOver::TakeConnection);
    return mServer->listen(mName);
}

void FileHandOver::TakeConnection()
{
    while (QLocalSocket* socket = mServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadPath(socket); });
        if (socket->bytesAvailable() > 0) ReadPath(socket);
    }
}

void FileHandOver::ReadPath(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestLine) socket->abort();
        return;
    }
    const QString path = QString::fromUtf8(socket->readLine(kLongestLine)).trimmed();
    socket->write(kTaken);
    socket->flush();
    socket->disconnectFromServer();
    if (!path.isEmpty()) emit FileReceived(path);
}

bool FileHandOver::Send(const QString& applicationFolder, const QString& path, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::KeyFor(applicationFolder));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(QFileInfo(path).absoluteFilePath().toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    return socket.readLine() == kTaken;
}

} // namespace kestrio
