// What leaving an amount box accepts and refuses, and what it then shows.
#include "convert/AmountInput.h"
#include "convert/BoxConverter.h"
#include "seams/Clock.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

class FixedTime : public Clock {
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); }
};

enum class Verdict { Shown, Format, Cells, Range };

TEST(AmountInput, RefusesWhatWouldPrintAWrongAmountAndReadsFullWidthInput)
{
    struct Case {
        double code;
        const char* typed;
        Verdict verdict;
        const char* shown; // the box text after leaving, when accepted
    };
    const Case cases[] = {
        // What a Chinese input method types reads as the amount it shows.
        {104, "１２３．５０", Verdict::Shown, "￥123.50"},
        {103, "１，２３４．５", Verdict::Shown, "壹仟贰佰叁拾肆元伍角整"},
        {11, "－３５．２", Verdict::Shown, "￥-35.20"},
        {114.08, "１２３４．５", Verdict::Shown, "零零壹贰叁肆伍零"},
        // Typed and converted forms that are amounts.
        {104, "￥-1,234.50", Verdict::Shown, "￥-1,234.50"},
        {105, " 100元 ", Verdict::Shown, "100.00"},
        {103, "壹仟元整", Verdict::Shown, "壹仟元整"},
        {117, ".5", Verdict::Shown, "0.50"},
        {104, "9999999999999.99", Verdict::Shown, "￥9,999,999,999,999.99"},
        {11, "999999999", Verdict::Shown, "￥999,999,999.00"},
        // Not a number: a second point, an exponent, letters, junk, a bare sign.
        {104, "1.2.3", Verdict::Format, nullptr},
        {103, "1e3", Verdict::Format, nullptr},
        {11, "1.5e1", Verdict::Format, nullptr},
        {120, "abc", Verdict::Format, nullptr},
        {118, "12%", Verdict::Format, nullptr},
        {104, "-", Verdict::Format, nullptr},
        {104, "--5", Verdict::Format, nullptr},
        {104, "1.5,0", Verdict::Format, nullptr},
        {104, "壹佰", Verdict::Format, nullptr},
        // Beyond the capital positions, or beyond the printed cells.
        {104, "10000000000000", Verdict::Range, nullptr},
        {103, "12345678901234567890", Verdict::Range, nullptr},
        {11, "1000000000", Verdict::Cells, nullptr},
        {311, "-999999999", Verdict::Cells, nullptr},
        {114.08, "1234567.5", Verdict::Cells, nullptr},
        {121.06, "1234567", Verdict::Cells, nullptr},
        // Not amount boxes, and empty boxes: anything stays.
        {0, "1.2.3", Verdict::Shown, "1.2.3"},
        {116, "abc", Verdict::Shown, "0%"},
        {104, "", Verdict::Shown, ""},
    };
    const FixedTime clock;
    const BoxConverter converter(clock);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.code));
        const QString refusal = AmountInput::Refusal(c.code, U(c.typed));
        switch (c.verdict) {
        case Verdict::Shown:
            EXPECT_EQ(refusal, QString());
            EXPECT_EQ(converter.ConvertBoxText(c.code, U(c.typed)), U(c.shown));
            break;
        case Verdict::Format: EXPECT_EQ(refusal, U("金额格式不正确！")); break;
        case Verdict::Cells: EXPECT_EQ(refusal, AmountInput::CellsMessage()); break;
        case Verdict::Range: EXPECT_EQ(refusal, AmountInput::RangeMessage()); break;
        }
    }
}

} // namespace
} // namespace kestrio
