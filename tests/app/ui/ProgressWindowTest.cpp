#include "app/ui/ProgressWindow.h"
#include "seams/Clock.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class ProgressWindowTest : public ::testing::Test {
protected:
    QString Text(const char* name) const
    {
        const auto* label = mWindow.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<no label>");
    }
    // Whether the bar is filled at `share` of its width.
    bool FilledAt(double share) const
    {
        const QImage bar = mWindow.BarImage();
        const int x = qBound(0, static_cast<int>(share * bar.width()), bar.width() - 1);
        return bar.pixelColor(x, bar.height() / 2) == QColor(0, 0, 255);
    }

    FixedClock mClock{QDateTime(QDate(2026, 12, 8), QTime(9, 30))};
    ProgressWindow mWindow{mClock};
};

TEST_F(ProgressWindowTest, PagesModeShowsTimesAndCount)
{
    mWindow.ShowProgress(QStringLiteral("开始压缩数据库……"), 3, 0);
    EXPECT_TRUE(mWindow.isVisible());
    EXPECT_EQ(mWindow.windowTitle(), QStringLiteral("进度指示器"));
    EXPECT_FALSE(FilledAt(0.01));

    mClock.Advance(10'000);
    mWindow.StepProgress(1, QStringLiteral("Pages"));
    EXPECT_EQ(Text("LBL"), QStringLiteral("开始压缩数据库……"));
    EXPECT_EQ(Text("Percent"), QStringLiteral("33.3%"));
    EXPECT_EQ(Text("L1"), QStringLiteral("(1/3)"));
    EXPECT_EQ(Text("L2"), QStringLiteral("0:00:10/0:00:20/0:00:30"));
    EXPECT_TRUE(FilledAt(0.32));
    EXPECT_FALSE(FilledAt(0.35));

    mClock.Advance(20'000);
    mWindow.StepProgress(2, QStringLiteral("pages"));
    EXPECT_EQ(Text("Percent"), QStringLiteral("100%"));
    EXPECT_EQ(Text("L1"), QStringLiteral("(3/3)"));
    EXPECT_EQ(Text("L2"), QStringLiteral("0:00:30/0:00:00/0:00:30"));
    EXPECT_TRUE(FilledAt(0.999));
}

TEST_F(ProgressWindowTest, TotalOfZeroCountsAsOne)
{
    mWindow.ShowProgress(QStringLiteral("重新加载格式……"), 0, 0);
    mClock.Advance(4'000);
    mWindow.StepProgress(1, QStringLiteral("pages"));
    EXPECT_EQ(Text("Percent"), QStringLiteral("100%"));
    EXPECT_EQ(Text("L1"), QStringLiteral("(1/1)"));
    EXPECT_EQ(Text("L2"), QStringLiteral("0:00:04/0:00:00/0:00:04"));
    EXPECT_TRUE(FilledAt(0.999));
}

TEST_F(ProgressWindowTest, OtherTextReplacesTheCaptionAndShowsNoTimes)
{
    mWindow.ShowProgress(QStringLiteral("正在保存格式……"), 4, 0);
    mWindow.StepProgress(1, QStringLiteral("第一步"));
    EXPECT_EQ(Text("LBL"), QStringLiteral("第一步"));
    EXPECT_EQ(Text("Percent"), QStringLiteral("25%"));
    EXPECT_EQ(Text("L1"), QString());
    EXPECT_EQ(Text("L2"), QString());
    mWindow.StepProgress(1);
    EXPECT_EQ(Text("LBL"), QStringLiteral("第一步"));
    EXPECT_EQ(Text("Percent"), QStringLiteral("50%"));
}

TEST_F(ProgressWindowTest, ShowingAgainRestartsAndNegativeStartKeepsThePosition)
{
    mWindow.ShowProgress(QStringLiteral("甲"), 10, 0);
    mWindow.StepProgress(4);
    mWindow.ShowProgress(QStringLiteral("乙"), 10, -1);
    EXPECT_EQ(Text("LBL"), QStringLiteral("乙"));
    EXPECT_EQ(Text("Percent"), QString());
    EXPECT_TRUE(FilledAt(0.39));
    EXPECT_FALSE(FilledAt(0.41));
    mWindow.StepProgress(1);
    EXPECT_EQ(Text("Percent"), QStringLiteral("50%"));

    mWindow.ShowProgress(QStringLiteral("丙"), 10, 0);
    EXPECT_FALSE(FilledAt(0.01));
}

TEST_F(ProgressWindowTest, CloseProgressClosesTheWindow)
{
    mWindow.ShowProgress(QStringLiteral("甲"), 2, 0);
    mWindow.StepProgress(1);
    mWindow.CloseProgress();
    EXPECT_FALSE(mWindow.isVisible());
}

} // namespace
} // namespace kestrio
