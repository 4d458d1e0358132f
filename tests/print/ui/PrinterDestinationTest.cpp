#include "QtPrinters.h"
#include "app/QtUserSettings.h"
#include "print/ui/PrinterDestination.h"
#include "seams/Prompter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace kestrio {
namespace {

constexpr double Twips = PrintSurface::TwipsPerMillimetre;

// Keeps every message with its icon and title.
class MessageLog final : public Prompter {
public:
    struct Shown {
        QString text;
        Icon icon;
        QString title;
    };
    void Message(const QString& text, Icon icon, const QString& title) override { shown.push_back({text, icon, title}); }
    bool Ask(const QString&, const QString&) override { return false; }
    std::optional<QString> Input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }

    std::vector<Shown> shown;
};

class PrinterDestinationTest : public ::testing::Test {
protected:
    QString Remembered()
    {
        return mSettings.ReadUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Validate"), QStringLiteral("Printer"),
                                         QStringLiteral("<none>"));
    }
    QString PdfPath(const QString& name) const { return QDir(mDir.path()).filePath(name); }
    // A printer that writes a PDF file, as the print preview's printer draws without a device.
    void MakePdfPrinter(const QString& file)
    {
        mPdfPrinter.setOutputFormat(QPrinter::PdfFormat);
        mPdfPrinter.setOutputFileName(PdfPath(file));
    }
    // The page sizes in the PDF file, in points, in page order.
    QList<QSizeF> MediaBoxes(const QString& file) const
    {
        QFile pdf(PdfPath(file));
        if (!pdf.open(QIODevice::ReadOnly)) return {};
        const QString text = QString::fromLatin1(pdf.readAll());
        QList<QSizeF> boxes;
        static const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        for (auto it = box.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            boxes << QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
        }
        return boxes;
    }

    QTemporaryDir mDir;
    QtUserSettings mSettings{QDir(mDir.path()).filePath(QStringLiteral("settings.ini"))};
    MessageLog mPrompter;
    QPrinter mPdfPrinter{QPrinter::HighResolution};
};

TEST_F(PrinterDestinationTest, RememberedPrinterIsOfferedWhenInstalled)
{
    const QStringList installed{QStringLiteral("甲"), QStringLiteral("Office 2"), QStringLiteral("Label")};
    EXPECT_EQ(PrinterDestination::PreselectedPrinter(installed, QStringLiteral("Office 2"), QStringLiteral("Label")),
              QStringLiteral("Office 2"));
}

TEST_F(PrinterDestinationTest, RememberedPrinterNoLongerInstalledGivesTheCurrentOne)
{
    const QStringList installed{QStringLiteral("甲"), QStringLiteral("Office 2"), QStringLiteral("Label")};
    EXPECT_EQ(PrinterDestination::PreselectedPrinter(installed, QStringLiteral("Gone"), QStringLiteral("Label")),
              QStringLiteral("Label"));
    EXPECT_EQ(PrinterDestination::PreselectedPrinter(installed, QString(), QStringLiteral("Office 2")),
              QStringLiteral("Office 2"));
}

TEST_F(PrinterDestinationTest, WithoutRememberedOrCurrentPrinterTheFirstIsOffered)
{
    const QStringList installed{QStringLiteral("甲"), QStringLiteral("Office 2")};
    EXPECT_EQ(PrinterDestination::PreselectedPrinter(installed, QString(), QString()), QStringLiteral("甲"));
    EXPECT_EQ(PrinterDestination::PreselectedPrinter(installed, QStringLiteral("Gone"), QStringLiteral("Also gone")),
              QStringLiteral("甲"));
}

TEST_F(PrinterDestinationTest, WithoutPrintersNothingIsOffered)
{
    EXPECT_EQ(PrinterDestination::PreselectedPrinter({}, QStringLiteral("Office 2"), QStringLiteral("Label")),
              QString());
}

TEST_F(PrinterDestinationTest, ConfirmedChoiceWithoutAWorkingPrinterWarns)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed here";
    mSettings.WriteUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Validate"), QStringLiteral("Printer"),
                               QStringLiteral("Office 2"));
    PrinterDestination destination(mPrompter, mSettings);
    int dialogs = 0;
    QPrinter* shownPrinter = nullptr;
    destination.SetDialogRunner([&](QPrinter& printer) {
        ++dialogs;
        shownPrinter = &printer;
        return true;
    });
    EXPECT_FALSE(destination.ChoosePrinter());
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shownPrinter, &destination.Printer());
    EXPECT_EQ(&destination.Painter().device(), static_cast<QPaintDevice*>(&destination.Printer()));
    ASSERT_EQ(mPrompter.shown.size(), 1u);
    EXPECT_EQ(mPrompter.shown[0].text, QStringLiteral("没有正常连接打印机！"));
    EXPECT_EQ(mPrompter.shown[0].icon, Prompter::Icon::Warning);
    // No printer was chosen, so the remembered one stays.
    EXPECT_EQ(Remembered(), QStringLiteral("Office 2"));
}

