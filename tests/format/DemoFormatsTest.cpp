// The formats and background pictures a first start installs, and that nothing else gets them.
#include "GuiApplication.h"
#include "TestApp.h"
#include "format/DemoFormats.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/BillRenderer.h"
#include "print/PainterSurface.h"
#include "images/BackgroundImages.h"
#include "images/DemoBackgrounds.h"
#include "storage/ShippedDatabase.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <cmath>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// Captions need the platform's fonts, which come with a GUI application; the test runner
// makes no application of its own.
using test::EnsureGuiApplication;

struct Element {
    qint64 id = 0;
    int clas = -1;
    double x = 0, y = 0, w = 0, h = 0, s = 0, l = 0;
    double cash = 0, rctl = 0, rctl1 = 0, sumId = 0, sumId1 = 0;
    double fSize = 0;
    bool bold = false;
    qint64 color = 0;
};

struct Page {
    const char* name;
    double width;
    double height;
};

const Page kPages[] = {{"转账支票", 240, 80}, {"现金支票", 240, 80}, {"进账单", 212, 102}, {"送货单", 241, 140}};

class DemoFormatsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }

    DbOperate& Db() { return mApp.app->DbOp(); }

    // The element rows of a format by caption.
    QHash<QString, Element> Elements(const char* format)
    {
        QHash<QString, Element> elements;
        Recordset rows = Db().OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt='") + U(format) +
                                        QStringLiteral("' AND LBL<>'【§单据整体格式参数§】' ORDER BY ID"));
        for (; !rows.Eof(); rows.MoveNext()) {
            auto number = [&](const char* column) { return rows.Value(QString::fromUtf8(column)).toDouble(); };
            Element e;
            e.id = rows.Value(QStringLiteral("ID")).toLongLong();
            e.clas = rows.Value(QStringLiteral("Clas")).toInt();
            e.x = number("X"), e.y = number("Y"), e.w = number("W"), e.h = number("H");
            e.s = number("S"), e.l = number("L"), e.cash = number("Cash"), e.fSize = number("fSize");
            e.rctl = number("RCtl"), e.rctl1 = number("RCtl1"), e.sumId = number("SumID"), e.sumId1 = number("SumID1");
            e.bold = rows.Value(QStringLiteral("fBold")).toBool();
            e.color = rows.Value(QStringLiteral("Color")).toLongLong();
            const QString label = rows.Text(QStringLiteral("LBL"));
            EXPECT_FALSE(elements.contains(label)) << label.toStdString();
            elements.insert(label, e);
        }
        return elements;
    }

    int Count(const QString& sql) { return Db().OpenQuery(sql).RecordCount(); }

    QImage Background(const char* format)
    {
        return QImage(BackgroundImages::BackgroundPath(mApp.Folder(), U(format)));
    }

    test::TestApp mApp;
};

// ---- pixels -------------------------------------------------------------------------------

constexpr double kPx = DemoBackgrounds::kPixelsPerMm;

// Ink of the printed rulings and captions is dark; paper, lattice and the pink watermark are not.
bool IsInk(QRgb pixel)
{
    return qGray(pixel) < 150;
}

int InkPixels(const QImage& image, const QRectF& mm)
{
    int count = 0;
    for (int y = static_cast<int>(mm.top() * kPx); y < static_cast<int>(mm.bottom() * kPx); ++y)
        for (int x = static_cast<int>(mm.left() * kPx); x < static_cast<int>(mm.right() * kPx); ++x)
            count += IsInk(image.pixel(x, y)) ? 1 : 0;
    return count;
}

// A square of 2 × `halfMm` around a point.
QRectF Around(double xMm, double yMm, double halfMm)
{
    return {xMm - halfMm, yMm - halfMm, 2 * halfMm, 2 * halfMm};
}

int RedPixels(const QImage& image, const QRectF& mm)
{
    int count = 0;
    for (int y = static_cast<int>(mm.top() * kPx); y < static_cast<int>(mm.bottom() * kPx); ++y)
        for (int x = static_cast<int>(mm.left() * kPx); x < static_cast<int>(mm.right() * kPx); ++x) {
            const QRgb p = image.pixel(x, y);
            count += (qRed(p) > 150 && qRed(p) - qGreen(p) > 50 && qRed(p) - qBlue(p) > 50) ? 1 : 0;
        }
    return count;
}

