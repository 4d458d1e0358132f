// Printing whole bills of a real format against a real database: one bill with its history
// record, a batch in one job, bills picked from the history grid, and barcodes that a reader
// can scan off the printed page.
#include "ScannedText.h"
#include "ScriptedDestination.h"
#include "RecordingProgress.h"
#include "GuiApplication.h"
#include "TestApp.h"
#include "entry/HistoryGrid.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/PainterSurface.h"
#include "print/PdfTextRepair.h"
#include "print/RecordingSurface.h"
#include "storage/Database.h"


#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace kestrio {
namespace {

using Col = ElementTable::Column;
constexpr double K = PrintSurface::TwipsPerMillimetre;

const QString kCheque = QStringLiteral("转账支票");

using test::RecordingProgress;

QStringList TextsDrawn(const RecordingSurface& surface)
{
    static const QRegularExpression call(QStringLiteral("^drawText\\([-0-9.e]+,[-0-9.e]+,\"(.*)\"\\)$"));
    QStringList texts;
    for (const QString& line : surface.calls()) {
        const auto match = call.match(line);
        if (match.hasMatch()) texts << match.captured(1);
    }
    return texts;
}

// The index of every call of `operation` in the log.
QList<int> IndexesOf(const RecordingSurface& surface, const QString& operation)
{
    QList<int> found;
    const QStringList& calls = surface.calls();
    for (int i = 0; i < calls.size(); ++i)
        if (calls[i].startsWith(operation + QLatin1Char('('))) found << i;
    return found;
}

// The first call that draws `character`; -1 when it was never drawn.
int FirstDrawOf(const RecordingSurface& surface, const QString& character)
{
    const QStringList& calls = surface.calls();
    const QString tail = QStringLiteral(",\"") + character + QStringLiteral("\")");
    for (int i = 0; i < calls.size(); ++i)
        if (calls[i].startsWith(QStringLiteral("drawText(")) && calls[i].endsWith(tail)) return i;
    return -1;
}

class BillPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.Open());
        ASSERT_TRUE(t.app->DbOp().ExecuteSql(QStringLiteral("DELETE * FROM 历史")));
        FormatStore(t.app->DbOp(), t.progress, t.screen).LoadFormat(ws, kCheque);
        ASSERT_EQ(ws.formatName, kCheque);
        ASSERT_GT(ws.table.RowCount(), ElementTable::kFirstRow);
    }

    int Box(const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.KindOf(row) <= ElementTable::PictureBox && ws.table.Text(row, Col::ColLbl) == label)
                return row;
        ADD_FAILURE() << "no box " << label.toStdString();
        return -1;
    }

    void FillBill(const QString& payee, const QString& amount)
    {
        // Typed as a clerk types it: dates filled, the amount box left so its ring follows.
        ws.ClearContents();
        EntryKit kit(*t.app);
        kit.entry.FillDateBoxes(ws);
        ws.SetBoxContent(Box(QStringLiteral("收款人")), payee);
        ws.SetBoxContent(Box(QStringLiteral("小写金额")), amount);
        kit.entry.LeaveBox(ws, Box(QStringLiteral("小写金额")));
        ws.SetBoxContent(Box(QStringLiteral("用途")), QStringLiteral("货款"));
    }

    BillRenderer::Environment Env() { return BillPrinter::EnvironmentFor(*t.app, ws, 0); }

    // The bills of the format in 历史.
    qint64 StoredBills()
    {
        return t.app->Db()
            .ScalarNative(QStringLiteral("SELECT COUNT(DISTINCT ID) FROM 历史 WHERE Fmt=?"), {kCheque})
            .toLongLong();
    }

    // Box ID → content of the stored bill `number`.
    QMap<qint64, QString> StoredBill(qint64 number)
    {
        QMap<qint64, QString> contents;
        Recordset rows = t.app->DbOp().OpenQuery(QStringLiteral("SELECT CID, Con FROM 历史 WHERE Fmt='") + kCheque +
                                                 QStringLiteral("' AND ID=") + QString::number(number));
        for (; !rows.Eof(); rows.MoveNext()) contents.insert(rows.Value(0).toLongLong(), rows.Text(1));
        return contents;
    }

    // Box ID → content of every non-empty box of the workspace.
    QMap<qint64, QString> BillInBoxes() const
    {
        QMap<qint64, QString> contents;
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
            if (ws.table.KindOf(row) > ElementTable::PictureBox) continue;
            const QString content = ws.GetBoxContent(row);
            if (!content.isEmpty()) contents.insert(ws.table.Id(row), content);
        }
        return contents;
    }

    test::TestApp t;
    Workspace ws;
    RecordingSurface surface; // 240 × 80 mm, the cheque's paper
    RecordingProgress progress;
};

