// Where a bill's contents land on the page, to the twip, on a recording surface whose text
// extents are known: at 10 points an ideograph is 200 twips wide, a digit or letter 100, and
// a line 240 high.
#include "QtPrinters.h"
#include "ScriptedPrompter.h"
#include "TestBoxes.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/RecordingSurface.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace kestrio {
namespace {

using Col = ElementTable::Column;
constexpr double K = PrintSurface::TwipsPerMillimetre;
constexpr double kPageWidthMm = 100;

// The canvas frame for which the fitted size of a 10-point box is exactly 10 points on the
// recording surface: the twelve reference ideographs are 2400 twips on the fixed screen, and
// the target is one twip more, so 10.0 fits and 10.1 does not.
double FrameForTenPoints() { return 2400.0 * kPageWidthMm * K / 2401.0; }

struct Drawn {
    double x;
    double y;
    QString text;
};

QVector<Drawn> TextsDrawn(const RecordingSurface& surface)
{
    static const QRegularExpression call(QStringLiteral("^drawText\\(([-0-9.e]+),([-0-9.e]+),\"(.*)\"\\)$"));
    QVector<Drawn> texts;
    for (const QString& line : surface.calls()) {
        const auto match = call.match(line);
        if (match.hasMatch()) texts.append({match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3)});
    }
    return texts;
}

QStringList CallsOf(const RecordingSurface& surface, const QString& operation)
{
    QStringList found;
    for (const QString& line : surface.calls())
        if (line.startsWith(operation + QLatin1Char('('))) found << line;
    return found;
}

class Bill : public ::testing::Test {
protected:
    Bill() : surface(210 * K, 297 * K)
    {
        ws.formatName = QStringLiteral("测试单据");
        ws.widthText = QString::number(kPageWidthMm);
        ws.heightText = QStringLiteral("50");
    }

    int AddBox(int kind, double x, double y, double w, double h, const QString& code = QStringLiteral("0"))
    {
        return test::AddTestBox(ws, kind, x, y, w, h, code);
    }

    BillRenderer::Environment Env()
    {
        BillRenderer::Environment env{screen, FrameForTenPoints(), Barcode::Standard::Code39, QImage(), &prompter, {}};
        env.installPaperForm = [this](double w, double h) { installed << QStringLiteral("%1x%2").arg(w).arg(h); };
        return env;
    }

    // One page through the printer path, as the main window prints it.
    bool Print()
    {
        FixedDestination destination(surface);
        BillPrinter printer(destination, Env(), nullptr, prompter, progress);
        // Layouts of every kind, not bills: only what would print wrong is refused.
        printer.AllowEmpty();
        return printer.PrintBill(ws, true, false);
    }

    Workspace ws;
    RecordingSurface surface;
    FixedScreenInfo screen;
    ScriptedPrompter prompter;
    SilentProgress progress;
    QStringList installed;
};

TEST_F(Bill, EveryBoxMovesByThePrintOffsets)
{
    const int box = AddBox(ElementTable::TextBox, 10, 5, 50, 8);
    ws.SetBoxText(box, QStringLiteral("中"));
    ws.offsetXText = QStringLiteral("2.5");
    ws.offsetYText = QStringLiteral("-1");
    ASSERT_TRUE(Print());
    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].x, std::nearbyint(12.5 * K)); // 2.5 mm to the right
    EXPECT_EQ(texts[0].y, std::nearbyint(4 * K));    // 1 mm up
    EXPECT_TRUE(surface.calls().contains(QStringLiteral("setFont(\"宋体\",10,)")));
    EXPECT_EQ(surface.calls().last(), QStringLiteral("endDocument()"));
}

