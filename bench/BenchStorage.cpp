// Lookups on a history of 1,000,000 rows, as autocompletion and related-box filling do them.
#include "HistoryFixture.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kestrio;

constexpr qint64 kRows = 1'000'000;

struct Shared {
    Database db;
    std::unique_ptr<QTextStream> err;
    std::unique_ptr<ConsolePrompter> prompter;
    std::unique_ptr<DbOperate> op;
};

Shared& Data()
{
    static Shared* shared = [] {
        auto* s = new Shared;
        const QString folder = qEnvironmentVariable("KESTRIO_BENCH_DIR",
                                                    QDir::temp().filePath(QStringLiteral("kestrio-bench-1m")));
        if (!bench::PrepareHistory(folder, kRows)) std::abort();
        const QString path = QDir(folder).filePath(QStringLiteral("DATA.mdb"));
        s->err = std::make_unique<QTextStream>(stderr);
        s->prompter = std::make_unique<ConsolePrompter>(*s->err);
        s->op = std::make_unique<DbOperate>(s->db, *s->prompter, path);
        if (!s->op->OpenDatabase()) std::abort();
        SchemaUpgrade::Run(*s->op);
        return s;
    }();
    return *shared;
}

void FieldWhereByFormatAndRecord(benchmark::State& state)
{
    DbOperate& op = *Data().op;
    int i = 0;
    for (auto _ : state) {
        const int record = 1 + (i++ * 7919) % 5000;
        const QString value = op.FieldWhere(QStringLiteral("历史"),
                                            QStringLiteral("Fmt='格式7' AND ID=%1 AND CID=75").arg(record),
                                            QStringLiteral("Con"));
        if (value.isEmpty()) state.SkipWithError("no row found");
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(FieldWhereByFormatAndRecord)->Unit(benchmark::kMicrosecond);

void FieldWhereByBoxAndContent(benchmark::State& state)
{
    DbOperate& op = *Data().op;
    int i = 0;
    for (auto _ : state) {
        const qint64 row = (i++ * 104729LL) % kRows;
        const qint64 box = ((row / 10) % 20) * 10 + (row % 10) + 2;
        const QString value = op.FieldWhere(QStringLiteral("历史"),
                                            QStringLiteral("CID=%1 AND Con='内容%2'").arg(box).arg(row),
                                            QStringLiteral("ID"));
        if (value.isEmpty()) state.SkipWithError("no row found");
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(FieldWhereByBoxAndContent)->Unit(benchmark::kMicrosecond);

void FieldWhereNoMatch(benchmark::State& state)
{
    DbOperate& op = *Data().op;
    for (auto _ : state) {
        const QString value = op.FieldWhere(QStringLiteral("历史"), QStringLiteral("Fmt='没有' AND ID=1"), QStringLiteral("Con"));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(FieldWhereNoMatch)->Unit(benchmark::kMicrosecond);

void OpenDatabaseWithKey(benchmark::State& state)
{
    const QString path = Data().op->Path();
    for (auto _ : state) {
        Database db;
        if (!db.Open(path, DbOperate::DatabaseKey())) state.SkipWithError("open failed");
    }
}
BENCHMARK(OpenDatabaseWithKey)->Unit(benchmark::kMillisecond);

} // namespace

KESTRIO_QT_BENCHMARK_MAIN()
