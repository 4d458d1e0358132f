#pragma once

#include <QByteArray>
#include <QString>

namespace kestrio {

// The engine turns the passphrase into the file's key with the salt kept in the file's first
// 16 bytes (PBKDF2-HMAC-SHA1, 64,000 rounds: tens of milliseconds each time). One start opens
// a file several times (making it, opening it, the day's backup and its check), so the key is
// derived here, once per passphrase and salt for the life of the program, and handed to the
// engine whole ("x'<key><salt>'"), which then derives nothing. The files stay exactly those
// the passphrase opens.
class DerivedKey {
public:
    static constexpr int kSaltBytes = 16;

    // The value for PRAGMA key that opens a file salted `salt` with `passphrase`; `salt` of
    // any other length gives the passphrase itself (the engine then derives as always).
    static QByteArray KeyValueFor(const QByteArray& passphrase, const QByteArray& salt);
    // The salt of the file at `path`; empty when it cannot be read or is too short.
    static QByteArray SaltOf(const QString& path);
    // A fresh random salt for a new file.
    static QByteArray NewSalt();
    // How many keys this program has derived so far.
    static int Derivations();
};

} // namespace kestrio
