#pragma once

#include "print/Barcode.h"
#include "print/PrintSurface.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kestrio {

class ElementTable;
class Prompter;
class ScreenInfo;
class Workspace;

// The printed font size that makes a box's text as wide on paper, relative to the page, as it
// looks on the design canvas relative to the canvas frame. The search measures on the printer,
// so the result is kept per font, size, boldness and page: a batch searches once per font.
class FittedFontSizes {
public:
    // Twelve ideographs whose width stands for a box's text.
    static const QString& ReferenceText();

    // `frameWidthTwips`: the width of the canvas frame on screen (the canvas at fit zoom).
    FittedFontSizes(const ScreenInfo& screen, double frameWidthTwips)
        : mScreen(screen), mFrameWidthTwips(frameWidthTwips) {}

    // Leaves the surface's font at the fitted size and answers it.
    double Fit(PrintSurface& surface, PrintSurface::Font font, double pageWidthMm);

    // Searches done so far (each cache miss is one).
    int Searches() const { return mSearches; }
    void Clear() { mSizes.clear(); }

private:
    double Search(PrintSurface& surface, PrintSurface::Font font, double target);

    const ScreenInfo& mScreen;
    double mFrameWidthTwips;
    QHash<QString, double> mSizes;
    int mSearches = 0;
};

// Draws one bill of the open format on a print surface: the contents of every box at its
// millimetre position plus the print offsets, in its font, laid out by its data type; the
// background image and the ruler grid when the format asks for them. Nothing of the blank
// form is printed unless the background is asked for.
class BillRenderer {
public:
    struct Environment {
        const ScreenInfo& screen;
        // Width of the canvas frame in screen twips; the fitted font sizes follow it.
        double frameWidthTwips = 0;
        Barcode::Standard barcodeStandard = Barcode::Standard::Code39;
        // The format's background image (empty when it has none).
        QImage background;
        // Where messages go (an unprintable barcode character).
        Prompter* prompter = nullptr;
        // "自动设置纸张": asked to make the page W × H mm before the bill is drawn.
        std::function<void(double widthMm, double heightMm)> installPaperForm;
        // The preview: text that runs past its box's bottom gets a red frame round the box.
        bool markOverflow = false;
        // The design canvas draws only some rows (the box being typed in shows itself) and
        // lines in their selected colour; empty for a printed page.
        std::function<bool(int row)> drawsRow = {};
        std::function<quint32(int row, quint32 colour)> lineColour = {};
    };

    // Where the boxes of a format land on a page (twips): the print offsets and the shifts
    // of "纵向打印" and "卡纸器两边向中间收缩" applied.
    struct Placement {
        // `offsetXMm`, `offsetYMm` as RenderBill takes them (minus the print offsets).
        Placement(const Workspace& ws, double offsetXMm, double offsetYMm, double pageWidthTwips,
                  double pageHeightTwips);
        QPointF Place(double xMm, double yMm) const;

        double offsetX, offsetY, pageW, pageH, formatW, formatH;
        bool turned, centred;
    };

    BillRenderer(PrintSurface& surface, Environment environment);

    // One page. `offsetXMm`, `offsetYMm` are minus the format's print offsets. False when the
    // surface failed (its lastError() says why); a picture that cannot be read or a barcode
    // character that cannot be printed does not fail the page.
    bool RenderBill(const Workspace& ws, double offsetXMm, double offsetYMm);
    // The millimetre grid over the whole printer page.
    bool DrawRulerGrid();

    // The rectangle (twips) a box may put ink into: the box, or a line's end points; nothing
    // for a box that prints nothing (empty content, an amount without digits).
    static std::optional<QRectF> InkArea(const Workspace& ws, int row, const Placement& placement);
    // What a box prints: its text, "√" for a ticked check box, a label's caption.
    static QString PrintedContent(const Workspace& ws, int row);

    // Text boxes whose text, broken into lines as printed, runs past the box's bottom. The
    // fonts are fitted on the current surface, so the answer is the printer's.
    QList<int> OverflowingRows(const Workspace& ws);

    // The first text box whose amount cannot be printed whole in its amount cells: its
    // digits are more than the cells. -1 when every amount fits.
    static int AmountOverflowRow(const Workspace& ws);
    // The characters an amount box prints, one per cell: "￥" (a space for codes over 300)
    // and the amount in fen, cut to the last `cells` characters and padded on the left.
    static QString AmountCells(const QString& text, int code);
    // The number of cells of an amount code (1–99 and 301–399); 0 for any other code.
    static int AmountCellCount(int code);

    // One barcode in the rectangle (twips) on any surface, the printed page or a picture box
    // on the canvas: Code 39 at the widest narrow width that fits, or EAN-13 over the whole
    // width. A font size of 0 prints no human-readable text. An unprintable Code 39
    // character is reported to `prompter` (when given) and cuts the symbol off there.
    static bool DrawBarcode(PrintSurface& surface, const QString& text, double left, double top, double width,
                            double height, double fontSize, const QString& fontName, Barcode::Standard standard,
                            Prompter* prompter);

    FittedFontSizes& FontSizes() { return mFontSizes; }
    void MarkOverflow(bool mark) { mEnv.markOverflow = mark; }
    // Draw on another surface from now on (a printer chosen anew); its fonts are searched
    // afresh unless `sameResolution` says the new surface measures as the old one did.
    void SetSurface(PrintSurface& surface, bool sameResolution = false);
    PrintSurface& Surface() const { return *mSurface; }

private:
    struct Box;

    static Box MakeBox(const ElementTable& table, int row, const Placement& placement);
    static PrintSurface::Font BoxFont(const ElementTable& table, int row);
    // Codes printed as a block of lines rather than one character per cell.
    static bool IsTextBlock(int code);

    bool DrawBox(const Workspace& ws, int row, const Box& box);
    bool SetBoxFont(const Workspace& ws, int row);
    bool MarkBox(const Box& box);
    // Lays the text out in the box; draws it when `draw`. `overflows` tells whether a line
    // after the first lies below the box's bottom.
    bool DrawTextBlock(const QString& text, const Box& box, bool draw, bool* overflows);
    qsizetype FittingCount(const QString& paragraph, const QList<qsizetype>& starts, const QList<double>& widths,
                           qsizetype start, double w, double spacing) const;
    bool DrawCharacterCells(const QString& text, double x, double y, double w, int cells, int alignment);

    bool DrawPictureFile(const QString& path, const Box& box);

    PrintSurface* mSurface;
    Environment mEnv;
    FittedFontSizes mFontSizes;
};

// The characters of a text as printed one by one (a surrogate pair stays whole).
QStringList PrintCharacters(const QString& text);

} // namespace kestrio
