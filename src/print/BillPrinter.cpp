#include "BillPrinter.h"

#include "app/AppContext.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/Workspace.h"
#include "images/BackgroundImages.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"
#include "seams/ScreenInfo.h"

#include <algorithm>

namespace kestrio {

QString BillPrinter::AmountOverflowMessage() { return QStringLiteral("金额超出对格金额框的格数，无法打印！"); }
QString BillPrinter::PrintErrorMessage() { return QStringLiteral("打印出错！"); }

double BillPrinter::FullScreenFrameTwips(AppContext& app)
{
    // The main window's frame leaves 340 twips of the screen width to the window's edges and
    // the vertical scroll bar.
    return std::max(1, app.Screen().ScreenWidthTwips() - 340);
}

BillRenderer::Environment BillPrinter::EnvironmentFor(AppContext& app, const Workspace& ws, double frameWidthTwips)
{
    BillRenderer::Environment env{app.Screen(), 0, Barcode::Standard::Code39, QImage(), nullptr, {}};
    env.frameWidthTwips = frameWidthTwips > 0 ? frameWidthTwips : FullScreenFrameTwips(app);
    env.barcodeStandard = Barcode::ParseStandard(app.Parameters().GetParam(QStringLiteral("StrBarCodeStand")));
    env.prompter = &app.Prompt();
    if (ws.backgroundPrint) {
        const QString path = BackgroundImages::BackgroundPath(app.Paths().Folder(), ws.formatName);
        env.background = QImage(path);
    }
    return env;
}

namespace {

// "自动设置纸张" goes to the destination unless the caller asked for something else.
BillRenderer::Environment WithPaperForms(BillRenderer::Environment environment, PrintDestination& destination)
{
    if (!environment.installPaperForm)
        environment.installPaperForm = [&destination](double w, double h) { destination.InstallPaperForm(w, h); };
    return environment;
}

} // namespace

BillPrinter::BillPrinter(PrintDestination& destination, BillRenderer::Environment environment,
                         HistoryRecords* records, Prompter& prompter, Progress& progress)
    : mDestination(destination),
      mRenderer(destination.Surface(), WithPaperForms(std::move(environment), destination)),
      mRecords(records), mPrompter(prompter), mProgress(progress)
{
}

bool BillPrinter::PrintBill(Workspace& ws, bool askPrinter, bool storeRecord)
{
    mLastRecord = 0;
    // A cheque must never lose the highest digits of its amount.
    if (!mAllowOverflow && BillRenderer::AmountOverflowRow(ws) >= 0) {
        mPrompter.Message(AmountOverflowMessage(), Prompter::Icon::Warning);
        return false;
    }
    if (askPrinter && !mDestination.ChoosePrinter()) return false;

    // A printer chosen anew may come with a surface of its own.
    PrintSurface& surface = mDestination.Surface();
    mRenderer.SetSurface(surface);
    const double marginX = ws.offsetXText.toDouble();
    const double marginY = ws.offsetYText.toDouble();
    bool ok = mRenderer.RenderBill(ws, -marginX, -marginY);
    if (ok && ws.printRulers) ok = mRenderer.DrawRulerGrid();
    if (ok) ok = askPrinter ? surface.endDocument() : surface.newPage();
    if (!ok) {
        mPrompter.Message(PrintErrorMessage(), Prompter::Icon::Critical);
        return false;
    }
    if (storeRecord && mRecords) mLastRecord = mRecords->StoreRecord(ws);
    return true;
}

bool BillPrinter::PrintAllBills(Workspace& ws, int count, const std::function<bool(int, Workspace&)>& loadBill,
                                const std::function<void()>& restoreCurrent)
{
    if (count <= 0) return true;
    if (!mDestination.ChoosePrinter()) return false;
    mRenderer.SetSurface(mDestination.Surface());
    mProgress.ShowProgress(QStringLiteral("正在打印单据……"), count, 0);
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        ok = loadBill(i, ws) && PrintBill(ws, false, true);
        if (ok) mProgress.StepProgress(1, QStringLiteral("pages"));
    }
    if (!mDestination.Surface().endDocument() && ok) {
        mPrompter.Message(PrintErrorMessage(), Prompter::Icon::Critical);
        ok = false;
    }
    if (restoreCurrent) restoreCurrent();
    mProgress.CloseProgress();
    return ok;
}

void BillPrinter::LoadHistoryRow(Workspace& ws, const HistoryGrid& grid, int row)
{
    const Grid& cells = grid.grid();
    QHash<qint64, int> columns;
    for (int col = HistoryGrid::kFirstBoxCol; col < cells.ColCount(); ++col)
        columns.insert(cells.Text(0, col).toLongLong(), col);
    for (int box = ElementTable::kFirstRow; box < ws.table.RowCount(); ++box) {
        if (ws.table.KindOf(box) > ElementTable::PictureBox) continue;
        const auto col = columns.constFind(ws.table.Id(box));
        if (col != columns.constEnd()) ws.SetBoxContent(box, cells.Text(row, *col));
    }
}

BillPrinter::Reprint BillPrinter::ReprintHistoryRows(Workspace& ws, const HistoryGrid& grid)
{
    if (grid.DataRowCount() == 0) return Reprint::ShowHistory;
    const int first = std::max(HistoryGrid::kFirstDataRow, std::min(grid.Row(), grid.RowSel()));
    const int last = std::min(grid.grid().RowCount() - 1, std::max(grid.Row(), grid.RowSel()));
    const bool several = last > first;
    if (several && !mDestination.ChoosePrinter()) return Reprint::Cancelled;
    mRenderer.SetSurface(mDestination.Surface());
    mProgress.ShowProgress(QStringLiteral("正在打印..."), last - first + 1, 0);
    Reprint result = several ? Reprint::Printed : Reprint::Loaded;
    for (int row = first; row <= last; ++row) {
        LoadHistoryRow(ws, grid, row);
        if (several) {
            // Each bill is a print job of its own, and none is stored again.
            if (!PrintBill(ws, false, false)) {
                result = Reprint::Failed;
                break;
            }
            if (!mDestination.Surface().endDocument()) {
                mPrompter.Message(PrintErrorMessage(), Prompter::Icon::Critical);
                result = Reprint::Failed;
                break;
            }
        }
        mProgress.StepProgress(1, QStringLiteral("pages"));
    }
    mProgress.CloseProgress();
    return result;
}

} // namespace kestrio
