#pragma once

#include "print/BillRenderer.h"

#include <QImage>

namespace kestrio {

class Workspace;

// The design canvas of a format as a picture of its paper: the background image stretched
// over the format, the frames and captions the canvas shows, and every box's contents drawn
// by the bill renderer at the box's own place (no print offsets, never turned or centred),
// so that what the picture shows is what the printer prints there.
class CanvasPicture {
public:
    struct Options {
        int dpi = 150;          // dots per inch of paper
        bool background = true; // the format's background image, when it has one
        bool frames = true;     // box frames and captions; without them only what prints
    };

    // `environment.background` is the picture laid under the boxes (empty: none).
    static QImage Draw(const Workspace& ws, BillRenderer::Environment environment, const Options& options);

    // Points of the caption text beside a box, as the canvas shows it at 100 %.
    static constexpr double kCaptionPoints = 9;
};

} // namespace kestrio
