#include "print/ui/PrinterDestination.h"

#include "print/PdfTextRepair.h"
#include "print/SpoolerQueue.h"

#include "seams/Prompter.h"
#include "seams/UserSettings.h"

#include <QAbstractPrintDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace kestrio {

PrinterDestination::PrinterDestination(Prompter& prompter, UserSettings& settings, QWidget* parent)
    : mPrompter(prompter), mSettings(&settings), mParent(parent),
      mOwnedPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)), mPrinter(mOwnedPrinter.get())
{
    MakeSurface();
}

PrinterDestination::PrinterDestination(QPrinter* previewPrinter, Prompter& prompter)
    : mPrompter(prompter), mPrinter(previewPrinter)
{
    MakeSurface();
}

// The surface goes before the printer it draws on.
PrinterDestination::~PrinterDestination()
{
    mSurface.reset();
}

void PrinterDestination::MakeSurface()
{
    mSurface.reset();
    // Positions count from the paper's edge, whatever the printer's margins: the format's
    // offsets alone calibrate the print, with or without "自动设置纸张".
    mPrinter->setFullPage(true);
    mSurface = std::make_unique<PainterSurface>(*mPrinter, mPrinter->printerName());
    // A real printer takes one job after another (reprinted bills are a job each).
    mSurface->setRestartable(mOwnedPrinter != nullptr);
}

QString PrinterDestination::PreselectedPrinter(const QStringList& installed, const QString& remembered,
                                               const QString& current)
{
    if (!remembered.isEmpty() && installed.contains(remembered)) return remembered;
    if (!current.isEmpty() && installed.contains(current)) return current;
    return installed.isEmpty() ? QString() : installed.first();
}

bool PrinterDestination::PrinterWorks(const QPrinter& printer)
{
    // "Print to file" writes a PDF: a proof on plain paper, or a machine without a printer.
    if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid()) return false;
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer.printerName());
    return !info.isNull() && info.state() != QPrinter::Error;
}

bool PrinterDestination::RunPrintDialog(QPrinter& printer) const
{
    QPrintDialog dialog(&printer, mParent);
    dialog.setWindowTitle(DialogCaption());
    // A bill goes to a printer (or into a PDF file) as it is: no page range, no selection.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

// The surface is made anew after the choice: it takes the printer's name and orientation when
// it is made.
bool PrinterDestination::ChoosePrinter()
{
    if (!mSettings) return true; // the preview's printer is chosen already

    const QString remembered =
        mSettings->ReadUserSetting(SettingApplication(), SettingSection(), SettingName(), QString());
    QString current = mPrinter->printerName();
    if (current.isEmpty()) current = QPrinterInfo::defaultPrinterName();
    const QString preselected = PreselectedPrinter(QPrinterInfo::availablePrinterNames(), remembered, current);
    // An empty name would turn the printer into a PDF writer.
    if (!preselected.isEmpty() && preselected != mPrinter->printerName()) mPrinter->setPrinterName(preselected);

    // Qt's print dialog proposes a file in the current folder (when it lies in the home folder).
    const QString folder = OfferLastFolder();
    const QString previousFolder = QDir::currentPath();
    const bool switched = !folder.isEmpty() && QDir::setCurrent(folder);
    const bool accepted = mRunDialog ? mRunDialog(*mPrinter) : RunPrintDialog(*mPrinter);
    if (switched) QDir::setCurrent(previousFolder);
    if (!accepted) return false;

    RememberChoice();
    MakeSurface();
    mChosenAt = QDateTime::currentDateTime();
    if (!PrinterWorks(*mPrinter)) {
        mPrompter.Message(QStringLiteral("没有正常连接打印机！"), Prompter::Icon::Warning);
        return false;
    }
    return true;
}

QString PrinterDestination::OfferLastFolder()
{
    const QString folder = mSettings->ReadUserSetting(SettingApplication(), SettingSection(), FolderSettingName(), QString());
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return {};
    const bool toFile = mSettings->ReadUserSetting(SettingApplication(), SettingSection(), ToFileSettingName(), QString()) ==
                        QStringLiteral("1");
    if (!toFile) return folder;
    // Setting a file name turns the printer into a PDF writer, which is what the clerk chose last.
    QString name = mPrinter->docName().trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|]"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty()) name = QStringLiteral("单据");
    mPrinter->setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
    return {};
}

