// The history page driven through its widgets: the grid MSF_2, "显示全部", deleting, clearing,
// the search field KWord and reprinting.
#include "TestApp.h"
#include "workbench/ui/HistoryPage.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/RecordingSurface.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/Transaction.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace kestrio {
namespace {

using Col = ElementTable::Column;
const QString kCheque = QStringLiteral("转账支票");

class HistoryPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.Open());
        ASSERT_TRUE(t.app->DbOp().ExecuteSql(QStringLiteral("DELETE * FROM 历史")));
        FormatStore(t.app->DbOp(), t.progress, t.screen).LoadFormat(ws, kCheque);
        ASSERT_EQ(ws.formatName, kCheque);
        tab = std::make_unique<HistoryPage>(*t.app, ws);
        tab->resize(900, 500);
        tab->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(tab.get()));
    }

    int Box(const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.KindOf(row) <= ElementTable::PictureBox && ws.table.Text(row, Col::ColLbl) == label) return row;
        ADD_FAILURE() << "no box " << label.toStdString();
        return -1;
    }

    // Stores a bill with the payee (and the purpose) filled in; returns its record number.
    qint64 StoreBill(const QString& payee, const QString& purpose = {})
    {
        // A whole cheque, as a printed one is stored: dates, an amount and its capitals.
        ws.ClearContents();
        EntryKit kit(*t.app);
        kit.entry.FillDateBoxes(ws);
        ws.SetBoxContent(Box(QStringLiteral("小写金额")), QStringLiteral("100"));
        kit.entry.LeaveBox(ws, Box(QStringLiteral("小写金额")));
        ws.SetBoxContent(Box(QStringLiteral("收款人")), payee);
        if (!purpose.isEmpty()) ws.SetBoxContent(Box(QStringLiteral("用途")), purpose);
        return HistoryRecords(t.app->DbOp(), t.prompter).StoreRecord(ws);
    }

    qint64 StoredBills()
    {
        return t.app->Db()
            .ScalarNative(QStringLiteral("SELECT COUNT(DISTINCT ID) FROM 历史 WHERE Fmt=?"), {kCheque})
            .toLongLong();
    }
    bool BillStored(qint64 number)
    {
        return t.app->Db()
                   .ScalarNative(QStringLiteral("SELECT COUNT(*) FROM 历史 WHERE Fmt=? AND ID=?"), {kCheque, number})
                   .toLongLong() > 0;
    }

    QTableView* View() const { return tab->findChild<QTableView*>(QStringLiteral("MSF_2")); }
    QAbstractItemModel* Model() const { return View()->model(); }
    QLineEdit* KWord() const { return tab->findChild<QLineEdit*>(QStringLiteral("KWord")); }
    QPushButton* Button(const QString& caption) const
    {
        for (QPushButton* button : tab->findChildren<QPushButton*>())
            if (button->text() == caption) return button;
        ADD_FAILURE() << "no button " << caption.toStdString();
        return nullptr;
    }

    // The view column headed `caption`.
    int Column(const QString& caption) const
    {
        for (int col = 0; col < Model()->columnCount(); ++col)
            if (Model()->headerData(col, Qt::Horizontal).toString() == caption) return col;
        ADD_FAILURE() << "no column " << caption.toStdString();
        return -1;
    }
    QString Cell(int row, int col) const { return Model()->index(row, col).data().toString(); }
    QString Cell(int row, const QString& caption) const { return Cell(row, Column(caption)); }

    void ClickCell(int row, int col, Qt::KeyboardModifiers modifiers = {})
    {
        QTableView* view = View();
        const QModelIndex index = Model()->index(row, col);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
    }
    void Search(const QString& keyword)
    {
        KWord()->setText(keyword);
        QTest::keyClick(KWord(), Qt::Key_Return);
    }
    // The selected block of the view as (top, left, bottom, right).
    QList<int> SelectedBlock() const
    {
        const QItemSelection selection = View()->selectionModel()->selection();
        if (selection.size() != 1) return {};
        const QItemSelectionRange& r = selection.first();
        return {r.top(), r.left(), r.bottom(), r.right()};
    }

    test::TestApp t;
    Workspace ws;
    std::unique_ptr<HistoryPage> tab;
};

