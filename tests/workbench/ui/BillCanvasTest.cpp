#include "TestApp.h"
#include "workbench/ui/BillCanvas.h"
#include "entry/DataEntry.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/FormatDocument.h"
#include "print/PictureContent.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace kestrio {
namespace {

constexpr int kFrameWidth = 1200;
constexpr int kFrameHeight = 500;

class BillCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.Open()); }

    void Load(const QString& name)
    {
        AppContext& app = *mTest.app;
        mWs.lineBreakMarker = app.LineBreakMarker();
        HistoryRecords records(app.DbOp(), app.Prompt());
        FormatStore::LoadHooks hooks;
        hooks.loadDefaults = [&] { records.LoadDefaults(mWs); };
        FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(mWs, name, hooks);
        ASSERT_GT(mWs.table.RowCount(), ElementTable::kFirstRow) << name.toStdString();
    }

    // The frame PFrm with the canvas in it and the two scroll bars beside it, on screen.
    BillCanvas& Show()
    {
        mHost = std::make_unique<QWidget>();
        mHost->resize(kFrameWidth + 40, kFrameHeight + 40);
        mFrame = new QFrame(mHost.get());
        mFrame->setObjectName(QStringLiteral("PFrm"));
        mFrame->setGeometry(0, 0, kFrameWidth, kFrameHeight);
        mVerticalBar = new QScrollBar(Qt::Vertical, mHost.get());
        mVerticalBar->setGeometry(kFrameWidth + 10, 0, 20, kFrameHeight);
        mPageBar = new QScrollBar(Qt::Horizontal, mHost.get());
        mPageBar->setGeometry(0, kFrameHeight + 10, kFrameWidth, 20);
        mCanvas = new BillCanvas(*mTest.app, mDocument, mFrame);
        mCanvas->SetScrollBars(mVerticalBar, mPageBar);
        mCanvas->FitPage();
        mHost->show();
        QApplication::setActiveWindow(mHost.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(mHost.get()));
        return *mCanvas;
    }

    int Row(const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < mWs.table.RowCount(); ++row)
            if (mWs.table.Text(row, ElementTable::ColLbl) == label) return row;
        ADD_FAILURE() << "no box " << label.toStdString();
        return -1;
    }
    int Index(const QString& label) const { return mCanvas->ElementIndexOfRow(Row(label)); }
    QWidget* Box(const QString& label) const { return mCanvas->Control(Index(label)); }
    QLineEdit* Edit(const QString& label) const { return qobject_cast<QLineEdit*>(Box(label)); }
    QCheckBox* Check(const QString& label) const { return qobject_cast<QCheckBox*>(Box(label)); }
    static int Px(double value) { return static_cast<int>(std::nearbyint(value)); }

    test::TestApp mTest;
    FormatDocument mDocument;
    Workspace& mWs = mDocument.Data();
    std::unique_ptr<QWidget> mHost;
    QFrame* mFrame = nullptr;
    QScrollBar* mVerticalBar = nullptr;
    QScrollBar* mPageBar = nullptr;
    BillCanvas* mCanvas = nullptr;
};

