// The statistics window driven through its widgets offscreen: lists, a run, the split line,
// and the chart menu's table and picture exports.
#include "StatsFixture.h"
#include "stats/StatBoxes.h"
#include "stats/ui/StatisticsWindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

class StatisticsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(f.Make());
        f.AddBill({{U("日期"), U("2026年01月15日")}, {U("金额_1"), U("壹仟元整")}, {U("金额_3"), U("￥0.50")}});
        f.AddBill({{U("日期"), U("2026年03月02日")}, {U("金额_2"), U("￥20.00")}, {U("收款人"), U("张三")}});
        f.AddBill({{U("日期"), U("明天")}, {U("金额_2"), U("￥1.00")}});
        window = std::make_unique<StatisticsWindow>(*f.app.app, test::StatsFixture::Format());
        window->resize(900, 600);
    }

    QString Path(const char* name) const { return QDir(f.app.dir.path()).filePath(U(name)); }

    test::StatsFixture f;
    std::unique_ptr<StatisticsWindow> window;
};

TEST_F(StatisticsWindowTest, ListsArePresetAndARunFillsGridAndChart)
{
    EXPECT_EQ(window->objectName(), U("Analyse"));
    EXPECT_EQ(window->windowTitle(), U("数据统计分析"));
    // The first box of figures, not the group of capital amounts listed before it.
    EXPECT_EQ(window->BoxList(0)->currentText(), U("小写金额"));
    EXPECT_EQ(window->BoxList(3)->currentText(), U("日期"));
    EXPECT_EQ(window->BoxList(4)->currentText() + window->BoxList(5)->currentText() + window->BoxList(6)->currentText(),
              U("出票年出票月出票日"));
    EXPECT_FALSE(window->BoxList(0)->isEnabled()); // counting bills needs no amount box

    window->Option(1)->setChecked(true);
    EXPECT_TRUE(window->BoxList(0)->isEnabled());
    window->BoxList(0)->setCurrentIndex(window->BoxList(0)->findText(U("金额_XX")));
    ASSERT_TRUE(window->RunAnalysis());
    const QTableWidget* grid = window->ResultGrid();
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), U("金额"));
    EXPECT_EQ(grid->item(0, 1)->text() + U(" ") + grid->item(0, 2)->text(), U("2026-01 1000.50"));
    EXPECT_EQ(grid->item(1, 2)->text(), U("0.00"));
    EXPECT_EQ(grid->item(2, 2)->text(), U("20.00"));
    EXPECT_EQ(window->LeftOutLabel()->text(), U("有1张单据的日期无法识别，未计入统计。"));

    // A missing date box says so and keeps the result shown.
    window->BoxList(3)->setCurrentIndex(-1);
    EXPECT_FALSE(window->RunAnalysis());
    EXPECT_EQ(f.app.prompter.shown.last(), U("日期内容框不能为空！"));
    EXPECT_EQ(grid->rowCount(), 3);
}

TEST_F(StatisticsWindowTest, ChartMenuExportsTableAndPicture)
{
    ASSERT_TRUE(window->RunAnalysis());
    f.app.prompter.QueueFile(Path("月统计.csv"));
    EXPECT_TRUE(window->ExportTable());
    QFile table(Path("月统计.csv"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_TRUE(table.readLine().startsWith(QByteArray("\xd0\xf2\xba\xc5\t,"))); // 序号 in GB18030

    window->show();
    const QImage grabbed = window->ChartPicture();
    f.app.prompter.QueueFile(Path("图表.JPG"));
    EXPECT_TRUE(window->ExportPicture());
    const QImage saved(Path("图表.JPG.jpg"));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), grabbed.size());
}

TEST_F(StatisticsWindowTest, SplitLineIsKeptInTheSettings)
{
    window->show();
    window->SplitLine()->setSizes({200, 700});
    window->close();
    const QString kept = f.app.settings.ReadUserSetting(U("RUR_U"), U("位置"), U("统计_分界线"), QString());
    EXPECT_GT(kept.toInt(), 0);
    StatisticsWindow again(*f.app.app, test::StatsFixture::Format());
    again.resize(900, 600);
    again.show();
    EXPECT_NEAR(again.SplitLine()->sizes().value(0), window->SplitLine()->sizes().value(0), 2);
}

} // namespace
} // namespace kestrio

namespace kestrio {
namespace {

TEST_F(StatisticsWindowTest, TheLastChoicesComeBackForTheirFormat)
{
    window->Option(1)->setChecked(true);
    window->BoxList(0)->setCurrentIndex(window->BoxList(0)->findText(U("小写金额")));
    window->Option(3)->setChecked(true);
    window->BoxList(1)->setCurrentIndex(window->BoxList(1)->findText(U("收款人")));
    window->BoxList(2)->setEditText(U("张三"));
    window->findChild<QDateEdit*>(U("DTP_0"))->setDate(QDate(2025, 7, 1));
    ASSERT_TRUE(window->RunAnalysis());

    StatisticsWindow again(*f.app.app, test::StatsFixture::Format());
    EXPECT_TRUE(again.Option(1)->isChecked());
    EXPECT_TRUE(again.Option(3)->isChecked());
    EXPECT_EQ(again.BoxList(0)->currentText(), U("小写金额"));
    EXPECT_EQ(again.BoxList(1)->currentText(), U("收款人"));
    EXPECT_EQ(again.BoxList(2)->currentText(), U("张三"));
    EXPECT_EQ(again.findChild<QDateEdit*>(U("DTP_0"))->date(), QDate(2025, 7, 1));
    EXPECT_TRUE(again.BoxList(0)->isEnabled());
}

TEST(StatBoxesPreset, TheAmountListStartsAtTheFirstBoxOfFigures)
{
    const QVector<StatBox> list{StatBox{U("收款人"), {1}, {0}}, StatBox{U("大写金额"), {2}, {103}},
                                StatBox{U("小写金额"), {3}, {11}}, StatBox{U("存根金额"), {4}, {104}}};
    EXPECT_EQ(StatBoxes::AmountPresetIndex(list), 2);
    EXPECT_EQ(StatBoxes::AmountPresetIndex(list.mid(0, 2)), 1); // no figures: the first typed box
    EXPECT_EQ(StatBoxes::AmountPresetIndex({}), -1);
}

} // namespace
} // namespace kestrio