TEST_F(Bill, TurnedAndCentredFeedsShiftThePage)
{
    const int box = AddBox(ElementTable::TextBox, 10, 5, 50, 8);
    ws.SetBoxText(box, QStringLiteral("中"));
    const int line = AddBox(ElementTable::Line, 10, 5, 60, 5);

    // Turned: landscape, and the bill sits at the bottom of the 210 mm high page.
    ws.options[1] = 1;
    ASSERT_TRUE(Print());
    EXPECT_TRUE(surface.calls().contains(QStringLiteral("setOrientation(landscape)")));
    EXPECT_EQ(TextsDrawn(surface).at(0).y, std::nearbyint((5 + 160) * K));
    EXPECT_EQ(CallsOf(surface, QStringLiteral("drawLine")).at(0),
              QStringLiteral("drawLine(%1,%2,%3,%2,10,solid,0x000000)")
                  .arg(RecordingSurface::Number(10 * K), RecordingSurface::Number(5 * K + 160 * K),
                       RecordingSurface::Number(60 * K)));

    // Turned with centring guides: down by half the height difference only.
    surface.clearCalls();
    ws.options[3] = 1;
    ASSERT_TRUE(Print());
    EXPECT_EQ(TextsDrawn(surface).at(0).y, std::nearbyint((5 + 80) * K));
    EXPECT_EQ(TextsDrawn(surface).at(0).x, std::nearbyint(10 * K));

    // Centring guides alone: left by half the width difference, (210 − 100) ÷ 2 mm.
    surface.clearCalls();
    ws.options[1] = 0;
    ASSERT_TRUE(Print());
    EXPECT_TRUE(surface.calls().contains(QStringLiteral("setOrientation(portrait)")));
    EXPECT_EQ(TextsDrawn(surface).at(0).x, std::nearbyint((10 - 55) * K));
    EXPECT_EQ(TextsDrawn(surface).at(0).y, std::nearbyint(5 * K));
    EXPECT_TRUE(CallsOf(surface, QStringLiteral("drawLine")).at(0).startsWith(
        QStringLiteral("drawLine(%1,").arg(RecordingSurface::Number((10 - 55) * K))));
    (void)line;
}

TEST_F(Bill, AmountCellsHoldOneCharacterEach)
{
    const double cell = 10 * K; // every box below has cells 10 mm wide
    const int eight = AddBox(ElementTable::TextBox, 0, 0, 80, 8, QStringLiteral("8"));
    const int ten = AddBox(ElementTable::TextBox, 0, 10, 100, 8, QStringLiteral("10"));
    const int noSign = AddBox(ElementTable::TextBox, 0, 20, 80, 8, QStringLiteral("308"));
    for (int row : {eight, ten, noSign}) ws.SetBoxText(row, QStringLiteral("12345.6"));
    ASSERT_TRUE(Print());

    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 8 + 8 + 7);
    const QString eightCells = QStringLiteral("￥1234560");
    for (int i = 0; i < 8; ++i) {
        const double width = i == 0 ? 200 : 100;
        EXPECT_EQ(texts[i].text, eightCells.mid(i, 1));
        EXPECT_NEAR(texts[i].x, cell * i + (cell - width) / 2, 1e-6) << i;
        EXPECT_NEAR(texts[i].y, 0, 1e-6);
        // Ten cells: two empty cells come first.
        EXPECT_EQ(texts[8 + i].text, eightCells.mid(i, 1));
        EXPECT_NEAR(texts[8 + i].x, cell * (i + 2) + (cell - width) / 2, 1e-6) << i;
    }
    // Code 308: the same cells with the sign's cell left empty.
    EXPECT_EQ(texts[16].text, QStringLiteral("1"));
    EXPECT_NEAR(texts[16].x, cell + (cell - 100) / 2, 1e-6);

    EXPECT_EQ(BillRenderer::AmountCells(QStringLiteral("12345.6"), 6), QStringLiteral("234560"));
    EXPECT_EQ(BillRenderer::AmountCells(QStringLiteral("0.05"), 5), QStringLiteral(" ￥005"));
    EXPECT_EQ(BillRenderer::AmountCells(QStringLiteral("无"), 8), QString());
}

