// Years, months and days in capital and Arabic digits; whole dates in patterns.
#include "QtPrinters.h"
#include "convert/DateText.h"
#include "seams/Clock.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// The bank's rule for dates on cheques, written out independently: months 1, 2 and 10 and
// days 1–9, 10, 20 and 30 get 零 in front; 11–19 are 壹拾X.
QString BankDatePart(int value, DateText::Part part)
{
    static const char* const digit[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
    QString text = value < 10 ? U(digit[value])
                   : value % 10 == 0 ? U(digit[value / 10]) + U("拾")
                                    : U(digit[value / 10]) + U("拾") + U(digit[value % 10]);
    const bool zero = part == DateText::Month ? (value <= 2 || value == 10) : (value <= 10 || value % 10 == 0);
    return zero ? U("零") + text : text;
}

TEST(ToCapitalDatePart, EveryMonthAndDayFollowsTheBankRule)
{
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(DateText::ToCapitalDatePart(QString::number(month), DateText::Month), BankDatePart(month, DateText::Month))
            << month;
        // Typed with a leading zero it reads the same.
        EXPECT_EQ(DateText::ToCapitalDatePart(QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')), DateText::Month),
                  BankDatePart(month, DateText::Month))
            << month;
    }
    for (int day = 1; day <= 31; ++day) {
        EXPECT_EQ(DateText::ToCapitalDatePart(QString::number(day), DateText::Day), BankDatePart(day, DateText::Day)) << day;
        EXPECT_EQ(DateText::ToCapitalDatePart(QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')), DateText::Day),
                  BankDatePart(day, DateText::Day))
            << day;
    }
}

TEST(ToCapitalDatePart, YearsAndTextOutOfRange)
{
    EXPECT_EQ(DateText::ToCapitalDatePart(U("2024"), DateText::Year), U("贰零贰肆"));
    EXPECT_EQ(DateText::ToCapitalDatePart(U("1999"), DateText::Year), U("1999"));
    EXPECT_EQ(DateText::ToCapitalDatePart(U("13"), DateText::Month), U("13"));
    EXPECT_EQ(DateText::ToCapitalDatePart(U("0"), DateText::Day), U("0"));
    EXPECT_EQ(DateText::ToCapitalDatePart(U("叁"), DateText::Month), U("叁"));
    EXPECT_EQ(DateText::ToCapitalDatePart(U("零壹拾"), DateText::Day), U("零壹拾"));
    EXPECT_EQ(DateText::ToCapitalDatePart(QString(), DateText::Day), QString());
}

class DateWithClock : public ::testing::Test {
protected:
    FixedClock mClock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15))};
    DateText mDates{mClock};
};

TEST_F(DateWithClock, ArabicPartsReadCapitalsAndFallBackToToday)
{
    EXPECT_EQ(mDates.ToArabicDatePart(U("贰零贰肆"), DateText::Year), U("2024"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("99"), DateText::Year), U("2026"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("零叁"), DateText::Month), U("3"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("03"), DateText::Month), U("3"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("零壹拾"), DateText::Month), U("10"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("壹拾伍"), DateText::Day), U("15"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("拾伍"), DateText::Day), U("15"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("拾"), DateText::Day), U("10"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("零贰拾"), DateText::Day), U("20"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("叁拾壹"), DateText::Day), U("31"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("32"), DateText::Day), U("8"));
    EXPECT_EQ(mDates.ToArabicDatePart(U("abc"), DateText::Month), U("12"));
    for (int day = 1; day <= 31; ++day)
        EXPECT_EQ(mDates.ToArabicDatePart(BankDatePart(day, DateText::Day), DateText::Day), QString::number(day));
}

// Stored dates read back for statistics: nothing out of range and no year taken from today.
TEST(ReadDatePart, StoredPartsReadBackOrNothing)
{
    const struct {
        const char* text;
        DateText::Part part;
        int value; // 0: nothing
    } cases[] = {{"贰零贰肆", DateText::Year, 2024}, {"2024", DateText::Year, 2024}, {"99", DateText::Year, 0},
                 {"零壹拾", DateText::Month, 10},     {"叁", DateText::Month, 3},      {"13", DateText::Month, 0},
                 {"零贰拾", DateText::Day, 20},       {"叁拾贰", DateText::Day, 0},    {"", DateText::Day, 0},
                 {"abc", DateText::Month, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(DateText::ReadDatePart(U(c.text), c.part).value_or(0), c.value) << c.text;
    EXPECT_EQ(DateText::RecognizeWithYear(U("2024年03月05日")), QDate(2024, 3, 5));
    EXPECT_EQ(DateText::RecognizeWithYear(U("2024-02-29")), QDate(2024, 2, 29));
    for (const char* noDate : {"3月5日", "3-5", "2023-02-29", "2024年2月30日", "明天", ""})
        EXPECT_FALSE(DateText::RecognizeWithYear(U(noDate))) << noDate;
}

TEST_F(DateWithClock, CommonDateFormsAreRecognised)
{
    for (const char* typed : {"2024-3-5", "2024/03/05", "2024.3.5", "20240305", "2024年3月5日", "2024-03-05 14:25",
                              "2024/3/5 14:25:30", "2024年3月5日 14:25", " 2024-3-5 "})
        EXPECT_EQ(mDates.FormatDateAs(U(typed), U("YYYY年MM月DD日")), U("2024年03月05日")) << typed;
    EXPECT_EQ(mDates.FormatDateAs(U("3-5"), U("YYYY-MM-DD")), U("2026-03-05"));
    EXPECT_EQ(mDates.FormatDateAs(U("3月5日"), U("MM-DD")), U("03-05"));
    EXPECT_EQ(mDates.FormatDateAs(U("2024-03-05 14:25:30"), U("yyyy-mm-dd hh:nn:ss")), U("2024-03-05 14:25:30"));
    EXPECT_EQ(mDates.FormatDateAs(U("24-3-5"), U("YYYY-MM-DD")), U("2024-03-05"));
    for (const char* notADate : {"2024-2-30", "abc", "2024-13-1", "12345", "2024-3-5 25:00", ""})
        EXPECT_EQ(mDates.FormatDateAs(U(notADate), U("YYYY-MM-DD")), QString()) << notADate;
}

TEST_F(DateWithClock, PatternLetters)
{
    const QDateTime at(QDate(2026, 3, 5), QTime(7, 4, 9));
    EXPECT_EQ(DateText::FormatWithPattern(at, U("YYYY年MM月DD日")), U("2026年03月05日"));
    EXPECT_EQ(DateText::FormatWithPattern(at, U("yy/m/d h:mm")), U("26/3/5 7:04"));
    EXPECT_EQ(DateText::FormatWithPattern(at, U("HH:NN:SS")), U("07:04:09"));
    EXPECT_EQ(DateText::FormatWithPattern(at, U("MM月DD日")), U("03月05日"));
}

} // namespace
} // namespace kestrio