TEST_F(PrinterDestinationTest, CancelledChoiceSaysNothing)
{
    PrinterDestination destination(mPrompter, mSettings);
    int dialogs = 0;
    destination.SetDialogRunner([&](QPrinter&) {
        ++dialogs;
        return false;
    });
    EXPECT_FALSE(destination.ChoosePrinter());
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(mPrompter.shown.empty());
    EXPECT_EQ(Remembered(), QStringLiteral("<none>"));
}

TEST_F(PrinterDestinationTest, PrinterDialogIsTitledAndCanBeCancelled)
{
    PrinterDestination destination(mPrompter, mSettings);
    QString title;
    bool wasPrintDialog = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        title = dialog->windowTitle();
        wasPrintDialog = qobject_cast<QPrintDialog*>(dialog) != nullptr;
        dialog->close();
    });
    EXPECT_FALSE(destination.ChoosePrinter());
    EXPECT_TRUE(wasPrintDialog);
    EXPECT_EQ(title, QStringLiteral("选择打印机"));
    EXPECT_TRUE(mPrompter.shown.empty());
}

// The folder of the last PDF comes back: as the file itself after a job to a file, as the
// folder the dialog proposes after a job to a printer.
TEST_F(PrinterDestinationTest, PrintToFileRemembersTheLastFolder)
{
    const QString folder = PdfPath(QStringLiteral("bills"));
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        PrinterDestination first(mPrompter, mSettings);
        first.SetDialogRunner([&](QPrinter& printer) {
            printer.setOutputFileName(QDir(folder).filePath(QStringLiteral("a.pdf")));
            return true;
        });
        ASSERT_TRUE(first.ChoosePrinter());
    }
    PrinterDestination second(mPrompter, mSettings);
    second.SetJobTitle(QStringLiteral("转账支票 第3号"));
    QString offered;
    second.SetDialogRunner([&](QPrinter& printer) {
        offered = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
        return false;
    });
    EXPECT_FALSE(second.ChoosePrinter());
    EXPECT_EQ(offered, QDir(folder).filePath(QStringLiteral("转账支票 第3号.pdf")));

    // After a printer: no file is offered and the folder is the dialog's current one.
    mSettings.WriteUserSetting(QStringLiteral("RUR_U"), QStringLiteral("Validate"), QStringLiteral("PrintToFile"),
                               QStringLiteral("0"));
    const QString before = QDir::currentPath();
    PrinterDestination third(mPrompter, mSettings);
    QString current;
    QString offeredFile = QStringLiteral("<unset>");
    third.SetDialogRunner([&](QPrinter& printer) {
        current = QDir::currentPath();
        offeredFile = printer.outputFileName();
        return false;
    });
    EXPECT_FALSE(third.ChoosePrinter());
    EXPECT_EQ(QDir(current).canonicalPath(), QDir(folder).canonicalPath());
    EXPECT_TRUE(offeredFile.isEmpty());
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(PrinterDestinationTest, PrintingToAFileNeedsItsName)
{
    MakePdfPrinter(QStringLiteral("any.pdf"));
    EXPECT_TRUE(PrinterDestination::PrinterWorks(mPdfPrinter));
    mPdfPrinter.setOutputFileName(QString());
    EXPECT_FALSE(PrinterDestination::PrinterWorks(mPdfPrinter));
}

TEST_F(PrinterDestinationTest, PreviewPrinterNeedsNoChoice)
{
    MakePdfPrinter(QStringLiteral("preview.pdf"));
    PrinterDestination destination(&mPdfPrinter, mPrompter);
    bool dialogShown = false;
    destination.SetDialogRunner([&](QPrinter&) {
        dialogShown = true;
        return false;
    });
    EXPECT_TRUE(destination.ChoosePrinter());
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(&destination.Printer(), &mPdfPrinter);
    EXPECT_EQ(&destination.Painter().device(), static_cast<QPaintDevice*>(&mPdfPrinter));
    EXPECT_TRUE(mPrompter.shown.empty());
}

