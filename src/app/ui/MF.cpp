#include "MF.h"

#include "GuiApplication.h"
#include "GuiScreenInfo.h"
#include "Canvas.h"
#include "FmtList.h"
#include "FormSize.h"
#include "HistoryTab.h"
#include "batch/GridExport.h"
#include "batch/ui/BatchPage.h"
#include "seams/UserSettings.h"
#include "MarginDialog.h"
#include "StrCodeStand.h"
#include "ModiPSD.h"
#include "WidgetPlace.h"
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
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
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

MF::MF(AppContext& app, QWidget* parent) : QMainWindow(parent), mApp(app)
{
    setObjectName(QStringLiteral("MF"));
    setWindowTitle(GuiApplication::Name());
    BuildMenus();
    BuildControls();
    Form_Load();
}

QAction* MF::Action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

QWidget* MF::Control(const QString& objectName) const
{
    return findChild<QWidget*>(objectName);
}

QString MF::CurrentFormat() const
{
    return mLFMT->text();
}

// ---------------------------------------------------------------------------------------
// Opening and closing

void MF::Form_Load()
{
    mApp.Paths().EnsureTempFolder();
    mApp.ReadLineBreakMarker();
    CoverWorkArea();
    ReadLastFormat();
    mLoaded = true;
}

void MF::Form_Unload()
{
    // The present contents become the format's defaults; the design itself is not saved.
    mPG->LeaveCurrentBox();
    if (!CurrentFormat().isEmpty()) HistoryRecords(mApp.DbOp(), mApp.Prompt()).SaveDefaults(mWorkspace);
    RememberLastFormat();
    if (mModiPSD) mModiPSD->close();
}

