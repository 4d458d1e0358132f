// Automatic filling against the real database: completion, suggestions, same-content rings,
// related content from earlier bills, sums and products, and serial numbers.
#include "TestApp.h"
#include "entry/AutoFill.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

class AutoFillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        // The demo formats of a first start play no part here.
        Db().ExecuteSql(QStringLiteral("DELETE * FROM Fmt WHERE Fmt<>''"));
        mApp.prompter.shown.clear();
    }
    void TearDown() override
    {
        // Every statement was accepted by the engine: a failing query would have shown its SQL.
        EXPECT_TRUE(mApp.prompter.shown.isEmpty()) << mApp.prompter.shown.join(QLatin1Char('\n')).toStdString();
    }

    DbOperate& Db() { return mApp.app->DbOp(); }
    AutoFill Fill() { return AutoFill(Db(), mApp.clock); }

    // Adds a text box with a caption and data type; returns its row.
    static int AddBox(Workspace& ws, const QString& label, double cash = 0)
    {
        const int row = ws.table.AddElementRow(ElementTable::TextBox);
        ws.table.SetText(row, Col::ColLbl, label);
        ws.table.SetText(row, Col::ColCash, QString::number(cash));
        return row;
    }
    // Saves the format so that every box has its stored ID.
    void Save(Workspace& ws, const QString& name)
    {
        ws.formatName = name;
        ASSERT_TRUE(FormatStore(Db(), mApp.progress, mApp.screen).SaveFormat(ws));
    }
    static void Set(Workspace& ws, int row, Col col, const QString& value) { ws.table.SetText(row, col, value); }
    static QString IdText(const Workspace& ws, int row) { return QString::number(ws.table.Id(row)); }
    // Same-content (positive) or related-content (negative) link from `from` to `to`.
    static void Link(Workspace& ws, int from, int to, bool related, Col col = Col::ColRCtl)
    {
        Set(ws, from, col, (related ? QStringLiteral("-") : QString()) + IdText(ws, to));
    }
    qint64 Store(Workspace& ws) { return HistoryRecords(Db(), mApp.prompter).StoreRecord(ws); }
    void Recalc(Workspace& ws, int row) { Fill().RecalculateFrom(ws, ws.table.Id(row)); }

    test::TestApp mApp;
};

// ---- Same-content rings ----

TEST_F(AutoFillTest, AmountInCapitalBoxFillsMoneyBoxOfItsRingAndBack)
{
    Workspace ws;
    const int capital = AddBox(ws, U("大写"), 103);
    const int money = AddBox(ws, U("小写"), 104);
    Save(ws, U("支票"));
    Link(ws, capital, money, false);
    Link(ws, money, capital, false);

    ws.SetBoxText(capital, U("壹仟贰佰叁拾肆元伍角整"));
    Recalc(ws, capital);
    EXPECT_EQ(ws.BoxText(money), U("￥1,234.50"));
    EXPECT_EQ(ws.BoxText(capital), U("壹仟贰佰叁拾肆元伍角整"));

    ws.SetBoxText(money, U("￥88.00"));
    Recalc(ws, money);
    EXPECT_EQ(ws.BoxText(capital), U("捌拾捌元整"));
    EXPECT_EQ(ws.BoxText(money), U("￥88.00"));

    // Emptying one box empties its ring.
    ws.SetBoxText(money, QString());
    Recalc(ws, money);
    EXPECT_EQ(ws.BoxText(capital), QString());
}

TEST_F(AutoFillTest, RingOfThreeShowsTheValueInEachBoxsOwnType)
{
    Workspace ws;
    const int a = AddBox(ws, U("甲"));
    const int b = AddBox(ws, U("乙"), 104);
    const int c = AddBox(ws, U("丙"), 103);
    Save(ws, U("环"));
    // RCtl1 wins over RCtl when positive.
    Link(ws, a, c, false);
    Link(ws, a, b, false, Col::ColRCtl1);
    Link(ws, b, c, false);
    Link(ws, c, a, false);
    ws.SetBoxText(a, U("12.5"));
    Recalc(ws, a);
    EXPECT_EQ(ws.BoxText(b), U("￥12.50"));
    EXPECT_EQ(ws.BoxText(c), U("壹拾贰元伍角整"));
    EXPECT_EQ(ws.BoxText(a), U("12.5"));
}

