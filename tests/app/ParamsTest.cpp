// Named parameters, window places and keyword lists.
#include "TestApp.h"
#include "app/Params.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class ParamsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mApp.Open()); }
    Params& P() { return mApp.app->Parameters(); }
    int Rows(const QString& name)
    {
        return mApp.app->DbOp().OpenQuery(QStringLiteral("SELECT * FROM 参数 WHERE Var='") + name + QStringLiteral("'"))
            .RecordCount();
    }

    test::TestApp mApp;
};

TEST_F(ParamsTest, SetThenGetKeepsOneRowPerName)
{
    EXPECT_EQ(P().GetParam(QStringLiteral("格式查找")), QString());
    P().SetParam(QStringLiteral("格式查找"), QStringLiteral("甲||乙"));
    P().SetParam(QStringLiteral("格式查找"), QStringLiteral("丙's"));
    EXPECT_EQ(P().GetParam(QStringLiteral("格式查找")), QStringLiteral("丙's"));
    EXPECT_EQ(Rows(QStringLiteral("格式查找")), 1);

    P().SetParam(QStringLiteral("O'Brien"), QStringLiteral("x"));
    EXPECT_EQ(P().GetParam(QStringLiteral("O'Brien")), QStringLiteral("x"));
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
}

TEST_F(ParamsTest, WindowPlacesAreStoredInTwipsUnderTheKey)
{
    P().SaveWindowPlace(QStringLiteral("格式模板列表"), QRect(1200, 900, 9000, 6000), 19200);
    EXPECT_EQ(P().GetParam(QStringLiteral("格式模板列表窗口参数：")), QStringLiteral("1200;900;9000;6000"));
    const Params::WindowPlace place = P().RestoreWindowPlace(QStringLiteral("格式模板列表"), 19200, 10800);
    EXPECT_TRUE(place.move);
    EXPECT_TRUE(place.resize);
    EXPECT_EQ(QRect(place.left, place.top, place.width, place.height), QRect(1200, 900, 9000, 6000));

    // A maximised window keeps its designed place next time.
    P().SaveWindowPlace(QStringLiteral("格式模板列表"), QRect(0, 0, 19200, 10200), 19200);
    EXPECT_EQ(P().GetParam(QStringLiteral("格式模板列表窗口参数：")), QStringLiteral("0;0;0;0"));
    EXPECT_EQ(Rows(QStringLiteral("格式模板列表窗口参数：")), 1);
    const Params::WindowPlace designed = P().RestoreWindowPlace(QStringLiteral("格式模板列表"), 19200, 10800);
    EXPECT_FALSE(designed.move || designed.resize);
}

TEST(ParseWindowPlace, OffScreenPlacesKeepThePositionButNotTheSize)
{
    Params::WindowPlace place = Params::ParseWindowPlace(QStringLiteral("-5000;100;3000;2000"), 19200, 10800);
    EXPECT_FALSE(place.move);
    EXPECT_TRUE(place.resize);
    EXPECT_EQ(place.width, 3000);
    EXPECT_EQ(place.height, 2000);

    EXPECT_FALSE(Params::ParseWindowPlace(QStringLiteral("20000;100;3000;2000"), 19200, 10800).move);
    EXPECT_FALSE(Params::ParseWindowPlace(QStringLiteral("100;100;3000"), 19200, 10800).resize);
    EXPECT_FALSE(Params::ParseWindowPlace(QString(), 19200, 10800).move);
    // Halves go to the even neighbour; a part that is no number counts as 0.
    place = Params::ParseWindowPlace(QStringLiteral("2.5;3.5;abc;1000.5"), 19200, 10800);
    EXPECT_EQ(place.left, 2);
    EXPECT_EQ(place.top, 4);
    EXPECT_EQ(place.width, 0);
    EXPECT_EQ(place.height, 1000);
    EXPECT_TRUE(place.move);
    EXPECT_FALSE(place.resize);
}

TEST_F(ParamsTest, KeywordListsPutTheEditedTextFirst)
{
    const QStringList entries{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")};
    P().SaveKeywordList(QStringLiteral("格式搜索"), QStringLiteral("a"), entries);
    EXPECT_EQ(P().GetParam(QStringLiteral("格式搜索")), QStringLiteral("a||b||c"));
    EXPECT_EQ(P().LoadKeywordList(QStringLiteral("格式搜索")), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

    P().SaveKeywordList(QStringLiteral("格式搜索"), QString(), entries);
    EXPECT_EQ(P().GetParam(QStringLiteral("格式搜索")), QStringLiteral("b||a||c"));

    P().SetParam(QStringLiteral("格式搜索"), QStringLiteral("||x||||y"));
    EXPECT_EQ(P().LoadKeywordList(QStringLiteral("格式搜索")), (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
    EXPECT_TRUE(P().LoadKeywordList(QStringLiteral("没有")).isEmpty());
}

} // namespace
} // namespace kestrio