TEST_F(BillPrinterTest, OnePrintedBillBecomesOneHistoryRecord)
{
    FillBill(QStringLiteral("测试公司"), QStringLiteral("1234.5"));
    FixedDestination destination(surface);
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);
    EXPECT_EQ(printer.LastRecordNumber(), 0);

    ASSERT_TRUE(printer.PrintBill(ws, true, true)) << t.prompter.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(t.prompter.shown.isEmpty());
    EXPECT_EQ(printer.LastRecordNumber(), 1);
    EXPECT_EQ(StoredBills(), 1);
    EXPECT_EQ(StoredBill(1), BillInBoxes());
    EXPECT_EQ(StoredBill(1).value(ws.table.Id(Box(QStringLiteral("收款人")))), QStringLiteral("测试公司"));

    // The page was drawn and the job finished once, at its end.
    const QStringList texts = TextsDrawn(surface);
    EXPECT_TRUE(texts.contains(QStringLiteral("测"))) << texts.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("￥")));
    EXPECT_EQ(IndexesOf(surface, QStringLiteral("endDocument")).size(), 1);
    EXPECT_EQ(surface.calls().last(), QStringLiteral("endDocument()"));
    EXPECT_TRUE(IndexesOf(surface, QStringLiteral("newPage")).isEmpty());

    // The next bill gets the next number; a bill printed without storing stores nothing.
    FillBill(QStringLiteral("第二公司"), QStringLiteral("88"));
    ASSERT_TRUE(printer.PrintBill(ws, true, true));
    EXPECT_EQ(printer.LastRecordNumber(), 2);
    ASSERT_TRUE(printer.PrintBill(ws, true, false));
    EXPECT_EQ(printer.LastRecordNumber(), 0);
    EXPECT_EQ(StoredBills(), 2);
}

TEST_F(BillPrinterTest, ARefusedAmountPrintsAndStoresNothing)
{
    FillBill(QStringLiteral("测试公司"), QStringLiteral("123456789012"));
    FixedDestination destination(surface);
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);

    EXPECT_FALSE(printer.PrintBill(ws, true, true));
    // The refusal names the box it is about.
    EXPECT_EQ(t.prompter.shown, QStringList{QStringLiteral("“小写金额”：金额超出对格金额框的格数，无法打印！")});
    EXPECT_TRUE(surface.calls().isEmpty()) << surface.calls().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(printer.LastRecordNumber(), 0);
    EXPECT_EQ(StoredBills(), 0);
}

TEST_F(BillPrinterTest, ABillTheSurfaceFailsOnIsNotStored)
{
    FillBill(QStringLiteral("测试公司"), QStringLiteral("1234.5"));
    surface.failOperation(QStringLiteral("drawText"), QStringLiteral("纸张用完"));
    FixedDestination destination(surface);
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);

    EXPECT_FALSE(printer.PrintBill(ws, true, true));
    EXPECT_EQ(t.prompter.shown, QStringList{QStringLiteral("打印出错！")});
    EXPECT_FALSE(IndexesOf(surface, QStringLiteral("drawText")).isEmpty()); // it was tried
    EXPECT_TRUE(IndexesOf(surface, QStringLiteral("endDocument")).isEmpty());
    EXPECT_EQ(printer.LastRecordNumber(), 0);
    EXPECT_EQ(StoredBills(), 0);
}

