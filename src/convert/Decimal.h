#pragma once

#include <QString>

namespace kestrio {

// An exact decimal number read from text, so that money never passes through binary
// floating point: 1.015 stays 1.015 and 12345678901234.56 keeps every fen.
class Decimal {
public:
    Decimal() = default;

    // The number at the start of `text`, read leniently as stored data needs: leading blanks, an
    // optional sign, digits with at most one ".", an optional exponent; "12abc" is 12 and
    // text without a number is 0 (then `readable` is false).
    static Decimal FromLeadingNumber(const QString& text, bool* readable = nullptr);
    // A whole number of fen given as digits.
    static Decimal FromFen(const QString& fenDigits, bool negative);

    bool IsZero() const { return mDigits == QLatin1String("0"); }
    bool IsNegative() const { return mNegative && !IsZero(); }
    Decimal Abs() const;
    Decimal Negated() const;
    // × 10^places (places may be negative).
    Decimal Shifted(int places) const;

    // The amount in whole fen, cut (not rounded) after the second decimal: digits only,
    // without sign, no leading zeros ("0" for nothing).
    QString FenDigits() const;
    // The whole part, cut toward zero, as digits without sign.
    QString WholeDigits() const;
    // Shortest plain form: no exponent, no trailing zeros, "-" for negatives.
    QString ToPlainText() const;
    double ToDouble() const;

private:
    bool mNegative = false;
    QString mDigits = QStringLiteral("0"); // all digits, no leading zeros
    int mScale = 0;                        // digits after the decimal point
};

} // namespace kestrio
