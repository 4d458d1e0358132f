#pragma once

#include "seams/ScreenInfo.h"

class QScreen;

namespace kestrio {

// The primary screen as the program sees it, in twips: a pixel is 1440 / logical dots per
// inch twips. The work area is what the screen has left after the taskbar and panels.
class GuiScreenInfo final : public ScreenInfo {
public:
    int ScreenWidthTwips() const override;
    int ScreenHeightTwips() const override;
    int TaskbarHeightTwips() const override;
    int TextWidthTwips(const QString& text, const QString& fontName, double pointSize, bool bold = false) const override;

    // Twips per pixel across and down; 15 on an ordinary 96 dpi screen.
    static double TwipsPerPixelX();
    static double TwipsPerPixelY();

private:
    static QScreen* Screen();
};

} // namespace kestrio
