#include "CanvasFrame.h"

#include "format/Workspace.h"

#include <cmath>

namespace kestrio {

namespace {
constexpr double kTwipsPerMm = 1440.0 / 25.4;
constexpr double kExactUnitsPerMm = 1000;
} // namespace

int CanvasFrame::ToUnits(double mm) const
{
    return static_cast<int>(std::nearbyint(mm * Scale()));
}

double CanvasFrame::ToMm(double units) const
{
    return std::nearbyint(units / Scale() * 1000) / 1000;
}

int CanvasFrame::Twips(int twips) const
{
    return static_cast<int>(std::nearbyint(twips * unitsPerTwip));
}

CanvasFrame CanvasFrame::Exact(const Workspace& workspace)
{
    CanvasFrame frame;
    frame.pageWidthMm = workspace.Width() > 0 ? workspace.Width() : 1;
    frame.width = frame.pageWidthMm * kExactUnitsPerMm;
    frame.height = (workspace.Height() > 0 ? workspace.Height() : 1) * kExactUnitsPerMm;
    frame.unitsPerTwip = kExactUnitsPerMm / kTwipsPerMm;
    return frame;
}

} // namespace kestrio
