#include "workbench/ui/MainWindow.h"

#include "workbench/ui/GuiApplication.h"
#include "app/ui/GuiScreenInfo.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/DesignerCanvasTool.h"
#include "designer/ui/LayoutCommands.h"
#include "workbench/ui/BillMenu.h"
#include "workbench/ui/ElementTablePage.h"
#include "workbench/ui/PrintCommands.h"
#include "format/ui/FormatListDialog.h"
#include "format/ui/PageSizeDialog.h"
#include "workbench/ui/EntryTool.h"
#include "workbench/ui/HistoryPage.h"
#include "batch/GridExport.h"
#include "batch/ui/BatchPage.h"
#include "seams/UserSettings.h"
#include "print/ui/MarginDialog.h"
#include "print/ui/BarcodeStandardDialog.h"
#include "app/ui/ChangePasswordDialog.h"
#include "app/ui/WidgetPlace.h"
#include "app/AppContext.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/FormatExchange.h"
#include "format/FormatLibrary.h"
#include "format/FormatStore.h"
#include "images/BackgroundCommands.h"
#include "print/BillPrinter.h"
#include "print/PictureContent.h"
#include "seams/Prompter.h"
#include "seams/ScreenInfo.h"
#include "storage/DatabaseCompactor.h"
#include "web/ui/FormatDownloadDialog.h"
#include "web/ui/NewEditionCheck.h"
#include "storage/SqlQuote.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QVBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QHeaderView>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include <cmath>

namespace kestrio {

namespace {

// Designed distances of the main window, in twips.
constexpr int kSstWidthLess = 80;
constexpr int kSstHeightLess = 1000;
constexpr int kPFrmTop = 1020;
constexpr int kScrollBar = 255;
constexpr int kVsFromRight = 280;
constexpr int kVsFromBottom = 20;
constexpr int kPhsFromBottom = 15;
constexpr int kHsWidthLess = 30;
constexpr int kHsLeft = 15;
constexpr int kHsTop = 750;
constexpr int kHsHeight = 240;
constexpr int kLblLeft = 20;
constexpr int kLblGap = 20;
constexpr int kLblHeight = 255;
constexpr int kFrm1Left = 30;
constexpr int kFrm1WidthLess = 30;
constexpr int kFrm1Height = 720;


struct OptionText {
    const char16_t* caption;
    const char16_t* tip;
};

constexpr std::array<OptionText, 5> kOptions{{
    {u"显示标尺(1厘米/大格；2毫米/小格)", u"显示标尺网格，方便您根据打印偏差移动输入框。"},
    {u"纵向打印", u"将单据纵向放入打印机打印时，请选择此项。"},
    {u"锁定格式", u"选择此项后，格式被锁定，无法进行修改。"},
    {u"卡纸器两边向中间收缩", u"对于卡纸器两边向中间同时收缩的打印机，请选择此项。"},
    {u"显示底图", u"显示单据的背景图片。"},
}};

QIcon ZoomIcon(int index)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 2));
    if (index == 2) {
        painter.drawRect(2, 5, 16, 10);
        painter.drawLine(5, 10, 15, 10);
    } else {
        painter.drawEllipse(2, 2, 11, 11);
        painter.drawLine(12, 12, 18, 18);
        painter.drawLine(5, 7, 10, 7);
        if (index == 0) painter.drawLine(7, 5, 7, 10);
    }
    return QIcon(pixmap);
}

} // namespace

