#include "PdfText.h"
#include "TestApp.h"
#include "app/ui/GuiScreenInfo.h"
#include "workbench/ui/MainWindow.h"
#include "print/ui/MarginDialog.h"
#include "workbench/ui/BillCanvas.h"
#include "format/ui/PageSizeDialog.h"
#include "workbench/ui/HistoryPage.h"
#include "print/ui/PrinterDestination.h"
#include "entry/HistoryGrid.h"
#include "print/RecordingSurface.h"
#include "stats/ui/StatisticsWindow.h"
#include "app/ui/WidgetPlace.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "storage/DbOperate.h"
#include "web/ui/FormatDownloadDialog.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include "storage/DatabaseBackup.h"
#include <QTest>

#include <QTextBrowser>
#include <QDialog>
#include <QCoreApplication>
#include <QFile>

#include "entry/EntryKit.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrio {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.OpenEmpty()); }

    MainWindow& Open()
    {
        mMain = std::make_unique<MainWindow>(*mTest.app);
        mMain->show();
        return *mMain;
    }
    QString LastFormatField(const char* column)
    {
        return mTest.app->DbOp().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QString::fromLatin1(column));
    }
    void StoreLastFormat(const QString& name, const QString& options)
    {
        ASSERT_TRUE(mTest.app->DbOp().ExecuteSql(QStringLiteral("UPDATE Fmt SET LBL='") + name +
                                                 QStringLiteral("',fName='") + options +
                                                 QStringLiteral("' WHERE Fmt=''")));
    }
    // The user picks "print to file" in the print dialog of every following print.
    void PrintToFile(MainWindow& main, const QString& pdf)
    {
        main.SetDestinationFactory([this, pdf] {
            auto destination = std::make_unique<PrinterDestination>(mTest.prompter, mTest.settings);
            destination->SetDialogRunner([pdf](QPrinter& printer) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                return true;
            });
            return destination;
        });
    }
    // Geometry of a named control inside its parent, in twips.
    QRect Twips(const char* name) const
    {
        const QWidget* widget = mMain->Control(QString::fromLatin1(name));
        return widget ? WidgetPlace::ToTwips(widget->geometry()) : QRect();
    }

    test::TestApp mTest;
    std::unique_ptr<MainWindow> mMain;
};

TEST_F(MainWindowTest, MenusCarryTheirCaptions)
{
    MainWindow& main = Open();
    const QList<QPair<const char*, const char16_t*>> items{
        {"m_FCom_0", u"选择格式"},        {"m_FCom_1", u"保存格式"},       {"m_FCom_2", u"另存格式"},
        {"mManageFmt", u"管理格式"},      {"mOutputFormat", u"导出格式"},  {"mInputFormat", u"导入格式"},
        {"mPrintBill", u"打印当前单据"},  {"mPrintAllBills", u"打印所有单据"}, {"mPrintPreview", u"打印预览"},
        {"mMargins", u"打印页边距"},     {"mNewFormat", u"新建格式"},     {"mDelFormat", u"删除格式"},
        {"DownFmt", u"下载格式模板"},
        {"mSetPaper", u"自动设置纸张"},   {"mDiTuPrint", u"连同底图打印"}, {"mPrintRulers", u"打印标尺坐标"},
        {"mSameContentMenu", u"内容框设置(&C)"},  {"mAlign", u"内容框对齐"},       {"mAlignLeft", u"左对齐"},
        {"mAlignRight", u"右对齐"},       {"mAlignTop", u"顶端对齐"},      {"mAlighBottom", u"底部对齐"},
        {"mCtlSize", u"内容框尺寸"},      {"mAlighWidth", u"统一宽度"},    {"mAlighHight", u"统一高度"},
        {"mAlignSize", u"统一尺寸"},      {"mTool_0", u"检查凭据外内容框"}, {"mTool_1", u"压缩整理数据库"},
        {"mSetCrlfChr", u"设置换行特殊符"}, {"mPSDSet", u"登录密码设置"}, {"mStrBarCodeStand", u"条码标准设置"},
    };
    for (const auto& [name, caption] : items) {
        const QAction* action = main.Action(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf16(caption)) << name;
    }
    for (const char* working : {"mTool_1", "mSetCrlfChr", "mPSDSet", "mSameContentMenu", "mPrintBill", "mPrintPreview",
                                "mSetPaper", "mMargins", "mStrBarCodeStand", "m_FCom_0", "m_FCom_1", "m_FCom_2",
                                "mManageFmt", "mInputFormat", "mOutputFormat", "mNewFormat", "mDelFormat", "DownFmt", "mAlignLeft",
                                "mTool_0", "mTableGenerator"})
        EXPECT_TRUE(main.Action(QString::fromLatin1(working))->isEnabled()) << working;
    for (const char* waiting : {"mPrintAllBills"})
        EXPECT_FALSE(main.Action(QString::fromLatin1(waiting))->isEnabled()) << waiting;
    EXPECT_TRUE(main.Action(QStringLiteral("mDiTuPrint"))->isCheckable());
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Kestrio支票打印"));
}