// ---- Related content ----

class RelatedContentTest : public AutoFillTest {
protected:
    void SetUp() override
    {
        AutoFillTest::SetUp();
        payee = AddBox(mWs, U("收款人"));
        account = AddBox(mWs, U("账号"));
        bank = AddBox(mWs, U("开户行"));
        other = AddBox(mWs, U("用途"));
        Save(mWs, U("电汇's"));
        Link(mWs, payee, account, true);
        Link(mWs, account, bank, true);
        Link(mWs, bank, payee, true);
    }
    void Bill(const QString& p, const QString& a, const QString& b)
    {
        mWs.ClearContents();
        mWs.SetBoxText(payee, p);
        mWs.SetBoxText(account, a);
        mWs.SetBoxText(bank, b);
        mWs.SetBoxText(other, U("货款"));
        ASSERT_GT(Store(mWs), 0);
        mWs.ClearContents();
    }
    Workspace mWs;
    int payee = 0, account = 0, bank = 0, other = 0;
};

TEST_F(RelatedContentTest, PayeeFillsAccountAndBankFromTheLatestBill)
{
    Bill(U("甲公司"), U("111"), U("工行"));
    Bill(U("乙公司"), U("222"), U("农行"));
    Bill(U("甲公司"), U("333"), U("建行"));
    mWs.SetBoxText(payee, U("甲公司"));
    Recalc(mWs, payee);
    EXPECT_EQ(mWs.BoxText(account), U("333"));
    EXPECT_EQ(mWs.BoxText(bank), U("建行"));
    EXPECT_EQ(mWs.BoxText(other), QString()); // not linked
    EXPECT_EQ(mWs.BoxText(payee), U("甲公司"));
}

TEST_F(RelatedContentTest, PayeeWithDoubleQuotesFindsItsBill)
{
    Bill(U("北京\"长城\"公司"), U("6222"), U("中行"));
    mWs.SetBoxText(payee, U("北京\"长城\"公司"));
    Recalc(mWs, payee);
    EXPECT_EQ(mWs.BoxText(account), U("6222"));
    EXPECT_EQ(mWs.BoxText(bank), U("中行"));
}

TEST_F(RelatedContentTest, PayeeWithApostropheFindsItsBill)
{
    Bill(U("O'Brien's 商行"), U("7788"), U("交行"));
    mWs.SetBoxText(payee, U("O'Brien's 商行"));
    Recalc(mWs, payee);
    EXPECT_EQ(mWs.BoxText(account), U("7788"));
    EXPECT_EQ(mWs.BoxText(bank), U("交行"));
}

TEST_F(RelatedContentTest, UnknownPayeeChangesNothing)
{
    Bill(U("甲公司"), U("111"), U("工行"));
    mWs.SetBoxText(payee, U("丁公司"));
    mWs.SetBoxText(account, U("手填"));
    Recalc(mWs, payee);
    EXPECT_EQ(mWs.BoxText(account), U("手填"));
    EXPECT_EQ(mWs.BoxText(bank), QString());
}

TEST_F(RelatedContentTest, AccountTypedFillsBankAndPayeeAroundTheRing)
{
    Bill(U("甲公司"), U("111"), U("工行"));
    mWs.SetBoxText(account, U("111"));
    Recalc(mWs, account);
    EXPECT_EQ(mWs.BoxText(bank), U("工行"));
    EXPECT_EQ(mWs.BoxText(payee), U("甲公司"));
}

