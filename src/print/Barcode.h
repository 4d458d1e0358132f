#pragma once

#include <QString>
#include <QVector>

namespace kestrio {

// The geometry of the two barcode kinds a picture box can carry, Code 39 and EAN-13,
// worked out in twips without touching any drawing surface. A renderer replays the bars
// (one filled rectangle each, from the symbol's top edge down by the bar's height) and the
// human-readable texts through its own surface, offset by the box's top-left corner.
// Every position here is relative to that corner: x to the right, y downwards.
class Barcode {
public:
    // The "StrBarCodeStand" parameter: 0, empty or missing selects Code 39, any other
    // whole number EAN-13.
    enum class Standard { Code39 = 0, Ean13 = 1 };
    static Standard ParseStandard(const QString& parameterText);

    struct Bar {
        double x = 0;      // left edge, twips
        double width = 0;  // twips
        double height = 0; // twips, from the symbol's top edge down
    };

    // A human-readable character string printed with its top-left corner at (x, y).
    struct Caption {
        QString text;
        double x = 0;
        double y = 0;
    };

    struct Symbol {
        QVector<Bar> bars;
        QVector<Caption> captions;
        QString text;        // the text as encoded: framed Code 39 text, or the 13 EAN digits
        bool rejected = false; // Code 39 only: an unaccepted character cut the symbol off
    };

    // Font metrics of the surface, in twips, for the font the caption is printed in.
    struct TextMetrics {
        double textHeight = 0;     // text height (of the text, or of "0" for EAN-13)
        double nineWidth = 0;      // text width of "9" (EAN-13)
        double zeroWidth = 0;      // text width of "0" (EAN-13)
    };

    // ---- Code 39 ----
    // Standard proportions: narrow bar = narrow space = inter-character gap = `narrow`,
    // wide bar = wide space = 3 × `narrow`; every character (gap included) takes 16 narrow.

    // Upper-cases the text and frames it with "*" at either end unless already there.
    static QString FrameCode39(const QString& text);
    // Index 0..39 in the Code 39 table, -1 for a character Code 39 cannot carry.
    static int Code39Index(QChar c);
    // The message shown when a text holds a character Code 39 cannot carry.
    static QString Code39InvalidMessage();

    // Total width in twips of the framed text; the walk stops silently at an unaccepted
    // character. 0 for an empty text.
    static int MeasureCode39(const QString& text, int narrow);
    // The largest narrow width (whole twips) whose symbol fits into `available` twips;
    // 0 when none fits or the text is empty.
    static int FitCode39Narrow(const QString& text, int available);
    // Bars (and, when `showText`, one caption per character under its bars) of the framed
    // text. `showText` means the caller's font size is above 0 and the text is to be shown;
    // the bars are then shortened by `textHeight`. An unaccepted character ends the
    // symbol there with `rejected` set (the caller shows Code39InvalidMessage()). An empty
    // text or a narrow width of 0 or less gives an empty symbol.
    static Symbol LayoutCode39(const QString& text, int narrow, int height, bool showText,
                               double textHeight);

    // ---- EAN-13 ----
    // Normalises `text` to its 13-digit code (first 13 characters, digits only, left-padded
    // with "0" to 12, first 12 kept, computed check digit appended) and returns the 95
    // module bits as "0"/"1".
    static QString EncodeEan13(QString& text);
    // Check digit of 12 digits (weights 3, 1, 3, … from the rightmost).
    static int Ean13CheckDigit(const QString& twelveDigits);
    // Bars and digits of one EAN-13 symbol in a box `width` × `height` twips. The bars are
    // shortened by the text height when `fontSize` > 0 and `showText`; the digits are
    // printed when `fontSize` >= 2. Normal bars end 30 twips above the text line, guard
    // bars reach half the text height below it.
    static Symbol LayoutEan13(const QString& text, int width, int height, int fontSize,
                              bool showText, const TextMetrics& metrics);

private:
    static QString Code39Pattern(int index);
};

} // namespace kestrio
