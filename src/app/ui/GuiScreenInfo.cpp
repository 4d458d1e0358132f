#include "GuiScreenInfo.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kestrio {

namespace {

// Without a screen (a program started with no display) the usual desktop stands in.
constexpr double kFallbackDpi = 96.0;
constexpr int kFallbackWidthPx = 1920;
constexpr int kFallbackHeightPx = 1080;

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}

} // namespace

QScreen* GuiScreenInfo::Screen()
{
    return QGuiApplication::primaryScreen();
}

double GuiScreenInfo::TwipsPerPixelX()
{
    const QScreen* screen = Screen();
    const double dpi = screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : kFallbackDpi;
    return 1440.0 / dpi;
}

double GuiScreenInfo::TwipsPerPixelY()
{
    const QScreen* screen = Screen();
    const double dpi = screen && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : kFallbackDpi;
    return 1440.0 / dpi;
}

int GuiScreenInfo::ScreenWidthTwips() const
{
    const QScreen* screen = Screen();
    return Round((screen ? screen->geometry().width() : kFallbackWidthPx) * TwipsPerPixelX());
}

int GuiScreenInfo::ScreenHeightTwips() const
{
    const QScreen* screen = Screen();
    return Round((screen ? screen->geometry().height() : kFallbackHeightPx) * TwipsPerPixelY());
}

int GuiScreenInfo::TaskbarHeightTwips() const
{
    const QScreen* screen = Screen();
    if (!screen) return 0;
    return Round((screen->geometry().height() - screen->availableGeometry().height()) * TwipsPerPixelY());
}

int GuiScreenInfo::TextWidthTwips(const QString& text, const QString& fontName, double pointSize, bool bold) const
{
    QFont font(fontName);
    font.setBold(bold);
    if (pointSize > 0) font.setPointSizeF(pointSize);
    return Round(QFontMetricsF(font).horizontalAdvance(text) * TwipsPerPixelX());
}

} // namespace kestrio