TEST_F(BillPrinterTest, ACancelledPrinterChoicePrintsAndStoresNothing)
{
    FillBill(QStringLiteral("测试公司"), QStringLiteral("1234.5"));
    test::ScriptedDestination destination(surface);
    destination.confirms = false;
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);

    EXPECT_FALSE(printer.PrintBill(ws, true, true));
    EXPECT_EQ(destination.asked, 1);
    EXPECT_TRUE(surface.calls().isEmpty());
    EXPECT_EQ(StoredBills(), 0);

    // A batch asks once and loads no bill.
    int loaded = 0;
    EXPECT_FALSE(printer.PrintAllBills(
        ws, 3, [&](int, Workspace&) { return ++loaded > 0; }, [] {}));
    EXPECT_EQ(destination.asked, 2);
    EXPECT_EQ(loaded, 0);
    EXPECT_TRUE(surface.calls().isEmpty());
    EXPECT_EQ(StoredBills(), 0);
}

QString ToolOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The demo cheque printed to a PDF file reads back, character for character, as the boxes
// print it, in simplified-Chinese faces only (no Japanese glyph forms, no Latin face for the
// digits).
TEST_F(BillPrinterTest, APdfOfTheChequeReadsBackAsTypedInTheChineseFaces)
{
    test::EnsureGuiApplication();
    FillBill(QStringLiteral("长城角月日行人支公司"), QStringLiteral("1234.5"));
    ws.SetBoxContent(Box(QStringLiteral("用途")), QStringLiteral("支付十二月货款见发票"));
    ws.SetBoxContent(Box(QStringLiteral("出票人账号")), QStringLiteral("6222 0210 0109 8765"));
    QBuffer written;
    written.open(QIODevice::WriteOnly);
    {
        auto pdf = PainterSurface::ForPdf(written, 240, 80);
        FixedDestination destination(*pdf);
        BillPrinter printer(destination, Env(), nullptr, t.prompter, progress);
        ASSERT_TRUE(printer.PrintBill(ws, true, false)) << t.prompter.shown.join(QLatin1Char('|')).toStdString();
    }
    QString error;
    const auto repaired = PdfTextRepair::Repair(written.data(), &error);
    ASSERT_TRUE(repaired.has_value()) << error.toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cheque.pdf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*repaired);
    file.close();

    auto sortedCharacters = [](QString text) {
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        QList<uint> characters = text.toUcs4();
        std::sort(characters.begin(), characters.end());
        return QString::fromUcs4(characters.constData(), characters.size());
    };
    QString expected;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        const QString content = BillRenderer::PrintedContent(ws, row);
        const int code = static_cast<int>(ws.table.Number(row, Col::ColCash));
        const bool amount = ws.table.KindOf(row) == ElementTable::TextBox && BillRenderer::AmountCellCount(code) > 0;
        expected += amount ? BillRenderer::AmountCells(content, code) : content;
    }
    const QString read = ToolOutput(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_EQ(sortedCharacters(read), sortedCharacters(expected)) << read.toStdString();

    // pdffonts: two caption lines, then one font a line, its name first.
    const QStringList fonts = ToolOutput(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.contains(QRegularExpression(QStringLiteral("^([A-Z]{6}\\+)?Noto(Serif|Sans)CJKsc-"))))
            << font.toStdString();
}

TEST_F(BillPrinterTest, ABatchIsOneJobWithARecordPerBill)
{
    const QStringList payees{QStringLiteral("甲方"), QStringLiteral("乙方"), QStringLiteral("丙方")};
    FixedDestination destination(surface);
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);
    QList<int> loaded;
    int restored = 0;
    const bool ok = printer.PrintAllBills(
        ws, 3,
        [&](int i, Workspace& bill) {
            EXPECT_EQ(&bill, &ws);
            loaded << i;
            FillBill(payees[i], QString::number(100 * (i + 1)));
            return true;
        },
        [&] { ++restored; });
    ASSERT_TRUE(ok) << t.prompter.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(loaded, (QList<int>{0, 1, 2}));
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(t.prompter.shown.isEmpty());

    // One job: a new page after each bill (started only by the next drawing) and one end.
    const QList<int> pages = IndexesOf(surface, QStringLiteral("newPage"));
    const QList<int> ends = IndexesOf(surface, QStringLiteral("endDocument"));
    ASSERT_EQ(pages.size(), 3);
    ASSERT_EQ(ends.size(), 1);
    EXPECT_EQ(ends[0], surface.calls().size() - 1);
    const int first = FirstDrawOf(surface, QStringLiteral("甲"));
    const int second = FirstDrawOf(surface, QStringLiteral("乙"));
    const int third = FirstDrawOf(surface, QStringLiteral("丙"));
    EXPECT_LT(0, first);
    EXPECT_LT(first, pages[0]);
    EXPECT_LT(pages[0], second);
    EXPECT_LT(second, pages[1]);
    EXPECT_LT(pages[1], third);
    EXPECT_LT(third, pages[2]);
    EXPECT_LT(pages[2], ends[0]);

    // Three records, in batch order.
    EXPECT_EQ(StoredBills(), 3);
    const qint64 payee = ws.table.Id(Box(QStringLiteral("收款人")));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(StoredBill(i + 1).value(payee), payees[i]) << i;
    EXPECT_EQ(printer.LastRecordNumber(), 3);

    EXPECT_EQ(progress.captions, QStringList{QStringLiteral("正在打印单据……")});
    EXPECT_EQ(progress.totals, QList<int>{3});
    EXPECT_EQ(progress.steps, 3);
    EXPECT_EQ(progress.closed, 1);
}