// The eleven amount cells: a printed separator at every cell boundary of the box, nothing
// printed in the middle of a cell, so each digit (one per W ÷ 11) lands in its own cell.
void ExpectCellsOnTheGrid(const QImage& image, const Element& cells)
{
    const double cell = cells.w / 11;
    const double y = cells.y + cells.h / 2;
    for (int k = 0; k <= 11; ++k)
        EXPECT_GT(InkPixels(image, Around(cells.x + k * cell, y, 0.3)), 0) << "separator " << k;
    for (int k = 0; k < 11; ++k)
        EXPECT_EQ(InkPixels(image, Around(cells.x + (k + 0.5) * cell, y, 1.5)), 0) << "cell " << k;
}

// ---- the formats --------------------------------------------------------------------------

TEST_F(DemoFormatsTest, AFirstStartInstallsTheFourFormatsEachWithOneWholeFormatRow)
{
    ASSERT_TRUE(mApp.Open());
    Recordset whole = Db().OpenQuery(U("SELECT * FROM Fmt WHERE LBL='【§单据整体格式参数§】' ORDER BY ID"));
    ASSERT_EQ(whole.RecordCount(), 4);
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        EXPECT_EQ(whole.Text(QStringLiteral("Fmt")), U(page.name));
        EXPECT_EQ(whole.Value(QStringLiteral("W")).toDouble(), page.width);
        EXPECT_EQ(whole.Value(QStringLiteral("H")).toDouble(), page.height);
        EXPECT_EQ(whole.Value(QStringLiteral("X")).toDouble(), 10); // no print offset
        EXPECT_EQ(whole.Value(QStringLiteral("Y")).toDouble(), 10);
        EXPECT_EQ(whole.Value(QStringLiteral("Color")).toInt(), 19200);
        EXPECT_EQ(whole.Text(QStringLiteral("Mem")), QStringLiteral("True|False|0|0|0|0|1|False|")); // 自动设置纸张 on
        whole.MoveNext();
    }
    EXPECT_EQ(Elements("转账支票").size(), 14);
    EXPECT_EQ(Elements("现金支票").size(), 14);
    EXPECT_EQ(Elements("进账单").size(), 16);
    EXPECT_EQ(Elements("送货单").size(), 44);
    EXPECT_EQ(Count(U("SELECT * FROM Fmt WHERE Fmt='进账单' AND Clas=1")), 3);
    EXPECT_EQ(Count(U("SELECT * FROM Fmt WHERE Fmt='送货单' AND Clas=2")), 1);
    EXPECT_EQ(Count(U("SELECT * FROM Fmt WHERE Fmt='送货单' AND Clas=3")), 1);
    EXPECT_EQ(Count(U("SELECT * FROM Fmt WHERE Fmt='送货单' AND Clas=4")), 2);
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
}

TEST_F(DemoFormatsTest, TheLastFormatRowNamesTheTransferCheque)
{
    ASSERT_TRUE(mApp.Open());
    Recordset last = Db().OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=''"));
    ASSERT_EQ(last.RecordCount(), 1);
    EXPECT_EQ(last.Text(QStringLiteral("LBL")), U("转账支票"));
    EXPECT_EQ(last.Text(QStringLiteral("fName")), U("0§☆§0§☆§0"));
}

