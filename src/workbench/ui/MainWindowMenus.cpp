// The main window's menu bar and the commands of its settings and tools menus.
#include "workbench/ui/MainWindow.h"

#include "app/AppContext.h"
#include "app/ui/MenuItem.h"
#include "app/ui/ChangePasswordDialog.h"
#include "app/ui/UserGuideWindow.h"
#include "app/UserGuide.h"
#include "format/FormatExchange.h"
#include "format/FormatLibrary.h"
#include "print/ui/BarcodeStandardDialog.h"
#include "seams/Prompter.h"
#include "stats/ui/StatisticsWindow.h"
#include "storage/DatabaseCompactor.h"
#include "web/ui/FormatDownloadDialog.h"
#include "designer/LayoutEditor.h"
#include "designer/ui/LayoutCommands.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/DesignerCanvasTool.h"
#include "workbench/ui/PrintCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QShortcut>
#include <QMenu>
#include <QKeySequence>
#include <QMenuBar>

namespace kestrio {

// ---------------------------------------------------------------------------------------
// Menus

QAction* MainWindow::AddItem(QMenu* menu, const QString& name, const QString& caption, bool enabled)
{
    return AddMenuItem(*menu, name, caption, enabled);
}

void MainWindow::BuildMenus()
{
    // Ctrl+S on the format menu's save item; the print menu adds Ctrl+P and Ctrl+Shift+P.
    menuBar()->addMenu(BuildFormatMenu());
    menuBar()->addMenu(BuildPrintMenu());
    menuBar()->addMenu(BuildControlMenu());
    menuBar()->addMenu(BuildToolMenu());
    menuBar()->addMenu(BuildSettingMenu());
    menuBar()->addMenu(BuildHelpMenu());
}

// "帮助(&H)": the user guide, also on F1 anywhere in the window.
QMenu* MainWindow::BuildHelpMenu()
{
    auto* menu = new QMenu(QStringLiteral("帮助(&H)"), this);
    menu->setObjectName(QStringLiteral("mHelp"));
    connect(AddItem(menu, QStringLiteral("mUserGuide"), QStringLiteral("使用说明 (F1)"), true), &QAction::triggered, this,
            &MainWindow::OnUserGuide);
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(key, &QShortcut::activated, this, &MainWindow::OnUserGuide);
    return menu;
}

void MainWindow::OnUserGuide()
{
    const QString path = UserGuide::Find(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        mApp.Prompt().Message(UserGuide::MissingMessage(), Prompter::Icon::Warning);
        return;
    }
    if (!mUserGuide) mUserGuide = new UserGuideWindow(path, this);
    mUserGuide->show();
    mUserGuide->raise();
    mUserGuide->activateWindow();
}

// Items that wait for their subsystem are shown disabled, so the menus already read as
// they will; each is enabled when its subsystem lands.
QMenu* MainWindow::BuildFormatMenu()
{
    auto* menu = new QMenu(QStringLiteral("格式(&F)"), this);
    menu->setObjectName(QStringLiteral("mFormat"));
    auto item = [&](const char* name, const char16_t* caption, auto slot) {
        connect(AddItem(menu, QString::fromLatin1(name), QString::fromUtf16(caption), true), &QAction::triggered, this,
                slot);
    };
    item("m_FCom_0", u"选择格式", [this] { ChooseFormat(QString(), false); });
    item("m_FCom_1", u"保存格式", [this] { SaveFormat(); });
    menu->findChild<QAction*>(QStringLiteral("m_FCom_1"))->setShortcut(QKeySequence::Save);
    item("m_FCom_2", u"另存格式", [this] {
        SyncOptions();
        mLayoutCommands->CheckOutside();
        if (!mDocument.Save([this](Workspace& ws) { return Library().SaveFormatAs(ws); })) return;
        ShowFormatName();
        Say(QStringLiteral("格式已保存"));
    });
    item("mNewFormat", u"新建格式", [this] {
        if (!KeepOrSaveChanges()) return;
        SyncOptions();
        if (Library().NewFormat(mWorkspace)) {
            ShowFormatName();
            ShowPrintTicks();
            TableReloaded();
        }
    });
    item("mDelFormat", u"删除格式", [this] { Library().DeleteFormat(QString(), CurrentFormat()); });
    menu->addSeparator();
    item("mManageFmt", u"管理格式", [this] { ChooseFormat(QString(), false); });
    item("mInputFormat", u"导入格式", [this] { ImportFormatFile(QString()); });
    item("mOutputFormat", u"导出格式", [this] {
        FormatExchange exchange(mApp);
        exchange.SetFormatChooser([this] { return AskFormatName(false); });
        exchange.ExportFmtFile(CurrentFormat());
    });
    item("DownFmt", u"下载格式模板", [this] { OpenWebCatalogue(); });
    menu->addSeparator();
    connect(AddItem(menu, QStringLiteral("mExit"), QStringLiteral("退出"), true), &QAction::triggered, this,
            &MainWindow::close);
    return menu;
}

QMenu* MainWindow::BuildPrintMenu()
{
    auto* menu = new QMenu(QStringLiteral("打印(&P)"), this);
    menu->setObjectName(QStringLiteral("mPrint"));
    QAction* print = AddItem(menu, QStringLiteral("mPrintBill"), QStringLiteral("打印当前单据"), true);
    print->setShortcut(QKeySequence::Print);
    connect(print, &QAction::triggered, this,
            [this] { PrintCurrentBill(); });
    QAction* preview = AddItem(menu, QStringLiteral("mPrintPreview"), QStringLiteral("打印预览"), true);
    preview->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(preview, &QAction::triggered, this,
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
            mPrintCommands->StorePrintSettings();
        });
    }
    return menu;
}

