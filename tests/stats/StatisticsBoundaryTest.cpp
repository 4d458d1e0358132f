// The range of a statistic takes its first and its last day whole, and a bill whose date is
// incomplete is left out and told, never counted on a guessed day.
#include "StatsFixture.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

class StatisticsBoundaryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(f.Make()); }

    test::StatsFixture f;
};

TEST_F(StatisticsBoundaryTest, TheFirstAndLastDayOfTheRangeCount)
{
    // Bills on each side of both edges of March 2024.
    for (const char* day : {"2024年02月29日", "2024年03月01日", "2024年03月31日", "2024年04月01日"})
        f.AddBill({{U("日期"), U(day)}, {U("小写金额"), U("￥1.00")}});
    StatRequest request = f.Request("小写金额");
    request.from = QDate(2024, 3, 1);
    request.to = QDate(2024, 3, 31);
    const StatResult sums = f.Run(request);
    ASSERT_EQ(sums.months.size(), 1);
    EXPECT_EQ(sums.MonthText(0), U("2024-03"));
    EXPECT_EQ(sums.ValueText(0), U("2.00"));
    EXPECT_EQ(sums.leftOut, 0);
}

TEST_F(StatisticsBoundaryTest, ABillMissingADatePartIsLeftOut)
{
    const QString year = U("贰零贰肆");
    f.AddBill({{U("出票年"), year}, {U("出票月"), U("零叁")}, {U("出票日"), U("零壹")}});
    f.AddBill({{U("出票年"), year}, {U("出票月"), U("零叁")}});                   // no day
    f.AddBill({{U("出票年"), year}, {U("出票日"), U("零壹")}});                   // no month
    f.AddBill({{U("出票月"), U("零叁")}, {U("出票日"), U("零壹")}});               // no year
    StatRequest request = f.Request();
    request.fullDate = false;
    request.yearBox = f.Box(StatBoxes::Year, "出票年");
    request.monthBox = f.Box(StatBoxes::Month, "出票月");
    request.dayBox = f.Box(StatBoxes::Day, "出票日");
    const StatResult counts = f.Run(request);
    ASSERT_EQ(counts.months.size(), 1);
    EXPECT_EQ(counts.ValueText(0), U("1"));
    EXPECT_EQ(counts.leftOut, 3);
}

} // namespace
} // namespace kestrio