TEST_F(Bill, AnAmountThatDoesNotFitItsCellsIsRefused)
{
    const int six = AddBox(ElementTable::TextBox, 0, 0, 60, 8, QStringLiteral("6"));
    const int label = AddBox(ElementTable::Label, 0, 30, 60, 8);
    ws.SetBoxText(six, QStringLiteral("12345.6"));
    EXPECT_EQ(BillRenderer::AmountOverflowRow(ws), six);
    EXPECT_FALSE(Print());
    EXPECT_TRUE(prompter.shown.value(0).endsWith(BillPrinter::AmountOverflowMessage())) << prompter.shown.value(0).toStdString();
    EXPECT_TRUE(surface.calls().isEmpty()) << "nothing of the bill may be printed";

    // Six digits fit six cells; only the sign is left out.
    ws.SetBoxText(six, QStringLiteral("2345.6"));
    EXPECT_EQ(BillRenderer::AmountOverflowRow(ws), -1);
    ASSERT_TRUE(Print());
    QString printed;
    for (const Drawn& d : TextsDrawn(surface)) printed += d.text;
    EXPECT_EQ(printed, QStringLiteral("234560") + ws.table.Text(label, Col::ColLbl));
    // A negative amount needs its minus sign too.
    ws.SetBoxText(six, QStringLiteral("-2345.6"));
    EXPECT_EQ(BillRenderer::AmountOverflowRow(ws), six);
}

TEST_F(Bill, RightAlignedTextEndsOneTwipAndOneSpacingBeforeTheEdge)
{
    const int box = AddBox(ElementTable::TextBox, 10, 5, 50, 8);
    ws.table.SetText(box, Col::ColS, QStringLiteral("1"));
    ws.table.SetText(box, Col::ColL, QStringLiteral("1000"));
    ws.SetBoxText(box, QStringLiteral("中文"));
    ASSERT_TRUE(Print());
    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 2);
    const double right = 60 * K;
    const double start = std::nearbyint(right - (400 + 2 * K) - 1);
    EXPECT_EQ(texts[0].x, start);
    EXPECT_NEAR(texts[1].x, start + 200 + K, 1e-6);
    EXPECT_NEAR(texts[1].x + 200 + K + 1, right, 0.5);
}

TEST_F(Bill, TextBreaksByCharactersNotWords)
{
    // 25 mm hold 14 letters of 100 twips (1417 twips).
    // 25 mm high: the four lines stay inside the box, so printing asks nothing.
    const int box = AddBox(ElementTable::TextBox, 0, 0, 25, 25);
    ws.table.SetText(box, Col::ColL, QStringLiteral("2")); // left, 2 mm between lines
    ws.SetBoxText(box, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n\r\nEND"));
    // A box narrower than one character still prints each character on a line of its own.
    const int narrow = AddBox(ElementTable::TextBox, 50, 0, 2, 20);
    ws.SetBoxText(narrow, QStringLiteral("中国"));
    ASSERT_TRUE(Print());
    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 26 + 3 + 2);
    const double step = std::nearbyint(240 + 2 * K + 1);
    EXPECT_EQ(texts[13].text, QStringLiteral("N"));
    EXPECT_EQ(texts[13].y, 0);
    EXPECT_EQ(texts[14].text, QStringLiteral("O")); // the word goes on on the next line
    EXPECT_EQ(texts[14].x, 0);
    EXPECT_EQ(texts[14].y, step);
    EXPECT_EQ(texts[26].text, QStringLiteral("E")); // after an empty line
    EXPECT_EQ(texts[26].y, 3 * step);
    EXPECT_EQ(texts[29].text, QStringLiteral("中"));
    EXPECT_EQ(texts[30].text, QStringLiteral("国"));
    EXPECT_EQ(texts[30].x, texts[29].x);
    EXPECT_EQ(texts[30].y, std::nearbyint(240 + 1.0));
}

