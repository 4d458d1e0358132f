#include "BatchCommands.h"

#include "CommandLine.h"
#include "app/AppContext.h"
#include "app/OutputFile.h"
#include "app/ConsoleProgress.h"
#include "batch/BatchGrid.h"
#include "batch/BatchImport.h"
#include "batch/BatchPrintJob.h"
#include "batch/GridExport.h"
#include "batch/MappingStore.h"
#include "entry/EntryKit.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/Workspace.h"
#include "print/PdfTextRepair.h"
#include "print/BillPrinter.h"
#include "print/PainterSurface.h"
#include "startup/StartupSequence.h"
#include "storage/Transaction.h"

#include <optional>

#include <QPageSize>
#include <QBuffer>
#include <optional>

namespace kestrio {

namespace {

BatchCommands::PrinterFactory& Factory()
{
    static BatchCommands::PrinterFactory factory;
    return factory;
}

struct BatchOptions {
    QString format, source, sheet, pdf, printer;
    bool toPrinter = false, store = false, allowOverflow = false, allowEmpty = false, skipRefused = false;
    QList<QPair<QString, QString>> maps;
    // Row 1 holds the column headings, as the window assumes.
    int start = 2, end = 0, perBill = 1;
};

// Reads "--name value" pairs; false for anything it does not know or a value missing.
bool ParseBatch(const QStringList& args, BatchOptions& o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"));
        auto number = [&](int& target) {
            bool ok = false;
            target = hasValue ? args[++i].toInt(&ok) : 0;
            return ok && target >= 0;
        };
        if (a == QLatin1String("--store")) o.store = true;
        else if (a == QLatin1String("--allow-overflow")) o.allowOverflow = true;
        else if (a == QLatin1String("--allow-empty")) o.allowEmpty = true;
        else if (a == QLatin1String("--skip-refused")) o.skipRefused = true;
        else if (a == QLatin1String("--print")) {
            o.toPrinter = true;
            if (hasValue) o.printer = args[++i];
        } else if (!hasValue) return false;
        else if (a == QLatin1String("--format")) o.format = args[++i];
        else if (a == QLatin1String("--source")) o.source = args[++i];
        else if (a == QLatin1String("--sheet")) o.sheet = args[++i];
        else if (a == QLatin1String("--pdf")) o.pdf = args[++i];
        else if (a == QLatin1String("--map")) {
            const QString map = args[++i];
            const qsizetype equals = map.indexOf(u'=');
            if (equals <= 0) return false;
            o.maps.append({map.left(equals), map.mid(equals + 1)});
        } else if (a == QLatin1String("--start")) { if (!number(o.start)) return false; }
        else if (a == QLatin1String("--end")) { if (!number(o.end)) return false; }
        else if (a == QLatin1String("--per-bill")) { if (!number(o.perBill)) return false; }
        else return false;
    }
    return !o.format.isEmpty() && !o.source.isEmpty() && o.toPrinter == o.pdf.isEmpty();
}

// The expressions by element ID: the --map pairs by box caption, else the stored mapping.
bool Expressions(AppContext& app, const Workspace& ws, const BatchOptions& o, QHash<qint64, QString>& expressions,
                 QTextStream& err)
{
    if (o.maps.isEmpty()) expressions = MappingStore(app.DbOp()).Load(o.format);
    for (const auto& [label, expression] : o.maps) {
        int found = -1;
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount() && found < 0; ++row)
            if (ws.table.KindOf(row) <= ElementTable::PictureBox && ws.table.Text(row, ElementTable::ColLbl) == label)
                found = row;
        if (found < 0) {
            err << QStringLiteral("格式“") << o.format << QStringLiteral("”中没有标签为“") << label
                << QStringLiteral("”的输入框。") << Qt::endl;
            return false;
        }
        expressions.insert(ws.table.Id(found), expression);
    }
    for (const QString& expression : std::as_const(expressions))
        if (!expression.trimmed().isEmpty()) return true;
    err << QStringLiteral("格式“") << o.format << QStringLiteral("”没有导入数据映射，请用 --map 标签=列号 指定（列号是表格的列字母，如 --map 收款人=A）。") << Qt::endl;
    return false;
}

