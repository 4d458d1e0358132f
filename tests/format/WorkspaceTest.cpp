// The open format without a window: element table rules, box contents, options.
#include "QtPrinters.h"
#include "format/ElementTable.h"
#include "format/Workspace.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(ElementTable, HeaderRowsAndNewRowDefaults)
{
    ElementTable table;
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Text(0, ElementTable::ColFontSize), QStringLiteral("fSize"));
    EXPECT_EQ(table.Text(1, ElementTable::ColNumber), QStringLiteral("序号"));
    EXPECT_EQ(table.Text(1, ElementTable::ColRCtl1), QStringLiteral("相关项1"));
    EXPECT_EQ(table.Text(0, ElementTable::ColNumber), QString());

    const int row = table.AddElementRow(ElementTable::TextBox);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(table.Id(row), -1);
    EXPECT_EQ(table.Text(row, ElementTable::ColNumber), QStringLiteral("1"));
    EXPECT_EQ(table.Text(row, ElementTable::ColDir), QStringLiteral("左边"));
    EXPECT_EQ(table.Text(row, ElementTable::ColCash), QStringLiteral("0"));
    EXPECT_EQ(table.Text(row, ElementTable::ColSumId1), QStringLiteral("0"));
    EXPECT_EQ(table.KindOf(row), ElementTable::TextBox);
}

TEST(ElementTable, TemporaryIdsCountDownAndNeverRepeat)
{
    ElementTable table;
    for (const char* id : {"12", "-1", "-2", "30"}) table.SetText(table.grid().AddRow(), 0, QString::fromLatin1(id));
    EXPECT_EQ(table.NewTemporaryId(), -3);

    // Add, add, remove the first, add: counting alone would give the second box's ID again.
    ElementTable other;
    other.AddElementRow(ElementTable::TextBox);
    other.AddElementRow(ElementTable::TextBox);
    EXPECT_EQ(other.Id(3), -2);
    other.grid().RemoveRow(2);
    const int row = other.AddElementRow(ElementTable::Label);
    EXPECT_NE(other.Id(row), -2);
    EXPECT_EQ(other.Id(row), -3);
}

TEST(ElementTable, DirectionsColoursAndCopiedProperties)
{
    EXPECT_EQ(ElementTable::DirText(0), QStringLiteral("上方"));
    EXPECT_EQ(ElementTable::DirText(3), QStringLiteral("下方"));
    EXPECT_EQ(ElementTable::DirText(4), QString());
    EXPECT_EQ(ElementTable::DirCode(QStringLiteral("右边")), 2);
    EXPECT_EQ(ElementTable::DirCode(QStringLiteral("随便")), 0);

    ElementTable table;
    const int a = table.AddElementRow(ElementTable::TextBox);
    const int b = table.AddElementRow(ElementTable::TextBox);
    table.SetColor(a, 0);
    EXPECT_EQ(table.grid().CellColor(a, ElementTable::ColColor), 65793); // black held as 65793
    EXPECT_EQ(table.Color(a), 0);
    table.SetText(a, ElementTable::ColLbl, QStringLiteral("收款人"));
    table.SetText(a, ElementTable::ColCash, QStringLiteral("103"));
    table.SetColor(b, 0xFF);
    table.CopyRowProperties(a, b);
    EXPECT_EQ(table.Text(b, ElementTable::ColLbl), QStringLiteral("收款人"));
    EXPECT_EQ(table.Text(b, ElementTable::ColCash), QStringLiteral("103"));
    EXPECT_EQ(table.Id(b), -2); // fixed columns stay
    EXPECT_EQ(table.Color(b), 0);
}

TEST(ElementTable, ReferencesFollowANewIdWithSignAndFraction)
{
    ElementTable table;
    const int moved = table.AddElementRow(ElementTable::TextBox); // -1
    const int other = table.AddElementRow(ElementTable::TextBox);
    table.SetText(other, ElementTable::ColRCtl, QStringLiteral("-1"));
    table.SetText(other, ElementTable::ColRCtl1, QStringLiteral("1"));
    table.SetText(other, ElementTable::ColSumId, QStringLiteral("-1.5"));
    table.SetText(other, ElementTable::ColSumId1, QStringLiteral("12"));
    table.Repoint({{table.Id(moved), 57}, {table.Id(other), 58}});
    EXPECT_EQ(table.Text(other, ElementTable::ColRCtl), QStringLiteral("57"));
    EXPECT_EQ(table.Text(other, ElementTable::ColRCtl1), QStringLiteral("-57"));
    EXPECT_EQ(table.Text(other, ElementTable::ColSumId), QStringLiteral("57.5"));
    EXPECT_EQ(table.Text(other, ElementTable::ColSumId1), QStringLiteral("12"));

    table.Repoint({{12, 80}});
    EXPECT_EQ(table.Text(other, ElementTable::ColSumId1), QStringLiteral("80"));
    EXPECT_EQ(table.Text(other, ElementTable::ColRCtl), QStringLiteral("57")); // not mapped again

    // A new ID equal to minus another's temporary ID is never mistaken for it.
    ElementTable clash;
    const int a = clash.AddElementRow(ElementTable::TextBox); // -1
    const int b = clash.AddElementRow(ElementTable::TextBox); // -2
    clash.SetText(a, ElementTable::ColRCtl, QStringLiteral("-2"));
    clash.SetText(b, ElementTable::ColRCtl, QStringLiteral("-1"));
    clash.Repoint({{-1, 2}, {-2, 1}});
    EXPECT_EQ(clash.Text(a, ElementTable::ColRCtl), QStringLiteral("1"));
    EXPECT_EQ(clash.Text(b, ElementTable::ColRCtl), QStringLiteral("2"));
}

