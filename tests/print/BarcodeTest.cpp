#include "print/Barcode.h"

#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace kestrio;

namespace {

// Draws the bars black on white at `dpi`, with a white quiet zone of `quiet` twips all
// round, one filled rectangle per bar, as a printer would.
QImage Render(const Barcode::Symbol& symbol, int dpi, double quiet)
{
    const double scale = dpi / 1440.0;
    double right = 0;
    double bottom = 0;
    for (const Barcode::Bar& bar : symbol.bars) {
        right = std::max(right, bar.x + bar.width);
        bottom = std::max(bottom, bar.height);
    }
    const int w = int(std::ceil((right + 2 * quiet) * scale));
    const int h = int(std::ceil((bottom + 2 * quiet) * scale));
    QImage image(w, h, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    // Each edge falls on the nearest device pixel, as a printer driver places it.
    const auto px = [scale](double twips) { return int(std::lround(twips * scale)); };
    for (const Barcode::Bar& bar : symbol.bars) {
        const int left = px(quiet + bar.x);
        const int top = px(quiet);
        painter.fillRect(QRect(left, top, px(quiet + bar.x + bar.width) - left, px(quiet + bar.height) - top),
                         Qt::black);
    }
    painter.end();
    return image;
}

ZXing::Result Decode(const QImage& image)
{
    const auto hints = ZXing::DecodeHints()
                           .setFormats(ZXing::BarcodeFormat::Code39 | ZXing::BarcodeFormat::EAN13)
                           .setTryHarder(true)
                           .setBinarizer(ZXing::Binarizer::FixedThreshold);
    return ZXing::ReadBarcode(ZXing::ImageView(image.constBits(), image.width(), image.height(),
                                               ZXing::ImageFormat::Lum, int(image.bytesPerLine())),
                              hints);
}

Barcode::TextMetrics SongMetrics()
{
    Barcode::TextMetrics metrics;
    metrics.textHeight = 180;
    metrics.nineWidth = 90;
    metrics.zeroWidth = 90;
    return metrics;
}

} // namespace

TEST(BarcodeTest, StandardParameterSelectsCode39OnlyForZeroOrNothing)
{
    EXPECT_EQ(Barcode::ParseStandard(QString()), Barcode::Standard::Code39);
    EXPECT_EQ(Barcode::ParseStandard(QStringLiteral("0")), Barcode::Standard::Code39);
    EXPECT_EQ(Barcode::ParseStandard(QStringLiteral(" 0 ")), Barcode::Standard::Code39);
    EXPECT_EQ(Barcode::ParseStandard(QStringLiteral("1")), Barcode::Standard::Ean13);
    EXPECT_EQ(Barcode::ParseStandard(QStringLiteral("2")), Barcode::Standard::Ean13);
    EXPECT_EQ(Barcode::ParseStandard(QStringLiteral("-1")), Barcode::Standard::Ean13);
}

TEST(BarcodeTest, Code39FramesAndUpperCases)
{
    EXPECT_EQ(Barcode::FrameCode39(QStringLiteral("ab12")), QStringLiteral("*AB12*"));
    EXPECT_EQ(Barcode::FrameCode39(QStringLiteral("*123*")), QStringLiteral("*123*"));
    EXPECT_EQ(Barcode::FrameCode39(QStringLiteral("*123")), QStringLiteral("*123*"));
    EXPECT_EQ(Barcode::FrameCode39(QStringLiteral("123*")), QStringLiteral("*123*"));
    EXPECT_EQ(Barcode::FrameCode39(QString()), QString());
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('7')), 7);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('A')), 10);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('Z')), 35);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('-')), 36);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('%')), 37);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('$')), 38);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('*')), 39);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('#')), -1);
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char('a')), -1); // upper-casing is the framing's job
    EXPECT_EQ(Barcode::Code39Index(QLatin1Char(' ')), -1);
}

TEST(BarcodeTest, Code39MeasuresSixteenNarrowPerCharacter)
{
    for (int narrow : {1, 6, 7, 13, 20}) {
        EXPECT_EQ(Barcode::MeasureCode39(QStringLiteral("ab12"), narrow), 6 * 16 * narrow);
        EXPECT_EQ(Barcode::MeasureCode39(QStringLiteral("*123*"), narrow), 5 * 16 * narrow);
        EXPECT_EQ(Barcode::MeasureCode39(QStringLiteral("*123"), narrow), 5 * 16 * narrow);
        // The walk stops silently at "#": "*", "1" and "2" remain.
        EXPECT_EQ(Barcode::MeasureCode39(QStringLiteral("12#3"), narrow), 3 * 16 * narrow);
    }
    EXPECT_EQ(Barcode::MeasureCode39(QString(), 10), 0);
}

