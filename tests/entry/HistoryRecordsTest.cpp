// Storing bills, default contents, deleting and searching bills, against the real database.
#include "TestApp.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "storage/SqlQuote.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

class HistoryRecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        Db().ExecuteSql(QStringLiteral("DELETE * FROM 历史"));
        Db().ExecuteSql(QStringLiteral("DELETE * FROM 默认"));
        MakeFormat(mWs, QStringLiteral("O'Brien的\"支票\""));
    }

    DbOperate& Db() { return mApp.app->DbOp(); }
    HistoryRecords Records() { return {Db(), mApp.prompter}; }
    FormatStore Store() { return {Db(), mApp.progress, mApp.screen}; }

    // A check box first, so that the kind order is not the table order; a line, a label and a
    // second check box after the boxes.
    void MakeFormat(Workspace& ws, const QString& name)
    {
        ws.formatName = name;
        ElementTable& t = ws.table;
        const auto add = [&t](int kind, const char* caption) {
            const int row = t.AddElementRow(kind);
            t.SetText(row, Col::ColLbl, QString::fromUtf8(caption));
        };
        add(ElementTable::CheckBox, "现金");
        add(ElementTable::TextBox, "收款人");
        add(ElementTable::PictureBox, "印章");
        add(ElementTable::TextBox, "金额");
        add(ElementTable::Line, "线条");
        add(ElementTable::Label, "标签");
        add(ElementTable::CheckBox, "转账");
        ASSERT_TRUE(Store().SaveFormat(ws));
    }
    qint64 Id(int row) const { return mWs.table.Id(row); }
    // Row numbers in the table made above.
    static constexpr int kCash = 2, kPayee = 3, kSeal = 4, kAmount = 5, kLine = 6, kLabel = 7, kTransfer = 8;

    void Fill(const QString& payee, const QString& amount = {}, bool cash = false, const QString& seal = {})
    {
        mWs.SetBoxContent(kPayee, payee);
        mWs.SetBoxContent(kAmount, amount);
        mWs.SetBoxContent(kCash, cash ? QStringLiteral("1") : QString());
        mWs.SetBoxContent(kSeal, seal);
    }

    // Every history row as "ID|Fmt|CID|Con", in the order stored.
    QStringList HistoryRows(const QString& condition = QStringLiteral("TRUE"))
    {
        QStringList rows;
        for (Recordset q = Db().OpenQuery(QStringLiteral("SELECT * FROM 历史 WHERE ") + condition); !q.Eof(); q.MoveNext())
            rows << q.Text(QStringLiteral("ID")) + QLatin1Char('|') + q.Text(QStringLiteral("Fmt")) + QLatin1Char('|') +
                        q.Text(QStringLiteral("CID")) + QLatin1Char('|') + q.Text(QStringLiteral("Con"));
        return rows;
    }
    QStringList DefaultRows()
    {
        QStringList rows;
        for (Recordset q = Db().OpenQuery(QStringLiteral("SELECT * FROM 默认")); !q.Eof(); q.MoveNext())
            rows << q.Text(QStringLiteral("ID")) + QLatin1Char('|') + q.Text(QStringLiteral("Fmt")) + QLatin1Char('|') +
                        q.Text(QStringLiteral("Con"));
        return rows;
    }
    QString Row(qint64 number, int tableRow, const QString& content) const
    {
        return QString::number(number) + QLatin1Char('|') + mWs.formatName + QLatin1Char('|') +
               QString::number(Id(tableRow)) + QLatin1Char('|') + content;
    }
    QStringList Numbers(const QString& format)
    {
        QStringList numbers;
        for (Recordset q = Db().OpenQuery(QStringLiteral("SELECT ID FROM 历史 WHERE Fmt=") + SqlQuote(format) +
                                          QStringLiteral(" GROUP BY ID ORDER BY ID"));
             !q.Eof(); q.MoveNext())
            numbers << q.Text(QStringLiteral("ID"));
        return numbers;
    }
    QStringList GridColumn(const HistoryGrid& grid, int col)
    {
        QStringList texts;
        for (int row = HistoryGrid::kFirstDataRow; row < grid.grid().RowCount(); ++row) texts << grid.grid().Text(row, col);
        return texts;
    }
    // Bills 1 to `count`, the payee of bill n being "收款人n".
    void StoreBills(int count)
    {
        for (int n = 1; n <= count; ++n) {
            Fill(QStringLiteral("收款人") + QString::number(n), QString::number(n * 100));
            ASSERT_EQ(Records().StoreRecord(mWs), n);
        }
    }

    test::TestApp mApp;
    Workspace mWs;
};