void PrinterDestination::RememberChoice()
{
    const auto write = [this](const QString& name, const QString& value) {
        mSettings->WriteUserSetting(SettingApplication(), SettingSection(), name, value);
    };
    if (mPrinter->outputFormat() == QPrinter::PdfFormat) {
        if (mPrinter->outputFileName().isEmpty()) return;
        write(FolderSettingName(), QFileInfo(mPrinter->outputFileName()).absolutePath());
        write(ToFileSettingName(), QStringLiteral("1"));
        return;
    }
    const QString chosen = mPrinter->printerName();
    if (chosen.isEmpty()) return;
    write(SettingName(), chosen);
    write(ToFileSettingName(), QStringLiteral("0"));
}

bool PrinterDestination::JobAccepted()
{
    if (mPrinter->outputFormat() != QPrinter::NativeFormat) return true;
    const QString queue = mPrinter->printerName();
    if (SpoolerQueue::QueueAccepts(queue) == SpoolerQueue::Answer::Refuses) return false;
    return !mChosenAt.isValid() || SpoolerQueue::JobAccepted(queue, mChosenAt) != SpoolerQueue::Answer::Refuses;
}

// A bill printed to a PDF file gets text that copies out as typed. A file that cannot be
// mended stays as Qt wrote it, which prints the same.
void PrinterDestination::JobFinished()
{
    if (mPrinter->outputFormat() == QPrinter::PdfFormat && !mPrinter->outputFileName().isEmpty())
        PdfTextRepair::RepairFile(mPrinter->outputFileName());
}

// Nothing drawn: nothing will be sent. Otherwise the print engine is asked to drop the job;
// the spooler's engine cannot, so the job it sends at the end is cancelled in the queue, and
// a file it wrote is removed.
void PrinterDestination::AbandonJob()
{
    if (!mSurface->Started() || mPrinter->abort()) return;
    mSurface->endDocument();
    if (mPrinter->outputFormat() == QPrinter::NativeFormat) SpoolerQueue::CancelNewestJob(mPrinter->printerName(), mChosenAt);
    else if (!mPrinter->outputFileName().isEmpty()) QFile::remove(mPrinter->outputFileName());
}

void PrinterDestination::SetJobTitle(const QString& title)
{
    mPrinter->setDocName(title);
}

std::optional<QMarginsF> PrinterDestination::UnprintableMarginsMm() const
{
    // A PDF file can be drawn to its edges, but its paper may still be smaller than the bill.
    if (mPrinter->outputFormat() == QPrinter::PdfFormat) return QMarginsF();
    QPageLayout layout = mPrinter->pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    return layout.minimumMargins();
}

void PrinterDestination::InstallPaperForm(double widthMm, double heightMm)
{
    const QPageSize paper(QSizeF(widthMm, heightMm), QPageSize::Millimeter, PaperFormName(), QPageSize::ExactMatch);
    // Qt would take a paper without width or height.
    if (!(widthMm > 0 && heightMm > 0) || !paper.isValid() || !mSurface->setPageSize(paper)) {
        mPrompter.Message(QStringLiteral("对打印机“") + mPrinter->printerName() +
                              QStringLiteral("”设置自定义纸张失败，将按原有纸张打印。"),
                          Prompter::Icon::Warning, QStringLiteral("添加自定义纸张错误！"));
        return;
    }
    // A printer that cannot print to the edge keeps its least margins.
    mPrinter->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

bool PrinterDestination::WritesOneFile() const
{
    return !mPrinter->outputFileName().isEmpty();
}

} // namespace kestrio
