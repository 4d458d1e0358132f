// The history grid: layout, newest bills first, the bill limit and "显示全部".
#include "RecordingProgress.h"
#include "TestApp.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "storage/Transaction.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

using test::RecordingProgress;

class HistoryGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        Db().ExecuteSql(QStringLiteral("DELETE * FROM 历史"));
        MakeFormat(mWs, QStringLiteral("支票's \"A\""));
    }

    DbOperate& Db() { return mApp.app->DbOp(); }
    HistoryRecords Records() { return {Db(), mApp.prompter}; }

    // Box columns follow the element IDs, not the kinds: payee, cash, amount, seal.
    void MakeFormat(Workspace& ws, const QString& name)
    {
        ws.formatName = name;
        ElementTable& t = ws.table;
        for (auto [kind, caption] : {std::pair{ElementTable::TextBox, "收款人"}, {ElementTable::CheckBox, "现金"},
                                     {ElementTable::TextBox, "金额"}, {ElementTable::PictureBox, "印章"},
                                     {ElementTable::Line, "线条"}, {ElementTable::Label, "标签"}})
            t.SetText(t.AddElementRow(kind), Col::ColLbl, QString::fromUtf8(caption));
        FormatStore store(Db(), mApp.progress, mApp.screen);
        ASSERT_TRUE(store.SaveFormat(ws));
    }
    static constexpr int kPayee = 2, kCash = 3, kAmount = 4, kSeal = 5, kLine = 6;
    QString IdText(int row) const { return QString::number(mWs.table.Id(row)); }

    void StoreBill(const QString& payee, const QString& amount, bool cash, const QString& seal)
    {
        mWs.SetBoxContent(kPayee, payee);
        mWs.SetBoxContent(kAmount, amount);
        mWs.SetBoxContent(kCash, cash ? QStringLiteral("1") : QString());
        mWs.SetBoxContent(kSeal, seal);
        ASSERT_GT(Records().StoreRecord(mWs), 0);
    }

    // Writes history rows straight into the table: bill `number` with the boxes of `rows`.
    void AddRawBill(Recordset& q, qint64 number, const QList<int>& rows)
    {
        for (int row : rows) {
            q.AddNew();
            q.SetValue(QStringLiteral("ID"), number);
            q.SetValue(QStringLiteral("Fmt"), mWs.formatName);
            q.SetValue(QStringLiteral("CID"), mWs.table.Id(row));
            q.SetValue(QStringLiteral("Con"), QStringLiteral("%1-%2").arg(number).arg(row));
            ASSERT_TRUE(q.Update());
        }
    }
    // Bills 1–250 with four rows each and bill 251 with two: 1002 rows.
    void AddThousandRows()
    {
        Transaction transaction(mApp.app->Db());
        Recordset q = Db().OpenQuery(QStringLiteral("SELECT * FROM 历史 WHERE FALSE"));
        for (int number = 1; number <= 250; ++number) AddRawBill(q, number, {kPayee, kCash, kAmount, kSeal});
        AddRawBill(q, 251, {kPayee, kAmount});
        ASSERT_TRUE(transaction.Commit());
    }

    // The row without its last column, the time the bill was stored (checked on its own).
    static QStringList RowTexts(const Grid& grid, int row)
    {
        QStringList texts;
        for (int col = 0; col < grid.ColCount() - 1; ++col) texts << grid.Text(row, col);
        return texts;
    }
    static int FilledBoxCells(const Grid& grid, int firstRow, int lastRow)
    {
        int filled = 0;
        for (int row = firstRow; row <= lastRow; ++row)
            for (int col = HistoryGrid::kFirstBoxCol; col < grid.ColCount() - 1; ++col) filled += grid.Text(row, col).isEmpty() ? 0 : 1;
        return filled;
    }

    test::TestApp mApp;
    RecordingProgress mProgress;
    Workspace mWs;
};

