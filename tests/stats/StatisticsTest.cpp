// Monthly totals and counts over a format's history, against the real database.
#include "StatsFixture.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// The month rows as "2024-01=1234.50" lines, for whole-table comparisons.
QStringList Rows(const StatResult& result)
{
    QStringList rows;
    for (int i = 0; i < result.months.size(); ++i) rows << result.MonthText(i) + QLatin1Char('=') + result.ValueText(i);
    return rows;
}

class StatisticsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(f.Make()); }

    test::StatsFixture f;
};

TEST_F(StatisticsTest, BoxListsByDataTypeWithFamiliesShownOnce)
{
    const auto labels = [&](StatBoxes::Kind kind) {
        QStringList names;
        for (const StatBox& box : StatBoxes::Build(kind, f.elements)) names << box.label;
        return names.join(QLatin1Char('|'));
    };
    EXPECT_EQ(labels(StatBoxes::Amount), U("金额_XX|小写金额|收款人|备注_0"));
    EXPECT_EQ(labels(StatBoxes::FullDate), U("日期"));
    EXPECT_EQ(labels(StatBoxes::Year) + labels(StatBoxes::Month) + labels(StatBoxes::Day), U("出票年出票月出票日"));
    EXPECT_EQ(labels(StatBoxes::Condition).count(QLatin1Char('|')), 7);
    EXPECT_EQ(f.Box(StatBoxes::Amount, "金额_XX").ids.size(), 3);
    EXPECT_EQ(StatBoxes::PresetIndex(StatBoxes::Build(StatBoxes::Amount, f.elements)), 0);
    EXPECT_EQ(StatBoxes::PresetIndex({StatBox{U("收款人"), {1}, {0}}, StatBox{U("金额"), {2}, {104}}}), 1);

    const struct {
        const char* entry;
        const char* label;
        bool member;
    } labelsOfEntries[] = {{"金额_XX", "金额_12", true}, {"金额_XX", "金额_0", false}, {"金额_XX", "金额_", false},
                           {"金额_XX", "金额X1", false}, {"金额_XX", "金额_1a", false}, {"收款人", "收款人", true},
                           {"金额_XX", "金额_XX", true}, {"金额", "金额_1", false}};
    for (const auto& c : labelsOfEntries)
        EXPECT_EQ(StatBoxes::CompareLabel(U(c.entry), U(c.label)), c.member) << c.entry << ' ' << c.label;
}

TEST_F(StatisticsTest, AmountsReadBackByDataType)
{
    const struct {
        const char* content;
        double code;
        long long fen;
    } amounts[] = {{"￥1,234.50", 104, 123450}, {"壹仟贰佰叁拾肆元伍角整", 103, 123450}, {"壹万零伍拾圆零伍分", 120, 1005005},
                   {"1,234.50", 105, 123450},   {"零零壹贰叁肆伍零", 114.08, 123450},    {"12.5%", 116, 1250},
                   {"abc", 0, 0},               {"-5", 0, -500},                        {"1.019元", 0, 101}};
    for (const auto& c : amounts)
        EXPECT_EQ(static_cast<long long>(MonthlyStatistics::AmountFen(U(c.content), c.code).value_or(-1)), c.fen)
            << c.content;
    EXPECT_FALSE(MonthlyStatistics::AmountFen(QString(40, QLatin1Char('9')), 0));
}

TEST_F(StatisticsTest, FamilySummedPerBillAndEmptyMonthsShowZero)
{
    f.AddBill({{U("日期"), U("2024年01月15日")}, {U("金额_1"), U("壹仟贰佰叁拾肆元伍角整")}, {U("金额_2"), U("￥1,234.50")},
               {U("金额_3"), U("￥0.01")}});
    f.AddBill({{U("日期"), U("2024-01-31")}, {U("金额_2"), U("￥100.00")}});
    f.AddBill({{U("日期"), U("2024年03月01日")}, {U("小写金额"), U("￥5.00")}}); // no family content: 0
    f.AddBill({{U("日期"), U("2023年12月31日")}, {U("金额_1"), U("壹元整")}});   // before the range
    const StatResult sums = f.Run(f.Request("金额_XX"));
    EXPECT_EQ(Rows(sums), QStringList({U("2024-01=2569.01"), U("2024-02=0.00"), U("2024-03=0.00")}));
    EXPECT_EQ(sums.leftOut, 0);
    const Grid grid = sums.ToGrid();
    EXPECT_EQ(grid.Text(0, 0) + grid.Text(0, 1) + grid.Text(0, 2), U("序号日期金额"));
    EXPECT_EQ(grid.Text(3, 0) + grid.Text(3, 1), U("32024-03"));

    // Counting needs no amount box at all.
    const StatResult counts = f.Run(f.Request());
    EXPECT_EQ(Rows(counts), QStringList({U("2024-01=2"), U("2024-02=0"), U("2024-03=1")}));
    EXPECT_EQ(counts.ToGrid().Text(0, 2), U("单据数"));
}

