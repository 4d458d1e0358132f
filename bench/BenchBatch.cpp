// Batch data: importing 30,000 CSV rows of 20 columns into the batch grid, and a thousand
// demo cheques printed into one PDF from a CSV file (import, filling as typed, printing)
// against the same thousand bills, filled beforehand, printed by PrintAllBills directly.
#include "DemoApplication.h"
#include "app/AppContext.h"
#include "app/ConsolePrompter.h"
#include "app/QtUserSettings.h"
#include "batch/BatchGrid.h"
#include "batch/BatchImport.h"
#include "batch/BatchPrintJob.h"
#include "entry/EntryKit.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/PainterSurface.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "startup/StartupSequence.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace kestrio;

constexpr int kBills = 1000;
constexpr int kImportRows = 30000;
constexpr int kImportColumns = 20;

struct Fixture : DemoApplication {
    Workspace ws;
    QHash<qint64, QString> chequeMap;
    QString wideCsv;
    QString chequeCsv;

    Fixture()
    {
        FormatStore(app->DbOp(), progress, screen).LoadFormat(ws, QStringLiteral("转账支票"));
        EntryKit(*app).entry.FillDateBoxes(ws);
        const QStringList labels = {QStringLiteral("收款人"), QStringLiteral("小写金额"), QStringLiteral("用途"),
                                    QStringLiteral("付款行名称"), QStringLiteral("出票人账号")};
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
            const qsizetype at = labels.indexOf(ws.table.Text(row, ElementTable::ColLbl));
            if (at >= 0) chequeMap.insert(ws.table.Id(row), QString(QChar(char16_t(u'A' + at))));
        }
        wideCsv = Write(QStringLiteral("wide.csv"), WideRows());
        chequeCsv = Write(QStringLiteral("cheques.csv"), ChequeRows());
    }

    QString Write(const QString& name, const QString& text)
    {
        const QString path = QDir(dir.path()).filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) std::exit(1);
        file.write(text.toUtf8());
        return path;
    }

    static QString WideRows()
    {
        QString text;
        for (int r = 0; r < kImportRows; ++r) {
            for (int c = 0; c < kImportColumns; ++c) {
                if (c > 0) text += u',';
                text += c == 3 ? QStringLiteral("\"北京市海淀区,第%1号\"").arg(r) : QStringLiteral("单元%1-%2").arg(r).arg(c);
            }
            text += QStringLiteral("\r\n");
        }
        return text;
    }

    static QString ChequeRows()
    {
        QString text;
        for (int i = 0; i < kBills; ++i) {
            const QString fen = QStringLiteral("%1").arg(i % 100, 2, 10, QLatin1Char('0'));
            text += QStringLiteral("长城贸易公司第%1分公司,%2.%3,货款,中国工商银行北京分行,0200001234567890123\r\n")
                        .arg(i + 1)
                        .arg(1000 + 37 * i)
                        .arg(fen);
        }
        return text;
    }
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

// (a) 30,000 rows × 20 columns read and put into the grid through a mapping of 20 boxes'
// worth of columns (every text box of the cheque maps a column of its own).
void ImportCsv30000Rows20Columns(benchmark::State& state)
{
    Fixture& f = Data();
    QHash<qint64, QString> map;
    int column = 0;
    for (int row = ElementTable::kFirstRow; row < f.ws.table.RowCount(); ++row)
        if (f.ws.table.KindOf(row) == ElementTable::TextBox)
            map.insert(f.ws.table.Id(row), QString(QChar(char16_t(u'A' + column++ % kImportColumns))));
    for (auto _ : state) {
        BatchGrid grid;
        const auto outcome = BatchImport::Run({f.wideCsv, {}, map, 1, kImportRows, 1}, f.ws, grid, f.progress);
        if (!outcome.ok || grid.BillCount() != kImportRows) state.SkipWithError("the rows were not imported");
    }
    state.SetItemsProcessed(state.iterations() * kImportRows);
}
BENCHMARK(ImportCsv30000Rows20Columns)->Unit(benchmark::kMillisecond)->Iterations(5);

// (b) The thousand cheques from the CSV file: import, each bill filled as typed, one PDF job.
void BatchOfThousandFromCsv(benchmark::State& state)
{
    Fixture& f = Data();
    const QString pdf = QDir(f.dir.path()).filePath(QStringLiteral("batch.pdf"));
    for (auto _ : state) {
        Workspace ws = f.ws;
        BatchGrid grid;
        BatchImport::Run({f.chequeCsv, {}, f.chequeMap, 1, 0, 1}, ws, grid, f.progress);
        auto surface = PainterSurface::ForPdf(pdf, 240, 80);
        FixedDestination destination(*surface);
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(*f.app, ws, 0), nullptr, f.prompter, f.progress);
        EntryKit kit(*f.app);
        if (BatchPrintJob(grid, kit.entry).PrintAll(printer, ws) != BatchPrintJob::Outcome::Printed)
            state.SkipWithError("the batch was not printed");
    }
    state.SetItemsProcessed(state.iterations() * kBills);
}
BENCHMARK(BatchOfThousandFromCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

// (c) The same thousand bills filled beforehand (not timed), printed by PrintAllBills.
void DirectPrintAllBillsThousand(benchmark::State& state)
{
    Fixture& f = Data();
    std::vector<Workspace> bills;
    {
        Workspace ws = f.ws;
        BatchGrid grid;
        BatchImport::Run({f.chequeCsv, {}, f.chequeMap, 1, 0, 1}, ws, grid, f.progress);
        EntryKit kit(*f.app);
        for (int i = 0; i < kBills; ++i) {
            grid.ShowBill(i, ws, kit.entry);
            bills.push_back(ws);
        }
    }
    const QString pdf = QDir(f.dir.path()).filePath(QStringLiteral("direct.pdf"));
    for (auto _ : state) {
        Workspace ws = f.ws;
        auto surface = PainterSurface::ForPdf(pdf, 240, 80);
        FixedDestination destination(*surface);
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(*f.app, ws, 0), nullptr, f.prompter, f.progress);
        const bool ok = printer.PrintAllBills(
            ws, kBills, [&bills](int i, Workspace& target) { return (target = bills[std::size_t(i)], true); }, {});
        if (!ok) state.SkipWithError("the bills were not printed");
    }
    state.SetItemsProcessed(state.iterations() * kBills);
}
BENCHMARK(DirectPrintAllBillsThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // Fonts are measured and drawn: a GUI application, offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
