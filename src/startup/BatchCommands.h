#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>

namespace kestrio {

class AppContext;
class PrintDestination;

// `kestrio batch …` prints every bill of a CSV file or worksheet through the format's
// mapping (or --map LABEL=EXPR given here) as one job, into a PDF or to a printer.
// `kestrio export-history --format NAME OUT.csv|OUT.xlsx [--all]` writes the history grid.
// Messages go to `err`; 1 for failures (no output file is left), 2 for wrong usage.
class BatchCommands {
public:
    // The physical printer lives in the window layer; it hands its maker in at start. An
    // empty name is the remembered printer.
    using PrinterFactory = std::function<std::unique_ptr<PrintDestination>(const QString& printer)>;
    static void SetPrinterFactory(PrinterFactory factory);

    static int Batch(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static int ExportHistory(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
};

} // namespace kestrio