TEST_F(MainWindowTest, DownloadFormatsOpensTheCatalogueWhichNeedsAnAddressFirst)
{
    MainWindow& main = Open();
    const QString before = main.CurrentFormat();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<FormatDownloadDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->Status()->text(), WebCatalogue::NoAddressMessage());
        dialog->close();
    });
    main.Action(QStringLiteral("DownFmt"))->trigger();
    EXPECT_EQ(main.CurrentFormat(), before);
}

TEST_F(MainWindowTest, OptionBoxesAndLabelsReadAsDesigned)
{
    MainWindow& main = Open();
    const QStringList captions{QStringLiteral("显示标尺(1厘米/大格；2毫米/小格)"), QStringLiteral("纵向打印"),
                               QStringLiteral("锁定格式"), QStringLiteral("卡纸器两边向中间收缩"),
                               QStringLiteral("显示底图")};
    const QStringList tips{QStringLiteral("显示标尺网格，方便您根据打印偏差移动输入框。"),
                           QStringLiteral("将单据纵向放入打印机打印时，请选择此项。"),
                           QStringLiteral("选择此项后，格式被锁定，无法进行修改。"),
                           QStringLiteral("对于卡纸器两边向中间同时收缩的打印机，请选择此项。"),
                           QStringLiteral("显示单据的背景图片。")};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(main.OptionBox(i)->objectName(), QStringLiteral("O2_%1").arg(i));
        EXPECT_EQ(main.OptionBox(i)->text(), captions[i]);
        EXPECT_EQ(main.OptionBox(i)->toolTip(), tips[i]);
    }
    const auto* wid = qobject_cast<QLabel*>(main.Control(QStringLiteral("Wid")));
    const auto* hie = qobject_cast<QLabel*>(main.Control(QStringLiteral("Hie")));
    ASSERT_NE(wid, nullptr);
    ASSERT_NE(hie, nullptr);
    EXPECT_EQ(wid->text(), QStringLiteral("180"));
    EXPECT_EQ(hie->text(), QStringLiteral("50"));
    EXPECT_EQ(wid->toolTip(), QStringLiteral("当前单据的宽度（点击可修改）。"));
    EXPECT_EQ(hie->toolTip(), QStringLiteral("当前单据的高度（点击可修改）。"));
    EXPECT_EQ(main.FormatCaption()->toolTip(), QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    for (const char* name : {"SST", "Pic_0", "Pic_3", "PFrm", "PG", "VS", "PHS", "HS", "LBL", "Frm_1", "Zm_0", "Zm_2"})
        EXPECT_NE(main.Control(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(main.Pages()->currentIndex(), 0);
}

TEST_F(MainWindowTest, OpeningMakesTheTempFolderAndReadsTheMarker)
{
    mTest.settings.WriteUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Para"), QStringLiteral("CrlfChr"),
                                    QStringLiteral("~~"));
    Open();
    EXPECT_TRUE(QFileInfo(QDir(mTest.Folder()).filePath(QStringLiteral("Temp"))).isDir());
    EXPECT_EQ(mTest.app->LineBreakMarker(), QStringLiteral("~~"));
}

TEST_F(MainWindowTest, TheHelpMenuAndF1OpenTheUserGuide)
{
    MainWindow& main = Open();
    QAction* guide = main.Action(QStringLiteral("mUserGuide"));
    ASSERT_NE(guide, nullptr);
    EXPECT_EQ(guide->text(), QStringLiteral("使用说明 (F1)"));
    // Beside the test program there is no guide yet.
    const QDir docs(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("docs")));
    ASSERT_FALSE(docs.exists());
    guide->trigger();
    EXPECT_EQ(mTest.prompter.shown, QStringList{QStringLiteral("找不到使用说明文件 user-guide.md，请重新安装程序。")});

    ASSERT_TRUE(QDir().mkpath(docs.path()));
    QFile file(docs.filePath(QStringLiteral("user-guide.md")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# 使用说明\n\n**设计格式**\n");
    file.close();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F1);
    auto* window = main.findChild<QDialog*>(QStringLiteral("UserGuide"));
    QDir(docs).removeRecursively();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("使用说明"));
    auto* text = window->findChild<QTextBrowser*>(QStringLiteral("GuideText"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("设计格式"))) << text->toPlainText().toStdString();
    EXPECT_EQ(mTest.prompter.shown.size(), 1);
}