bool MF::eventFilter(QObject* watched, QEvent* event)
{
    // A double click on the format's name opens the format list.
    if (watched == mLFMT && event->type() == QEvent::MouseButtonDblClick) {
        ChooseFormat(QString(), false);
        return true;
    }
    // A click on the page size opens "修改单据尺寸".
    if ((watched == mWid || watched == mHie) && event->type() == QEvent::MouseButtonRelease) {
        EditPageSize();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MF::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

FormatStore MF::Store()
{
    return FormatStore(mApp.DbOp(), mApp.Indicator(), mApp.Screen());
}

// The format shown last and option boxes 0–2 kept with it; the format is opened again.
void MF::ReadLastFormat()
{
    constexpr int kUnset = -1;
    mWorkspace.options.fill(kUnset);
    mLFMT->setText(Store().ReadLastFormat(mWorkspace));
    for (int i = 0; i < 3; ++i)
        if (mWorkspace.options[i] != kUnset) SetOptionValue(*mO2[static_cast<std::size_t>(i)], mWorkspace.options[i]);
    for (std::size_t i = 0; i < mO2.size(); ++i) mWorkspace.options[i] = OptionValue(*mO2[i]);
    if (!CurrentFormat().isEmpty()) OpenFormat(CurrentFormat());
}

void MF::OpenFormat(const QString& name)
{
    ChooseFormat(name, true);
}

// The library with the window's part of each step: the list and name chooser, the
// defaults, the canvas.
FormatLibrary MF::Library()
{
    FormatLibrary library(mApp);
    FormatLibrary::Hooks& hooks = library.hooks();
    hooks.chooseFromList = [this] { return FmtList::ChooseFormat(mApp, this, false, CurrentFormat()); };
    hooks.askFormatName = [this](bool allowEdit) { return AskFormatName(allowEdit); };
    hooks.storeDefaults = [this] {
        if (!mWorkspace.formatName.isEmpty()) HistoryRecords(mApp.DbOp(), mApp.Prompt()).SaveDefaults(mWorkspace);
    };
    const auto sizeCanvas = [this] {
        mWid->setText(mWorkspace.widthText);
        mHie->setText(mWorkspace.heightText);
        PlaceDesignedCanvas();
    };
    hooks.resizePage = sizeCanvas;
    hooks.removeElements = [this] { RefreshCanvas(); };
    hooks.load.sizeCanvas = sizeCanvas;
    hooks.load.rebuildElements = [this] { mPG->RebuildElements(); };
    hooks.load.loadDefaults = [this] { HistoryRecords(mApp.DbOp(), mApp.Prompt()).LoadDefaults(mWorkspace); };
    hooks.afterChoose = [this] {
        EntryKit(mApp).entry.FillDateBoxes(mWorkspace);
        for (std::size_t i = 0; i < mO2.size(); ++i) SetOptionValue(*mO2[i], mWorkspace.options[i]);
        ShowFormatName();
        ShowPrintTicks();
        RefreshCanvas();
    };
    return library;
}

bool MF::ChooseFormat(const QString& name, bool force)
{
    SyncOptions();
    mWorkspace.lineBreakMarker = mApp.LineBreakMarker();
    return Library().ChooseFormat(mWorkspace, name, force);
}

bool MF::EditPageSize()
{
    if (!HasFormat()) return false;
    SyncOptions();
    FormatLibrary library = Library();
    if (!FormSize::Edit(library, mWorkspace, this)) return false;
    ShowFormatName();
    return true;
}

void MF::ShowFormatName()
{
    mLFMT->setText(mWorkspace.formatName);
    mWid->setText(mWorkspace.widthText);
    mHie->setText(mWorkspace.heightText);
}

// The name chooser "请选择格式名称": every stored format, typed names allowed when saving.
QString MF::AskFormatName(bool allowEdit)
{
    FormatLibrary library(mApp);
    const QStringList names = library.ChooserNames();
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, FormatLibrary::ChooserCaption(), QStringLiteral("格式名称："), names,
                                                 std::max<qsizetype>(0, names.indexOf(CurrentFormat())), allowEdit, &ok);
    mApp.ChosenValue = ok ? FormatLibrary::ChosenFromText(chosen) : QString();
    return mApp.ChosenValue;
}

void MF::ShowPrintTicks()
{
    Action(QStringLiteral("mSetPaper"))->setChecked(mWorkspace.setPaper);
    Action(QStringLiteral("mDiTuPrint"))->setChecked(mWorkspace.backgroundPrint);
    Action(QStringLiteral("mPrintRulers"))->setChecked(mWorkspace.printRulers);
}

void MF::RememberLastFormat()
{
    mWorkspace.formatName = CurrentFormat();
    for (std::size_t i = 0; i < 3; ++i) mWorkspace.options[i] = OptionValue(*mO2[i]);
    Store().RememberLastFormat(mWorkspace);
}

// Option boxes keep the three values of the old check boxes: 0 off, 1 on, 2 greyed.
int MF::OptionValue(const QCheckBox& box)
{
    switch (box.checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    case Qt::Unchecked: break;
    }
    return 0;
}

// A stored value outside 0…2 cannot be shown and leaves the box as it is.
void MF::SetOptionValue(QCheckBox& box, int stored)
{
    switch (stored) {
    case 0: box.setCheckState(Qt::Unchecked); break;
    case 1: box.setCheckState(Qt::Checked); break;
    case 2: box.setCheckState(Qt::PartiallyChecked); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------
// Menus

QAction* MF::AddItem(QMenu* menu, const QString& name, const QString& caption, bool enabled)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

void MF::BuildMenus()
{
    menuBar()->addMenu(BuildFormatMenu());
    menuBar()->addMenu(BuildPrintMenu());
    menuBar()->addMenu(BuildControlMenu());
    menuBar()->addMenu(BuildToolMenu());
    menuBar()->addMenu(BuildSettingMenu());
}

// Items that wait for their subsystem are shown disabled, so the menus already read as
// they will; each is enabled when its subsystem lands.
QMenu* MF::BuildFormatMenu()
{
    auto* menu = new QMenu(QStringLiteral("格式(&F)"), this);
    menu->setObjectName(QStringLiteral("mFormat"));
    auto item = [&](const char* name, const char16_t* caption, auto slot) {
        connect(AddItem(menu, QString::fromLatin1(name), QString::fromUtf16(caption), true), &QAction::triggered, this,
                slot);
    };
    item("m_FCom_0", u"选择格式", [this] { ChooseFormat(QString(), false); });
    item("m_FCom_1", u"保存格式", [this] {
        SyncOptions();
        Library().SaveCurrentFormat(mWorkspace);
    });
    item("m_FCom_2", u"另存格式", [this] {
        SyncOptions();
        if (Library().SaveFormatAs(mWorkspace)) ShowFormatName();
    });
    item("mNewFormat", u"新建格式", [this] {
        SyncOptions();
        if (Library().NewFormat(mWorkspace)) {
            ShowFormatName();
            RefreshCanvas();
        }
    });
    item("mDelFormat", u"删除格式", [this] { Library().DeleteFormat(QString(), CurrentFormat()); });
    menu->addSeparator();
    item("mManageFmt", u"管理格式", [this] { ChooseFormat(QString(), false); });
    item("mInputFormat", u"导入格式", [this] {
        const FormatExchange::ImportResult result = FormatExchange(mApp).ImportFmtFile(QString());
        if (result.stored && result.openNow) ChooseFormat(result.name, true);
    });
    item("mOutputFormat", u"导出格式", [this] {
        FormatExchange exchange(mApp);
        exchange.SetFormatChooser([this] { return AskFormatName(false); });
        exchange.ExportFmtFile(CurrentFormat());
    });
    // The web catalogue comes with its own issue.
    AddItem(menu, QStringLiteral("DownFmt"), QStringLiteral("下载格式模板"), false);
    menu->addSeparator();
    connect(AddItem(menu, QStringLiteral("mExit"), QStringLiteral("退出"), true), &QAction::triggered, this,
            &MF::close);
    return menu;
}

QMenu* MF::BuildPrintMenu()
{
    auto* menu = new QMenu(QStringLiteral("打印(&P)"), this);
    menu->setObjectName(QStringLiteral("mPrint"));
    connect(AddItem(menu, QStringLiteral("mPrintBill"), QStringLiteral("打印当前单据"), true), &QAction::triggered, this,
            [this] { PrintCurrentBill(); });
    connect(AddItem(menu, QStringLiteral("mPrintPreview"), QStringLiteral("打印预览"), true), &QAction::triggered, this,
            [this] { PrintPreview(); });
    // Enabled by the batch page while it holds bills.
    AddItem(menu, QStringLiteral("mPrintAllBills"), QStringLiteral("打印所有单据"), false);
    menu->addSeparator();
    connect(AddItem(menu, QStringLiteral("mMargins"), QStringLiteral("打印页边距"), true), &QAction::triggered, this,
            [this] { EditMargins(); });
    // Ticks whose states travel with the format.
    const struct {
        const char16_t* name;
        const char16_t* caption;
        bool Workspace::*flag;
    } ticks[] = {{u"mSetPaper", u"自动设置纸张", &Workspace::setPaper},
                 {u"mDiTuPrint", u"连同底图打印", &Workspace::backgroundPrint},
                 {u"mPrintRulers", u"打印标尺坐标", &Workspace::printRulers}};
    for (const auto& tick : ticks) {
        QAction* action = AddItem(menu, QString::fromUtf16(tick.name), QString::fromUtf16(tick.caption), true);
        action->setCheckable(true);
        const auto flag = tick.flag;
        connect(action, &QAction::triggered, this, [this, flag](bool checked) {
            mWorkspace.*flag = checked;
            StorePrintSettings();
        });
    }
    return menu;
}

QMenu* MF::BuildControlMenu()
{
    mCtlSame = new QMenu(QStringLiteral("内容框设置(&C)"), this);
    mCtlSame->setObjectName(QStringLiteral("mCtlSame"));
    mCtlSame->menuAction()->setObjectName(QStringLiteral("mCtlSame"));
    QMenu* align = mCtlSame->addMenu(QStringLiteral("内容框对齐"));
    align->setObjectName(QStringLiteral("mAlign"));
    align->menuAction()->setObjectName(QStringLiteral("mAlign"));
    AddItem(align, QStringLiteral("mAlignLeft"), QStringLiteral("左对齐"), false);
    AddItem(align, QStringLiteral("mAlignRight"), QStringLiteral("右对齐"), false);
    AddItem(align, QStringLiteral("mAlignTop"), QStringLiteral("顶端对齐"), false);
    AddItem(align, QStringLiteral("mAlighBottom"), QStringLiteral("底部对齐"), false);
    QMenu* size = mCtlSame->addMenu(QStringLiteral("内容框尺寸"));
    size->setObjectName(QStringLiteral("mCtlSize"));
    size->menuAction()->setObjectName(QStringLiteral("mCtlSize"));
    AddItem(size, QStringLiteral("mAlighWidth"), QStringLiteral("统一宽度"), false);
    AddItem(size, QStringLiteral("mAlighHight"), QStringLiteral("统一高度"), false);
    AddItem(size, QStringLiteral("mAlignSize"), QStringLiteral("统一尺寸"), false);
    return mCtlSame;
}

QMenu* MF::BuildToolMenu()
{
    auto* menu = new QMenu(QStringLiteral("工具(&T)"), this);
    menu->setObjectName(QStringLiteral("mTools"));
    AddItem(menu, QStringLiteral("mTool_0"), QStringLiteral("检查凭据外内容框"), false);
    connect(AddItem(menu, QStringLiteral("mTool_1"), QStringLiteral("压缩整理数据库"), true), &QAction::triggered, this,
            [this] { mTool_Click(1); });
    return menu;
}

QMenu* MF::BuildSettingMenu()
{
    auto* menu = new QMenu(QStringLiteral("设置(&S)"), this);
    menu->setObjectName(QStringLiteral("mSettings"));
    connect(AddItem(menu, QStringLiteral("mSetCrlfChr"), QStringLiteral("设置换行特殊符"), true), &QAction::triggered,
            this, &MF::mSetCrlfChr_Click);
    connect(AddItem(menu, QStringLiteral("mPSDSet"), QStringLiteral("登录密码设置"), true), &QAction::triggered, this,
            &MF::mPSDSet_Click);
    connect(AddItem(menu, QStringLiteral("mStrBarCodeStand"), QStringLiteral("条码标准设置"), true), &QAction::triggered,
            this, [this] {
                // The picture boxes draw their barcodes anew in the chosen standard.
                StrCodeStand window(mApp.Parameters(), [this] { mPG->RebuildElements(); }, this);
                window.exec();
            });
    return menu;
}

// ---------------------------------------------------------------------------------------
// Menu commands

void MF::mSetCrlfChr_Click()
{
    const auto answer =
        mApp.Prompt().Input(QStringLiteral("请输入表示回车的表示字符串"), mApp.ReadLineBreakMarker());
    if (answer && !answer->isEmpty()) mApp.SetLineBreakMarker(*answer);
}

// One password window at a time; asking again brings it to the front.
void MF::mPSDSet_Click()
{
    if (!mModiPSD) {
        mModiPSD = new ModiPSD(mApp, this);
        mModiPSD->setAttribute(Qt::WA_DeleteOnClose);
    }
    mModiPSD->show();
    mModiPSD->raise();
    mModiPSD->activateWindow();
}

void MF::mTool_Click(int index)
{
    if (index != 1) return;
    DatabaseCompactor(mApp.DbOp(), mApp.Prompt(), mApp.Indicator())
        .CompactDatabase(mApp.Paths().DatabasePath(), DbOperate::DatabaseKey(), true);
}

// A locked format (option 2) keeps its boxes where they are: the box menus go off.
void MF::O2_Click(int index)
{
    QCheckBox* box = mO2[static_cast<std::size_t>(index)];
    if (box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
    if (index == 2) mCtlSame->menuAction()->setEnabled(box->checkState() == Qt::Unchecked);
    if (index == 0 || index == 2 || index == 4) ApplyCanvasOptions();
}

// ---------------------------------------------------------------------------------------
// Printing

// The option boxes as printing reads them.
void MF::SyncOptions()
{
    mPG->LeaveCurrentBox();
    mWorkspace.formatName = CurrentFormat();
    for (std::size_t i = 0; i < mO2.size(); ++i) mWorkspace.options[i] = OptionValue(*mO2[i]);
}

double MF::FrameWidthTwips() const
{
    return mPFrm->width() * GuiScreenInfo::TwipsPerPixelX();
}

bool MF::HasFormat()
{
    if (!CurrentFormat().isEmpty()) return true;
    mApp.Prompt().Message(QStringLiteral("请先选择一个格式。"), Prompter::Icon::Information);
    return false;
}

void MF::StorePrintSettings()
{
    if (CurrentFormat().isEmpty()) return;
    SyncOptions();
    Store().StorePrintSettings(mWorkspace);
}

std::unique_ptr<PrintDestination> MF::MakeDestination()
{
    if (mMakeDestination) return mMakeDestination();
    return std::make_unique<PrinterDestination>(mApp.Prompt(), mApp.Settings(), this);
}

void MF::SetDestinationFactory(std::function<std::unique_ptr<PrintDestination>()> factory)
{
    mMakeDestination = factory;
    mHistoryTab->SetDestinationFactory(std::move(factory));
}

bool MF::PrintCurrentBill()
{
    if (!HasFormat()) return false;
    SyncOptions();
    const std::unique_ptr<PrintDestination> destination = MakeDestination();
    HistoryRecords records(mApp.DbOp(), mApp.Prompt());
    BillPrinter printer(*destination, BillPrinter::EnvironmentFor(mApp, mWorkspace, FrameWidthTwips()), &records,
                        mApp.Prompt(), mApp.Indicator());
    const bool printed = printer.PrintBill(mWorkspace, true, true);
    // The history page reloads when it is next shown.
    if (printed) mHistoryTab->Invalidate();
    return printed;
}

bool MF::RenderPreview(QPrinter& printer)
{
    SyncOptions();
    PrinterDestination destination(&printer, mApp.Prompt());
    BillPrinter preview(destination, BillPrinter::EnvironmentFor(mApp, mWorkspace, FrameWidthTwips()), nullptr,
                        mApp.Prompt(), mApp.Indicator());
    return preview.PrintBill(mWorkspace, true, false);
}

// The page exactly as the printer would get it, on the printer last chosen.
void MF::PrintPreview()
{
    if (!HasFormat()) return;
    SyncOptions();
    // Said once here rather than at every repaint of the preview.
    if (BillRenderer::AmountOverflowRow(mWorkspace) >= 0) {
        mApp.Prompt().Message(BillPrinter::AmountOverflowMessage(), Prompter::Icon::Warning);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    const QString remembered =
        mApp.Settings().ReadUserSetting(PrinterDestination::SettingApplication(), PrinterDestination::SettingSection(),
                                        PrinterDestination::SettingName(), QString());
    const QString preselected =
        PrinterDestination::PreselectedPrinter(QPrinterInfo::availablePrinterNames(), remembered, printer.printerName());
    if (!preselected.isEmpty()) printer.setPrinterName(preselected);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { RenderPreview(*target); });
    dialog.exec();
}

void MF::EditMargins()
{
    if (!HasFormat()) return;
    if (MarginDialog::EditMargins(this, mWorkspace.offsetXText, mWorkspace.offsetYText)) StorePrintSettings();
}

// ---------------------------------------------------------------------------------------
// Controls

void MF::BuildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MFClient"));
    setCentralWidget(central);
    mSST = new QTabWidget(central);
    mSST->setObjectName(QStringLiteral("SST"));
    // Without the tab widget's own frame the pages fill the strip below the tabs, as the
    // pages of the designed tab strip do.
    mSST->setDocumentMode(true);
    mLBL = new QLabel(central);
    mLBL->setObjectName(QStringLiteral("LBL"));
    BuildPages();
}

void MF::BuildPages()
{
    const QStringList tabs{QStringLiteral("单据填写"), QStringLiteral("历史记录"), QStringLiteral("批量数据"),
                           QStringLiteral("输入框列表")};
    for (int i = 0; i < tabs.size(); ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("Pic_%1").arg(i));
        mSST->addTab(page, tabs[i]);
    }
    QWidget* first = mSST->widget(0);
    BuildOptionFrame(first);
    BuildCanvasArea(first);
    BuildHistoryPage(mSST->widget(1));
    BuildBatchPage(mSST->widget(2));
    BuildElementPage(mSST->widget(3));
    mSST->setCurrentIndex(0);
    connect(mSST, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1) mHistoryTab->ShowHistory();
    });
}