TEST_F(DemoFormatsTest, EveryBoxLiesOnItsPageAndEveryReferenceNamesABoxOfItsFormat)
{
    ASSERT_TRUE(mApp.Open());
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        const QHash<QString, Element> elements = Elements(page.name);
        QHash<qint64, int> kinds;
        for (const Element& e : elements) kinds.insert(e.id, e.clas);
        for (auto it = elements.cbegin(); it != elements.cend(); ++it) {
            SCOPED_TRACE(it.key().toStdString());
            const Element& e = it.value();
            const bool line = e.clas == 3; // W, H: the end point
            EXPECT_GE(e.x, 0);
            EXPECT_GE(e.y, 0);
            EXPECT_LE(line ? e.w : e.x + e.w, page.width);
            EXPECT_LE(line ? e.h : e.y + e.h, page.height);
            for (double relation : {e.rctl, e.rctl1}) {
                if (relation == 0) continue;
                const qint64 target = static_cast<qint64>(std::fabs(relation));
                EXPECT_EQ(static_cast<double>(target), std::fabs(relation));
                EXPECT_EQ(kinds.value(target, -1), e.clas) << "links join boxes of one kind";
            }
            for (double sum : {e.sumId, e.sumId1}) {
                if (sum == 0) continue;
                const qint64 result = static_cast<qint64>(std::fabs(std::trunc(sum)));
                EXPECT_EQ(kinds.value(result, -1), 0) << "results are text boxes";
            }
        }
    }
}

TEST_F(DemoFormatsTest, TheChequesAmountInWordsInCellsAndOnTheStubIsOneSameContentRing)
{
    ASSERT_TRUE(mApp.Open());
    for (const char* cheque : {"转账支票", "现金支票"}) {
        SCOPED_TRACE(cheque);
        const QHash<QString, Element> e = Elements(cheque);
        const Element words = e.value(U("大写金额")), cells = e.value(U("小写金额")), stub = e.value(U("存根金额"));
        EXPECT_EQ(words.cash, 103);
        EXPECT_EQ(cells.cash, 11);
        EXPECT_EQ(stub.cash, 104);
        EXPECT_EQ(words.rctl, cells.id);
        EXPECT_EQ(cells.rctl, stub.id);
        EXPECT_EQ(stub.rctl, words.id);
        // Eleven cells of 7 mm: 亿 to 分.
        EXPECT_NEAR(cells.w, 77, 1e-4);
        EXPECT_EQ(e.value(U("收款人")).rctl, e.value(U("存根收款人")).id);
        EXPECT_EQ(e.value(U("存根收款人")).rctl, e.value(U("收款人")).id);
        EXPECT_EQ(e.value(U("用途")).rctl, e.value(U("存根用途")).id);
        EXPECT_EQ(e.value(U("存根用途")).rctl, e.value(U("用途")).id);
        EXPECT_EQ(e.value(U("存根出票日期")).cash, 110);
    }
}

TEST_F(DemoFormatsTest, TheChequeDateIsWrittenInCapitalsYearMonthDayInARow)
{
    ASSERT_TRUE(mApp.Open());
    const QHash<QString, Element> e = Elements("转账支票");
    const Element year = e.value(U("出票年")), month = e.value(U("出票月")), day = e.value(U("出票日"));
    EXPECT_EQ(year.cash, 100);
    EXPECT_EQ(month.cash, 101);
    EXPECT_EQ(day.cash, 102);
    EXPECT_EQ(year.y, month.y);
    EXPECT_EQ(month.y, day.y);
    EXPECT_LT(year.x + year.w, month.x);
    EXPECT_LT(month.x + month.w, day.x);
    for (const Element& part : {year, month, day}) EXPECT_EQ(part.l, 2000); // centred, no line spacing
}

TEST_F(DemoFormatsTest, NamesAccountsAndBanksBringEachOtherBackThroughRelatedLinks)
{
    ASSERT_TRUE(mApp.Open());
    const QHash<QString, Element> cheque = Elements("转账支票");
    EXPECT_EQ(cheque.value(U("出票人账号")).rctl, -cheque.value(U("付款行名称")).id);
    EXPECT_EQ(cheque.value(U("付款行名称")).rctl, -cheque.value(U("出票人账号")).id);

    const QHash<QString, Element> slip = Elements("进账单");
    for (const char* party : {"出票人", "收款人"}) {
        SCOPED_TRACE(party);
        const Element name = slip.value(U(party) + U("全称"));
        const Element account = slip.value(U(party) + U("账号"));
        const Element bank = slip.value(U(party) + U("开户银行"));
        EXPECT_EQ(name.rctl, -account.id);
        EXPECT_EQ(account.rctl, -bank.id);
        EXPECT_EQ(bank.rctl, -name.id);
        EXPECT_EQ(name.rctl1, 0);
    }
    EXPECT_EQ(slip.value(U("进账年")).cash, 106);
    EXPECT_EQ(slip.value(U("进账月")).cash, 107);
    EXPECT_EQ(slip.value(U("进账日")).cash, 108);
    EXPECT_EQ(slip.value(U("大写金额")).rctl, slip.value(U("小写金额")).id);
    EXPECT_EQ(slip.value(U("小写金额")).rctl, slip.value(U("大写金额")).id);
}

