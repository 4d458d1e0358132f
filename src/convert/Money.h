#pragma once

#include "Decimal.h"

#include <QString>

#include <optional>

namespace kestrio {

// Lower-case amounts: ￥1,234.50 and the reading of typed amounts. Every conversion finds
// the fen of an amount the same way, cut after the second decimal, so the boxes of one
// bill never disagree by a fen.
class Money {
public:
    // "￥", "-" for a negative amount, the whole part grouped by "," in threes, ".", two
    // decimals. Characters other than digits and "." are dropped first; "" and "-" stay.
    static QString FormatMoney(const QString& text);

    // The amount in whole fen that FormatMoney shows, digits only; `negative` tells the sign
    // (never set for an amount that is zero in fen).
    static QString FenOf(const QString& text, bool* negative);
    // FenOf for the usual typed amount, read without the general parser: an optional "-",
    // ASCII digits, and at most one "." with digits after it ("-1234.5", "0.05", "7.").
    // nullopt for any other text.
    static std::optional<QString> PlainFen(const QString& text, bool* negative);
    // For the same amounts: the number of digits before the point, leading zeros left out.
    static std::optional<qsizetype> PlainWholeDigits(const QString& text);

    // "￥", "$" and "," removed; a trailing "%" divides by 100; unreadable text is 0.
    static Decimal ParseAmountExact(const QString& text);
    static double ParseAmount(const QString& text) { return ParseAmountExact(text).ToDouble(); }

    // Full-width digits and "．", "，", "－", and "¥", in their ASCII forms ("￥" stays):
    // what a Chinese input method types into an amount box reads as the amount it shows.
    static QString AsciiAmountText(const QString& text);

    // Groups the digits of a whole number by "," in threes.
    static QString GroupThousands(const QString& digits);
};

} // namespace kestrio