TEST_F(Bill, AmountTypesAreRightAlignedWhateverTheBoxSays)
{
    const int box = AddBox(ElementTable::TextBox, 10, 5, 50, 8, QStringLiteral("114.11"));
    ws.table.SetText(box, Col::ColL, QStringLiteral("2000")); // centre
    ws.SetBoxText(box, QStringLiteral("￥1,234.50"));
    ASSERT_TRUE(Print());
    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 9);
    EXPECT_EQ(texts[0].x, std::nearbyint(60 * K - (200 + 8 * 100) - 1));
}

TEST_F(Bill, CharacterCellsFollowTheBoxAlignment)
{
    const double cell = 10 * K;
    const int right = AddBox(ElementTable::TextBox, 0, 0, 40, 8, QStringLiteral("204"));
    ws.table.SetText(right, Col::ColL, QStringLiteral("1000"));
    ws.SetBoxText(right, QStringLiteral("AB"));
    const int longer = AddBox(ElementTable::TextBox, 0, 10, 40, 8, QStringLiteral("204"));
    ws.table.SetText(longer, Col::ColL, QStringLiteral("1000"));
    ws.SetBoxText(longer, QStringLiteral("ABCDEF"));
    const int centre = AddBox(ElementTable::TextBox, 0, 20, 60, 8, QStringLiteral("109"));
    ws.table.SetText(centre, Col::ColL, QStringLiteral("2000"));
    ws.SetBoxText(centre, QStringLiteral("12"));
    ASSERT_TRUE(Print());
    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 2 + 6 + 2);
    EXPECT_NEAR(texts[0].x, 2 * cell + (cell - 100) / 2, 1e-6); // padded to the right
    EXPECT_NEAR(texts[2].x, -2 * cell + (cell - 100) / 2, 1e-6); // the end stays in the last cell
    EXPECT_NEAR(texts[7].x, 3 * cell + (cell - 100) / 2, 1e-6);
    EXPECT_NEAR(texts[8].x, 2 * cell + (cell - 100) / 2, 1e-6); // six cells, two spaces before
}

TEST_F(Bill, KindsPrintInOrderAndEmptyBoxesSetNoFont)
{
    const int label = AddBox(ElementTable::Label, 0, 0, 20, 8);
    ws.table.SetText(label, Col::ColLbl, QStringLiteral("标签"));
    const int empty = AddBox(ElementTable::TextBox, 0, 10, 20, 8);
    ws.table.SetText(empty, Col::ColFontName, QStringLiteral("黑体"));
    const int check = AddBox(ElementTable::CheckBox, 0, 20, 5, 5);
    ws.table.SetText(check, Col::ColFontSize, QStringLiteral("12"));
    ws.SetBoxContent(check, QStringLiteral("1"));
    const int line = AddBox(ElementTable::Line, 1, 2, 3, 4);
    ws.table.SetText(line, Col::ColFontSize, QStringLiteral("2"));
    ws.table.SetText(line, Col::ColCash, QStringLiteral("2")); // dashes
    ws.table.SetColor(line, 0x0000FF);
    ASSERT_TRUE(Print());

    const auto texts = TextsDrawn(surface);
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0].text, QStringLiteral("√"));
    EXPECT_EQ(texts[1].text, QStringLiteral("标"));
    for (const QString& call : surface.calls()) EXPECT_FALSE(call.contains(QStringLiteral("黑体"))) << call.toStdString();
    // A check box keeps its own size; the label gets the fitted one.
    EXPECT_TRUE(surface.calls().contains(QStringLiteral("setFont(\"宋体\",12,)")));
    EXPECT_EQ(CallsOf(surface, QStringLiteral("drawLine")),
              QStringList{QStringLiteral("drawLine(%1,%2,%3,%4,2,dash,0x0000FF)")
                              .arg(RecordingSurface::Number(1 * K), RecordingSurface::Number(2 * K),
                                   RecordingSurface::Number(3 * K), RecordingSurface::Number(4 * K))});
    const qsizetype lineAt = surface.calls().indexOf(CallsOf(surface, QStringLiteral("drawLine")).at(0));
    const qsizetype labelAt = surface.calls().indexOf(QStringLiteral("drawText(0,0,\"标\")"));
    EXPECT_LT(lineAt, labelAt);
}