TEST_F(BillCanvasTest, EveryElementRowGetsANamedControlOfItsKind)
{
    Load(QStringLiteral("送货单"));
    BillCanvas& canvas = Show();
    EXPECT_EQ(canvas.objectName(), QStringLiteral("PG"));
    EXPECT_EQ(canvas.Count(ElementTable::TextBox), 40);
    EXPECT_EQ(canvas.Count(ElementTable::CheckBox), 0);
    EXPECT_EQ(canvas.Count(ElementTable::PictureBox), 1);
    EXPECT_EQ(canvas.Count(ElementTable::Line), 1);
    EXPECT_EQ(canvas.Count(ElementTable::Label), 2);

    for (int n = 1; n <= 40; ++n) {
        const QString name = QStringLiteral("TT_") + QString::number(n);
        auto* box = canvas.findChild<QWidget*>(name);
        ASSERT_NE(box, nullptr) << name.toStdString();
        EXPECT_EQ(box, canvas.Control(n));
        ASSERT_NE(canvas.findChild<QLabel*>(QStringLiteral("LL_") + QString::number(n)), nullptr);
    }
    EXPECT_EQ(canvas.findChild<QWidget*>(QStringLiteral("TT_41")), nullptr);
    EXPECT_EQ(canvas.Control(0), nullptr);
    EXPECT_EQ(canvas.Control(41), nullptr);
    EXPECT_EQ(canvas.Control(1001), nullptr);
    EXPECT_NE(canvas.findChild<QLabel*>(QStringLiteral("II_2001")), nullptr);
    EXPECT_NE(canvas.findChild<QLabel*>(QStringLiteral("LL_2001")), nullptr);
    EXPECT_NE(canvas.findChild<QWidget*>(QStringLiteral("LN_3001")), nullptr);
    EXPECT_EQ(canvas.findChild<QWidget*>(QStringLiteral("LL_3001")), nullptr);
    auto* company = canvas.findChild<QLabel*>(QStringLiteral("LB_4001"));
    ASSERT_NE(company, nullptr);
    EXPECT_EQ(company->text(), QStringLiteral("××商贸有限公司"));
    EXPECT_NE(canvas.findChild<QLabel*>(QStringLiteral("LB_4002")), nullptr);

    // The element table is ordered by kind, then ID: the first text box is 单号.
    EXPECT_EQ(canvas.RowOf(canvas.Control(1)), Row(QStringLiteral("单号")));
    EXPECT_EQ(canvas.Caption(1)->text(), QStringLiteral("单号"));
    EXPECT_EQ(canvas.RowOf(canvas.Control(4001)), Row(QStringLiteral("××商贸有限公司")));
    EXPECT_EQ(canvas.RowOf(&canvas), -1);

    // The line runs from (16, 10.2) to (82, 10.2) mm.
    const double k = canvas.Scale();
    const QRect line = canvas.Control(3001)->geometry();
    EXPECT_TRUE(line.contains(Px(k * 16), Px(k * 10.2)));
    EXPECT_TRUE(line.contains(Px(k * 82), Px(k * 10.2)));
    EXPECT_LT(line.height(), 10);
}

TEST_F(BillCanvasTest, CheckBoxesOfTheDepositSlip)
{
    Load(QStringLiteral("进账单"));
    BillCanvas& canvas = Show();
    EXPECT_EQ(canvas.Count(ElementTable::CheckBox), 3);
    for (const char* name : {"CC_1001", "CC_1002", "CC_1003", "LL_1001"})
        EXPECT_NE(canvas.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_NE(qobject_cast<QCheckBox*>(canvas.Control(1001)), nullptr);
    EXPECT_EQ(canvas.Control(1004), nullptr);
}

TEST_F(BillCanvasTest, BoxesSitAtTheScaleOfTheCanvasWidth)
{
    Load(QStringLiteral("转账支票"));
    BillCanvas& canvas = Show();
    // 240 × 80 mm across a frame 1200 px wide.
    EXPECT_EQ(canvas.geometry(), QRect(0, 0, kFrameWidth, 400));
    const double k = canvas.Scale();
    EXPECT_DOUBLE_EQ(k, 5.0);
    QWidget* amount = Box(QStringLiteral("小写金额"));
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(amount->geometry(), QRect(Px(k * 161), Px(k * 33), Px(k * 77), Px(k * 6)));
    // 91.3 mm is 456.5 px: halves go to the even neighbour.
    EXPECT_EQ(Box(QStringLiteral("出票年"))->x(), 456);
    // Captions on the left end at the box.
    QLabel* caption = canvas.Caption(Index(QStringLiteral("小写金额")));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QStringLiteral("小写金额"));
    EXPECT_EQ(caption->x() + caption->width(), amount->x());
    EXPECT_GE(caption->y(), amount->y());
    EXPECT_TRUE(caption->isVisible());
    // Fonts at the stored size while the canvas fits the frame; amounts right-aligned.
    EXPECT_DOUBLE_EQ(amount->font().pointSizeF(), 12.0);
    EXPECT_EQ(amount->font().family(), QStringLiteral("宋体"));
    EXPECT_TRUE(Edit(QStringLiteral("小写金额"))->alignment() & Qt::AlignRight);
    EXPECT_FALSE(Edit(QStringLiteral("收款人"))->alignment() & Qt::AlignRight);
    EXPECT_FALSE(mVerticalBar->isEnabled());
    EXPECT_FALSE(mPageBar->isEnabled());
}

