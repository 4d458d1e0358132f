#pragma once

#include <QString>

namespace kestrio {

class Params;

// The access password asked at start, kept in plain text as parameter "软件密码"; an empty
// or missing value means no password.
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

private:
    Params& mParams;
};

} // namespace kestrio
