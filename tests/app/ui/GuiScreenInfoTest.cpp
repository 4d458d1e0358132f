#include "workbench/ui/GuiApplication.h"
#include "app/ui/GuiScreenInfo.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>

namespace kestrio {
namespace {

TEST(GuiScreenInfoTest, ScreenIsMeasuredInTwipsOfTheLogicalResolution)
{
    GuiScreenInfo info;
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const double perPixel = 1440.0 / screen->logicalDotsPerInchX();
    EXPECT_DOUBLE_EQ(GuiScreenInfo::TwipsPerPixelX(), perPixel);
    EXPECT_EQ(info.ScreenWidthTwips(), std::lround(screen->geometry().width() * perPixel));
    const int taskbarPixels = screen->geometry().height() - screen->availableGeometry().height();
    EXPECT_EQ(info.TaskbarHeightTwips(), std::lround(taskbarPixels * GuiScreenInfo::TwipsPerPixelY()));
}

// Chinese ideographs are one em wide: four of them at 12 points are four times 240 twips,
// which holds only when 宋体 reaches a CJK face.
TEST(GuiScreenInfoTest, ChineseTextIsOneEmPerIdeograph)
{
    GuiScreenInfo info;
    const int width = info.TextWidthTwips(QStringLiteral("壹仟贰佰"), QStringLiteral("宋体"), 12);
    EXPECT_NEAR(width, 960, 2 * GuiScreenInfo::TwipsPerPixelX());
    EXPECT_EQ(info.TextWidthTwips(QString(), QStringLiteral("宋体"), 12), 0);
}

TEST(GuiScreenInfoTest, WindowsFontNamesReachTheInstalledChineseFamilies)
{
    GuiApplication::RegisterFontSubstitutions();
    GuiApplication::RegisterFontSubstitutions();
    const QList<QPair<const char16_t*, QString>> expected{
        {u"宋体", QStringLiteral("noto serif cjk sc")}, {u"新宋体", QStringLiteral("noto serif cjk sc")},
        {u"仿宋", QStringLiteral("noto serif cjk sc")}, {u"楷体", QStringLiteral("noto serif cjk sc")},
        {u"黑体", QStringLiteral("noto sans cjk sc")},  {u"微软雅黑", QStringLiteral("noto sans cjk sc")},
    };
    for (const auto& [name, family] : expected)
        EXPECT_EQ(QFont::substitutes(QString::fromUtf16(name)).join(QLatin1Char('|')).toLower(), family);
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("宋体"))).family(), QStringLiteral("Noto Serif CJK SC"));
}

} // namespace
} // namespace kestrio
