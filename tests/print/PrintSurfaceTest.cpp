#include "GuiApplication.h"
#include "PdfText.h"
#include "print/BillRenderer.h"
#include "print/PainterSurface.h"
#include "print/RecordingSurface.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace kestrio;

namespace {

constexpr double Mm = PrintSurface::TwipsPerMillimetre;
constexpr double PointsPerMm = 72.0 / 25.4;

// Fonts come with a GUI application; the test runner makes none of its own.
using test::EnsureGuiApplication;

PrintSurface::Font Sans(double size)
{
    PrintSurface::Font f;
    f.name = QStringLiteral("DejaVu Sans");
    f.pointSize = size;
    return f;
}

// A white image of the size in millimetres at 300 dots per inch.
QImage WhiteImage300(double widthMm, double heightMm)
{
    QImage image(qRound(widthMm / 25.4 * 300), qRound(heightMm / 25.4 * 300), QImage::Format_RGB32);
    image.setDotsPerMeterX(11811); // 300 dpi
    image.setDotsPerMeterY(11811);
    image.fill(Qt::white);
    return image;
}

using test::PdfPage;
using test::PdfWord;
using test::ReadPdf;

bool IsWhite(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

} // namespace

TEST(PainterSurfaceTest, PdfTextHasItsTopLeftCornerAtThePosition)
{
    EnsureGuiApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bill.pdf"));
    {
        auto surface = PainterSurface::ForPdf(path, 240, 80);
        EXPECT_NEAR(surface->pageWidth(), 240 * Mm, 0.01);
        EXPECT_NEAR(surface->pageHeight(), 80 * Mm, 0.01);
        ASSERT_TRUE(surface->setFont(Sans(12)));
        surface->setTransparentText(true);
        surface->setPosition(56.6928 * 20, 56.6928 * 10);
        ASSERT_TRUE(surface->drawText(QStringLiteral("Kestrio"))) << surface->lastError().toStdString();
        ASSERT_TRUE(surface->endDocument()) << surface->lastError().toStdString();
    }
    const auto pages = ReadPdf(path);
    ASSERT_EQ(pages.size(), 1);
    // Qt's PDF writer stores the page box in whole points (680 × 227 here).
    EXPECT_NEAR(pages[0].width, 240 * PointsPerMm, 0.5);
    EXPECT_NEAR(pages[0].height, 80 * PointsPerMm, 0.5);
    ASSERT_EQ(pages[0].words.size(), 1);
    const PdfWord& word = pages[0].words[0];
    EXPECT_EQ(word.text, QStringLiteral("Kestrio"));
    EXPECT_NEAR(word.xMin, 20 * PointsPerMm, 0.1 * PointsPerMm);
    EXPECT_NEAR(word.yMin, 10 * PointsPerMm, 0.1 * PointsPerMm);
}

TEST(PainterSurfaceTest, PdfMillimetresTwoPagesAndLandscape)
{
    EnsureGuiApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two.pdf"));
    {
        auto surface = PainterSurface::ForPdf(path, 240, 80);
        ASSERT_TRUE(surface->setFont(Sans(10.5)));
        surface->setUnit(PrintSurface::Unit::Millimetres);
        surface->setPosition(100, 30);
        ASSERT_TRUE(surface->drawText(QStringLiteral("first")));
        ASSERT_TRUE(surface->setOrientation(PrintSurface::Orientation::Landscape));
        EXPECT_NEAR(surface->pageWidth(), 80 * Mm, 0.01);
        EXPECT_NEAR(surface->pageHeight(), 240 * Mm, 0.01);
        ASSERT_TRUE(surface->newPage()) << surface->lastError().toStdString();
        surface->setUnit(PrintSurface::Unit::Twips);
        surface->setPosition(5 * Mm, 200 * Mm);
        ASSERT_TRUE(surface->drawText(QStringLiteral("second")));
        ASSERT_TRUE(surface->endDocument());
        EXPECT_FALSE(surface->drawText(QStringLiteral("late")));
        EXPECT_FALSE(surface->lastError().isEmpty());
    }
    const auto pages = ReadPdf(path);
    ASSERT_EQ(pages.size(), 2);
    ASSERT_EQ(pages[0].words.size(), 1);
    EXPECT_NEAR(pages[0].words[0].xMin, 100 * PointsPerMm, 0.1 * PointsPerMm);
    EXPECT_NEAR(pages[0].words[0].yMin, 30 * PointsPerMm, 0.1 * PointsPerMm);
    EXPECT_NEAR(pages[1].width, 80 * PointsPerMm, 0.5); // whole points, as above
    EXPECT_NEAR(pages[1].height, 240 * PointsPerMm, 0.5);
    ASSERT_EQ(pages[1].words.size(), 1);
    EXPECT_EQ(pages[1].words[0].text, QStringLiteral("second"));
    EXPECT_NEAR(pages[1].words[0].xMin, 5 * PointsPerMm, 0.1 * PointsPerMm);
    EXPECT_NEAR(pages[1].words[0].yMin, 200 * PointsPerMm, 0.1 * PointsPerMm);
}

TEST(PainterSurfaceTest, LineOfGivenWidthAndColourLandsOnItsPixels)
{
    EnsureGuiApplication();
    QImage image = WhiteImage300(100, 50);
    auto surface = PainterSurface::ForImage(image);
    EXPECT_NEAR(surface->pageWidth(), image.width() * 1440.0 / 300, 1e-9);
    surface->setUnit(PrintSurface::Unit::Millimetres);
    // 0x00BBGGRR: red FF, green 80, blue 00.
    ASSERT_TRUE(surface->drawLine(10, 20, 60, 20, 5, PrintSurface::LineStyle(0), 0x000080FFu));
    ASSERT_TRUE(surface->endDocument());
    // 20 mm = 236.2 px; 5 px wide: rows 234..238. 10 mm = 118.1 px, 60 mm = 708.7 px.
    const QRgb orange = qRgb(0xFF, 0x80, 0x00);
    for (int y = 234; y <= 238; ++y) {
        EXPECT_EQ(image.pixel(400, y), orange) << y;
        EXPECT_EQ(image.pixel(120, y), orange) << y;
        EXPECT_EQ(image.pixel(706, y), orange) << y;
    }
    EXPECT_TRUE(IsWhite(image, 400, 232));
    EXPECT_TRUE(IsWhite(image, 400, 240));
    EXPECT_TRUE(IsWhite(image, 116, 236));
    EXPECT_TRUE(IsWhite(image, 711, 236));
}

TEST(PainterSurfaceTest, DashedLineLeavesGaps)
{
    EnsureGuiApplication();
    QImage image = WhiteImage300(100, 50);
    auto surface = PainterSurface::ForImage(image);
    ASSERT_TRUE(surface->drawLine(10 * Mm, 20 * Mm, 60 * Mm, 20 * Mm, 2, PrintSurface::LineStyle(1), 0));
    ASSERT_TRUE(surface->endDocument());
    int black = 0, white = 0;
    for (int x = 130; x < 700; ++x) (image.pixel(x, 236) == qRgb(0, 0, 0) ? black : white)++;
    EXPECT_GT(black, 100);
    EXPECT_GT(white, 100);
}

TEST(PainterSurfaceTest, PictureIsStretchedIntoItsRectangle)
{
    EnsureGuiApplication();
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(0, 0, 0));
    QImage image = WhiteImage300(100, 50);
    auto surface = PainterSurface::ForImage(image);
    // 20,10 mm, 40 × 20 mm: pixels 236.2..708.7 across, 118.1..354.3 down.
    ASSERT_TRUE(surface->drawPicture(picture, 20 * Mm, 10 * Mm, 40 * Mm, 20 * Mm));
    ASSERT_TRUE(surface->endDocument());
    auto near = [&](int x, int y, QRgb want) {
        const QRgb got = image.pixel(x, y);
        return std::abs(qRed(got) - qRed(want)) <= 3 && std::abs(qGreen(got) - qGreen(want)) <= 3
            && std::abs(qBlue(got) - qBlue(want)) <= 3;
    };
    EXPECT_TRUE(near(354, 177, qRgb(255, 0, 0)));
    EXPECT_TRUE(near(590, 177, qRgb(0, 255, 0)));
    EXPECT_TRUE(near(354, 295, qRgb(0, 0, 255)));
    EXPECT_TRUE(near(590, 295, qRgb(0, 0, 0)));
    EXPECT_FALSE(IsWhite(image, 238, 120));
    EXPECT_FALSE(IsWhite(image, 706, 352));
    EXPECT_TRUE(IsWhite(image, 233, 177));
    EXPECT_TRUE(IsWhite(image, 711, 177));
    EXPECT_TRUE(IsWhite(image, 354, 115));
    EXPECT_TRUE(IsWhite(image, 354, 357));
    EXPECT_FALSE(surface->drawPicture(QImage(), 0, 0, 10, 10));
}

