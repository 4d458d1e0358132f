#include "LayoutGeometry.h"

#include "format/ElementTable.h"

#include <algorithm>
#include <cstdlib>

namespace kestrio {

UnitRect LayoutGeometry::Band(int x1, int y1, int x2, int y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)};
}

bool LayoutGeometry::BoxMeetsBand(const UnitRect& box, const UnitRect& band)
{
    return !(box.Bottom() < band.top || box.Right() < band.left || box.left > band.Right() || box.top > band.Bottom());
}

bool LayoutGeometry::LineMeetsBand(const UnitLine& line, const UnitRect& band)
{
    const auto inside = [&band](int x, int y) {
        return x >= band.left && x <= band.Right() && y >= band.top && y <= band.Bottom();
    };
    return inside(line.x1, line.y1) || inside(line.x2, line.y2);
}

Zone LayoutGeometry::BoxZone(int x, int y, int width, int height, int kind, int corner)
{
    if (x < corner && y < corner) return Zone::Move;
    if (x > width - corner && y > height - corner && kind != ElementTable::CheckBox) return Zone::Size;
    return Zone::Type;
}

void LayoutGeometry::HandleCentre(Handle handle, const UnitRect& box, int* x, int* y)
{
    const int midX = box.left + box.width / 2, midY = box.top + box.height / 2;
    switch (handle) {
    case Handle::TopLeft: *x = box.left, *y = box.top; break;
    case Handle::Top: *x = midX, *y = box.top; break;
    case Handle::TopRight: *x = box.Right(), *y = box.top; break;
    case Handle::Right: *x = box.Right(), *y = midY; break;
    case Handle::BottomRight: *x = box.Right(), *y = box.Bottom(); break;
    case Handle::Bottom: *x = midX, *y = box.Bottom(); break;
    case Handle::BottomLeft: *x = box.left, *y = box.Bottom(); break;
    case Handle::Left: *x = box.left, *y = midY; break;
    default: *x = midX, *y = midY; break;
    }
}

Handle LayoutGeometry::BoxHandleAt(int x, int y, const UnitRect& box, int reach)
{
    // Corners before the middles of the edges, so a small box can still be sized by a corner.
    for (Handle handle : {Handle::TopLeft, Handle::TopRight, Handle::BottomRight, Handle::BottomLeft, Handle::Top,
                          Handle::Right, Handle::Bottom, Handle::Left}) {
        int cx = 0, cy = 0;
        HandleCentre(handle, box, &cx, &cy);
        if (std::abs(x - cx) <= reach && std::abs(y - cy) <= reach) return handle;
    }
    return Handle::None;
}

Handle LayoutGeometry::LineHandleAt(int x, int y, const UnitLine& line, int reach)
{
    if (std::abs(x - line.x1) <= reach && std::abs(y - line.y1) <= reach) return Handle::End1;
    if (std::abs(x - line.x2) <= reach && std::abs(y - line.y2) <= reach) return Handle::End2;
    return Handle::None;
}

UnitRect LayoutGeometry::DragHandle(const UnitRect& box, Handle handle, int dx, int dy)
{
    const bool left = handle == Handle::TopLeft || handle == Handle::Left || handle == Handle::BottomLeft;
    const bool right = handle == Handle::TopRight || handle == Handle::Right || handle == Handle::BottomRight;
    const bool top = handle == Handle::TopLeft || handle == Handle::Top || handle == Handle::TopRight;
    const bool bottom = handle == Handle::BottomLeft || handle == Handle::Bottom || handle == Handle::BottomRight;
    UnitRect after = box;
    if (left) {
        after.left = std::min(box.left + dx, box.Right());
        after.width = box.Right() - after.left;
    } else if (right) {
        after.width = std::max(box.width + dx, 0);
    }
    if (top) {
        after.top = std::min(box.top + dy, box.Bottom());
        after.height = box.Bottom() - after.top;
    } else if (bottom) {
        after.height = std::max(box.height + dy, 0);
    }
    return after;
}

Zone LayoutGeometry::LineZone(int x, int y, const UnitLine& line, int lineWidth, int minimumReach)
{
    int reach = lineWidth;
    if (reach / 2.0 < minimumReach) reach = minimumReach;
    if (x < std::min(line.x1, line.x2) - reach || x > std::max(line.x1, line.x2) + reach
        || y < std::min(line.y1, line.y2) - reach || y > std::max(line.y1, line.y2) + reach)
        return Zone::None;
    if (std::abs(x - line.x1) <= reach && std::abs(y - line.y1) <= reach) return Zone::LineEnd1;
    if (std::abs(x - line.x2) <= reach && std::abs(y - line.y2) <= reach) return Zone::LineEnd2;
    if (std::abs(line.x2 - line.x1) <= lineWidth) {
        const bool between = y >= std::min(line.y1, line.y2) && y <= std::max(line.y1, line.y2);
        return between ? Zone::LineBody : Zone::None;
    }
    const double slope = double(line.y2 - line.y1) / double(line.x2 - line.x1);
    const double lineY = line.y1 + slope * (x - line.x1);
    return std::abs(y - lineY) <= reach ? Zone::LineBody : Zone::None;
}

void LayoutGeometry::CaptionPlace(int code, const UnitRect& box, int labelWidth, int labelHeight, int drop, int* left,
                                  int* top)
{
    switch (code) {
    case 1: *left = box.left - labelWidth; *top = box.top + drop; break;
    case 2: *left = box.Right(); *top = box.top + drop; break;
    case 3: *left = box.left; *top = box.Bottom(); break;
    default: *left = box.left; *top = box.top - labelHeight; break;
    }
}

QString LayoutGeometry::CopyCaption(const QString& source, int copy)
{
    qsizetype digits = source.size();
    while (digits > 0 && source.at(digits - 1) >= u'0' && source.at(digits - 1) <= u'9') --digits;
    const QString prefix = source.left(digits);
    // A run of digits too long for a number counts from 0, as text that is no number does.
    bool ok = false;
    const qlonglong number = source.mid(digits).toLongLong(&ok);
    return prefix + QString::number((ok ? number : 0) + copy);
}

} // namespace kestrio
