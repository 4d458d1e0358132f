#include "PainterSurface.h"

#include "print/PrintFonts.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEngine>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPen>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace kestrio {

namespace {
constexpr double TwipsPerInch = 1440.0;
constexpr double PointsPerInch = 72.0;
} // namespace

PainterSurface::PainterSurface(QPaintDevice& device, QString printerName)
    : mDevice(&device), mPaged(dynamic_cast<QPagedPaintDevice*>(&device)), mPrinterName(std::move(printerName))
{
    if (mPaged)
        mOrientation = mPaged->pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                                     : Orientation::Portrait;
    // Every printed page uses the same faces for the formats' Windows font names.
    PrintFonts::RegisterSubstitutions();
    // Start from a size the device can hold, like every later setFont.
    setFont(mFont);
}

PainterSurface::~PainterSurface()
{
    if (mPainter.isActive()) mPainter.end();
}

std::unique_ptr<PainterSurface> PainterSurface::ForPdf(const QString& path, double pageWidthMm, double pageHeightMm)
{
    return AdoptPdfWriter(std::make_unique<QPdfWriter>(path), path, pageWidthMm, pageHeightMm);
}

std::unique_ptr<PainterSurface> PainterSurface::ForPdf(QIODevice& device, double pageWidthMm, double pageHeightMm)
{
    return AdoptPdfWriter(std::make_unique<QPdfWriter>(&device), QStringLiteral("PDF"), pageWidthMm, pageHeightMm);
}

