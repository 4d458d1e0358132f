// `kestrio print`, run as a user runs it, with the output read back: the PDF through poppler's
// pdftotext, the PNG as an image and its barcode through a barcode reader.
#include "ScannedText.h"
#include "PdfText.h"
#include "QtPrinters.h"
#include "format/FormatStore.h"


#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kestrio {
namespace {

constexpr double PointsPerMm = 72.0 / 25.4;
const QString kCheque = QStringLiteral("转账支票");

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

class PrintCommand : public ::testing::Test {
protected:
    Outcome Kestrio(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KESTRIO_BINARY), QStringList{QStringLiteral("--data-dir"), Folder(),
                                                                  QStringLiteral("--today"),
                                                                  QStringLiteral("2026-12-08")} +
                                                          arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString Folder() const { return QDir(dir.path()).filePath(QStringLiteral("app")); }
    QString File(const QString& name) const { return dir.filePath(name); }

    // `print --format NAME` and the rest; the exit code must be 0.
    void Print(const QStringList& arguments)
    {
        const Outcome run = Kestrio(QStringList{QStringLiteral("print")} + arguments);
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
    }

    // One query through the `sql` command: the header line, then the rows, split at tabs.
    QList<QStringList> Query(const QString& sql)
    {
        const Outcome run = Kestrio({QStringLiteral("sql"), sql});
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        QList<QStringList> rows;
        for (const QString& line : run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            rows << line.split(QLatin1Char('\t'));
        return rows;
    }

    QTemporaryDir dir;
};

using test::PdfPage;
using test::PdfWord;
using test::ReadPdf;

// The topmost word of the page with this text.
std::optional<PdfWord> TopWord(const PdfPage& page, const QString& text)
{
    std::optional<PdfWord> top;
    for (const PdfWord& word : page.words)
        if (word.text == text && (!top || word.yMin < top->yMin)) top = word;
    return top;
}


int DarkPixelsIn(const QImage& image, const QRect& rect)
{
    int dark = 0;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

TEST_F(PrintCommand, PdfPutsTheBoxAtItsPlacePlusThePrintOffset)
{
    // Where the format puts the payee box, and its print offsets (stored as 10 − offset).
    const Outcome shown = Kestrio({QStringLiteral("show-format"), kCheque});
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    const QStringList lines = shown.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 1);
    const QStringList header = lines[0].split(QLatin1Char('\t'));
    const qsizetype labelCol = header.indexOf(QStringLiteral("标签内容"));
    const qsizetype xCol = header.indexOf(QStringLiteral("横向位置(毫米)"));
    const qsizetype yCol = header.indexOf(QStringLiteral("纵向位置(毫米)"));
    ASSERT_GE(labelCol, 0);
    ASSERT_GE(xCol, 0);
    ASSERT_GE(yCol, 0);
    double boxX = -1;
    for (const QString& line : lines) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.value(labelCol) == QStringLiteral("收款人")) boxX = cells.value(xCol).toDouble();
    }
    ASSERT_GT(boxX, 0);

    const QString whole = QStringLiteral("SELECT LBL, X, Y FROM Fmt WHERE Fmt='转账支票' AND LBL='") +
                          FormatStore::WholeFormatLabel() + QLatin1Char('\'');
    const QList<QStringList> before = Query(whole);
    ASSERT_EQ(before.size(), 2); // header and the one whole-format row
    const double offsetX = 10 - before[1].value(1).toDouble();
    const double offsetY = 10 - before[1].value(2).toDouble();

