#include "AccessPassword.h"

#include "Params.h"

namespace kestrio {

bool AccessPassword::IsSet()
{
    return !mParams.GetParam(ParamName()).isEmpty();
}

bool AccessPassword::Matches(const QString& typed)
{
    return typed == mParams.GetParam(ParamName());
}

AccessPassword::Change AccessPassword::ChangePassword(const QString& oldPassword, const QString& newPassword,
                                                      const QString& newAgain)
{
    if (newPassword != newAgain) return Change::NewPasswordsDiffer;
    if (!Matches(oldPassword)) return Change::WrongOldPassword;
    return mParams.SetParam(ParamName(), newPassword) ? Change::Changed : Change::NotStored;
}

} // namespace kestrio