TEST_F(MainWindowTest, NewLineMarkerIsAskedAndStored)
{
    MainWindow& main = Open();
    mTest.prompter.QueueInput(QStringLiteral("##"));
    main.Action(QStringLiteral("mSetCrlfChr"))->trigger();
    EXPECT_EQ(mTest.prompter.shown, QStringList{QStringLiteral("请输入表示回车的表示字符串")});
    EXPECT_EQ(mTest.prompter.presets, QStringList{QStringLiteral("//")});
    EXPECT_EQ(mTest.app->LineBreakMarker(), QStringLiteral("##"));
    QtUserSettings reread(QDir(mTest.dir.path()).filePath(QStringLiteral("settings.ini")));
    EXPECT_EQ(reread.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Para"), QStringLiteral("CrlfChr"),
                                     QStringLiteral("无")),
              QStringLiteral("##"));

    // The next question is preset with the marker now in force.
    mTest.prompter.QueueInput(QString());
    main.Action(QStringLiteral("mSetCrlfChr"))->trigger();
    EXPECT_EQ(mTest.prompter.presets.last(), QStringLiteral("##"));
    EXPECT_EQ(mTest.app->LineBreakMarker(), QStringLiteral("##"));
}

TEST_F(MainWindowTest, CancelledOrEmptyMarkerChangesNothing)
{
    MainWindow& main = Open();
    mTest.prompter.QueueInput(std::nullopt);
    main.Action(QStringLiteral("mSetCrlfChr"))->trigger();
    mTest.prompter.QueueInput(QString());
    main.Action(QStringLiteral("mSetCrlfChr"))->trigger();
    EXPECT_EQ(mTest.prompter.shown.size(), 2);
    EXPECT_EQ(mTest.app->LineBreakMarker(), QStringLiteral("//"));
    EXPECT_EQ(mTest.settings.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Para"),
                                             QStringLiteral("CrlfChr"), QStringLiteral("无")),
              QStringLiteral("无"));
}