TEST_F(BillPrinterTest, ABatchStopsAtTheFirstRefusedBill)
{
    FixedDestination destination(surface);
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);
    QList<int> loaded;
    int restored = 0;
    const bool ok = printer.PrintAllBills(
        ws, 3,
        [&](int i, Workspace&) {
            loaded << i;
            // Bill 2's amount has more digits than its eleven amount cells.
            FillBill(QStringList{QStringLiteral("甲方"), QStringLiteral("乙方"), QStringLiteral("丙方")}[i],
                     i == 1 ? QStringLiteral("123456789012") : QStringLiteral("50"));
            return true;
        },
        [&] { ++restored; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(loaded, (QList<int>{0, 1}));
    EXPECT_EQ(t.prompter.shown, QStringList{QStringLiteral("“小写金额”：") + BillPrinter::AmountOverflowMessage()});
    // Bill 1 was drawn, but the job did not end whole: it is abandoned and nothing is stored;
    // nothing of bills 2 and 3 was drawn.
    EXPECT_EQ(StoredBills(), 0);
    EXPECT_GE(FirstDrawOf(surface, QStringLiteral("甲")), 0);
    EXPECT_EQ(FirstDrawOf(surface, QStringLiteral("乙")), -1);
    EXPECT_EQ(FirstDrawOf(surface, QStringLiteral("丙")), -1);
    EXPECT_EQ(IndexesOf(surface, QStringLiteral("endDocument")).size(), 0);
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(progress.steps, 1);
    EXPECT_EQ(progress.closed, 1);
}

TEST_F(BillPrinterTest, ABatchStopsWhenThePrinterFailsMidway)
{
    FixedDestination destination(surface);
    HistoryRecords records(t.app->DbOp(), t.prompter);
    BillPrinter printer(destination, Env(), &records, t.prompter, progress);
    int restored = 0;
    const bool ok = printer.PrintAllBills(
        ws, 3,
        [&](int i, Workspace&) {
            if (i == 1) surface.failOperation(QStringLiteral("drawText"), QStringLiteral("卡纸"));
            FillBill(QStringLiteral("第%1家").arg(i + 1), QStringLiteral("50"));
            return true;
        },
        [&] { ++restored; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(t.prompter.shown, QStringList{BillPrinter::PrintErrorMessage()});
    // A job that did not end whole is abandoned: none of its bills counts as printed.
    EXPECT_EQ(StoredBills(), 0);
    EXPECT_EQ(IndexesOf(surface, QStringLiteral("endDocument")).size(), 0);
    EXPECT_EQ(restored, 1);
}

TEST_F(BillPrinterTest, ReprintFromTheHistoryGrid)
{
    HistoryRecords records(t.app->DbOp(), t.prompter);
    HistoryGrid grid(t.app->DbOp(), t.progress);

    // No bills yet: the history tab is shown instead.
    {
        FixedDestination destination(surface);
        BillPrinter printer(destination, Env(), &records, t.prompter, progress);
        grid.LoadHistoryGrid(ws, 0);
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::ShowHistory);
        EXPECT_TRUE(surface.calls().isEmpty());
    }

    FillBill(QStringLiteral("甲方"), QStringLiteral("1234.5"));
    ws.SetBoxContent(Box(QStringLiteral("密码")), QStringLiteral("8888"));
    ASSERT_EQ(records.StoreRecord(ws), 1);
    const QMap<qint64, QString> first = BillInBoxes();
    FillBill(QStringLiteral("乙方"), QStringLiteral("66.6"));
    ASSERT_EQ(records.StoreRecord(ws), 2);
    const QMap<qint64, QString> second = BillInBoxes();
    grid.Invalidate();
    ASSERT_TRUE(grid.LoadHistoryGrid(ws, 0));
    ASSERT_EQ(grid.DataRowCount(), 2); // newest first: record 2, then record 1
    const int rowOfFirst = HistoryGrid::kFirstDataRow + 1;

    // One row: the bill goes into the boxes and is printed as one job; nothing is stored.
    {
        FixedDestination destination(surface);
        BillPrinter printer(destination, Env(), &records, t.prompter, progress);
        FillBill(QStringLiteral("别的"), QStringLiteral("1"));
        grid.SetCurrent(rowOfFirst, HistoryGrid::kFirstBoxCol + 3);
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::Printed);
        EXPECT_EQ(BillInBoxes(), first);
        EXPECT_EQ(BillInBoxes(), StoredBill(1));
        EXPECT_EQ(IndexesOf(surface, QStringLiteral("endDocument")).size(), 1);
        EXPECT_GE(FirstDrawOf(surface, QStringLiteral("甲")), 0);
        EXPECT_EQ(StoredBills(), 2);
    }

    // Two rows into a file: one job with both bills, since a second job would replace the file.
    {
        surface.clearCalls();
        test::ScriptedDestination destination(surface);
        destination.oneFile = true;
        BillPrinter printer(destination, Env(), &records, t.prompter, progress);
        grid.SelectRows(HistoryGrid::kFirstDataRow, rowOfFirst);
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::Printed);
        const QList<int> ends = IndexesOf(surface, QStringLiteral("endDocument"));
        ASSERT_EQ(ends.size(), 1);
        EXPECT_LT(FirstDrawOf(surface, QStringLiteral("乙")), FirstDrawOf(surface, QStringLiteral("甲")));
        EXPECT_LT(FirstDrawOf(surface, QStringLiteral("甲")), ends[0]);
        EXPECT_EQ(StoredBills(), 2);
    }

    // Two rows to a printer: each bill is a job of its own, and neither is stored again.
    {
        surface.clearCalls();
        FixedDestination destination(surface);
        BillPrinter printer(destination, Env(), &records, t.prompter, progress);
        grid.SelectRows(HistoryGrid::kFirstDataRow, rowOfFirst);
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::Printed);
        const QList<int> ends = IndexesOf(surface, QStringLiteral("endDocument"));
        ASSERT_EQ(ends.size(), 2);
        const int newer = FirstDrawOf(surface, QStringLiteral("乙"));
        const int older = FirstDrawOf(surface, QStringLiteral("甲"));
        EXPECT_GE(newer, 0);
        EXPECT_LT(newer, ends[0]);
        EXPECT_LT(ends[0], older);
        EXPECT_LT(older, ends[1]);
        EXPECT_EQ(StoredBills(), 2);
        EXPECT_EQ(printer.LastRecordNumber(), 0);
        EXPECT_EQ(BillInBoxes(), first); // the last bill printed stays in the boxes
        EXPECT_TRUE(t.prompter.shown.isEmpty());
        (void)second;
    }

    // Two rows and the printer choice cancelled: nothing at all.
    {
        surface.clearCalls();
        test::ScriptedDestination destination(surface);
    destination.confirms = false;
        BillPrinter printer(destination, Env(), &records, t.prompter, progress);
        grid.SelectRows(HistoryGrid::kFirstDataRow, rowOfFirst);
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::Cancelled);
        EXPECT_EQ(destination.asked, 1);
        EXPECT_TRUE(surface.calls().isEmpty());
        // One row still goes into the boxes when its printing is cancelled.
        grid.SetCurrent(HistoryGrid::kFirstDataRow, HistoryGrid::kFirstBoxCol);
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::Loaded);
        EXPECT_EQ(destination.asked, 2);
        EXPECT_TRUE(surface.calls().isEmpty());
        EXPECT_EQ(BillInBoxes(), second);
    }

    // A bill the printer fails on ends the reprint.
    {
        surface.clearCalls();
        surface.failOperation(QStringLiteral("drawText"), QStringLiteral("卡纸"));
        FixedDestination destination(surface);
        BillPrinter printer(destination, Env(), &records, t.prompter, progress);
        grid.SelectRows(rowOfFirst, HistoryGrid::kFirstDataRow); // selected upwards
        EXPECT_EQ(printer.ReprintHistoryRows(ws, grid), BillPrinter::Reprint::Failed);
        EXPECT_TRUE(IndexesOf(surface, QStringLiteral("endDocument")).isEmpty());
        EXPECT_EQ(t.prompter.shown, QStringList{BillPrinter::PrintErrorMessage()});
        EXPECT_EQ(StoredBills(), 2);
    }
}