TEST_F(HistoryPageTest, TheGridShowsStoredBillsNewestFirst)
{
    ASSERT_EQ(StoreBill(QStringLiteral("甲方"), QStringLiteral("货款")), 1);
    ASSERT_EQ(StoreBill(QStringLiteral("乙方")), 2);
    ASSERT_EQ(StoreBill(QStringLiteral("丙方")), 3);
    tab->ShowHistory();

    ASSERT_NE(View(), nullptr);
    ASSERT_EQ(Model()->rowCount(), 3);
    EXPECT_EQ(Model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("序号"));
    EXPECT_EQ(Cell(0, QStringLiteral("收款人")), QStringLiteral("丙方"));
    EXPECT_EQ(Cell(1, QStringLiteral("收款人")), QStringLiteral("乙方"));
    EXPECT_EQ(Cell(2, QStringLiteral("收款人")), QStringLiteral("甲方"));
    EXPECT_EQ(Cell(2, QStringLiteral("用途")), QStringLiteral("货款"));
    EXPECT_EQ(Cell(0, 0), QStringLiteral("3")); // record number
    EXPECT_EQ(Cell(0, 1), QStringLiteral("1")); // running number
    EXPECT_EQ(Cell(2, 0), QStringLiteral("1"));
    EXPECT_EQ(Cell(2, 1), QStringLiteral("3"));
    EXPECT_FALSE(Button(HistoryPage::ShowAllCaption())->isEnabled());
    // The grid's current cell is shown: the first box cell of the newest bill.
    EXPECT_EQ(View()->currentIndex(), Model()->index(0, 2));

    // A bill printed since: the grid keeps what it had until it is invalidated.
    ASSERT_EQ(StoreBill(QStringLiteral("丁方")), 4);
    tab->ShowHistory();
    EXPECT_EQ(Model()->rowCount(), 3);
    tab->Invalidate();
    tab->ShowHistory();
    ASSERT_EQ(Model()->rowCount(), 4);
    EXPECT_EQ(Cell(0, QStringLiteral("收款人")), QStringLiteral("丁方"));
}

TEST_F(HistoryPageTest, ShowAllLoadsTheRowsLeftOut)
{
    {
        Transaction transaction(t.app->Db());
        for (int i = 1; i <= 350; ++i) ASSERT_EQ(StoreBill(QStringLiteral("收款人%1").arg(i)), i);
        ASSERT_TRUE(transaction.Commit());
    }
    tab->ShowHistory();
    EXPECT_EQ(Model()->rowCount(), 300); // one history row per bill
    EXPECT_EQ(Cell(0, QStringLiteral("收款人")), QStringLiteral("收款人350"));
    EXPECT_EQ(Cell(299, QStringLiteral("收款人")), QStringLiteral("收款人51"));
    QPushButton* showAll = Button(HistoryPage::ShowAllCaption());
    ASSERT_TRUE(showAll->isEnabled());

    QTest::mouseClick(showAll, Qt::LeftButton);
    EXPECT_EQ(Model()->rowCount(), 350);
    EXPECT_EQ(Cell(349, QStringLiteral("收款人")), QStringLiteral("收款人1"));
    EXPECT_FALSE(showAll->isEnabled());

    // Showing the tab again goes back to the newest 300.
    tab->ShowHistory();
    EXPECT_EQ(Model()->rowCount(), 300);
    EXPECT_TRUE(showAll->isEnabled());
}

TEST_F(HistoryPageTest, DeleteSelectedAsksAndRemovesTheBills)
{
    for (int i = 1; i <= 5; ++i) ASSERT_EQ(StoreBill(QStringLiteral("收款人%1").arg(i)), i);
    tab->ShowHistory();
    const int payee = Column(QStringLiteral("收款人"));
    // Data rows 3 to 5: bills 3, 2 and 1.
    ClickCell(2, payee);
    ClickCell(4, payee + 1, Qt::ShiftModifier);
    QPushButton* del = Button(HistoryPage::DeleteCaption());

    t.prompter.QueueAsk(false);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(t.prompter.shown, QStringList{QStringLiteral("您确定要删除第3至第5行？")});
    EXPECT_EQ(StoredBills(), 5);
    EXPECT_EQ(Model()->rowCount(), 5);

    t.prompter.QueueAsk(true);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(t.prompter.shown.size(), 2);
    EXPECT_EQ(t.prompter.shown.last(), QStringLiteral("您确定要删除第3至第5行？"));
    EXPECT_EQ(StoredBills(), 2);
    EXPECT_TRUE(BillStored(5));
    EXPECT_TRUE(BillStored(4));
    EXPECT_FALSE(BillStored(3));
    EXPECT_FALSE(BillStored(1));
    ASSERT_EQ(Model()->rowCount(), 2);
    EXPECT_EQ(Cell(0, payee), QStringLiteral("收款人5"));
    EXPECT_EQ(Cell(1, payee), QStringLiteral("收款人4"));

    // Selected upwards: the smaller row is named first.
    ClickCell(1, payee);
    ClickCell(0, payee, Qt::ShiftModifier);
    t.prompter.QueueAsk(true);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(t.prompter.shown.last(), QStringLiteral("您确定要删除第1至第2行？"));
    EXPECT_EQ(StoredBills(), 0);
    EXPECT_EQ(Model()->rowCount(), 0);

    // Nothing left: nothing asked.
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(t.prompter.shown.size(), 3);
}

