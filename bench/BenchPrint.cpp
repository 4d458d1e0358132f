// Printing the demo 转账支票 into a PDF: a thousand bills in one job, and what the first bill
// of a job costs (the fitted font sizes are searched) against the second (they are cached).
#include "DemoApplication.h"
#include "DemoCheque.h"
#include "app/AppContext.h"
#include "app/ConsolePrompter.h"
#include "app/QtUserSettings.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/PainterSurface.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "startup/StartupSequence.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using namespace kestrio;

constexpr int kBills = 1000;

// A fresh application folder with the demo formats, and bills of 转账支票 filled as a clerk
// fills them: dates from the clock, then the boxes TypeDemoCheque types.
struct Fixture : DemoApplication {
    std::vector<Workspace> bills;

    Fixture()
    {
        Workspace ws;
        FormatStore(app->DbOp(), progress, screen).LoadFormat(ws, QStringLiteral("转账支票"));
        const BoxConverter converter(clock);
        AutoFill autoFill(app->DbOp(), clock);
        DataEntry entry(converter, autoFill);
        entry.FillDateBoxes(ws);
        bills.reserve(kBills);
        for (int i = 0; i < kBills; ++i) {
            TypeDemoCheque(ws, entry, i);
            bills.push_back(ws);
        }
    }
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

// The processor time of this thread in seconds: the shared build machine is often busy, and
// a bill is a few milliseconds of one thread's work.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The fastest repetition, next to mean and median: on a busy machine the other programs only
// ever add time.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// (a) A thousand bills into one PDF file, one job: PrintBill(ws, false, false) per bill on the
// PDF surface, then endDocument. The second variant forgets the fitted sizes before every
// bill, as a printer without the cache would search them again for each bill.
void ThousandBills(benchmark::State& state, bool forgetSizes)
{
    Fixture& f = Data();
    const QString path = QDir(f.dir.path()).filePath(QStringLiteral("thousand.pdf"));
    int searches = 0;
    for (auto _ : state) {
        auto surface = PainterSurface::ForPdf(path, 240, 80);
        FixedDestination destination(*surface);
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(*f.app, f.bills.front(), 0), nullptr, f.prompter,
                            f.progress);
        for (Workspace& ws : f.bills) {
            if (forgetSizes) printer.Renderer().FontSizes().Clear();
            if (!printer.PrintBill(ws, false, false)) state.SkipWithError("a bill was not printed");
        }
        if (!surface->endDocument()) state.SkipWithError("the job did not finish");
        searches = printer.Renderer().FontSizes().Searches();
    }
    state.SetItemsProcessed(state.iterations() * kBills);
    state.counters["searches"] = searches;
    state.counters["pdf_MiB"] = double(QFileInfo(path).size()) / (1024 * 1024);
}

void ThousandBillsIntoOnePdf(benchmark::State& state) { ThousandBills(state, false); }
void ThousandBillsSearchingEveryBill(benchmark::State& state) { ThousandBills(state, true); }
BENCHMARK(ThousandBillsIntoOnePdf)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(ThousandBillsSearchingEveryBill)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->ComputeStatistics("min", Fastest);

// (b) The first bill of a job (a fresh printer, no fitted size known yet) and the second bill of
// the same job (every size cached; it also starts its page, which writes out the first one).
// Only the one PrintBill is timed, in processor time of the thread (the wall time is the counter
// wall_us). The third variant is a first bill whose printer was told the two sizes beforehand:
// the same work as the first bill without the searches.
void BillOfAJob(benchmark::State& state, int which, bool sizesKnown)
{
    Fixture& f = Data();
    int searchesInTimedBill = 0;
    double wall = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        auto surface = PainterSurface::ForPdf(buffer, 240, 80);
        FixedDestination destination(*surface);
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(*f.app, f.bills[0], 0), nullptr, f.prompter,
                            f.progress);
        if (sizesKnown) {
            PrintSurface::Font font;
            font.name = QStringLiteral("宋体");
            for (const double points : {12.0, 10.5}) {
                font.pointSize = points;
                printer.Renderer().FontSizes().Fit(*surface, font, 240);
            }
        }
        for (int i = 1; i < which; ++i) printer.PrintBill(f.bills[i - 1], false, false);
        const int before = printer.Renderer().FontSizes().Searches();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadSeconds();
        const bool ok = printer.PrintBill(f.bills[which - 1], false, false);
        const double cpu = ThreadSeconds() - cpuStart;
        wall += Seconds(std::chrono::steady_clock::now() - start);
        if (!ok) state.SkipWithError("the bill was not printed");
        state.SetIterationTime(cpu);
        searchesInTimedBill = printer.Renderer().FontSizes().Searches() - before;
        surface->endDocument();
    }
    state.counters["searches"] = searchesInTimedBill;
    state.counters["wall_us"] = benchmark::Counter(wall * 1e6, benchmark::Counter::kAvgIterations);
}

void FirstBillOfAJob(benchmark::State& state) { BillOfAJob(state, 1, false); }
void SecondBillOfAJob(benchmark::State& state) { BillOfAJob(state, 2, false); }
void FirstBillSizesKnown(benchmark::State& state) { BillOfAJob(state, 1, true); }
BENCHMARK(FirstBillOfAJob)->UseManualTime()->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(SecondBillOfAJob)->UseManualTime()->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(FirstBillSizesKnown)->UseManualTime()->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

// The fitted-size search itself, for the two fonts of the cheque (宋体 12 and 10.5 points) on
// the PDF surface: with an empty cache (two searches) and with both sizes cached.
void FitChequeFonts(benchmark::State& state, bool cached)
{
    Fixture& f = Data();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    auto surface = PainterSurface::ForPdf(buffer, 240, 80);
    FittedFontSizes warm(f.screen, BillPrinter::FullScreenFrameTwips(*f.app));
    PrintSurface::Font font;
    font.name = QStringLiteral("宋体");
    for (auto _ : state) {
        FittedFontSizes fresh(f.screen, BillPrinter::FullScreenFrameTwips(*f.app));
        FittedFontSizes& sizes = cached ? warm : fresh;
        for (const double points : {12.0, 10.5}) {
            font.pointSize = points;
            benchmark::DoNotOptimize(sizes.Fit(*surface, font, 240));
        }
    }
    state.counters["searches_per_iteration"] = cached ? 0.0 : 2.0;
}

void FitChequeFontsEmptyCache(benchmark::State& state) { FitChequeFonts(state, false); }
void FitChequeFontsCached(benchmark::State& state) { FitChequeFonts(state, true); }
BENCHMARK(FitChequeFontsEmptyCache)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(FitChequeFontsCached)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

} // namespace

// Fonts need a GUI application; offscreen, so no display is needed.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Data();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
