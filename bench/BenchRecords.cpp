// History with 1,000,000 rows (50,000 bills of 20 boxes across 10 formats): completion,
// calculation with related-content links, storing a bill, and the history grid; and a
// second history of 1,000,000 rows that is one format's 50,000 bills, shown whole.
#include "app/ConsolePrompter.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "HistoryFixture.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/SchemaUpgrade.h"
#include "storage/ShippedDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kestrio;

using Col = ElementTable::Column;

struct Fixture : bench::KeptDatabase {
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 0))};
    std::unique_ptr<FormatStore> store;
    Workspace bill;  // 格式0: 20 boxes
    Workspace forty; // 四十框: payee → account → bank related rings, amount rings, a sum

    Fixture()
    {
        const bool fresh = OpenKept(
            qEnvironmentVariable("KESTRIO_BENCH_DIR", QDir::temp().filePath(QStringLiteral("kestrio-bench-records"))));
        store = std::make_unique<FormatStore>(*op, progress, screen);
        if (fresh) Fill();
        store->LoadFormat(bill, QStringLiteral("格式0"));
        store->LoadFormat(forty, QStringLiteral("四十框"));
    }

    void Fill()
    {
        for (int f = 0; f < 10; ++f) {
            Workspace ws;
            ws.formatName = QStringLiteral("格式%1").arg(f);
            for (int b = 0; b < 20; ++b) {
                const int row = ws.table.AddElementRow(ElementTable::TextBox);
                ws.table.SetText(row, Col::ColLbl, QStringLiteral("框%1").arg(b));
            }
            store->SaveFormat(ws);
        }
        // Rows of one bill follow each other; box b of format f has ID 2 + f*20 + b.
        db.ExecuteNative(QStringLiteral("BEGIN"));
        db.ExecuteNative(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<999999) "
            "INSERT INTO 历史(ID,Fmt,CID,Con) SELECT (i/20)/10+1, '格式'||((i/20)%10), ((i/20)%10)*20+(i%20)+2, "
            "CASE i%20 WHEN 0 THEN '收款人'||((i/20)%700) ELSE '内容'||(i%997) END FROM n"));
        db.ExecuteNative(QStringLiteral("COMMIT"));
        MakeForty();
    }

    // 40 boxes in ten groups of four: payee → −account → −bank → −payee (related content),
    // an amount in capitals ↔ money text (same content) and the money summed into box 40.
    void MakeForty()
    {
        Workspace ws;
        ws.formatName = QStringLiteral("四十框");
        for (int b = 0; b < 40; ++b) {
            const int row = ws.table.AddElementRow(ElementTable::TextBox);
            ws.table.SetText(row, Col::ColLbl, QStringLiteral("框%1").arg(b));
        }
        store->SaveFormat(ws);
        ElementTable& t = ws.table;
        const auto id = [&](int b) { return QString::number(t.Id(ElementTable::kFirstRow + b)); };
        for (int g = 0; g < 9; ++g) {
            const int r = ElementTable::kFirstRow + g * 4;
            t.SetText(r, Col::ColRCtl, QStringLiteral("-") + id(g * 4 + 1));
            t.SetText(r + 1, Col::ColRCtl, QStringLiteral("-") + id(g * 4 + 2));
            t.SetText(r + 2, Col::ColRCtl, QStringLiteral("-") + id(g * 4));
            t.SetText(r + 3, Col::ColCash, QStringLiteral("104"));
            t.SetText(r + 3, Col::ColSumId, id(39));
        }
        t.SetText(ElementTable::kFirstRow + 39, Col::ColCash, QStringLiteral("104"));
        store->SaveFormat(ws);
        HistoryRecords records(*op, prompter);
        for (int n = 0; n < 200; ++n) {
            for (int b = 0; b < 36; ++b)
                ws.SetBoxText(ElementTable::kFirstRow + b, QStringLiteral("值%1_%2").arg(b).arg(n % 50));
            records.StoreRecord(ws);
        }
    }
};

Fixture& Data()
{
    static Fixture* fixture = new Fixture;
    return *fixture;
}