TEST_F(DemoFormatsTest, TheKindsOfInstrumentAreCheckBoxesOfWhichOneIsTicked)
{
    ASSERT_TRUE(mApp.Open());
    const QHash<QString, Element> slip = Elements("进账单");
    const Element cheque = slip.value(U("支票")), note = slip.value(U("本票")), other = slip.value(U("其他"));
    for (const Element& box : {cheque, note, other}) EXPECT_EQ(box.clas, 1);
    EXPECT_EQ(cheque.rctl, note.id);
    EXPECT_EQ(note.rctl, other.id);
    EXPECT_EQ(other.rctl, cheque.id);
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("默认"), U("Fmt='进账单' AND ID=") + QString::number(cheque.id),
                              QStringLiteral("Con")),
              QStringLiteral("1"));
}

TEST_F(DemoFormatsTest, TheDeliveryNoteMultipliesEachRowAndSumsTheAmountsLessTheDiscount)
{
    ASSERT_TRUE(mApp.Open());
    const QHash<QString, Element> e = Elements("送货单");
    const Element total = e.value(U("合计"));
    EXPECT_EQ(total.cash, 104);
    EXPECT_EQ(total.sumId, 0);
    for (int row = 1; row <= 5; ++row) {
        SCOPED_TRACE(row);
        auto box = [&](const char* name) { return e.value(U(name) + QLatin1Char('_') + QString::number(row)); };
        const Element amount = box("金额");
        EXPECT_EQ(box("数量").sumId, -amount.id); // product
        EXPECT_EQ(box("单价").sumId, -amount.id);
        EXPECT_EQ(box("单价").cash, 117);
        EXPECT_EQ(amount.cash, 105);
        EXPECT_EQ(amount.sumId, total.id); // sum
        EXPECT_EQ(amount.sumId1, 0);
        EXPECT_EQ(box("品名").rctl, -box("规格").id);
        EXPECT_EQ(box("规格").rctl, -box("单位").id);
        EXPECT_EQ(box("单位").rctl, -box("单价").id);
        EXPECT_EQ(box("单价").rctl, -box("品名").id);
    }
    EXPECT_EQ(e.value(U("折让")).sumId, static_cast<double>(total.id) + 0.5); // subtracted
    EXPECT_EQ(Count(U("SELECT * FROM Fmt WHERE Fmt='送货单' AND SumID=") + QString::number(total.id)), 5);
    EXPECT_EQ(total.rctl, e.value(U("合计大写")).id);
    EXPECT_EQ(e.value(U("合计大写")).rctl, total.id);

    const Element number = e.value(U("单号"));
    EXPECT_EQ(number.cash, 122);
    EXPECT_EQ(number.color, 0x0000FF);
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("默认"), U("Fmt='送货单' AND ID=") + QString::number(number.id),
                              QStringLiteral("Con")),
              QStringLiteral("00000001"));
    EXPECT_EQ(e.value(U("收货单位")).rctl, -e.value(U("地址")).id);
    EXPECT_EQ(e.value(U("地址")).rctl, -e.value(U("电话")).id);
    EXPECT_EQ(e.value(U("电话")).rctl, -e.value(U("收货单位")).id);
    EXPECT_EQ(e.value(U("送货日期")).cash, 110);
}