MainWindow::MainWindow(AppContext& app, QWidget* parent) : QMainWindow(parent), mApp(app)
{
    setObjectName(QStringLiteral("MF"));
    setWindowTitle(GuiApplication::Name());
    BuildMenus();
    BuildControls();
    mNewEditionCheck = new NewEditionCheck(mApp, *this);
    // The update asks about unsaved design changes before the updater starts; the close
    // that follows does not ask again.
    mNewEditionCheck->SetUnsavedChangesQuestion([this] { return KeepOrSaveChanges(); });
    mNewEditionCheck->SetCloseWindow([this] {
        mChangesSettled = true;
        const bool closed = close();
        mChangesSettled = false;
        return closed;
    });
    OnLoad();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::Action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

QWidget* MainWindow::Control(const QString& objectName) const
{
    return findChild<QWidget*>(objectName);
}

QString MainWindow::CurrentFormat() const
{
    QString name = mFormatCaption->text();
    if (mMarked && name.endsWith(kUnsavedMark)) name.chop(kUnsavedMark.size());
    return name;
}

// Changes of the layout live in the element table until the format is saved: before they
// would be dropped the user chooses to save them, drop them or stay. False for staying.
bool MainWindow::KeepOrSaveChanges()
{
    if (!mDocument.IsModified()) return true;
    const std::optional<bool> save = mApp.Prompt().AskOrCancel(QStringLiteral("格式已修改，是否保存？"));
    if (!save) return false;
    return !*save || SaveFormat();
}

void MainWindow::ShowUnsavedMark()
{
    const QString name = CurrentFormat();
    mMarked = mDocument.IsModified();
    mFormatCaption->setText(name + (mMarked ? kUnsavedMark : QString()));
}

bool MainWindow::SaveFormat()
{
    SyncOptions();
    // Boxes left off the page are pulled back onto it first (an undoable step of its own).
    mLayoutCommands->CheckOutside();
    // The history stays: its steps are made to name the IDs the save gives new elements.
    if (!mDocument.Save([this](Workspace& ws) { return Library().SaveCurrentFormat(ws); })) return false;
    ShowFormatName();
    Say(QStringLiteral("格式已保存"));
    return true;
}

// ---------------------------------------------------------------------------------------
// Opening and closing

void MainWindow::OnLoad()
{
    mApp.Paths().EnsureTempFolder();
    mApp.ReadLineBreakMarker();
    CoverWorkArea();
    ReadLastFormat();
    mLoaded = true;
}

void MainWindow::OnUnload()
{
    // The present contents become the format's defaults; the design itself is not saved.
    mCanvas->LeaveCurrentBox();
    if (!CurrentFormat().isEmpty()) HistoryRecords(mApp.DbOp(), mApp.Prompt()).SaveDefaults(mWorkspace);
    RememberLastFormat();
    if (mPasswordDialog) mPasswordDialog->close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A docked format list takes its width from the panes.
    if (watched == centralWidget() && event->type() == QEvent::Resize && mLoaded) RelayOut();
    // A double click on the format's name opens the format list.
    if (watched == mFormatCaption && event->type() == QEvent::MouseButtonDblClick) {
        ChooseFormat(QString(), false);
        return true;
    }
    // A click on the page size opens "修改单据尺寸".
    if ((watched == mWidthLabel || watched == mHeightLabel) && event->type() == QEvent::MouseButtonRelease) {
        EditPageSize();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!mChangesSettled && !KeepOrSaveChanges()) {
        event->ignore();
        return;
    }
    OnUnload();
    event->accept();
}

FormatStore MainWindow::Store()
{
    return FormatStore(mApp.DbOp(), mApp.Indicator(), mApp.Screen());
}

// The format shown last and option boxes 0–2 kept with it; the format is opened again.
void MainWindow::ReadLastFormat()
{
    constexpr int kUnset = -1;
    mWorkspace.options.fill(kUnset);
    mFormatCaption->setText(Store().ReadLastFormat(mWorkspace));
    for (int i = 0; i < 3; ++i)
        if (mWorkspace.options[i] != kUnset) SetOptionValue(*mOptionBoxes[static_cast<std::size_t>(i)], mWorkspace.options[i]);
    for (std::size_t i = 0; i < mOptionBoxes.size(); ++i) mWorkspace.options[i] = OptionValue(*mOptionBoxes[i]);
    if (!CurrentFormat().isEmpty()) OpenFormat(CurrentFormat());
}

void MainWindow::OpenFormat(const QString& name)
{
    ChooseFormat(name, true);
}

// The library with the window's part of each step: the list and name chooser, the
// defaults, the canvas.
FormatLibrary MainWindow::Library()
{
    FormatLibrary library(mApp);
    FormatLibrary::Hooks& hooks = library.hooks();
    hooks.chooseFromList = [this] {
        return FormatListDialog::ChooseFormat(mApp, this, false, CurrentFormat(),
                                              [this] { return FormatDownloadDialog::DownloadFormats(mApp, this); });
    };
    hooks.askFormatName = [this](bool allowEdit) { return AskFormatName(allowEdit); };
    hooks.storeDefaults = [this] {
        if (!mWorkspace.formatName.isEmpty()) HistoryRecords(mApp.DbOp(), mApp.Prompt()).SaveDefaults(mWorkspace);
    };
    const auto sizeCanvas = [this] {
        mWidthLabel->setText(mWorkspace.widthText);
        mHeightLabel->setText(mWorkspace.heightText);
        PlaceDesignedCanvas();
    };
    hooks.resizePage = sizeCanvas;
    hooks.removeElements = [this] { TableReloaded(); };
    hooks.load.sizeCanvas = sizeCanvas;
    hooks.load.rebuildElements = [this] { TableReloaded(); };
    hooks.load.loadDefaults = [this] { HistoryRecords(mApp.DbOp(), mApp.Prompt()).LoadDefaults(mWorkspace); };
    hooks.afterChoose = [this] {
        EntryKit kit(mApp);
        kit.entry.FillDateBoxes(mWorkspace);
        // A number a stored bill already carries (the window closed without keeping the
        // next one) is not offered again.
        kit.autoFill.AdvanceUsedNumbers(mWorkspace);
        for (std::size_t i = 0; i < mOptionBoxes.size(); ++i) SetOptionValue(*mOptionBoxes[i], mWorkspace.options[i]);
        ShowFormatName();
        ShowPrintTicks();
        RefreshCanvas();
    };
    return library;
}

bool MainWindow::ChooseFormat(const QString& name, bool force)
{
    if (!KeepOrSaveChanges()) return false;
    SyncOptions();
    mWorkspace.lineBreakMarker = mApp.LineBreakMarker();
    return Library().ChooseFormat(mWorkspace, name, force);
}

bool MainWindow::EditPageSize()
{
    if (!HasFormat()) return false;
    SyncOptions();
    FormatLibrary library = Library();
    if (!PageSizeDialog::Edit(library, mWorkspace, this)) return false;
    ShowFormatName();
    return true;
}

void MainWindow::ShowFormatName()
{
    mMarked = mDocument.IsModified();
    mFormatCaption->setText(mWorkspace.formatName + (mMarked ? kUnsavedMark : QString()));
    mWidthLabel->setText(mWorkspace.widthText);
    mHeightLabel->setText(mWorkspace.heightText);
    ShowFormatPanel();
}

// The name chooser "请选择格式名称": every stored format, typed names allowed when saving.
QString MainWindow::AskFormatName(bool allowEdit)
{
    FormatLibrary library(mApp);
    const QStringList names = library.ChooserNames();
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, FormatLibrary::ChooserCaption(), QStringLiteral("格式名称："), names,
                                                 std::max<qsizetype>(0, names.indexOf(CurrentFormat())), allowEdit, &ok);
    mApp.ChosenValue = ok ? FormatLibrary::ChosenFromText(chosen) : QString();
    return mApp.ChosenValue;
}