TEST_F(PrinterDestinationTest, PaperFormIsTheFormatsSizeWithoutMargins)
{
    MakePdfPrinter(QStringLiteral("form.pdf"));
    PrinterDestination destination(&mPdfPrinter, mPrompter);
    destination.InstallPaperForm(240, 80);
    PrintSurface& surface = destination.Surface();
    EXPECT_NEAR(surface.pageWidth(), 240 * Twips, 1.0);
    EXPECT_NEAR(surface.pageHeight(), 80 * Twips, 1.0);
    EXPECT_EQ(surface.orientation(), PrintSurface::Orientation::Portrait);
    const QPageLayout layout = mPdfPrinter.pageLayout();
    EXPECT_EQ(layout.pageSize().name(), QStringLiteral("Kestrio格式"));
    EXPECT_EQ(layout.margins(QPageLayout::Millimeter), QMarginsF(0, 0, 0, 0));
    EXPECT_TRUE(mPrompter.shown.empty());

    ASSERT_TRUE(surface.drawLine(0, 0, 1440, 1440, 1, Qt::SolidLine, 0));
    ASSERT_TRUE(surface.endDocument());
    const QList<QSizeF> pages = MediaBoxes(QStringLiteral("form.pdf"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_NEAR(pages[0].width(), 240 / 25.4 * 72, 1.0);
    EXPECT_NEAR(pages[0].height(), 80 / 25.4 * 72, 1.0);
}

TEST_F(PrinterDestinationTest, EachPaperFormHoldsForTheFollowingPages)
{
    MakePdfPrinter(QStringLiteral("two.pdf"));
    PrinterDestination destination(&mPdfPrinter, mPrompter);
    PrintSurface& surface = destination.Surface();
    destination.InstallPaperForm(240, 80);
    ASSERT_TRUE(surface.drawLine(0, 0, 1440, 1440, 1, Qt::SolidLine, 0));
    ASSERT_TRUE(surface.newPage());
    destination.InstallPaperForm(100, 150);
    EXPECT_NEAR(surface.pageWidth(), 100 * Twips, 1.0);
    EXPECT_NEAR(surface.pageHeight(), 150 * Twips, 1.0);
    ASSERT_TRUE(surface.drawLine(0, 0, 1440, 1440, 1, Qt::SolidLine, 0));
    ASSERT_TRUE(surface.endDocument());
    const QList<QSizeF> pages = MediaBoxes(QStringLiteral("two.pdf"));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_NEAR(pages[0].width(), 240 / 25.4 * 72, 1.0);
    EXPECT_NEAR(pages[1].width(), 100 / 25.4 * 72, 1.0);
    EXPECT_NEAR(pages[1].height(), 150 / 25.4 * 72, 1.0);
    EXPECT_TRUE(mPrompter.shown.empty());
}

TEST_F(PrinterDestinationTest, StandardPaperOfTheSameSizeIsUsedAsItself)
{
    MakePdfPrinter(QStringLiteral("a5.pdf"));
    PrinterDestination destination(&mPdfPrinter, mPrompter);
    destination.InstallPaperForm(148, 210);
    EXPECT_EQ(mPdfPrinter.pageLayout().pageSize().id(), QPageSize::A5);
    EXPECT_NEAR(destination.Surface().pageWidth(), 148 * Twips, 1.0);
    EXPECT_NEAR(destination.Surface().pageHeight(), 210 * Twips, 1.0);
}

// The paper is the format's; landscape turns the page like any other paper.
TEST_F(PrinterDestinationTest, LandscapeTurnsThePaperForm)
{
    MakePdfPrinter(QStringLiteral("landscape.pdf"));
    PrinterDestination destination(&mPdfPrinter, mPrompter);
    ASSERT_TRUE(destination.Surface().setOrientation(PrintSurface::Orientation::Landscape));
    destination.InstallPaperForm(240, 80);
    EXPECT_NEAR(destination.Surface().pageWidth(), 80 * Twips, 1.0);
    EXPECT_NEAR(destination.Surface().pageHeight(), 240 * Twips, 1.0);
}

TEST_F(PrinterDestinationTest, RefusedPaperFormWarnsAndKeepsThePaper)
{
    MakePdfPrinter(QStringLiteral("refused.pdf"));
    PrinterDestination destination(&mPdfPrinter, mPrompter);
    destination.InstallPaperForm(240, 80);
    destination.InstallPaperForm(0, 80);
    destination.InstallPaperForm(100, -5);
    EXPECT_NEAR(destination.Surface().pageWidth(), 240 * Twips, 1.0);
    EXPECT_NEAR(destination.Surface().pageHeight(), 80 * Twips, 1.0);
    const QString text =
        QStringLiteral("对打印机“") + mPdfPrinter.printerName() + QStringLiteral("”设置自定义纸张失败，将按原有纸张打印。");
    ASSERT_EQ(mPrompter.shown.size(), 2u);
    for (const auto& shown : mPrompter.shown) {
        EXPECT_EQ(shown.text, text);
        EXPECT_EQ(shown.icon, Prompter::Icon::Warning);
        EXPECT_EQ(shown.title, QStringLiteral("添加自定义纸张错误！"));
    }
}

} // namespace
} // namespace kestrio
