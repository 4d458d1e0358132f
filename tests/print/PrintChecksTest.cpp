// The checks before a bill is printed: does it land whole on the paper, are its offsets
// usable, does any text run past its box; and the line breaking of long texts, which must
// keep every position while taking time in proportion to the text.
#include "GuiApplication.h"
#include "QtPrinters.h"
#include "ScriptedDestination.h"
#include "ScriptedPrompter.h"
#include "TestBoxes.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/PainterSurface.h"
#include "print/PaperFit.h"
#include "print/PrintOffsets.h"
#include "print/RecordingSurface.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"

#include <QBuffer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace kestrio {
namespace {

using Col = ElementTable::Column;
constexpr double K = PrintSurface::TwipsPerMillimetre;

// A 240 × 80 mm cheque with one box per case.
class Checks : public ::testing::Test {
protected:
    Checks() { Reset(); }

    void Reset()
    {
        ws = Workspace();
        ws.formatName = QStringLiteral("测试支票");
        ws.widthText = QStringLiteral("240");
        ws.heightText = QStringLiteral("80");
    }

    int AddBox(int kind, double x, double y, double w, double h, const QString& text)
    {
        const int row = test::AddTestBox(ws, kind, x, y, w, h);
        if (kind == ElementTable::Label) ws.table.SetText(row, Col::ColLbl, text);
        else ws.SetBoxText(row, text);
        return row;
    }

    BillRenderer::Environment Env()
    {
        // A frame at which a 10-point box prints at 10 points on the recording surface.
        return {screen, 2400.0 * 240 * K / 2401.0, Barcode::Standard::Code39, QImage(), &prompter, {}};
    }

    Workspace ws;
    FixedScreenInfo screen;
    ScriptedPrompter prompter;
    SilentProgress progress;
};

TEST_F(Checks, BoxesOffThePaperOrItsPrintableAreaAreListed)
{
    const int payee = AddBox(ElementTable::TextBox, 20, 20, 80, 5, QStringLiteral("测试公司"));
    const int amount = AddBox(ElementTable::TextBox, 180, 30, 50, 5, QStringLiteral("1234.5"));
    AddBox(ElementTable::TextBox, 1, 70, 30, 5, QString()); // empty: prints nothing
    const int line = AddBox(ElementTable::Line, 2, 2, 238, 2, QString());
    const QSizeF a4(210, 297);
    const QSizeF cheque(240, 80);
    struct Case {
        const char* what;
        QSizeF page;
        double offsetX, offsetY;
        QMarginsF unprintable;
        bool turned;
        QList<int> outside;
    };
    const Case cases[] = {
        {"the cheque's own paper", cheque, 0, 0, {}, false, {}},
        {"A4 portrait cuts the right side", a4, 0, 0, {}, false, {amount, line}},
        {"offsets move the amount off", cheque, 15, 0, {}, false, {amount, line}},
        {"offsets up move the line off", cheque, 0, -3, {}, false, {line}},
        {"printer margins reach the line", cheque, 0, 0, QMarginsF(3.53, 3.53, 3.53, 3.53), false, {line}},
        {"margins inside the page keep the boxes", cheque, 0, 0, QMarginsF(0, 1, 0, 1), false, {}},
        {"turned onto A4 landscape, 130 mm down", QSizeF(297, 210), 0, 0, {}, true, {}},
        {"turned onto A4 portrait", a4, 0, 0, {}, true, {amount, line}},
    };
    for (const Case& c : cases) {
        ws.options[1] = c.turned ? 1 : 0;
        EXPECT_EQ(PaperFit::RowsOutside(ws, c.offsetX, c.offsetY, c.page, c.unprintable), c.outside) << c.what;
    }
    // The question names the boxes and begins as the user knows it.
    const QString question = PaperFit::Question(ws, {payee, amount}, a4, true);
    EXPECT_TRUE(question.startsWith(QStringLiteral("单据超出纸张范围"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("“框%1”、“框%2”").arg(payee).arg(amount)));
}

TEST_F(Checks, OffsetsMustBeNumbersThatKeepTheBillOnThePaper)
{
    struct Case {
        const char16_t* x;
        const char16_t* y;
        bool usable;
        const char16_t* says;
    };
    const Case cases[] = {
        {u"2.5", u"-1", true, u""},
        {u"", u" 0 ", true, u""},
        {u"１２．５", u"－１", true, u""},
        {u"-.5", u"+3", true, u""},
        {u"abc", u"0", false, u"左右偏移“abc”不是数字"},
        {u"0", u"1.2.3", false, u"上下偏移“1.2.3”不是数字"},
        {u"1e2", u"0", false, u"不是数字"},
        {u"3毫米", u"0", false, u"不是数字"},
        {u"999", u"0", false, u"移出纸张"},
        {u"-240", u"0", false, u"移出纸张"},
        {u"239.9", u"-79.9", true, u""},
        {u"0", u"80", false, u"移出纸张"},
    };
    for (const Case& c : cases) {
        const QString problem =
            PrintOffsets::Check(QString::fromUtf16(c.x), QString::fromUtf16(c.y), 240, 80);
        EXPECT_EQ(problem.isEmpty(), c.usable) << QString::fromUtf16(c.x).toStdString() << problem.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromUtf16(c.says))) << problem.toStdString();
    }
    EXPECT_EQ(PrintOffsets::Parse(QStringLiteral("１２．５")), 12.5);
    EXPECT_EQ(PrintOffsets::Normalised(QStringLiteral("2.50")), QStringLiteral("2.5"));