    const QStringList bill{QStringLiteral("--format"), kCheque,
                           QStringLiteral("--set"), QStringLiteral("小写金额=1234.5"),
                           QStringLiteral("--set"), QStringLiteral("收款人=测试公司")};
    const QString first = File(QStringLiteral("first.pdf"));
    Print(bill + QStringList{QStringLiteral("--pdf"), first});
    const auto pages = ReadPdf(first);
    ASSERT_EQ(pages.size(), 1);
    // The page is the bill, 240 × 80 mm (the writer keeps whole points).
    EXPECT_NEAR(pages[0].width, 240 * PointsPerMm, 0.5);
    EXPECT_NEAR(pages[0].height, 80 * PointsPerMm, 0.5);
    const auto payee = TopWord(pages[0], QStringLiteral("测试公司"));
    ASSERT_TRUE(payee.has_value());
    EXPECT_NEAR(payee->xMin, (boxX + offsetX) * PointsPerMm, 0.1 * PointsPerMm);
    // The amount reached its cells.
    EXPECT_TRUE(TopWord(pages[0], QStringLiteral("￥")).has_value());

    // Offsets of 2.5 mm right and 1 mm up.
    const QString update = QStringLiteral("UPDATE Fmt SET X=7.5, Y=11 WHERE Fmt='转账支票' AND LBL='") +
                           FormatStore::WholeFormatLabel() + QLatin1Char('\'');
    const Outcome updated = Kestrio({QStringLiteral("sql"), update});
    ASSERT_EQ(updated.code, 0) << updated.err.toStdString();
    const QList<QStringList> after = Query(whole);
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[1].value(1).toDouble(), 7.5);

    const QString second = File(QStringLiteral("second.pdf"));
    Print(bill + QStringList{QStringLiteral("--pdf"), second});
    const auto moved = ReadPdf(second);
    ASSERT_EQ(moved.size(), 1);
    EXPECT_NEAR(moved[0].width, 240 * PointsPerMm, 0.5);
    EXPECT_NEAR(moved[0].height, 80 * PointsPerMm, 0.5);
    const auto payeeMoved = TopWord(moved[0], QStringLiteral("测试公司"));
    ASSERT_TRUE(payeeMoved.has_value());
    EXPECT_NEAR(payeeMoved->xMin - payee->xMin, (2.5 - offsetX) * PointsPerMm, 0.1 * PointsPerMm);
    EXPECT_NEAR(payeeMoved->yMin - payee->yMin, (-1 - offsetY) * PointsPerMm, 0.1 * PointsPerMm);
    EXPECT_NEAR(payeeMoved->xMin, (boxX + 2.5) * PointsPerMm, 0.1 * PointsPerMm);
}

TEST_F(PrintCommand, PngIsTheBillAtTheAskedResolution)
{
    const QString png = File(QStringLiteral("bill.png"));
    Print({QStringLiteral("--format"), kCheque, QStringLiteral("--set"), QStringLiteral("收款人=测试公司"),
           QStringLiteral("--png"), png, QStringLiteral("--dpi"), QStringLiteral("200"), QStringLiteral("--allow-empty")});
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(qRound(240 / 25.4 * 200), qRound(80 / 25.4 * 200)));
    // The payee box, 81.3 / 21.4 mm, 78.4 × 5 mm, holds the payee's strokes.
    const auto px = [](double mm) { return qRound(mm / 25.4 * 200); };
    const QRect payeeBox(px(81.3), px(21.4), px(78.4), px(5));
    EXPECT_GT(DarkPixelsIn(image, payeeBox), 50);

    // Without a payee the box stays white; the default resolution is 300 dpi.
    const QString empty = File(QStringLiteral("empty.png"));
    Print({QStringLiteral("--format"), kCheque, QStringLiteral("--png"), empty, QStringLiteral("--allow-empty")});
    const QImage blank(empty);
    ASSERT_FALSE(blank.isNull());
    EXPECT_EQ(blank.size(), QSize(qRound(240 / 25.4 * 300), qRound(80 / 25.4 * 300)));
    const auto px300 = [](double mm) { return qRound(mm / 25.4 * 300); };
    EXPECT_EQ(DarkPixelsIn(blank, QRect(px300(81.3), px300(21.4), px300(78.4), px300(5))), 0);
}