TEST_F(HistoryGridTest, BillsAreRowsNewestFirstAndBoxesAreColumns)
{
    StoreBill(QStringLiteral("甲"), QStringLiteral("100"), true, QString());
    StoreBill(QStringLiteral("乙\r\n丙"), QString(), false, QStringLiteral("s.bmp"));
    StoreBill(QString(), QStringLiteral("3'\"%_"), false, QString());

    HistoryGrid history(Db(), mProgress);
    EXPECT_TRUE(history.LoadHistoryGrid(mWs, HistoryGrid::kTabLimit));
    const Grid& g = history.grid();
    EXPECT_EQ(g.tag, mWs.formatName + QStringLiteral("|300"));
    EXPECT_EQ(g.FixedRows(), 2);
    EXPECT_EQ(g.FixedCols(), 2);
    ASSERT_EQ(g.RowCount(), 5);
    EXPECT_EQ(RowTexts(g, 0), (QStringList{QString(), QString(), IdText(kPayee), IdText(kCash), IdText(kAmount), IdText(kSeal)}));
    EXPECT_EQ(RowTexts(g, 1), (QStringList{QString(), QStringLiteral("序号"), QStringLiteral("收款人"), QStringLiteral("现金"),
                                           QStringLiteral("金额"), QStringLiteral("印章")}));
    EXPECT_EQ(RowTexts(g, 2), (QStringList{QStringLiteral("3"), QStringLiteral("1"), QString(), QString(),
                                           QStringLiteral("3'\"%_"), QString()}));
    EXPECT_EQ(RowTexts(g, 3), (QStringList{QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("乙\r\n丙"), QString(),
                                           QString(), QStringLiteral("s.bmp")}));
    EXPECT_EQ(RowTexts(g, 4), (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("甲"), QStringLiteral("1"),
                                           QStringLiteral("100"), QString()}));
    EXPECT_FALSE(history.ShowAllEnabled());
    EXPECT_EQ(history.FormatName(), mWs.formatName);
    EXPECT_EQ(history.Row(), 2);
    EXPECT_EQ(history.TopRow(), 2);
    EXPECT_EQ(history.Col(), 2);
    EXPECT_TRUE(mProgress.captions.isEmpty()); // few rows: no indicator
}

TEST_F(HistoryGridTest, AnUnchangedRequestDoesNotReload)
{
    Workspace other;
    MakeFormat(other, QStringLiteral("进账单"));
    other.SetBoxContent(2, QStringLiteral("别的"));
    ASSERT_EQ(Records().StoreRecord(other), 1);
    StoreBill(QStringLiteral("甲"), QString(), false, QString());

    HistoryGrid history(Db(), mProgress);
    ASSERT_TRUE(history.LoadHistoryGrid(mWs, HistoryGrid::kTabLimit));
    EXPECT_EQ(history.DataRowCount(), 1);
    StoreBill(QStringLiteral("乙"), QString(), false, QString());
    EXPECT_FALSE(history.LoadHistoryGrid(mWs, HistoryGrid::kTabLimit));
    EXPECT_EQ(history.DataRowCount(), 1);
    // Another limit is another request.
    EXPECT_TRUE(history.LoadHistoryGrid(mWs, 0));
    EXPECT_EQ(history.grid().tag, mWs.formatName + QStringLiteral("|0"));
    EXPECT_EQ(history.DataRowCount(), 2);
    StoreBill(QStringLiteral("丙"), QString(), false, QString());
    history.Invalidate();
    EXPECT_TRUE(history.LoadHistoryGrid(mWs, 0));
    EXPECT_EQ(history.DataRowCount(), 3);
    EXPECT_EQ(history.grid().Text(2, HistoryGrid::kFirstBoxCol), QStringLiteral("丙"));

    // Another format: its own columns and its own bills only.
    EXPECT_TRUE(history.LoadHistoryGrid(other, 0));
    EXPECT_EQ(history.FormatName(), QStringLiteral("进账单"));
    ASSERT_EQ(history.DataRowCount(), 1);
    EXPECT_EQ(history.grid().Text(0, HistoryGrid::kFirstBoxCol), QString::number(other.table.Id(2)));
    EXPECT_EQ(history.grid().Text(2, HistoryGrid::kFirstBoxCol), QStringLiteral("别的"));
}