void MainWindow::ShowPrintTicks()
{
    Action(QStringLiteral("mSetPaper"))->setChecked(mWorkspace.setPaper);
    Action(QStringLiteral("mDiTuPrint"))->setChecked(mWorkspace.backgroundPrint);
    Action(QStringLiteral("mPrintRulers"))->setChecked(mWorkspace.printRulers);
}

void MainWindow::RememberLastFormat()
{
    mWorkspace.formatName = CurrentFormat();
    for (std::size_t i = 0; i < 3; ++i) mWorkspace.options[i] = OptionValue(*mOptionBoxes[i]);
    Store().RememberLastFormat(mWorkspace);
}

// Option boxes hold three values: 0 off, 1 on, 2 greyed (stored as such with the format).
int MainWindow::OptionValue(const QCheckBox& box)
{
    switch (box.checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    case Qt::Unchecked: break;
    }
    return 0;
}

// A stored value outside 0…2 cannot be shown and leaves the box as it is.
void MainWindow::SetOptionValue(QCheckBox& box, int stored)
{
    switch (stored) {
    case 0: box.setCheckState(Qt::Unchecked); break;
    case 1: box.setCheckState(Qt::Checked); break;
    case 2: box.setCheckState(Qt::PartiallyChecked); break;
    default: break;
    }
}

