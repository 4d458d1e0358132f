#include "BoxConverter.h"

#include "CapitalAmount.h"
#include "Decimal.h"
#include "Money.h"
#include "seams/Clock.h"

#include <cmath>

namespace kestrio {

namespace {

const QChar kYuan(0xFFE5); // ￥

QString Without(QString text, const QString& characters)
{
    for (const QChar c : characters) text.remove(c);
    return text;
}

// The cell count folded into the two decimals of 114.nn and 121.nn.
int CellsOf(double code, int base, double nudge)
{
    return static_cast<int>(std::trunc((code - base + nudge) * 100));
}

} // namespace

int BoxConverter::WholeCode(double code)
{
    return static_cast<int>(std::trunc(code));
}

bool BoxConverter::HasBorder(double code)
{
    return (code > 0 && code < 100) || (code > 200 && code < 400);
}

bool BoxConverter::TakesDigitsOnly(double code)
{
    const int w = WholeCode(code);
    return (w >= 1 && w <= 99) || (w >= 105 && w <= 108);
}

int BoxConverter::DigitKeyFilter(int key)
{
    const bool digit = (key >= '0' && key <= '9') || (key >= 0xFF10 && key <= 0xFF19); // ０–９ as well
    return digit || key == '.' || key == 0xFF0E || key == 8 ? key : 0;                  // and "．"
}

int BoxConverter::KeyFilter(double code, int key)
{
    const int w = WholeCode(code);
    const bool amount = (w >= 1 && w <= 99) || w == 105;
    if (amount && (key == '-' || key == 0xFF0D)) return key;
    return DigitKeyFilter(key);
}

QString BoxConverter::ConvertBoxText(double code, const QString& text) const
{
    if (text.isEmpty()) return text;
    const int w = WholeCode(code);
    if (w <= 0) return text;
    switch (w) {
    case 110:
        return mDates.FormatDateAs(text, QStringLiteral("YYYY年MM月DD日"));
    case 111:
        return mDates.FormatDateAs(text, QStringLiteral("YYYY-MM-DD"));
    case 112:
        return mDates.FormatDateAs(text, QStringLiteral("MM月DD日"));
    case 113:
        return mDates.FormatDateAs(text, QStringLiteral("MM-DD"));
    case 114:
    case 121:
        return CapitalDigitsOf(code, text);
    case 116:
        return Money::ParseAmountExact(text).Shifted(2).ToPlainText() + QLatin1Char('%');
    case 109:
        return ToPostcode(text);
    case 106:
    case 107:
    case 108:
        return mDates.ToArabicDatePart(text, static_cast<DateText::Part>(w - 106));
    case 100:
    case 101:
    case 102:
        return DateText::ToCapitalDatePart(text, static_cast<DateText::Part>(w - 100));
    case 103:
        return CapitalAmount::ToCapitalAmount(text, QStringLiteral("元"));
    case 120:
        return CapitalAmount::ToCapitalAmount(text, QStringLiteral("圆"));
    case 104:
        return Money::FormatMoney(text);
    case 105:
        return Without(Money::FormatMoney(text), QString(kYuan));
    case 117:
        return Without(Money::FormatMoney(text), QString(kYuan) + QLatin1Char(','));
    case 118:
        return Without(Money::FormatMoney(text), QStringLiteral(","));
    default:
        break;
    }
    if (w >= 1 && w <= 99) return Money::FormatMoney(text);
    if (w >= 301 && w <= 399) return Without(Money::FormatMoney(text), QString(kYuan));
    return text; // 115, 119, 122, 123–300, 400 and above
}

int BoxConverter::CapitalCells(double code)
{
    const int w = WholeCode(code);
    if (w == 114) return CellsOf(code, 114, 0.0001);
    if (w == 121) return CellsOf(code, 121, 0.0201) - 2;
    return 0;
}

QString BoxConverter::CapitalDigitsOf(double code, const QString& text)
{
    const int w = WholeCode(code);
    if (w == 114) return CapitalAmount::ToCapitalDigits(text, CapitalCells(code));
    if (w != 121 || text.isEmpty() || CapitalAmount::IsConverted(text)) return text;
    // Two more cells for 角 and 分, then those two dropped: whole yuan only.
    return CapitalAmount::ToCapitalDigits(text, CapitalCells(code) + 2).chopped(2);
}

QString BoxConverter::ToPostcode(const QString& text)
{
    QString digits;
    for (const QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) digits += c;
    if (digits.isEmpty()) return digits;
    return digits.left(6).rightJustified(6, QLatin1Char('0'));
}

QString BoxConverter::FillValue(double code, const QString& present) const
{
    const QDateTime now = mClock.Now();
    switch (WholeCode(code)) {
    case 100:
    case 106:
        return QString::number(now.date().year());
    case 101:
    case 107:
        return QString::number(now.date().month());
    case 102:
    case 108:
        return QString::number(now.date().day());
    case 110:
    case 111:
    case 112:
    case 113:
        return now.date().toString(QStringLiteral("yyyy-MM-dd"));
    case 119:
        return mCustomPattern.isEmpty() ? now.toString(QStringLiteral("yyyy/M/d H:mm:ss"))
                                        : DateText::FormatWithPattern(now, mCustomPattern);
    default:
        return present;
    }
}

void BoxConverter::FillDateBoxes(QList<Box>& boxes) const
{
    for (Box& box : boxes) box.text = ConvertBoxText(box.code, FillValue(box.code, box.text));
}

} // namespace kestrio
