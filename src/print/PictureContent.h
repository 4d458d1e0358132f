#pragma once

#include "print/Barcode.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace kestrio {

class Prompter;
class Workspace;

// What a picture box shows on the design canvas: the picture file it names, stretched to the
// box, or the barcode it holds drawn into the box, and the tooltip that goes with it. The
// canvas puts the view on its control; the content is kept in the workspace like any other.
class PictureContent {
public:
    struct View {
        QString toolTip;
        QImage image; // null when the box shows nothing
    };

    static QString EmptyToolTip();
    static QString BarcodeToolTip(const QString& text);
    static QString BarcodePrompt();

    // Puts `content` into picture box `row`: a text with "." names a picture file (kept only
    // when the file exists), any other text is a barcode. `size` is the box on screen in
    // pixels at `dpi`; `fontSize` the size of the barcode's human-readable text.
    static View SetPictureContent(Workspace& ws, int row, const QString& content, QSize size, double dpi,
                                  double fontSize, Barcode::Standard standard, Prompter* prompter = nullptr);

    // The box's context-menu command: asks for the barcode, preset with the current content,
    // and puts the trimmed answer in. An empty answer or cancel clears the box.
    static View AskBarcode(Workspace& ws, int row, Prompter& prompter, QSize size, double dpi, double fontSize,
                           Barcode::Standard standard);
};

} // namespace kestrio