TEST_F(BillCanvasTest, ZoomInThenOutLeavesNinetyNineHundredthsAndKeepsTheContents)
{
    Load(QStringLiteral("转账支票"));
    BillCanvas& canvas = Show();
    mWs.SetBoxText(Row(QStringLiteral("用途")), QStringLiteral("货款"));
    canvas.RefreshFromWorkspace();
    canvas.Zoom(0);
    EXPECT_EQ(canvas.width(), 1320);
    EXPECT_EQ(canvas.height(), 440);
    EXPECT_DOUBLE_EQ(Box(QStringLiteral("小写金额"))->font().pointSizeF(), 12.0 * 1.1);
    EXPECT_EQ(Box(QStringLiteral("小写金额"))->x(), Px(1320.0 / 240 * 161));
    EXPECT_TRUE(mPageBar->isEnabled());
    canvas.Zoom(1);
    EXPECT_EQ(canvas.width(), 1188);
    EXPECT_EQ(canvas.height(), 396);
    EXPECT_FALSE(mPageBar->isEnabled());
    EXPECT_EQ(Edit(QStringLiteral("用途"))->text(), QStringLiteral("货款"));
    EXPECT_TRUE(canvas.isVisible());
    canvas.Zoom(2);
    EXPECT_EQ(canvas.width(), kFrameWidth);
    EXPECT_EQ(Box(QStringLiteral("小写金额"))->x(), 805);
    EXPECT_EQ(Edit(QStringLiteral("用途"))->text(), QStringLiteral("货款"));
}

TEST_F(BillCanvasTest, ScrollBarsMoveATallCanvasByFifthsOfItsOverhang)
{
    Load(QStringLiteral("转账支票"));
    BillCanvas& canvas = Show();
    for (int i = 0; i < 3; ++i) canvas.Zoom(0);
    ASSERT_GT(canvas.height(), kFrameHeight);
    EXPECT_TRUE(mVerticalBar->isEnabled());
    EXPECT_EQ(mVerticalBar->minimum(), 0);
    EXPECT_EQ(mVerticalBar->maximum(), 5);
    mVerticalBar->setValue(5);
    EXPECT_NEAR(canvas.y(), -(canvas.height() - kFrameHeight), 1);
    mVerticalBar->setValue(1);
    EXPECT_NEAR(canvas.y(), -(canvas.height() - kFrameHeight) / 5.0, 1);
    mPageBar->setValue(5);
    EXPECT_NEAR(canvas.x(), -(canvas.width() - kFrameWidth), 1);
    canvas.FitPage();
    EXPECT_EQ(canvas.pos(), QPoint(0, 0));
    EXPECT_FALSE(mVerticalBar->isEnabled());
    EXPECT_FALSE(mPageBar->isEnabled());
}

