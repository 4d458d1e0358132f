#pragma once

#include <QString>

namespace kestrio {

class Params;

// The access password asked at start, kept as parameter "软件密码" — never as the text itself
// but as a salted, slow hash (PBKDF2-HMAC-SHA256), so that reading the table gives nobody the
// password. An empty or missing value means no password. A password stored as plain text by an
// earlier version is still accepted, and stored hashed as soon as it has been typed right.
class AccessPassword {
public:
    enum class Change { Changed, NewPasswordsDiffer, WrongOldPassword, NotStored };

    explicit AccessPassword(Params& params) : mParams(params) {}

    bool IsSet();
    // Exact comparison: case and spaces count.
    bool Matches(const QString& typed);
    // An empty new password removes the protection.
    Change ChangePassword(const QString& oldPassword, const QString& newPassword, const QString& newAgain);

    static QString ParamName() { return QStringLiteral("软件密码"); }
    static QString WrongPasswordText() { return QStringLiteral("密码错误！"); }
    // The stored form of `password`: "PBKDF2-SHA256$rounds$salt$hash" (salt and hash in hex).
    static QString Hash(const QString& password);
    static bool IsHash(const QString& stored);
    static bool Verify(const QString& stored, const QString& typed);

private:
    Params& mParams;
};

} // namespace kestrio
