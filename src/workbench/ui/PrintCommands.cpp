#include "workbench/ui/PrintCommands.h"

#include "app/AppContext.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/BillRenderer.h"
#include "print/ui/MarginDialog.h"
#include "print/ui/PrinterDestination.h"
#include "seams/Prompter.h"
#include "seams/UserSettings.h"

#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QPrinter>
#include <QPrinterInfo>

namespace kestrio {

PrintCommands::PrintCommands(AppContext& app, Workspace& ws, Window window) : mApp(app), mWs(ws), mWindow(std::move(window))
{
}

void PrintCommands::StorePrintSettings()
{
    mWindow.syncOptions();
    if (mWs.formatName.isEmpty()) return;
    FormatStore(mApp.DbOp(), mApp.Indicator(), mApp.Screen()).StorePrintSettings(mWs);
}

std::unique_ptr<PrintDestination> PrintCommands::MakeDestination()
{
    if (mMakeDestination) return mMakeDestination();
    return std::make_unique<PrinterDestination>(mApp.Prompt(), mApp.Settings(), mWindow.widget);
}

void PrintCommands::SetDestinationFactory(std::function<std::unique_ptr<PrintDestination>()> factory)
{
    mMakeDestination = std::move(factory);
}

bool PrintCommands::PrintCurrentBill()
{
    if (!mWindow.hasFormat() || !mWindow.syncOptions()) return false;
    const std::unique_ptr<PrintDestination> destination = MakeDestination();
    HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
    BillPrinter printer(*destination, BillPrinter::EnvironmentFor(mApp, mWs, mWindow.frameWidthTwips()), &records,
                        mApp.Prompt(), mApp.Indicator());
    const bool printed = printer.PrintBill(mWs, true, true);
    if (printed) mWindow.billStored(printer.LastRecordNumber(), true);
    // A stored bill used its serial numbers; the other boxes keep their contents.
    if (printer.LastRecordNumber() > 0) EntryKit(mApp).autoFill.AdvanceNumbers(mWs);
    return printed;
}

bool PrintCommands::RenderPreview(QPrinter& printer)
{
    mWindow.syncOptions();
    PrinterDestination destination(&printer, mApp.Prompt());
    BillPrinter preview(destination, BillPrinter::EnvironmentFor(mApp, mWs, mWindow.frameWidthTwips()), nullptr,
                        mApp.Prompt(), mApp.Indicator());
    preview.SetPreview();
    return preview.PrintBill(mWs, true, false);
}

// The page exactly as the printer would get it, on the printer last chosen.
void PrintCommands::PrintPreview()
{
    if (!mWindow.hasFormat() || !mWindow.syncOptions()) return;
    // Said once here rather than at every repaint of the preview.
    if (BillRenderer::AmountOverflowRow(mWs) >= 0) {
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
    QPrintPreviewDialog dialog(&printer, mWindow.widget);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    // Big enough to read the amounts without zooming first.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) dialog.resize(screen->availableSize() * 0.85);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* target) { RenderPreview(*target); });
    dialog.exec();
}

void PrintCommands::EditMargins()
{
    if (!mWindow.hasFormat()) return;
    if (MarginDialog::EditMargins(mWindow.widget, mWs.offsetXText, mWs.offsetYText, mWs.Width(), mWs.Height()))
        StorePrintSettings();
}

} // namespace kestrio