TEST_F(HistoryRecordsTest, RowsAreStoredTextThenCheckThenPictureInBoxOrder)
{
    Fill(QStringLiteral("张三"), QStringLiteral("1,234.50"), true, QStringLiteral("seal.bmp"));
    mWs.SetBoxContent(kTransfer, QStringLiteral("1"));
    mWs.SetBoxText(kLabel, QStringLiteral("标签文字"));
    mWs.SetBoxText(kLine, QStringLiteral("线"));
    EXPECT_EQ(Records().StoreRecord(mWs), 1);
    EXPECT_EQ(HistoryRows(), (QStringList{Row(1, kPayee, QStringLiteral("张三")), Row(1, kAmount, QStringLiteral("1,234.50")),
                                          Row(1, kCash, QStringLiteral("1")), Row(1, kTransfer, QStringLiteral("1")),
                                          Row(1, kSeal, QStringLiteral("seal.bmp"))}));
}

TEST_F(HistoryRecordsTest, OnlyNonEmptyBoxesAreStored)
{
    Fill(QString(), QStringLiteral("88"), false, QString());
    EXPECT_EQ(Records().StoreRecord(mWs), 1);
    EXPECT_EQ(HistoryRows(), QStringList{Row(1, kAmount, QStringLiteral("88"))});
}

TEST_F(HistoryRecordsTest, AnEmptyBillStoresNothingAndKeepsItsNumber)
{
    Fill(QStringLiteral("甲"));
    ASSERT_EQ(Records().StoreRecord(mWs), 1);
    Fill(QString(), QString(), false, QString());
    mWs.SetBoxContent(kTransfer, QStringLiteral("  ")); // blank: unticked
    EXPECT_EQ(Records().StoreRecord(mWs), 0);
    EXPECT_EQ(HistoryRows().size(), 1);
    EXPECT_EQ(Records().NextRecordNumber(mWs.formatName), 2);
    Fill(QStringLiteral("乙"));
    EXPECT_EQ(Records().StoreRecord(mWs), 2);
    EXPECT_EQ(HistoryRows(), (QStringList{Row(1, kPayee, QStringLiteral("甲")), Row(2, kPayee, QStringLiteral("乙"))}));
}

TEST_F(HistoryRecordsTest, RecordNumbersCountPerFormat)
{
    Workspace other;
    MakeFormat(other, QStringLiteral("进账单"));
    EXPECT_EQ(Records().NextRecordNumber(mWs.formatName), 1);
    StoreBills(3);
    other.SetBoxContent(3, QStringLiteral("李四"));
    EXPECT_EQ(Records().StoreRecord(other), 1);
    EXPECT_EQ(Records().StoreRecord(other), 2);
    Fill(QStringLiteral("王五"));
    EXPECT_EQ(Records().StoreRecord(mWs), 4);
    EXPECT_EQ(Numbers(mWs.formatName), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                                    QStringLiteral("4")}));
    EXPECT_EQ(Numbers(QStringLiteral("进账单")), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
}

TEST_F(HistoryRecordsTest, TheNumberOfADeletedNewestBillIsGivenAgain)
{
    StoreBills(3);
    Db().ExecuteSql(QStringLiteral("DELETE * FROM 历史 WHERE ID=3"));
    Fill(QStringLiteral("新"));
    EXPECT_EQ(Records().StoreRecord(mWs), 3);
    // Numbers are compared as numbers, not as texts: 10 follows 9.
    Db().ExecuteSql(QStringLiteral("DELETE * FROM 历史"));
    StoreBills(10);
    EXPECT_EQ(Records().NextRecordNumber(mWs.formatName), 11);
}

