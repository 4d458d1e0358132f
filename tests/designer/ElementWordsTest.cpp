// The element table in words and what a same/related choice says it does.
#include "designer/ElementWords.h"
#include "designer/RelationText.h"
#include "format/ElementTable.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class ElementWordsTest : public ::testing::Test {
protected:
    int Box(const QString& label, const QString& cash, const QString& rctl = QStringLiteral("0"),
            const QString& rctl1 = QStringLiteral("0"))
    {
        const int row = table.AddElementRow(ElementTable::TextBox);
        // Stored IDs: a new row's is negative until the format is saved.
        table.SetText(row, ElementTable::ColId, QString::number(row + 10));
        table.SetText(row, ElementTable::ColLbl, label);
        table.SetText(row, ElementTable::ColCash, cash);
        table.SetText(row, ElementTable::ColRCtl, rctl);
        table.SetText(row, ElementTable::ColRCtl1, rctl1);
        return row;
    }
    QString Id(int row) const { return QString::number(table.Id(row)); }
    QString Minus(int row) const { return QString::number(-table.Id(row)); }

    ElementTable table;
};

TEST_F(ElementWordsTest, DataTypesReadAsCodeAndName)
{
    const struct {
        double cash;
        const char16_t* words;
    } cases[] = {
        {103, u"103 大写金额(元)"},
        {0, u"0 普通文本"},
        {11, u"11 小写金额(对格 有￥)，11格"},
        {212, u"212 数字(对格)，12格"},
        {312, u"312 小写金额(对格 无￥)，12格"},
        {114.08, u"114.08 大写金额(仅数字)，8位"},
        {119, u"119 自定义日期"},
        {999, u"999"},
    };
    for (const auto& c : cases) EXPECT_EQ(ElementWords::DataType(c.cash), QString::fromUtf16(c.words)) << c.cash;
}

TEST_F(ElementWordsTest, CellsNameTheOtherBoxAndKeepTheStoredValues)
{
    const int capital = Box(QStringLiteral("大写金额"), QStringLiteral("103"));
    const int amount = Box(QStringLiteral("小写金额"), QStringLiteral("11"), Id(capital), Minus(capital));
    table.SetText(amount, ElementTable::ColL, QStringLiteral("2004"));
    table.SetText(amount, ElementTable::ColFontSize, QStringLiteral("7.17"));
    table.SetText(amount, ElementTable::ColSumId, QString::number(table.Id(capital) + 0.1, 'f', 1));
    const int line = table.AddElementRow(ElementTable::Line);
    table.SetText(line, ElementTable::ColCash, QStringLiteral("0"));

    const struct {
        int row, col;
        const char16_t* words;
    } cases[] = {
        {amount, ElementTable::ColCash, u"11 小写金额(对格 有￥)，11格"},
        {amount, ElementTable::ColRCtl, u"相同：大写金额"},
        {amount, ElementTable::ColRCtl1, u"相关：大写金额"},
        {amount, ElementTable::ColSumId, u"累加至：大写金额（取负）"},
        {amount, ElementTable::ColL, u"4 毫米，居中"},
        {amount, ElementTable::ColFontSize, u"7.17 磅"},
        {amount, ElementTable::ColClas, u"0 文本框"},
        {capital, ElementTable::ColRCtl, u""},
        {line, ElementTable::ColCash, u"0 实线"},
        {line, ElementTable::ColClas, u"3 线条"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ElementWords::Cell(table, c.row, c.col), QString::fromUtf16(c.words)) << c.row << ' ' << c.col;
    EXPECT_EQ(table.Text(amount, ElementTable::ColRCtl), Id(capital));
    EXPECT_EQ(table.Text(amount, ElementTable::ColL), QStringLiteral("2004"));
    EXPECT_EQ(ElementWords::Caption(table, 999), QStringLiteral("（没有 999 号输入框）"));
}

TEST_F(ElementWordsTest, TheRelationLineSaysWhatEachKindDoes)
{
    const int amount = Box(QStringLiteral("小写金额"), QStringLiteral("11"));
    const int capital = Box(QStringLiteral("大写金额"), QStringLiteral("103"));
    EXPECT_EQ(RelationText::Line(table, amount, {table.Id(capital), false, false}),
              QStringLiteral("小写金额 → 大写金额：内容相同（按各自数据类别转换）"));
    EXPECT_EQ(RelationText::Line(table, amount, {table.Id(capital), true, false}),
              QStringLiteral("小写金额 → 大写金额：内容相关（从最近一张小写金额相同的单据取大写金额）"));
    EXPECT_EQ(RelationText::Line(table, amount, {}), QString());
}

TEST_F(ElementWordsTest, RelatedNeverFillsFromACapitalAShadowedSlotOrTheSameRing)
{
    // A ring 小写 → 存根 → 大写 → 小写, and a payee with its account.
    const int amount = Box(QStringLiteral("小写金额"), QStringLiteral("11"));
    const int stub = Box(QStringLiteral("存根金额"), QStringLiteral("104"));
    const int capital = Box(QStringLiteral("大写金额"), QStringLiteral("103"), Id(amount));
    table.SetText(stub, ElementTable::ColRCtl, Id(capital));
    const int payee = Box(QStringLiteral("收款人"), QStringLiteral("0"));
    const int account = Box(QStringLiteral("账号"), QStringLiteral("0"));
    using R = EditorModel::Relation;
    const struct {
        const char* what;
        int row;
        double cash;
        R related[2];
        int slot;
        bool never;
    } cases[] = {
        {"payee brings its account", payee, 0, {R{table.Id(account), true, false}, R{}}, 0, false},
        {"same never warns", payee, 0, {R{table.Id(account), false, false}, R{}}, 0, false},
        {"a capital box reads back a number", payee, 103, {R{table.Id(account), true, false}, R{}}, 0, true},
        {"digits of a capital", payee, 114.08, {R{table.Id(account), true, false}, R{}}, 0, true},
        {"slot 2 related shadows slot 1", payee, 0, {R{table.Id(account), true, false}, R{table.Id(amount), true, false}}, 0, true},
        {"slot 2 itself is followed", payee, 0, {R{table.Id(account), true, false}, R{table.Id(amount), true, false}}, 1, false},
        {"the capital is on the amount's ring", amount, 11, {R{table.Id(stub), false, false}, R{table.Id(capital), true, false}}, 1, true},
        {"ring broken by the related choice", amount, 11, {R{table.Id(capital), true, false}, R{}}, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!RelationText::NeverFills(table, c.row, c.cash, c.related, c.slot).isEmpty(), c.never) << c.what;
    EXPECT_EQ(RelationText::NeverFills(table, payee, 103, cases[2].related, 0),
              QStringLiteral("“相关”不会填入“账号”：本框是大写金额，查找以前的单据时用读回的数字，而单据中存的是大写文字，永远找不到。"));
}

} // namespace
} // namespace kestrio