// A locked format (option 2) keeps its boxes where they are: the box menus go off.
void MainWindow::OnOptionClicked(int index)
{
    QCheckBox* box = mOptionBoxes[static_cast<std::size_t>(index)];
    if (box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
    if (index == 2) mSameContentMenu->menuAction()->setEnabled(box->checkState() == Qt::Unchecked);
    if (index == 0 || index == 2 || index == 4) ApplyCanvasOptions();
}

// ---------------------------------------------------------------------------------------
// Printing

// The option boxes as printing reads them.
bool MainWindow::SyncOptions()
{
    const bool left = mCanvas->LeaveCurrentBox();
    mWorkspace.formatName = CurrentFormat();
    for (std::size_t i = 0; i < mOptionBoxes.size(); ++i) mWorkspace.options[i] = OptionValue(*mOptionBoxes[i]);
    return left;
}

double MainWindow::FrameWidthTwips() const
{
    return mCanvas->ReferenceWidth() * GuiScreenInfo::TwipsPerPixelX();
}

void MainWindow::Say(const QString& what)
{
    statusBar()->showMessage(what);
}

bool MainWindow::HasFormat()
{
    if (!CurrentFormat().isEmpty()) return true;
    mApp.Prompt().Message(QStringLiteral("请先选择一个格式。"), Prompter::Icon::Information);
    return false;
}

void MainWindow::SetDestinationFactory(std::function<std::unique_ptr<PrintDestination>()> factory)
{
    mPrintCommands->SetDestinationFactory(factory);
    mBatchPage->SetDestinationFactory(factory);
    mHistoryPage->SetDestinationFactory(std::move(factory));
}

bool MainWindow::PrintCurrentBill()
{
    // The box being typed in is left first, as a click elsewhere would: its amount is
    // checked and converted, and its ring filled, before the bill is checked for printing.
    if (!mCanvas->LeaveCurrentBox()) return false;
    const bool printed = mPrintCommands->PrintCurrentBill();
    mCanvas->RefreshFromWorkspace(); // the serial numbers advanced
    return printed;
}

bool MainWindow::RenderPreview(QPrinter& printer)
{
    return mPrintCommands->RenderPreview(printer);
}

// The page exactly as the printer would get it, on the printer last chosen.
void MainWindow::PrintPreview()
{
    mPrintCommands->PrintPreview();
}

void MainWindow::EditMargins()
{
    mPrintCommands->EditMargins();
}

// ---------------------------------------------------------------------------------------
// Controls

void MainWindow::BuildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MFClient"));
    setCentralWidget(central);
    mPages = new QTabWidget(central);
    mPages->setObjectName(QStringLiteral("SST"));
    // Without the tab widget's own frame the pages fill the strip below the tabs, as the
    // pages of the designed tab strip do.
    mPages->setDocumentMode(true);
    mLBL = new QLabel(central);
    mLBL->setObjectName(QStringLiteral("LBL"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    BuildPages();
}

void MainWindow::BuildPages()
{
    const QStringList tabs{QStringLiteral("单据填写"), QStringLiteral("历史记录"), QStringLiteral("批量数据"),
                           QStringLiteral("输入框列表")};
    for (int i = 0; i < tabs.size(); ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("Pic_%1").arg(i));
        mPages->addTab(page, tabs[i]);
    }
    QWidget* first = mPages->widget(0);
    BuildOptionFrame(first);
    BuildCanvasArea(first);
    BuildHistoryPage(mPages->widget(1));
    BuildBatchPage(mPages->widget(2));
    auto* elementLayout = new QVBoxLayout(mPages->widget(3));
    elementLayout->setContentsMargins(4, 4, 4, 4);
    elementLayout->addWidget(mElementGrid = new ElementTablePage(mDocument, mPages->widget(3)));
    BuildDesignerParts();
    mPages->setCurrentIndex(0);
    connect(mPages, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1) mHistoryPage->ShowHistory();
    });
}

QToolButton* MainWindow::BuildZoomButton(int index, QWidget* parent)
{
    static const std::array<const char16_t*, 3> tips{u"放大", u"缩小", u"适合宽度"};
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("Zm_%1").arg(index));
    button->setIcon(ZoomIcon(index));
    button->setToolTip(QString::fromUtf16(tips[static_cast<std::size_t>(index)]));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, index] { mCanvas->Zoom(index); });
    return button;
}

