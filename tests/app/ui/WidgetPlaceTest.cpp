#include "TestApp.h"
#include "app/ui/GuiScreenInfo.h"
#include "app/ui/WidgetPlace.h"

#include <QComboBox>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace kestrio {
namespace {

int Pixels(double twips, double perPixel)
{
    return static_cast<int>(std::lround(twips / perPixel));
}

class WidgetPlaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.Open()); }
    Params& Parameters() { return mTest.app->Parameters(); }

    test::TestApp mTest;
    GuiScreenInfo mScreen;
};

TEST_F(WidgetPlaceTest, WindowAsWideAsTheScreenKeepsItsDesignedPlace)
{
    QWidget window;
    window.setGeometry(0, 0, WidgetPlace::ToPixelsX(mScreen.ScreenWidthTwips()), 300);
    WidgetPlace::SaveWindowPlace(Parameters(), window, QStringLiteral("格式模板列表"), mScreen);
    EXPECT_EQ(Parameters().GetParam(QStringLiteral("格式模板列表窗口参数：")), QStringLiteral("0;0;0;0"));

    QWidget designed;
    designed.setGeometry(40, 50, 300, 200);
    WidgetPlace::RestoreWindowPlace(Parameters(), designed, QStringLiteral("格式模板列表"), mScreen);
    EXPECT_EQ(designed.geometry(), QRect(40, 50, 300, 200));
}

TEST_F(WidgetPlaceTest, SmallerWindowComesBackWhereItWas)
{
    QWidget window;
    window.setGeometry(30, 45, 400, 250);
    WidgetPlace::SaveWindowPlace(Parameters(), window, QStringLiteral("网站格式模板列表"), mScreen);
    const QStringList stored = Parameters().GetParam(QStringLiteral("网站格式模板列表窗口参数：")).split(QLatin1Char(';'));
    ASSERT_EQ(stored.size(), 4);
    const double perPixel = GuiScreenInfo::TwipsPerPixelX();
    EXPECT_EQ(stored[2].toInt(), std::lround(400 * perPixel));

    QWidget again;
    again.setGeometry(0, 0, 10, 10);
    WidgetPlace::RestoreWindowPlace(Parameters(), again, QStringLiteral("网站格式模板列表"), mScreen);
    EXPECT_EQ(again.geometry(), QRect(30, 45, 400, 250));
}

TEST_F(WidgetPlaceTest, PlaceOffTheLeftEdgeKeepsPositionButTakesTheSize)
{
    Parameters().SetParam(QStringLiteral("格式模板列表窗口参数："), QStringLiteral("-5000;100;3000;2000"));
    QWidget window;
    window.setGeometry(70, 80, 100, 100);
    WidgetPlace::RestoreWindowPlace(Parameters(), window, QStringLiteral("格式模板列表"), mScreen);
    EXPECT_EQ(window.pos(), QPoint(70, 80));
    EXPECT_EQ(window.size(), QSize(Pixels(3000, GuiScreenInfo::TwipsPerPixelX()),
                                   Pixels(2000, GuiScreenInfo::TwipsPerPixelY())));
}

TEST_F(WidgetPlaceTest, ShortOrEmptyPlaceLeavesTheWindowAsDesigned)
{
    QWidget window;
    window.setGeometry(70, 80, 100, 100);
    Parameters().SetParam(QStringLiteral("甲窗口参数："), QStringLiteral("100;100;3000"));
    WidgetPlace::RestoreWindowPlace(Parameters(), window, QStringLiteral("甲"), mScreen);
    WidgetPlace::RestoreWindowPlace(Parameters(), window, QStringLiteral("无此窗口"), mScreen);
    EXPECT_EQ(window.geometry(), QRect(70, 80, 100, 100));
}

TEST_F(WidgetPlaceTest, KeywordListPutsTheEditedTextFirst)
{
    QComboBox list;
    list.setEditable(true);
    list.addItems({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")});
    list.setEditText(QStringLiteral("a"));
    WidgetPlace::SaveKeywordList(Parameters(), list, QStringLiteral("格式查找"));
    EXPECT_EQ(Parameters().GetParam(QStringLiteral("格式查找")), QStringLiteral("a||b||c"));

    list.setEditText(QString());
    WidgetPlace::SaveKeywordList(Parameters(), list, QStringLiteral("格式搜索"));
    EXPECT_EQ(Parameters().GetParam(QStringLiteral("格式搜索")), QStringLiteral("b||a||c"));

    QComboBox loaded;
    loaded.setEditable(true);
    loaded.addItem(QStringLiteral("旧的"));
    WidgetPlace::LoadKeywordList(Parameters(), loaded, QStringLiteral("格式查找"));
    ASSERT_EQ(loaded.count(), 3);
    EXPECT_EQ(loaded.itemText(0), QStringLiteral("a"));
    EXPECT_EQ(loaded.itemText(2), QStringLiteral("c"));
    EXPECT_EQ(loaded.currentText(), QStringLiteral("a"));

    WidgetPlace::LoadKeywordList(Parameters(), loaded, QStringLiteral("没有的关键字"));
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_EQ(loaded.currentText(), QString());
}

TEST_F(WidgetPlaceTest, WindowIsCentredInTheWorkArea)
{
    const FixedScreenInfo screen(19200, 10800, 600);
    QWidget window;
    window.resize(WidgetPlace::ToPixelsX(6000), WidgetPlace::ToPixelsY(4000));
    WidgetPlace::CentreInWorkArea(window, screen);
    const QRect place = WidgetPlace::PlaceTwips(window);
    const double perPixel = GuiScreenInfo::TwipsPerPixelX();
    EXPECT_NEAR(place.left(), (19200 - place.width()) / 2, perPixel);
    EXPECT_NEAR(place.top(), (10800 - place.height() - 600) / 2, perPixel);
}

} // namespace
} // namespace kestrio
