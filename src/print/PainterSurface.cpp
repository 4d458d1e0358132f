#include "PainterSurface.h"

#include "print/PrintFonts.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPen>

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

double PainterSurface::dpiX() const { return mDevice->logicalDpiX(); }
double PainterSurface::dpiY() const { return mDevice->logicalDpiY(); }

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
    const double pixelsPerPoint = dpiY() / PointsPerInch;
    const double pixels = std::max(1.0, std::round(font.pointSize * pixelsPerPoint));
    Font wanted = font;
    wanted.pointSize = pixels / pixelsPerPoint;
    const bool same = wanted.name == mFont.name && wanted.pointSize == mFont.pointSize && wanted.bold == mFont.bold &&
                      wanted.italic == mFont.italic && wanted.underline == mFont.underline &&
                      wanted.strikeOut == mFont.strikeOut;
    mFont = wanted;
    if (!same) mMetrics.reset();
    return true;
}

QFont PainterSurface::deviceFont() const
{
    QFont f(mFont.name);
    f.setPointSizeF(mFont.pointSize);
    f.setBold(mFont.bold);
    f.setItalic(mFont.italic);
    f.setUnderline(mFont.underline);
    f.setStrikeOut(mFont.strikeOut);
    return f;
}

// The font and its metrics are made once per font: a bill measures and draws one character
// at a time.
const QFontMetricsF& PainterSurface::metrics() const
{
    if (!mMetrics) {
        mQFont = deviceFont();
        mMetrics.emplace(mQFont, mDevice);
    }
    return *mMetrics;
}

double PainterSurface::textWidth(const QString& text) const
{
    return twipsToUnit(metrics().horizontalAdvance(text) * TwipsPerInch / dpiX());
}

double PainterSurface::textHeight(const QString& text) const
{
    const auto lines = std::max<qsizetype>(1, text.count(QLatin1Char('\n')) + 1);
    return twipsToUnit(metrics().height() * double(lines) * TwipsPerInch / dpiY());
}

void PainterSurface::setPosition(double x, double y)
{
    mPositionX = x;
    mPositionY = y;
}

bool PainterSurface::drawText(const QString& text)
{
    if (!ensurePainter()) return false;
    const QFontMetricsF& fm = metrics();
    if (mPainter.font() != mQFont) mPainter.setFont(mQFont);
    mPainter.setPen(ColorFromBgr(mTextColor));
    mPainter.setBackground(Qt::white);
    mPainter.setBackgroundMode(mTransparentText ? Qt::TransparentMode : Qt::OpaqueMode);
    mPainter.drawText(QPointF(toDeviceX(mPositionX), toDeviceY(mPositionY) + fm.ascent()), text);
    mPositionX += twipsToUnit(fm.horizontalAdvance(text) * TwipsPerInch / dpiX());
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