TEST(PainterSurfaceTest, FontSizeReadBackIsTheSizeTheDeviceHolds)
{
    EnsureGuiApplication();
    QTemporaryDir dir;
    auto pdf = PainterSurface::ForPdf(dir.filePath(QStringLiteral("f.pdf")), 240, 80);
    ASSERT_TRUE(pdf->setFont(Sans(10.5)));
    EXPECT_DOUBLE_EQ(pdf->fontSize(), 10.5); // 175 dots at 1200 dpi
    QImage image = WhiteImage300(100, 50);
    auto img = PainterSurface::ForImage(image);
    ASSERT_TRUE(img->setFont(Sans(10.3)));
    EXPECT_NEAR(img->fontSize(), 43 * 72.0 / 300, 1e-9); // 42.9 pixels round to 43
    ASSERT_TRUE(img->setFont(Sans(0)));
    EXPECT_NEAR(img->fontSize(), 72.0 / 300, 1e-9);
    EXPECT_EQ(img->font().name, QStringLiteral("DejaVu Sans"));
    // The same font measures the same on paper whatever the device's resolution.
    ASSERT_TRUE(img->setFont(Sans(12)));
    ASSERT_TRUE(pdf->setFont(Sans(12)));
    const QString text = QStringLiteral("Kestrio 1234");
    EXPECT_NEAR(img->textWidth(text), pdf->textWidth(text), pdf->textWidth(text) * 0.03);
    EXPECT_NEAR(img->textHeight(text), pdf->textHeight(text), 30);
    // A 12 point line is a little more than 240 twips high.
    EXPECT_GT(pdf->textHeight(text), 240);
    EXPECT_LT(pdf->textHeight(text), 360);
    EXPECT_NEAR(pdf->textHeight(QStringLiteral("a\nb")), 2 * pdf->textHeight(text), 1e-9);
    ASSERT_TRUE(pdf->setFont(Sans(24)));
    EXPECT_NEAR(pdf->textWidth(text), 2 * img->textWidth(text), img->textWidth(text) * 0.03);
}