    // Printing refuses such offsets before anything is drawn.
    AddBox(ElementTable::TextBox, 20, 20, 80, 5, QStringLiteral("测试公司"));
    ws.offsetXText = QStringLiteral("abc");
    RecordingSurface surface;
    FixedDestination destination(surface);
    BillPrinter printer(destination, Env(), nullptr, prompter, progress);
    EXPECT_FALSE(printer.PrintBill(ws, true, false));
    EXPECT_TRUE(surface.calls().isEmpty());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains(QStringLiteral("不是数字")));
}

TEST_F(Checks, TextPastItsBoxBottomIsListedAskedAndMarkedInThePreview)
{
    // 10 points: a line is 240 twips high and steps 241; an ideograph is 200 twips wide.
    // 40 mm (2268 twips) hold 11 ideographs a line.
    const QString eleven = QStringLiteral("上列款项请从我账户内支付");
    const int one = AddBox(ElementTable::TextBox, 10, 10, 40, 5, eleven.left(11));
    const int two = AddBox(ElementTable::TextBox, 10, 20, 40, 5, eleven); // 2 lines in 5 mm
    const int fits = AddBox(ElementTable::TextBox, 10, 30, 40, 9, eleven); // 2 lines in 9 mm
    const int half = AddBox(ElementTable::TextBox, 60, 30, 40, 6.3, eleven); // the 2nd line less than half in
    const int cells = AddBox(ElementTable::TextBox, 60, 10, 40, 1, QStringLiteral("12345678"));
    ws.table.SetText(cells, Col::ColCash, QStringLiteral("208")); // character cells never break
    const int label = AddBox(ElementTable::Label, 60, 50, 5, 1, eleven);
    Q_UNUSED(one);
    Q_UNUSED(fits);
    Q_UNUSED(label);

    RecordingSurface surface;
    FixedDestination destination(surface);
    BillPrinter printer(destination, Env(), nullptr, prompter, progress);
    EXPECT_EQ(printer.Renderer().OverflowingRows(ws), (QList<int>{two, half}));

    // Asked with "No" as the answer: nothing printed.
    EXPECT_FALSE(printer.PrintBill(ws, true, false));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains(QStringLiteral("“框%1”、“框%2”").arg(two).arg(half)))
        << prompter.shown[0].toStdString();
    EXPECT_FALSE(surface.calls().join(QLatin1Char('\n')).contains(QStringLiteral("drawText")));
    // "Yes" prints it as it is, without a frame.
    prompter.QueueAsk(true);
    EXPECT_TRUE(printer.PrintBill(ws, true, false));
    EXPECT_FALSE(surface.calls().join(QLatin1Char('\n')).contains(QStringLiteral("drawLine")));

    // The preview asks nothing and frames exactly the two boxes in red (four sides each).
    RecordingSurface previewSurface;
    FixedDestination previewDestination(previewSurface);
    BillPrinter preview(previewDestination, Env(), nullptr, prompter, progress);
    preview.SetPreview();
    EXPECT_TRUE(preview.PrintBill(ws, true, false));
    EXPECT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(previewSurface.calls().filter(QRegularExpression(QStringLiteral("^drawLine\\(.*0x0000FF"))).size(), 8)
        << previewSurface.calls().join(QLatin1Char('\n')).toStdString();

    // The command line's --allow-overflow prints without the question.
    BillPrinter allowing(destination, Env(), nullptr, prompter, progress);
    allowing.AllowOverflow();
    EXPECT_TRUE(allowing.PrintBill(ws, true, false));
    EXPECT_EQ(prompter.shown.size(), 2);
}