void MainWindow::BuildOptionFrame(QWidget* page)
{
    mFrm1 = new QFrame(page);
    mFrm1->setObjectName(QStringLiteral("Frm_1"));
    mFrm1->setFrameShape(QFrame::StyledPanel);

    mFormatCaption = new QLabel(QStringLiteral("上次退出时格式"), mFrm1);
    mFormatCaption->installEventFilter(this);
    mFormatCaption->setObjectName(QStringLiteral("LFMT"));
    mFormatCaption->setToolTip(QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    QFont bold = mFormatCaption->font();
    bold.setBold(true);
    mFormatCaption->setFont(bold);
    mWidthLabel = new QLabel(QStringLiteral("180"), mFrm1);
    mWidthLabel->setObjectName(QStringLiteral("Wid"));
    mWidthLabel->installEventFilter(this);
    mWidthLabel->setToolTip(QStringLiteral("当前单据的宽度（点击可修改）。"));
    mHeightLabel = new QLabel(QStringLiteral("50"), mFrm1);
    mHeightLabel->installEventFilter(this);
    mHeightLabel->setObjectName(QStringLiteral("Hie"));
    mHeightLabel->setToolTip(QStringLiteral("当前单据的高度（点击可修改）。"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("当前格式："), mFrm1));
    top->addWidget(mFormatCaption);
    top->addSpacing(24);
    top->addWidget(new QLabel(QStringLiteral("单据尺寸："), mFrm1));
    top->addWidget(mWidthLabel);
    top->addWidget(new QLabel(QStringLiteral("×"), mFrm1));
    top->addWidget(mHeightLabel);
    top->addWidget(new QLabel(QStringLiteral("毫米"), mFrm1));
    top->addSpacing(24);
    for (int i = 0; i < 3; ++i) top->addWidget(mZoomButtons[static_cast<std::size_t>(i)] = BuildZoomButton(i, mFrm1));
    top->addStretch();

    auto* options = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        auto* box = new QCheckBox(QString::fromUtf16(kOptions[static_cast<std::size_t>(i)].caption), mFrm1);
        box->setObjectName(QStringLiteral("O2_%1").arg(i));
        box->setToolTip(QString::fromUtf16(kOptions[static_cast<std::size_t>(i)].tip));
        // A value set by the program acts as a click, so loading a format applies its options.
        connect(box, &QCheckBox::stateChanged, this, [this, i] { OnOptionClicked(i); });
        options->addWidget(box);
        mOptionBoxes[static_cast<std::size_t>(i)] = box;
    }
    options->addStretch();

    auto* rows = new QVBoxLayout(mFrm1);
    rows->setContentsMargins(6, 1, 6, 1);
    rows->setSpacing(0);
    rows->addLayout(top);
    rows->addLayout(options);
}

// The history page: the bills of the open format, newest first.
void MainWindow::BuildHistoryPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    mHistoryPage = new HistoryPage(mApp, mWorkspace, page);
    layout->addWidget(mHistoryPage);
    mHistoryPage->SetFrameWidth([this] { return FrameWidthTwips(); });
    connect(mHistoryPage, &HistoryPage::billLoaded, this, [this] {
        RefreshCanvas();
        mPages->setCurrentIndex(0);
    });
    connect(mHistoryPage, &HistoryPage::historyShown, this, [this] { mPages->setCurrentIndex(1); });
    auto* exportButton = new QPushButton(QStringLiteral("导出表格"), page);
    exportButton->setObjectName(QStringLiteral("Com_23"));
    layout->addWidget(exportButton, 0, Qt::AlignRight);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        mHistoryPage->ShowHistory(); // bills printed since the page was shown are in the file too
        Grid shown = mHistoryPage->History().grid();
        shown.SetRowHidden(0, true); // element IDs, which the page does not show
        GridExport(mApp.Prompt(), mApp.Indicator()).ExportGrid(shown, GridExport::HistorySheetTitle());
    });
}