TEST(PainterSurfaceTest, MillimetresAndTwipsMeasureAlike)
{
    EnsureGuiApplication();
    QTemporaryDir dir;
    auto pdf = PainterSurface::ForPdf(dir.filePath(QStringLiteral("u.pdf")), 240, 80);
    ASSERT_TRUE(pdf->setFont(Sans(12)));
    const QString text = QStringLiteral("字号测试 Kestrio");
    const double twipsWide = pdf->textWidth(text);
    const double twipsHigh = pdf->textHeight(text);
    pdf->setUnit(PrintSurface::Unit::Millimetres);
    EXPECT_EQ(pdf->unit(), PrintSurface::Unit::Millimetres);
    EXPECT_NEAR(pdf->textWidth(text) * Mm, twipsWide, 1e-6);
    EXPECT_NEAR(pdf->textHeight(text) * Mm, twipsHigh, 1e-6);
    // The page size stays in twips.
    EXPECT_NEAR(pdf->pageWidth(), 240 * Mm, 0.01);
    // Drawing advances the position by the text's width in the current unit.
    pdf->setPosition(10, 5);
    ASSERT_TRUE(pdf->drawText(text));
    EXPECT_NEAR(pdf->positionX(), 10 + twipsWide / Mm, 1e-6);
    EXPECT_DOUBLE_EQ(pdf->positionY(), 5);
    pdf->setUnit(PrintSurface::Unit::Twips);
    EXPECT_NEAR(pdf->textWidth(text), twipsWide, 1e-9);
    ASSERT_TRUE(pdf->endDocument());
}

