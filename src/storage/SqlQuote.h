#pragma once

#include <QString>

namespace kestrio {

// A text value for an SQL statement: between single quotes, every ' inside doubled.
// Names such as O'Brien or 收款人's must work in every statement.
inline QString SqlQuote(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The same without the surrounding quotes, for statements that put the quotes themselves
// ("Var='" + SqlEscape(name) + "'") or build LIKE patterns.
inline QString SqlEscape(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return escaped;
}

} // namespace kestrio
