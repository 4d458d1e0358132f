// Loading and saving a format of 200 elements, without any window.
#include "HistoryFixture.h"
#include "QtBenchmarkMain.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace kestrio;

struct Fixture : bench::KeptDatabase {
    QTemporaryDir dir;
    std::unique_ptr<FormatStore> store;

    Fixture()
    {
        OpenKept(dir.path());
        store = std::make_unique<FormatStore>(*op, progress, screen);
        // 200 boxes, each in a same-content ring with its neighbour and summed into the first.
        Workspace ws;
        ws.formatName = QStringLiteral("两百个框");
        for (int i = 0; i < 200; ++i) {
            const int row = ws.table.AddElementRow(i % 5);
            ws.table.SetText(row, ElementTable::ColLbl, QStringLiteral("框_%1").arg(i));
            ws.table.SetText(row, ElementTable::ColX, QString::number(i % 20 * 10.5));
            ws.table.SetText(row, ElementTable::ColCash, QStringLiteral("103"));
        }
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
            const int next = row + 1 < ws.table.RowCount() ? row + 1 : ElementTable::kFirstRow;
            ws.table.SetText(row, ElementTable::ColRCtl, QString::number(ws.table.Id(next)));
            ws.table.SetText(row, ElementTable::ColSumId, QString::number(ws.table.Id(ElementTable::kFirstRow)));
        }
        store->SaveFormat(ws);
    }
};

Fixture& Data()
{
    static Fixture* fixture = new Fixture;
    return *fixture;
}

void LoadFormat200(benchmark::State& state)
{
    Fixture& f = Data();
    for (auto _ : state) {
        Workspace ws;
        f.store->LoadFormat(ws, QStringLiteral("两百个框"));
        if (ws.table.RowCount() != 202) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(LoadFormat200)->Unit(benchmark::kMillisecond);

void SaveFormat200InPlace(benchmark::State& state)
{
    Fixture& f = Data();
    Workspace ws;
    f.store->LoadFormat(ws, QStringLiteral("两百个框"));
    for (auto _ : state) {
        if (!f.store->SaveFormat(ws)) state.SkipWithError("save failed");
    }
}
BENCHMARK(SaveFormat200InPlace)->Unit(benchmark::kMillisecond);

void SaveFormat200UnderNewName(benchmark::State& state)
{
    Fixture& f = Data();
    int copy = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws;
        f.store->LoadFormat(ws, QStringLiteral("两百个框"));
        state.ResumeTiming();
        if (!f.store->SaveFormat(ws, QStringLiteral("副本%1").arg(++copy))) state.SkipWithError("save failed");
    }
}
BENCHMARK(SaveFormat200UnderNewName)->Unit(benchmark::kMillisecond);

} // namespace

KESTRIO_QT_BENCHMARK_MAIN()
