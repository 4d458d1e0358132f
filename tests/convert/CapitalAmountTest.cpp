// Capital amounts: the worked examples, the mended faults, a comparison with the bank rules
// written out independently, and the reading back.
#include "QtPrinters.h"
#include "convert/CapitalAmount.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

struct Case {
    const char* input;
    const char* expected;
};

TEST(ToCapitalAmount, WorkedExamples)
{
    const Case cases[] = {
        {"0", "零元整"},
        {"0.5", "伍角整"},
        {"0.05", "伍分"},
        {"10.5", "壹拾元伍角整"},
        {"100.05", "壹佰元零伍分"},
        {"205.07", "贰佰零伍元零柒分"},
        {"1010", "壹仟零壹拾元整"},
        {"100000", "壹拾万元整"},
        {"1000000.1", "壹佰万元壹角整"},
        {"100010000", "壹亿零壹万元整"},
        {"1234567890.12", "壹拾贰亿叁仟肆佰伍拾陆万柒仟捌佰玖拾元壹角贰分"},
        {"-35.2", "-叁拾伍元贰角整"},
        {"1234.5", "壹仟贰佰叁拾肆元伍角整"},
        {"abc", "零元整"},
        {"￥1,234.50", "壹仟贰佰叁拾肆元伍角整"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CapitalAmount::ToCapitalAmount(U(c.input), U("元")), U(c.expected)) << c.input;
    EXPECT_EQ(CapitalAmount::ToCapitalAmount(U("1"), U("圆")), U("壹圆整"));
    EXPECT_EQ(CapitalAmount::ToCapitalAmount(QString(), U("元")), QString());
}

TEST(ToCapitalAmount, MendedFaults)
{
    const Case cases[] = {
        // 亿 followed by an empty 万 group says nothing of the 万.
        {"10000000000", "壹佰亿元整"},
        {"1000000000000", "壹万亿元整"},
        {"100000000005", "壹仟亿零伍元整"},
        // One fen value for every conversion: cut, never rounded.
        {"1.999", "壹元玖角玖分"},
        {"1.015", "壹元零壹分"},
        // No negative zero.
        {"-0.001", "零元整"},
        // The largest amount that fits, and the first that does not.
        {"9999999999999.99", "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        // Beyond the capital positions nothing is shown, never the Arabic digits.
        {"10000000000000", ""},
        {"-12345678901234567", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CapitalAmount::ToCapitalAmount(U(c.input), U("元")), U(c.expected)) << c.input;
}

TEST(ToCapitalAmount, ConvertedTextIsLeftAlone)
{
    for (const char* text : {"壹仟贰佰叁拾肆元伍角整", "-叁拾伍元贰角整", "零元整"})
        EXPECT_EQ(CapitalAmount::ToCapitalAmount(U(text), U("元")), U(text));
}

// The bank's rules for capital amounts, written out from the rules and not from the program.
const char* const kDigit[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};

std::string Under10000(qint64 n)
{
    static const char* const units[] = {"仟", "佰", "拾", ""};
    std::string out;
    bool zero = false;
    for (int i = 0, div = 1000; i < 4; ++i, div /= 10) {
        const int d = static_cast<int>(n / div % 10);
        if (d == 0) {
            zero = !out.empty();
            continue;
        }
        if (zero) out += "零";
        zero = false;
        out += std::string(kDigit[d]) + units[i];
    }
    return out;
}

std::string Under1e8(qint64 n)
{
    std::string out;
    const qint64 wan = n / 10000, unit = n % 10000;
    if (wan) out += Under10000(wan) + "万";
    // A zero at 万 is written when 仟 follows (the rules allow it either way; cheques here write it).
    if (unit) out += std::string(wan && (unit < 1000 || wan % 10 == 0) ? "零" : "") + Under10000(unit);
    return out;
}

std::string BankCapital(qint64 fen)
{
    const qint64 yuan = fen / 100;
    const int jiao = static_cast<int>(fen / 10 % 10), cents = static_cast<int>(fen % 10);
    std::string out;
    const qint64 yi = yuan / 100000000, rest = yuan % 100000000;
    if (yi) out += Under1e8(yi) + "亿";
    if (rest) out += std::string(yi && (rest < 10000000 || yi % 10 == 0) ? "零" : "") + Under1e8(rest);
    if (yuan) out += "元";
    if (jiao == 0 && cents == 0) return (out.empty() ? "零元" : out) + "整";
    if (cents == 0) return out + kDigit[jiao] + "角整";
    if (jiao == 0) return out + (yuan ? "零" : "") + kDigit[cents] + "分";
    return out + kDigit[jiao] + "角" + kDigit[cents] + "分";
}

QString FenText(qint64 fen)
{
    return QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
}

// The plain form the reading gives: no trailing zeros, no point for whole yuan.
QString PlainText(qint64 fen, bool negative)
{
    QString text = FenText(fen);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return (negative ? QStringLiteral("-") : QString()) + text;
}

TEST(ToCapitalAmount, AgreesWithTheBankRulesAndReadsBack)
{
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 200000; ++i) {
        // Every magnitude from fen to 万亿, with runs of zeros made likely.
        const int digits = 1 + static_cast<int>(random() % 15);
        qint64 fen = 0;
        for (int d = 0; d < digits; ++d) fen = fen * 10 + (random() % 3 == 0 ? 0 : static_cast<qint64>(random() % 10));
        const bool negative = random() % 4 == 0 && fen != 0;
        const QString input = (negative ? QStringLiteral("-") : QString()) + FenText(fen);
        const QString capital = CapitalAmount::ToCapitalAmount(input, U("元"));
        const QString expected = (negative ? QStringLiteral("-") : QString()) + QString::fromStdString(BankCapital(fen));
        ASSERT_EQ(capital, expected) << input.toStdString();
        const QString back = CapitalAmount::CapitalToNumber(capital, 103);
        ASSERT_EQ(back, PlainText(fen, negative)) << input.toStdString();
        ASSERT_EQ(CapitalAmount::CapitalToNumber(CapitalAmount::ToCapitalAmount(input, U("圆")), 120), back);
    }
}

// The capital text as it was built before it was written in one pass: every position
// spelled out, then the zeros folded by replacing. Kept here to hold the new text to it.
QString CapitalOfFenByReplacing(const QString& fen)
{
    static const QString zeroText = QStringLiteral("零");
    static const char16_t names[] = u"分角元拾佰仟万拾佰仟亿拾佰仟万";
    const int w = static_cast<int>(fen.size());
    const QChar zero = zeroText[0];
    auto digit = [&](int k) { return CapitalAmount::CapitalDigits()[fen[w - 1 - k].digitValue()]; };
    std::array<QString, 15> pos;
    for (int k = 0; k < w; ++k) pos[k] = QString(digit(k)) + QChar(names[k]);
    for (int k = w - 1; k >= 0; --k) {
        if (digit(k) != zero) continue;
        pos[k] = zeroText;
        while (k - 1 >= 2 && digit(k - 1) == zero) pos[--k].clear();
    }
    auto mark = [&](int k, const QString& name) {
        if (pos[k].isEmpty()) pos[k] = name;
        else if (pos[k] == zeroText) pos[k] = name + zeroText;
    };
    if (w > 10) mark(10, QStringLiteral("亿"));
    if (w > 6) mark(6, QStringLiteral("万"));
    if (w > 2 && (pos[2].isEmpty() || pos[2].startsWith(zero))) pos[2] = QStringLiteral("元");
    QString text;
    for (int k = 14; k >= 0; --k) text += pos[k];
    text.replace(QStringLiteral("零亿"), QStringLiteral("亿零"));
    text.replace(QStringLiteral("零万"), QStringLiteral("万零"));
    text.replace(QStringLiteral("零零"), zeroText);
    text.replace(QStringLiteral("零元"), QStringLiteral("元"));
    if (text.endsWith(zero)) text.chop(1);
    if (!text.endsWith(QChar(u'分'))) text += QChar(u'整');
    if (text == QStringLiteral("元整") || text == QStringLiteral("整")) text = QStringLiteral("零元整");
    text.replace(QStringLiteral("亿万"), QStringLiteral("亿"));
    return text;
}

// Every pattern of zeros in every length from one to fifteen digits, the other digits
// varied: the capital text is the one the replacing build gave.
TEST(ToCapitalAmount, SameTextAsTheReplacingBuildForEveryPatternOfZeros)
{
    int compared = 0;
    for (int length = 1; length <= 15; ++length) {
        for (int zeros = 0; zeros < (1 << length); ++zeros) {
            if (length > 1 && (zeros >> (length - 1)) & 1) continue; // no leading zero
            QString fen;
            for (int k = length - 1; k >= 0; --k)
                fen += (zeros >> k) & 1 ? QLatin1Char('0') : QLatin1Char(char('1' + (k * 7 + zeros) % 9));
            const qint64 value = fen.toLongLong();
            const QString input = FenText(value);
            ASSERT_EQ(CapitalAmount::ToCapitalAmount(input, U("元")), CapitalOfFenByReplacing(fen)) << input.toStdString();
            ++compared;
        }
    }
    EXPECT_EQ(compared, 1 + 32767); // "0" and every pattern under a non-zero first digit
}

TEST(CapitalToNumber, ReadsBothFormsAndNegatives)
{
    const struct {
        const char* text;
        double code;
        const char* expected;
    } cases[] = {
        {"壹万零伍拾元零伍分", 103, "10050.05"},
        {"壹仟陆佰捌拾元零叁角贰分", 103, "1680.32"},
        {"壹仟陆佰捌拾元叁角贰分", 103, "1680.32"},
        {"壹拾元零壹角", 103, "10.1"},
        {"-叁拾伍元贰角整", 103, "-35.2"},
        {"-壹拾贰亿叁仟肆佰伍拾陆万柒仟捌佰玖拾元壹角贰分", 103, "-1234567890.12"},
        {"伍分", 103, "0.05"},
        {"伍角整", 103, "0.5"},
        {"零元整", 103, "0"},
        {"壹万亿元整", 103, "1000000000000"},
        {"壹佰圆整", 120, "100"},
        {"零零壹贰叁肆伍零", 114.08, "1234.5"},
        {"-零零壹贰叁肆伍零", 114.08, "-1234.5"},
        {"零零零零壹贰叁肆", 121.08, "1234"},
        {"1234.5", 103, "1234.5"},     // typed but not converted: left as it is
        {"普通文字", 0, "普通文字"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CapitalAmount::CapitalToNumber(U(c.text), c.code), U(c.expected)) << c.text;
}

TEST(ToCapitalDigits, PaddedNeverCutAndSigned)
{
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("1234.5"), 8), U("零零壹贰叁肆伍零"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("1234.5"), 4), U("壹贰叁肆伍零"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("1.999"), 3), U("壹玖玖"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("-1234.5"), 8), U("-零零壹贰叁肆伍零"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("-零零壹贰叁肆伍零"), 8), U("-零零壹贰叁肆伍零"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("-0.001"), 3), U("零零零"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(U("￥1,234.50"), 8), U("零零壹贰叁肆伍零"));
    EXPECT_EQ(CapitalAmount::ToCapitalDigits(QString(), 8), QString());
}

} // namespace
} // namespace kestrio
