// Statistics over 100,000 bills of one format (1,000,000 历史 rows, ten boxes a bill) dated
// across one year: capital year, month and day boxes, a full-date box, a capital and a
// lower-case amount, twenty payees. Made once in $TMPDIR/kestrio-bench-stats and kept.
#include "HistoryFixture.h"
#include "QtBenchmarkMain.h"
#include "app/ConsolePrompter.h"
#include "convert/CapitalAmount.h"
#include "convert/DateText.h"
#include "convert/Money.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "stats/MonthlyStatistics.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/SchemaUpgrade.h"
#include "storage/ShippedDatabase.h"

#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

namespace {

using namespace kestrio;

constexpr int kBills = 100000;
const QString kFormat = QStringLiteral("统计支票");

struct Fixture : bench::KeptDatabase {
    QVector<StatBoxes::Element> elements;

    Fixture()
    {
        const bool fresh = OpenKept(
            qEnvironmentVariable("KESTRIO_BENCH_DIR", QDir::temp().filePath(QStringLiteral("kestrio-bench-stats"))));
        if (fresh) Fill();
        elements = StatBoxes::LoadElements(*op, kFormat);
    }

    void Fill()
    {
        Workspace ws;
        ws.formatName = kFormat;
        const std::pair<const char*, const char*> boxes[] = {{"年", "100"},    {"月", "101"},  {"日", "102"},
                                                             {"日期", "110"},  {"大写金额", "103"}, {"小写金额", "104"},
                                                             {"收款人", "0"},  {"用途", "0"},  {"账号", "0"},
                                                             {"备注", "0"}};
        for (const auto& [label, code] : boxes) {
            const int row = ws.table.AddElementRow(ElementTable::TextBox);
            ws.table.SetText(row, ElementTable::ColLbl, QString::fromUtf8(label));
            ws.table.SetText(row, ElementTable::ColCash, QString::fromUtf8(code));
        }
        FormatStore(*op, progress, screen).SaveFormat(ws);
        QVector<qint64> ids;
        for (const auto& element : StatBoxes::LoadElements(*op, kFormat)) ids << element.id;
        db.ExecuteNative(QStringLiteral("BEGIN"));
        const QString insert = QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(?,?,?,?)");
        const QDate first(2024, 1, 1);
        for (int bill = 1; bill <= kBills; ++bill) {
            const QDate date = first.addDays((bill * 366LL) / (kBills + 1));
            const QString amount = QStringLiteral("%1.%2").arg(bill % 50000).arg(bill % 100, 2, 10, QLatin1Char('0'));
            const QStringList contents{DateText::ToCapitalDatePart(QString::number(date.year()), DateText::Year),
                                       DateText::ToCapitalDatePart(QString::number(date.month()), DateText::Month),
                                       DateText::ToCapitalDatePart(QString::number(date.day()), DateText::Day),
                                       date.toString(QStringLiteral("yyyy年MM月dd日")),
                                       CapitalAmount::ToCapitalAmount(amount, QStringLiteral("元")),
                                       Money::FormatMoney(amount),
                                       QStringLiteral("收款单位%1").arg(bill % 20),
                                       QStringLiteral("货款"),
                                       QStringLiteral("6222%1").arg(bill, 12, 10, QLatin1Char('0')),
                                       QStringLiteral("备注%1").arg(bill % 97)};
            for (int box = 0; box < contents.size(); ++box)
                db.ExecuteNative(insert, {bill, kFormat, ids[box], contents[box]});
        }
        db.ExecuteNative(QStringLiteral("COMMIT"));
    }

    StatBox Box(StatBoxes::Kind kind, const char* label) const
    {
        return StatBoxes::Find(StatBoxes::Build(kind, elements), QString::fromUtf8(label));
    }

    StatRequest Year() const
    {
        StatRequest request;
        request.format = kFormat;
        request.from = QDate(2024, 1, 1);
        request.to = QDate(2024, 12, 31);
        request.dateBox = Box(StatBoxes::FullDate, "日期");
        return request;
    }
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

void Run(benchmark::State& state, const StatRequest& request)
{
    Fixture& f = Data();
    MonthlyStatistics statistics(*f.op, f.progress);
    StatResult result;
    for (auto _ : state) result = statistics.Analyse(request);
    state.counters["months"] = static_cast<double>(result.months.size());
    state.counters["left_out"] = result.leftOut;
}

// The capital amount of the bills of one payee in twenty.
void SumWithCondition(benchmark::State& state)
{
    StatRequest request = Data().Year();
    request.sumAmounts = true;
    request.amountBox = Data().Box(StatBoxes::Amount, "大写金额");
    request.byCondition = true;
    request.conditionBox = Data().Box(StatBoxes::Condition, "收款人");
    request.conditionValue = QStringLiteral("收款单位7");
    Run(state, request);
}
BENCHMARK(SumWithCondition)->Unit(benchmark::kMillisecond);

void SumOfAllBills(benchmark::State& state)
{
    StatRequest request = Data().Year();
    request.sumAmounts = true;
    request.amountBox = Data().Box(StatBoxes::Amount, "大写金额");
    Run(state, request);
}
BENCHMARK(SumOfAllBills)->Unit(benchmark::kMillisecond);

void CountByCapitalDateParts(benchmark::State& state)
{
    StatRequest request = Data().Year();
    request.fullDate = false;
    request.yearBox = Data().Box(StatBoxes::Year, "年");
    request.monthBox = Data().Box(StatBoxes::Month, "月");
    request.dayBox = Data().Box(StatBoxes::Day, "日");
    Run(state, request);
}
BENCHMARK(CountByCapitalDateParts)->Unit(benchmark::kMillisecond);

} // namespace

KESTRIO_QT_BENCHMARK_MAIN()