TEST_F(Bill, TheFittedSizeIsSearchedOncePerFontAndPage)
{
    const int a = AddBox(ElementTable::TextBox, 0, 0, 50, 8);
    const int b = AddBox(ElementTable::TextBox, 0, 10, 50, 8);
    ws.SetBoxText(a, QStringLiteral("甲"));
    ws.SetBoxText(b, QStringLiteral("乙"));
    FixedDestination destination(surface);
    BillPrinter printer(destination, Env(), nullptr, prompter, progress);
    ASSERT_TRUE(printer.PrintBill(ws, false, false));
    ASSERT_TRUE(printer.PrintBill(ws, false, false));
    EXPECT_EQ(printer.Renderer().FontSizes().Searches(), 1);
    EXPECT_DOUBLE_EQ(surface.fontSize(), 10);

    // Text as wide on paper, relative to the page, as on the canvas relative to the frame:
    // a page twice as wide prints twice as large.
    ws.widthText = QString::number(2 * kPageWidthMm);
    ASSERT_TRUE(printer.PrintBill(ws, false, false));
    EXPECT_EQ(printer.Renderer().FontSizes().Searches(), 2);
    EXPECT_NEAR(surface.fontSize(), 20, 0.1);
    EXPECT_LE(surface.textWidth(FittedFontSizes::ReferenceText()), 2 * 2401.0);
}

TEST_F(Bill, PaperBackgroundAndRulersFollowTheOptions)
{
    ws.setPaper = true;
    ws.backgroundPrint = true;
    ws.printRulers = true;
    ws.offsetXText = QStringLiteral("3");
    ws.offsetYText = QStringLiteral("4");
    QImage background(40, 20, QImage::Format_RGB32);
    background.fill(Qt::gray);
    RecordingSurface small(20 * K, 10 * K);
    FixedDestination destination(small);
    auto env = Env();
    env.installPaperForm = {};
    env.background = background;
    QStringList paper;
    struct PaperDestination final : PrintDestination {
        PrintSurface& s;
        QStringList& log;
        PaperDestination(PrintSurface& surface, QStringList& l) : s(surface), log(l) {}
        bool ChoosePrinter() override { return true; }
        PrintSurface& Surface() override { return s; }
        void InstallPaperForm(double w, double h) override { log << QStringLiteral("%1x%2").arg(w).arg(h); }
    } withPaper(small, paper);
    BillPrinter printer(withPaper, env, nullptr, prompter, progress);
    ASSERT_TRUE(printer.PrintBill(ws, true, false));
    EXPECT_EQ(paper, QStringList{QStringLiteral("100x50")});
    EXPECT_EQ(CallsOf(small, QStringLiteral("drawPicture")),
              QStringList{QStringLiteral("drawPicture(40x20,%1,%2,%3,%4)")
                              .arg(RecordingSurface::Number(3 * K), RecordingSurface::Number(4 * K),
                                   RecordingSurface::Number(100 * K), RecordingSurface::Number(50 * K))});
    // A 20 × 10 mm page: lines every 2 mm up to 18 and 8 mm, black and wider every centimetre.
    const QStringList lines = CallsOf(small, QStringLiteral("drawLine"));
    ASSERT_EQ(lines.size(), 10 + 5);
    EXPECT_EQ(lines[0], QStringLiteral("drawLine(0,0,0,%1,2,solid,0x000000)").arg(RecordingSurface::Number(10 * K)));
    EXPECT_EQ(lines[1], QStringLiteral("drawLine(%1,0,%1,%2,1,solid,0x333333)")
                            .arg(RecordingSurface::Number(2 * K), RecordingSurface::Number(10 * K)));
    EXPECT_TRUE(lines[5].endsWith(QStringLiteral(",2,solid,0x000000)")));
    EXPECT_EQ(lines[14], QStringLiteral("drawLine(0,%1,%2,%1,1,solid,0x333333)")
                             .arg(RecordingSurface::Number(8 * K), RecordingSurface::Number(20 * K)));

    // Without the ticks: no paper, no picture, no grid.
    ws.setPaper = ws.backgroundPrint = ws.printRulers = false;
    small.clearCalls();
    paper.clear();
    ASSERT_TRUE(printer.PrintBill(ws, true, false));
    EXPECT_TRUE(paper.isEmpty());
    EXPECT_TRUE(CallsOf(small, QStringLiteral("drawPicture")).isEmpty());
    EXPECT_TRUE(CallsOf(small, QStringLiteral("drawLine")).isEmpty());
}