TEST(PainterSurfaceTest, OpaqueTextFillsItsBackgroundTransparentDoesNot)
{
    EnsureGuiApplication();
    for (const bool transparent : {true, false}) {
        QImage image = WhiteImage300(50, 20);
        image.fill(qRgb(255, 0, 0));
        auto surface = PainterSurface::ForImage(image);
        ASSERT_TRUE(surface->setFont(Sans(20)));
        surface->setTransparentText(transparent);
        surface->setTextColor(0x00FF0000u); // blue
        surface->setPosition(5 * Mm, 5 * Mm);
        ASSERT_TRUE(surface->drawText(QStringLiteral("Hi")));
        ASSERT_TRUE(surface->endDocument());
        int whites = 0, blues = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(255, 255, 255)) ++whites;
                if (image.pixel(x, y) == qRgb(0, 0, 255)) ++blues;
            }
        EXPECT_GT(blues, 100) << transparent;
        if (transparent) EXPECT_EQ(whites, 0);
        else EXPECT_GT(whites, 100);
        // Nothing above the position: the text hangs below its top-left corner.
        const int top = qRound(5 * Mm * 300 / 1440);
        for (int y = 0; y < top - 1; ++y)
            for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, y), qRgb(255, 0, 0)) << x << "," << y;
    }
}

TEST(PainterSurfaceTest, ImageHasOnePage)
{
    EnsureGuiApplication();
    QImage image = WhiteImage300(50, 20);
    auto surface = PainterSurface::ForImage(image);
    EXPECT_EQ(surface->printerName(), QStringLiteral("image"));
    EXPECT_FALSE(surface->newPage());
    EXPECT_FALSE(surface->lastError().isEmpty());
}

TEST(RecordingSurfaceTest, LogsEveryCallInTwips)
{
    RecordingSurface surface(240 * Mm, 80 * Mm);
    EXPECT_DOUBLE_EQ(surface.pageWidth(), 240 * Mm);
    ASSERT_TRUE(surface.setOrientation(PrintSurface::Orientation::Landscape));
    EXPECT_DOUBLE_EQ(surface.pageWidth(), 80 * Mm);
    EXPECT_DOUBLE_EQ(surface.pageHeight(), 240 * Mm);
    surface.setUnit(PrintSurface::Unit::Twips);
    surface.setTransparentText(true);
    PrintSurface::Font font;
    font.name = QStringLiteral("宋体");
    font.pointSize = 10.5;
    font.bold = true;
    font.underline = true;
    ASSERT_TRUE(surface.setFont(font));
    surface.setTextColor(0x0000FFu);
    surface.setPosition(56.6928 * 20, 56.6928 * 10);
    ASSERT_TRUE(surface.drawText(QStringLiteral("￥1")));
    // ￥ is full width (210 twips at 10.5 points), 1 half (105).
    EXPECT_DOUBLE_EQ(surface.positionX(), 56.6928 * 20 + 315);
    surface.setUnit(PrintSurface::Unit::Millimetres);
    EXPECT_DOUBLE_EQ(surface.textWidth(QStringLiteral("钟")), 210 / Mm);
    EXPECT_DOUBLE_EQ(surface.textHeight(QStringLiteral("钟")), 252 / Mm);
    ASSERT_TRUE(surface.drawLine(1, 2, 3, 4, 2, PrintSurface::LineStyle(1), 0x333333u));
    QImage picture(4, 3, QImage::Format_RGB32);
    ASSERT_TRUE(surface.drawPicture(picture, 0, 0, 240, 80));
    ASSERT_TRUE(surface.newPage());
    ASSERT_TRUE(surface.endDocument());
    const QStringList expected = {
        QStringLiteral("setOrientation(landscape)"),
        QStringLiteral("setUnit(twips)"),
        QStringLiteral("setTransparentText(true)"),
        QStringLiteral("setFont(\"宋体\",10.5,bold+underline)"),
        QStringLiteral("setTextColor(0x0000FF)"),
        QStringLiteral("drawText(1133.856,566.928,\"￥1\")"),
        QStringLiteral("setUnit(mm)"),
        QStringLiteral("drawLine(56.6928,113.3856,170.0784,226.7712,2,dash,0x333333)"),
        QStringLiteral("drawPicture(4x3,0,0,13606.272,4535.424)"),
        QStringLiteral("newPage()"),
        QStringLiteral("endDocument()"),
    };
    EXPECT_EQ(surface.calls(), expected);
}

