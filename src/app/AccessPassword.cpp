#include "AccessPassword.h"

#include "Params.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <openssl/crypto.h>
#include <openssl/evp.h>

namespace kestrio {

namespace {

const QString kScheme = QStringLiteral("PBKDF2-SHA256");
constexpr int kRounds = 120000;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;

QByteArray Derive(const QString& password, const QByteArray& salt, int rounds)
{
    const QByteArray utf8 = password.toUtf8();
    QByteArray hash(kHashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(utf8.constData(), static_cast<int>(utf8.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()), static_cast<int>(salt.size()), rounds,
                          EVP_sha256(), kHashBytes, reinterpret_cast<unsigned char*>(hash.data())) != 1)
        return {};
    return hash;
}

} // namespace

QString AccessPassword::Hash(const QString& password)
{
    QByteArray salt(kSaltBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QByteArray hash = Derive(password, salt, kRounds);
    if (hash.isEmpty()) return {};
    return kScheme + QLatin1Char('$') + QString::number(kRounds) + QLatin1Char('$') + QString::fromLatin1(salt.toHex()) +
           QLatin1Char('$') + QString::fromLatin1(hash.toHex());
}

bool AccessPassword::IsHash(const QString& stored)
{
    return stored.startsWith(kScheme + QLatin1Char('$')) && stored.count(QLatin1Char('$')) == 3;
}

bool AccessPassword::Verify(const QString& stored, const QString& typed)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    bool ok = false;
    const int rounds = parts.value(1).toInt(&ok);
    if (parts.size() != 4 || !ok || rounds < 1) return false;
    const QByteArray salt = QByteArray::fromHex(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts[3].toLatin1());
    const QByteArray hash = Derive(typed, salt, rounds);
    return !hash.isEmpty() && hash.size() == expected.size() &&
           CRYPTO_memcmp(hash.constData(), expected.constData(), static_cast<size_t>(hash.size())) == 0;
}

bool AccessPassword::IsSet()
{
    return !mParams.GetParam(ParamName()).isEmpty();
}

bool AccessPassword::Matches(const QString& typed)
{
    const QString stored = mParams.GetParam(ParamName());
    if (stored.isEmpty()) return typed.isEmpty();
    if (IsHash(stored)) return Verify(stored, typed);
    if (typed != stored) return false;
    // Kept as text by an earlier version: from now on only its hash is kept.
    const QString hashed = Hash(typed);
    if (!hashed.isEmpty()) mParams.SetParam(ParamName(), hashed);
    return true;
}

AccessPassword::Change AccessPassword::ChangePassword(const QString& oldPassword, const QString& newPassword,
                                                      const QString& newAgain)
{
    if (newPassword != newAgain) return Change::NewPasswordsDiffer;
    if (!Matches(oldPassword)) return Change::WrongOldPassword;
    const QString stored = newPassword.isEmpty() ? QString() : Hash(newPassword);
    if (!newPassword.isEmpty() && stored.isEmpty()) return Change::NotStored;
    return mParams.SetParam(ParamName(), stored) ? Change::Changed : Change::NotStored;
}

} // namespace kestrio
