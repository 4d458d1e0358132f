// What a box of each data-type code makes of the typed text.
#include "TestApp.h"
#include "convert/BoxConverter.h"
#include "convert/DataTypeCatalog.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

class BoxConverterTest : public ::testing::Test {
protected:
    FixedClock mClock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15))};
    BoxConverter mBox{mClock};

    QString Convert(double code, const char* text) const { return mBox.ConvertBoxText(code, U(text)); }
};

TEST_F(BoxConverterTest, EachFamilyConverts)
{
    EXPECT_EQ(Convert(0, "1234.5"), U("1234.5"));
    EXPECT_EQ(Convert(-3, "1234.5"), U("1234.5"));
    EXPECT_EQ(Convert(103, "1234.5"), U("壹仟贰佰叁拾肆元伍角整"));
    EXPECT_EQ(Convert(120, "1234.5"), U("壹仟贰佰叁拾肆圆伍角整"));
    EXPECT_EQ(Convert(104, "1234.5"), U("￥1,234.50"));
    EXPECT_EQ(Convert(105, "1234.5"), U("1,234.50"));
    EXPECT_EQ(Convert(117, "1234.5"), U("1234.50"));
    EXPECT_EQ(Convert(118, "1234.5"), U("￥1234.50"));
    EXPECT_EQ(Convert(11, "1234.5"), U("￥1,234.50"));
    EXPECT_EQ(Convert(311, "1234.5"), U("1,234.50"));
    EXPECT_EQ(Convert(211, "6222 0202"), U("6222 0202"));
    EXPECT_EQ(Convert(114.08, "1234.5"), U("零零壹贰叁肆伍零"));
    EXPECT_EQ(Convert(121.08, "1234.5"), U("零零零零壹贰叁肆"));
    EXPECT_EQ(Convert(114.03, "1.999"), U("壹玖玖"));
    EXPECT_EQ(Convert(100, "2024"), U("贰零贰肆"));
    EXPECT_EQ(Convert(101, "3"), U("叁"));
    EXPECT_EQ(Convert(102, "3"), U("零叁"));
    EXPECT_EQ(Convert(102, "20"), U("零贰拾"));
    EXPECT_EQ(Convert(101, "12"), U("壹拾贰"));
    EXPECT_EQ(Convert(106, "99"), U("2026"));
    EXPECT_EQ(Convert(107, "零叁"), U("3"));
    EXPECT_EQ(Convert(108, "壹拾伍"), U("15"));
    EXPECT_EQ(Convert(109, "1234"), U("001234"));
    EXPECT_EQ(Convert(109, "1234567"), U("123456"));
    EXPECT_EQ(Convert(109, "abc"), QString());
    EXPECT_EQ(Convert(110, "2024-3-5"), U("2024年03月05日"));
    EXPECT_EQ(Convert(111, "2024/3/5"), U("2024-03-05"));
    EXPECT_EQ(Convert(112, "2024.3.5"), U("03月05日"));
    EXPECT_EQ(Convert(113, "20240305"), U("03-05"));
    EXPECT_EQ(Convert(110, "下周一"), QString()); // no date: the box is emptied
    EXPECT_EQ(Convert(116, "0.125"), U("12.5%"));
    EXPECT_EQ(Convert(116, "12.5%"), U("12.5%"));
    EXPECT_EQ(Convert(116, "0.07"), U("7%"));
    for (double code : {115.0, 119.0, 122.0, 123.0, 200.0, 300.0, 400.0, 999.0})
        EXPECT_EQ(Convert(code, "1234.5"), U("1234.5")) << code;
    EXPECT_EQ(Convert(103, ""), QString());
}

TEST_F(BoxConverterTest, NegativeCapitalDigitsKeepTheirSign)
{
    EXPECT_EQ(Convert(114.08, "-1234.5"), U("-零零壹贰叁肆伍零"));
    EXPECT_EQ(Convert(121.08, "-1234.5"), U("-零零零零壹贰叁肆"));
    EXPECT_EQ(Convert(121.08, "-零零零零壹贰叁肆"), U("-零零零零壹贰叁肆"));
}

TEST_F(BoxConverterTest, ConvertingAConvertedTextAgainChangesNothing)
{
    const double codes[] = {0,   1,   11,  99,  100, 101, 102, 103, 104,    105,    106, 107, 108, 109, 110, 111,
                            112, 113, 115, 116, 117, 118, 119, 120, 121.08, 121.11, 122, 211, 311, 114.08, 114.11, 400};
    const char* inputs[] = {"1234.5", "-1234.5", "0.05", "0", "-0.001", "3", "10", "20", "2024", "2024-3-5",
                            "12.5%",  "abc",     "1.999", "9999999999999.99", "10000000000000", "壹拾伍", "031000"};
    for (double code : codes) {
        for (const char* input : inputs) {
            const QString once = Convert(code, input);
            EXPECT_EQ(mBox.ConvertBoxText(code, once), once) << code << " " << input;
        }
    }
}

