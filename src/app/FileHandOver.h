#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace kestrio {

// Hands a file opened from the desktop to the program already running on the same
// application folder, so that its window imports the file instead of a second program
// starting and ending at once. Only the same user can reach the channel.
class FileHandOver : public QObject {
    Q_OBJECT
public:
    explicit FileHandOver(const QString& applicationFolder, QObject* parent = nullptr);
    ~FileHandOver() override;

    // The running program opens the channel; false when it cannot be opened.
    bool Listen();
    // Gives `path` (made absolute) to the program listening on `applicationFolder`; true when
    // that program took it within `timeoutMs`.
    static bool Send(const QString& applicationFolder, const QString& path, int timeoutMs = 3000);

signals:
    void FileReceived(const QString& path);

private:
    void TakeConnection();
    void ReadPath(QLocalSocket* socket);

    QString mName;
    QLocalServer* mServer = nullptr;
};

} // namespace kestrio