TEST_F(HistoryRecordsTest, QuotesPercentAndUnderscoreAreStoredIntact)
{
    const QString payee = QStringLiteral("O'Brien \"大\" 100% a_b");
    const QString twoLines = QStringLiteral("第一行\r\n第二行");
    Fill(payee, twoLines);
    ASSERT_EQ(Records().StoreRecord(mWs), 1);
    EXPECT_EQ(HistoryRows(), (QStringList{Row(1, kPayee, payee), Row(1, kAmount, twoLines)}));
    EXPECT_EQ(HistoryRows(QStringLiteral("Con=") + SqlQuote(payee)), QStringList{Row(1, kPayee, payee)});
    // A format whose name matches the first one's only when "_" is taken as a wildcard.
    Workspace look;
    MakeFormat(look, QStringLiteral("O'Brien的\"支票_"));
    EXPECT_EQ(Records().NextRecordNumber(look.formatName), 1);
}

TEST_F(HistoryRecordsTest, DefaultsRoundTripThroughAFormatLoad)
{
    Fill(QStringLiteral("张'三\"%_"), QStringLiteral("1//2"), true, QStringLiteral("章.bmp"));
    ASSERT_TRUE(Records().SaveDefaults(mWs));
    // Kind order: text boxes, check boxes, picture boxes; "//" was a line break when typed in.
    EXPECT_EQ(DefaultRows(), (QStringList{QString::number(Id(kPayee)) + QLatin1Char('|') + mWs.formatName +
                                              QStringLiteral("|张'三\"%_"),
                                          QString::number(Id(kAmount)) + QLatin1Char('|') + mWs.formatName +
                                              QStringLiteral("|1\r\n2"),
                                          QString::number(Id(kCash)) + QLatin1Char('|') + mWs.formatName +
                                              QStringLiteral("|1"),
                                          QString::number(Id(kSeal)) + QLatin1Char('|') + mWs.formatName +
                                              QStringLiteral("|章.bmp")}));

    Workspace loaded;
    HistoryRecords records = Records();
    FormatStore::LoadHooks hooks;
    hooks.loadDefaults = [&] { records.LoadDefaults(loaded); };
    Store().LoadFormat(loaded, mWs.formatName, hooks);
    const int payee = loaded.table.RowOfId(Id(kPayee)), amount = loaded.table.RowOfId(Id(kAmount));
    const int cash = loaded.table.RowOfId(Id(kCash)), seal = loaded.table.RowOfId(Id(kSeal));
    const int transfer = loaded.table.RowOfId(Id(kTransfer));
    ASSERT_GE(std::min({payee, amount, cash, seal, transfer}), ElementTable::kFirstRow);
    EXPECT_EQ(loaded.BoxText(payee), QStringLiteral("张'三\"%_"));
    EXPECT_EQ(loaded.BoxText(amount), QStringLiteral("1\r\n2"));
    EXPECT_EQ(loaded.GetBoxContent(cash), QStringLiteral("1"));
    EXPECT_EQ(loaded.GetBoxContent(transfer), QString());
    EXPECT_EQ(loaded.GetBoxContent(seal), QStringLiteral("章.bmp"));
}

TEST_F(HistoryRecordsTest, SavingDefaultsReplacesOnlyThisFormatsSet)
{
    Workspace other;
    MakeFormat(other, QStringLiteral("进账单"));
    other.SetBoxContent(3, QStringLiteral("别的"));
    ASSERT_TRUE(Records().SaveDefaults(other));
    Fill(QStringLiteral("甲"), QStringLiteral("5"));
    ASSERT_TRUE(Records().SaveDefaults(mWs));
    Fill(QString(), QStringLiteral("6"));
    ASSERT_TRUE(Records().SaveDefaults(mWs));
    EXPECT_EQ(DefaultRows(), (QStringList{QString::number(other.table.Id(3)) + QStringLiteral("|进账单|别的"),
                                          QString::number(Id(kAmount)) + QLatin1Char('|') + mWs.formatName +
                                              QStringLiteral("|6")}));
    // All boxes empty: the format has no defaults left.
    Fill(QString());
    ASSERT_TRUE(Records().SaveDefaults(mWs));
    EXPECT_EQ(DefaultRows(), QStringList{QString::number(other.table.Id(3)) + QStringLiteral("|进账单|别的")});
}