TEST_F(DemoFormatsTest, TheDeliveryNoteHasItsSendersLabelsALineAndABarcodeBox)
{
    ASSERT_TRUE(mApp.Open());
    const QHash<QString, Element> e = Elements("送货单");
    const Element name = e.value(U("××商贸有限公司"));
    EXPECT_EQ(name.clas, 4);
    EXPECT_TRUE(name.bold);
    EXPECT_EQ(e.value(U("地址：××市××路88号　电话：0000-0000000")).clas, 4);
    const Element line = e.value(U("线条"));
    EXPECT_EQ(line.clas, 3);
    EXPECT_EQ(line.x, 16);
    EXPECT_NEAR(line.y, 10.2, 1e-5);
    EXPECT_EQ(line.w, 82);
    EXPECT_NEAR(line.h, 10.2, 1e-5);
    EXPECT_EQ(line.fSize, 1);
    EXPECT_EQ(line.cash, 1); // solid
    EXPECT_EQ(e.value(U("单号条码")).clas, 2);
}

// ---- the pictures -------------------------------------------------------------------------

TEST_F(DemoFormatsTest, EachBackgroundIsAJpegAtEightPixelsPerMillimetreWithTheWatermark)
{
    ASSERT_TRUE(mApp.Open());
    const DemoBackgrounds::Form papers[] = {DemoBackgrounds::Form::TransferCheque, DemoBackgrounds::Form::CashCheque,
                                            DemoBackgrounds::Form::DepositSlip, DemoBackgrounds::Form::DeliveryNote};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kPages[i].name);
        QFile file(BackgroundImages::BackgroundPath(mApp.Folder(), U(kPages[i].name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(3).startsWith("\xFF\xD8\xFF")); // a JPEG
        const QImage image = Background(kPages[i].name);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(static_cast<int>(kPages[i].width * 8), static_cast<int>(kPages[i].height * 8)));
        EXPECT_NEAR(image.dotsPerMeterX(), 8000, 80);
        const QRectF stamp = DemoBackgrounds(papers[i]).WatermarkFrame();
        // "样张" in red across the middle of the stamp; the corners of the page stay paper.
        EXPECT_GT(RedPixels(image, Around(stamp.center().x(), stamp.center().y(), stamp.height() / 3)), 4000);
        EXPECT_EQ(RedPixels(image, QRectF(0, kPages[i].height - 2, 2, 2)), 0);
    }
}

TEST_F(DemoFormatsTest, TheAmountCellsOfTheBoxesLieOnThePrintedCells)
{
    ASSERT_TRUE(mApp.Open());
    for (const char* format : {"转账支票", "现金支票", "进账单"}) {
        SCOPED_TRACE(format);
        ExpectCellsOnTheGrid(Background(format), Elements(format).value(U("小写金额")));
    }
}

// The boxes of a demo format printed alone (no background) as the command line prints them,
// at the background's 8 pixels per millimetre, with the given contents.
QImage PrintedBoxes(AppContext& app, const char* format, const QHash<QString, QString>& contents)
{
    Workspace ws;
    FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, U(format));
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        const QString label = ws.table.Text(row, ElementTable::ColLbl);
        if (contents.contains(label)) ws.SetBoxContent(row, contents.value(label));
    }
    const QSizeF page(ws.Width(), ws.Height());
    QImage image(qRound(page.width() * kPx), qRound(page.height() * kPx), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(kPx * 1000));
    image.setDotsPerMeterY(qRound(kPx * 1000));
    image.fill(Qt::white);
    auto surface = PainterSurface::ForImage(image);
    BillRenderer renderer(*surface, BillPrinter::EnvironmentFor(app, ws, 0));
    EXPECT_TRUE(renderer.RenderBill(ws, 0, 0));
    surface.reset();
    return image;
}

// The ink of `mm` as a rectangle in millimetres; empty when there is none.
QRectF InkBounds(const QImage& image, const QRectF& mm)
{
    QRectF bounds;
    for (int y = static_cast<int>(mm.top() * kPx); y < static_cast<int>(mm.bottom() * kPx); ++y)
        for (int x = static_cast<int>(mm.left() * kPx); x < static_cast<int>(mm.right() * kPx); ++x)
            if (IsInk(image.pixel(x, y))) bounds |= QRectF(x / kPx, y / kPx, 1 / kPx, 1 / kPx);
    return bounds;
}

