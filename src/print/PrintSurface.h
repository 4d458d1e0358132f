#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kestrio {

// The drawing operations of one printed page. Positions and sizes are in twips, or in
// millimetres after setUnit(Millimetres); the page size is always in twips. A print job starts
// with the first drawing and ends with endDocument(). Operations that can fail return false and
// leave the reason in lastError().
class PrintSurface {
public:
    // The printer's twips per millimetre; every millimetre value of a format is scaled by it.
    static constexpr double TwipsPerMillimetre = 56.6928;

    enum class Orientation { Portrait, Landscape };
    enum class Unit { Twips, Millimetres };

    struct Font {
        QString name;
        double pointSize = 10.5; // fractional sizes allowed
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
    };

    virtual ~PrintSurface() = default;

    // Size of the current page in twips (orientation applied).
    virtual double pageWidth() const = 0;
    virtual double pageHeight() const = 0;

    // For the following pages.
    virtual bool setOrientation(Orientation orientation) = 0;
    virtual Orientation orientation() const = 0;

    // Twips also puts the origin back to 0,0.
    virtual void setUnit(Unit unit) = 0;
    virtual Unit unit() const = 0;

    // The device may round the size; fontSize() answers the size in force.
    virtual bool setFont(const Font& font) = 0;
    virtual Font font() const = 0;
    double fontSize() const { return font().pointSize; }

    // A colour as stored in a box's Color column: 0x00BBGGRR.
    virtual void setTextColor(quint32 bgr) = 0;
    virtual quint32 textColor() const = 0;

    // Extent of the text in the current font, in the current unit.
    virtual double textWidth(const QString& text) const = 0;
    virtual double textHeight(const QString& text) const = 0;

    // drawText puts the text's top-left corner at the current position, then moves the
    // position right by the text's width.
    virtual void setPosition(double x, double y) = 0;
    virtual double positionX() const = 0;
    virtual double positionY() const = 0;
    virtual bool drawText(const QString& text) = 0;
    // Characters each put at its own left edge `xs[i]` on the line whose top is `y`, as
    // setPosition(xs[i], y) and drawText(characters[i]) one after the other would put them;
    // the position ends where the last drawText would leave it. A surface that can draw the
    // whole line in one go at the same places overrides this.
    virtual bool drawTextRun(const QStringList& characters, const QList<double>& xs, double y)
    {
        for (qsizetype i = 0; i < characters.size(); ++i) {
            setPosition(xs.at(i), y);
            if (!drawText(characters.at(i))) return false;
        }
        return true;
    }

    // Transparent text leaves the background under the characters as it is.
    virtual void setTransparentText(bool transparent) = 0;

    // Width in device pixels (0 counts as 1), style from LineStyle(), colour 0x00BBGGRR.
    virtual bool drawLine(double x1, double y1, double x2, double y2, int widthPixels, Qt::PenStyle style,
                          quint32 bgr) = 0;

    // A filled rectangle without outline (barcode bars), colour 0x00BBGGRR.
    virtual bool fillRectangle(double x, double y, double width, double height, quint32 bgr) = 0;

    // The picture stretched into the rectangle.
    virtual bool drawPicture(const QImage& picture, double x, double y, double width, double height) = 0;

    // The next page of the same job. The page is started by the next drawing, so a job that
    // ends right after newPage() gets no empty page. endDocument() finishes the job; the
    // next drawing starts a new job on the same device.
    virtual bool newPage() = 0;
    virtual bool endDocument() = 0;

    virtual QString printerName() const = 0;
    virtual QString lastError() const = 0;

    // Line style codes of the formats (a Line box's Cash − 1): 0 solid, 1 dash, 2 dot,
    // 3 dash-dot, 4 dash-dot-dot; anything else draws solid.
    static Qt::PenStyle LineStyle(int code)
    {
        switch (code) {
        case 1: return Qt::DashLine;
        case 2: return Qt::DotLine;
        case 3: return Qt::DashDotLine;
        case 4: return Qt::DashDotDotLine;
        default: return Qt::SolidLine;
        }
    }

    static QColor ColorFromBgr(quint32 bgr)
    {
        return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    }
};

} // namespace kestrio