QToolButton* MF::BuildZoomButton(int index, QWidget* parent)
{
    static const std::array<const char16_t*, 3> tips{u"放大", u"缩小", u"适合宽度"};
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("Zm_%1").arg(index));
    button->setIcon(ZoomIcon(index));
    button->setToolTip(QString::fromUtf16(tips[static_cast<std::size_t>(index)]));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, index] { mPG->Zoom(index); });
    return button;
}

void MF::BuildOptionFrame(QWidget* page)
{
    mFrm1 = new QFrame(page);
    mFrm1->setObjectName(QStringLiteral("Frm_1"));
    mFrm1->setFrameShape(QFrame::StyledPanel);

    mLFMT = new QLabel(QStringLiteral("上次退出时格式"), mFrm1);
    mLFMT->installEventFilter(this);
    mLFMT->setObjectName(QStringLiteral("LFMT"));
    mLFMT->setToolTip(QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    QFont bold = mLFMT->font();
    bold.setBold(true);
    mLFMT->setFont(bold);
    mWid = new QLabel(QStringLiteral("180"), mFrm1);
    mWid->setObjectName(QStringLiteral("Wid"));
    mWid->installEventFilter(this);
    mWid->setToolTip(QStringLiteral("当前单据的宽度（点击可修改）。"));
    mHie = new QLabel(QStringLiteral("50"), mFrm1);
    mHie->installEventFilter(this);
    mHie->setObjectName(QStringLiteral("Hie"));
    mHie->setToolTip(QStringLiteral("当前单据的高度（点击可修改）。"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("当前格式："), mFrm1));
    top->addWidget(mLFMT);
    top->addSpacing(24);
    top->addWidget(new QLabel(QStringLiteral("单据尺寸："), mFrm1));
    top->addWidget(mWid);
    top->addWidget(new QLabel(QStringLiteral("×"), mFrm1));
    top->addWidget(mHie);
    top->addWidget(new QLabel(QStringLiteral("毫米"), mFrm1));
    top->addSpacing(24);
    for (int i = 0; i < 3; ++i) top->addWidget(mZm[static_cast<std::size_t>(i)] = BuildZoomButton(i, mFrm1));
    top->addStretch();

    auto* options = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        auto* box = new QCheckBox(QString::fromUtf16(kOptions[static_cast<std::size_t>(i)].caption), mFrm1);
        box->setObjectName(QStringLiteral("O2_%1").arg(i));
        box->setToolTip(QString::fromUtf16(kOptions[static_cast<std::size_t>(i)].tip));
        // Like the old check boxes, a value set by the program acts as a click.
        connect(box, &QCheckBox::stateChanged, this, [this, i] { O2_Click(i); });
        options->addWidget(box);
        mO2[static_cast<std::size_t>(i)] = box;
    }
    options->addStretch();

    auto* rows = new QVBoxLayout(mFrm1);
    rows->setContentsMargins(6, 1, 6, 1);
    rows->setSpacing(0);
    rows->addLayout(top);
    rows->addLayout(options);
}