void AutoCompleteQuery(benchmark::State& state)
{
    Fixture& f = Data();
    AutoFill fill(*f.op, f.clock);
    const qint64 payee = f.bill.table.Id(ElementTable::kFirstRow);
    int i = 0;
    for (auto _ : state) {
        // "收款人12x" has exactly one earlier value for some x; others have several.
        benchmark::DoNotOptimize(fill.AutoComplete(f.bill, payee, QStringLiteral("收款人%1").arg(100 + i++ % 600)));
    }
}
BENCHMARK(AutoCompleteQuery)->Unit(benchmark::kMillisecond);

void RecalculateFortyBoxes(benchmark::State& state)
{
    Fixture& f = Data();
    AutoFill fill(*f.op, f.clock);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws = f.forty;
        const int payee = ElementTable::kFirstRow + 4 * (i % 9);
        ws.SetBoxText(payee, QStringLiteral("值%1_%2").arg(4 * (i % 9)).arg(i % 50));
        ws.SetBoxText(payee + 3, QStringLiteral("123.45"));
        ++i;
        state.ResumeTiming();
        fill.RecalculateFrom(ws, ws.table.Id(payee));
        fill.RecalculateFrom(ws, ws.table.Id(payee + 3));
    }
}
BENCHMARK(RecalculateFortyBoxes)->Unit(benchmark::kMillisecond);

void StoreRecordOfTwentyBoxes(benchmark::State& state)
{
    Fixture& f = Data();
    HistoryRecords records(*f.op, f.prompter);
    Workspace ws = f.bill;
    ws.formatName = QStringLiteral("格式9");
    for (int b = 0; b < 20; ++b) ws.SetBoxText(ElementTable::kFirstRow + b, QStringLiteral("测试%1").arg(b));
    for (auto _ : state) benchmark::DoNotOptimize(records.StoreRecord(ws));
    // Leave the history as it was for the next run.
    f.op->ExecuteSql(QStringLiteral("DELETE * FROM 历史 WHERE Fmt='格式9' AND ID>5000"));
}
BENCHMARK(StoreRecordOfTwentyBoxes)->Unit(benchmark::kMillisecond);

// 格式0 as it would be with box 0 related to box 1 (payee → account) and every box a serial
// number; never saved.
Workspace RelatedAndNumbered(const Workspace& bill)
{
    Workspace ws = bill;
    ElementTable& t = ws.table;
    t.SetText(ElementTable::kFirstRow, Col::ColRCtl, QStringLiteral("-") + QString::number(t.Id(ElementTable::kFirstRow + 1)));
    return ws;
}

void CompleteShortPrefix(benchmark::State& state)
{
    Fixture& f = Data();
    AutoFill fill(*f.op, f.clock);
    // Box 1 holds 997 distinct values over 5,000 bills, every one starting with "内".
    const qint64 box = f.bill.table.Id(ElementTable::kFirstRow + 1);
    for (auto _ : state) benchmark::DoNotOptimize(fill.AutoComplete(f.bill, box, QStringLiteral("内")));
}
BENCHMARK(CompleteShortPrefix)->Unit(benchmark::kMillisecond);

void CompleteNeverSeen(benchmark::State& state)
{
    Fixture& f = Data();
    AutoFill fill(*f.op, f.clock);
    const qint64 payee = f.bill.table.Id(ElementTable::kFirstRow);
    for (auto _ : state) benchmark::DoNotOptimize(fill.AutoComplete(f.bill, payee, QStringLiteral("从未出现")));
}
BENCHMARK(CompleteNeverSeen)->Unit(benchmark::kMillisecond);