TEST_F(BoxConverterTest, DateBoxesAreFilledFromTheClock)
{
    QList<BoxConverter::Box> boxes{{100, {}}, {101, {}}, {102, {}}, {106, {}}, {107, {}}, {108, {}},
                                   {110, {}}, {111, U("2020-1-1")}, {112, {}}, {113, {}}, {119, {}},
                                   {0, U("留着")}, {103, U("1234.5")}};
    mBox.FillDateBoxes(boxes);
    const QStringList expected{U("贰零贰陆"), U("壹拾贰"), U("零捌"), U("2026"), U("12"), U("8"), U("2026年12月08日"),
                               U("2026-12-08"), U("12月08日"), U("12-08"), U("2026/12/8 9:30:15"), U("留着"),
                               U("壹仟贰佰叁拾肆元伍角整")};
    ASSERT_EQ(boxes.size(), expected.size());
    for (int i = 0; i < boxes.size(); ++i) EXPECT_EQ(boxes[i].text, expected[i]) << boxes[i].code;

    BoxConverter custom(mClock, U("YYYY年MM月DD日 HH:NN"));
    QList<BoxConverter::Box> one{{119, U("旧的")}};
    custom.FillDateBoxes(one);
    EXPECT_EQ(one.first().text, U("2026年12月08日 09:30"));
}

TEST(CustomPattern, IsKeptAsANamedParameter)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    const QString name = BoxConverter::CustomPatternName(119);
    EXPECT_EQ(name, U("自定义类型119"));
    t.app->Parameters().SetParam(name, U("YYYY.MM.DD"));
    BoxConverter box(t.clock, t.app->Parameters().GetParam(name));
    EXPECT_EQ(box.FillValue(119, {}), U("2026.12.08"));
}

TEST(DataTypes, BordersKeysAndTheEditorsCodes)
{
    EXPECT_TRUE(BoxConverter::HasBorder(11));
    EXPECT_TRUE(BoxConverter::HasBorder(211));
    EXPECT_TRUE(BoxConverter::HasBorder(399));
    EXPECT_FALSE(BoxConverter::HasBorder(0));
    EXPECT_FALSE(BoxConverter::HasBorder(103));
    EXPECT_FALSE(BoxConverter::HasBorder(114.08));
    EXPECT_FALSE(BoxConverter::HasBorder(200));
    EXPECT_FALSE(BoxConverter::HasBorder(400));

    EXPECT_EQ(BoxConverter::DigitKeyFilter('7'), '7');
    EXPECT_EQ(BoxConverter::DigitKeyFilter('.'), '.');
    EXPECT_EQ(BoxConverter::DigitKeyFilter(8), 8);
    EXPECT_EQ(BoxConverter::DigitKeyFilter(0xFF15), 0xFF15); // ５ of an input method
    EXPECT_EQ(BoxConverter::DigitKeyFilter(0xFF0E), 0xFF0E); // ．
    EXPECT_EQ(BoxConverter::DigitKeyFilter('-'), 0);
    EXPECT_EQ(BoxConverter::DigitKeyFilter('a'), 0);
    // A refund or a negative line takes a minus sign in an amount box, not in a date part.
    for (double amount : {11.0, 99.0, 105.0}) {
        EXPECT_EQ(BoxConverter::KeyFilter(amount, '-'), '-');
        EXPECT_EQ(BoxConverter::KeyFilter(amount, 0xFF0D), 0xFF0D);
        EXPECT_EQ(BoxConverter::KeyFilter(amount, 'a'), 0);
        EXPECT_EQ(BoxConverter::KeyFilter(amount, '5'), '5');
    }
    EXPECT_EQ(BoxConverter::KeyFilter(107, '-'), 0);
    EXPECT_TRUE(BoxConverter::TakesDigitsOnly(12));
    EXPECT_TRUE(BoxConverter::TakesDigitsOnly(107));
    EXPECT_FALSE(BoxConverter::TakesDigitsOnly(104));

    const QStringList entries = DataTypeCatalog::Entries(U("YYYY-MM-DD"));
    EXPECT_EQ(entries.first(), U("000｜普通文本"));
    EXPECT_TRUE(entries.contains(U("119｜自定义日期：YYYY-MM-DD")));
    EXPECT_TRUE(entries.contains(U("112｜日期：MM年DD月")));
    EXPECT_EQ(DataTypeCatalog::ComposeCode(11, 8), 8);
    EXPECT_EQ(DataTypeCatalog::ComposeCode(211, 12), 212);
    EXPECT_EQ(DataTypeCatalog::ComposeCode(311, 0), 311); // out of range: 11 cells
    EXPECT_DOUBLE_EQ(DataTypeCatalog::ComposeCode(114, 8), 114.08);
    EXPECT_DOUBLE_EQ(DataTypeCatalog::ComposeCode(121, 150), 121.11);
    EXPECT_EQ(DataTypeCatalog::ComposeCode(103, 5), 103);
    EXPECT_EQ(DataTypeCatalog::EntryBaseFor(8), 11);
    EXPECT_EQ(DataTypeCatalog::EntryBaseFor(300), 211);
    EXPECT_EQ(DataTypeCatalog::EntryBaseFor(305), 311);
    EXPECT_EQ(DataTypeCatalog::EntryBaseFor(114.08), 114);
    EXPECT_EQ(DataTypeCatalog::CellCountOf(114.08), 8);
    EXPECT_EQ(DataTypeCatalog::CellCountOf(121.11), 11);
    EXPECT_EQ(DataTypeCatalog::CellCountCaption(114), U("大写金额位数："));
    EXPECT_EQ(DataTypeCatalog::CellCountCaption(104), U("数据类型代码："));
}

} // namespace
} // namespace kestrio