// The ring 收款人 → 账号 → 开户行 → 收款人 over earlier bills: the box typed into keeps what was
// typed, a box filled from a bill does not fill back from another bill, and a box missing
// from the bill or already matching it does not stop the boxes after it.
TEST_F(RelatedContentTest, ChainsFillOnlyForwardFromTheTypedBox)
{
    struct Case {
        const char* name;
        QList<QStringList> bills; // payee, account, bank
        QStringList before;       // payee, account, bank shown before typing
        int typed;                // 0 payee, 1 account, 2 bank
        const char* text;
        QStringList after;
    };
    const QList<Case> cases{
        {"account shared bank", {{U("甲"), U("111"), U("X行")}, {U("乙"), U("222"), U("X行")}}, {U(""), U(""), U("")}, 1, "111",
         {U("甲"), U("111"), U("X行")}},
        {"bank already shown", {{U("甲"), U("111"), U("X行")}, {U("乙"), U("222"), U("X行")}}, {U(""), U(""), U("X行")}, 1,
         "111", {U("甲"), U("111"), U("X行")}},
        {"first box missing from the bill", {{U("甲"), QString(), U("Y行")}}, {U(""), U(""), U("")}, 0, "甲",
         {U("甲"), QString(), U("Y行")}},
        {"first box already matching", {{U("甲"), U("333"), U("Z行")}}, {U(""), U("333"), U("")}, 0, "甲",
         {U("甲"), U("333"), U("Z行")}},
        {"typed bank kept over a later bill", {{U("甲"), U("111"), U("X行")}, {U("乙"), U("222"), U("X行")}},
         {U(""), U(""), U("")}, 2, "X行", {U("乙"), U("222"), U("X行")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Db().ExecuteSql(QStringLiteral("DELETE * FROM 历史"));
        for (const QStringList& bill : c.bills) Bill(bill[0], bill[1], bill[2]);
        const int rows[] = {payee, account, bank};
        for (int i = 0; i < 3; ++i) mWs.SetBoxText(rows[i], c.before[i]);
        mWs.SetBoxText(rows[c.typed], U(c.text));
        Recalc(mWs, rows[c.typed]);
        EXPECT_EQ((QStringList{mWs.BoxText(payee), mWs.BoxText(account), mWs.BoxText(bank)}), c.after);
    }
}

// A same-content ring brings nothing back into the box being left.
TEST_F(AutoFillTest, SameContentRingNeverRewritesTheBoxBeingLeft)
{
    Workspace ws;
    const int typed = AddBox(ws, U("原文"));
    const int money = AddBox(ws, U("金额"), 117);
    Save(ws, U("环回"));
    Link(ws, typed, money, false);
    Link(ws, money, typed, false);
    ws.SetBoxText(typed, U("12.345"));
    Recalc(ws, typed);
    EXPECT_EQ(ws.BoxText(money), U("12.34"));
    EXPECT_EQ(ws.BoxText(typed), U("12.345"));
}

class LabelFamilyTest : public AutoFillTest {
protected:
    void SetUp() override
    {
        AutoFillTest::SetUp();
        payee1 = AddBox(mWs, U("收款人_1"));
        account1 = AddBox(mWs, U("账号_1"));
        payee2 = AddBox(mWs, U("收款人_2"));
        account2 = AddBox(mWs, U("账号_2"));
        plain = AddBox(mWs, U("收款人"));
        Save(mWs, U("双联单"));
        Link(mWs, payee1, account1, true);
        Link(mWs, account1, payee1, true);
        Link(mWs, payee2, account2, true);
        Link(mWs, account2, payee2, true);
    }
    Workspace mWs;
    int payee1 = 0, account1 = 0, payee2 = 0, account2 = 0, plain = 0;
};

TEST_F(LabelFamilyTest, PayeeInSecondPartFindsItInTheFirstPartOfAnEarlierBill)
{
    mWs.SetBoxText(payee1, U("甲公司"));
    mWs.SetBoxText(account1, U("111"));
    mWs.SetBoxText(payee2, U("乙公司"));
    mWs.SetBoxText(account2, U("222"));
    ASSERT_GT(Store(mWs), 0);
    mWs.ClearContents();

    mWs.SetBoxText(payee2, U("甲公司"));
    Recalc(mWs, payee2);
    EXPECT_EQ(mWs.BoxText(account2), U("111"));
    EXPECT_EQ(mWs.BoxText(account1), QString());

    mWs.SetBoxText(payee1, U("乙公司"));
    Recalc(mWs, payee1);
    EXPECT_EQ(mWs.BoxText(account1), U("222"));
}

TEST_F(LabelFamilyTest, SuggestionsGatherTheFamilyAcrossFormats)
{
    mWs.SetBoxText(payee1, U("丙公司"));
    mWs.SetBoxText(payee2, U("甲公司"));
    mWs.SetBoxText(plain, U("不属本族"));
    ASSERT_GT(Store(mWs), 0);
    mWs.SetBoxText(payee1, U("甲公司"));
    ASSERT_GT(Store(mWs), 0);

    Workspace other;
    const int payee3 = AddBox(other, U("收款人_3"));
    const int unrelated = AddBox(other, U("付款人_1"));
    Save(other, U("另一格式"));
    other.SetBoxText(payee3, U("乙公司"));
    other.SetBoxText(unrelated, U("付款方"));
    ASSERT_GT(Store(other), 0);

    const QStringList expected{U("丙公司"), U("乙公司"), U("甲公司")};
    EXPECT_EQ(Fill().FillSuggestions(mWs, mWs.table.Id(payee2)), expected);
    EXPECT_EQ(Fill().FillSuggestions(other, other.table.Id(payee3)), expected);
    // The box without a family number sees its own values only.
    EXPECT_EQ(Fill().FillSuggestions(mWs, mWs.table.Id(plain)), QStringList{U("不属本族")});
    EXPECT_EQ(Fill().FillSuggestions(mWs, mWs.table.Id(account1)), QStringList());
}

TEST_F(AutoFillTest, SuggestionsOfAPlainBoxAreItsDistinctValuesSorted)
{
    Workspace ws;
    const int box = AddBox(ws, U("用途"));
    Save(ws, U("报销"));
    for (const char* value : {"b差旅", "a办公", "b差旅", "c招待"}) {
        ws.SetBoxText(box, U(value));
        ASSERT_GT(Store(ws), 0);
    }
    EXPECT_EQ(Fill().FillSuggestions(ws, ws.table.Id(box)), (QStringList{U("a办公"), U("b差旅"), U("c招待")}));
}

TEST_F(AutoFillTest, AnUnderscoreInsideAFamilyPrefixIsMatchedLiterally)
{
    Workspace ws;
    const int first = AddBox(ws, U("费_用_1"));
    const int second = AddBox(ws, U("费_用_2"));
    const int lookalike = AddBox(ws, U("费X用_1"));
    Save(ws, U("费用单"));
    ws.SetBoxText(first, U("差旅费"));
    ws.SetBoxText(lookalike, U("不应出现"));
    ASSERT_GT(Store(ws), 0);
    EXPECT_EQ(Fill().FillSuggestions(ws, ws.table.Id(second)), QStringList{U("差旅费")});
}

// ---- Sums and products ----

class CalculationTest : public AutoFillTest {
protected:
    void SetUp() override
    {
        AutoFillTest::SetUp();
        a = AddBox(mWs, U("甲"));
        b = AddBox(mWs, U("乙"));
        result = AddBox(mWs, U("结果"));
        Save(mWs, U("计算"));
    }
    void Member(int row, int target, const char* kind, Col col = Col::ColSumId)
    {
        // kind: "+" sum, "-" sum negated, "*" product, "/" product negated
        const QString id = IdText(mWs, target);
        const QString k = QString::fromLatin1(kind);
        QString value = (k == QLatin1String("*") || k == QLatin1String("/")) ? QStringLiteral("-") + id : id;
        if (k == QLatin1String("-") || k == QLatin1String("/")) value += QStringLiteral(".5");
        Set(mWs, row, col, value);
    }
    Workspace mWs;
    int a = 0, b = 0, result = 0;
};

TEST_F(CalculationTest, SumWithANegatedMember)
{
    Member(a, result, "+");
    Member(b, result, "-");
    mWs.SetBoxText(a, U("100"));
    mWs.SetBoxText(b, U("30"));
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(result), U("70"));
}

TEST_F(CalculationTest, ProductWithANegatedMember)
{
    Member(a, result, "*");
    Member(b, result, "/");
    mWs.SetBoxText(a, U("100"));
    mWs.SetBoxText(b, U("30"));
    Recalc(mWs, a);
    EXPECT_EQ(mWs.BoxText(result), U("-3000"));
}

TEST_F(CalculationTest, EmptyMemberEmptiesAProductButCountsZeroInASum)
{
    Member(a, result, "*");
    Member(b, result, "*");
    mWs.SetBoxText(a, U("4"));
    mWs.SetBoxText(b, U("2.5"));
    Recalc(mWs, a);
    EXPECT_EQ(mWs.BoxText(result), U("10"));
    mWs.SetBoxText(b, QString());
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(result), QString());

    Member(a, result, "+");
    Member(b, result, "+");
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(result), U("4"));
}