QMenu* MainWindow::BuildControlMenu()
{
    mLayoutCommands = new LayoutCommands(mDocument, mApp.Prompt(), mApp.Indicator(),
                                         [this] { return DesignerCanvasTool::FrameOf(*mCanvas, mDocument); }, this);
    mSameContentMenu = new QMenu(QStringLiteral("内容框设置(&C)"), this);
    mSameContentMenu->setObjectName(QStringLiteral("mSameContentMenu"));
    mSameContentMenu->menuAction()->setObjectName(QStringLiteral("mSameContentMenu"));
    mLayoutCommands->AddUndoItems(mSameContentMenu);
    mSameContentMenu->addSeparator();
    const auto item = [this](QMenu* menu, const char* name, const char16_t* caption, auto slot) {
        connect(AddItem(menu, QString::fromLatin1(name), QString::fromUtf16(caption), true), &QAction::triggered, this,
                slot);
    };
    const auto align = [this](int mode) { return [this, mode] { mLayoutCommands->Align(mode); }; };
    QMenu* alignMenu = mSameContentMenu->addMenu(QStringLiteral("内容框对齐"));
    alignMenu->setObjectName(QStringLiteral("mAlign"));
    alignMenu->menuAction()->setObjectName(QStringLiteral("mAlign"));
    item(alignMenu, "mAlignLeft", u"左对齐", align(LayoutEditor::AlignLeft));
    item(alignMenu, "mAlignRight", u"右对齐", align(LayoutEditor::AlignRight));
    item(alignMenu, "mAlignTop", u"顶端对齐", align(LayoutEditor::AlignTop));
    item(alignMenu, "mAlighBottom", u"底部对齐", align(LayoutEditor::AlignBottom));
    QMenu* size = mSameContentMenu->addMenu(QStringLiteral("内容框尺寸"));
    size->setObjectName(QStringLiteral("mCtlSize"));
    size->menuAction()->setObjectName(QStringLiteral("mCtlSize"));
    item(size, "mAlighWidth", u"统一宽度", align(LayoutEditor::SameWidth));
    item(size, "mAlighHight", u"统一高度", align(LayoutEditor::SameHeight));
    item(size, "mAlignSize", u"统一尺寸", [this] { mLayoutCommands->SameSize(); });
    return mSameContentMenu;
}

