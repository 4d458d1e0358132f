#pragma once

#include "app/Params.h"

#include <QRect>
#include <QString>

class QComboBox;
class QWidget;

namespace kestrio {

class ScreenInfo;

// The widget side of the stored window places and keyword lists, and the conversions between
// the twips in which the program lays out its windows and the pixels Qt places them in.
class WidgetPlace {
public:
    static int ToTwipsX(int pixels);
    static int ToTwipsY(int pixels);
    static int ToPixelsX(int twips);
    static int ToPixelsY(int twips);
    static QRect ToTwips(const QRect& pixels);
    static QRect ToPixels(const QRect& twips);

    // Places `widget` inside its parent at a rectangle given in twips.
    static void SetGeometryTwips(QWidget& widget, int left, int top, int width, int height);
    // The outer rectangle of a window (its frame included), in twips.
    static QRect PlaceTwips(const QWidget& window);
    // Moves the outer frame to `left`, `top` and sizes it to `width` × `height`, in twips.
    static void MoveTwips(QWidget& window, int left, int top);
    static void ResizeTwips(QWidget& window, int width, int height);

    static void SaveWindowPlace(Params& params, const QWidget& window, const QString& key, const ScreenInfo& screen);
    static void RestoreWindowPlace(Params& params, QWidget& window, const QString& key, const ScreenInfo& screen);
    static void ApplyPlace(QWidget& window, const Params::WindowPlace& place);
    // What the window manager's frame adds to the window's own size, in pixels; nothing
    // before the window is first shown.
    static QSize FrameExtra(const QWidget& window);

    // Dialogs and the main window sit in the middle of the work area (the screen less the
    // taskbar).
    static void CentreInWorkArea(QWidget& window, const ScreenInfo& screen);

    // The entries go into the list and the first one into the edit field.
    static void LoadKeywordList(Params& params, QComboBox& list, const QString& name);
    static void SaveKeywordList(Params& params, const QComboBox& list, const QString& name);
};

} // namespace kestrio