// The batch page: bills imported from a spreadsheet, shown one by one, printed as one job.
void MainWindow::BuildBatchPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    mBatchPage = new BatchPage(mApp, mWorkspace, page);
    layout->addWidget(mBatchPage);
    mBatchPage->SetFrameWidth([this] { return FrameWidthTwips(); });
    mBatchPage->AttachScrollBar(mHorizontalBar);
    connect(mBatchPage, &BatchPage::billShown, this, [this] { mCanvas->RefreshFromWorkspace(); });
    connect(mBatchPage, &BatchPage::billsPrinted, this, [this] { mHistoryPage->Invalidate(); });
    QAction* printAll = Action(QStringLiteral("mPrintAllBills"));
    connect(mBatchPage, &BatchPage::billsChanged, printAll, [printAll](int bills) { printAll->setEnabled(bills > 0); });
    connect(printAll, &QAction::triggered, this, [this] {
        SyncOptions();
        mBatchPage->PrintAll();
    });
    // The rows were read for the boxes of the format that was open: another format (opened,
    // new or deleted) starts with an empty batch page.
    connect(&mDocument, &FormatDocument::tableReset, mBatchPage, &BatchPage::Clear);
}

bool MainWindow::BillCommand(const QString& name)
{
    return mBillMenu->Run(name);
}

void MainWindow::RefreshCanvas()
{
    mCanvas->RebuildElements();
    ApplyCanvasOptions();
}

// The table was filled anew (a format opened or a new one begun): its edit history ends here.
void MainWindow::TableReloaded()
{
    mDocument.Reload({});
    ApplyCanvasOptions();
}

// Options 0, 2 and 4 as the canvas shows them: the grid, the lock and the background.
void MainWindow::ApplyCanvasOptions()
{
    mCanvas->SetShowGrid(mOptionBoxes[0]->checkState() != Qt::Unchecked);
    mCanvas->SetLocked(mOptionBoxes[2]->checkState() != Qt::Unchecked);
    const bool background = mOptionBoxes[4]->checkState() != Qt::Unchecked;
    mCanvas->SetShowBackground(background, background ? BackgroundCommands::BackgroundPicture(mApp.Paths().Folder(),
                                                                                           CurrentFormat())
                                                  : QImage());
}

void MainWindow::BuildCanvasArea(QWidget* page)
{
    mHorizontalBar = new QScrollBar(Qt::Horizontal, page);
    mHorizontalBar->setObjectName(QStringLiteral("HS"));
    // It browses the rows of the batch grid; enabled when batch rows are loaded.
    mHorizontalBar->setRange(0, 0);
    mHorizontalBar->setEnabled(false);
    mCanvasFrame = new QFrame(page);
    mCanvasFrame->setObjectName(QStringLiteral("PFrm"));
    mCanvasFrame->setFrameShape(QFrame::Box);
    mCanvasFrame->setBackgroundRole(QPalette::Mid);
    mCanvasFrame->setAutoFillBackground(true);
    mCanvas = new BillCanvas(mApp, mDocument, mCanvasFrame);
    connect(mCanvas, &BillCanvas::contentsChanged, &mDocument, &FormatDocument::NotifyContentsChanged);
    mDesignTool = new DesignerCanvasTool(mDocument, *mCanvas);
    connect(&mDocument, &FormatDocument::modifiedChanged, this, &MainWindow::ShowUnsavedMark);
    mCanvas->SetTool(mDesignTool);
    BuildCommands();
    mVerticalBar = new QScrollBar(Qt::Vertical, page);
    mVerticalBar->setObjectName(QStringLiteral("VS"));
    mVerticalBar->setRange(0, 0);
    mVerticalBar->setEnabled(false);
    mPageBar = new QScrollBar(Qt::Horizontal, page);
    mPageBar->setObjectName(QStringLiteral("PHS"));
    // Both canvas bars get their range 0…5 when the canvas outgrows the frame.
    mPageBar->setRange(0, 0);
    mPageBar->setEnabled(false);
    mCanvas->SetScrollBars(mVerticalBar, mPageBar);
}