QMenu* MainWindow::BuildToolMenu()
{
    auto* menu = new QMenu(QStringLiteral("工具(&T)"), this);
    menu->setObjectName(QStringLiteral("mTools"));
    connect(AddItem(menu, QStringLiteral("mTool_0"), QStringLiteral("检查凭据外内容框"), true), &QAction::triggered,
            this, [this] { mLayoutCommands->CheckOutside(); });
    connect(AddItem(menu, QStringLiteral("mTool_1"), QStringLiteral("压缩整理数据库"), true), &QAction::triggered, this,
            [this] { OnToolItem(1); });
    // The statistics of the open format, in a window of its own beside this one.
    connect(AddItem(menu, QStringLiteral("mAnalyse"), StatisticsWindow::Caption(), true), &QAction::triggered, this,
            [this] {
                auto* window = new StatisticsWindow(mApp, CurrentFormat(), this);
                window->setAttribute(Qt::WA_DeleteOnClose);
                window->show();
            });
    connect(AddItem(menu, QStringLiteral("mTableGenerator"), QStringLiteral("生成表格"), true), &QAction::triggered,
            this, [this] { mLayoutCommands->GenerateTable(); });
    return menu;
}

QMenu* MainWindow::BuildSettingMenu()
{
    auto* menu = new QMenu(QStringLiteral("设置(&S)"), this);
    menu->setObjectName(QStringLiteral("mSettings"));
    connect(AddItem(menu, QStringLiteral("mSetCrlfChr"), QStringLiteral("设置换行特殊符"), true), &QAction::triggered,
            this, &MainWindow::OnSetLineBreakMarker);
    connect(AddItem(menu, QStringLiteral("mPSDSet"), QStringLiteral("登录密码设置"), true), &QAction::triggered, this,
            &MainWindow::OnChangePassword);
    connect(AddItem(menu, QStringLiteral("mStrBarCodeStand"), QStringLiteral("条码标准设置"), true), &QAction::triggered,
            this, [this] {
                // The picture boxes draw their barcodes anew in the chosen standard.
                BarcodeStandardDialog window(mApp.Parameters(), [this] { mCanvas->RebuildElements(); }, this);
                window.exec();
            });
    return menu;
}

// ---------------------------------------------------------------------------------------
// Menu commands

void MainWindow::ImportFormatFile(const QString& path)
{
    const FormatExchange::ImportResult result = FormatExchange(mApp).ImportFmtFile(path);
    if (result.stored && result.openNow) ChooseFormat(result.name, true);
}

void MainWindow::OnSetLineBreakMarker()
{
    const auto answer =
        mApp.Prompt().Input(QStringLiteral("请输入表示回车的表示字符串"), mApp.ReadLineBreakMarker());
    if (answer && !answer->isEmpty() && !mApp.SetLineBreakMarker(*answer))
        mApp.Prompt().Message(QStringLiteral("设置保存失败！"), Prompter::Icon::Critical);
}

// One password window at a time; asking again brings it to the front.
void MainWindow::OnChangePassword()
{
    if (!mPasswordDialog) {
        mPasswordDialog = new ChangePasswordDialog(mApp, this);
        mPasswordDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    mPasswordDialog->show();
    mPasswordDialog->raise();
    mPasswordDialog->activateWindow();
}

void MainWindow::OnToolItem(int index)
{
    if (index != 1) return;
    DatabaseCompactor(mApp.DbOp(), mApp.Prompt(), mApp.Indicator())
        .CompactDatabase(mApp.Paths().DatabasePath(), DbOperate::DatabaseKey(), true);
}

void MainWindow::OpenWebCatalogue()
{
    const QString name = FormatDownloadDialog::DownloadFormats(mApp, this);
    if (!name.isEmpty()) ChooseFormat(name, true);
}

} // namespace kestrio