// A limit counts bills, and every bill shown has all its rows: none is shown, nor
// reprinted, in part.
TEST_F(HistoryGridTest, LimitsCountWholeBills)
{
    AddThousandRows();
    struct Case {
        int limit;
        int rows;
        const char* oldestRecord;
        int filledCells;
        bool showAll;
    };
    const Case cases[] = {
        {HistoryGrid::kTabLimit, 251, "1", 1002, false},
        {0, 251, "1", 1002, false},
        {76, 76, "176", 2 + 75 * 4, true},
        {2, 2, "250", 6, true},
        {1, 1, "251", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        HistoryGrid history(Db(), mProgress);
        ASSERT_TRUE(history.LoadHistoryGrid(mWs, c.limit));
        const Grid& g = history.grid();
        ASSERT_EQ(history.DataRowCount(), c.rows);
        const int last = HistoryGrid::kFirstDataRow + c.rows - 1;
        EXPECT_EQ(g.Text(last, HistoryGrid::kRecordCol), QString::fromLatin1(c.oldestRecord));
        EXPECT_EQ(g.Text(last, HistoryGrid::kNumberCol), QString::number(c.rows));
        EXPECT_EQ(FilledBoxCells(g, HistoryGrid::kFirstDataRow, last), c.filledCells);
        EXPECT_EQ(history.ShowAllEnabled(), c.showAll);
    }
}

TEST_F(HistoryGridTest, TheNewestBillsLoadWithProgressAndShowAllTheRest)
{
    AddThousandRows();
    HistoryGrid history(Db(), mProgress);
    ASSERT_TRUE(history.LoadHistoryGrid(mWs, 76));
    const Grid& g = history.grid();
    // Bill 251 (2 rows), bills 250–176 whole (300 rows).
    ASSERT_EQ(history.DataRowCount(), 76);
    EXPECT_EQ(RowTexts(g, 2), (QStringList{QStringLiteral("251"), QStringLiteral("1"), QStringLiteral("251-2"), QString(),
                                           QStringLiteral("251-4"), QString()}));
    EXPECT_EQ(RowTexts(g, 77), (QStringList{QStringLiteral("176"), QStringLiteral("76"), QStringLiteral("176-2"),
                                            QStringLiteral("176-3"), QStringLiteral("176-4"), QStringLiteral("176-5")}));
    EXPECT_TRUE(history.ShowAllEnabled());
    // The newest bills are read without counting the format's rows first: no indicator.
    EXPECT_TRUE(mProgress.captions.isEmpty());

    // "显示全部"
    ASSERT_TRUE(history.LoadHistoryGrid(mWs, 0));
    ASSERT_EQ(history.DataRowCount(), 251);
    EXPECT_EQ(RowTexts(g, 252), (QStringList{QStringLiteral("1"), QStringLiteral("251"), QStringLiteral("1-2"),
                                             QStringLiteral("1-3"), QStringLiteral("1-4"), QStringLiteral("1-5")}));
    EXPECT_FALSE(history.ShowAllEnabled());
    EXPECT_EQ(mProgress.captions, QStringList{QStringLiteral("正在加载历史记录……")});
    // Counted in record numbers, oldest to newest: no count of the rows is read first.
    EXPECT_EQ(mProgress.totals, QList<int>{251});
    EXPECT_EQ(mProgress.steps, 251);
    EXPECT_EQ(mProgress.closed, 1);
}

TEST_F(HistoryGridTest, ShowAllIsEnabledOnlyWhenRowsWereLeftOut)
{
    for (int n = 0; n < 3; ++n) StoreBill(QStringLiteral("甲"), QStringLiteral("1"), true, QStringLiteral("p")); // 12 rows
    HistoryGrid history(Db(), mProgress);
    history.LoadHistoryGrid(mWs, 12);
    EXPECT_FALSE(history.ShowAllEnabled());
    EXPECT_EQ(history.DataRowCount(), 3);
    history.LoadHistoryGrid(mWs, 13);
    EXPECT_FALSE(history.ShowAllEnabled());
    history.LoadHistoryGrid(mWs, 3);
    EXPECT_FALSE(history.ShowAllEnabled());
    history.LoadHistoryGrid(mWs, 2);
    EXPECT_TRUE(history.ShowAllEnabled());
    EXPECT_EQ(history.DataRowCount(), 2);
    EXPECT_EQ(FilledBoxCells(history.grid(), 2, 3), 8);
    EXPECT_TRUE(mProgress.captions.isEmpty());
}

TEST_F(HistoryGridTest, RowsOfBoxesWithoutAColumnAreSkipped)
{
    {
        Transaction transaction(mApp.app->Db());
        Recordset q = Db().OpenQuery(QStringLiteral("SELECT * FROM 历史 WHERE FALSE"));
        AddRawBill(q, 1, {kPayee, kLine});
        AddRawBill(q, 2, {kLine});
        ASSERT_TRUE(transaction.Commit());
    }
    Db().ExecuteSql(QStringLiteral("UPDATE 历史 SET CID=987654 WHERE ID=1 AND CID=") + IdText(kLine));
    HistoryGrid history(Db(), mProgress);
    history.LoadHistoryGrid(mWs, 0);
    ASSERT_EQ(history.DataRowCount(), 2);
    EXPECT_EQ(RowTexts(history.grid(), 2), (QStringList{QStringLiteral("2"), QStringLiteral("1"), QString(), QString(),
                                                        QString(), QString()}));
    EXPECT_EQ(RowTexts(history.grid(), 3), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1-2"),
                                                        QString(), QString(), QString()}));
}