TEST(BarcodeTest, Code39BarsHaveStandardProportions)
{
    const int narrow = 9;
    const Barcode::Symbol symbol = Barcode::LayoutCode39(QStringLiteral("ab12"), narrow, 720, false, 0);
    EXPECT_FALSE(symbol.rejected);
    EXPECT_EQ(symbol.text, QStringLiteral("*AB12*"));
    ASSERT_EQ(symbol.bars.size(), 6 * 5);
    EXPECT_TRUE(symbol.captions.isEmpty());
    for (qsizetype c = 0; c < 6; ++c) {
        const double charStart = c * 16.0 * narrow;
        EXPECT_DOUBLE_EQ(symbol.bars.at(c * 5).x, charStart);
        int wideElements = 0;
        double end = charStart;
        for (qsizetype j = 0; j < 5; ++j) {
            const Barcode::Bar& bar = symbol.bars.at(c * 5 + j);
            EXPECT_TRUE(bar.width == narrow || bar.width == 3 * narrow);
            EXPECT_DOUBLE_EQ(bar.height, 720);
            if (bar.width == 3 * narrow)
                ++wideElements;
            if (j > 0) {
                const double space = bar.x - end;
                EXPECT_TRUE(space == narrow || space == 3 * narrow) << space;
                if (space == 3 * narrow)
                    ++wideElements;
            }
            end = bar.x + bar.width;
        }
        EXPECT_EQ(wideElements, 3); // three of nine elements wide
        EXPECT_DOUBLE_EQ(end, charStart + 15.0 * narrow); // then one narrow gap
    }
    // "*": narrow bar, wide space, narrow bar, narrow space, wide bar, narrow space, wide bar,
    // narrow space, narrow bar.
    EXPECT_DOUBLE_EQ(symbol.bars.at(0).width, narrow);
    EXPECT_DOUBLE_EQ(symbol.bars.at(1).x, 4.0 * narrow);
    EXPECT_DOUBLE_EQ(symbol.bars.at(2).width, 3.0 * narrow);
}

TEST(BarcodeTest, Code39DecodesAcrossNarrowWidthsAndResolutions)
{
    const QString texts[] = {QStringLiteral("ab12"), QStringLiteral("*123*"), QStringLiteral("*123"),
                             QStringLiteral("KESTRIO-2024"), QStringLiteral("A$B%C"),
                             QStringLiteral("0123456789"), QStringLiteral("Z")};
    for (const QString& text : texts) {
        QString expected = Barcode::FrameCode39(text);
        expected = expected.mid(1, expected.size() - 2);
        for (int narrow : {6, 7, 8, 10, 13, 16, 20}) {
            for (int dpi : {300, 600}) {
                // "$" and "%" have five narrow bars; at 300 dpi a narrow width under 13 twips
                // is only 1 to 3 device pixels, and the reader then fails on them depending on
                // how the edges fall on the pixel grid. They are read at 600 dpi and from 13
                // twips on at 300 dpi.
                if (dpi == 300 && narrow < 13 && (text.contains(QLatin1Char('$')) || text.contains(QLatin1Char('%'))))
                    continue;
                const Barcode::Symbol symbol = Barcode::LayoutCode39(text, narrow, 1000, false, 0);
                const ZXing::Result result = Decode(Render(symbol, dpi, 20.0 * narrow));
                ASSERT_TRUE(result.isValid()) << text.toStdString() << " narrow " << narrow << " dpi " << dpi;
                EXPECT_EQ(result.format(), ZXing::BarcodeFormat::Code39);
                EXPECT_EQ(result.text(), expected.toStdString()) << narrow << " " << dpi;
            }
        }
    }
}

TEST(BarcodeTest, Code39FittedIntoABoxDecodes)
{
    // A 50 mm box, as the renderer fits it: 2835 twips.
    const int available = int(std::nearbyint(50 * 56.6928));
    const QString text = QStringLiteral("no-42");
    const int narrow = Barcode::FitCode39Narrow(text, available);
    EXPECT_EQ(narrow, available / (7 * 16));
    EXPECT_LE(Barcode::MeasureCode39(text, narrow), available);
    EXPECT_GT(Barcode::MeasureCode39(text, narrow + 1), available);
    const ZXing::Result result = Decode(Render(Barcode::LayoutCode39(text, narrow, 600, false, 0), 300, 400));
    ASSERT_TRUE(result.isValid());
    EXPECT_EQ(result.text(), "NO-42");
}

