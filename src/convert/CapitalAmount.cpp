#include "CapitalAmount.h"

#include "Decimal.h"
#include "Money.h"

#include <QStringList>

#include <algorithm>
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

// The capital text is written into a buffer through a cursor: at most 13 yuan digits with
// their positions, the zeros, 亿, 万, 元 and the fraction fit in 48 characters.
constexpr int kCapitalLength = 48;

void AppendDigit(char16_t*& out, int d)
{
    static constexpr char16_t kDigits[] = u"零壹贰叁肆伍陆柒捌玖";
    *out++ = kDigits[d];
}

// 0 < n < 10000: 仟, 佰, 拾 and the units; a run of zeros between digits is said once as 零,
// zeros at the end say nothing.
void AppendSection(char16_t*& out, qint64 n)
{
    static constexpr char16_t kUnits[] = {u'仟', u'佰', u'拾', 0};
    bool zero = false;
    bool started = false;
    for (int i = 0, div = 1000; i < 4; ++i, div /= 10) {
        const int d = static_cast<int>(n / div % 10);
        if (d == 0) {
            zero = started;
            continue;
        }
        if (zero) *out++ = u'零';
        zero = false;
        started = true;
        AppendDigit(out, d);
        if (kUnits[i]) *out++ = kUnits[i];
    }
}

// 0 < n < 100000000: the 万 section and the units section. A zero is said between them when
// the units lack their 仟 or the 万 section ends in a zero.
void AppendBelowHundredMillion(char16_t*& out, qint64 n)
{
    const qint64 wan = n / 10000;
    const qint64 units = n % 10000;
    if (wan) {
        AppendSection(out, wan);
        *out++ = u'万';
    }
    if (!units) return;
    if (wan && (units < 1000 || wan % 10 == 0)) *out++ = u'零';
    AppendSection(out, units);
}

// The capital text of an amount of `fen` (digits, no leading zeros, at most 15 of them). A
// run of zeros is said once; 角 and 分 speak for themselves; whole yuan end in 整.
QString CapitalOfFen(const QString& fen)
{
    qint64 value = 0;
    for (const QChar c : fen) value = value * 10 + (c.unicode() - u'0');
    const qint64 yuan = value / 100;
    const int jiao = static_cast<int>(value / 10 % 10);
    const int cents = static_cast<int>(value % 10);
    const qint64 yi = yuan / 100000000;
    const qint64 belowYi = yuan % 100000000;

    char16_t text[kCapitalLength];
    char16_t* out = text;
    if (yi) {
        AppendBelowHundredMillion(out, yi);
        *out++ = u'亿';
    }
    if (belowYi) {
        if (yi && (belowYi < 10000000 || yi % 10 == 0)) *out++ = u'零';
        AppendBelowHundredMillion(out, belowYi);
    }
    if (yuan) *out++ = u'元';
    if (jiao == 0 && cents == 0) {
        if (!yuan) {
            *out++ = u'零';
            *out++ = u'元';
        }
        *out++ = u'整';
    } else if (cents == 0) {
        AppendDigit(out, jiao);
        *out++ = u'角';
        *out++ = u'整';
    } else {
        if (jiao != 0) {
            AppendDigit(out, jiao);
            *out++ = u'角';
        } else if (yuan) {
            *out++ = u'零';
        }
        AppendDigit(out, cents);
        *out++ = u'分';
    }
    return QString::fromUtf16(text, out - text);
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
    bool negative = false;
    // The usual typed amount first: it cannot be converted text.
    std::optional<QString> plainFen = Money::PlainFen(text, &negative);
    if (!plainFen) {
        // Already converted: the first character after the minus signs is a capital digit.
        const auto first = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c != QLatin1Char('-'); });
        if (first != text.cend() && IsCapitalDigit(*first)) return text;
    }
    const QString fen = plainFen ? *std::move(plainFen) : Money::FenOf(text, &negative);
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