std::unique_ptr<PainterSurface> PainterSurface::AdoptPdfWriter(std::unique_ptr<QPdfWriter> writer, const QString& name,
                                                               double pageWidthMm, double pageHeightMm)
{
    writer->setResolution(1200);
    writer->setPageLayout(QPageLayout(QPageSize(QSizeF(pageWidthMm, pageHeightMm), QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    auto surface = std::make_unique<PainterSurface>(*writer, name);
    surface->mOwnedWriter = std::move(writer);
    return surface;
}

std::unique_ptr<PainterSurface> PainterSurface::ForImage(QImage& image)
{
    return std::make_unique<PainterSurface>(image, QStringLiteral("image"));
}

double PainterSurface::dpiX() const { return mResolution > 0 ? mResolution : mDevice->logicalDpiX(); }
double PainterSurface::dpiY() const { return mResolution > 0 ? mResolution : mDevice->logicalDpiY(); }

double PainterSurface::measureDpiX() const { return mResolution > 0 ? kLayoutDpi : mDevice->logicalDpiX(); }
double PainterSurface::measureDpiY() const { return mResolution > 0 ? kLayoutDpi : mDevice->logicalDpiY(); }

namespace {

// Texts of a drawing at a chosen resolution are measured on this stand-in for a printer.
QPaintDevice* LayoutDevice()
{
    static QImage image = [] {
        QImage i(1, 1, QImage::Format_ARGB32);
        const int dotsPerMetre = static_cast<int>(std::lround(PainterSurface::kLayoutDpi / 0.0254));
        i.setDotsPerMeterX(dotsPerMetre);
        i.setDotsPerMeterY(dotsPerMetre);
        return i;
    }();
    return &image;
}

} // namespace

void PainterSurface::setResolution(double dotsPerInch)
{
    mResolution = dotsPerInch > 0 ? dotsPerInch : 0;
    mCurrentFont = nullptr;
    mFontCaches.clear();
    setFont(mFont);
}

double PainterSurface::unitToTwips(double value) const
{
    return mUnit == Unit::Millimetres ? value * TwipsPerMillimetre : value;
}

double PainterSurface::twipsToUnit(double twips) const
{
    return mUnit == Unit::Millimetres ? twips / TwipsPerMillimetre : twips;
}

double PainterSurface::toDeviceX(double value) const { return unitToTwips(value) * dpiX() / TwipsPerInch; }
double PainterSurface::toDeviceY(double value) const { return unitToTwips(value) * dpiY() / TwipsPerInch; }

double PainterSurface::pageWidth() const
{
    if (mPaged) return mPaged->pageLayout().fullRect(QPageLayout::Millimeter).width() * TwipsPerMillimetre;
    return mDevice->width() * TwipsPerInch / dpiX();
}

double PainterSurface::pageHeight() const
{
    if (mPaged) return mPaged->pageLayout().fullRect(QPageLayout::Millimeter).height() * TwipsPerMillimetre;
    return mDevice->height() * TwipsPerInch / dpiY();
}

bool PainterSurface::setOrientation(Orientation orientation)
{
    mOrientation = orientation;
    if (!mPaged) return true; // an image has one fixed page
    const auto wanted = orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (mPaged->pageLayout().orientation() == wanted) return true;
    if (!mPaged->setPageOrientation(wanted)) return fail(QStringLiteral("打印机不支持所选的纸张方向"));
    return true;
}

void PainterSurface::setUnit(Unit unit)
{
    // The origin never moves on this surface, so twips leave it at 0,0 as they should.
    mUnit = unit;
}

bool PainterSurface::setFont(const Font& font)
{
    // The device draws whole pixels of height: the size in force is the nearest one, at least one.
    const double pixelsPerPoint = measureDpiY() / PointsPerInch;
    const double pixels = std::max(1.0, std::round(font.pointSize * pixelsPerPoint));
    Font wanted = font;
    wanted.pointSize = pixels / pixelsPerPoint;
    const bool same = wanted.name == mFont.name && wanted.pointSize == mFont.pointSize && wanted.bold == mFont.bold &&
                      wanted.italic == mFont.italic && wanted.underline == mFont.underline &&
                      wanted.strikeOut == mFont.strikeOut;
    mFont = wanted;
    if (!same) mCurrentFont = nullptr;
    return true;
}

QFont PainterSurface::deviceFont() const
{
    QFont f(mFont.name);
    if (mResolution > 0) {
        // The device turns points into its own pixels; these are pixels of the chosen resolution.
        f.setPointSizeF(mFont.pointSize * mResolution / mDevice->logicalDpiY());
        f.setHintingPreference(QFont::PreferNoHinting);
    } else {
        f.setPointSizeF(mFont.pointSize);
    }
    f.setBold(mFont.bold);
    f.setItalic(mFont.italic);
    f.setUnderline(mFont.underline);
    f.setStrikeOut(mFont.strikeOut);
    return f;
}

struct PainterSurface::FontCache {
    FontCache(const QFont& wanted, QPaintDevice* device, const QFont& measured, QPaintDevice* measuringDevice)
        : font(wanted), metrics(font, device), measureFont(measured), measure(measureFont, measuringDevice)
    {
    }

    // The font as drawn and its metrics on the device.
    QFont font;
    QFontMetricsF metrics;
    // The font as measured (the same, unless the drawing is at a chosen resolution).
    QFont measureFont;
    QFontMetricsF measure;
    // Device pixels per text: a bill measures the same characters and lines again and again.
    QHash<QString, double> widths;
    QHash<QString, CharacterGlyph> glyphs;
    QList<QRawFont> faces;
};

// The font, its metrics and what was measured with it are kept per font for the surface's
// life: a bill switches between a few fonts box by box.
PainterSurface::FontCache& PainterSurface::fontCache() const
{
    if (mCurrentFont) return *mCurrentFont;
    const QString key = mFont.name + QLatin1Char('|') + QString::number(mFont.pointSize, 'g', 17) + QLatin1Char('|') +
                        QLatin1Char(mFont.bold ? '1' : '0') + QLatin1Char(mFont.italic ? '1' : '0') +
                        QLatin1Char(mFont.underline ? '1' : '0') + QLatin1Char(mFont.strikeOut ? '1' : '0');
    auto& cache = mFontCaches[key];
    if (!cache) {
        if (mResolution > 0) {
            QFont measured = deviceFont();
            measured.setPointSizeF(mFont.pointSize);
            measured.setHintingPreference(QFont::PreferDefaultHinting);
            cache = std::make_shared<FontCache>(deviceFont(), mDevice, measured, LayoutDevice());
        } else {
            cache = std::make_shared<FontCache>(deviceFont(), mDevice, deviceFont(), mDevice);
        }
    }
    mCurrentFont = cache.get();
    return *mCurrentFont;
}

const QFontMetricsF& PainterSurface::metrics() const { return fontCache().metrics; }

double PainterSurface::textWidth(const QString& text) const
{
    // Enough for every text of many formats; a surface that prints for days starts over.
    constexpr qsizetype kMaxWidths = 4096;
    FontCache& cache = fontCache();
    auto known = cache.widths.constFind(text);
    double pixels = 0;
    if (known != cache.widths.constEnd()) {
        pixels = *known;
    } else {
        pixels = cache.measure.horizontalAdvance(text);
        if (cache.widths.size() >= kMaxWidths) cache.widths.clear();
        cache.widths.insert(text, pixels);
    }
    return twipsToUnit(pixels * TwipsPerInch / measureDpiX());
}

// The glyph drawText gives the character, found once per font by laying the character out
// alone; a character the font lacks comes from the face Qt falls back to.
PainterSurface::CharacterGlyph PainterSurface::glyphOf(FontCache& cache, const QString& character) const
{
    const auto known = cache.glyphs.constFind(character);
    if (known != cache.glyphs.constEnd()) return *known;
    CharacterGlyph glyph;
    QTextLayout layout(character, cache.font, mDevice);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() == 1 && runs.front().glyphIndexes().size() == 1) {
        const QRawFont face = runs.front().rawFont();
        glyph.face = cache.faces.indexOf(face);
        if (glyph.face < 0) {
            glyph.face = cache.faces.size();
            cache.faces << face;
        }
        glyph.index = runs.front().glyphIndexes().front();
    }
    cache.glyphs.insert(character, glyph);
    return glyph;
}

double PainterSurface::textHeight(const QString& text) const
{
    const auto lines = std::max<qsizetype>(1, text.count(QLatin1Char('\n')) + 1);
    return twipsToUnit(fontCache().measure.height() * double(lines) * TwipsPerInch / measureDpiY());
}

void PainterSurface::setPosition(double x, double y)
{
    mPositionX = x;
    mPositionY = y;
}

void PainterSurface::applyTextPen()
{
    const QFont& font = fontCache().font;
    if (mPainter.font() != font) mPainter.setFont(font);
    mPainter.setPen(ColorFromBgr(mTextColor));
    mPainter.setBackground(Qt::white);
    mPainter.setBackgroundMode(mTransparentText ? Qt::TransparentMode : Qt::OpaqueMode);
}

bool PainterSurface::drawText(const QString& text)
{
    if (!ensurePainter()) return false;
    applyTextPen();
    mPainter.drawText(QPointF(toDeviceX(mPositionX), toDeviceY(mPositionY) + metrics().ascent()), text);
    mPositionX += textWidth(text);
    return true;
}

// The glyphs drawText would draw, each at the place its own drawText would put it, handed to
// the device a face at a time instead of being shaped character by character. Underlined or
// struck-out text and text on an opaque background keep drawText's per-character look. So do
// devices other than PDF (files, and printers through CUPS) and images: a recorded page such
// as the print preview would keep glyphs without their characters and draw them as outlines.
bool PainterSurface::drawTextRun(const QStringList& characters, const QList<double>& xs, double y)
{
    if (characters.isEmpty()) return true;
    if (mFont.underline || mFont.strikeOut || !mTransparentText) return PrintSurface::drawTextRun(characters, xs, y);
    if (!ensurePainter()) return false;
    const QPaintEngine::Type engine = mPainter.paintEngine()->type();
    if (engine != QPaintEngine::Pdf && engine != QPaintEngine::Raster)
        return PrintSurface::drawTextRun(characters, xs, y);
    applyTextPen();
    FontCache& cache = fontCache();
    const QPointF baseline(0, toDeviceY(y) + cache.metrics.ascent());
    QList<quint32> glyphs;
    QList<QPointF> positions;
    qsizetype face = -1;
    auto flush = [&] {
        if (glyphs.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(cache.faces.at(face));
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        mPainter.drawGlyphRun(baseline, run);
        glyphs.clear();
        positions.clear();
    };
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const CharacterGlyph glyph = glyphOf(cache, characters.at(i));
        if (glyph.face != face) flush();
        face = glyph.face;
        if (glyph.face < 0) {
            setPosition(xs.at(i), y);
            if (!drawText(characters.at(i))) return false;
            continue;
        }
        glyphs << glyph.index;
        positions << QPointF(toDeviceX(xs.at(i)), 0);
    }
    flush();
    setPosition(xs.last() + textWidth(characters.last()), y);
    return true;
}

bool PainterSurface::drawLine(double x1, double y1, double x2, double y2, int widthPixels, Qt::PenStyle style,
                              quint32 bgr)
{
    if (!ensurePainter()) return false;
    QPen pen(ColorFromBgr(bgr));
    pen.setWidthF(std::max(1, widthPixels));
    pen.setStyle(style);
    pen.setCapStyle(Qt::FlatCap);
    mPainter.setPen(pen);
    mPainter.drawLine(QPointF(toDeviceX(x1), toDeviceY(y1)), QPointF(toDeviceX(x2), toDeviceY(y2)));
    return true;
}

bool PainterSurface::fillRectangle(double x, double y, double width, double height, quint32 bgr)
{
    if (!ensurePainter()) return false;
    mPainter.fillRect(QRectF(toDeviceX(x), toDeviceY(y), toDeviceX(width), toDeviceY(height)), ColorFromBgr(bgr));
    return true;
}

bool PainterSurface::setPageSize(const QPageSize& size)
{
    if (!mPaged) return false;
    return mPaged->setPageSize(size);
}

bool PainterSurface::drawPicture(const QImage& picture, double x, double y, double width, double height)
{
    if (picture.isNull()) return fail(QStringLiteral("图片无法绘制"));
    if (!ensurePainter()) return false;
    mPainter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    mPainter.drawImage(QRectF(toDeviceX(x), toDeviceY(y), toDeviceX(width), toDeviceY(height)), picture);
    return true;
}

bool PainterSurface::newPage()
{
    if (!mPaged) return fail(QStringLiteral("图片只有一页"));
    if (!ensurePainter()) return false;
    mPagePending = true;
    return true;
}

bool PainterSurface::Started() const
{
    return mPainter.isActive();
}

bool PainterSurface::endDocument()
{
    mPagePending = false; // a job that ends right after newPage() prints no empty page
    if (!ensurePainter()) return false; // a job without drawings still gives its one empty page
    mEnded = true;
    if (!mPainter.end()) return fail(QStringLiteral("打印作业无法完成"));
    return true;
}

bool PainterSurface::ensurePainter()
{
    if (mEnded && !mRestartable && !mPainter.isActive()) return fail(QStringLiteral("打印作业已经结束"));
    if (!mPainter.isActive()) {
        if (!mPainter.begin(mDevice)) return fail(QStringLiteral("无法在“%1”上打印").arg(mPrinterName));
        mEnded = false;
    }
    if (mPagePending) {
        mPagePending = false;
        if (!mPaged->newPage()) return fail(QStringLiteral("无法开始新的一页"));
    }
    return true;
}

bool PainterSurface::fail(const QString& message)
{
    mLastError = message;
    return false;
}

} // namespace kestrio