TEST(BarcodeTest, Code39FitArithmetic)
{
    const QString text = QStringLiteral("ab12"); // 96 narrow widths
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96 * 7), 7);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96 * 7 + 95), 7);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96 * 7 - 1), 6);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96 * 10), 10);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96 * 11), 11);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96), 1);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 95), 0);
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 0), 0);
    EXPECT_EQ(Barcode::FitCode39Narrow(QString(), 100000), 0);
    // The search doubles at most ten times from 5: 5120 is the widest narrow width.
    EXPECT_EQ(Barcode::FitCode39Narrow(text, 96 * 6000), 5120);
    // An unaccepted character shortens what is measured.
    EXPECT_EQ(Barcode::FitCode39Narrow(QStringLiteral("12#3"), 48 * 9), 9);
}

TEST(BarcodeTest, Code39StopsAtAnUnacceptedCharacter)
{
    const Barcode::Symbol symbol = Barcode::LayoutCode39(QStringLiteral("12#3"), 10, 1000, false, 0);
    EXPECT_TRUE(symbol.rejected);
    EXPECT_EQ(symbol.bars.size(), 3 * 5); // "*", "1", "2" stay drawn
    // The cut-off symbol has no stop character, so no scanner reads it.
    EXPECT_FALSE(Decode(Render(symbol, 600, 200)).isValid());
    EXPECT_TRUE(Barcode::Code39InvalidMessage().startsWith(QStringLiteral("要打印的条形码字符串中包含无效字符")));

    const Barcode::Symbol lowerDot = Barcode::LayoutCode39(QStringLiteral("a.b"), 10, 1000, false, 0);
    EXPECT_TRUE(lowerDot.rejected);
    EXPECT_EQ(lowerDot.bars.size(), 2 * 5);
}

TEST(BarcodeTest, Code39EmptyTextOrZeroNarrowDrawsNothing)
{
    EXPECT_TRUE(Barcode::LayoutCode39(QString(), 10, 1000, true, 100).bars.isEmpty());
    const Barcode::Symbol zero = Barcode::LayoutCode39(QStringLiteral("123"), 0, 1000, true, 100);
    EXPECT_TRUE(zero.bars.isEmpty());
    EXPECT_TRUE(zero.captions.isEmpty());
}

TEST(BarcodeTest, Code39ShownTextSitsUnderEachCharacter)
{
    const int narrow = 10;
    const Barcode::Symbol symbol = Barcode::LayoutCode39(QStringLiteral("a1"), narrow, 1000, true, 200);
    ASSERT_EQ(symbol.captions.size(), 4);
    const QString chars = QStringLiteral("*A1*");
    for (qsizetype i = 0; i < 4; ++i) {
        EXPECT_EQ(symbol.captions.at(i).text, chars.mid(i, 1));
        EXPECT_DOUBLE_EQ(symbol.captions.at(i).x, i * 16.0 * narrow);
        EXPECT_DOUBLE_EQ(symbol.captions.at(i).y, 800);
    }
    for (const Barcode::Bar& bar : symbol.bars)
        EXPECT_DOUBLE_EQ(bar.height, 800);
    EXPECT_TRUE(Decode(Render(symbol, 300, 200)).isValid());
}

TEST(BarcodeTest, Ean13NormalisesAndComputesTheCheckDigit)
{
    struct Case {
        QString input;
        QString code;
    };
    const Case cases[] = {
        {QStringLiteral("690123456789"), QStringLiteral("6901234567892")},
        {QStringLiteral("6901234567891"), QStringLiteral("6901234567892")},
        {QStringLiteral("12-345"), QStringLiteral("0000000123457")},
        {QStringLiteral("12345678901234567890"), QStringLiteral("1234567890128")},
        {QStringLiteral("12345678901-34567890"), QStringLiteral("1234567890135")},
        {QStringLiteral("400638133393"), QStringLiteral("4006381333931")},
        {QStringLiteral("abc"), QStringLiteral("0000000000000")},
        {QString(), QStringLiteral("0000000000000")},
    };
    for (const Case& c : cases) {
        QString text = c.input;
        const QString bits = Barcode::EncodeEan13(text);
        EXPECT_EQ(text, c.code) << c.input.toStdString();
        ASSERT_EQ(bits.size(), 95);
        EXPECT_TRUE(bits.startsWith(QStringLiteral("101")));
        EXPECT_EQ(bits.mid(45, 5), QStringLiteral("01010"));
        EXPECT_TRUE(bits.endsWith(QStringLiteral("101")));
    }
    // 5901234123457: first digit 5 → L G G L L G; digit 9 in G is "0010111", 0 in L "0001101".
    QString text = QStringLiteral("590123412345");
    const QString bits = Barcode::EncodeEan13(text);
    EXPECT_EQ(text, QStringLiteral("5901234123457"));
    EXPECT_EQ(bits.mid(3, 7), QStringLiteral("0001011"));  // 9, L
    EXPECT_EQ(bits.mid(10, 7), QStringLiteral("0100111")); // 0, G
    EXPECT_EQ(bits.mid(85, 7), QStringLiteral("1000100")); // 7, R
}

