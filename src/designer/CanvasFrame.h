#pragma once

namespace kestrio {

class Workspace;

// The canvas the designer works on, in whole canvas units: on screen a unit is a twip of the
// main window, on the command line a thousandth of a millimetre. The scale k = canvas width ÷
// page width in millimetres; the designer's fixed distances (copy offsets, the new boxes'
// default geometry) are given in twips and scaled by `unitsPerTwip`.
struct CanvasFrame {
    double width = 0;
    double height = 0;
    double pageWidthMm = 1;
    double unitsPerTwip = 1;

    double Scale() const { return pageWidthMm > 0 ? width / pageWidthMm : 1; }
    // Millimetres → units, nearest whole unit, halves to even.
    int ToUnits(double mm) const;
    // Units → millimetres to the nearest thousandth, halves to even.
    double ToMm(double units) const;
    // A distance in twips of the window, in whole units.
    int Twips(int twips) const;

    // The page of the workspace at a thousand units per millimetre: exact for every stored
    // value, for work without a screen.
    static CanvasFrame Exact(const Workspace& workspace);
};

} // namespace kestrio