// Every capital digit of the total lands in the blank part of its slot of the printed place
// run, clear of the place name (拾 万 仟 佰 拾 元 角 分) printed at the slot's end.
TEST_F(DemoFormatsTest, TheCapitalDigitsOfTheTotalLandBeforeThePrintedPlaceNames)
{
    ASSERT_TRUE(mApp.Open());
    const Element words = Elements("送货单").value(U("合计大写"));
    EXPECT_EQ(words.cash, 114.08);
    const QImage printed = PrintedBoxes(*mApp.app, "送货单", {{U("合计大写"), U("捌捌捌捌捌捌捌捌")}});
    const QRectF run = DemoBackgrounds(DemoBackgrounds::Form::DeliveryNote).Blank(U("合计大写"));
    const double slot = run.width() / 8;
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        const QRectF place(run.left() + slot * k, run.top() - 2, slot, run.height() + 4);
        const QRectF ink = InkBounds(printed, place);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), place.left() + 0.3);
        EXPECT_LE(ink.right(), place.right() - DemoBackgrounds::kPlaceWidthMm - 0.3);
    }
}

// A tick prints inside its printed square.
TEST_F(DemoFormatsTest, TheTicksOfTheDepositSlipLandInTheirSquares)
{
    ASSERT_TRUE(mApp.Open());
    const DemoBackgrounds paper(DemoBackgrounds::Form::DepositSlip);
    for (const char* kind : {"支票", "本票", "其他"}) {
        SCOPED_TRACE(kind);
        const QImage printed = PrintedBoxes(*mApp.app, "进账单", {{U(kind), U("1")}});
        const QRectF square = paper.Blank(U("票据种类_") + U(kind));
        const QRectF ink = InkBounds(printed, square.adjusted(-4, -4, 4, 4));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(square.adjusted(-0.3, -0.3, 0.3, 0.3).contains(ink))
            << ink.x() << "," << ink.y() << " " << ink.width() << "×" << ink.height() << " in " << square.x() << ","
            << square.y();
    }
}

TEST_F(DemoFormatsTest, ABackgroundAlreadyInTheFolderIsKept)
{
    const QString scan = BackgroundImages::BackgroundPath(mApp.Folder(), U("转账支票"));
    QFile file(scan);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("my own scan");
    file.close();
    ASSERT_TRUE(mApp.Open());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("my own scan"));
    EXPECT_FALSE(Background("现金支票").isNull());
    EXPECT_EQ(Count(U("SELECT * FROM Fmt WHERE Fmt='转账支票'")), 15);
}

// ---- only a new file gets them ------------------------------------------------------------

TEST_F(DemoFormatsTest, ASecondStartAddsNothingAndDeletedDemoFormatsStayDeleted)
{
    ASSERT_TRUE(mApp.Open());
    ASSERT_TRUE(Db().ExecuteSql(U("DELETE * FROM Fmt WHERE Fmt='现金支票'")));
    ASSERT_TRUE(QFile::remove(BackgroundImages::BackgroundPath(mApp.Folder(), U("现金支票"))));
    const int rows = Count(QStringLiteral("SELECT * FROM Fmt"));
    const QString newest = QStringLiteral("ID>0 ORDER BY ID DESC");
    const QString lastId = Db().FieldWhere(QStringLiteral("Fmt"), newest, QStringLiteral("ID"));
    const QString folder = mApp.Folder();
    mApp.app.reset(); // the first run ends

    test::TestApp next(folder);
    ASSERT_TRUE(next.Open());
    DbOperate& db = next.app->DbOp();
    EXPECT_EQ(db.OpenQuery(QStringLiteral("SELECT * FROM Fmt")).RecordCount(), rows);
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), newest, QStringLiteral("ID")), lastId);
    EXPECT_EQ(db.OpenQuery(U("SELECT * FROM Fmt WHERE Fmt='现金支票'")).RecordCount(), 0);
    EXPECT_FALSE(QFile::exists(BackgroundImages::BackgroundPath(folder, U("现金支票"))));
}