// Leaving the payee box: the latest bill holding the value fills the account.
void RelatedFill(benchmark::State& state)
{
    Fixture& f = Data();
    AutoFill fill(*f.op, f.clock);
    const Workspace related = RelatedAndNumbered(f.bill);
    const QString value = state.range(0) ? QStringLiteral("收款人12") : QStringLiteral("从未出现的单位");
    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws = related;
        ws.SetBoxText(ElementTable::kFirstRow, value);
        state.ResumeTiming();
        fill.RecalculateFrom(ws, ws.table.Id(ElementTable::kFirstRow));
    }
}
BENCHMARK(RelatedFill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The anchor: the engine's query for the latest bill alone, no translation, no result set.
void EngineLatestBillQuery(benchmark::State& state)
{
    Fixture& f = Data();
    const QVector<QVariant> params{f.bill.table.Id(ElementTable::kFirstRow), QStringLiteral("从未出现的单位"),
                                   QStringLiteral("格式0")};
    for (auto _ : state)
        benchmark::DoNotOptimize(f.db.ScalarNative(
            QStringLiteral("SELECT ID FROM 历史 WHERE CID=? AND Con=? AND Fmt=? ORDER BY ID DESC LIMIT 1"), params));
}
BENCHMARK(EngineLatestBillQuery)->Unit(benchmark::kMillisecond);

void AdvanceTwentyNumbers(benchmark::State& state)
{
    Fixture& f = Data();
    AutoFill fill(*f.op, f.clock);
    Workspace ws = RelatedAndNumbered(f.bill);
    for (int b = 0; b < 20; ++b) ws.table.SetText(ElementTable::kFirstRow + b, Col::ColCash, QStringLiteral("122"));
    for (auto _ : state) fill.AdvanceNumbers(ws);
}
BENCHMARK(AdvanceTwentyNumbers)->Unit(benchmark::kMillisecond);

void LoadHistoryGrid(benchmark::State& state)
{
    Fixture& f = Data();
    HistoryGrid grid(*f.op, f.progress);
    for (auto _ : state) {
        grid.Invalidate();
        grid.LoadHistoryGrid(f.bill, static_cast<int>(state.range(0)));
    }
    state.counters["rows"] = grid.DataRowCount();
}
BENCHMARK(LoadHistoryGrid)->Arg(300)->Arg(0)->Unit(benchmark::kMillisecond);

// One format's 50,000 bills of 20 boxes: 1,000,000 rows. Kept in
// $TMPDIR/kestrio-bench-history-50k.
struct FiftyThousand : bench::KeptDatabase {
    Workspace ws;

    FiftyThousand()
    {
        const bool fresh = OpenKept(QDir::temp().filePath(QStringLiteral("kestrio-bench-history-50k")));
        FormatStore store(*op, progress, screen);
        if (fresh) {
            ws.formatName = QStringLiteral("五万张");
            for (int b = 0; b < 20; ++b)
                ws.table.SetText(ws.table.AddElementRow(ElementTable::TextBox), Col::ColLbl, QStringLiteral("框%1").arg(b));
            store.SaveFormat(ws);
            const qint64 first = ws.table.Id(ElementTable::kFirstRow);
            db.ExecuteNative(QStringLiteral("BEGIN"));
            db.ExecuteNative(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<999999) "
                                            "INSERT INTO 历史(ID,Fmt,CID,Con,SaveTime) SELECT i/20+1, '五万张', %1+(i%20), "
                                            "'内容'||(i%997), '2026-12-08 09:00:00' FROM n")
                                 .arg(first));
            db.ExecuteNative(QStringLiteral("COMMIT"));
        }
        store.LoadFormat(ws, QStringLiteral("五万张"));
    }
};

FiftyThousand& Fifty()
{
    static FiftyThousand* fixture = new FiftyThousand;
    return *fixture;
}

// Resident and peak memory of the process in MiB (VmRSS, VmHWM).
double MemoryMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void ShowAllFiftyThousandBills(benchmark::State& state)
{
    FiftyThousand& f = Fifty();
    const double before = MemoryMiB("VmRSS:");
    double grown = 0;
    for (auto _ : state) {
        HistoryGrid grid(*f.op, f.progress);
        grid.LoadHistoryGrid(f.ws, static_cast<int>(state.range(0)));
        state.counters["bills"] = grid.DataRowCount();
        grown = std::max(grown, MemoryMiB("VmRSS:") - before);
    }
    state.counters["grid_MiB"] = grown;
    state.counters["peak_MiB"] = MemoryMiB("VmHWM:");
}
BENCHMARK(ShowAllFiftyThousandBills)->Arg(300)->Arg(0)->Unit(benchmark::kMillisecond);

// The anchor: the engine reading the same rows one by one, keeping nothing.
void EngineStreamsFiftyThousandBills(benchmark::State& state)
{
    FiftyThousand& f = Fifty();
    const QString sql = HistoryGrid::BillRowsSql(f.ws.formatName);
    for (auto _ : state) {
        qint64 rows = 0;
        f.db.ForEachRow(sql, [&rows](const QVector<QVariant>&) { return ++rows > 0; });
        state.counters["rows"] = static_cast<double>(rows);
    }
}
BENCHMARK(EngineStreamsFiftyThousandBills)->Unit(benchmark::kMillisecond);

} // namespace

KESTRIO_QT_BENCHMARK_MAIN()
