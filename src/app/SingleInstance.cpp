#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace kestrio {

SingleInstance::SingleInstance(const QString& applicationFolder)
{
    // The lock lives in the temporary folder, so a write-protected application folder does
    // not stop the program.
    mLockPath = QDir(QDir::tempPath()).filePath(KeyFor(applicationFolder) + QStringLiteral(".lock"));
}

QString SingleInstance::KeyFor(const QString& applicationFolder)
{
    QString canonical = QFileInfo(applicationFolder).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QDir(applicationFolder).absolutePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("kestrio-") + QString::fromLatin1(hash);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Acquire()
{
    if (mLock && mLock->isLocked()) return true;
    mLock = std::make_unique<QLockFile>(mLockPath);
    mLock->setStaleLockTime(0);
    return mLock->tryLock(0);
}

} // namespace kestrio