TEST_F(HistoryPageTest, ClearAllAsksForTheWholeRange)
{
    for (int i = 1; i <= 4; ++i) ASSERT_EQ(StoreBill(QStringLiteral("收款人%1").arg(i)), i);
    ws.ClearContents();
    Workspace other;
    FormatStore(t.app->DbOp(), t.progress, t.screen).LoadFormat(other, QStringLiteral("进账单"));
    ASSERT_FALSE(other.formatName.isEmpty());
    for (int row = ElementTable::kFirstRow; row < other.table.RowCount(); ++row)
        if (other.table.KindOf(row) == ElementTable::TextBox) other.SetBoxContent(row, QStringLiteral("别的格式"));
    ASSERT_GT(HistoryRecords(t.app->DbOp(), t.prompter).StoreRecord(other), 0);

    tab->ShowHistory();
    ClickCell(1, 3);
    QPushButton* clear = Button(HistoryPage::ClearCaption());

    t.prompter.QueueAsk(false);
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(t.prompter.shown, QStringList{QStringLiteral("您确定要删除第1至第4行？")});
    EXPECT_EQ(StoredBills(), 4);
    // The whole range stays selected.
    EXPECT_EQ(SelectedBlock(), (QList<int>{0, 2, 3, Model()->columnCount() - 2}));

    t.prompter.QueueAsk(true);
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(t.prompter.shown.last(), QStringLiteral("您确定要删除第1至第4行？"));
    EXPECT_EQ(StoredBills(), 0);
    EXPECT_EQ(Model()->rowCount(), 0);
    // The other format's bill stays.
    EXPECT_EQ(t.app->Db()
                  .ScalarNative(QStringLiteral("SELECT COUNT(DISTINCT ID) FROM 历史 WHERE Fmt=?"), {other.formatName})
                  .toLongLong(),
              1);
}

TEST_F(HistoryPageTest, EnterInKWordSelectsTheNextMatchingBillAndWraps)
{
    // Newest first: 甲公司 (row 0), 乙 (row 1), 甲厂 (row 2), 丙 (row 3).
    ASSERT_EQ(StoreBill(QStringLiteral("丙")), 1);
    ASSERT_EQ(StoreBill(QStringLiteral("甲厂")), 2);
    ASSERT_EQ(StoreBill(QStringLiteral("乙"), QStringLiteral("甲的货款")), 3);
    ASSERT_EQ(StoreBill(QStringLiteral("甲公司")), 4);
    tab->ShowHistory();
    const int lastCol = Model()->columnCount() - 2; // the last box column; the stored time follows

    // The current cell is a single cell of row 0: the search starts there.
    Search(QStringLiteral("甲"));
    EXPECT_EQ(View()->currentIndex().row(), 0);
    EXPECT_EQ(SelectedBlock(), (QList<int>{0, 2, 0, lastCol}));

    // The whole row is selected now: the next search goes on below it.
    QTest::keyClick(KWord(), Qt::Key_Return);
    EXPECT_EQ(View()->currentIndex().row(), 1);
    EXPECT_EQ(SelectedBlock(), (QList<int>{1, 2, 1, lastCol}));
    QTest::keyClick(KWord(), Qt::Key_Return);
    EXPECT_EQ(View()->currentIndex().row(), 2);
    // Past the last bill the search wraps to the first.
    QTest::keyClick(KWord(), Qt::Key_Return);
    EXPECT_EQ(View()->currentIndex().row(), 0);

    // A cell clicked by the user: the search starts in its row, which may match itself.
    ClickCell(2, 2);
    Search(QStringLiteral("甲"));
    EXPECT_EQ(View()->currentIndex().row(), 2);
    EXPECT_EQ(SelectedBlock(), (QList<int>{2, 2, 2, lastCol}));
    ClickCell(3, 2);
    Search(QStringLiteral(" 丙 "));
    EXPECT_EQ(View()->currentIndex().row(), 3);
    EXPECT_EQ(SelectedBlock(), (QList<int>{3, 2, 3, lastCol}));
    EXPECT_TRUE(t.prompter.shown.isEmpty());

    // Nothing matches: the message, and the selection stays.
    Search(QStringLiteral("丁"));
    EXPECT_EQ(t.prompter.shown, QStringList{QStringLiteral("没有查到相关的记录！")});
    EXPECT_EQ(View()->currentIndex().row(), 3);

    // An empty keyword does nothing.
    Search(QStringLiteral("  "));
    EXPECT_EQ(t.prompter.shown.size(), 1);
}

