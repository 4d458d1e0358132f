#include "CapitalAmount.h"

#include "Decimal.h"
#include "Money.h"

#include <QStringList>

#include <array>
#include <cmath>
#include <utility>

namespace kestrio {

namespace {

const QString kZero = QStringLiteral("零");

QString CapitalOfDigits(const QString& digits)
{
    QString capital;
    for (const QChar c : digits) capital += CapitalAmount::CapitalDigits()[c.digitValue()];
    return capital;
}

// Positions from the lowest: 分, 角, 元, 拾, 佰, 仟, 万, 拾, 佰, 仟, 亿, 拾, 佰, 仟, 万.
const std::array<QString, 15>& PositionNames()
{
    static const std::array<QString, 15> names{
        QStringLiteral("分"), QStringLiteral("角"), QStringLiteral("元"), QStringLiteral("拾"), QStringLiteral("佰"),
        QStringLiteral("仟"), QStringLiteral("万"), QStringLiteral("拾"), QStringLiteral("佰"), QStringLiteral("仟"),
        QStringLiteral("亿"), QStringLiteral("拾"), QStringLiteral("佰"), QStringLiteral("仟"), QStringLiteral("万")};
    return names;
}

// The capital text of an amount of `fen` (digits, no leading zeros, at most 15 of them).
QString CapitalOfFen(const QString& fen)
{
    const int w = static_cast<int>(fen.size());
    const QChar zero = kZero[0];
    auto digit = [&](int k) { return CapitalAmount::CapitalDigits()[fen[w - 1 - k].digitValue()]; };
    std::array<QString, 15> pos;
    for (int k = 0; k < w; ++k) pos[k] = QString(digit(k)) + PositionNames()[k];
    // A run of zeros is said once: its highest position becomes a bare 零 and the zeros
    // below it, down to 元, say nothing; 角 and 分 speak for themselves.
    for (int k = w - 1; k >= 0; --k) {
        if (digit(k) != zero) continue;
        pos[k] = kZero;
        while (k - 1 >= 2 && digit(k - 1) == zero) pos[--k].clear();
    }
    auto mark = [&](int k, const QString& name) {
        if (pos[k].isEmpty()) pos[k] = name;
        else if (pos[k] == kZero) pos[k] = name + kZero;
    };
    if (w > 10) mark(10, QStringLiteral("亿"));
    if (w > 6) mark(6, QStringLiteral("万"));
    if (w > 2 && (pos[2].isEmpty() || pos[2].startsWith(zero))) pos[2] = QStringLiteral("元");

    QString text;
    text.reserve(2 * w + 2);
    for (int k = 14; k >= 0; --k) text += pos[k];
    // 零亿 before 零万: the other order leaves 亿零万 in amounts such as 壹佰亿元整.
    text.replace(QStringLiteral("零亿"), QStringLiteral("亿零"));
    text.replace(QStringLiteral("零万"), QStringLiteral("万零"));
    text.replace(QStringLiteral("零零"), kZero);
    text.replace(QStringLiteral("零元"), QStringLiteral("元"));
    if (text.endsWith(zero)) text.chop(1);
    if (!text.endsWith(QChar(u'分'))) text += QChar(u'整');
    if (text == QStringLiteral("元整") || text == QStringLiteral("整")) text = QStringLiteral("零元整");
    text.replace(QStringLiteral("亿万"), QStringLiteral("亿"));
    return text;
}

int DigitOf(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.digitValue();
    return static_cast<int>(CapitalAmount::CapitalDigits().indexOf(c));
}

QString WithSign(const QString& number, bool negative)
{
    return negative && number != QLatin1String("0") ? QLatin1Char('-') + number : number;
}

} // namespace

const QString& CapitalAmount::CapitalDigits()
{
    static const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    return digits;
}

bool CapitalAmount::IsCapitalDigit(QChar c)
{
    return CapitalDigits().contains(c);
}

bool CapitalAmount::IsConverted(const QString& text)
{
    const QString unsigned_ = text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    return !unsigned_.isEmpty() && IsCapitalDigit(unsigned_[0]);
}

QString CapitalAmount::ToCapitalAmount(const QString& text, const QString& unit)
{
    if (text.isEmpty()) return text;
    QString unsigned_ = text;
    unsigned_.remove(QLatin1Char('-'));
    if (!unsigned_.isEmpty() && IsCapitalDigit(unsigned_[0])) return text;

    bool negative = false;
    const QString fen = Money::FenOf(text, &negative);
    // 10 000 000 000 000 yuan and more: no capital positions left. Nothing is shown rather
    // than Arabic digits in a capital box; leaving an amount box refuses such amounts.
    if (fen.size() > 15) return {};
    QString capital = CapitalOfFen(fen);
    if (unit == QStringLiteral("圆")) capital.replace(QStringLiteral("元"), QStringLiteral("圆"));
    return negative ? QLatin1Char('-') + capital : capital;
}

QString CapitalAmount::ToCapitalDigits(const QString& text, int cells)
{
    if (text.isEmpty() || IsConverted(text)) return text;
    const Decimal amount = Money::ParseAmountExact(text);
    const QString fen = amount.FenDigits();
    QString capital = CapitalOfDigits(fen);
    if (capital.size() < cells) capital.prepend(QString(cells - capital.size(), kZero[0]));
    return amount.IsNegative() && fen != QLatin1String("0") ? QLatin1Char('-') + capital : capital;
}

QString CapitalAmount::CapitalToNumber(const QString& text, double code)
{
    const int whole = static_cast<int>(std::trunc(code));
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QString body = negative ? text.mid(1) : text;
    QString number;
    if (whole == 114 || whole == 121) number = ReadCapitalDigits(body, whole == 121);
    else if (whole == 103 || whole == 120) number = ReadCapitalAmount(body);
    else return text;
    return number.startsWith(QLatin1Char('-')) ? number : WithSign(number, negative);
}

QString CapitalAmount::ReadCapitalDigits(const QString& text, bool wholeYuan)
{
    QString digits;
    for (const QChar c : text) {
        const int d = DigitOf(c);
        if (d < 0) break;
        digits += QChar(static_cast<char16_t>(u'0' + d));
    }
    if (digits.isEmpty()) return QStringLiteral("0");
    if (wholeYuan) digits += QStringLiteral("00"); // the missing 角 and 分
    return Decimal::FromFen(digits, false).ToPlainText();
}

// Reads 壹万零伍拾元零伍分 as 10050.05, and the form with 零 between 元 and 角
// (壹仟陆佰捌拾元零叁角贰分). Text that is no capital amount is left as it is.
QString CapitalAmount::ReadCapitalAmount(const QString& text)
{
    QString body = text;
    body.remove(QStringLiteral("整"));
    body.remove(QStringLiteral("正"));
    body.replace(QStringLiteral("圆"), QStringLiteral("元"));
    if (body.isEmpty() || !(IsCapitalDigit(body[0]) || body[0] == QChar(u'拾'))) return text;

    const qsizetype yuan = body.indexOf(QStringLiteral("元"));
    QString integer = yuan >= 0 ? body.left(yuan) : QString();
    QString fraction = yuan >= 0 ? body.mid(yuan + 1) : body;
    if (yuan < 0 && !fraction.contains(QChar(u'角')) && !fraction.contains(QChar(u'分'))) {
        integer = fraction; // a bare 壹拾万 without 元
        fraction.clear();
    }

    qint64 yi = 0, wan = 0, section = 0, digit = 0;
    for (const QChar c : integer) {
        const int d = DigitOf(c);
        if (d >= 0) {
            digit = d;
        } else if (c == QChar(u'拾') || c == QChar(u'佰') || c == QChar(u'仟')) {
            const qint64 unit = c == QChar(u'拾') ? 10 : c == QChar(u'佰') ? 100 : 1000;
            section += (digit == 0 && unit == 10 ? 1 : digit) * unit;
            digit = 0;
        } else if (c == QChar(u'万')) {
            wan = (wan + section + digit) * 10000;
            section = digit = 0;
        } else if (c == QChar(u'亿')) {
            yi = (yi + wan + section + digit) * 100000000;
            wan = section = digit = 0;
        } else {
            return text;
        }
    }
    const qint64 yuanValue = yi + wan + section + digit;

    int jiao = 0, fen = 0, pending = 0;
    for (const QChar c : fraction) {
        const int d = DigitOf(c);
        if (d >= 0) pending = d;
        else if (c == QChar(u'角')) jiao = std::exchange(pending, 0);
        else if (c == QChar(u'分')) fen = std::exchange(pending, 0);
        else return text;
    }
    const QString fenDigits = QString::number(yuanValue) + QString::number(jiao) + QString::number(fen);
    return Decimal::FromFen(fenDigits, false).ToPlainText();
}

} // namespace kestrio
