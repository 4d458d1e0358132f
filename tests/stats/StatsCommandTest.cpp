// `kestrio stats …`, run as a user runs it.
#include "KestrioProcess.h"
#include "StatsFixture.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

using test::Kestrio;
using test::Outcome;

class StatsCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(f.Make());
        const auto U = [](const char* text) { return QString::fromUtf8(text); };
        f.AddBill({{U("出票年"), U("贰零贰肆")}, {U("出票月"), U("零壹")}, {U("出票日"), U("零伍")}, {U("收款人"), U("张三")},
                   {U("金额_1"), U("壹拾元整")}, {U("金额_2"), U("￥0.10")}});
        f.AddBill({{U("出票年"), U("贰零贰肆")}, {U("出票月"), U("叁")}, {U("出票日"), U("叁拾壹")}, {U("收款人"), U("李四")},
                   {U("金额_1"), U("贰元整")}});
        f.AddBill({{U("出票年"), U("贰零贰肆")}, {U("出票月"), U("零贰")}, {U("出票日"), U("叁拾")}, {U("收款人"), U("张三")}});
        f.app.app->Db().Close();
    }

    QStringList Base() const
    {
        return {QStringLiteral("--data-dir"), f.app.Folder(), QStringLiteral("stats"), QStringLiteral("--format"),
                test::StatsFixture::Format(), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
                QStringLiteral("--to"), QStringLiteral("2024-12-31"), QStringLiteral("--ymd"),
                QStringLiteral("出票年,出票月,出票日")};
    }

    test::StatsFixture f;
};

TEST_F(StatsCommandTest, PrintsTheMonthsAndDrawsTheChart)
{
    const QString chart = QDir(f.app.dir.path()).filePath(QStringLiteral("图表.jpg"));
    Outcome run = Kestrio(Base() + QStringList{QStringLiteral("--sum"), QStringLiteral("金额_XX"), QStringLiteral("--chart"), chart});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("序号\t日期\t金额\n1\t2024-01\t10.10\n2\t2024-02\t0.00\n3\t2024-03\t2.00\n"));
    EXPECT_EQ(run.err, QStringLiteral("有1张单据的日期无法识别，未计入统计。\n")); // 2月30日
    EXPECT_EQ(QImage(chart).size(), QSize(1200, 700));

    run = Kestrio(Base() + QStringList{QStringLiteral("--count"), QStringLiteral("--where"), QStringLiteral("收款人=张三")});
    EXPECT_EQ(run.out, QStringLiteral("序号\t日期\t单据数\n1\t2024-01\t1\n"));
}

TEST_F(StatsCommandTest, WrongUsageAndUnknownBoxes)
{
    const std::pair<QStringList, int> cases[] = {
        {Base(), 2},                                                                             // neither --count nor --sum
        {Base() + QStringList{QStringLiteral("--count"), QStringLiteral("--sum"), QStringLiteral("金额_XX")}, 2},
        {Base() + QStringList{QStringLiteral("--count"), QStringLiteral("--where"), QStringLiteral("张三")}, 2},
        {Base() + QStringList{QStringLiteral("--sum"), QStringLiteral("出票年")}, 1},             // not an amount box
        {Base() + QStringList{QStringLiteral("--count"), QStringLiteral("--where"), QStringLiteral("收款人=")}, 1},
    };
    for (const auto& [arguments, code] : cases) {
        const Outcome run = Kestrio(arguments);
        EXPECT_EQ(run.code, code) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_TRUE(run.out.isEmpty());
    }
}

} // namespace
} // namespace kestrio