TEST_F(DemoFormatsTest, AnExistingDatabaseNeverGetsTheDemoFormats)
{
    ASSERT_TRUE(ShippedDatabase::CreateIfMissing(mApp.DatabasePath()));
    ASSERT_TRUE(mApp.Open());
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM Fmt")), 1);
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("LBL")), QString());
    for (const Page& page : kPages) EXPECT_FALSE(BackgroundImages::HasBackground(mApp.Folder(), U(page.name)));
}

TEST_F(DemoFormatsTest, CreatingTellsWhetherTheFileWasMade)
{
    bool created = false;
    ASSERT_TRUE(ShippedDatabase::CreateIfMissing(mApp.DatabasePath(), nullptr, &created));
    EXPECT_TRUE(created);
    ASSERT_TRUE(ShippedDatabase::CreateIfMissing(mApp.DatabasePath(), nullptr, &created));
    EXPECT_FALSE(created);
}

TEST_F(DemoFormatsTest, InstallingAgainAddsNothingAndKeepsTheRememberedFormat)
{
    ASSERT_TRUE(mApp.Open());
    ASSERT_TRUE(Db().ExecuteSql(U("UPDATE Fmt SET LBL='送货单' WHERE Fmt=''")));
    const int rows = Count(QStringLiteral("SELECT * FROM Fmt"));
    QString error;
    EXPECT_TRUE(DemoFormats::Install(Db(), mApp.Folder(), &error)) << error.toStdString();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM Fmt")), rows);
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("LBL")), U("送货单"));
}

// All four formats go in one transaction: a row that cannot be stored leaves none behind.
TEST_F(DemoFormatsTest, AFailureLeavesNoDemoFormatBehind)
{
    ASSERT_TRUE(ShippedDatabase::CreateIfMissing(mApp.DatabasePath()));
    ASSERT_TRUE(mApp.Open());
    ASSERT_TRUE(mApp.app->Db().ExecuteNative(U("CREATE TRIGGER refuse BEFORE INSERT ON Fmt WHEN NEW.LBL='送货人' "
                                               "BEGIN SELECT RAISE(ABORT,'refused'); END")));
    QString error;
    EXPECT_FALSE(DemoFormats::Install(Db(), mApp.Folder(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("refused"))) << error.toStdString();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM Fmt")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM 默认")), 0);
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("LBL")), QString());
    for (const Page& page : kPages) EXPECT_FALSE(BackgroundImages::HasBackground(mApp.Folder(), U(page.name)));
}

// The command line runs without a GUI application, so without the platform's fonts: its
// first start still installs the formats, and their pictures have every ruling and cell.
TEST(DemoFormatsCommandLine, AFirstStartFromTheCommandLineInstallsThem)
{
    QTemporaryDir dir;
    QProcess kestrio;
    kestrio.start(QStringLiteral(KESTRIO_BINARY),
                  {QStringLiteral("--data-dir"), dir.path(), QStringLiteral("sql"),
                   U("SELECT Fmt,W,H FROM Fmt WHERE LBL='【§单据整体格式参数§】' ORDER BY ID")});
    ASSERT_TRUE(kestrio.waitForFinished(60000));
    EXPECT_EQ(kestrio.exitCode(), 0) << kestrio.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(kestrio.readAllStandardOutput()),
              U("Fmt\tW\tH\n转账支票\t240\t80\n现金支票\t240\t80\n进账单\t212\t102\n送货单\t241\t140\n"));
    const QImage cheque(BackgroundImages::BackgroundPath(dir.path(), U("转账支票")));
    ASSERT_EQ(cheque.size(), QSize(1920, 640));
    const QRectF cells = DemoBackgrounds(DemoBackgrounds::Form::TransferCheque).Blank(U("小写金额"));
    for (int k = 0; k <= 11; ++k)
        EXPECT_GT(InkPixels(cheque, Around(cells.left() + k * cells.width() / 11, cells.center().y(), 0.3)), 0);
}

} // namespace
} // namespace kestrio