// The print commands and the bill menu, with the window's part of each.
void MainWindow::BuildCommands()
{
    const auto billStored = [this](qint64 record, bool printed) {
        mHistoryPage->Invalidate(); // reloads when next shown
        if (record > 0)
            Say((printed ? QStringLiteral("已打印，历史记录号：%1") : QStringLiteral("已保存，历史记录号：%1")).arg(record));
    };
    const auto hasFormat = [this] { return HasFormat(); };
    const auto sync = [this] { return SyncOptions(); };
    mPrintCommands = std::make_unique<PrintCommands>(
        mApp, mWorkspace, PrintCommands::Window{this, sync, hasFormat, [this] { return FrameWidthTwips(); }, billStored});
    BillMenu::Window bill;
    bill.hasFormat = hasFormat;
    bill.syncOptions = sync;
    bill.currentFormat = [this] { return CurrentFormat(); };
    bill.printCurrentBill = [this] { return PrintCurrentBill(); };
    bill.billStored = billStored;
    bill.backgroundChanged = [this](bool imported) {
        if (imported) mOptionBoxes[4]->setCheckState(Qt::Checked);
        ApplyCanvasOptions();
    };
    bill.addElementAt = [this](QPoint at) {
        mLayoutCommands->AddElementAt(WidgetPlace::ToTwipsX(at.x()), WidgetPlace::ToTwipsY(at.y()));
    };
    bill.locked = [this] { return mCanvas->Locked(); };
    bill.selectedRows = [this] {
        QSet<int> rows;
        for (qint64 id : mDocument.Selection()) rows.insert(mWorkspace.table.RowOfId(id));
        rows.remove(-1);
        return rows;
    };
    mBillMenu = new BillMenu(mApp, mWorkspace, *mCanvas, bill);
}

// ---------------------------------------------------------------------------------------
// Layout, in twips

void MainWindow::CoverWorkArea()
{
    const ScreenInfo& screen = mApp.Screen();
    const int width = screen.ScreenWidthTwips();
    const int height = screen.ScreenHeightTwips() - screen.TaskbarHeightTwips();
    WidgetPlace::MoveTwips(*this, 0, 0);
    WidgetPlace::ResizeTwips(*this, width, height);
    LayOut(width, height);
    PlaceDesignedCanvas();
    WidgetPlace::CentreInWorkArea(*this, screen);
}

// A window manager may give the window another size than asked (or the user resizes it);
// the panes follow the size the window really has.
void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (mLoaded) RelayOut();
}

// The frame a window gets is known only once it is on screen; the window is then sized again
// so that frame and all cover the work area.
void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (mShownOnce) return;
    mShownOnce = true;
    if (!WidgetPlace::FrameExtra(*this).isNull()) CoverWorkArea();
    mNewEditionCheck->Start();
}

void MainWindow::LayOut(int windowWidth, int windowHeight)
{
    const int sstTop = 0;
    const int sstWidth = windowWidth - kSstWidthLess;
    const int sstHeight = windowHeight - kSstHeightLess;
    WidgetPlace::SetGeometryTwips(*mPages, 0, sstTop, sstWidth, sstHeight);
    WidgetPlace::SetGeometryTwips(*mLBL, kLblLeft, sstTop + sstHeight + kLblGap, sstWidth - 2 * kLblLeft, kLblHeight);
    // The pages start below the tabs, whose height is the platform's.
    const int pageTop = WidgetPlace::ToTwipsY(mPages->tabBar()->sizeHint().height());
    LayOutPage(sstWidth, sstHeight - pageTop);
}

void MainWindow::LayOutPage(int pageWidth, int pageHeight)
{
    const QSize pagePixels(WidgetPlace::ToPixelsX(pageWidth), WidgetPlace::ToPixelsY(pageHeight));
    for (int i = 0; i < mPages->count(); ++i) mPages->widget(i)->resize(pagePixels);
    const int frameWidth = pageWidth - kScrollBar;
    const int frameHeight = pageHeight - kPFrmTop - kScrollBar;
    WidgetPlace::SetGeometryTwips(*mCanvasFrame, 0, kPFrmTop, frameWidth, frameHeight);
    WidgetPlace::SetGeometryTwips(*mPageBar, 0, pageHeight - kScrollBar - kPhsFromBottom, frameWidth, kScrollBar);
    WidgetPlace::SetGeometryTwips(*mVerticalBar, pageWidth - kVsFromRight, kPFrmTop, kScrollBar,
                                  pageHeight - kPFrmTop - kVsFromBottom);
    WidgetPlace::SetGeometryTwips(*mHorizontalBar, kHsLeft, kHsTop, pageWidth - kHsWidthLess, kHsHeight);
    WidgetPlace::SetGeometryTwips(*mFrm1, kFrm1Left, 0, pageWidth - kFrm1Left - kFrm1WidthLess, kFrm1Height);
    mVerticalBar->raise();
}

// Until a format is opened the canvas shows the designed page (the captions of Wid and Hie,
// 180 × 50 mm) across the frame.
void MainWindow::PlaceDesignedCanvas()
{
    mCanvas->FitPage();
}

} // namespace kestrio
