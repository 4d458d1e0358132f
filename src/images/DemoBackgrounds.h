#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace kestrio {

// The blank paper of the demo formats a new installation starts with, drawn rather than
// scanned: ruled boxes, printed captions, fine print, digit-cell grids and a large "样张"
// watermark, at 8 pixels per millimetre. Every place where the clerk's contents go is a
// named blank in millimetres, so the formats put their boxes exactly where the paper has
// its blanks and the digits of an amount land in the printed cells.
//
// Captions need the platform's fonts, which only a GUI application has; without one (the
// command line) the paper is drawn with its rulings, cells and watermark frame but no text.
class DemoBackgrounds {
public:
    enum class Form { TransferCheque, CashCheque, DepositSlip, DeliveryNote };

    static constexpr double kPixelsPerMm = 8.0;
    // Width of the printed place name (万, 仟, …, 分) at the end of each slot of a place run.
    static constexpr double kPlaceWidthMm = 4.0;

    explicit DemoBackgrounds(Form form);

    // Page size of the paper in millimetres.
    QSizeF PageSize() const;
    // Size of the drawn picture in pixels.
    QSize PixelSize() const;
    // A named blank of the paper in millimetres; an empty rectangle when the paper has none.
    QRectF Blank(const QString& name) const;
    // Where the large "样张" stamp sits, in millimetres (before it is turned).
    QRectF WatermarkFrame() const { return mWatermark; }

    QImage Draw();
    // Writes the drawing as a JPEG file, whole or not at all.
    bool Write(const QString& path, QString* error);

    // Whether captions can be drawn: the platform's fonts come with a GUI application.
    static bool CanDrawText();

private:
    void UseColours();
    void Lay();
    void LayCheque(bool cash);
    void LayChequeStub(bool cash);
    void LayChequeBody(bool cash);
    void LayDepositSlip();
    void LayDepositParties(double x, const QString& party);
    void LayDepositLower();
    void LayDeliveryNote();
    void LayDeliveryHeader();
    void LayDeliveryTable();
    void LayDeliveryFooter();

    // Drawing in millimetres; without a painter only the blanks are recorded.
    void Text(const QRectF& rect, const QString& text, double heightMm,
              int flags = Qt::AlignLeft | Qt::AlignVCenter, bool bold = false);
    void RedText(const QRectF& rect, const QString& text, double heightMm, int flags);
    void Print(const QRectF& rect, const QString& text, double heightMm, int flags, bool bold, const QColor& colour);
    QFont MakeFont(const QString& family, double heightMm, bool bold, double spacingMm) const;
    void DrawText(const QRectF& rect, int flags, const QString& text, const QFont& font);
    void TitleText(const QRectF& rect, const QString& text, double heightMm);
    void VerticalText(const QRectF& rect, const QString& text, double heightMm);
    void Rule(double x1, double y1, double x2, double y2, double widthMm = 0.2);
    void Frame(const QRectF& rect, double widthMm = 0.35);
    void Underlined(const QString& name, const QRectF& rect);
    void MarkBlank(const QString& name, const QRectF& rect);
    void DigitGrid(const QString& name, const QRectF& header, double digitsHeight, int cells);
    void PlaceRun(const QString& name, const QRectF& rect, const QString& places);
    void CheckSquare(const QString& name, double x, double y, const QString& caption);
    void Guilloche(const QRectF& area);
    void Microprint(const QRectF& band, const QString& unit);
    void Perforation(double x, double top, double bottom);
    void SprocketHoles(double x);
    void Watermark(const QPointF& centre, double heightMm);

    Form mForm;
    QPainter* mPainter = nullptr;
    bool mWithText = false;
    QColor mInk;
    QColor mAccent;
    QColor mPaper;
    QColor mTint;
    QHash<QString, QRectF> mBlanks;
    QRectF mWatermark;
};

} // namespace kestrio
