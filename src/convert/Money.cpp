#include "Money.h"

namespace kestrio {

namespace {

const QChar kYuan(0xFFE5); // ￥

// The digits and points of `text`, read as a number: leading digits with at most one ".".
Decimal DigitsOnly(const QString& text)
{
    QString kept;
    for (const QChar c : Money::AsciiAmountText(text))
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')) kept += c;
    return Decimal::FromLeadingNumber(kept);
}

// Negative when the text without "￥" reads as a negative number (Val-style).
bool ReadsNegative(const QString& text)
{
    QString plain = Money::AsciiAmountText(text);
    plain.remove(kYuan);
    return Decimal::FromLeadingNumber(plain).IsNegative();
}

} // namespace

QString Money::FenOf(const QString& text, bool* negative)
{
    const QString fen = DigitsOnly(text).FenDigits();
    if (negative) *negative = fen != QLatin1String("0") && ReadsNegative(text);
    return fen;
}

QString Money::AsciiAmountText(const QString& text)
{
    QString ascii = text;
    for (QChar& c : ascii) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９') c = QChar(u'0' + (u - u'０'));
        else if (u == u'．') c = QLatin1Char('.');
        else if (u == u'，') c = QLatin1Char(',');
        else if (u == u'－') c = QLatin1Char('-');
        else if (u == u'¥') c = kYuan;
    }
    return ascii;
}

QString Money::GroupThousands(const QString& digits)
{
    QString grouped = digits;
    for (qsizetype at = grouped.size() - 3; at > 0; at -= 3) grouped.insert(at, QLatin1Char(','));
    return grouped;
}

QString Money::FormatMoney(const QString& text)
{
    if (text.isEmpty() || text == QLatin1String("-")) return text;
    bool negative = false;
    QString fen = FenOf(text, &negative);
    if (fen.size() < 3) fen.prepend(QString(3 - fen.size(), QLatin1Char('0'))); // ￥0.05
    const QString whole = fen.left(fen.size() - 2);
    return kYuan + (negative ? QStringLiteral("-") : QString()) + GroupThousands(whole) + QLatin1Char('.') + fen.right(2);
}

Decimal Money::ParseAmountExact(const QString& text)
{
    QString plain = AsciiAmountText(text);
    plain.remove(kYuan);
    plain.remove(QLatin1Char('$'));
    plain.remove(QLatin1Char(','));
    if (plain.endsWith(QLatin1Char('%'))) {
        plain.chop(1);
        return Decimal::FromLeadingNumber(plain).Shifted(-2);
    }
    return Decimal::FromLeadingNumber(plain);
}

} // namespace kestrio
