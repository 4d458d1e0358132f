// Lower-case amounts: exact fen, cut after the second decimal.
#include "QtPrinters.h"
#include "convert/AmountInput.h"
#include "convert/Decimal.h"
#include "convert/Money.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace kestrio {
namespace {

struct Case {
    const char* input;
    const char* expected;
};

TEST(FormatMoney, Examples)
{
    const Case cases[] = {
        {"1234.5", "￥1,234.50"},
        {"0.5", "￥0.50"},
        {".5", "￥0.50"},
        {"1234567.891", "￥1,234,567.89"},
        {"-35.2", "￥-35.20"},
        {"abc", "￥0.00"},
        {"￥1,234.50", "￥1,234.50"},
        {"￥-1,234.50", "￥-1,234.50"},
        {"1.239", "￥1.23"},
        {"1.999", "￥1.99"},
        {"1.015", "￥1.01"},
        {"007", "￥7.00"},
        {"100", "￥100.00"},
        {"123456", "￥123,456.00"},
        {"12345678901234.56", "￥12,345,678,901,234.56"},
        {"-0.001", "￥0.00"}, // no negative zero
        {"-0", "￥0.00"},
        {"", ""},
        {"-", "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Money::FormatMoney(QString::fromUtf8(c.input)), QString::fromUtf8(c.expected)) << c.input;
}

TEST(FormatMoney, ConvertingAgainChangesNothing)
{
    for (const char* input : {"1234.5", "-35.2", "0.05", "99999999999.99", "abc", "-0.5"}) {
        const QString once = Money::FormatMoney(QString::fromUtf8(input));
        EXPECT_EQ(Money::FormatMoney(once), once) << input;
    }
}

TEST(ParseAmount, ReadsMoneyTextsAndPercentagesExactly)
{
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("￥1,234.50")).ToPlainText(), QStringLiteral("1234.5"));
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("$-35.20")).ToPlainText(), QStringLiteral("-35.2"));
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("12.5%")).ToPlainText(), QStringLiteral("0.125"));
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("12abc")).ToPlainText(), QStringLiteral("12"));
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("abc")).ToPlainText(), QStringLiteral("0"));
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("1.5e3")).ToPlainText(), QStringLiteral("1500"));
    EXPECT_DOUBLE_EQ(Money::ParseAmount(QStringLiteral("0.07")), 0.07);
    // 0.1 + 0.2 in binary is not 0.3; the decimal reading is.
    EXPECT_EQ(Money::ParseAmountExact(QStringLiteral("0.3")).Shifted(2).ToPlainText(), QStringLiteral("30"));
}

TEST(Decimal, FenAreCutTowardZero)
{
    EXPECT_EQ(Decimal::FromLeadingNumber(QStringLiteral("1.015")).FenDigits(), QStringLiteral("101"));
    EXPECT_EQ(Decimal::FromLeadingNumber(QStringLiteral("-2.999")).FenDigits(), QStringLiteral("299"));
    EXPECT_EQ(Decimal::FromLeadingNumber(QStringLiteral("0.001")).FenDigits(), QStringLiteral("0"));
    EXPECT_EQ(Decimal::FromLeadingNumber(QStringLiteral("98765432109876.54")).FenDigits(),
              QStringLiteral("9876543210987654"));
    EXPECT_EQ(Decimal::FromLeadingNumber(QStringLiteral("-12.30")).WholeDigits(), QStringLiteral("12"));
    EXPECT_FALSE(Decimal::FromLeadingNumber(QStringLiteral("-0.000")).IsNegative());
}

TEST(Decimal, WholeDigitsOfAmountsBelowOne)
{
    const Case cases[] = {{"0.05", "0"}, {"-0.5", "0"}, {"0.005", "0"}, {"0", "0"}, {"12.05", "12"}, {"100.5", "100"},
                          {"0010.25", "10"}};
    for (const Case& c : cases)
        EXPECT_EQ(Decimal::FromLeadingNumber(QString::fromLatin1(c.input)).WholeDigits(), QString::fromLatin1(c.expected))
            << c.input;
}

// The same amount typed in full-width characters: read through the general parser.
QString FullWidth(const QString& text)
{
    QString wide = text;
    for (QChar& c : wide) {
        if (c.isDigit()) c = QChar(char16_t(u'０' + c.digitValue()));
        else if (c == QLatin1Char('.')) c = QChar(u'．');
        else if (c == QLatin1Char('-')) c = QChar(u'－');
    }
    return wide;
}

// The usual typed amounts are read without the general parser, with the same fen, sign and
// refusals as the general parser gives the same amount typed in full-width characters.
TEST(PlainFen, ReadsLikeTheGeneralParser)
{
    const char* const plain[] = {"0",      "0.00",    "-0.00", "-0.001",  "7.",   "0.05",           "-12.5",
                                 "1234.56", "1234.567", "007.5", "100",    "-100", "9999999999999.99", "10000000000000",
                                 "00000000000000012.3", "5.1", "-0.5",    "99999999999999999999"};
    for (const char* text : plain) {
        const QString typed = QString::fromLatin1(text);
        bool fastNegative = true, slowNegative = true;
        const auto fen = Money::PlainFen(typed, &fastNegative);
        ASSERT_TRUE(fen.has_value()) << text;
        EXPECT_EQ(*fen, Money::FenOf(FullWidth(typed), &slowNegative)) << text;
        EXPECT_EQ(fastNegative, slowNegative) << text;
        // The whole part a plain amount counts: the general parser's, with a lone 0 as no digit.
        QString whole = Decimal::FromLeadingNumber(typed).WholeDigits();
        whole.remove(QRegularExpression(QStringLiteral("^0+")));
        EXPECT_EQ(Money::PlainWholeDigits(typed), whole.size()) << text;
        for (const double code : {103.0, 104.0, 12.0, 114.08, 120.0, 0.0}) {
            EXPECT_EQ(AmountInput::Refusal(code, typed), AmountInput::Refusal(code, FullWidth(typed)))
                << text << ' ' << code;
        }
    }
    for (const char* text : {"", "-", ".5", "1.2.3", "1,234", "12元", " 12", "1e3", "--1", "1-"}) {
        EXPECT_FALSE(Money::PlainFen(QString::fromUtf8(text), nullptr).has_value()) << text;
        EXPECT_FALSE(Money::PlainWholeDigits(QString::fromUtf8(text)).has_value()) << text;
    }
}

} // namespace
} // namespace kestrio