TEST_F(CalculationTest, SumsAreExactDecimals)
{
    Member(a, result, "+");
    Member(b, result, "+");
    mWs.SetBoxText(a, U("0.1"));
    mWs.SetBoxText(b, U("0.2"));
    Recalc(mWs, a);
    EXPECT_EQ(mWs.BoxText(result), U("0.3"));
    mWs.SetBoxText(a, U("12345678901234.56"));
    mWs.SetBoxText(b, U("0.01"));
    Recalc(mWs, a);
    EXPECT_EQ(mWs.BoxText(result), U("12345678901234.57"));
}

TEST_F(CalculationTest, MembersAreReadInTheirOwnDataType)
{
    Set(mWs, a, Col::ColCash, QStringLiteral("103"));
    Set(mWs, b, Col::ColCash, QStringLiteral("104"));
    Set(mWs, result, Col::ColCash, QStringLiteral("104"));
    Member(a, result, "+");
    Member(b, result, "+", Col::ColSumId1);
    mWs.SetBoxText(a, U("壹仟元整"));
    mWs.SetBoxText(b, U("￥1,234.50"));
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(result), U("￥2,234.50"));
}

TEST_F(CalculationTest, ABoxNamingItselfDoesNotAccumulateIntoItself)
{
    Member(a, a, "+");
    mWs.SetBoxText(a, U("5"));
    Recalc(mWs, a);
    EXPECT_EQ(mWs.BoxText(a), U("5"));
    // Nor does it count as its own member when another member changes.
    Member(b, a, "+");
    mWs.SetBoxText(b, U("7"));
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(a), U("7"));
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(a), U("7"));
}