// The history page: the bills of the open format, newest first.
void MF::BuildHistoryPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    mHistoryTab = new HistoryTab(mApp, mWorkspace, page);
    layout->addWidget(mHistoryTab);
    mHistoryTab->SetFrameWidth([this] { return FrameWidthTwips(); });
    connect(mHistoryTab, &HistoryTab::billLoaded, this, [this] {
        RefreshCanvas();
        mSST->setCurrentIndex(0);
    });
    connect(mHistoryTab, &HistoryTab::historyShown, this, [this] { mSST->setCurrentIndex(1); });
    auto* exportButton = new QPushButton(QStringLiteral("导出表格"), page);
    exportButton->setObjectName(QStringLiteral("Com_23"));
    layout->addWidget(exportButton, 0, Qt::AlignRight);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        mHistoryTab->ShowHistory(); // bills printed since the page was shown are in the file too
        Grid shown = mHistoryTab->History().grid();
        shown.SetRowHidden(0, true); // element IDs, which the page does not show
        GridExport(mApp.Prompt(), mApp.Indicator()).ExportGrid(shown, GridExport::HistorySheetTitle());
    });
}

// The batch page: bills imported from a spreadsheet, shown one by one, printed as one job.
void MF::BuildBatchPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    mBatchPage = new BatchPage(mApp, mWorkspace, page);
    layout->addWidget(mBatchPage);
    mBatchPage->SetFrameWidth([this] { return FrameWidthTwips(); });
    mBatchPage->SetDestinationFactory([this] { return MakeDestination(); });
    mBatchPage->AttachScrollBar(mHS);
    connect(mBatchPage, &BatchPage::billShown, this, [this] { mPG->RefreshFromWorkspace(); });
    connect(mBatchPage, &BatchPage::billsPrinted, this, [this] { mHistoryTab->Invalidate(); });
    QAction* printAll = findChild<QAction*>(QStringLiteral("mPrintAllBills"));
    connect(mBatchPage, &BatchPage::billsChanged, printAll, [printAll](int bills) { printAll->setEnabled(bills > 0); });
    connect(printAll, &QAction::triggered, this, [this] {
        mPG->LeaveCurrentBox();
        SyncOptions();
        mBatchPage->PrintAll();
    });
}