TEST(RecordingSurfaceTest, InjectedFailureIsReported)
{
    RecordingSurface surface;
    surface.failOperation(QStringLiteral("drawText"), QStringLiteral("打印出错！"));
    EXPECT_TRUE(surface.drawLine(0, 0, 10, 10, 1, Qt::SolidLine, 0));
    EXPECT_FALSE(surface.drawText(QStringLiteral("x")));
    EXPECT_EQ(surface.lastError(), QStringLiteral("打印出错！"));
    EXPECT_EQ(surface.calls().size(), 2);
}

TEST(PrintSurfaceTest, LineStyleCodesAndColours)
{
    EXPECT_EQ(PrintSurface::LineStyle(0), Qt::SolidLine);
    EXPECT_EQ(PrintSurface::LineStyle(1), Qt::DashLine);
    EXPECT_EQ(PrintSurface::LineStyle(2), Qt::DotLine);
    EXPECT_EQ(PrintSurface::LineStyle(3), Qt::DashDotLine);
    EXPECT_EQ(PrintSurface::LineStyle(4), Qt::DashDotDotLine);
    EXPECT_EQ(PrintSurface::LineStyle(-1), Qt::SolidLine);
    EXPECT_EQ(PrintSurface::LineStyle(9), Qt::SolidLine);
    EXPECT_EQ(PrintSurface::ColorFromBgr(0x00332211u), QColor(0x11, 0x22, 0x33));
}

// A line drawn in one go lands on the page exactly as the same characters drawn one by one at
// the same places: the pixels of the two pages are equal, and the position ends alike.
TEST(PainterSurfaceTest, ARunDrawsLikeItsCharactersOneByOne)
{
    EnsureGuiApplication();
    struct Case {
        const char16_t* text;
        const char16_t* font;
        double points;
        bool bold;
        double spacing; // twips between characters
    };
    const Case cases[] = {
        {u"壹仟贰佰叁拾肆元伍角整", u"宋体", 12, false, 0},
        {u"AVAWAY To 0200001234567890123", u"宋体", 10.5, false, 0},  // kerning pairs stay apart
        {u"￥123456 长城贸易", u"黑体", 10.5, true, 37.5},                // wide spacing
        {u"ffi fl 𠀀𝄞 end", u"DejaVu Sans", 9, false, 0},                 // ligatures, outside the font
    };
    for (const Case& c : cases) {
        QImage images[2] = {WhiteImage300(120, 20), WhiteImage300(120, 20)};
        double ends[2] = {0, 0};
        for (int way = 0; way < 2; ++way) {
            auto surface = PainterSurface::ForImage(images[way]);
            PrintSurface::Font font;
            font.name = QString::fromUtf16(c.font);
            font.pointSize = c.points;
            font.bold = c.bold;
            ASSERT_TRUE(surface->setFont(font));
            const QStringList characters = PrintCharacters(QString::fromUtf16(c.text));
            QList<double> xs;
            double x = 3 * Mm + 0.37;
            for (const QString& character : characters) {
                xs << x;
                x += surface->textWidth(character) + c.spacing;
            }
            const bool drawn = way == 0 ? surface->PrintSurface::drawTextRun(characters, xs, 5 * Mm + 0.6)
                                        : surface->drawTextRun(characters, xs, 5 * Mm + 0.6);
            ASSERT_TRUE(drawn);
            ends[way] = surface->positionX();
            ASSERT_TRUE(surface->endDocument());
        }
        EXPECT_NE(images[1], WhiteImage300(120, 20)) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(images[0], images[1]) << QString::fromUtf16(c.text).toStdString();
        EXPECT_DOUBLE_EQ(ends[0], ends[1]);
    }
}
