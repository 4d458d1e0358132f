// What the progress indicator shows.
#include "QtPrinters.h"
#include "app/ProgressMeter.h"
#include "seams/Clock.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(ProgressMeter, SharesAreCutToWholeThousandths)
{
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    ProgressMeter meter(clock);
    meter.Show(QStringLiteral("正在读取EXCEL数据……"), 3, 0);
    EXPECT_EQ(meter.Step(1, {}).percent, QStringLiteral("33.3%"));
    EXPECT_EQ(meter.Step(1, {}).percent, QStringLiteral("66.6%"));
    const auto done = meter.Step(1, QStringLiteral("新的标题"));
    EXPECT_EQ(done.percent, QStringLiteral("100%"));
    EXPECT_EQ(done.caption, QStringLiteral("新的标题"));
    EXPECT_DOUBLE_EQ(done.barShare, 1.0);
}

TEST(ProgressMeter, PagesModeShowsTimesAndTheCount)
{
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    ProgressMeter meter(clock);
    meter.Show(QStringLiteral("开始压缩数据库……"), 4, 0);
    clock.Advance(10'000);
    const auto view = meter.Step(1, QStringLiteral("PAGES"));
    EXPECT_EQ(view.caption, QStringLiteral("开始压缩数据库……"));
    EXPECT_EQ(view.percent, QStringLiteral("25%"));
    EXPECT_EQ(view.times, QStringLiteral("0:00:10/0:00:30/0:00:40"));
    EXPECT_EQ(view.count, QStringLiteral("(1/4)"));

    // Below one thousandth nothing is estimated yet.
    meter.Show(QStringLiteral("x"), 5000, 0);
    EXPECT_TRUE(meter.Step(4, QStringLiteral("pages")).times.isEmpty());
    EXPECT_EQ(meter.Step(1, QStringLiteral("pages")).count, QStringLiteral("(5/5000)"));
}

TEST(ProgressMeter, ATotalOfZeroCountsAsOneAndANegativeStartKeepsThePosition)
{
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    ProgressMeter meter(clock);
    meter.Show(QStringLiteral("x"), 0, 0);
    EXPECT_EQ(meter.Step(1, {}).percent, QStringLiteral("100%"));
    meter.Show(QStringLiteral("y"), 10, -1);
    EXPECT_EQ(meter.Position(), 1);
    EXPECT_EQ(meter.Step(1, {}).percent, QStringLiteral("20%"));
    meter.Show(QStringLiteral("z"), 10, 5);
    EXPECT_DOUBLE_EQ(meter.Current().barShare, 0.5);
}

} // namespace
} // namespace kestrio
