#pragma once

#include <QString>

namespace kestrio {

// What the program needs to know about the screen, in twips (1440 per inch).
class ScreenInfo {
public:
    virtual ~ScreenInfo() = default;
    virtual int ScreenWidthTwips() const = 0;
    virtual int ScreenHeightTwips() const = 0;
    // Height of the part of the screen outside the work area (the taskbar), in twips.
    virtual int TaskbarHeightTwips() const = 0;
    // Width of `text` in the given font on screen, in twips.
    virtual int TextWidthTwips(const QString& text, const QString& fontName, double pointSize,
                               bool bold = false) const = 0;
};

// Fixed numbers, for tests and the command line.
class FixedScreenInfo final : public ScreenInfo {
public:
    FixedScreenInfo(int widthTwips = 19200, int heightTwips = 10800, int taskbarTwips = 600)
        : mWidth(widthTwips), mHeight(heightTwips), mTaskbar(taskbarTwips) {}
    int ScreenWidthTwips() const override { return mWidth; }
    int ScreenHeightTwips() const override { return mHeight; }
    int TaskbarHeightTwips() const override { return mTaskbar; }
    // A plain estimate: every character one em wide (20 twips per point).
    int TextWidthTwips(const QString& text, const QString&, double pointSize, bool = false) const override
    {
        return static_cast<int>(text.size() * pointSize * 20);
    }

private:
    int mWidth;
    int mHeight;
    int mTaskbar;
};

} // namespace kestrio