TEST_F(PrintCommand, StoredBillsComeBackFromHistory)
{
    const QString pdf = File(QStringLiteral("stored.pdf"));
    const Outcome run = Kestrio({QStringLiteral("print"), QStringLiteral("--format"), kCheque, QStringLiteral("--set"),
                                 QStringLiteral("收款人=测试公司"), QStringLiteral("--set"),
                                 QStringLiteral("小写金额=1234.5"), QStringLiteral("--store"), QStringLiteral("--pdf"),
                                 pdf});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("历史记录号：1\n"))) << run.out.toStdString();

    const Outcome history = Kestrio({QStringLiteral("history"), QStringLiteral("--format"), kCheque});
    ASSERT_EQ(history.code, 0);
    const QStringList lines = history.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << history.out.toStdString();
    const QStringList header = lines[0].split(QLatin1Char('\t'));
    const QStringList cells = lines[1].split(QLatin1Char('\t'));
    EXPECT_EQ(cells.value(0), QStringLiteral("1"));
    EXPECT_EQ(cells.value(header.indexOf(QStringLiteral("收款人"))), QStringLiteral("测试公司"));
    EXPECT_FALSE(cells.value(header.indexOf(QStringLiteral("小写金额"))).isEmpty());

    // Record 1 printed again, without any --set: the payee comes from history.
    const QString again = File(QStringLiteral("again.pdf"));
    Print({QStringLiteral("--format"), kCheque, QStringLiteral("--record"), QStringLiteral("1"), QStringLiteral("--pdf"),
           again});
    const auto pages = ReadPdf(again);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(TopWord(pages[0], QStringLiteral("测试公司")).has_value());
    EXPECT_TRUE(TopWord(pages[0], QStringLiteral("￥")).has_value());
    // Reprinting stores nothing new.
    const Outcome still = Kestrio({QStringLiteral("history"), QStringLiteral("--format"), kCheque});
    EXPECT_EQ(still.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);

    // A record that does not exist.
    const Outcome missing = Kestrio({QStringLiteral("print"), QStringLiteral("--format"), kCheque,
                                     QStringLiteral("--record"), QStringLiteral("5"), QStringLiteral("--pdf"),
                                     File(QStringLiteral("none.pdf"))});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(QFile::exists(File(QStringLiteral("none.pdf"))));
}

