#pragma once

#include <QString>

namespace kestrio {

// A box or a line in whole canvas units. For a line (left, top) is its first end and
// (right, bottom) read as its second end, as the element table keeps lines.
struct UnitRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

struct UnitLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

// What a point over an element means to the mouse.
enum class Zone { None, Move, Size, Type, LineEnd1, LineEnd2, LineBody };

// The sizing handles on the selection frame of a box (its corners and the middles of its
// edges) and the two end handles of a line.
enum class Handle { None, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left, End1, End2 };

// The pure geometry of the designer: band tests, mouse zones, caption places and the
// captions of copies. Distances are canvas units (twips on screen).
class LayoutGeometry {
public:
    // The band with its corners put in order.
    static UnitRect Band(int x1, int y1, int x2, int y2);
    // A box meets the band unless it lies wholly beside it; touching edges meet.
    static bool BoxMeetsBand(const UnitRect& box, const UnitRect& band);
    // A line meets the band when one of its ends lies inside it, edges included.
    static bool LineMeetsBand(const UnitLine& line, const UnitRect& band);

    // The band's moving corner follows the mouse only when it is more than `step` away in
    // x or in y (100 twips on screen), so the band grows in steps.
    static bool BandFollows(int cornerX, int cornerY, int x, int y, int step) { return Beyond(x - cornerX, y - cornerY, step); }
    // A drag takes a step only past `threshold` in x or in y (12 twips on screen).
    static bool DragSteps(int dx, int dy, int threshold) { return Beyond(dx, dy, threshold); }

    // The zone of a point (relative to the box) over a box of `kind`; check boxes have no
    // size zone. `corner` is the width of the move and size corners (100 twips on screen).
    static Zone BoxZone(int x, int y, int width, int height, int kind, int corner);
    // The zone of a canvas point against a line `lineWidth` units wide; `minimumReach` is
    // the least half-width that still hits (30 twips on screen).
    static Zone LineZone(int x, int y, const UnitLine& line, int lineWidth, int minimumReach);

    // Half the side of a drawn handle and how far from its centre a point still grabs it
    // (twips on screen).
    static constexpr int kHandleHalf = 50;
    static constexpr int kHandleReach = 65;
    // The centre of a box handle on the box's outline.
    static void HandleCentre(Handle handle, const UnitRect& box, int* x, int* y);
    // The box handle within `reach` of the point (canvas units), the corners first; None.
    static Handle BoxHandleAt(int x, int y, const UnitRect& box, int reach);
    // The line end handle within `reach` of the point; None.
    static Handle LineHandleAt(int x, int y, const UnitLine& line, int reach);
    // The box with the edges the handle holds moved by (dx, dy): a left or top edge never
    // passes the opposite edge, so the size never goes below 0.
    static UnitRect DragHandle(const UnitRect& box, Handle handle, int dx, int dy);

    // Top-left of the caption label of size labelWidth × labelHeight beside `box` for
    // caption position `code` (0 above, 1 left, 2 right, 3 below); `drop` lowers the side
    // captions (40 twips on screen).
    static void CaptionPlace(int code, const UnitRect& box, int labelWidth, int labelHeight, int drop, int* left,
                             int* top);

    // The caption of copy number `copy` of a box captioned `source`: its trailing number
    // (0 when it has none) plus `copy` after the rest of the caption. No.9, 1 → No.10.
    static QString CopyCaption(const QString& source, int copy);

private:
    static bool Beyond(int dx, int dy, int limit) { return dx > limit || -dx > limit || dy > limit || -dy > limit; }
};

} // namespace kestrio