TEST_F(MainWindowTest, LastFormatAndOptionsAreRestored)
{
    StoreLastFormat(QStringLiteral("转账支票"), QStringLiteral("1§☆§0§☆§2"));
    MainWindow& main = Open();
    EXPECT_EQ(main.FormatCaption()->text(), QStringLiteral("转账支票"));
    EXPECT_EQ(main.OptionBox(0)->checkState(), Qt::Checked);
    EXPECT_EQ(main.OptionBox(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(main.OptionBox(2)->checkState(), Qt::PartiallyChecked);
}

// Values are taken to the nearest whole number, halves to even; text that is no number is 0
// and a value no check box can show leaves the box alone.
TEST_F(MainWindowTest, TheLastFormatIsOpenedWithItsPageAndOptions)
{
    Workspace saved;
    saved.formatName = QStringLiteral("进账单");
    saved.widthText = QStringLiteral("210");
    saved.heightText = QStringLiteral("99.5");
    saved.options = {0, 1, 0, 1, 1};
    saved.table.AddElementRow(ElementTable::TextBox);
    FormatStore store(mTest.app->DbOp(), mTest.progress, mTest.screen);
    ASSERT_TRUE(store.SaveFormat(saved));
    store.RememberLastFormat(saved);

    MainWindow& main = Open();
    EXPECT_EQ(main.FormatCaption()->text(), QStringLiteral("进账单"));
    EXPECT_EQ(qobject_cast<QLabel*>(main.Control(QStringLiteral("Wid")))->text(), QStringLiteral("210"));
    EXPECT_EQ(qobject_cast<QLabel*>(main.Control(QStringLiteral("Hie")))->text(), QStringLiteral("99.5"));
    EXPECT_EQ(main.OpenWorkspace().table.RowCount(), 3);
    const auto* elements = main.findChild<QTableWidget*>(QStringLiteral("MSF_3"));
    ASSERT_NE(elements, nullptr);
    EXPECT_EQ(elements->rowCount(), 1);
    EXPECT_EQ(elements->horizontalHeaderItem(ElementTable::ColX)->text(), QStringLiteral("横向位置(毫米)"));
    EXPECT_TRUE(main.OptionBox(3)->isChecked());
    EXPECT_TRUE(main.OptionBox(4)->isChecked());
}

TEST_F(MainWindowTest, TheStatisticsItemOpensTheWindowOfTheOpenFormat)
{
    Workspace saved;
    saved.formatName = QStringLiteral("进账单");
    const int year = saved.table.AddElementRow(ElementTable::TextBox);
    saved.table.SetText(year, ElementTable::ColLbl, QStringLiteral("进账年"));
    saved.table.SetText(year, ElementTable::ColCash, QStringLiteral("106"));
    FormatStore store(mTest.app->DbOp(), mTest.progress, mTest.screen);
    ASSERT_TRUE(store.SaveFormat(saved));
    store.RememberLastFormat(saved);

    MainWindow& main = Open();
    QAction* item = main.Action(QStringLiteral("mAnalyse"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("数据统计分析"));
    item->trigger();
    const auto* window = main.findChild<StatisticsWindow*>(QStringLiteral("Analyse"));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->BoxList(4)->currentText(), QStringLiteral("进账年"));
}

TEST_F(MainWindowTest, OpeningFillsDefaultsAndDatesAndClosingKeepsThem)
{
    Workspace saved;
    saved.formatName = QStringLiteral("收据");
    const int payee = saved.table.AddElementRow(ElementTable::TextBox);
    saved.table.SetText(payee, ElementTable::ColLbl, QStringLiteral("收款人"));
    const int year = saved.table.AddElementRow(ElementTable::TextBox);
    saved.table.SetText(year, ElementTable::ColLbl, QStringLiteral("年"));
    saved.table.SetText(year, ElementTable::ColCash, QStringLiteral("106"));
    FormatStore store(mTest.app->DbOp(), mTest.progress, mTest.screen);
    ASSERT_TRUE(store.SaveFormat(saved));
    store.RememberLastFormat(saved);
    const qint64 payeeId = saved.table.Id(payee);
    ASSERT_TRUE(mTest.app->DbOp().ExecuteSql(
        QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(%1,'收据','张三')").arg(payeeId)));

    MainWindow& main = Open();
    const Workspace& ws = main.OpenWorkspace();
    EXPECT_EQ(ws.BoxText(ws.table.RowOfId(payeeId)), QStringLiteral("张三"));
    EXPECT_EQ(ws.BoxText(ws.table.RowOfId(saved.table.Id(year))), QStringLiteral("2026")); // the test clock's year
    main.close();
    EXPECT_EQ(mTest.app->DbOp().FieldWhere(QStringLiteral("默认"), QStringLiteral("ID=%1").arg(payeeId), QStringLiteral("Con")),
              QStringLiteral("张三"));
    EXPECT_EQ(mTest.app->DbOp()
                  .FieldWhere(QStringLiteral("默认"), QStringLiteral("ID=%1").arg(saved.table.Id(year)), QStringLiteral("Con")),
              QStringLiteral("2026"));
}

TEST_F(MainWindowTest, StoredOptionsAreReadAsNumbers)
{
    StoreLastFormat(QStringLiteral("进账单"), QStringLiteral("abc§☆§1.5§☆§7§☆§1"));
    MainWindow& main = Open();
    EXPECT_EQ(main.OptionBox(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(main.OptionBox(1)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(main.OptionBox(2)->checkState(), Qt::Unchecked);
    EXPECT_EQ(main.OptionBox(3)->checkState(), Qt::Unchecked);
}

TEST_F(MainWindowTest, ClosingRemembersTheFormatAndTheFirstThreeOptions)
{
    StoreLastFormat(QStringLiteral("O''Brien支票"), QStringLiteral("0§☆§0§☆§0"));
    MainWindow& main = Open();
    EXPECT_EQ(main.FormatCaption()->text(), QStringLiteral("O'Brien支票"));
    QTest::mouseClick(main.OptionBox(1), Qt::LeftButton);
    QTest::mouseClick(main.OptionBox(4), Qt::LeftButton);
    EXPECT_TRUE(main.close());
    EXPECT_EQ(LastFormatField("LBL"), QStringLiteral("O'Brien支票"));
    EXPECT_EQ(LastFormatField("fName"), QStringLiteral("0§☆§1§☆§0"));
}

TEST_F(MainWindowTest, LockingTheFormatTurnsTheBoxMenuOff)
{
    StoreLastFormat(QStringLiteral("转账支票"), QStringLiteral("0§☆§0§☆§1"));
    MainWindow& main = Open();
    EXPECT_FALSE(main.Action(QStringLiteral("mSameContentMenu"))->isEnabled());
    QTest::mouseClick(main.OptionBox(2), Qt::LeftButton);
    QAction* menu = main.Action(QStringLiteral("mSameContentMenu"));
    QTest::mouseClick(main.OptionBox(2), Qt::LeftButton);
    EXPECT_FALSE(menu->isEnabled());
    QTest::mouseClick(main.OptionBox(2), Qt::LeftButton);
    EXPECT_TRUE(menu->isEnabled());
}

TEST_F(MainWindowTest, WindowCoversTheWorkAreaAndLaysOutItsPanes)
{
    MainWindow& main = Open();
    const double slack = GuiScreenInfo::TwipsPerPixelX() + 1;
    const QRect window = WidgetPlace::PlaceTwips(main);
    EXPECT_NEAR(window.width(), 19200, slack);
    EXPECT_NEAR(window.height(), 10800 - 600, slack);

    const QRect sst = Twips("SST");
    EXPECT_NEAR(sst.width(), window.width() - 80, slack);
    EXPECT_NEAR(sst.height(), window.height() - 1000, slack);
    EXPECT_EQ(sst.topLeft(), QPoint(0, 0));
    const QRect status = Twips("LBL");
    EXPECT_NEAR(status.left(), 20, slack);
    EXPECT_NEAR(status.width(), sst.width() - 40, slack);
    EXPECT_NEAR(status.top(), sst.top() + sst.height() + 20, slack);

    const QRect page = Twips("Pic_0");
    EXPECT_NEAR(page.width(), sst.width(), slack);
    const QRect frame = Twips("PFrm");
    const QRect vs = Twips("VS");
    const QRect phs = Twips("PHS");
    EXPECT_NEAR(frame.left(), 0, slack);
    EXPECT_NEAR(frame.top(), 1020, slack);
    EXPECT_NEAR(frame.width(), page.width() - vs.width(), slack);
    EXPECT_NEAR(frame.height(), page.height() - 1020 - phs.height(), 2 * slack);
    EXPECT_NEAR(phs.top(), page.height() - phs.height() - 15, 2 * slack);
    EXPECT_NEAR(phs.width(), frame.width(), slack);
    EXPECT_NEAR(vs.left(), sst.width() - 280, 2 * slack);
    EXPECT_NEAR(vs.height(), page.height() - vs.top() - 20, 2 * slack);
    EXPECT_NEAR(Twips("HS").width(), page.width() - 30, 2 * slack);
    const QRect options = Twips("Frm_1");
    EXPECT_NEAR(options.width(), page.width() - options.left() - 30, 2 * slack);
    // Every pane of the first page lies inside it.
    for (const char* name : {"PFrm", "VS", "PHS", "HS", "Frm_1"})
        EXPECT_TRUE(QRect(QPoint(0, 0), page.size()).adjusted(-1, -1, 1, 1).contains(Twips(name))) << name;
}

TEST_F(MainWindowTest, CompactingKeepsEveryRow)
{
    QTemporaryDir scratch;
    const bool hadTemp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", scratch.path().toLocal8Bit());
    mTest.app->Parameters().SetParam(QStringLiteral("格式查找"), QStringLiteral("转账||现金"));
    MainWindow& main = Open();
    main.Action(QStringLiteral("mTool_1"))->trigger();
    if (hadTemp) qputenv("TMPDIR", oldTemp);
    else qunsetenv("TMPDIR");
    EXPECT_TRUE(mTest.prompter.shown.isEmpty()) << mTest.prompter.shown.join(QLatin1Char('\n')).toStdString();
    // Nothing goes to the shared temporary folder; the backup copy is kept beside the data.
    EXPECT_TRUE(QDir(scratch.path()).isEmpty());
    EXPECT_FALSE(DatabaseBackup::LatestBackup(mTest.DatabasePath()).isEmpty());
    EXPECT_EQ(mTest.app->Parameters().GetParam(QStringLiteral("格式查找")), QStringLiteral("转账||现金"));
}

} // namespace
} // namespace kestrio

namespace kestrio {
namespace {

// A saved format with one amount box, opened in the main window.
class PrintingWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Workspace saved;
        saved.formatName = QStringLiteral("收据");
        saved.widthText = QStringLiteral("120");
        saved.heightText = QStringLiteral("60");
        amountRow = saved.table.AddElementRow(ElementTable::TextBox);
        saved.table.SetText(amountRow, ElementTable::ColLbl, QStringLiteral("金额"));
        for (auto [col, text] : {std::pair{ElementTable::ColX, u"10"}, {ElementTable::ColY, u"10"},
                                 {ElementTable::ColW, u"80"}, {ElementTable::ColH, u"8"},
                                 {ElementTable::ColFontName, u"宋体"}, {ElementTable::ColFontSize, u"12"},
                                 {ElementTable::ColCash, u"8"}})
            saved.table.SetText(amountRow, col, QString::fromUtf16(text));
        FormatStore store(mTest.app->DbOp(), mTest.progress, mTest.screen);
        ASSERT_TRUE(store.SaveFormat(saved));
        store.RememberLastFormat(saved);
        amountId = saved.table.Id(amountRow);
    }

    int Bills() { return mTest.app->DbOp().OpenQuery(QStringLiteral("SELECT * FROM 历史")).RecordCount(); }

    // The window printing to `surface`, its bill holding 12.5 and the number NO0041.
    MainWindow& OpenNumberedBill(RecordingSurface& surface, qint64 numberId)
    {
        MainWindow& main = Open();
        main.SetDestinationFactory([&surface] { return std::make_unique<FixedDestination>(surface); });
        Workspace& ws = main.OpenWorkspace();
        ws.SetBoxText(ws.table.RowOfId(amountId), QStringLiteral("12.5"));
        ws.SetBoxText(ws.table.RowOfId(numberId), QStringLiteral("NO0041"));
        return main;
    }

    // A serial number box 编号 beside the amount; its element ID.
    qint64 AddNumberBox()
    {
        Workspace saved;
        FormatStore store(mTest.app->DbOp(), mTest.progress, mTest.screen);
        store.LoadFormat(saved, QStringLiteral("收据"));
        const int number = saved.table.AddElementRow(ElementTable::TextBox);
        saved.table.SetText(number, ElementTable::ColLbl, QStringLiteral("编号"));
        saved.table.SetText(number, ElementTable::ColCash, QStringLiteral("122"));
        // Wide enough for its number: text past a box's bottom would be asked about first.
        saved.table.SetText(number, ElementTable::ColW, QStringLiteral("40"));
        saved.table.SetText(number, ElementTable::ColH, QStringLiteral("8"));
        EXPECT_TRUE(store.SaveFormat(saved));
        return saved.table.Id(number);
    }

    int amountRow = 0;
    qint64 amountId = 0;
};

TEST_F(PrintingWindowTest, CancellingThePrinterChoicePrintsAndStoresNothing)
{
    MainWindow& main = Open();
    Workspace& ws = main.OpenWorkspace();
    ws.SetBoxText(ws.table.RowOfId(amountId), QStringLiteral("1234.5"));
    int asked = 0;
    main.SetDestinationFactory([&] {
        auto destination = std::make_unique<PrinterDestination>(mTest.prompter, mTest.settings);
        destination->SetDialogRunner([&](QPrinter&) {
            ++asked;
            return false;
        });
        return destination;
    });
    EXPECT_FALSE(main.PrintCurrentBill());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Bills(), 0);

    // An amount too long for its eight cells is refused before the printer is asked for.
    ws.SetBoxText(ws.table.RowOfId(amountId), QStringLiteral("1234567.5"));
    EXPECT_FALSE(main.PrintCurrentBill());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(mTest.prompter.shown.value(0), QStringLiteral("“金额”：金额超出对格金额框的格数，无法打印！"));
    EXPECT_EQ(Bills(), 0);
}

TEST_F(PrintingWindowTest, PrintAndContinueStoresTheBillAndAdvancesTheNumber)
{
    const qint64 numberId = AddNumberBox();
    RecordingSurface surface(120 * PrintSurface::TwipsPerMillimetre, 60 * PrintSurface::TwipsPerMillimetre);
    MainWindow& main = OpenNumberedBill(surface, numberId);
    Workspace& ws = main.OpenWorkspace();
    ASSERT_TRUE(main.BillCommand(QStringLiteral("mPrintContinue")));
    EXPECT_EQ(Bills(), 2);
    EXPECT_TRUE(surface.calls().contains(QStringLiteral("endDocument()")));
    EXPECT_EQ(ws.BoxText(ws.table.RowOfId(numberId)), QStringLiteral("NO0042"));
    EXPECT_EQ(ws.BoxText(ws.table.RowOfId(amountId)), QString());

    // The history page shows the printed bill.
    main.Pages()->setCurrentIndex(1);
    const Grid& grid = main.History()->History().grid();
    ASSERT_EQ(main.History()->History().DataRowCount(), 1);
    QStringList cells;
    for (int col = HistoryGrid::kFirstBoxCol; col < grid.ColCount(); ++col) cells << grid.Text(HistoryGrid::kFirstDataRow, col);
    EXPECT_TRUE(cells.contains(QStringLiteral("12.5"))) << cells.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(cells.contains(QStringLiteral("NO0041")));

    // Save and continue: stored without printing, the number goes on.
    surface.clearCalls();
    ASSERT_TRUE(main.BillCommand(QStringLiteral("mSaveContinue")));
    EXPECT_TRUE(surface.calls().isEmpty());
    EXPECT_EQ(ws.BoxText(ws.table.RowOfId(numberId)), QStringLiteral("NO0043"));
}

// "打印当前单据" stores the bill: the number goes on, the other boxes keep their contents.
TEST_F(PrintingWindowTest, APlainPrintAdvancesTheNumberAndKeepsTheOtherBoxes)
{
    const qint64 numberId = AddNumberBox();
    RecordingSurface surface(120 * PrintSurface::TwipsPerMillimetre, 60 * PrintSurface::TwipsPerMillimetre);
    MainWindow& main = OpenNumberedBill(surface, numberId);
    Workspace& ws = main.OpenWorkspace();
    for (const char* next : {"NO0042", "NO0043"}) {
        ASSERT_TRUE(main.PrintCurrentBill());
        EXPECT_EQ(ws.BoxText(ws.table.RowOfId(numberId)), QString::fromLatin1(next));
        EXPECT_EQ(ws.BoxText(ws.table.RowOfId(amountId)), QStringLiteral("12.5"));
    }
    EXPECT_EQ(Bills(), 4); // two bills of two rows
}

TEST_F(PrintingWindowTest, ABillPrintedToAFileIsAPdfAndAHistoryRecord)
{
    MainWindow& main = Open();
    Workspace& ws = main.OpenWorkspace();
    ws.SetBoxText(ws.table.RowOfId(amountId), QStringLiteral("1234.5"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("支票.pdf"));
    PrintToFile(main, pdf);
    ASSERT_TRUE(main.PrintCurrentBill()) << mTest.prompter.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_EQ(Bills(), 1);
}

TEST_F(PrintingWindowTest, ThePageSizeDialogKeepsTheRatioRule)
{
    MainWindow& main = Open();
    const int canvasWidth = main.Canvas()->width();
    QString seen;
    auto answer = [&](const char* width, const char* height) {
        QTimer::singleShot(0, [&, width, height] {
            auto* dialog = qobject_cast<PageSizeDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = dialog->TX()->text() + QLatin1Char('x') + dialog->TY()->text();
            dialog->TX()->setText(QString::fromLatin1(width));
            dialog->TY()->setText(QString::fromLatin1(height));
            QTest::mouseClick(dialog->Button(0), Qt::LeftButton);
            if (dialog->isVisible()) dialog->reject(); // refused: the dialog stayed open
        });
    };
    answer("10", "201");
    EXPECT_FALSE(main.EditPageSize());
    EXPECT_EQ(seen, QStringLiteral("120x60"));
    EXPECT_EQ(mTest.prompter.shown.value(0), QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！"));
    answer("240", "80");
    ASSERT_TRUE(main.EditPageSize());
    EXPECT_EQ(qobject_cast<QLabel*>(main.Control(QStringLiteral("Wid")))->text(), QStringLiteral("240"));
    EXPECT_EQ(main.OpenWorkspace().heightText, QStringLiteral("80"));
    EXPECT_EQ(main.Canvas()->width(), canvasWidth); // the canvas still fits the frame
    EXPECT_EQ(main.Canvas()->height(), canvasWidth / 3);
}

TEST_F(PrintingWindowTest, ThePreviewDrawsTheBillAsPrinted)
{
    MainWindow& main = Open();
    Workspace& ws = main.OpenWorkspace();
    ws.SetBoxText(ws.table.RowOfId(amountId), QStringLiteral("1234.5"));
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("preview.pdf")));
    ASSERT_TRUE(main.RenderPreview(printer));
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("preview.pdf"))).size(), 0);
    EXPECT_EQ(Bills(), 0) << "a preview is not a printed bill";
}

TEST_F(PrintingWindowTest, ChoosingAnotherFormatKeepsTheContentsAsDefaults)
{
    Workspace other;
    other.formatName = QStringLiteral("另一格式");
    other.table.AddElementRow(ElementTable::TextBox);
    FormatStore(mTest.app->DbOp(), mTest.progress, mTest.screen).SaveFormat(other);

    MainWindow& main = Open();
    Workspace& ws = main.OpenWorkspace();
    ws.SetBoxText(ws.table.RowOfId(amountId), QStringLiteral("88"));
    ASSERT_TRUE(main.ChooseFormat(QStringLiteral("另一格式"), false));
    EXPECT_EQ(main.FormatCaption()->text(), QStringLiteral("另一格式"));
    EXPECT_EQ(ws.formatName, QStringLiteral("另一格式"));
    EXPECT_EQ(ws.table.RowCount(), ElementTable::kFirstRow + 1);
    EXPECT_EQ(mTest.app->DbOp().FieldWhere(QStringLiteral("默认"), QStringLiteral("Fmt='收据'"), QStringLiteral("Con")),
              QStringLiteral("88"));
    EXPECT_FALSE(main.ChooseFormat(QStringLiteral("另一格式"), false)) << "the same format is not loaded again";
    ASSERT_TRUE(main.ChooseFormat(QStringLiteral("收据"), false));
    EXPECT_EQ(ws.BoxText(ws.table.RowOfId(amountId)), QStringLiteral("￥88.00")); // the default, shown as money
}

TEST_F(PrintingWindowTest, PrintTicksAndMarginsAreKeptWithTheFormat)
{
    MainWindow& main = Open();
    main.Action(QStringLiteral("mSetPaper"))->trigger();
    main.Action(QStringLiteral("mPrintRulers"))->trigger();
    EXPECT_TRUE(main.OpenWorkspace().setPaper);
    EXPECT_TRUE(main.OpenWorkspace().printRulers);

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<MarginDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->XBox()->setText(QStringLiteral("2.5"));
        dialog->YBox()->setText(QStringLiteral("-1"));
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    main.Action(QStringLiteral("mMargins"))->trigger();
    main.close();

    Workspace again;
    FormatStore(mTest.app->DbOp(), mTest.progress, mTest.screen).LoadFormat(again, QStringLiteral("收据"));
    EXPECT_TRUE(again.setPaper);
    EXPECT_FALSE(again.backgroundPrint);
    EXPECT_TRUE(again.printRulers);
    EXPECT_EQ(again.offsetXText, QStringLiteral("2.5"));
    EXPECT_EQ(again.offsetYText, QStringLiteral("-1"));

    MainWindow& reopened = Open();
    EXPECT_TRUE(reopened.Action(QStringLiteral("mSetPaper"))->isChecked());
    EXPECT_FALSE(reopened.Action(QStringLiteral("mDiTuPrint"))->isChecked());
}

// The demo cheque as a new clerk prints it: the program's default settings, the printer's
// default paper, "print to file" in the print dialog. Either the whole bill is on the page,
// or the clerk is warned before anything is printed.
class DemoChequeWindowTest : public MainWindowTest {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.Open()); }
};

