// The demo 转账支票 printed N times into one PDF, in one of two ways, so that each way runs in
// its own process and its peak memory is its own:
//   floor    the boxes' texts drawn with QPdfWriter and QPainter directly, one drawText per
//            box in the box's design font: nothing can put the same text on the page faster
//            through Qt;
//   program  the same bills through the core library: BillPrinter::PrintBill on the PDF surface.
// Both fill every bill the same way beforehand (untimed): dates from the clock, then payee,
// amount (its capitals follow), purpose, bank and account, as a clerk types them; the payee is
// short enough for the stub, so no bill stops at the overflow question. Only the
// drawing and the end of the document are timed.
// Usage: bench_print_floor floor|program BILLS [PDF]
// Prints one line: mode, bills, wall and processor seconds of the timed part, the resident
// memory before and after printing and the peak of the process (the setup's own peak, the
// demo backgrounds drawn into the new database, may hide the printing's under it).
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
#include "print/PrintFonts.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "startup/StartupSequence.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

using namespace kestrio;

// The resident memory of the process now, in MiB.
double ResidentMib()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall and processor time of the timed parts only.
struct Stopwatch {
    double wall = 0;
    double cpu = 0;
    template <typename Work> auto Time(Work&& work)
    {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadSeconds();
        auto result = work();
        cpu += ThreadSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    }
};

// The application folder with the demo formats, and 转账支票 loaded into one workspace that
// every bill is typed into in turn.
struct Cheques : DemoApplication {
    Workspace ws;
    std::unique_ptr<BoxConverter> converter;
    std::unique_ptr<AutoFill> autoFill;
    std::unique_ptr<DataEntry> entry;

    Cheques()
    {
        FormatStore(app->DbOp(), progress, screen).LoadFormat(ws, QStringLiteral("转账支票"));
        converter = std::make_unique<BoxConverter>(clock);
        autoFill = std::make_unique<AutoFill>(app->DbOp(), clock);
        entry = std::make_unique<DataEntry>(*converter, *autoFill);
        entry->FillDateBoxes(ws);
    }

    void TypeBill(int i) { TypeDemoCheque(ws, *entry, i); }
};

// One box of the floor: its design font, its top-left corner in device pixels, its text.
struct FloorBox {
    QFont font;
    double ascent = 0;
    QPointF at;
    QString text;
};

QList<FloorBox> FloorBoxes(const Workspace& ws, const QPaintDevice& device)
{
    const double pixelsPerMm = device.logicalDpiX() / 25.4;
    QList<FloorBox> boxes;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        const int kind = ws.table.KindOf(row);
        if (kind != ElementTable::TextBox && kind != ElementTable::Label) continue;
        QString text = BillRenderer::PrintedContent(ws, row);
        const int code = static_cast<int>(ws.table.Number(row, ElementTable::ColCash));
        if (kind == ElementTable::TextBox && BillRenderer::AmountCellCount(code) > 0)
            text = BillRenderer::AmountCells(text, code);
        if (text.isEmpty()) continue;
        FloorBox box;
        box.font = QFont(ws.table.Text(row, ElementTable::ColFontName));
        box.font.setPointSizeF(ws.table.Number(row, ElementTable::ColFontSize));
        box.font.setBold(ws.table.Number(row, ElementTable::ColBold) != 0);
        box.ascent = QFontMetricsF(box.font, &device).ascent();
        box.at = QPointF(ws.table.Number(row, ElementTable::ColX) * pixelsPerMm,
                         ws.table.Number(row, ElementTable::ColY) * pixelsPerMm);
        box.text = text;
        boxes << box;
    }
    return boxes;
}

bool PrintFloor(Cheques& cheques, int bills, const QString& path, Stopwatch& watch)
{
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(240, 80), QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    PrintFonts::RegisterSubstitutions(); // the same faces as the program's pages
    QPainter painter;
    if (!watch.Time([&] { return painter.begin(&writer); })) return false;
    for (int i = 0; i < bills; ++i) {
        cheques.TypeBill(i);
        const QList<FloorBox> boxes = FloorBoxes(cheques.ws, writer);
        const bool ok = watch.Time([&] {
            if (i > 0 && !writer.newPage()) return false;
            for (const FloorBox& box : boxes) {
                painter.setFont(box.font);
                painter.drawText(QPointF(box.at.x(), box.at.y() + box.ascent), box.text);
            }
            return true;
        });
        if (!ok) return false;
    }
    return watch.Time([&] { return painter.end(); });
}

bool PrintProgram(Cheques& cheques, int bills, const QString& path, Stopwatch& watch)
{
    auto surface = PainterSurface::ForPdf(path, 240, 80);
    FixedDestination destination(*surface);
    BillPrinter printer(destination, BillPrinter::EnvironmentFor(*cheques.app, cheques.ws, 0), nullptr,
                        cheques.prompter, cheques.progress);
    for (int i = 0; i < bills; ++i) {
        cheques.TypeBill(i);
        if (!watch.Time([&] { return printer.PrintBill(cheques.ws, false, false); })) return false;
    }
    return watch.Time([&] { return surface->endDocument(); });
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const bool floor = argc >= 3 && std::strcmp(argv[1], "floor") == 0;
    const bool program = argc >= 3 && std::strcmp(argv[1], "program") == 0;
    const int bills = argc >= 3 ? std::atoi(argv[2]) : 0;
    if ((!floor && !program) || bills <= 0) {
        std::fprintf(stderr, "usage: bench_print_floor floor|program BILLS [PDF]\n");
        return 2;
    }
    Cheques cheques;
    const QString path = argc >= 4 ? QString::fromLocal8Bit(argv[3])
                                   : QDir(cheques.dir.path()).filePath(QStringLiteral("cheques.pdf"));
    Stopwatch watch;
    const double residentBefore = ResidentMib();
    const bool ok = floor ? PrintFloor(cheques, bills, path, watch) : PrintProgram(cheques, bills, path, watch);
    if (!ok) {
        std::fprintf(stderr, "the PDF could not be written\n");
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("mode=%s bills=%d wall_s=%.3f cpu_s=%.3f rss_before_mib=%.1f rss_after_mib=%.1f peak_mib=%.1f "
                "pdf_mib=%.2f\n",
                argv[1], bills, watch.wall, watch.cpu, residentBefore, ResidentMib(), double(usage.ru_maxrss) / 1024.0,
                double(QFileInfo(path).size()) / (1024.0 * 1024.0));
    return 0;
}