// A destination over the test's recording surface that counts how often it was made.
struct RecordingTarget {
    RecordingSurface surface;
    int made = 0;
    HistoryPage::DestinationFactory Factory()
    {
        return [this] {
            ++made;
            return std::make_unique<FixedDestination>(surface);
        };
    }
};

TEST_F(HistoryPageTest, ReprintOfOneRowLoadsTheBillIntoTheBoxesAndPrintsIt)
{
    ASSERT_EQ(StoreBill(QStringLiteral("甲方"), QStringLiteral("货款")), 1);
    ASSERT_EQ(StoreBill(QStringLiteral("乙方")), 2);
    RecordingTarget target;
    tab->SetDestinationFactory(target.Factory());
    double frameAsked = 0;
    tab->SetFrameWidth([&frameAsked] { return frameAsked = 30000; });
    tab->ShowHistory();
    QSignalSpy loaded(tab.get(), &HistoryPage::billLoaded);

    ws.ClearContents();
    ws.SetBoxContent(Box(QStringLiteral("收款人")), QStringLiteral("别的"));
    ClickCell(1, Column(QStringLiteral("收款人")));
    QTest::mouseClick(Button(HistoryPage::ReprintCaption()), Qt::LeftButton);

    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(ws.GetBoxContent(Box(QStringLiteral("收款人"))), QStringLiteral("甲方"));
    EXPECT_EQ(ws.GetBoxContent(Box(QStringLiteral("用途"))), QStringLiteral("货款"));
    EXPECT_EQ(target.surface.calls().count(QStringLiteral("endDocument()")), 1); // one job
    EXPECT_EQ(frameAsked, 30000);
    EXPECT_EQ(StoredBills(), 2);
    EXPECT_TRUE(t.prompter.shown.isEmpty()) << t.prompter.shown.join(u'|').toStdString();
}

TEST_F(HistoryPageTest, ReprintOfTwoRowsPrintsTwoJobsAndStoresNothing)
{
    ASSERT_EQ(StoreBill(QStringLiteral("甲方")), 1);
    ASSERT_EQ(StoreBill(QStringLiteral("乙方")), 2);
    ASSERT_EQ(StoreBill(QStringLiteral("丙方")), 3);
    const qint64 rowsBefore =
        t.app->Db().ScalarNative(QStringLiteral("SELECT COUNT(*) FROM 历史")).toLongLong();
    RecordingTarget target;
    tab->SetDestinationFactory(target.Factory());
    tab->ShowHistory();
    QSignalSpy loaded(tab.get(), &HistoryPage::billLoaded);

    const int payee = Column(QStringLiteral("收款人"));
    ClickCell(1, payee);
    ClickCell(2, payee, Qt::ShiftModifier);
    QTest::mouseClick(Button(HistoryPage::ReprintCaption()), Qt::LeftButton);

    EXPECT_EQ(target.made, 1);
    EXPECT_EQ(target.surface.calls().count(QStringLiteral("endDocument()")), 2);
    EXPECT_EQ(t.app->Db().ScalarNative(QStringLiteral("SELECT COUNT(*) FROM 历史")).toLongLong(), rowsBefore);
    EXPECT_EQ(StoredBills(), 3);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_TRUE(t.prompter.shown.isEmpty());
    // The grid did not change: the same three bills.
    EXPECT_EQ(Model()->rowCount(), 3);
}

TEST_F(HistoryPageTest, ReprintWithoutBillsShowsTheHistory)
{
    RecordingTarget target;
    tab->SetDestinationFactory(target.Factory());
    tab->ShowHistory();
    ASSERT_EQ(Model()->rowCount(), 0);
    ASSERT_EQ(StoreBill(QStringLiteral("甲方")), 1);
    tab->Invalidate();
    QSignalSpy shown(tab.get(), &HistoryPage::historyShown);
    QSignalSpy loaded(tab.get(), &HistoryPage::billLoaded);

    QTest::mouseClick(Button(HistoryPage::ReprintCaption()), Qt::LeftButton);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_EQ(Model()->rowCount(), 1); // loaded by showing the history
    EXPECT_TRUE(target.surface.calls().isEmpty());
}

TEST_F(HistoryPageTest, ControlsCarryTheirNames)
{
    EXPECT_EQ(View(), tab->View());
    EXPECT_EQ(KWord(), tab->KWord());
    EXPECT_EQ(tab->ShowAllButton()->text(), QStringLiteral("显示全部"));
    EXPECT_EQ(tab->DeleteButton()->text(), QStringLiteral("删除所选"));
    EXPECT_EQ(tab->ClearButton()->text(), QStringLiteral("清空记录"));
    EXPECT_EQ(tab->ReprintButton()->text(), QStringLiteral("重新打印"));
}

} // namespace
} // namespace kestrio