TEST_F(CalculationTest, ResultsCascadeIntoProductsRingsAndFurtherSums)
{
    // a + b → result; result × price → total; total shown in capital by its ring partner.
    const int price = AddBox(mWs, U("单价"));
    const int total = AddBox(mWs, U("总额"), 104);
    const int capital = AddBox(mWs, U("大写"), 103);
    const int grand = AddBox(mWs, U("合计"));
    Save(mWs, U("计算"));
    Member(a, result, "+");
    Member(b, result, "+");
    Member(result, total, "*");
    Member(price, total, "*");
    Link(mWs, total, capital, false);
    Link(mWs, capital, total, false);
    Member(total, grand, "+");        // the cascade goes on from the product
    Member(a, grand, "-", Col::ColSumId1); // a second accumulation of a

    mWs.SetBoxText(price, U("2.5"));
    mWs.SetBoxText(a, U("3"));
    mWs.SetBoxText(b, U("5"));
    Recalc(mWs, b);
    EXPECT_EQ(mWs.BoxText(result), U("8"));
    EXPECT_EQ(mWs.BoxText(total), U("￥20.00"));
    EXPECT_EQ(mWs.BoxText(capital), U("贰拾元整"));
    EXPECT_EQ(mWs.BoxText(grand), U("17"));

    mWs.SetBoxText(a, U("1"));
    Recalc(mWs, a);
    EXPECT_EQ(mWs.BoxText(result), U("6"));
    EXPECT_EQ(mWs.BoxText(total), U("￥15.00"));
    EXPECT_EQ(mWs.BoxText(capital), U("壹拾伍元整"));
    EXPECT_EQ(mWs.BoxText(grand), U("14"));
}