// ---------------------------------------------------------------------------------------
// The canvas's context menu: the bill menu "单据菜单", and for a picture box its picture and
// barcode.

void MF::BuildBillMenu()
{
    mPG->setContextMenuPolicy(Qt::CustomContextMenu);
    mPG->setToolTip(QStringLiteral("点击右键，可添加输入框或清空输入框内容。"));
    connect(mPG, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { ShowBillMenu(at); });
}

void MF::ShowBillMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mPicGraph"));
    auto add = [&](const char* name, const char16_t* caption, auto slot) {
        QAction* action = menu.addAction(QString::fromUtf16(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QWidget* under = mPG->childAt(at);
    const int row = under ? mPG->RowOf(under) : -1;
    if (row >= 0 && mWorkspace.table.KindOf(row) == ElementTable::PictureBox) {
        add("mChoosePicture", u"添加/更改图片", [this, row] { ChoosePicture(row); });
        add("mInputBarcode", u"输入条码", [this, row] { EnterBarcode(row); });
        menu.addSeparator();
    }
    add("mAutoGetDate", u"自动生成日期", [this] { BillCommand(QStringLiteral("mAutoGetDate")); });
    menu.addSeparator();
    add("mClearCtl", u"清空内容框", [this] { BillCommand(QStringLiteral("mClearCtl")); });
    menu.addSeparator();
    add("mSaveContinue", u"保存并继续", [this] { BillCommand(QStringLiteral("mSaveContinue")); });
    add("mPrintContinue", u"打印并继续", [this] { BillCommand(QStringLiteral("mPrintContinue")); });
    menu.addSeparator();
    add("mModiBackgroundPic", u"更换背景图", [this] { BillCommand(QStringLiteral("mModiBackgroundPic")); });
    add("mClearBackPic", u"清除背景图", [this] { BillCommand(QStringLiteral("mClearBackPic")); });
    menu.exec(mPG->mapToGlobal(at));
}

bool MF::BillCommand(const QString& name)
{
    if (!HasFormat()) return false;
    SyncOptions();
    EntryKit kit(mApp);
    DataEntry& entry = kit.entry;
    bool done = true;
    if (name == QLatin1String("mAutoGetDate")) {
        entry.FillDateBoxes(mWorkspace);
    } else if (name == QLatin1String("mClearCtl")) {
        DataEntry::ClearContents(mWorkspace);
    } else if (name == QLatin1String("mSaveContinue")) {
        HistoryRecords records(mApp.DbOp(), mApp.Prompt());
        entry.SaveAndContinue(mWorkspace, records);
        mHistoryTab->Invalidate();
    } else if (name == QLatin1String("mPrintContinue")) {
        done = PrintCurrentBill();
        if (done) entry.NextBill(mWorkspace);
    } else if (name == QLatin1String("mModiBackgroundPic")) {
        done = BackgroundCommands::ChooseAndImport(mApp.Prompt(), mApp.Paths().Folder(), CurrentFormat()) ==
               BackgroundCommands::ImportResult::Imported;
        if (done) {
            mO2[4]->setCheckState(Qt::Checked);
            ApplyCanvasOptions();
        }
    } else if (name == QLatin1String("mClearBackPic")) {
        done = BackgroundCommands::ClearBackground(mApp.Prompt(), mApp.Paths().Folder(), CurrentFormat());
        if (done) ApplyCanvasOptions();
    } else {
        return false;
    }
    mPG->RefreshFromWorkspace();
    return done;
}

// A picture file for the box; the picture is drawn stretched into it.
void MF::ChoosePicture(int row)
{
    const QString path = mApp.Prompt().OpenFile(QStringLiteral("选择图片"),
                                                QStringLiteral("图片文件 (*.jpg *.jpeg *.bmp *.png *.gif)"));
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path)) {
        mApp.Prompt().Message(QStringLiteral("图片文件“") + path + QStringLiteral("”不存在！"), Prompter::Icon::Warning);
        return;
    }
    ShowPicture(row, [&](QSize size, double dpi, double fontSize) {
        PictureContent::SetPictureContent(mWorkspace, row, path, size, dpi, fontSize,
                                          Barcode::ParseStandard(mApp.Parameters().GetParam(QStringLiteral("StrBarCodeStand"))),
                                          &mApp.Prompt());
    });
}

