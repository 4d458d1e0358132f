#include "WidgetPlace.h"

#include "GuiScreenInfo.h"
#include "seams/ScreenInfo.h"

#include <QComboBox>
#include <QWidget>

#include <cmath>

namespace kestrio {

int WidgetPlace::ToTwipsX(int pixels)
{
    return static_cast<int>(std::lround(pixels * GuiScreenInfo::TwipsPerPixelX()));
}

int WidgetPlace::ToTwipsY(int pixels)
{
    return static_cast<int>(std::lround(pixels * GuiScreenInfo::TwipsPerPixelY()));
}

int WidgetPlace::ToPixelsX(int twips)
{
    return static_cast<int>(std::lround(twips / GuiScreenInfo::TwipsPerPixelX()));
}

int WidgetPlace::ToPixelsY(int twips)
{
    return static_cast<int>(std::lround(twips / GuiScreenInfo::TwipsPerPixelY()));
}

QRect WidgetPlace::ToTwips(const QRect& pixels)
{
    return {ToTwipsX(pixels.left()), ToTwipsY(pixels.top()), ToTwipsX(pixels.width()), ToTwipsY(pixels.height())};
}

QRect WidgetPlace::ToPixels(const QRect& twips)
{
    return {ToPixelsX(twips.left()), ToPixelsY(twips.top()), ToPixelsX(twips.width()), ToPixelsY(twips.height())};
}

void WidgetPlace::SetGeometryTwips(QWidget& widget, int left, int top, int width, int height)
{
    widget.setGeometry(ToPixels(QRect(left, top, qMax(0, width), qMax(0, height))));
}

QSize WidgetPlace::FrameExtra(const QWidget& window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

QRect WidgetPlace::PlaceTwips(const QWidget& window)
{
    return ToTwips(window.frameGeometry());
}

void WidgetPlace::MoveTwips(QWidget& window, int left, int top)
{
    window.move(ToPixelsX(left), ToPixelsY(top));
}

void WidgetPlace::ResizeTwips(QWidget& window, int width, int height)
{
    const QSize extra = FrameExtra(window);
    window.resize(qMax(1, ToPixelsX(width) - extra.width()), qMax(1, ToPixelsY(height) - extra.height()));
}

void WidgetPlace::SaveWindowPlace(Params& params, const QWidget& window, const QString& key, const ScreenInfo& screen)
{
    params.SaveWindowPlace(key, PlaceTwips(window), screen.ScreenWidthTwips());
}

void WidgetPlace::RestoreWindowPlace(Params& params, QWidget& window, const QString& key, const ScreenInfo& screen)
{
    ApplyPlace(window, params.RestoreWindowPlace(key, screen.ScreenWidthTwips(), screen.ScreenHeightTwips()));
}

void WidgetPlace::ApplyPlace(QWidget& window, const Params::WindowPlace& place)
{
    if (place.move) MoveTwips(window, place.left, place.top);
    if (place.resize) ResizeTwips(window, place.width, place.height);
}

void WidgetPlace::CentreInWorkArea(QWidget& window, const ScreenInfo& screen)
{
    const QRect place = PlaceTwips(window);
    const int left = (screen.ScreenWidthTwips() - place.width()) / 2;
    const int top = (screen.ScreenHeightTwips() - place.height() - screen.TaskbarHeightTwips()) / 2;
    MoveTwips(window, left, top);
}

void WidgetPlace::LoadKeywordList(Params& params, QComboBox& list, const QString& name)
{
    list.clear();
    const QStringList entries = params.LoadKeywordList(name);
    list.addItems(entries);
    list.setEditText(entries.isEmpty() ? QString() : entries.first());
}

void WidgetPlace::SaveKeywordList(Params& params, const QComboBox& list, const QString& name)
{
    QStringList entries;
    for (int i = 0; i < list.count(); ++i) entries << list.itemText(i);
    params.SaveKeywordList(name, list.currentText(), entries);
}

} // namespace kestrio
