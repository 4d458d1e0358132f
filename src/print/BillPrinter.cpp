#include "BillPrinter.h"

#include "app/AppContext.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/Workspace.h"
#include "images/BackgroundImages.h"
#include "print/BillGate.h"
#include "print/PaperFit.h"
#include "print/PrintOffsets.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"
#include "seams/ScreenInfo.h"
#include "storage/Transaction.h"

#include <optional>

#include <algorithm>

namespace kestrio {

QString BillPrinter::AmountOverflowMessage() { return QStringLiteral("金额超出对格金额框的格数，无法打印！"); }
QString BillPrinter::PrintErrorMessage() { return QStringLiteral("打印出错！"); }
QString BillPrinter::RefusedMessage() { return QStringLiteral("打印机拒绝了打印任务！"); }

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
    mStoreFailed = false;
    // What prints is what was typed: an amount read wrongly, cut by its cells or disagreeing
    // with its capital amount never reaches the paper.
    if (!mPreview && !PassesGate(ws)) return false;
    const QString offsetProblem = PrintOffsets::Check(ws.offsetXText, ws.offsetYText, ws.Width(), ws.Height());
    if (!offsetProblem.isEmpty()) {
        mPrompter.Message(offsetProblem, Prompter::Icon::Warning);
        return false;
    }
    // The queue names the job after the format and the record number it will be stored under.
    if (askPrinter) {
        const qint64 next = storeRecord && mRecords ? mRecords->NextRecordNumber(ws.formatName) : 0;
        mDestination.SetJobTitle(next > 0 ? QStringLiteral("%1 第%2号").arg(ws.formatName).arg(next) : ws.formatName);
    }
    if (askPrinter && !mDestination.ChoosePrinter()) return false;
    // A queue that takes no jobs would swallow the bill without a word.
    if (!mDestination.JobAccepted()) {
        mPrompter.Message(RefusedMessage(), Prompter::Icon::Critical);
        return false;
    }

    // A printer chosen anew may come with a surface of its own.
    PrintSurface& surface = mDestination.Surface();
    mRenderer.SetSurface(surface);
    const double marginX = PrintOffsets::Parse(ws.offsetXText).value_or(0);
    const double marginY = PrintOffsets::Parse(ws.offsetYText).value_or(0);
    if (!mPreview && !ConfirmOverflow(ws)) return false;
    // "Yes" to the paper question sets the paper for this bill only.
    const bool setPaper = ws.setPaper;
    if (!mPreview && !ConfirmPaper(ws, marginX, marginY)) return false;
    bool ok = mRenderer.RenderBill(ws, -marginX, -marginY);
    ws.setPaper = setPaper;
    if (ok && ws.printRulers) ok = mRenderer.DrawRulerGrid();
    if (ok) ok = askPrinter ? surface.endDocument() : surface.newPage();
    if (!ok) {
        mPrompter.Message(PrintErrorMessage(), Prompter::Icon::Critical);
        return false;
    }
    if (askPrinter) mDestination.JobFinished();
    if (askPrinter && !mDestination.JobAccepted()) {
        mPrompter.Message(RefusedMessage(), Prompter::Icon::Critical);
        return false;
    }
    if (storeRecord && mRecords) {
        QString error;
        mLastRecord = mRecords->TryStoreRecord(ws, &error);
        if (mLastRecord < 0) {
            mLastRecord = 0;
            mStoreFailed = true;
            mPrompter.Message(HistoryRecords::PrintedNotStoredText() + QLatin1Char('\n') + error,
                              Prompter::Icon::Critical);
            return false;
        }
    }
    return true;
}

bool BillPrinter::PassesGate(const Workspace& ws)
{
    return BillGate::Confirm(ws, mPrompter, mAllowEmpty, mBillContext);
}

void BillPrinter::SetPreview()
{
    mPreview = true;
    mRenderer.MarkOverflow(true);
}

QString BillPrinter::OverflowQuestion(const Workspace& ws, const QList<int>& rows)
{
    return QStringLiteral("以下输入框的文字超出了框的底边，会印到框外的票面上：\n%1\n\n仍然打印吗？选“否”回去修改。")
        .arg(PaperFit::BoxNames(ws, rows));
}

bool BillPrinter::ConfirmOverflow(const Workspace& ws)
{
    if (mAllowOverflow) return true;
    const QList<int> rows = mRenderer.OverflowingRows(ws);
    return rows.isEmpty() || mPrompter.AskDefaultNo(mBillContext + OverflowQuestion(ws, rows));
}