void MF::EnterBarcode(int row)
{
    ShowPicture(row, [&](QSize size, double dpi, double fontSize) {
        PictureContent::AskBarcode(mWorkspace, row, mApp.Prompt(), size, dpi, fontSize,
                                   Barcode::ParseStandard(mApp.Parameters().GetParam(QStringLiteral("StrBarCodeStand"))));
    });
}

void MF::ShowPicture(int row, const std::function<void(QSize, double, double)>& put)
{
    QWidget* control = mPG->Control(mPG->ElementIndexOfRow(row));
    const QSize size = control ? control->size() : QSize(1, 1);
    put(size, logicalDpiX(), mWorkspace.table.Number(row, ElementTable::ColFontSize) * mPG->CanvasFactor());
    mPG->RefreshFromWorkspace();
}

// The element table as the format stores it (editing it belongs to the designer).
void MF::BuildElementPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    mMSF3 = new QTableWidget(page);
    mMSF3->setObjectName(QStringLiteral("MSF_3"));
    mMSF3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mMSF3->verticalHeader()->setVisible(false);
    layout->addWidget(mMSF3);
}

void MF::ShowElementTable()
{
    const ElementTable& table = mWorkspace.table;
    mMSF3->clear();
    mMSF3->setColumnCount(ElementTable::ColumnCount);
    mMSF3->setHorizontalHeaderLabels(ElementTable::Headers());
    mMSF3->setRowCount(table.RowCount() - ElementTable::kFirstRow);
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row)
        for (int col = 0; col < ElementTable::ColumnCount; ++col)
            mMSF3->setItem(row - ElementTable::kFirstRow, col,
                           new QTableWidgetItem(col == ElementTable::ColColor ? QString::number(table.Color(row))
                                                                             : table.Text(row, col)));
    mMSF3->resizeColumnsToContents();
}

