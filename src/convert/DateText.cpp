#include "DateText.h"

#include "CapitalAmount.h"
#include "Decimal.h"
#include "seams/Clock.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace kestrio {

namespace {

bool InRange(double value, DateText::Part part)
{
    switch (part) {
    case DateText::Year:
        return value >= 2000 && value <= 3000;
    case DateText::Month:
        return value >= 1 && value <= 12;
    case DateText::Day:
        return value >= 1 && value <= 31;
    }
    return false;
}

QString Capitalised(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += c.isDigit() && c.unicode() < 128 ? CapitalAmount::CapitalDigits()[c.digitValue()] : c;
    return out;
}

int Year2(int yy)
{
    return yy < 30 ? 2000 + yy : 1900 + yy; // the usual window of two-digit years
}

} // namespace

QString DateText::ToCapitalDatePart(const QString& text, Part part)
{
    if (text.isEmpty() || !(text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9'))) return text;
    const double value = Decimal::FromLeadingNumber(text).ToDouble();
    if (!InRange(value, part)) return text;
    const int v = static_cast<int>(std::nearbyint(value));
    QString capital = Capitalised(text);
    const QChar zero = CapitalAmount::CapitalDigits()[0];
    const QChar ten(u'拾');
    // A month or day typed with a leading zero says the same as without it ("03" is 3).
    if (part != Year && capital.size() == 2 && capital[0] == zero && capital[1] != zero) capital.remove(0, 1);
    if (capital.size() == 1) {
        if (!(part == Month && v >= 3 && v <= 9)) capital.prepend(zero);
    } else if (capital.size() == 2 && capital[0] != zero && capital[1] != zero) {
        capital.insert(1, ten);
    } else if (capital.size() == 2 && capital[1] == zero) {
        capital = QString(capital[0]) + ten;
    }
    if (capital.size() == 2 && v % 10 == 0) capital.prepend(zero);
    return capital;
}

std::optional<int> DateText::ReadDatePart(const QString& text, Part part)
{
    QString s = text.trimmed();
    const QChar ten(u'拾');
    if (s.startsWith(ten)) s.prepend(QLatin1Char('1')); // 拾伍 is 15, 拾 is 10
    if (s.endsWith(ten)) s[s.size() - 1] = QLatin1Char('0');
    QString digits;
    for (const QChar c : s) {
        const qsizetype capital = CapitalAmount::CapitalDigits().indexOf(c);
        if (capital >= 0) digits += QChar(static_cast<char16_t>(u'0' + capital));
        else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) digits += c;
    }
    while (digits.startsWith(QLatin1Char('0'))) digits.remove(0, 1);
    const double value = digits.isEmpty() ? 0 : Decimal::FromLeadingNumber(digits.left(12)).ToDouble();
    const bool inRange = part == Year ? value >= 1000 && value <= 5000 : InRange(value, part);
    if (!inRange) return std::nullopt;
    return static_cast<int>(std::nearbyint(value));
}

QString DateText::ToArabicDatePart(const QString& text, Part part) const
{
    if (const auto value = ReadDatePart(text, part)) return QString::number(*value);
    const QDate today = mClock.Today();
    return QString::number(part == Year ? today.year() : part == Month ? today.month() : today.day());
}

std::optional<QDateTime> DateText::Recognize(const QString& text) const
{
    return Match(text, mClock.Today().year());
}

std::optional<QDate> DateText::RecognizeWithYear(const QString& text)
{
    const auto value = Match(text, 0);
    if (!value) return std::nullopt;
    return value->date();
}

// `yearWithoutOne` is the year of a date typed without one; 0 refuses such dates.
std::optional<QDateTime> DateText::Match(const QString& text, int yearWithoutOne)
{
    static const QRegularExpression full(QStringLiteral(
        "^\\s*(\\d{4}|\\d{2})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?"
        "(?:[\\sT]*(\\d{1,2})[:：时](\\d{1,2})(?:[:：分](\\d{1,2})秒?)?)?\\s*$"));
    static const QRegularExpression compact(
        QStringLiteral("^\\s*(\\d{4})(\\d{2})(\\d{2})(?:[\\sT]*(\\d{1,2})[:：]?(\\d{2})(?:[:：]?(\\d{2}))?)?\\s*$"));
    static const QRegularExpression monthDay(QStringLiteral(
        "^\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?(?:[\\sT]*(\\d{1,2})[:：时](\\d{1,2})(?:[:：分](\\d{1,2})秒?)?)?\\s*$"));

    int year = 0, month = 0, day = 0, first = 0;
    QRegularExpressionMatch match = full.match(text);
    if (match.hasMatch()) {
        year = match.captured(1).toInt();
        if (match.captured(1).size() == 2) year = Year2(year);
        month = match.captured(2).toInt();
        day = match.captured(3).toInt();
        first = 4;
    } else if ((match = compact.match(text)).hasMatch()) {
        year = match.captured(1).toInt();
        month = match.captured(2).toInt();
        day = match.captured(3).toInt();
        first = 4;
    } else if (yearWithoutOne > 0 && (match = monthDay.match(text)).hasMatch()) {
        year = yearWithoutOne;
        month = match.captured(1).toInt();
        day = match.captured(2).toInt();
        first = 3;
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    const QTime time(match.captured(first).toInt(), match.captured(first + 1).toInt(), match.captured(first + 2).toInt());
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time);
}

QString DateText::FormatDateAs(const QString& text, const QString& pattern) const
{
    const auto value = Recognize(text);
    return value ? FormatWithPattern(*value, pattern) : QString();
}

QString DateText::FormatWithPattern(const QDateTime& value, const QString& pattern)
{
    const QDate date = value.date();
    const QTime time = value.time();
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QString out;
    bool afterHour = false;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i].toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == c) ++run;
        const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
        if (c == QLatin1Char('y')) {
            out += run >= 3 ? QString::number(date.year()) : two(date.year() % 100);
        } else if (c == QLatin1Char('m') && afterHour && run <= 2) {
            out += run == 2 ? two(time.minute()) : QString::number(time.minute());
        } else if (c == QLatin1Char('m')) {
            out += run >= 4 ? chinese.monthName(date.month())
                   : run == 3 ? chinese.monthName(date.month(), QLocale::ShortFormat)
                   : run == 2 ? two(date.month())
                              : QString::number(date.month());
        } else if (c == QLatin1Char('d')) {
            out += run >= 4 ? chinese.dayName(date.dayOfWeek())
                   : run == 3 ? chinese.dayName(date.dayOfWeek(), QLocale::ShortFormat)
                   : run == 2 ? two(date.day())
                              : QString::number(date.day());
        } else if (c == QLatin1Char('h')) {
            out += run >= 2 ? two(time.hour()) : QString::number(time.hour());
        } else if (c == QLatin1Char('n')) {
            out += run >= 2 ? two(time.minute()) : QString::number(time.minute());
        } else if (c == QLatin1Char('s')) {
            out += run >= 2 ? two(time.second()) : QString::number(time.second());
        } else {
            out += pattern.mid(i, run);
        }
        if (c != QLatin1Char(' ') && c != QLatin1Char(':')) afterHour = c == QLatin1Char('h');
        i += run;
    }
    return out;
}

} // namespace kestrio