TEST_F(HistoryRecordsTest, DefaultsOfRemovedBoxesAreSkippedAndMarkersFollowTheSetting)
{
    const QString fmt = SqlQuote(mWs.formatName);
    Db().ExecuteSql(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(987654,") + fmt + QStringLiteral(",'丢失')"));
    Db().ExecuteSql(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(") + QString::number(Id(kPayee)) +
                    QLatin1Char(',') + fmt + QStringLiteral(",'甲//乙')"));
    Db().ExecuteSql(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(") + QString::number(Id(kLine)) +
                    QLatin1Char(',') + fmt + QStringLiteral(",'线')"));
    Workspace ws = mWs;
    ws.ClearContents();
    Records().LoadDefaults(ws);
    EXPECT_EQ(ws.BoxText(kPayee), QStringLiteral("甲\r\n乙"));
    EXPECT_EQ(ws.BoxText(kLine), QString());
    EXPECT_EQ(ws.BoxText(kAmount), QString());

    ws.ClearContents();
    ws.lineBreakMarker = QStringLiteral("##");
    Records().LoadDefaults(ws);
    EXPECT_EQ(ws.BoxText(kPayee), QStringLiteral("甲//乙"));
}

TEST_F(HistoryRecordsTest, DeletingSelectedRowsAsksAndRemovesThoseBills)
{
    Workspace other;
    MakeFormat(other, QStringLiteral("进账单"));
    other.SetBoxContent(3, QStringLiteral("别的"));
    for (int n = 0; n < 4; ++n) ASSERT_EQ(Records().StoreRecord(other), n + 1);
    StoreBills(6);
    HistoryGrid grid(Db(), mApp.progress);
    ASSERT_TRUE(grid.LoadHistoryGrid(mWs, HistoryGrid::kTabLimit));
    // Data rows 3 to 5, selected from the bottom up: bills 4, 3 and 2.
    grid.SetCurrent(6, 3);
    grid.SetSelection(4, 2);

    EXPECT_FALSE(Records().DeleteHistoryRows(grid));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("您确定要删除第3至第5行？")});
    EXPECT_EQ(Numbers(mWs.formatName).size(), 6);
    EXPECT_EQ(grid.DataRowCount(), 6);

    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Records().DeleteHistoryRows(grid));
    EXPECT_EQ(mApp.prompter.shown.size(), 2);
    EXPECT_EQ(mApp.prompter.shown.last(), QStringLiteral("您确定要删除第3至第5行？"));
    EXPECT_EQ(Numbers(mWs.formatName), (QStringList{QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("6")}));
    EXPECT_EQ(Numbers(QStringLiteral("进账单")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_EQ(GridColumn(grid, HistoryGrid::kRecordCol),
              (QStringList{QStringLiteral("6"), QStringLiteral("5"), QStringLiteral("1")}));
    EXPECT_EQ(GridColumn(grid, HistoryGrid::kNumberCol),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.RowSel(), 4);
}

TEST_F(HistoryRecordsTest, DeletingOneRowNamesItTwice)
{
    StoreBills(2);
    HistoryGrid grid(Db(), mApp.progress);
    grid.LoadHistoryGrid(mWs, 0);
    grid.SetCurrent(3, 2); // bill 1
    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Records().DeleteHistoryRows(grid));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("您确定要删除第2至第2行？")});
    EXPECT_EQ(Numbers(mWs.formatName), QStringList{QStringLiteral("2")});
    EXPECT_EQ(GridColumn(grid, HistoryGrid::kRecordCol), QStringList{QStringLiteral("2")});
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(HistoryRecordsTest, ClearingHistoryAsksForTheWholeRange)
{
    Workspace other;
    MakeFormat(other, QStringLiteral("进账单"));
    other.SetBoxContent(3, QStringLiteral("别的"));
    ASSERT_EQ(Records().StoreRecord(other), 1);
    HistoryGrid grid(Db(), mApp.progress);
    grid.LoadHistoryGrid(mWs, HistoryGrid::kTabLimit);
    EXPECT_FALSE(Records().ClearHistory(grid)); // no bills: no question
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());

    StoreBills(3);
    grid.Invalidate();
    grid.LoadHistoryGrid(mWs, HistoryGrid::kTabLimit);
    EXPECT_FALSE(Records().ClearHistory(grid));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("您确定要删除第1至第3行？")});
    EXPECT_EQ(grid.DataRowCount(), 3);
    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Records().ClearHistory(grid));
    EXPECT_EQ(grid.DataRowCount(), 0);
    EXPECT_EQ(grid.grid().RowCount(), HistoryGrid::kFirstDataRow);
    EXPECT_TRUE(Numbers(mWs.formatName).isEmpty());
    EXPECT_EQ(Numbers(QStringLiteral("进账单")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(Records().NextRecordNumber(mWs.formatName), 1);
}

TEST_F(HistoryRecordsTest, SearchingContinuesAfterTheHitAndWraps)
{
    // Newest first in the grid: rows 2–6 hold bills 5 to 1.
    const QStringList payees{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("张三丰"),
                             QStringLiteral("O'Brien 100% a_b"), QStringLiteral("王五")};
    for (const QString& payee : payees) {
        Fill(payee);
        Records().StoreRecord(mWs);
    }
    HistoryGrid grid(Db(), mApp.progress);
    grid.LoadHistoryGrid(mWs, 0);
    const int last = grid.LastBoxCol();
    ASSERT_GT(last, HistoryGrid::kFirstBoxCol);

    // The search starts on the current row (bill 5, 王五) and stops at bill 3, 张三丰.
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("张三")));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.RowSel(), 4);
    EXPECT_EQ(grid.TopRow(), 4);
    EXPECT_EQ(grid.Col(), HistoryGrid::kFirstBoxCol);
    EXPECT_EQ(grid.ColSel(), last);
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("  张三 ")));
    EXPECT_EQ(grid.Row(), 6); // bill 1, 张三
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("张三")));
    EXPECT_EQ(grid.Row(), 4); // wrapped to the top and on
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());

    // The only hit is the selected row itself: found again after going round.
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("丰")));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("丰")));
    EXPECT_EQ(grid.Row(), 4);

    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("% a_")));
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("'B")));
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());

    // A current cell that does not cover its row is searched itself.
    grid.SetCurrent(6, HistoryGrid::kFirstBoxCol);
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("张三")));
    EXPECT_EQ(grid.Row(), 6);
}

