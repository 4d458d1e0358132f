#pragma once

#include "print/BillRenderer.h"
#include "print/PrintDestination.h"

#include <functional>

namespace kestrio {

class AppContext;
class HistoryGrid;
class HistoryRecords;
class Progress;
class Prompter;
class Workspace;

// Printing bills of the open format: one bill from the main window, every row of a batch, or
// bills picked from the history grid. The pages go to a destination (printer, preview, PDF);
// one renderer serves the whole job, so fitted font sizes are searched once per job.
class BillPrinter {
public:
    // The renderer's environment for the workspace's format: its background picture, the
    // barcode standard of the parameters, the screen. `frameWidthTwips` is the canvas frame's
    // width; 0 takes the frame of a main window that fills the screen.
    static BillRenderer::Environment EnvironmentFor(AppContext& app, const Workspace& ws, double frameWidthTwips);
    // The frame width of a main window filling the screen, in screen twips.
    static double FullScreenFrameTwips(AppContext& app);

    BillPrinter(PrintDestination& destination, BillRenderer::Environment environment, HistoryRecords* records,
                Prompter& prompter, Progress& progress);

    // One bill. `askPrinter`: the printer choice first and the job finished after the page;
    // otherwise a new page is started and the caller finishes the job. `storeRecord`: the
    // bill becomes a history record after printing. An amount that does not fit its amount
    // cells refuses the bill before anything is printed.
    bool PrintBill(Workspace& ws, bool askPrinter, bool storeRecord);

    // Every bill of a batch in one job: `loadBill(i, ws)` puts bill i (0-based) into the
    // boxes; the first failure ends the batch; `restoreCurrent` puts back the bill that was
    // current before. False when the printer choice was cancelled or a bill failed. The job
    // is abandoned (no page reaches the printer) when it does not end whole, and the bills
    // are kept as history only once the job was accepted, all or none.
    bool PrintAllBills(Workspace& ws, int count, const std::function<bool(int, Workspace&)>& loadBill,
                       const std::function<void()>& restoreCurrent);

    enum class Reprint {
        ShowHistory, // the grid has no bills: show the history tab instead
        Loaded,      // one bill was put into the boxes, and the printer choice cancelled
        Printed,     // every selected bill was printed: a job each, or one file with them all
        Cancelled,   // the printer choice was cancelled
        Failed       // a bill could not be printed; the ones before it were
    };
    // The selected bills of the history grid printed again, without being stored again; a
    // single bill is put into the boxes first.
    Reprint ReprintHistoryRows(Workspace& ws, const HistoryGrid& grid);
    // Puts history row `row` of the grid into the boxes that have a column.
    static void LoadHistoryRow(Workspace& ws, const HistoryGrid& grid, int row);

    // The print preview: text that runs past its box is marked on the page instead of asked
    // about, and the paper is not questioned.
    void SetPreview();
    // Text that runs past its box prints without the question (the command line's
    // --allow-overflow).
    void AllowOverflow() { mAllowOverflow = true; }
    // A bill without a capital amount or a date prints without the question (the command
    // line's --allow-empty, or a batch whose bills the clerk has agreed to).
    void AllowEmpty(bool allow = true) { mAllowEmpty = allow; }
    // Put before every question and message about the bill: which bill of a batch it is.
    void SetBillContext(const QString& context) { mBillContext = context; }
    // Whether the bill may print: a refusal is told and false returned; a bill that makes no
    // sense on paper is asked about (No by default).
    bool PassesGate(const Workspace& ws);

    BillRenderer& Renderer() { return mRenderer; }
    // The record number the last stored bill received (0 when nothing was stored).
    qint64 LastRecordNumber() const { return mLastRecord; }

    static QString AmountOverflowMessage();
    static QString PrintErrorMessage();
    static QString RefusedMessage();
    // The last PrintBill printed the bill but could not store it (the user was told).
    bool StoreFailed() const { return mStoreFailed; }
    static QString OverflowQuestion(const Workspace& ws, const QList<int>& rows);

private:
    // Ends the job; "打印出错！" when the surface refuses.
    bool EndJob();
    // The questions before a page: text past its box, a bill off the paper. False: go back.
    bool ConfirmOverflow(const Workspace& ws);
    bool ConfirmPaper(Workspace& ws, double offsetX, double offsetY);
    bool AskPaper(Workspace& ws, const QList<int>& rows, QSizeF page);

    PrintDestination& mDestination;
    BillRenderer mRenderer;
    HistoryRecords* mRecords;
    Prompter& mPrompter;
    Progress& mProgress;
    qint64 mLastRecord = 0;
    bool mStoreFailed = false;
    bool mPreview = false;
    bool mAllowOverflow = false;
    bool mAllowEmpty = false;
    QString mBillContext;
    // Within a batch: the clerk has agreed to the paper question once; every bill of the batch
    // has the same layout on the same paper, so it is not asked again.
    bool mInBatch = false;
    bool mBatchPaperAgreed = false;
};

} // namespace kestrio