// ---------------------------------------------------------------------------------------
// Barcodes printed on a 300 dpi page and read back by a barcode reader.


// A 100 × 40 mm bill with one picture box holding `content`, drawn by the renderer onto a
// white page of 300 dots per inch.
QImage PrintBarcodeBill(const QString& content, Barcode::Standard standard, ScriptedPrompter& prompter)
{
    test::EnsureGuiApplication();
    Workspace ws;
    ws.formatName = QStringLiteral("条码单");
    ws.widthText = QStringLiteral("100");
    ws.heightText = QStringLiteral("40");
    const int box = ws.table.AddElementRow(ElementTable::PictureBox);
    ws.table.SetText(box, Col::ColId, QStringLiteral("7"));
    ws.table.SetText(box, Col::ColLbl, QStringLiteral("条码"));
    ws.table.SetText(box, Col::ColX, QStringLiteral("10"));
    ws.table.SetText(box, Col::ColY, QStringLiteral("10"));
    ws.table.SetText(box, Col::ColW, QStringLiteral("70"));
    ws.table.SetText(box, Col::ColH, QStringLiteral("15"));
    ws.table.SetText(box, Col::ColFontName, QStringLiteral("宋体"));
    ws.table.SetText(box, Col::ColFontSize, QStringLiteral("9"));
    ws.table.SetText(box, Col::ColCash, QStringLiteral("0"));
    ws.SetBoxContent(box, content);

    QImage page(qRound(100 / 25.4 * 300), qRound(40 / 25.4 * 300), QImage::Format_RGB32);
    page.setDotsPerMeterX(11811); // 300 dpi
    page.setDotsPerMeterY(11811);
    page.fill(Qt::white);
    static FixedScreenInfo screen;
    BillRenderer::Environment env{screen, 19200 - 340, standard, QImage(), &prompter, {}};
    auto surface = PainterSurface::ForImage(page);
    BillRenderer renderer(*surface, env);
    EXPECT_TRUE(renderer.RenderBill(ws, 0, 0)) << surface->lastError().toStdString();
    EXPECT_TRUE(surface->endDocument());
    surface.reset();
    return page;
}

int DarkPixels(const QImage& page)
{
    int dark = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) dark += qGray(page.pixel(x, y)) < 128;
    return dark;
}

TEST(BarcodeOnPaper, Code39ScansBackAsItsText)
{
    ScriptedPrompter prompter;
    const QImage page = PrintBarcodeBill(QStringLiteral("ABC-123"), Barcode::Standard::Code39, prompter);
    EXPECT_GT(DarkPixels(page), 1000);
    EXPECT_EQ(test::ScannedText(page), "ABC-123");
    EXPECT_TRUE(prompter.shown.isEmpty());
    // Nothing outside the box: the page above it is white.
    for (int y = 0; y < qRound(9.5 / 25.4 * 300); ++y)
        for (int x = 0; x < page.width(); ++x) ASSERT_EQ(page.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST(BarcodeOnPaper, Ean13ScansBackWithItsCheckDigit)
{
    ScriptedPrompter prompter;
    const QImage page = PrintBarcodeBill(QStringLiteral("690123456789"), Barcode::Standard::Ean13, prompter);
    EXPECT_EQ(test::ScannedText(page), "6901234567892");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

} // namespace
} // namespace kestrio
