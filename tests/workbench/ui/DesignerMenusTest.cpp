// The designer's menus on the main window: the input-box menu copies a box as one undo step;
// the format list beside the canvas chooses a format by a double click, asking about changes.
#include "TestApp.h"
#include "format/FormatDocument.h"
#include "format/FormatLibrary.h"
#include "format/Grid.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/ElementTablePage.h"
#include "workbench/ui/FormatListPanel.h"
#include "workbench/ui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class DesignerMenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mTest.Open());
        mMain = std::make_unique<MainWindow>(*mTest.app);
        mMain->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mMain.get()));
        ASSERT_TRUE(mMain->ChooseFormat(QStringLiteral("送货单"), true));
    }
    // Right-clicks `box`, triggers the item `name` of its menu; the captions offered.
    QStringList RunBoxMenu(QWidget* box, const QString& name)
    {
        QStringList offered;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) offered << action->text();
            QAction* item = menu->findChild<QAction*>(name);
            ASSERT_NE(item, nullptr);
            menu->close();
            item->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), box->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(box, &event);
        return offered;
    }
    int FirstTextBoxRow()
    {
        for (int row : mMain->Document().ElementRows())
            if (mMain->Document().Table().KindOf(row) == ElementTable::TextBox) return row;
        return -1;
    }

    test::TestApp mTest;
    std::unique_ptr<MainWindow> mMain;
};

TEST_F(DesignerMenusTest, TheBoxMenuCopiesABoxAsOneStep)
{
    const int row = FirstTextBoxRow();
    ASSERT_GT(row, 0);
    BillCanvas* canvas = mMain->Canvas();
    QWidget* box = canvas->Control(canvas->ElementIndexOfRow(row));
    ASSERT_NE(box, nullptr);
    const int rows = mMain->Document().Table().RowCount();
    mTest.prompter.QueueInput(QStringLiteral("1"));
    const QStringList offered = RunBoxMenu(box, QStringLiteral("mCopyCtl"));
    EXPECT_EQ(offered, (QStringList{QStringLiteral("设置内容框"), QStringLiteral("复制文本"), QStringLiteral("粘贴文本"),
                                    QStringLiteral("添加输入框"), QStringLiteral("复制"), QStringLiteral("删除")}));
    EXPECT_TRUE(mTest.prompter.shown.contains(QStringLiteral("请输入要复制输入框个数：")));
    ASSERT_EQ(mMain->Document().Table().RowCount(), rows + 1);
    mMain->Action(QStringLiteral("mUndo"))->trigger();
    EXPECT_EQ(mMain->Document().Table().RowCount(), rows);
}

TEST_F(DesignerMenusTest, SavingPullsBoxesOffThePageBackOntoIt)
{
    const int row = FirstTextBoxRow();
    ASSERT_GT(row, 0);
    FormatDocument& document = mMain->Document();
    Element moved = document.ElementAt(row);
    moved.x = -50;
    moved.y = -80;
    document.ChangeElement(row, moved, QStringLiteral("移动"));
    ASSERT_TRUE(mMain->SaveFormat());
    const Element saved = document.ElementAt(row);
    EXPECT_EQ(saved.x, 0);
    EXPECT_GT(saved.y, 0);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(DesignerMenusTest, TextGoesToTheClipboardAndIsPastedAtTheCursor)
{
    const int row = FirstTextBoxRow();
    BillCanvas* canvas = mMain->Canvas();
    auto* box = qobject_cast<QLineEdit*>(canvas->Control(canvas->ElementIndexOfRow(row)));
    ASSERT_NE(box, nullptr);
    box->setText(QStringLiteral("甲乙丙"));
    box->setSelection(1, 1);
    RunBoxMenu(box, QStringLiteral("mCopy"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("乙"));
    box->setCursorPosition(3);
    RunBoxMenu(box, QStringLiteral("mPaste"));
    EXPECT_EQ(box->text(), QStringLiteral("甲乙丙乙"));
    EXPECT_EQ(mMain->OpenWorkspace().BoxText(row), QStringLiteral("甲乙丙乙"));
}

TEST_F(DesignerMenusTest, RowsSelectedOnTheElementPageAreDeletedAfterTheRowQuestion)
{
    auto* page = mMain->findChild<ElementTablePage*>(QStringLiteral("MSF_3"));
    ASSERT_NE(page, nullptr);
    ASSERT_GE(page->rowCount(), 4);
    const int rows = mMain->Document().Table().RowCount();
    // Page rows 1–3 are table rows 3–5.
    page->setRangeSelected(QTableWidgetSelectionRange(1, 0, 3, page->columnCount() - 1), true);
    mTest.prompter.QueueAsk(true);
    EXPECT_TRUE(page->DeleteSelectedRows());
    EXPECT_EQ(mTest.prompter.shown.last(), QStringLiteral("您确定要删除第2行至第4行对应的输入框？"));
    EXPECT_EQ(mMain->Document().Table().RowCount(), rows - 3);
    EXPECT_EQ(page->rowCount(), rows - 3 - ElementTable::kFirstRow);
    mMain->OptionBox(2)->setCheckState(Qt::Checked); // 锁定格式
    page->selectRow(0);
    EXPECT_FALSE(page->DeleteSelectedRows());
    EXPECT_EQ(mMain->Document().Table().RowCount(), rows - 3);
}

TEST_F(DesignerMenusTest, ADoubleClickInTheFormatListChoosesTheFormatAfterAsking)
{
    QWidget* frame = mMain->Control(QStringLiteral("PFrm"));
    const int frameWidth = frame->width();
    mMain->Action(QStringLiteral("mFormatList"))->trigger();
    FormatListPanel* panel = mMain->FormatPanel();
    ASSERT_TRUE(panel->isVisible());
    QTest::qWait(50);
    // The list narrows the frame and the page is fitted to it; fonts and printing still
    // measure against the frame the whole window has.
    EXPECT_LT(frame->width(), frameWidth);
    EXPECT_EQ(mMain->Canvas()->width(), frame->width());
    EXPECT_EQ(mMain->Canvas()->ReferenceWidth(), frameWidth);
    QTableWidget* table = panel->Table();
    Grid grid;
    FormatLibrary(*mTest.app).FillFormatList(grid, QString());
    ASSERT_EQ(table->rowCount(), grid.RowCount() - grid.FixedRows());
    int target = -1;
    for (int i = 0; i < table->rowCount(); ++i) {
        EXPECT_EQ(table->item(i, 0)->text(), grid.Text(grid.FixedRows() + i, FormatLibrary::kNameColumn));
        if (table->item(i, 0)->text() != QStringLiteral("送货单")) target = i;
    }
    ASSERT_GE(target, 0);
    const QString name = table->item(target, 0)->text();

    mMain->Document().AddElement(ElementTable::Line, QStringLiteral("添加"));
    mTest.prompter.QueueAsk(false); // drop the change
    table->scrollToItem(table->item(target, 0));
    const QRect cell = table->visualItemRect(table->item(target, 0));
    ASSERT_TRUE(table->viewport()->rect().contains(cell.center())) << cell.x() << "," << cell.y();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(mTest.prompter.shown.contains(QStringLiteral("格式已修改，是否保存？")));
    EXPECT_EQ(mMain->CurrentFormat(), name);
    EXPECT_EQ(table->currentRow(), target);

    mMain->Action(QStringLiteral("mFormatList"))->trigger(); // closed: the frame is whole again
    QTest::qWait(50);
    EXPECT_EQ(frame->width(), frameWidth);
    EXPECT_EQ(mMain->Canvas()->width(), frameWidth);
}

} // namespace
} // namespace kestrio
