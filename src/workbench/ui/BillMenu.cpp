#include "workbench/ui/BillMenu.h"

#include "app/AppContext.h"
#include "app/ui/MenuItem.h"
#include "entry/DataEntry.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "print/BillGate.h"
#include "format/Workspace.h"
#include "images/BackgroundCommands.h"
#include "print/Barcode.h"
#include "print/PictureContent.h"
#include "seams/Prompter.h"
#include "workbench/ui/BillCanvas.h"

#include <QFileInfo>
#include <QMenu>

namespace kestrio {

BillMenu::BillMenu(AppContext& app, Workspace& ws, BillCanvas& canvas, Window window)
    : QObject(&canvas), mApp(app), mWs(ws), mCanvas(canvas), mWindow(std::move(window))
{
    mCanvas.setContextMenuPolicy(Qt::CustomContextMenu);
    mCanvas.setToolTip(QStringLiteral("点击右键，可添加输入框或清空输入框内容。"));
    connect(&mCanvas, &QWidget::customContextMenuRequested, this, &BillMenu::Show);
}

void BillMenu::Show(const QPoint& at)
{
    QMenu menu(&mCanvas);
    menu.setObjectName(QStringLiteral("mPicGraph"));
    auto add = [&](const char* name, const char16_t* caption, auto slot) {
        return AddMenuItem(menu, QString::fromLatin1(name), QString::fromUtf16(caption), true, this, slot);
    };
    auto command = [&](const char* name, const char16_t* caption) {
        add(name, caption, [this, name] { Run(QString::fromLatin1(name)); });
    };
    QWidget* under = mCanvas.childAt(at);
    const int row = under ? mCanvas.RowOf(under) : -1;
    if (row >= 0 && mWs.table.KindOf(row) == ElementTable::PictureBox) {
        AddPictureItems(menu, row);
        menu.addSeparator();
    }
    if (mWindow.addElementAt) {
        QAction* addBox = add("mAddCtl", u"添加输入框", [this, at] { mWindow.addElementAt(at); });
        addBox->setEnabled(!(mWindow.locked && mWindow.locked()));
        menu.addSeparator();
    }
    command("mAutoGetDate", u"自动生成日期");
    menu.addSeparator();
    command("mClearCtl", u"清空内容框");
    menu.addSeparator();
    command("mSaveContinue", u"保存并继续");
    command("mPrintContinue", u"打印并继续");
    menu.addSeparator();
    command("mModiBackgroundPic", u"更换背景图");
    command("mClearBackPic", u"清除背景图");
    menu.exec(mCanvas.mapToGlobal(at));
}

bool BillMenu::Run(const QString& name)
{
    if (!mWindow.hasFormat()) return false;
    // A bill is stored only with every amount readable.
    if (!mWindow.syncOptions() && (name == QLatin1String("mSaveContinue") || name == QLatin1String("mPrintContinue")))
        return false;
    EntryKit kit(mApp);
    DataEntry& entry = kit.entry;
    bool done = true;
    if (name == QLatin1String("mAutoGetDate")) {
        entry.FillDateBoxes(mWs);
    } else if (name == QLatin1String("mClearCtl")) {
        entry.ClearBill(mWs, mWindow.selectedRows ? mWindow.selectedRows() : QSet<int>());
    } else if (name == QLatin1String("mSaveContinue")) {
        // Stored is as good as printed: the bill passes what a printed one passes.
        if (!BillGate::Confirm(mWs, mApp.Prompt())) return false;
        HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
        const qint64 record = entry.SaveAndContinue(mWs, records);
        mWindow.billStored(record, false);
    } else if (name == QLatin1String("mPrintContinue")) {
        done = mWindow.printCurrentBill();
        if (done) entry.NextBill(mWs);
    } else if (name == QLatin1String("mModiBackgroundPic")) {
        done = BackgroundCommands::ChooseAndImport(mApp.Prompt(), mApp.Paths().Folder(), mWindow.currentFormat()) ==
               BackgroundCommands::ImportResult::Imported;
        if (done) mWindow.backgroundChanged(true);
    } else if (name == QLatin1String("mClearBackPic")) {
        done = BackgroundCommands::ClearBackground(mApp.Prompt(), mApp.Paths().Folder(), mWindow.currentFormat());
        if (done) mWindow.backgroundChanged(false);
    } else {
        return false;
    }
    mCanvas.RefreshFromWorkspace();
    return done;
}

void BillMenu::AddPictureItems(QMenu& menu, int row)
{
    AddMenuItem(menu, QStringLiteral("mChoosePicture"), QStringLiteral("添加/更改图片"), true, this,
                [this, row] { ChoosePicture(row); });
    AddMenuItem(menu, QStringLiteral("mInputBarcode"), QStringLiteral("输入条码"), true, this,
                [this, row] { EnterBarcode(row); });
}

// A picture file for the box; the picture is drawn stretched into it.
void BillMenu::ChoosePicture(int row)
{
    const QString path = mApp.Prompt().OpenFile(QStringLiteral("选择图片"),
                                                QStringLiteral("图片文件 (*.jpg *.jpeg *.bmp *.png *.gif)"));
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path)) {
        mApp.Prompt().Message(QStringLiteral("图片文件“") + path + QStringLiteral("”不存在！"), Prompter::Icon::Warning);
        return;
    }
    ShowPicture(row, [&](QSize size, double dpi, double fontSize) {
        PictureContent::SetPictureContent(mWs, row, path, size, dpi, fontSize,
                                          Barcode::ParseStandard(mApp.Parameters().GetParam(QStringLiteral("StrBarCodeStand"))),
                                          &mApp.Prompt());
    });
}

void BillMenu::EnterBarcode(int row)
{
    ShowPicture(row, [&](QSize size, double dpi, double fontSize) {
        PictureContent::AskBarcode(mWs, row, mApp.Prompt(), size, dpi, fontSize,
                                   Barcode::ParseStandard(mApp.Parameters().GetParam(QStringLiteral("StrBarCodeStand"))));
    });
}

void BillMenu::ShowPicture(int row, const std::function<void(QSize, double, double)>& put)
{
    QWidget* control = mCanvas.Control(mCanvas.ElementIndexOfRow(row));
    const QSize size = control ? control->size() : QSize(1, 1);
    put(size, mCanvas.logicalDpiX(), mWs.table.Number(row, ElementTable::ColFontSize) * mCanvas.CanvasFactor());
    mCanvas.RefreshFromWorkspace();
}

} // namespace kestrio