// Which bills print: every bill is checked first; a refused one (and, without --allow-empty,
// one without its capital amount or date) is listed, and then nothing prints unless
// --skip-refused asks for the others. Empty with the exit code in `failed` when none prints.
QList<int> BillsToPrint(Workspace& ws, BatchGrid& grid, BatchPrintJob& job, const BatchOptions& o, Progress& progress,
                        QTextStream& err, int& failed)
{
    const BatchPrintJob::Check check = job.CheckAll(ws, progress);
    QStringList lines = check.refusals;
    QList<int> refused = check.refusedBills;
    if (!o.allowEmpty) {
        lines << check.questions;
        refused << check.questionedBills;
    }
    failed = 0;
    for (const QString& line : std::as_const(lines)) err << line << Qt::endl;
    if (!refused.isEmpty() && !o.skipRefused) {
        err << QStringLiteral("有%1张单据不能打印，没有输出任何单据（加 --skip-refused 只打印其余的单据").arg(refused.size())
            << (check.questionedBills.isEmpty() || o.allowEmpty ? QString() : QStringLiteral("，加 --allow-empty 打印没有金额或日期的单据"))
            << QStringLiteral("）。") << Qt::endl;
        failed = 1;
        return {};
    }
    const QList<int> bills = BatchPrintJob::Without(grid.BillCount(), refused);
    if (bills.isEmpty()) {
        err << QStringLiteral("没有可以打印的单据。") << Qt::endl;
        failed = 1;
    } else if (!refused.isEmpty()) {
        err << QStringLiteral("跳过%1张不能打印的单据。").arg(refused.size()) << Qt::endl;
    }
    return bills;
}

// The bills into the PDF (written whole or not at all) or to the printer.
int PrintBatch(AppContext& app, Workspace& ws, BatchGrid& grid, EntryKit& kit, const BatchOptions& o,
               Progress& progress, QTextStream& out, QTextStream& err)
{
    BatchPrintJob job(grid, kit.entry);
    int failed = 0;
    const QList<int> bills = BillsToPrint(ws, grid, job, o, progress, err, failed);
    if (failed) return failed;
    HistoryRecords records(app.DbOp(), app.Prompt(), &app.Time());
    std::unique_ptr<PrintDestination> printer;
    std::unique_ptr<PainterSurface> surface;
    std::unique_ptr<FixedDestination> fixed;
    OutputFile file(o.pdf);
    // The pages are made in memory first, so their text maps are mended before the file is written.
    QBuffer written;
    if (o.toPrinter) {
        if (!Factory() || !(printer = Factory()(o.printer))) {
            err << QStringLiteral("无法使用打印机：") << o.printer << Qt::endl;
            return 1;
        }
    } else {
        if (!file.Open()) {
            err << file.FailureText() << Qt::endl;
            return 1;
        }
        const bool turned = ws.options[1] != 0;
        written.open(QIODevice::WriteOnly);
        surface = PainterSurface::ForPdf(written, ws.Width(), ws.Height());
        surface->setPageSize(QPageSize(turned ? QSizeF(ws.Height(), ws.Width()) : QSizeF(ws.Width(), ws.Height()),
                                       QPageSize::Millimeter));
        fixed = std::make_unique<FixedDestination>(*surface);
    }
    // The bills count as printed only once the whole file is in place (or the printer has taken
    // the job): they are stored in one transaction, kept after that and undone otherwise.
    std::optional<Transaction> storing;
    if (o.store) {
        storing.emplace(app.Db());
        if (!storing->Active()) {
            err << HistoryRecords::StoreFailedText() << storing->Error() << Qt::endl;
            return 1;
        }
    }
    const QString notStored = o.store ? QStringLiteral("单据没有存入历史记录。\n") : QString();
    PrintDestination& destination = printer ? *printer : *fixed;
    BillPrinter billPrinter(destination, BillPrinter::EnvironmentFor(app, ws, 0), o.store ? &records : nullptr,
                            app.Prompt(), progress);
    if (o.allowOverflow) billPrinter.AllowOverflow();
    billPrinter.AllowEmpty(o.allowEmpty);
    if (job.PrintAll(billPrinter, ws, {}, bills) != BatchPrintJob::Outcome::Printed) {
        file.Cancel();
        err << job.FailedMessage(std::max(job.StoppedAt(), 0)) << Qt::endl << notStored;
        return 1;
    }
    if (!o.toPrinter) {
        surface.reset();
        QString error;
        const std::optional<QByteArray> pdf = PdfTextRepair::Repair(written.data(), &error);
        if (!pdf || !file.Write(*pdf) || !file.Commit()) {
            const QString reason = pdf ? file.Error() : error;
            file.Cancel();
            err << OutputFile::FailureText(o.pdf, reason) << Qt::endl << notStored;
            return 1;
        }
    }
    if (storing && !storing->Commit()) {
        err << HistoryRecords::PrintedNotStoredText() << storing->Error() << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已打印%1张单据").arg(job.PrintedCount());
    if (!o.toPrinter) out << QStringLiteral("：") << o.pdf;
    out << '\n';
    return 0;
}

} // namespace

