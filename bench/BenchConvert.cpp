// Conversions per second over a million random amounts, as a batch of bills does them.
#include "convert/BoxConverter.h"
#include "seams/Clock.h"

#include <QStringList>
#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace kestrio;

const QStringList& Amounts()
{
    static const QStringList amounts = [] {
        QStringList list;
        list.reserve(1'000'000);
        std::mt19937_64 random(7);
        for (int i = 0; i < 1'000'000; ++i) {
            const qint64 fen = static_cast<qint64>(random() % 100'000'000'000ULL) >> (random() % 30);
            list << QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
        }
        return list;
    }();
    return amounts;
}

void Convert(benchmark::State& state, double code)
{
    const FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    const BoxConverter converter(clock);
    const QStringList& amounts = Amounts();
    for (auto _ : state) {
        for (const QString& amount : amounts) benchmark::DoNotOptimize(converter.ConvertBoxText(code, amount));
    }
    state.SetItemsProcessed(state.iterations() * amounts.size());
}

void CapitalAmount103(benchmark::State& state)
{
    Convert(state, 103);
}
BENCHMARK(CapitalAmount103)->Unit(benchmark::kMillisecond)->Iterations(3);

void MoneyText104(benchmark::State& state)
{
    Convert(state, 104);
}
BENCHMARK(MoneyText104)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