// ---- Serial numbers ----

TEST(NextNumberTest, KeepsTheWidthAndTheTail)
{
    EXPECT_EQ(AutoFill::NextNumber(U("NO2024-0099")), U("NO2024-0100"));
    EXPECT_EQ(AutoFill::NextNumber(U("0099")), U("0100"));
    EXPECT_EQ(AutoFill::NextNumber(U("9")), U("10"));
    EXPECT_EQ(AutoFill::NextNumber(U("A9")), U("A10"));
    EXPECT_EQ(AutoFill::NextNumber(U("A99")), U("A100"));
    EXPECT_EQ(AutoFill::NextNumber(U("12/B")), U("13/B"));
    EXPECT_EQ(AutoFill::NextNumber(U("第007号")), U("第008号"));
    EXPECT_EQ(AutoFill::NextNumber(U("99999999999999999999")), U("100000000000000000000"));
    EXPECT_EQ(AutoFill::NextNumber(QString()), QString());
    EXPECT_EQ(AutoFill::NextNumber(U("ABC")), U("AB1"));
    EXPECT_EQ(AutoFill::NextNumber(U("X")), U("1"));
}

TEST_F(AutoFillTest, AdvanceNumbersTakesTheNewestStoredNumber)
{
    Workspace ws;
    const int number = AddBox(ws, U("编号"), 122);
    const int fresh = AddBox(ws, U("流水"), 122.5);
    const int text = AddBox(ws, U("摘要"));
    Save(ws, U("收据"));
    ws.SetBoxText(number, U("NO2024-0098"));
    ws.SetBoxText(text, U("7"));
    ASSERT_GT(Store(ws), 0);
    ws.SetBoxText(number, U("NO2024-0099"));
    ASSERT_GT(Store(ws), 0);

    ws.ClearContents();
    ws.SetBoxText(fresh, U("A1"));
    ws.SetBoxText(text, U("7"));
    Fill().AdvanceNumbers(ws);
    EXPECT_EQ(ws.BoxText(number), U("NO2024-0100"));
    EXPECT_EQ(ws.BoxText(fresh), U("A1")); // empty history leaves the number as it is
    EXPECT_EQ(ws.BoxText(text), U("7"));  // not a number box
}

// A bill made again from the defaults never repeats a stored number and an empty number box
// continues the stored series; a number not yet used (a new series typed as the default) is kept.
TEST_F(AutoFillTest, AdvanceUsedNumbersPassesOnlyNumbersAlreadyStored)
{
    Workspace ws;
    const int number = AddBox(ws, U("编号"), 122);
    Save(ws, U("收据"));
    for (const char* stored : {"A7", "A8"}) {
        ws.SetBoxText(number, U(stored));
        ASSERT_GT(Store(ws), 0);
    }
    const struct {
        const char* shown;
        const char* after;
    } cases[] = {{"A8", "A9"}, {"A7", "A9"}, {"B1", "B1"}, {"", "A9"}};
    for (const auto& c : cases) {
        ws.SetBoxText(number, U(c.shown));
        Fill().AdvanceUsedNumbers(ws);
        EXPECT_EQ(ws.BoxText(number), U(c.after)) << c.shown;
    }
    // A box whose bills carry no number yet stays empty.
    const int fresh = AddBox(ws, U("新编号"), 122);
    ws.SetBoxText(fresh, QString());
    Fill().AdvanceUsedNumbers(ws);
    EXPECT_EQ(ws.BoxText(fresh), QString());
}