TEST_F(StatisticsTest, SumsAreExactOverManyBills)
{
    {
        Transaction writing(f.app.app->Db());
        for (int i = 0; i < 1000; ++i)
            f.AddBill({{U("日期"), U("2024年05月20日")}, {U("小写金额"), i % 2 ? U("￥0.10") : U("￥0.20")}});
        ASSERT_TRUE(writing.Commit());
    }
    const StatResult result = f.Run(f.Request("小写金额"));
    ASSERT_EQ(result.months.size(), 1);
    EXPECT_EQ(result.ValueText(0), U("150.00")); // binary floating point gives 149.99999999999…
    EXPECT_TRUE(result.months[0].value == 15000); // whole fen, no rounding involved
}

TEST_F(StatisticsTest, CapitalDateBoxesAndUnreadableDatesLeftOut)
{
    const QString year = U("贰零贰肆");
    f.AddBill({{U("出票年"), year}, {U("出票月"), U("零壹拾")}, {U("出票日"), U("零贰拾")}});
    f.AddBill({{U("出票年"), year}, {U("出票月"), U("叁")}, {U("出票日"), U("壹拾伍")}});
    f.AddBill({{U("出票年"), year}, {U("出票月"), U("零贰")}, {U("出票日"), U("叁拾")}}); // 2月30日
    f.AddBill({{U("出票年"), year}, {U("出票月"), U("下月")}, {U("出票日"), U("零伍")}});
    f.AddBill({{U("收款人"), U("张三")}});                                               // no date at all
    StatRequest request = f.Request();
    request.fullDate = false;
    request.yearBox = f.Box(StatBoxes::Year, "出票年");
    request.monthBox = f.Box(StatBoxes::Month, "出票月");
    request.dayBox = f.Box(StatBoxes::Day, "出票日");
    const StatResult result = f.Run(request);
    EXPECT_EQ(Rows(result).first(), U("2024-03=1"));
    EXPECT_EQ(Rows(result).last(), U("2024-10=1"));
    EXPECT_EQ(result.months.size(), 8);
    EXPECT_EQ(result.leftOut, 3);
    EXPECT_EQ(result.LeftOutNote(), U("有3张单据的日期无法识别，未计入统计。"));
}

TEST_F(StatisticsTest, ConditionKeepsOnlyBillsHoldingTheValue)
{
    f.AddBill({{U("日期"), U("2024年02月01日")}, {U("收款人"), U("O'Brien")}, {U("小写金额"), U("￥10.00")}});
    f.AddBill({{U("日期"), U("2024年02月02日")}, {U("收款人"), U("张三")}, {U("小写金额"), U("￥20.00")}});
    f.AddBill({{U("日期"), U("2024年04月02日")}, {U("收款人"), U("O'Brien")}, {U("小写金额"), U("￥30.00")}});
    f.AddBill({{U("收款人"), U("O'Brien")}}); // undated: left out, and counted as such
    StatRequest request = f.Request("小写金额");
    request.byCondition = true;
    request.conditionBox = f.Box(StatBoxes::Condition, "收款人");
    request.conditionValue = U("O'Brien");
    EXPECT_EQ(StatBoxes::ConditionValues(f.app.app->DbOp(), f.Format(), request.conditionBox),
              QStringList({U("O'Brien"), U("张三")}));
    const StatResult result = f.Run(request);
    EXPECT_EQ(Rows(result), QStringList({U("2024-02=10.00"), U("2024-03=0.00"), U("2024-04=30.00")}));
    EXPECT_EQ(result.leftOut, 1);
    EXPECT_EQ(result.title, U("票据开单统计分析图表\r\n统计：Kestrio支票打印软件；单据：O'Brien统计单；统计内容：金额；"
                              "日期：2024-02至2024-04；\r\n统计对象：小写金额；统计条件：收款人=“O'Brien”；"));
    request.sumAmounts = false;
    EXPECT_EQ(MonthlyStatistics::TitleLines(request, U("2024-02"), U("2024-02")),
              U("票据开单统计分析图表\r\n统计：Kestrio支票打印软件；单据：O'Brien统计单；统计内容：单据数；"
                "日期：2024-02至2024-02；统计条件：收款人=“O'Brien”；"));
}

TEST_F(StatisticsTest, MissingSettingsAreRefused)
{
    StatRequest noDate = f.Request();
    noDate.dateBox = {};
    StatRequest partsMissing = f.Request();
    partsMissing.fullDate = false;
    partsMissing.yearBox = f.Box(StatBoxes::Year, "出票年");
    StatRequest noValue = f.Request();
    noValue.byCondition = true;
    noValue.conditionBox = f.Box(StatBoxes::Condition, "收款人");
    const std::pair<StatRequest, QString> cases[] = {{noDate, U("日期内容框不能为空！")},
                                                     {partsMissing, U("日期内容框不能为空！")},
                                                     {noValue, U("统计条件没有设置！")},
                                                     {f.Request(), QString()}};
    for (const auto& [request, message] : cases) EXPECT_EQ(MonthlyStatistics::Check(request), message);
    EXPECT_TRUE(f.Run(f.Request()).IsEmpty());
}

} // namespace
} // namespace kestrio
