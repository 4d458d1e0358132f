#pragma once

#include "print/PainterSurface.h"
#include "print/PrintDestination.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace kestrio {

class Prompter;
class UserSettings;

// Printing on a real printer: the printer is chosen in the print dialog "选择打印机" (the one
// used last is offered first), and the format's paper is installed as a custom page size.
// Also wraps the printer of the print preview, which is already chosen.
class PrinterDestination final : public PrintDestination {
public:
    // Shows the print dialog on the printer and answers whether the user confirmed it.
    using PrintDialogRunner = std::function<bool(QPrinter& printer)>;

    // A printer of its own, chosen by ChoosePrinter().
    PrinterDestination(Prompter& prompter, UserSettings& settings, QWidget* parent = nullptr);
    // The print preview's printer (not owned; it must outlive the destination): nothing to
    // choose, ChoosePrinter() answers true.
    PrinterDestination(QPrinter* previewPrinter, Prompter& prompter);
    ~PrinterDestination() override;

    bool ChoosePrinter() override;
    PrintSurface& Surface() override { return *mSurface; }
    // The paper widthMm wide and heightMm high in portrait orientation (in landscape the page
    // is turned, as any paper is), without margins where the printer allows it. A standard
    // paper of exactly that size is used as itself.
    void InstallPaperForm(double widthMm, double heightMm) override;
    bool WritesOneFile() const override;
    // Asks the spooler: the queue must take jobs, and a job handed over since the printer was
    // chosen must not have been cancelled or aborted by it.
    bool JobAccepted() override;
    // The printer's least margins; none for a PDF file.
    std::optional<QMarginsF> UnprintableMarginsMm() const override;
    // Mends the text of a PDF file the job was printed to.
    void JobFinished() override;
    void AbandonJob() override;
    void SetJobTitle(const QString& title) override;

    QPrinter& Printer() const { return *mPrinter; }
    PainterSurface& Painter() const { return *mSurface; }

    // Replaces the print dialog (tests); the default shows a QPrintDialog.
    void SetDialogRunner(PrintDialogRunner runner) { mRunDialog = std::move(runner); }

    // The printer offered first: the remembered one when it is installed, else the current
    // one when it is installed, else the first installed one; empty without printers.
    static QString PreselectedPrinter(const QStringList& installed, const QString& remembered,
                                      const QString& current);
    // An installed printer that is not in an error state.
    static bool PrinterWorks(const QPrinter& printer);

    // Where the last chosen printer is remembered.
    static QString SettingApplication() { return QStringLiteral("RUR_U"); }
    static QString SettingSection() { return QStringLiteral("Validate"); }
    static QString SettingName() { return QStringLiteral("Printer"); }
    // The folder the last PDF file was printed into, and whether the last job went to a file.
    static QString FolderSettingName() { return QStringLiteral("PrintFileFolder"); }
    static QString ToFileSettingName() { return QStringLiteral("PrintToFile"); }

    static QString DialogCaption() { return QStringLiteral("选择打印机"); }
    static QString PaperFormName() { return QStringLiteral("Kestrio格式"); }

private:
    bool RunPrintDialog(QPrinter& printer) const;
    // Offers the folder of the last PDF file: as the file itself when the last job went to a
    // file, otherwise as the folder the dialog proposes when the clerk switches to a file.
    // Answers the folder to make current while the dialog is open (empty: none).
    QString OfferLastFolder();
    void RememberChoice();
    void MakeSurface();

    Prompter& mPrompter;
    UserSettings* mSettings = nullptr; // null for the preview's printer
    QWidget* mParent = nullptr;
    std::unique_ptr<QPrinter> mOwnedPrinter;
    QPrinter* mPrinter = nullptr;
    std::unique_ptr<PainterSurface> mSurface;
    PrintDialogRunner mRunDialog;
    QDateTime mChosenAt;
};

} // namespace kestrio
