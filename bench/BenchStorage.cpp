// Lookups on a history of 1,000,000 rows, as autocompletion and related-box filling do them.
#include "HistoryFixture.h"
#include "app/AppContext.h"
#include "app/QtUserSettings.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "startup/StartupSequence.h"
#include "storage/DerivedKey.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
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

// One derivation of a file key, as the engine would make it on every open of a file.
void DeriveKey(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(DerivedKey::KeyValueFor(DbOperate::DatabaseKey(), DerivedKey::NewSalt()));
}
BENCHMARK(DeriveKey)->Unit(benchmark::kMillisecond);

// A first start in an empty folder, windows aside: the database made with the demo formats,
// opened, upgraded, the day's backup written and checked.
void ColdFirstStart(benchmark::State& state)
{
    QTextStream err(stderr);
    ConsolePrompter prompter(err);
    SilentProgress progress;
    FixedScreenInfo screen;
    SystemClock clock;
    int derivations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QtUserSettings settings(QDir(dir.path()).filePath(QStringLiteral("settings.ini")));
        AppContext app(AppPaths(dir.path()), AppContext::Seams{prompter, progress, settings, screen, clock});
        const int before = DerivedKey::Derivations();
        state.ResumeTiming();
        StartupSequence::Start(app);
        state.PauseTiming();
        derivations = DerivedKey::Derivations() - before;
        app.Db().Close();
        state.ResumeTiming();
    }
    state.counters["derivations"] = derivations;
}
BENCHMARK(ColdFirstStart)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

KESTRIO_QT_BENCHMARK_MAIN()
