#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kestrio {

// Takes `--flag` (and with `takesValue` its value) out of the arguments; false when the
// value is missing.
inline bool TakeOption(QStringList& args, const QString& flag, bool takesValue, std::optional<QString>* value)
{
    const qsizetype at = args.indexOf(flag);
    if (at < 0) return true;
    if (takesValue && at + 1 >= args.size()) return false;
    *value = takesValue ? args.at(at + 1) : QString();
    args.remove(at, takesValue ? 2 : 1);
    return true;
}

} // namespace kestrio