bool BillPrinter::ConfirmPaper(Workspace& ws, double offsetX, double offsetY)
{
    const std::optional<QMarginsF> unprintable = mDestination.UnprintableMarginsMm();
    if (!unprintable) return true;
    PrintSurface& surface = mDestination.Surface();
    const bool turned = ws.options[1] != 0;
    QSizeF page(ws.Width(), ws.Height());
    if (ws.setPaper) {
        if (turned) page.transpose();
    } else {
        if (!surface.setOrientation(turned ? PrintSurface::Orientation::Landscape : PrintSurface::Orientation::Portrait))
            return true; // the page says why when it is drawn
        page = QSizeF(surface.pageWidth(), surface.pageHeight()) / PrintSurface::TwipsPerMillimetre;
    }
    const QList<int> rows = PaperFit::RowsOutside(ws, offsetX, offsetY, page, *unprintable);
    if (rows.isEmpty()) return true;
    if (mBatchPaperAgreed) {
        ws.setPaper = true;
        return true;
    }
    const bool agreed = AskPaper(ws, rows, page);
    mBatchPaperAgreed = agreed && mInBatch;
    return agreed;
}

bool BillPrinter::AskPaper(Workspace& ws, const QList<int>& rows, QSizeF page)
{
    // The paper is the bill's already: only the offsets or the printer's edges can cut it.
    if (ws.setPaper) return mPrompter.AskDefaultNo(PaperFit::Question(ws, rows, page, false));
    if (!mPrompter.Ask(PaperFit::Question(ws, rows, page, true))) return false;
    ws.setPaper = true;
    return true;
}

bool BillPrinter::PrintAllBills(Workspace& ws, int count, const std::function<bool(int, Workspace&)>& loadBill,
                                const std::function<void()>& restoreCurrent)
{
    if (count <= 0) return true;
    if (!mDestination.ChoosePrinter()) return false;
    mRenderer.SetSurface(mDestination.Surface());
    mInBatch = true;
    mBatchPaperAgreed = false;
    // Every bill is stored inside this one transaction: a job that is cancelled, fails or is
    // refused by the queue leaves no bill in the history that never reached the paper.
    std::optional<Transaction> stored;
    if (mRecords) stored.emplace(mRecords->Operate().Db());
    bool ok = !stored || stored->Active();
    if (!ok) mPrompter.Message(HistoryRecords::StoreFailedText() + QLatin1Char('\n') + stored->Error(), Prompter::Icon::Critical);
    qint64 lastRecord = 0;
    // The progress window comes after the printer choice: it never covers the printer dialog.
    if (ok) mProgress.ShowProgress(QStringLiteral("正在打印单据……"), count, 0);
    for (int i = 0; i < count && ok; ++i) {
        ok = loadBill(i, ws) && PrintBill(ws, false, stored.has_value());
        if (ok && mLastRecord > 0) lastRecord = mLastRecord;
        if (ok) mProgress.StepProgress(1, QStringLiteral("pages"));
    }
    mProgress.CloseProgress();
    if (ok && !mDestination.Surface().endDocument()) {
        mPrompter.Message(PrintErrorMessage(), Prompter::Icon::Critical);
        ok = false;
    }
    if (ok) mDestination.JobFinished();
    if (ok && !mDestination.JobAccepted()) {
        mPrompter.Message(RefusedMessage(), Prompter::Icon::Critical);
        ok = false;
    }
    if (!ok) mDestination.AbandonJob();
    mLastRecord = 0;
    if (ok && stored && !stored->Commit()) {
        mStoreFailed = true;
        mPrompter.Message(HistoryRecords::PrintedNotStoredText() + QLatin1Char('\n') + stored->Error(),
                          Prompter::Icon::Critical);
        ok = false;
    } else if (ok) {
        mLastRecord = lastRecord;
    }
    mInBatch = false;
    mBatchPaperAgreed = false;
    mBillContext.clear();
    if (restoreCurrent) restoreCurrent();
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
    // One bill shows in the boxes whether or not it is then printed.
    if (!several) LoadHistoryRow(ws, grid, first);
    if (!mDestination.ChoosePrinter()) return several ? Reprint::Cancelled : Reprint::Loaded;
    // A printer gets one job per bill; a file gets every bill as pages of one job, since a
    // second job would replace the first.
    const bool oneJob = mDestination.WritesOneFile();
    mRenderer.SetSurface(mDestination.Surface());
    mProgress.ShowProgress(QStringLiteral("正在打印..."), last - first + 1, 0);
    Reprint result = Reprint::Printed;
    for (int row = first; row <= last && result == Reprint::Printed; ++row) {
        LoadHistoryRow(ws, grid, row);
        // None is stored again.
        if (!PrintBill(ws, false, false) || (!oneJob && !EndJob())) result = Reprint::Failed;
        else mProgress.StepProgress(1, QStringLiteral("pages"));
    }
    if (oneJob && result == Reprint::Printed && !EndJob()) result = Reprint::Failed;
    mProgress.CloseProgress();
    return result;
}

bool BillPrinter::EndJob()
{
    if (mDestination.Surface().endDocument()) {
        mDestination.JobFinished();
        return true;
    }
    mPrompter.Message(PrintErrorMessage(), Prompter::Icon::Critical);
    return false;
}

} // namespace kestrio