TEST_F(PrintCommand, WrongUsageAndRefusedBills)
{
    const QString pdf = File(QStringLiteral("x.pdf"));
    const QString png = File(QStringLiteral("x.png"));
    const QStringList format{QStringLiteral("print"), QStringLiteral("--format"), kCheque};
    EXPECT_EQ(Kestrio(format).code, 2);
    EXPECT_EQ(Kestrio(format + QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--png"), png}).code, 2);
    EXPECT_EQ(Kestrio(format + QStringList{QStringLiteral("--pdf")}).code, 2);
    EXPECT_EQ(Kestrio(format + QStringList{QStringLiteral("--png"), png, QStringLiteral("--dpi"), QStringLiteral("10")})
                  .code,
              2);
    EXPECT_EQ(Kestrio({QStringLiteral("print"), QStringLiteral("--pdf"), pdf}).code, 2);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(QFile::exists(png));

    const Outcome unknown = Kestrio(
        {QStringLiteral("print"), QStringLiteral("--format"), QStringLiteral("没有这个格式"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_FALSE(QFile::exists(pdf));

    // Fourteen digits of fen in eleven amount cells.
    const Outcome overflow = Kestrio(
        format + QStringList{QStringLiteral("--set"), QStringLiteral("小写金额=123456789012"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(overflow.code, 1);
    EXPECT_TRUE(overflow.err.contains(QStringLiteral("金额超出对格金额框的格数，无法打印！")))
        << overflow.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    const Outcome overflowPng = Kestrio(format + QStringList{QStringLiteral("--set"),
                                                            QStringLiteral("小写金额=123456789012"),
                                                            QStringLiteral("--png"), png, QStringLiteral("--store")});
    EXPECT_EQ(overflowPng.code, 1);
    EXPECT_FALSE(QFile::exists(png));
    const Outcome history = Kestrio({QStringLiteral("history"), QStringLiteral("--format"), kCheque});
    EXPECT_EQ(history.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 1) << "only the caption line";
}

// A purpose longer than its box would print over the form: refused unless asked for; and the
// text of the PDF copies out as typed, without radicals in place of 月, 日, 角, 行, 人, 长.
TEST_F(PrintCommand, TextPastItsBoxNeedsAllowOverflowAndReadsBackAsTyped)
{
    const QString pdf = File(QStringLiteral("long.pdf"));
    const QStringList bill{QStringLiteral("print"), QStringLiteral("--format"), kCheque, QStringLiteral("--set"),
                           QStringLiteral("用途=") + QString(300, QChar(u'款')), QStringLiteral("--set"),
                           QStringLiteral("小写金额=100"), QStringLiteral("--pdf"), pdf};
    const Outcome refused = Kestrio(bill);
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("“用途”"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("超出了框的底边"))) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    const Outcome allowed = Kestrio(bill + QStringList{QStringLiteral("--allow-overflow")});
    EXPECT_EQ(allowed.code, 0) << allowed.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));

    const QString typed = QStringLiteral("长月日角行人支付");
    const QString plain = File(QStringLiteral("plain.pdf"));
    Print({QStringLiteral("--format"), kCheque, QStringLiteral("--set"), QStringLiteral("收款人=") + typed,
           QStringLiteral("--set"), QStringLiteral("小写金额=100"), QStringLiteral("--pdf"), plain});
    const auto pages = ReadPdf(plain);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(TopWord(pages[0], typed).has_value());
}

// What the window refuses or asks about, the command line refuses with the reason and exit 1.
TEST_F(PrintCommand, AnAmountThatMakesNoSenseOnAChequeIsRefused)
{
    const QString pdf = File(QStringLiteral("amount.pdf"));
    const struct {
        const char* amount;
        bool allowEmpty;
        int code;
        const char* said;
    } cases[] = {
        {"-5", false, 1, "金额为空、为零或为负数"},   {"0", false, 1, "金额为空、为零或为负数"},
        {"1,23", false, 1, "金额格式不正确！"},       {"2.675", false, 1, "金额只能精确到分！"},
        {"1,234.5", false, 0, ""},                    {"-5", true, 0, ""},
    };
    for (const auto& c : cases) {
        QStringList args{QStringLiteral("print"), QStringLiteral("--format"), kCheque, QStringLiteral("--set"),
                         QStringLiteral("小写金额=") + QString::fromUtf8(c.amount), QStringLiteral("--pdf"), pdf};
        if (c.allowEmpty) args << QStringLiteral("--allow-empty");
        const Outcome run = Kestrio(args);
        EXPECT_EQ(run.code, c.code) << c.amount << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.said))) << c.amount << run.err.toStdString();
        EXPECT_EQ(QFile::exists(pdf), c.code == 0) << c.amount;
        QFile::remove(pdf);
    }
}

TEST_F(PrintCommand, PrintedBarcodeScansBack)
{
    // The delivery note's picture box 单号条码 prints its text as a Code 39 barcode.
    const QString png = File(QStringLiteral("note.png"));
    Print({QStringLiteral("--format"), QStringLiteral("送货单"), QStringLiteral("--set"),
           QStringLiteral("单号条码=ABC-123"), QStringLiteral("--png"), png, QStringLiteral("--allow-empty")});
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(test::ScannedText(image), "ABC-123");
}

// The canvas as a picture: `show-format NAME --png` at 100 dots per inch of paper.
class CanvasPictureCommand : public PrintCommand {
protected:
    static constexpr double kDotsPerMm = 100 / 25.4;

    QImage Picture(const QStringList& options)
    {
        const QString png = File(QStringLiteral("canvas.png"));
        QFile::remove(png);
        const Outcome run = Kestrio(QStringList{QStringLiteral("show-format"), kCheque, QStringLiteral("--png"), png,
                                                QStringLiteral("--dpi"), QStringLiteral("100")} +
                                    options);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        return QImage(png);
    }
    // The payee box in dots, from the element table the command prints.
    QRectF PayeeBox()
    {
        const QStringList lines = Kestrio({QStringLiteral("show-format"), kCheque}).out.split(QLatin1Char('\n'));
        const QStringList header = lines.value(0).split(QLatin1Char('\t'));
        for (const QString& line : lines) {
            const QStringList cells = line.split(QLatin1Char('\t'));
            if (cells.value(header.indexOf(QStringLiteral("标签内容"))) != QStringLiteral("收款人")) continue;
            const auto mm = [&](const char* column) { return cells.value(header.indexOf(QString::fromUtf8(column))).toDouble(); };
            return QRectF(mm("横向位置(毫米)"), mm("纵向位置(毫米)"), mm("宽度(毫米)"), mm("高度(毫米)"));
        }
        ADD_FAILURE() << "no payee box";
        return {};
    }
    static QRect Dots(const QRectF& mm)
    {
        return QRectF(mm.topLeft() * kDotsPerMm, mm.size() * kDotsPerMm).toRect();
    }
    static int NonWhite(const QImage& image)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) count += qGray(image.pixel(x, y)) < 230;
        return count;
    }
};