TEST_F(Checks, ABatchAsksThePaperQuestionOnceAndStopsOnNo)
{
    ws.setPaper = true;
    AddBox(ElementTable::TextBox, 1, 10, 40, 5, QStringLiteral("付款单位")); // inside the printer's edge
    for (const bool agree : {true, false}) {
        RecordingSurface surface;
        test::ScriptedDestination destination(surface);
        destination.unprintable = QMarginsF(3.53, 3.53, 3.53, 3.53); // a printer's edges
        BillPrinter printer(destination, Env(), nullptr, prompter, progress);
        prompter.shown.clear();
        prompter.QueueAsk(agree);
        int loaded = 0;
        const bool ok = printer.PrintAllBills(ws, 3, [&](int, Workspace&) { return ++loaded > 0; }, {});
        EXPECT_EQ(ok, agree);
        EXPECT_EQ(prompter.shown.size(), 1) << prompter.shown.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(loaded, agree ? 3 : 1);
        EXPECT_EQ(surface.calls().filter(QRegularExpression(QStringLiteral("^newPage"))).size(), agree ? 3 : 0);
        EXPECT_EQ(surface.calls().filter(QStringLiteral("drawText")).isEmpty(), !agree);
    }
    // A bill printed on its own is asked again.
    RecordingSurface surface;
    test::ScriptedDestination destination(surface);
    destination.unprintable = QMarginsF(3.53, 3.53, 3.53, 3.53);
    BillPrinter printer(destination, Env(), nullptr, prompter, progress);
    prompter.shown.clear();
    EXPECT_FALSE(printer.PrintBill(ws, true, false));
    EXPECT_EQ(prompter.shown.size(), 1);
}

// The breaking as it was first written: the longest prefix that fits, grown one character at
// a time. Answers the first character of every line.
QList<int> LineStartsByGrowing(PrintSurface& surface, const QString& text, double w, double spacing)
{
    QList<int> starts;
    int start = 0;
    while (start < text.size()) {
        starts << start;
        int take = 1;
        while (start + take < text.size() &&
               surface.textWidth(text.mid(start, take + 1)) + spacing * double(take) <= w)
            ++take;
        start += take;
    }
    return starts;
}

TEST_F(Checks, LongTextsBreakWhereTheyAlwaysDidAndInLinearTime)
{
    test::EnsureGuiApplication();
    QString mixed;
    for (int i = 0; i < 400; ++i) mixed += (i % 7 == 0) ? QStringLiteral("Ab1") : QStringLiteral("款");
    struct Case {
        double widthMm;
        double spacingMm;
    };
    for (const Case c : {Case{40, 0}, Case{40, 0.7}, Case{3, 0}, Case{77.3, 1.5}}) {
        Reset();
        const int box = AddBox(ElementTable::TextBox, 0, 0, c.widthMm, 70, mixed);
        ws.table.SetText(box, Col::ColS, QString::number(c.spacingMm));
        RecordingSurface surface;
        FixedDestination destination(surface);
        BillPrinter printer(destination, Env(), nullptr, prompter, progress);
        printer.AllowOverflow();
        ASSERT_TRUE(printer.PrintBill(ws, true, false));
        // Each line starts at the box's left edge: collect which characters start a line.
        static const QRegularExpression draw(QStringLiteral("^drawText\\(([-0-9.e]+),([-0-9.e]+),\"(.*)\"\\)$"));
        QList<int> starts;
        double lastY = -1;
        int index = 0;
        for (const QString& call : surface.calls()) {
            const auto m = draw.match(call);
            if (!m.hasMatch()) continue;
            if (m.captured(2).toDouble() != lastY) starts << index;
            lastY = m.captured(2).toDouble();
            ++index;
        }
        surface.setFont({QStringLiteral("宋体"), 10});
        EXPECT_EQ(starts, LineStartsByGrowing(surface, mixed, c.widthMm * K, c.spacingMm * K)) << c.widthMm;
    }

    // Two boxes of 40,000 characters onto a real PDF page.
    Reset();
    const QString long1 = QString(40000, QChar(u'款'));
    QString long2;
    for (int i = 0; i < 4000; ++i) long2 += QStringLiteral("用途ABC12345");
    AddBox(ElementTable::TextBox, 10, 10, 60, 20, long1);
    AddBox(ElementTable::TextBox, 100, 10, 60, 20, long2);
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    auto surface = PainterSurface::ForPdf(pdf, 240, 80);
    FixedDestination destination(*surface);
    BillPrinter printer(destination, Env(), nullptr, prompter, progress);
    printer.AllowOverflow();
    // Processor time, so that a busy machine does not fail the test; growing every line one
    // character at a time took over 15 s.
    const std::clock_t started = std::clock();
    ASSERT_TRUE(printer.PrintBill(ws, true, false));
    EXPECT_LT(double(std::clock() - started) / CLOCKS_PER_SEC, 3.0) << "s for 80,000 characters";
}

} // namespace
} // namespace kestrio
