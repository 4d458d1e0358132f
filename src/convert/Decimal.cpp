#include "Decimal.h"

namespace kestrio {

namespace {

QString WithoutLeadingZeros(const QString& digits)
{
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits[i] == QLatin1Char('0')) ++i;
    return digits.isEmpty() ? QStringLiteral("0") : digits.mid(i);
}

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

Decimal Decimal::FromLeadingNumber(const QString& text, bool* readable)
{
    Decimal value;
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        value.mNegative = text[i] == QLatin1Char('-');
        ++i;
    }
    QString digits;
    int scale = 0;
    bool point = false;
    bool any = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            digits += text[i];
            scale += point ? 1 : 0;
            any = true;
        } else if (text[i] == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (any && i + 1 < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        const bool minus = text[j] == QLatin1Char('-');
        if (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+')) ++j;
        QString exponent;
        while (j < text.size() && IsDigit(text[j]) && exponent.size() < 4) exponent += text[j++];
        if (!exponent.isEmpty()) scale -= (minus ? -1 : 1) * exponent.toInt();
    }
    if (readable) *readable = any;
    if (!any) return Decimal();
    value.mDigits = WithoutLeadingZeros(digits);
    value.mScale = scale;
    if (value.mScale < 0) {
        value.mDigits = WithoutLeadingZeros(value.mDigits + QString(-value.mScale, QLatin1Char('0')));
        value.mScale = 0;
    }
    return value;
}

Decimal Decimal::FromFen(const QString& fenDigits, bool negative)
{
    Decimal value;
    value.mDigits = WithoutLeadingZeros(fenDigits);
    value.mScale = 2;
    value.mNegative = negative;
    return value;
}

Decimal Decimal::Abs() const
{
    Decimal value = *this;
    value.mNegative = false;
    return value;
}

Decimal Decimal::Negated() const
{
    Decimal value = *this;
    value.mNegative = !mNegative;
    return value;
}

Decimal Decimal::Shifted(int places) const
{
    Decimal value = *this;
    value.mScale -= places;
    if (value.mScale < 0) {
        value.mDigits = WithoutLeadingZeros(value.mDigits + QString(-value.mScale, QLatin1Char('0')));
        value.mScale = 0;
    }
    return value;
}

QString Decimal::FenDigits() const
{
    if (mScale <= 2) return WithoutLeadingZeros(mDigits + QString(2 - mScale, QLatin1Char('0')));
    return WithoutLeadingZeros(mDigits.left(mDigits.size() - (mScale - 2)));
}

QString Decimal::WholeDigits() const
{
    // 0.05 is held as the digits "5" two places down: its whole part is 0, not the digits.
    if (mDigits.size() <= mScale) return QStringLiteral("0");
    return WithoutLeadingZeros(mDigits.left(mDigits.size() - mScale));
}

QString Decimal::ToPlainText() const
{
    QString digits = mDigits;
    if (digits.size() <= mScale) digits = QString(mScale - digits.size() + 1, QLatin1Char('0')) + digits;
    QString whole = digits.left(digits.size() - mScale);
    QString fraction = digits.right(mScale);
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    QString text = whole + (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction);
    if (IsNegative() && text != QLatin1String("0")) text.prepend(QLatin1Char('-'));
    return text;
}

double Decimal::ToDouble() const
{
    return ToPlainText().toDouble();
}

} // namespace kestrio