TEST_F(Bill, PicturesStretchAndUnreadableOnesAreSkipped)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stamp.png"));
    QImage stamp(30, 10, QImage::Format_RGB32);
    stamp.fill(Qt::red);
    ASSERT_TRUE(stamp.save(path));
    const int picture = AddBox(ElementTable::PictureBox, 5, 6, 30, 10);
    ws.SetBoxContent(picture, path);
    const int missing = AddBox(ElementTable::PictureBox, 5, 20, 30, 10);
    ws.SetBoxContent(missing, dir.filePath(QStringLiteral("none.png")));
    const int text = AddBox(ElementTable::TextBox, 50, 5, 30, 8);
    ws.SetBoxText(text, QStringLiteral("仍然打印"));
    ASSERT_TRUE(Print());
    EXPECT_EQ(CallsOf(surface, QStringLiteral("drawPicture")),
              QStringList{QStringLiteral("drawPicture(30x10,%1,%2,%3,%4)")
                              .arg(RecordingSurface::Number(5 * K), RecordingSurface::Number(6 * K),
                                   RecordingSurface::Number(30 * K), RecordingSurface::Number(10 * K))});
    EXPECT_EQ(TextsDrawn(surface).size(), 4);
}

TEST_F(Bill, BarcodesDrawBarsAndSayWhenACharacterCannotBePrinted)
{
    const int code = AddBox(ElementTable::PictureBox, 10, 10, 80, 15);
    ws.SetBoxContent(code, QStringLiteral("12#3"));
    ASSERT_TRUE(Print());
    // "*", "1" and "2" are drawn, five bars each, then the symbol stops.
    EXPECT_EQ(CallsOf(surface, QStringLiteral("fillRectangle")).size(), 15);
    EXPECT_EQ(prompter.shown, QStringList{Barcode::Code39InvalidMessage()});
    EXPECT_EQ(TextsDrawn(surface).size(), 3);

    // A font of 2 points or less prints no digits; the bars take the whole height.
    ws.table.SetText(code, Col::ColFontSize, QStringLiteral("2"));
    ws.SetBoxContent(code, QStringLiteral("690123456789"));
    surface.clearCalls();
    FixedDestination destination(surface);
    auto env = Env();
    env.barcodeStandard = Barcode::Standard::Ean13;
    BillPrinter printer(destination, env, nullptr, prompter, progress);
    ASSERT_TRUE(printer.PrintBill(ws, true, false));
    EXPECT_TRUE(TextsDrawn(surface).isEmpty());
    const QStringList bars = CallsOf(surface, QStringLiteral("fillRectangle"));
    EXPECT_EQ(bars.size(), 30); // 2 guard + 12 + 2 centre + 12 + 2 guard bars
}

TEST_F(Bill, AFailingSurfaceShowsThePrintErrorAndStoresNothing)
{
    const int box = AddBox(ElementTable::TextBox, 10, 5, 50, 8);
    ws.SetBoxText(box, QStringLiteral("中"));
    surface.failOperation(QStringLiteral("drawText"), QStringLiteral("纸张用完"));
    EXPECT_FALSE(Print());
    EXPECT_EQ(prompter.shown, QStringList{BillPrinter::PrintErrorMessage()});
    EXPECT_FALSE(surface.calls().contains(QStringLiteral("endDocument()")));
}

} // namespace
} // namespace kestrio