// A cell's number is read once and kept; every way of changing the text reads it anew.
TEST(ElementTable, NumbersFollowTheirCellsText)
{
    ElementTable table;
    const int row = table.AddElementRow(ElementTable::TextBox);
    struct Step {
        const char* text;
        bool throughGrid;
        double number;
    };
    const Step steps[] = {
        {"12.5", false, 12.5}, {"-3.25mm", false, -3.25}, {"abc", true, 0}, {"", false, 0},
        {"  7", true, 7},      {"1e3", false, 1000},        {"103.5", true, 103.5},
    };
    for (const Step& step : steps) {
        const double before = table.Number(row, ElementTable::ColX); // read and kept
        const QString text = QString::fromUtf8(step.text);
        if (step.throughGrid) table.grid().SetText(row, ElementTable::ColX, text);
        else table.SetText(row, ElementTable::ColX, text);
        EXPECT_DOUBLE_EQ(table.Number(row, ElementTable::ColX), step.number) << step.text << " after " << before;
        EXPECT_DOUBLE_EQ(table.Number(row, ElementTable::ColX), step.number) << step.text;
    }
    const ElementTable copy = table;
    table.SetText(row, ElementTable::ColX, QStringLiteral("9"));
    EXPECT_DOUBLE_EQ(copy.Number(row, ElementTable::ColX), 103.5);
    EXPECT_DOUBLE_EQ(table.Number(row, ElementTable::ColX), 9);
    EXPECT_DOUBLE_EQ(table.Number(99, ElementTable::ColX), 0);
}

TEST(Workspace, BoxContentsByKind)
{
    Workspace ws;
    const int text = ws.table.AddElementRow(ElementTable::TextBox);
    const int check = ws.table.AddElementRow(ElementTable::CheckBox);
    const int picture = ws.table.AddElementRow(ElementTable::PictureBox);
    const int line = ws.table.AddElementRow(ElementTable::Line);

    ws.SetBoxContent(text, QStringLiteral("北京//海淀"));
    EXPECT_EQ(ws.BoxText(text), QStringLiteral("北京\r\n海淀"));
    ws.lineBreakMarker = QStringLiteral("##");
    ws.SetBoxContent(text, QStringLiteral("a//b##c"));
    EXPECT_EQ(ws.GetBoxContent(text), QStringLiteral("a//b\r\nc"));

    ws.SetBoxContent(check, QStringLiteral("  "));
    EXPECT_EQ(ws.GetBoxContent(check), QString());
    ws.SetBoxContent(check, QStringLiteral("x"));
    EXPECT_EQ(ws.GetBoxContent(check), QStringLiteral("1"));

    ws.SetBoxContent(picture, QStringLiteral("6901234567892"));
    EXPECT_EQ(ws.GetBoxContent(picture), QStringLiteral("6901234567892"));
    ws.SetBoxContent(line, QStringLiteral("x"));
    EXPECT_EQ(ws.GetBoxContent(line), QString());
}

TEST(Workspace, OptionStrings)
{
    Workspace ws;
    ASSERT_TRUE(ws.ApplyOptionString(QStringLiteral("True|False|1|0|2|0|1|False|")));
    EXPECT_TRUE(ws.setPaper);
    EXPECT_FALSE(ws.backgroundPrint);
    EXPECT_EQ(ws.options, (std::array<int, 5>{1, 0, 2, 0, 1}));
    EXPECT_EQ(ws.OptionString(), QStringLiteral("True|False|1|0|2|0|1|False|"));
    // Fewer than eight fields change nothing.
    EXPECT_FALSE(ws.ApplyOptionString(QStringLiteral("False|True|0|0|0|0")));
    EXPECT_TRUE(ws.setPaper);
    EXPECT_EQ(ws.options[0], 1);
}

} // namespace
} // namespace kestrio
