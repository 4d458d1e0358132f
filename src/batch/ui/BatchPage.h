#pragma once

#include "batch/BatchGrid.h"
#include "print/PrintDestination.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class QTableView;

namespace kestrio {

class AppContext;
class BatchGridModel;
class BatchPrintJob;
class MappingDialog;
class SheetChooserDialog;
class Workspace;

// The batch page (批量数据) of the main window: the batch grid MSF_1 with one bill per row,
// the buttons "导入数据" (Com_10), "删除所选" (Com_11) and "清空数据" (Com_12) and the record label
// R_Num. The main window's scroll bar HS (over the canvas) puts one bill after another into
// the boxes. Printing
// every bill ("打印所有单据") checks every bill first, then is one job with a progress window
// that can be cancelled. The grid belongs to the format it was read for.
class BatchPage final : public QWidget {
    Q_OBJECT

public:
    using DestinationFactory = std::function<std::unique_ptr<PrintDestination>()>;
    using FrameWidth = std::function<double()>;
    // Run a dialog and answer whether it was confirmed; tests drive the dialogs through these.
    using SheetRunner = std::function<bool(SheetChooserDialog&)>;
    using MappingRunner = std::function<bool(MappingDialog&)>;

    BatchPage(AppContext& app, Workspace& ws, QWidget* parent = nullptr);
    ~BatchPage() override;

    // Where the bills are printed; by default the printer chosen in "选择打印机".
    void SetDestinationFactory(DestinationFactory factory) { mMakeDestination = std::move(factory); }
    void SetFrameWidth(FrameWidth frameWidth) { mFrameWidth = std::move(frameWidth); }
    void SetSheetRunner(SheetRunner runner) { mRunSheets = std::move(runner); }
    void SetMappingRunner(MappingRunner runner) { mRunMapping = std::move(runner); }
    // The scroll bar that browses the bills (not owned): 1 … the number of bills.
    void AttachScrollBar(QScrollBar* scrollBar);

    // The commands behind the buttons.
    bool Import();
    bool ImportFile(const QString& path);
    void DeleteSelected();
    void Clear();
    // Puts bill `bill` (from 0) into the boxes.
    void ShowBill(int bill);
    bool PrintAll();

    BatchGrid& Batch() { return mBatch; }
    QTableView* View() const { return mView; }
    QScrollBar* Scroll() const { return mScroll; }
    QLabel* RecordLabel() const { return mRecord; }
    QPushButton* ImportButton() const { return mImport; }

signals:
    // The boxes show another bill (or the bill shown before a print).
    void billShown();
    // The number of bills changed ("打印所有单据" is enabled with at least one).
    void billsChanged(int count);
    // Bills were printed and stored: the history reloads when it is next shown.
    void billsPrinted();

private:
    void BuildControls();
    // The view and scroll bar anew; `showBill` (from 0) is put into the boxes, by default
    // the current one.
    void Refresh(int showBill = -1);
    void ExportGrid();
    // The bills to print after the check; false when nothing is to print.
    bool ChooseBills(BatchPrintJob& job, QList<int>& bills, bool& allowEmpty);

    AppContext& mApp;
    Workspace& mWs;
    BatchGrid mBatch;
    std::unique_ptr<BatchGridModel> mModel;
    DestinationFactory mMakeDestination;
    FrameWidth mFrameWidth;
    SheetRunner mRunSheets;
    MappingRunner mRunMapping;
    QTableView* mView = nullptr;
    QScrollBar* mScroll = nullptr;
    QLabel* mRecord = nullptr;
    QPushButton* mImport = nullptr;
};

} // namespace kestrio
