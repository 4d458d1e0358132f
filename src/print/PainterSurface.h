#pragma once

#include "print/PrintSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <memory>

class QPaintDevice;
class QPagedPaintDevice;
class QPdfWriter;
class QPageSize;
class QIODevice;

namespace kestrio {

// The print surface over a QPainter on any paint device: a printer, a PDF writer or an image.
// Twips become device units through the device's logical resolution (1440 twips per inch).
// The painter is opened with the first drawing, so the orientation can still be chosen before.
class PainterSurface final : public PrintSurface {
public:
    // Changes the page size of the device (a printer or PDF writer) for the pages that follow;
    // false when the device has no pages or refuses the size.
    bool setPageSize(const QPageSize& size);

    // The device must outlive the surface.
    PainterSurface(QPaintDevice& device, QString printerName);
    ~PainterSurface() override;

    // A PDF file of one page size in millimetres, without margins, at 1200 dots per inch.
    static std::unique_ptr<PainterSurface> ForPdf(const QString& path, double pageWidthMm, double pageHeightMm);
    // The same, written into an open device (a QSaveFile, so the file appears whole or not at all).
    static std::unique_ptr<PainterSurface> ForPdf(QIODevice& device, double pageWidthMm, double pageHeightMm);
    // Draws onto the image at the resolution stored in it (dots per metre).
    static std::unique_ptr<PainterSurface> ForImage(QImage& image);

    QPaintDevice& device() const { return *mDevice; }

    // Draws the paper at `dotsPerInch` device units per inch of paper instead of the device's
    // own resolution (the design canvas: twips of paper to pixels of the zoomed page). Texts
    // are then measured as on a printer of kLayoutDpi, so sizes are fitted and lines broken
    // as they print, and drawn unhinted at the screen's scale where that layout puts them.
    // 0 goes back to the device's resolution.
    void setResolution(double dotsPerInch);
    static constexpr double kLayoutDpi = 600;

    // A printer takes one job after another; a PDF file or an image holds one job, and
    // drawing after its end fails.
    void setRestartable(bool restartable) { mRestartable = restartable; }

    double pageWidth() const override;
    double pageHeight() const override;
    bool setOrientation(Orientation orientation) override;
    Orientation orientation() const override { return mOrientation; }
    void setUnit(Unit unit) override;
    Unit unit() const override { return mUnit; }
    bool setFont(const Font& font) override;
    Font font() const override { return mFont; }
    void setTextColor(quint32 bgr) override { mTextColor = bgr; }
    quint32 textColor() const override { return mTextColor; }
    double textWidth(const QString& text) const override;
    double textHeight(const QString& text) const override;
    void setPosition(double x, double y) override;
    double positionX() const override { return mPositionX; }
    double positionY() const override { return mPositionY; }
    bool drawText(const QString& text) override;
    bool drawTextRun(const QStringList& characters, const QList<double>& xs, double y) override;
    void setTransparentText(bool transparent) override { mTransparentText = transparent; }
    bool drawLine(double x1, double y1, double x2, double y2, int widthPixels, Qt::PenStyle style,
                  quint32 bgr) override;
    bool fillRectangle(double x, double y, double width, double height, quint32 bgr) override;
    bool drawPicture(const QImage& picture, double x, double y, double width, double height) override;
    bool newPage() override;
    // Whether anything was drawn since the job began (the device then holds a page).
    bool Started() const;
    bool endDocument() override;
    QString printerName() const override { return mPrinterName; }
    QString lastError() const override { return mLastError; }

private:
    static std::unique_ptr<PainterSurface> AdoptPdfWriter(std::unique_ptr<QPdfWriter> writer, const QString& name,
                                                          double pageWidthMm, double pageHeightMm);
    double dpiX() const;
    double dpiY() const;
    // The resolution texts are measured at: the device's, or the printer's of the layout.
    double measureDpiX() const;
    double measureDpiY() const;
    double unitToTwips(double value) const;
    double twipsToUnit(double twips) const;
    double toDeviceX(double value) const;
    double toDeviceY(double value) const;
    // What the surface keeps of each font it has used: the font as the device resolves it, its
    // metrics, the widths measured so far, and each character's glyph as drawText shapes it.
    struct FontCache;
    // Where a character's glyph is: a face of the font's `faces` (-1: the character draws on
    // its own, as it does not shape to exactly one glyph) and the glyph's index in it.
    struct CharacterGlyph {
        qsizetype face = -1;
        quint32 index = 0;
    };

    QFont deviceFont() const;
    FontCache& fontCache() const;
    const QFontMetricsF& metrics() const;
    CharacterGlyph glyphOf(FontCache& cache, const QString& character) const;
    void applyTextPen();
    bool ensurePainter();
    bool fail(const QString& message);

    std::unique_ptr<QPdfWriter> mOwnedWriter;
    QPaintDevice* mDevice;
    QPagedPaintDevice* mPaged;
    QString mPrinterName;
    QPainter mPainter;
    bool mPagePending = false;
    mutable QHash<QString, std::shared_ptr<FontCache>> mFontCaches;
    mutable FontCache* mCurrentFont = nullptr;
    bool mEnded = false;
    bool mRestartable = false;
    Orientation mOrientation = Orientation::Portrait;
    Unit mUnit = Unit::Twips;
    Font mFont;
    quint32 mTextColor = 0;
    bool mTransparentText = true;
    double mPositionX = 0;
    double mPositionY = 0;
    QString mLastError;
    double mResolution = 0;
};

} // namespace kestrio
