#include "DerivedKey.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>

#include <openssl/evp.h>

#include <atomic>

namespace kestrio {

namespace {

// What the engine uses for files of its third edition.
constexpr int kRounds = 64000;
constexpr int kKeyBytes = 32;

std::atomic<int> gDerivations{0};

QMutex& CacheLock()
{
    static QMutex lock;
    return lock;
}

QHash<QByteArray, QByteArray>& Cache()
{
    static QHash<QByteArray, QByteArray> keys; // passphrase + salt → PRAGMA key value
    return keys;
}

} // namespace

QByteArray DerivedKey::KeyValueFor(const QByteArray& passphrase, const QByteArray& salt)
{
    if (salt.size() != kSaltBytes) return passphrase;
    const QByteArray entry = salt + passphrase;
    {
        const QMutexLocker locker(&CacheLock());
        const auto found = Cache().constFind(entry);
        if (found != Cache().constEnd()) return *found;
    }
    QByteArray key(kKeyBytes, '\0');
    if (PKCS5_PBKDF2_HMAC_SHA1(passphrase.constData(), static_cast<int>(passphrase.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()), kSaltBytes, kRounds, kKeyBytes,
                               reinterpret_cast<unsigned char*>(key.data())) != 1)
        return passphrase; // the engine derives it then, as it always did
    ++gDerivations;
    const QByteArray value = "x'" + key.toHex().toUpper() + salt.toHex().toUpper() + '\'';
    const QMutexLocker locker(&CacheLock());
    Cache().insert(entry, value);
    return value;
}

QByteArray DerivedKey::SaltOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray salt = file.read(kSaltBytes);
    return salt.size() == kSaltBytes ? salt : QByteArray();
}

QByteArray DerivedKey::NewSalt()
{
    QByteArray salt(kSaltBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    return salt;
}

int DerivedKey::Derivations()
{
    return gDerivations.load();
}

} // namespace kestrio