TEST_F(DemoChequeWindowTest, TheDefaultPrintPutsTheWholeBillOnThePageOrWarns)
{
    MainWindow& main = Open();
    Workspace& ws = main.OpenWorkspace();
    ASSERT_EQ(ws.formatName, QStringLiteral("转账支票"));
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        const QString label = ws.table.Text(row, ElementTable::ColLbl);
        if (label == QStringLiteral("收款人")) ws.SetBoxText(row, QStringLiteral("测试公司"));
        if (label != QStringLiteral("小写金额")) continue;
        ws.SetBoxText(row, QStringLiteral("1234.5"));
        EntryKit(*mTest.app).entry.LeaveBox(ws, row); // as typed: the capital amount follows
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("支票.pdf"));
    auto printToFile = [&](bool tick) {
        ws.setPaper = tick;
        PrintToFile(main, pdf);
        QFile::remove(pdf);
        mTest.prompter.shown.clear();
        return main.PrintCurrentBill();
    };
    // Every word of the page inside it.
    auto wholeOnThePage = [&] {
        const QList<test::PdfPage> pages = test::ReadPdf(pdf);
        if (pages.size() != 1 || pages[0].words.isEmpty()) return false;
        for (const test::PdfWord& word : pages[0].words)
            if (word.xMin < 0 || word.yMin < 0 || word.xMax > pages[0].width || word.yMax > pages[0].height) return false;
        return true;
    };

    // The demo formats come with "自动设置纸张" on: the paper is the cheque's.
    EXPECT_TRUE(ws.setPaper);
    ASSERT_TRUE(printToFile(true)) << mTest.prompter.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(wholeOnThePage());

    // Off, on the printer's own paper (A4 or Letter, both narrower than the 240 mm cheque):
    // the warning names the amount, and "否" prints nothing.
    const bool printed = printToFile(false);
    if (printed) {
        EXPECT_TRUE(wholeOnThePage());
    } else {
        ASSERT_EQ(mTest.prompter.shown.size(), 1);
        EXPECT_TRUE(mTest.prompter.shown[0].startsWith(QStringLiteral("单据超出纸张范围")));
        EXPECT_TRUE(mTest.prompter.shown[0].contains(QStringLiteral("小写金额")));
        EXPECT_FALSE(QFile::exists(pdf));
        // "是" sets the paper to the cheque's size for this bill, and all of it is printed.
        mTest.prompter.QueueAsk(true);
        ASSERT_TRUE(printToFile(false));
        EXPECT_TRUE(wholeOnThePage());
        EXPECT_FALSE(ws.setPaper);
    }
}

} // namespace
} // namespace kestrio
