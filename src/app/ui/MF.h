#pragma once

#include "ModiPSD.h"
#include "PrinterDestination.h"
#include "format/Workspace.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

#include <array>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QPrinter;
class QMenu;
class QScrollBar;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace kestrio {

class AppContext;
class Canvas;
class BatchPage;
class HistoryTab;
class FormatLibrary;
class FormatStore;

// The main window: menus, the tab strip SST with its pages Pic(i), the canvas PG in its
// frame PFrm with the scroll bars, the page size labels, the option boxes O2, the zoom
// buttons and the format caption LFMT. Every named control carries its name as objectName.
// All positions are worked out in twips (1440 per inch) and placed in pixels.
class MF final : public QMainWindow {
    Q_OBJECT

public:
    explicit MF(AppContext& app, QWidget* parent = nullptr);

    // The menu item or control of that name ("mSetCrlfChr", "mTool_1", "LFMT", "O2_0", …);
    // null when there is none.
    QAction* Action(const QString& objectName) const;
    QWidget* Control(const QString& objectName) const;

    QTabWidget* SST() const { return mSST; }
    HistoryTab* History() const { return mHistoryTab; }
    BatchPage* Batch() const { return mBatchPage; }
    Canvas* PG() const { return mPG; }
    QCheckBox* O2(int index) const { return mO2.at(static_cast<std::size_t>(index)); }
    QLabel* LFMT() const { return mLFMT; }
    // The password window while it is open.
    ModiPSD* PasswordWindow() const { return mModiPSD; }

    // The name of the format the window shows (LFMT item 0).
    QString CurrentFormat() const;
    const Workspace& OpenWorkspace() const { return mWorkspace; }
    Workspace& OpenWorkspace() { return mWorkspace; }

    // "打印当前单据": the printer is asked for, the bill printed and kept as history.
    bool PrintCurrentBill();
    // Where printing goes (tests: a recording); by default the printer chosen in the dialog.
    void SetDestinationFactory(std::function<std::unique_ptr<PrintDestination>()> factory);
    // "打印预览" and what it draws on the preview's printer.
    void PrintPreview();
    bool RenderPreview(QPrinter& printer);
    // Another format (empty name: the format list); the present contents become the old
    // format's defaults. False when nothing changed.
    bool ChooseFormat(const QString& name, bool force);
    // A command of the bill menu by its name ("mAutoGetDate", "mClearCtl", "mSaveContinue",
    // "mPrintContinue", "mModiBackgroundPic", "mClearBackPic").
    bool BillCommand(const QString& name);
    // "修改单据尺寸" for the open format; true when the size was changed.
    bool EditPageSize();
    // The margin dialog; the offsets are kept with the format at once.
    void EditMargins();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();

    void BuildMenus();
    QMenu* BuildFormatMenu();
    QMenu* BuildPrintMenu();
    QMenu* BuildControlMenu();
    QMenu* BuildToolMenu();
    QMenu* BuildSettingMenu();
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption, bool enabled);

    void BuildControls();
    void BuildPages();
    void BuildOptionFrame(QWidget* page);
    void BuildCanvasArea(QWidget* page);
    void BuildHistoryPage(QWidget* page);
    void BuildBatchPage(QWidget* page);
    void BuildElementPage(QWidget* page);
    void ShowElementTable();
    // Every box on the canvas shows the workspace's content again.
    void RefreshCanvas();
    void BuildBillMenu();
    void ShowBillMenu(const QPoint& at);
    void ChoosePicture(int row);
    void EnterBarcode(int row);
    void ShowPicture(int row, const std::function<void(QSize, double, double)>& put);
    void ApplyCanvasOptions();
    QToolButton* BuildZoomButton(int index, QWidget* parent);

    void CoverWorkArea();
    void LayOut(int windowWidth, int windowHeight);
    void LayOutPage(int pageWidth, int pageHeight);
    void PlaceDesignedCanvas();

    void ReadLastFormat();
    void RememberLastFormat();
    static int OptionValue(const QCheckBox& box);
    static void SetOptionValue(QCheckBox& box, int stored);
    FormatStore Store();
    void OpenFormat(const QString& name);
    FormatLibrary Library();
    void ShowFormatName();
    QString AskFormatName(bool allowEdit);

    void SyncOptions();
    std::unique_ptr<PrintDestination> MakeDestination();
    double FrameWidthTwips() const;
    bool HasFormat();
    void StorePrintSettings();
    void ShowPrintTicks();

    void mSetCrlfChr_Click();
    void mPSDSet_Click();
    void mTool_Click(int index);
    void O2_Click(int index);

    AppContext& mApp;
    // The open format; the window's controls show it.
    Workspace mWorkspace;
    QTabWidget* mSST = nullptr;
    QFrame* mPFrm = nullptr;
    Canvas* mPG = nullptr;
    QScrollBar* mVS = nullptr;
    QScrollBar* mPHS = nullptr;
    QScrollBar* mHS = nullptr;
    QLabel* mLBL = nullptr;
    QFrame* mFrm1 = nullptr;
    QLabel* mWid = nullptr;
    QLabel* mHie = nullptr;
    QLabel* mLFMT = nullptr;
    QMenu* mCtlSame = nullptr;
    std::array<QCheckBox*, 5> mO2{};
    std::array<QToolButton*, 3> mZm{};
    QPointer<ModiPSD> mModiPSD;
    HistoryTab* mHistoryTab = nullptr;
    BatchPage* mBatchPage = nullptr;
    QTableWidget* mMSF3 = nullptr;
    std::function<std::unique_ptr<PrintDestination>()> mMakeDestination;
    bool mLoaded = false;
    bool mShownOnce = false;
};

} // namespace kestrio