void MF::RefreshCanvas()
{
    ShowElementTable();
    mPG->RebuildElements();
    ApplyCanvasOptions();
}

// Options 0, 2 and 4 as the canvas shows them: the grid, the lock and the background.
void MF::ApplyCanvasOptions()
{
    mPG->SetShowGrid(mO2[0]->checkState() != Qt::Unchecked);
    mPG->SetLocked(mO2[2]->checkState() != Qt::Unchecked);
    const bool background = mO2[4]->checkState() != Qt::Unchecked;
    mPG->SetShowBackground(background, background ? BackgroundCommands::BackgroundPicture(mApp.Paths().Folder(),
                                                                                           CurrentFormat())
                                                  : QImage());
}

void MF::BuildCanvasArea(QWidget* page)
{
    mHS = new QScrollBar(Qt::Horizontal, page);
    mHS->setObjectName(QStringLiteral("HS"));
    // It browses the rows of the batch grid; enabled when batch rows are loaded.
    mHS->setRange(0, 0);
    mHS->setEnabled(false);
    mPFrm = new QFrame(page);
    mPFrm->setObjectName(QStringLiteral("PFrm"));
    mPFrm->setFrameShape(QFrame::Box);
    mPFrm->setBackgroundRole(QPalette::Mid);
    mPFrm->setAutoFillBackground(true);
    mPG = new Canvas(mApp, mWorkspace, mPFrm);
    BuildBillMenu();
    mVS = new QScrollBar(Qt::Vertical, page);
    mVS->setObjectName(QStringLiteral("VS"));
    mVS->setRange(0, 0);
    mVS->setEnabled(false);
    mPHS = new QScrollBar(Qt::Horizontal, page);
    mPHS->setObjectName(QStringLiteral("PHS"));
    // Both canvas bars get their range 0…5 when the canvas outgrows the frame.
    mPHS->setRange(0, 0);
    mPHS->setEnabled(false);
    mPG->SetScrollBars(mVS, mPHS);
}

