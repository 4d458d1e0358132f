#include "designer/LayoutGeometry.h"
#include "format/ElementTable.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kestrio {
namespace {

TEST(LayoutGeometryTest, BandMeetsBoxesAndLineEnds)
{
    const UnitRect box{1000, 1000, 500, 300};
    const UnitLine line{100, 2000, 3000, 2000};
    struct Case { UnitRect band; bool box; bool line; };
    const Case cases[] = {
        {LayoutGeometry::Band(1500, 900, 1800, 1100), true, false}, // touches the right edge
        {LayoutGeometry::Band(1501, 900, 1800, 1100), false, false},
        {LayoutGeometry::Band(1800, 1301, 900, 1400), false, false}, // corners reversed, below
        {LayoutGeometry::Band(1000, 1900, 1200, 2100), false, false}, // across the line's middle only
        {LayoutGeometry::Band(0, 1900, 100, 2100), false, true}, // first end on the edge
        {LayoutGeometry::Band(2990, 2000, 3100, 2000), false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayoutGeometry::BoxMeetsBand(box, c.band), c.box) << c.band.left << ',' << c.band.top;
        EXPECT_EQ(LayoutGeometry::LineMeetsBand(line, c.band), c.line) << c.band.left << ',' << c.band.top;
    }
}

TEST(LayoutGeometryTest, StepsOfTheBandAndTheDrag)
{
    EXPECT_FALSE(LayoutGeometry::BandFollows(500, 500, 590, 410, 100));
    EXPECT_TRUE(LayoutGeometry::BandFollows(500, 500, 601, 500, 100));
    EXPECT_TRUE(LayoutGeometry::BandFollows(500, 500, 500, 399, 100));
    EXPECT_FALSE(LayoutGeometry::DragSteps(10, -10, 12));
    EXPECT_TRUE(LayoutGeometry::DragSteps(13, 0, 12));
    EXPECT_TRUE(LayoutGeometry::DragSteps(0, -13, 12));
}

TEST(LayoutGeometryTest, HandlesOfTheSelectionFrame)
{
    const UnitRect box{1000, 1000, 500, 300};
    struct Case { int x, y; Handle handle; int dx, dy; UnitRect after; };
    const Case cases[] = {
        {1040, 960, Handle::TopLeft, 100, -50, {1100, 950, 400, 350}},
        {1250, 1300, Handle::Bottom, 70, 40, {1000, 1000, 500, 340}},     // the middle of an edge takes one way only
        {1560, 1150, Handle::Right, -600, 0, {1000, 1000, 0, 300}},      // never below 0
        {940, 1150, Handle::Left, 700, 0, {1500, 1000, 0, 300}},         // stops at the right edge
        {1500, 1300, Handle::BottomRight, 10, 20, {1000, 1000, 510, 320}},
        {1500, 1000, Handle::TopRight, 20, 20, {1000, 1020, 520, 280}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayoutGeometry::BoxHandleAt(c.x, c.y, box, 65), c.handle) << c.x << ',' << c.y;
        const UnitRect after = LayoutGeometry::DragHandle(box, c.handle, c.dx, c.dy);
        EXPECT_EQ(std::tie(after.left, after.top, after.width, after.height),
                  std::tie(c.after.left, c.after.top, c.after.width, c.after.height))
            << c.x << ',' << c.y;
    }
    EXPECT_EQ(LayoutGeometry::BoxHandleAt(1250, 1150, box, 65), Handle::None);
    const UnitLine line{100, 200, 900, 200};
    EXPECT_EQ(LayoutGeometry::LineHandleAt(150, 240, line, 65), Handle::End1);
    EXPECT_EQ(LayoutGeometry::LineHandleAt(860, 170, line, 65), Handle::End2);
    EXPECT_EQ(LayoutGeometry::LineHandleAt(500, 200, line, 65), Handle::None);
}

TEST(LayoutGeometryTest, ZonesOfBoxesAndLines)
{
    struct BoxCase { int x, y, kind; Zone zone; };
    const BoxCase boxes[] = {
        {99, 99, ElementTable::TextBox, Zone::Move},      {401, 201, ElementTable::TextBox, Zone::Size},
        {401, 150, ElementTable::TextBox, Zone::Type},    {401, 201, ElementTable::CheckBox, Zone::Type},
        {100, 50, ElementTable::PictureBox, Zone::Type},  {450, 250, ElementTable::Label, Zone::Size},
    };
    for (const BoxCase& c : boxes)
        EXPECT_EQ(LayoutGeometry::BoxZone(c.x, c.y, 500, 300, c.kind, 100), c.zone) << c.x << ',' << c.y;

    const UnitLine flat{1000, 1000, 3000, 1000};
    const UnitLine upright{1000, 1000, 1010, 3000};
    struct LineCase { UnitLine line; int x, y; Zone zone; };
    const LineCase lines[] = {
        {flat, 1030, 970, Zone::LineEnd1}, {flat, 2990, 1020, Zone::LineEnd2}, {flat, 2000, 1030, Zone::LineBody},
        {flat, 2000, 1031, Zone::None},    {flat, 969, 1000, Zone::None},      {upright, 1005, 2000, Zone::LineBody},
        {upright, 1005, 3031, Zone::None},
    };
    for (const LineCase& c : lines)
        EXPECT_EQ(LayoutGeometry::LineZone(c.x, c.y, c.line, 15, 30), c.zone) << c.x << ',' << c.y;
}

TEST(LayoutGeometryTest, CaptionPlacesAndCopyCaptions)
{
    const UnitRect box{1000, 1000, 500, 300};
    struct Case { int code, left, top; };
    for (const Case& c : {Case{0, 1000, 800}, Case{1, 600, 1040}, Case{2, 1500, 1040}, Case{3, 1000, 1300}, Case{7, 1000, 800}}) {
        int left = 0, top = 0;
        LayoutGeometry::CaptionPlace(c.code, box, 400, 200, 40, &left, &top);
        EXPECT_EQ(left, c.left) << c.code;
        EXPECT_EQ(top, c.top) << c.code;
    }
    struct Copy { const char16_t* source; int copy; const char16_t* caption; };
    for (const Copy& c : {Copy{u"No.9", 1, u"No.10"}, Copy{u"No.9", 3, u"No.12"}, Copy{u"金额", 1, u"金额1"},
                          Copy{u"金额1", 2, u"金额3"}, Copy{u"", 1, u"1"}})
        EXPECT_EQ(LayoutGeometry::CopyCaption(QString::fromUtf16(c.source), c.copy), QString::fromUtf16(c.caption));
}

} // namespace
} // namespace kestrio