TEST_F(HistoryGridTest, AFormatWithoutHistoryShowsAnEmptyGrid)
{
    StoreBill(QStringLiteral("甲"), QString(), false, QString());
    HistoryGrid history(Db(), mProgress);
    history.LoadHistoryGrid(mWs, 0);
    Workspace empty;
    MakeFormat(empty, QStringLiteral("空"));
    EXPECT_TRUE(history.LoadHistoryGrid(empty, HistoryGrid::kTabLimit));
    EXPECT_EQ(history.DataRowCount(), 0);
    EXPECT_EQ(history.grid().RowCount(), 2);
    EXPECT_EQ(history.grid().ColCount(), 7);
    EXPECT_EQ(history.grid().Text(1, 2), QStringLiteral("收款人"));
    EXPECT_FALSE(history.ShowAllEnabled());
    EXPECT_EQ(Records().NextRecordNumber(QStringLiteral("空")), 1);
}

// Each bill shows when it was stored, from the program's clock; rows stored before that was
// kept show nothing there.
TEST_F(HistoryGridTest, EachBillShowsTheTimeItWasStored)
{
    {
        Transaction transaction(Db().Db());
        Recordset q = Db().OpenQuery(QStringLiteral("SELECT * FROM 历史 WHERE FALSE"));
        AddRawBill(q, 1, {kPayee, kAmount});
        ASSERT_TRUE(transaction.Commit());
    }
    FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15, 700)));
    mWs.SetBoxContent(kPayee, QStringLiteral("甲"));
    ASSERT_EQ(HistoryRecords(Db(), mApp.prompter, &clock).StoreRecord(mWs), 2);
    clock.Set(QDateTime(QDate(2027, 1, 2), QTime(18, 5, 0)));
    mWs.SetBoxContent(kPayee, QStringLiteral("乙"));
    ASSERT_EQ(HistoryRecords(Db(), mApp.prompter, &clock).StoreRecord(mWs), 3);

    HistoryGrid history(Db(), mProgress);
    history.LoadHistoryGrid(mWs, 0);
    const Grid& g = history.grid();
    ASSERT_EQ(history.DataRowCount(), 3);
    const int timeCol = history.SaveTimeCol();
    EXPECT_EQ(timeCol, history.LastBoxCol() + 1);
    EXPECT_EQ(g.Text(1, timeCol), QStringLiteral("保存时间"));
    EXPECT_EQ(g.Text(0, timeCol), QString()); // names no box: a reprint never fills a box with it
    EXPECT_EQ(g.Text(2, timeCol), QStringLiteral("2027-01-02 18:05:00"));
    EXPECT_EQ(g.Text(3, timeCol), QStringLiteral("2026-12-08 09:30:15"));
    EXPECT_EQ(g.Text(4, timeCol), QString());
    // A search never matches the time.
    EXPECT_FALSE(Records().FindInHistory(history, QStringLiteral("2027")));
}

// A long load tells the view of its bills a few hundred at a time, so that they show while
// the rest are read; a limited load asks for one bill more than it shows, and counts nothing.
TEST_F(HistoryGridTest, BillsArriveInChunksAndTheLimitAsksForOneMore)
{
    ASSERT_TRUE(Db().Db().ExecuteNative(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<1200) "
                       "INSERT INTO 历史(ID,Fmt,CID,Con) SELECT i, ?, ?, 'x'||i FROM n"),
        {mWs.formatName, mWs.table.Id(kPayee)}));
    HistoryGrid history(Db(), mProgress);
    QList<int> told;
    history.SetRowsArrived([&told](int rows) { told << rows; });
    history.LoadHistoryGrid(mWs, 0);
    EXPECT_EQ(told, (QList<int>{0, 500, 1000, 1200}));
    EXPECT_EQ(history.grid().Text(1201, HistoryGrid::kFirstBoxCol), QStringLiteral("x1")); // the oldest bill, last

    struct Case {
        int limit;
        int rows;
        bool more;
    };
    for (const Case& c : {Case{1199, 1199, true}, Case{1200, 1200, false}, Case{1201, 1200, false}, Case{1, 1, true}}) {
        int read = 0;
        history.PrepareColumns(mWs.formatName);
        EXPECT_EQ(history.ReadBills(c.limit, [&read](const QStringList&) { ++read; }), c.more) << c.limit;
        EXPECT_EQ(read, c.rows) << c.limit;
    }
}

} // namespace
} // namespace kestrio