// ---------------------------------------------------------------------------------------
// Layout, in twips

void MF::CoverWorkArea()
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
void MF::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!mLoaded) return;
    const QRect place = WidgetPlace::PlaceTwips(*this);
    LayOut(place.width(), place.height());
}

// The frame a window gets is known only once it is on screen; the window is then sized again
// so that frame and all cover the work area.
void MF::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (mShownOnce) return;
    mShownOnce = true;
    if (!WidgetPlace::FrameExtra(*this).isNull()) CoverWorkArea();
}

void MF::LayOut(int windowWidth, int windowHeight)
{
    const int sstTop = 0;
    const int sstWidth = windowWidth - kSstWidthLess;
    const int sstHeight = windowHeight - kSstHeightLess;
    WidgetPlace::SetGeometryTwips(*mSST, 0, sstTop, sstWidth, sstHeight);
    WidgetPlace::SetGeometryTwips(*mLBL, kLblLeft, sstTop + sstHeight + kLblGap, sstWidth - 2 * kLblLeft, kLblHeight);
    // The pages start below the tabs, whose height is the platform's.
    const int pageTop = WidgetPlace::ToTwipsY(mSST->tabBar()->sizeHint().height());
    LayOutPage(sstWidth, sstHeight - pageTop);
}

void MF::LayOutPage(int pageWidth, int pageHeight)
{
    const QSize pagePixels(WidgetPlace::ToPixelsX(pageWidth), WidgetPlace::ToPixelsY(pageHeight));
    for (int i = 0; i < mSST->count(); ++i) mSST->widget(i)->resize(pagePixels);
    const int frameWidth = pageWidth - kScrollBar;
    const int frameHeight = pageHeight - kPFrmTop - kScrollBar;
    WidgetPlace::SetGeometryTwips(*mPFrm, 0, kPFrmTop, frameWidth, frameHeight);
    WidgetPlace::SetGeometryTwips(*mPHS, 0, pageHeight - kScrollBar - kPhsFromBottom, frameWidth, kScrollBar);
    WidgetPlace::SetGeometryTwips(*mVS, pageWidth - kVsFromRight, kPFrmTop, kScrollBar,
                                  pageHeight - kPFrmTop - kVsFromBottom);
    WidgetPlace::SetGeometryTwips(*mHS, kHsLeft, kHsTop, pageWidth - kHsWidthLess, kHsHeight);
    WidgetPlace::SetGeometryTwips(*mFrm1, kFrm1Left, 0, pageWidth - kFrm1Left - kFrm1WidthLess, kFrm1Height);
    mVS->raise();
}

// Until a format is opened the canvas shows the designed page (the captions of Wid and Hie,
// 180 × 50 mm) across the frame.
void MF::PlaceDesignedCanvas()
{
    mPG->FitPage();
}

} // namespace kestrio
