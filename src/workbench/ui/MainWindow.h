#pragma once

#include "app/ui/ChangePasswordDialog.h"
#include "print/ui/PrinterDestination.h"
#include "format/FormatDocument.h"

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
class BillCanvas;
class BillMenu;
class BoxMenu;
class FormatListPanel;
class DesignerCanvasTool;
class LayoutCommands;
class ElementTablePage;
class PrintCommands;
class BatchPage;
class UserGuideWindow;
class HistoryPage;
class FormatLibrary;
class NewEditionCheck;
class FormatStore;

// The main window: menus, the tab strip SST with its pages Pic(i), the canvas PG in its
// frame PFrm with the scroll bars, the page size labels, the option boxes O2, the zoom
// buttons and the format caption LFMT. Every named control carries its name as objectName.
// All positions are worked out in twips (1440 per inch) and placed in pixels.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(AppContext& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The menu item or control of that name ("mSetCrlfChr", "mTool_1", "LFMT", "O2_0", …);
    // null when there is none.
    QAction* Action(const QString& objectName) const;
    QWidget* Control(const QString& objectName) const;

    QTabWidget* Pages() const { return mPages; }
    HistoryPage* History() const { return mHistoryPage; }
    BatchPage* Batch() const { return mBatchPage; }
    BillCanvas* Canvas() const { return mCanvas; }
    QCheckBox* OptionBox(int index) const { return mOptionBoxes.at(static_cast<std::size_t>(index)); }
    QLabel* FormatCaption() const { return mFormatCaption; }
    // The password window while it is open.
    ChangePasswordDialog* PasswordWindow() const { return mPasswordDialog; }

    // The name of the format the window shows (LFMT item 0).
    QString CurrentFormat() const;
    const Workspace& OpenWorkspace() const { return mWorkspace; }
    Workspace& OpenWorkspace() { return mWorkspace; }
    FormatDocument& Document() { return mDocument; }

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
    // "导入格式": the file (asked for when `path` is empty) is imported with the questions for a
    // free name and whether to open it now; on Yes it becomes the open format.
    void ImportFormatFile(const QString& path);
    // A command of the bill menu by its name ("mAutoGetDate", "mClearCtl", "mSaveContinue",
    // "mPrintContinue", "mModiBackgroundPic", "mClearBackPic").
    bool BillCommand(const QString& name);
    // "保存格式" (Ctrl+S); the status bar says so.
    bool SaveFormat();
    // "修改单据尺寸" for the open format; true when the size was changed.
    bool EditPageSize();
    // The margin dialog; the offsets are kept with the format at once.
    void EditMargins();
    // "下载格式模板": the web catalogue; a downloaded format the user wants is opened.
    void OpenWebCatalogue();
    // The once-per-run update check, started a few seconds after the window first shows. Its
    // unsaved-changes question is for the designer to set.
    NewEditionCheck& NewEdition() { return *mNewEditionCheck; }
    // "设置内容框" on the element in table row `row`, and a double click on its row of the
    // element table: the property window of its kind; afterwards the box is left, so it shows
    // its content converted by its (new) data type.
    void EditElementProperties(int row);
    // The list of formats beside the canvas (FMSF), hidden until asked for.
    FormatListPanel* FormatPanel() const { return mFormatPanel; }
    LayoutCommands* Layout() const { return mLayoutCommands; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnLoad();
    void OnUnload();

    void BuildMenus();
    QMenu* BuildFormatMenu();
    QMenu* BuildPrintMenu();
    QMenu* BuildControlMenu();
    QMenu* BuildToolMenu();
    QMenu* BuildSettingMenu();
    QMenu* BuildHelpMenu();
    void OnUserGuide();
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption, bool enabled);

    void BuildControls();
    void BuildPages();
    void BuildOptionFrame(QWidget* page);
    void BuildCanvasArea(QWidget* page);
    void BuildHistoryPage(QWidget* page);
    void BuildBatchPage(QWidget* page);
    void BuildCommands();
    // The designer's context menus, the deleting of rows on the element table page and the
    // format list beside the canvas (MainWindowDesigner.cpp).
    void BuildDesignerParts();
    void ShowFormatPanel();
    // The panes laid out for the window's present size, less a docked format list.
    void RelayOut();
    // Every box on the canvas shows the workspace's content again.
    void RefreshCanvas();
    void TableReloaded();
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

    // False when the box being typed in refused its text.
    bool SyncOptions();
    bool KeepOrSaveChanges();
    void ShowUnsavedMark();
    double FrameWidthTwips() const;
    // What just happened, in the status bar.
    void Say(const QString& what);
    bool HasFormat();
    void ShowPrintTicks();

    void OnSetLineBreakMarker();
    void OnChangePassword();
    void OnToolItem(int index);
    void OnOptionClicked(int index);

    // Shown after the format's name while its layout has unsaved changes.
    inline static const QString kUnsavedMark = QStringLiteral(" *");
    AppContext& mApp;
    // The open format; the window's controls show it.
    FormatDocument mDocument;
    Workspace& mWorkspace = mDocument.Data();
    QTabWidget* mPages = nullptr;
    QFrame* mCanvasFrame = nullptr;
    BillCanvas* mCanvas = nullptr;
    QScrollBar* mVerticalBar = nullptr;
    QScrollBar* mPageBar = nullptr;
    QScrollBar* mHorizontalBar = nullptr;
    QLabel* mLBL = nullptr;
    QFrame* mFrm1 = nullptr;
    QLabel* mWidthLabel = nullptr;
    QLabel* mHeightLabel = nullptr;
    QLabel* mFormatCaption = nullptr;
    QMenu* mSameContentMenu = nullptr;
    std::array<QCheckBox*, 5> mOptionBoxes{};
    std::array<QToolButton*, 3> mZoomButtons{};
    QPointer<ChangePasswordDialog> mPasswordDialog;
    QPointer<UserGuideWindow> mUserGuide;
    HistoryPage* mHistoryPage = nullptr;
    BatchPage* mBatchPage = nullptr;
    ElementTablePage* mElementGrid = nullptr;
    std::unique_ptr<PrintCommands> mPrintCommands;
    BillMenu* mBillMenu = nullptr;
    NewEditionCheck* mNewEditionCheck = nullptr;
    DesignerCanvasTool* mDesignTool = nullptr;
    LayoutCommands* mLayoutCommands = nullptr;
    BoxMenu* mBoxMenu = nullptr;
    FormatListPanel* mFormatPanel = nullptr;
    bool mPanelLaidOut = false; // the panes were last laid out beside the format list
    bool mMarked = false;
    bool mLoaded = false;
    bool mShownOnce = false;
    // The unsaved-changes question was answered already (the update closes the window).
    bool mChangesSettled = false;
};

} // namespace kestrio