// ---- Completion ----

class CompletionTest : public AutoFillTest {
protected:
    void SetUp() override
    {
        AutoFillTest::SetUp();
        box = AddBox(mWs, U("摘要"));
        otherBox = AddBox(mWs, U("备注"));
        Save(mWs, U("报销"));
        for (const char* value :
             {"北京分公司", "上海分公司", "上海总部", "50%折扣", "50元折扣", "A_1号", "AB1号", "O'Brien", "C:\\dir"}) {
            mWs.SetBoxText(box, U(value));
            ASSERT_GT(Store(mWs), 0);
        }
        mWs.ClearContents();
        mWs.SetBoxText(otherBox, U("北方"));
        ASSERT_GT(Store(mWs), 0);
    }
    AutoFill::Completion Complete(const char* typed) { return Fill().AutoComplete(mWs, mWs.table.Id(box), U(typed)); }
    Workspace mWs;
    int box = 0, otherBox = 0;
};

TEST_F(CompletionTest, OneMatchCompletesWithTheTailSelected)
{
    const AutoFill::Completion c = Complete("北");
    EXPECT_TRUE(c.completed);
    EXPECT_EQ(c.text, U("北京分公司"));
    EXPECT_EQ(c.selectionStart, 1);
    EXPECT_EQ(c.selectionLength, 4);
}

TEST_F(CompletionTest, SeveralMatchesOrTheWholeValueDoNothing)
{
    const AutoFill::Completion several = Complete("上海");
    EXPECT_FALSE(several.completed);
    EXPECT_EQ(several.text, U("上海"));
    EXPECT_FALSE(Complete("北京分公司").completed);
    EXPECT_FALSE(Complete("深圳").completed);
    const AutoFill::Completion one = Complete("上海总");
    EXPECT_TRUE(one.completed);
    EXPECT_EQ(one.text, U("上海总部"));
    EXPECT_EQ(one.selectionStart, 3);
    EXPECT_EQ(one.selectionLength, 1);
}

TEST_F(CompletionTest, PercentAndUnderscoreTypedMatchLiterally)
{
    const AutoFill::Completion percent = Complete("50%");
    EXPECT_TRUE(percent.completed);
    EXPECT_EQ(percent.text, U("50%折扣"));
    EXPECT_EQ(percent.selectionStart, 3);
    EXPECT_EQ(percent.selectionLength, 2);
    const AutoFill::Completion underscore = Complete("A_");
    EXPECT_TRUE(underscore.completed);
    EXPECT_EQ(underscore.text, U("A_1号"));
    EXPECT_FALSE(Complete("%").completed);
}

TEST_F(CompletionTest, QuotesAndBackslashTypedMatchLiterally)
{
    const AutoFill::Completion quote = Complete("O'B");
    EXPECT_TRUE(quote.completed);
    EXPECT_EQ(quote.text, U("O'Brien"));
    const AutoFill::Completion backslash = Complete("C:\\");
    EXPECT_TRUE(backslash.completed);
    EXPECT_EQ(backslash.text, U("C:\\dir"));
    EXPECT_EQ(backslash.selectionStart, 3);
    EXPECT_EQ(backslash.selectionLength, 3);
}

TEST(LikeLiteralTest, EscapesWildcardsAndTheEscapeCharacter)
{
    EXPECT_EQ(AutoFill::LikeLiteral(U("5%_a\\b'")), U("5\\%\\_a\\\\b'"));
    EXPECT_EQ(AutoFill::LikeEscapeClause(U("5%")), U(" ESCAPE '\\'"));
    EXPECT_EQ(AutoFill::LikeEscapeClause(U("收款人")), QString()); // nothing to escape: the index serves the prefix
}

} // namespace
} // namespace kestrio
