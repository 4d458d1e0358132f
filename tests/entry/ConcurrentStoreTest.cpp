// Two programs storing bills into one data folder at once, and a bill that cannot be stored.
#include "TestApp.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "storage/DatabaseCompactor.h"
#include "storage/SqlQuote.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

namespace kestrio {
namespace {

using Col = ElementTable::Column;
constexpr int kBills = 200;

struct Stored {
    qint64 number = 0;
    QString payee;
};

// One writer with a connection of its own, as a second program has: every bill carries who
// wrote it and its sequence, in two boxes, so that a mixed bill shows.
std::vector<Stored> StoreBills(const QString& folder, int writer)
{
    test::TestApp app(folder);
    std::vector<Stored> stored;
    if (!app.Open()) return stored;
    Workspace ws;
    FormatStore(app.app->DbOp(), app.progress, app.screen).LoadFormat(ws, QStringLiteral("并发"));
    HistoryRecords records(app.app->DbOp(), app.prompter);
    for (int i = 0; i < kBills; ++i) {
        const QString payee = QStringLiteral("写入%1-第%2张").arg(writer).arg(i);
        ws.SetBoxContent(ElementTable::kFirstRow, payee);
        ws.SetBoxContent(ElementTable::kFirstRow + 1, payee + QStringLiteral("元"));
        QString error;
        stored.push_back({records.TryStoreRecord(ws, &error), payee});
    }
    return stored;
}

void SaveTwoBoxFormat(test::TestApp& app)
{
    Workspace ws;
    ws.formatName = QStringLiteral("并发");
    for (const char* caption : {"收款人", "金额"})
        ws.table.SetText(ws.table.AddElementRow(ElementTable::TextBox), Col::ColLbl, QString::fromUtf8(caption));
    ASSERT_TRUE(FormatStore(app.app->DbOp(), app.progress, app.screen).SaveFormat(ws));
}

// Every bill reported stored is there, whole, under its own number.
void ExpectAllStored(DbOperate& db, const std::vector<Stored>& bills)
{
    std::set<qint64> numbers;
    for (const Stored& bill : bills) {
        ASSERT_GT(bill.number, 0) << bill.payee.toStdString();
        numbers.insert(bill.number);
        Recordset rows = db.OpenQuery(QStringLiteral("SELECT Con FROM 历史 WHERE Fmt='并发' AND ID=") +
                                      QString::number(bill.number) + QStringLiteral(" ORDER BY CID"));
        QStringList contents;
        for (; !rows.Eof(); rows.MoveNext()) contents << rows.Text(0);
        EXPECT_EQ(contents, QStringList({bill.payee, bill.payee + QStringLiteral("元")})) << bill.number;
    }
    EXPECT_EQ(numbers.size(), bills.size());
    EXPECT_EQ(*numbers.rbegin(), static_cast<qint64>(bills.size()));
}

TEST(ConcurrentStore, TwoWritersLoseAndMixNothing)
{
    test::TestApp first;
    ASSERT_TRUE(first.OpenEmpty());
    SaveTwoBoxFormat(first);

    std::vector<Stored> a, b;
    std::thread one([&] { a = StoreBills(first.Folder(), 1); });
    std::thread two([&] { b = StoreBills(first.Folder(), 2); });
    one.join();
    two.join();
    a.insert(a.end(), b.begin(), b.end());
    ASSERT_EQ(a.size(), 2u * kBills);
    ExpectAllStored(first.app->DbOp(), a);
}

// The window compacts the file again and again while two programs store bills.
TEST(ConcurrentStore, CompactionBesideTwoWritersLosesNothing)
{
    test::TestApp first;
    ASSERT_TRUE(first.OpenEmpty());
    SaveTwoBoxFormat(first);
    DbOperate& db = first.app->DbOp();
    // Free pages for the compaction to take away.
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("CREATE TABLE 废弃(Con MEMO)")));
    for (int i = 0; i < 200; ++i)
        db.ExecuteSql(QStringLiteral("INSERT INTO 废弃(Con) VALUES('%1')").arg(QString(300, QChar(0x58F9))));
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("DROP TABLE 废弃")));

    std::vector<Stored> a, b;
    std::atomic<int> running{2};
    std::thread one([&] { a = StoreBills(first.Folder(), 1); --running; });
    std::thread two([&] { b = StoreBills(first.Folder(), 2); --running; });
    int compactions = 0;
    while (running > 0) {
        EXPECT_TRUE(DatabaseCompactor(db, first.prompter, first.progress)
                        .CompactDatabase(first.DatabasePath(), DbOperate::DatabaseKey(), compactions % 4 == 0))
            << first.prompter.shown.join(QLatin1Char('\n')).toStdString();
        ++compactions;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    one.join();
    two.join();
    EXPECT_GT(compactions, 2);
    a.insert(a.end(), b.begin(), b.end());
    ASSERT_EQ(a.size(), 2u * kBills);
    ExpectAllStored(db, a);
}

// A row the engine refuses halfway through a bill: nothing of the bill stays, the caller
// is told, and the number is not used up.
TEST(ConcurrentStore, BillIsStoredWholeOrNotAtAll)
{
    test::TestApp t;
    ASSERT_TRUE(t.OpenEmpty());
    Workspace ws;
    ws.formatName = QStringLiteral("半张");
    for (const char* caption : {"甲", "乙", "丙"})
        ws.table.SetText(ws.table.AddElementRow(ElementTable::TextBox), Col::ColLbl, QString::fromUtf8(caption));
    ASSERT_TRUE(FormatStore(t.app->DbOp(), t.progress, t.screen).SaveFormat(ws));
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) ws.SetBoxContent(row, QStringLiteral("内容"));
    ws.SetBoxContent(ElementTable::kFirstRow + 2, QStringLiteral("坏"));
    ASSERT_TRUE(t.app->Db().ExecuteNative(QStringLiteral(
        "CREATE TEMP TRIGGER refuse BEFORE INSERT ON 历史 WHEN NEW.Con='坏' BEGIN SELECT RAISE(ABORT,'磁盘写入失败'); END")));
    HistoryRecords records(t.app->DbOp(), t.prompter);
    EXPECT_EQ(records.StoreRecord(ws), -1);
    ASSERT_EQ(t.prompter.shown.size(), 1);
    EXPECT_TRUE(t.prompter.shown.first().startsWith(HistoryRecords::StoreFailedText()));
    EXPECT_TRUE(t.prompter.shown.first().contains(QStringLiteral("磁盘写入失败")));
    EXPECT_EQ(t.app->Db().ScalarNative(QStringLiteral("SELECT count(*) FROM 历史")).toInt(), 0);
    ws.SetBoxContent(ElementTable::kFirstRow + 2, QStringLiteral("好"));
    EXPECT_EQ(records.StoreRecord(ws), 1);
}

} // namespace
} // namespace kestrio