TEST_F(HistoryRecordsTest, ASearchWithoutHitTellsAndKeepsTheSelection)
{
    StoreBills(3);
    HistoryGrid grid(Db(), mApp.progress);
    grid.LoadHistoryGrid(mWs, 0);
    grid.SetCurrent(3, 2);
    EXPECT_FALSE(Records().FindInHistory(grid, QStringLiteral("赵六")));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("没有查到相关的记录！")});
    EXPECT_EQ(grid.Row(), 3);
    // The record and running numbers are not searched.
    EXPECT_FALSE(Records().FindInHistory(grid, QStringLiteral("序号")));
    EXPECT_EQ(mApp.prompter.shown.size(), 2);
    // Blank keywords do nothing at all.
    EXPECT_FALSE(Records().FindInHistory(grid, QStringLiteral("   ")));
    EXPECT_EQ(mApp.prompter.shown.size(), 2);
    // Amounts are searched as well as payees: bill 2 holds 200.
    EXPECT_TRUE(Records().FindInHistory(grid, QStringLiteral("200")));
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.grid().Text(grid.Row(), HistoryGrid::kRecordCol), QStringLiteral("2"));
}

TEST_F(HistoryRecordsTest, AnEmptyGridIsNotSearched)
{
    HistoryGrid grid(Db(), mApp.progress);
    grid.LoadHistoryGrid(mWs, 0);
    EXPECT_FALSE(Records().FindInHistory(grid, QStringLiteral("张三")));
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
}

} // namespace
} // namespace kestrio