void BatchCommands::SetPrinterFactory(PrinterFactory factory)
{
    Factory() = std::move(factory);
}

int BatchCommands::Batch(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err)
{
    BatchOptions o;
    if (!ParseBatch(args, o)) {
        err << QStringLiteral("batch 需要 --format 格式名称、--source 文件，以及 --pdf 文件 或 --print [打印机] 之一；"
                              "--start、--end、--per-bill 需要不小于0的整数，--map 需要“标签=列号”。\n")
            << CommandLine::Usage();
        return 2;
    }
    Workspace ws;
    if (const int failed = CommandLine::PrepareBill(app, o.format, {}, 0, ws, err)) return failed;
    QHash<qint64, QString> expressions;
    if (!Expressions(app, ws, o, expressions, err)) return 1;

    ConsoleProgress progress(err);
    BatchGrid grid;
    const BatchImport::Outcome imported =
        BatchImport::Run({o.source, o.sheet, expressions, o.start, o.end, o.perBill}, ws, grid, progress);
    if (!imported.warning.isEmpty()) err << imported.warning << Qt::endl;
    if (!imported.ok) {
        err << imported.error << Qt::endl;
        return 1;
    }
    if (grid.BillCount() == 0) {
        err << QStringLiteral("数据源中没有要打印的单据。") << Qt::endl;
        return 1;
    }
    EntryKit kit(app);
    return PrintBatch(app, ws, grid, kit, o, progress, out, err);
}

int BatchCommands::ExportHistory(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err)
{
    const qsizetype at = args.indexOf(QStringLiteral("--format"));
    const QString format = at >= 0 ? args.value(at + 1) : QString();
    QStringList rest = args;
    if (at >= 0) rest.remove(at, std::min<qsizetype>(2, rest.size() - at));
    const bool all = rest.removeAll(QStringLiteral("--all")) > 0;
    // GBK by default, as the file has always been; UTF-8 opens right elsewhere.
    std::optional<GridExport::CsvEncoding> encoding = GridExport::CsvEncoding::Gbk;
    if (const qsizetype named = rest.indexOf(QStringLiteral("--encoding")); named >= 0) {
        encoding = GridExport::ParseEncoding(rest.value(named + 1));
        rest.remove(named, std::min<qsizetype>(2, rest.size() - named));
    }
    if (format.isEmpty() || !encoding || rest.size() != 1 || rest[0].startsWith(QLatin1String("--"))) {
        err << QStringLiteral("export-history 需要 --format 格式名称 和一个输出文件（.csv 或 .xlsx）；"
                              "--encoding 只能是 gbk 或 utf-8。\n")
            << CommandLine::Usage();
        return 2;
    }
    if (!GridExport::IsWritablePath(rest[0])) {
        err << GridExport::WrongTypeMessage(rest[0]) << Qt::endl;
        return 1;
    }
    Workspace ws;
    if (const int failed = CommandLine::PrepareBill(app, format, {}, 0, ws, err)) return failed;
    ConsoleProgress progress(err);
    HistoryGrid history(app.DbOp(), progress);
    history.LoadHistoryGrid(ws, all ? 0 : HistoryGrid::kTabLimit);
    Grid shown = history.grid();
    shown.SetRowHidden(0, true); // element IDs, which the history page does not show
    GridExport exporter(app.Prompt(), progress);
    exporter.SetCsvEncoding(*encoding);
    QString error;
    if (!exporter.WriteFile(shown, rest[0], GridExport::HistorySheetTitle(), &error)) {
        err << OutputFile::FailureText(rest[0], error) << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已导出%1张单据：").arg(history.DataRowCount()) << rest[0] << '\n';
    return 0;
}

} // namespace kestrio