TEST(BarcodeTest, Ean13DecodesAcrossWidthsAndResolutions)
{
    const QString inputs[] = {QStringLiteral("690123456789"), QStringLiteral("6901234567891"),
                              QStringLiteral("12-345"), QStringLiteral("12345678901234567890"),
                              QStringLiteral("5901234123457")};
    for (const QString& input : inputs) {
        QString code = input;
        Barcode::EncodeEan13(code);
        for (int width : {1700, 2268, 3402}) { // 30, 40 and 60 mm boxes
            for (int dpi : {300, 600}) {
                for (int fontSize : {0, 9}) {
                    const Barcode::Symbol symbol = Barcode::LayoutEan13(input, width, 900, fontSize, true, SongMetrics());
                    EXPECT_EQ(symbol.text, code);
                    const ZXing::Result result = Decode(Render(symbol, dpi, 300));
                    ASSERT_TRUE(result.isValid()) << input.toStdString() << " " << width << " " << dpi;
                    EXPECT_EQ(result.format(), ZXing::BarcodeFormat::EAN13);
                    EXPECT_EQ(result.text(), code.toStdString());
                }
            }
        }
    }
}

TEST(BarcodeTest, Ean13GuardBarsReachBelowTheOthers)
{
    const Barcode::TextMetrics metrics = SongMetrics();
    const int width = 2000;
    const int height = 900;
    const Barcode::Symbol symbol = Barcode::LayoutEan13(QStringLiteral("690123456789"), width, height, 0, true, metrics);
    ASSERT_EQ(symbol.bars.size(), 30);
    EXPECT_TRUE(symbol.captions.isEmpty()); // font size 0: no digits, full height
    const double module = (width - metrics.nineWidth - 15) / 95.0;
    int guards = 0;
    for (qsizetype i = 0; i < symbol.bars.size(); ++i) {
        const bool guard = i < 2 || i == 14 || i == 15 || i >= 28;
        EXPECT_DOUBLE_EQ(symbol.bars.at(i).height, guard ? height + metrics.textHeight / 2 : height - 30) << i;
        if (guard)
            ++guards;
    }
    EXPECT_EQ(guards, 6);
    EXPECT_DOUBLE_EQ(symbol.bars.at(0).x, metrics.nineWidth + 15);
    EXPECT_DOUBLE_EQ(symbol.bars.at(0).width, module);
    // Positions after each run are whole twips, so the end drifts from 95 modules by the roundings.
    for (const Barcode::Bar& bar : symbol.bars)
        EXPECT_DOUBLE_EQ(bar.x, std::round(bar.x));
    const Barcode::Bar& last = symbol.bars.back();
    EXPECT_NEAR(last.x + last.width, metrics.nineWidth + 15 + 95 * module, 59 * 0.5); // at most half a twip per run
}

TEST(BarcodeTest, Ean13DigitsArePrintedUnderTheBars)
{
    const Barcode::TextMetrics metrics = SongMetrics();
    const int width = 2000;
    const int height = 900;
    const Barcode::Symbol symbol = Barcode::LayoutEan13(QStringLiteral("12-345"), width, height, 9, true, metrics);
    ASSERT_EQ(symbol.captions.size(), 13);
    const double h = height - metrics.textHeight;
    EXPECT_EQ(symbol.captions.at(0).text, QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(symbol.captions.at(0).x, 0);
    const double module = (width - metrics.nineWidth - 15) / 95.0;
    const double step = (width - metrics.nineWidth - 15 - 9 * module) / 12;
    double position = metrics.nineWidth + 15 + 3 * module + (step - metrics.zeroWidth) / 2;
    const QString code = QStringLiteral("0000000123457");
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(symbol.captions.at(i).text, code.mid(i, 1));
        EXPECT_DOUBLE_EQ(symbol.captions.at(i).x, position);
        EXPECT_DOUBLE_EQ(symbol.captions.at(i).y, h);
        position += step + (i == 6 ? 3 * module : 0);
    }
    for (const Barcode::Bar& bar : symbol.bars)
        EXPECT_TRUE(bar.height == h - 30 || bar.height == h + metrics.textHeight / 2);

    // Shown text off: the bars keep the full height, the digits still follow the font size.
    const Barcode::Symbol hidden = Barcode::LayoutEan13(QStringLiteral("12-345"), width, height, 9, false, metrics);
    EXPECT_DOUBLE_EQ(hidden.bars.at(2).height, height - 30);
    EXPECT_TRUE(Barcode::LayoutEan13(QString(), width, height, 9, true, metrics).bars.isEmpty());
}