TEST_F(CanvasPictureCommand, TheTypedTextLiesInItsBoxAndOnlyWhatPrintsIsLeftWithoutFrames)
{
    const QStringList bare{QStringLiteral("--no-background"), QStringLiteral("--no-frames")};
    const QRect payee = Dots(PayeeBox()).adjusted(2, 2, -2, -2);
    const QImage blank = Picture(bare);
    ASSERT_EQ(blank.size(), QSize(qRound(240 * kDotsPerMm), qRound(80 * kDotsPerMm)));
    EXPECT_EQ(DarkPixelsIn(blank, payee), 0);

    const QImage filled = Picture(bare + QStringList{QStringLiteral("--set"), QStringLiteral("收款人=测试公司")});
    EXPECT_GT(DarkPixelsIn(filled, payee), 30);
    // The text starts at the box's left, not at the printed page's offset.
    EXPECT_GT(DarkPixelsIn(filled, payee.adjusted(0, 0, -payee.width() / 2, 0)), 30);
}

TEST_F(CanvasPictureCommand, FramesAndTheBackgroundAreDrawnUnlessLeftOut)
{
    const QRect payee = Dots(PayeeBox());
    const QPoint leftEdge(payee.left(), payee.center().y());
    const QImage framed = Picture({QStringLiteral("--no-background")});
    const QRgb edge = framed.pixel(leftEdge);
    EXPECT_GT(qBlue(edge), qRed(edge) + 30); // the frame's blue
    const QImage plain = Picture({QStringLiteral("--no-background"), QStringLiteral("--no-frames")});
    EXPECT_EQ(plain.pixel(leftEdge), qRgb(255, 255, 255));

    // The demo cheque's scan covers the paper with its printed form.
    const QImage scanned = Picture({QStringLiteral("--no-frames")});
    EXPECT_GT(NonWhite(scanned), 20 * NonWhite(plain) + 1000);
}

TEST_F(CanvasPictureCommand, PictureOptionsNeedPng)
{
    for (const QStringList& wrong : {QStringList{QStringLiteral("--dpi"), QStringLiteral("100")},
                                     QStringList{QStringLiteral("--no-frames")},
                                     QStringList{QStringLiteral("--png"), File(QStringLiteral("a.png")),
                                                 QStringLiteral("--dpi"), QStringLiteral("many")}}) {
        const Outcome run = Kestrio(QStringList{QStringLiteral("show-format"), kCheque} + wrong);
        EXPECT_EQ(run.code, 2) << wrong.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_FALSE(QFile::exists(File(QStringLiteral("a.png"))));
}

} // namespace
} // namespace kestrio
