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

// The usual typed amount: an optional "-", ASCII digits, at most one "." with digits after
// it. `first` is the first whole digit that is not a leading zero, `wholeEnd` the end of the
// whole digits, `fractionStart` the first decimal (or the end of the text).
bool ScanPlainAmount(const QString& text, qsizetype* first, qsizetype* wholeEnd, qsizetype* fractionStart)
{
    const qsizetype size = text.size();
    auto isDigit = [&](qsizetype i) { return text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); };
    qsizetype at = size > 0 && text.at(0) == QLatin1Char('-') ? 1 : 0;
    const qsizetype wholeStart = at;
    while (at < size && isDigit(at)) ++at;
    if (at == wholeStart) return false;
    *wholeEnd = at;
    if (at < size && text.at(at) == QLatin1Char('.')) ++at;
    *fractionStart = at;
    while (at < size && isDigit(at)) ++at;
    if (at != size) return false;
    *first = wholeStart;
    while (*first < *wholeEnd && text.at(*first) == QLatin1Char('0')) ++*first;
    return true;
}

} // namespace

QString Money::FenOf(const QString& text, bool* negative)
{
    if (auto fen = PlainFen(text, negative)) return *fen;
    const QString fen = DigitsOnly(text).FenDigits();
    if (negative) *negative = fen != QLatin1String("0") && ReadsNegative(text);
    return fen;
}

std::optional<qsizetype> Money::PlainWholeDigits(const QString& text)
{
    qsizetype first = 0, wholeEnd = 0, fractionStart = 0;
    if (!ScanPlainAmount(text, &first, &wholeEnd, &fractionStart)) return std::nullopt;
    return wholeEnd - first;
}

std::optional<QString> Money::PlainFen(const QString& text, bool* negative)
{
    qsizetype first = 0, wholeEnd = 0, fractionStart = 0;
    if (!ScanPlainAmount(text, &first, &wholeEnd, &fractionStart)) return std::nullopt;
    // The whole digits and the first two decimals (cut, not rounded), leading zeros left out.
    QString fen;
    fen.reserve(wholeEnd - first + 2);
    fen.append(text.constData() + first, wholeEnd - first);
    for (qsizetype i = fractionStart; i < fractionStart + 2; ++i) {
        const QChar decimal = i < text.size() ? text.at(i) : QLatin1Char('0');
        if (!fen.isEmpty() || decimal != QLatin1Char('0')) fen += decimal;
    }
    if (fen.isEmpty()) fen = QStringLiteral("0");
    if (negative) *negative = text.at(0) == QLatin1Char('-') && fen != QLatin1String("0");
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