TEST_F(BillCanvasTest, LeavingTheAmountFillsItsRing)
{
    Load(QStringLiteral("转账支票"));
    BillCanvas& canvas = Show();
    QSignalSpy changed(&canvas, &BillCanvas::contentsChanged);
    QLineEdit* amount = Edit(QStringLiteral("小写金额"));
    ASSERT_NE(amount, nullptr);
    amount->setFocus();
    ASSERT_TRUE(amount->hasFocus());
    QTest::keyClicks(amount, QStringLiteral("12a34.5"));
    EXPECT_EQ(amount->text(), QStringLiteral("1234.5"));
    EXPECT_EQ(mWs.BoxText(Row(QStringLiteral("小写金额"))), QStringLiteral("1234.5"));
    EXPECT_GT(changed.count(), 0);
    QTest::keyClick(amount, Qt::Key_Tab);
    EXPECT_FALSE(amount->hasFocus());
    EXPECT_EQ(Edit(QStringLiteral("大写金额"))->text(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
    EXPECT_EQ(Edit(QStringLiteral("存根金额"))->text(), QStringLiteral("￥1,234.50"));
    EXPECT_EQ(mWs.BoxText(Row(QStringLiteral("大写金额"))), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
    // Backspace always works in a digits-only box.
    amount->setFocus();
    amount->end(false);
    const QString shown = amount->text();
    QTest::keyClick(amount, Qt::Key_Backspace);
    EXPECT_EQ(amount->text(), shown.chopped(1));
    EXPECT_EQ(mWs.BoxText(Row(QStringLiteral("小写金额"))), amount->text());
}

TEST_F(BillCanvasTest, FocusColoursRelatedBoxesAndAClickOnTheCanvasWhitensThem)
{
    Load(QStringLiteral("转账支票"));
    BillCanvas& canvas = Show();
    const int capital = Index(QStringLiteral("大写金额"));
    const int stub = Index(QStringLiteral("存根金额"));
    const int account = Index(QStringLiteral("出票人账号"));
    Edit(QStringLiteral("小写金额"))->setFocus();
    EXPECT_EQ(canvas.BoxBackground(capital), DataEntry::kSameContent);
    EXPECT_EQ(canvas.BoxBackground(stub), DataEntry::kSameContent);
    EXPECT_EQ(canvas.Control(stub)->palette().color(QPalette::Base), QColor(0xFF, 0xAA, 0xAA));
    EXPECT_EQ(canvas.BoxBackground(account), 0xFFFFFF);

    // Another box: the marks move to its relatives.
    Edit(QStringLiteral("付款行名称"))->setFocus();
    EXPECT_EQ(canvas.BoxBackground(account), DataEntry::kRelatedContent);
    EXPECT_EQ(canvas.Control(account)->palette().color(QPalette::Base), QColor(0x00, 0xFF, 0x11));
    EXPECT_EQ(canvas.BoxBackground(capital), 0xFFFFFF);

    const QPoint empty(2, 2);
    ASSERT_EQ(canvas.childAt(empty), nullptr);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, empty);
    EXPECT_EQ(canvas.BoxBackground(account), 0xFFFFFF);
    EXPECT_EQ(canvas.Control(account)->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(BillCanvasTest, DoubleClickShowsEarlierValuesAndChoosingOneFillsTheBox)
{
    Load(QStringLiteral("转账支票"));
    const int payee = Row(QStringLiteral("收款人"));
    mWs.SetBoxText(payee, QStringLiteral("ACME Ltd"));
    ASSERT_GT(HistoryRecords(mTest.app->DbOp(), mTest.app->Prompt()).StoreRecord(mWs), 0);
    mWs.ClearContents();
    BillCanvas& canvas = Show();
    QLineEdit* box = Edit(QStringLiteral("收款人"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().isEmpty());

    QListWidget* list = canvas.SuggestionList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->objectName(), QStringLiteral("COMB"));
    EXPECT_FALSE(list->isVisible());
    QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(canvas.SuggestionBox(), Index(QStringLiteral("收款人")));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("ACME Ltd"));
    EXPECT_EQ(list->x(), box->x());
    EXPECT_GT(list->width(), box->width());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("ACME Ltd"));
    EXPECT_EQ(mWs.BoxText(payee), QStringLiteral("ACME Ltd"));
    // Its stub copy follows as when the box is left.
    EXPECT_EQ(Edit(QStringLiteral("存根收款人"))->text(), QStringLiteral("ACME Ltd"));
}

TEST_F(BillCanvasTest, TypingCompletesFromTheOneEarlierValue)
{
    Load(QStringLiteral("转账支票"));
    const int payee = Row(QStringLiteral("收款人"));
    mWs.SetBoxText(payee, QStringLiteral("ACME Ltd"));
    ASSERT_GT(HistoryRecords(mTest.app->DbOp(), mTest.app->Prompt()).StoreRecord(mWs), 0);
    mWs.ClearContents();
    BillCanvas& canvas = Show();
    QLineEdit* box = Edit(QStringLiteral("收款人"));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("AC"));
    EXPECT_EQ(canvas.CurrentBox(), Index(QStringLiteral("收款人")));
    auto* timer = canvas.findChild<QTimer*>(QStringLiteral("AutoFind"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 50);
    EXPECT_TRUE(timer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(box->text(), QStringLiteral("ACME Ltd"), 2000);
    EXPECT_EQ(box->selectedText(), QStringLiteral("ME Ltd"));
    EXPECT_EQ(mWs.BoxText(payee), QStringLiteral("ACME Ltd"));
    EXPECT_FALSE(timer->isActive());
}

TEST_F(BillCanvasTest, ATickInACheckBoxRingUnticksTheOthers)
{
    Load(QStringLiteral("进账单"));
    BillCanvas& canvas = Show();
    QCheckBox* cheque = Check(QStringLiteral("支票"));
    QCheckBox* note = Check(QStringLiteral("本票"));
    QCheckBox* other = Check(QStringLiteral("其他"));
    ASSERT_TRUE(cheque && note && other);
    // The format's defaults tick 支票.
    EXPECT_TRUE(cheque->isChecked());
    EXPECT_FALSE(note->isChecked());
    QSignalSpy changed(&canvas, &BillCanvas::contentsChanged);
    QTest::mouseClick(note, Qt::LeftButton, {}, note->rect().center());
    EXPECT_TRUE(note->isChecked());
    EXPECT_FALSE(cheque->isChecked());
    EXPECT_FALSE(other->isChecked());
    EXPECT_EQ(mWs.GetBoxContent(Row(QStringLiteral("本票"))), QStringLiteral("1"));
    EXPECT_TRUE(mWs.GetBoxContent(Row(QStringLiteral("支票"))).isEmpty());
    EXPECT_EQ(changed.count(), 1);
    QTest::mouseClick(other, Qt::LeftButton, {}, other->rect().center());
    EXPECT_TRUE(other->isChecked());
    EXPECT_FALSE(note->isChecked());
    EXPECT_FALSE(cheque->isChecked());
    // Unticking leaves the others alone.
    QTest::mouseClick(other, Qt::LeftButton, {}, other->rect().center());
    EXPECT_FALSE(other->isChecked());
    EXPECT_TRUE(mWs.GetBoxContent(Row(QStringLiteral("其他"))).isEmpty());
    EXPECT_FALSE(note->isChecked());
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(BillCanvasTest, ClickingATickBoxTogglesTheTick)
{
    Load(QStringLiteral("转账支票"));
    const int row = Row(QStringLiteral("密码"));
    mWs.table.SetText(row, ElementTable::ColCash, QStringLiteral("115"));
    BillCanvas& canvas = Show();
    QLineEdit* box = Edit(QStringLiteral("密码"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(box->text(), QStringLiteral("√"));
    EXPECT_EQ(mWs.BoxText(row), QStringLiteral("√"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(mWs.BoxText(row).isEmpty());
    // Other boxes take clicks without change.
    QTest::mouseClick(Edit(QStringLiteral("用途")), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Edit(QStringLiteral("用途"))->text().isEmpty());
    (void)canvas;
}

TEST_F(BillCanvasTest, ATallTextBoxTakesSeveralLines)
{
    Load(QStringLiteral("送货单"));
    const int row = Row(QStringLiteral("备注"));
    mWs.table.SetText(row, ElementTable::ColH, QStringLiteral("20"));
    mWs.SetBoxText(row, QStringLiteral("第一行\r\n第二行"));
    BillCanvas& canvas = Show();
    auto* memo = qobject_cast<QPlainTextEdit*>(Box(QStringLiteral("备注")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->objectName(), QStringLiteral("TT_") + QString::number(Index(QStringLiteral("备注"))));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(memo->height(), Px(canvas.Scale() * 20));
    // One-line boxes stay one-line.
    EXPECT_NE(Edit(QStringLiteral("送货人")), nullptr);

    QSignalSpy changed(&canvas, &BillCanvas::contentsChanged);
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("abc"));
    EXPECT_EQ(mWs.BoxText(row), QStringLiteral("第一行\r\n第二行\r\nabc"));
    EXPECT_GT(changed.count(), 0);
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_FALSE(memo->hasFocus());
    EXPECT_EQ(mWs.BoxText(row), QStringLiteral("第一行\r\n第二行\r\nabc"));
}

TEST_F(BillCanvasTest, PictureBoxShowsItsBarcode)
{
    Load(QStringLiteral("送货单"));
    BillCanvas& canvas = Show();
    auto* picture = qobject_cast<QLabel*>(canvas.Control(2001));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->toolTip(), PictureContent::EmptyToolTip());
    EXPECT_TRUE(picture->pixmap().isNull());
    mWs.SetBoxContent(Row(QStringLiteral("单号条码")), QStringLiteral("12345"));
    canvas.RefreshFromWorkspace();
    EXPECT_EQ(picture->toolTip(), PictureContent::BarcodeToolTip(QStringLiteral("12345")));
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().size(), picture->size());
}

TEST_F(BillCanvasTest, GridAndBackgroundArePaintedOnThePage)
{
    Load(QStringLiteral("转账支票"));
    BillCanvas& canvas = Show();
    // 5 px per mm: the centimetre line at 10 mm is x = 50, a 2-mm line at 4 mm is x = 20.
    const QPoint strong(50, 147);
    const QPoint light(20, 147);
    ASSERT_EQ(canvas.childAt(strong), nullptr);
    ASSERT_EQ(canvas.childAt(light), nullptr);
    EXPECT_EQ(canvas.grab().toImage().pixelColor(strong), QColor(Qt::white));
    canvas.SetShowGrid(true);
    QImage shot = canvas.grab().toImage();
    EXPECT_EQ(shot.pixelColor(strong), QColor(0xFF, 0x72, 0x00));
    EXPECT_EQ(shot.pixelColor(light), QColor(0xFF, 0xC0, 0x8D));
    EXPECT_EQ(shot.pixelColor(22, 147), QColor(Qt::white));

    QLabel* caption = canvas.Caption(Index(QStringLiteral("收款人")));
    canvas.SetShowBackground(true, QImage());
    EXPECT_TRUE(caption->isVisible());
    QImage background(10, 10, QImage::Format_RGB32);
    background.fill(QColor(0, 0, 255));
    canvas.SetShowGrid(false);
    canvas.SetShowBackground(true, background);
    EXPECT_FALSE(caption->isVisible());
    EXPECT_EQ(canvas.grab().toImage().pixelColor(strong), QColor(0, 0, 255));
    // Zooming keeps the captions hidden under the background.
    canvas.Zoom(0);
    EXPECT_FALSE(canvas.Caption(Index(QStringLiteral("收款人")))->isVisible());
    canvas.SetShowBackground(false, background);
    EXPECT_TRUE(canvas.Caption(Index(QStringLiteral("收款人")))->isVisible());
}

} // namespace
} // namespace kestrio
