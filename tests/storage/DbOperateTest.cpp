// The generic access routines and the messages they show.
#include "TestApp.h"
#include "storage/DbOperate.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class DbOperateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mApp.Open()); }

    DbOperate& Db() { return mApp.app->DbOp(); }

    test::TestApp mApp;
};

TEST_F(DbOperateTest, LookupsYieldTheValueOrAnEmptyText)
{
    ASSERT_TRUE(Db().ExecuteSql(QStringLiteral("INSERT INTO 参数(Var,Con) VALUES('甲','一')")));
    const QString id = Db().FieldWhere(QStringLiteral("参数"), QStringLiteral("Var='甲'"), QStringLiteral("ID"));
    EXPECT_EQ(Db().FieldById(QStringLiteral("参数"), id.toLongLong(), QStringLiteral("Con")), QStringLiteral("一"));
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("参数"), QStringLiteral("Var='乙'"), QStringLiteral("Con")), QString());
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("参数"), QStringLiteral("Var='甲'"), QStringLiteral("NoSuchColumn")), QString());
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
}

TEST_F(DbOperateTest, TablesAndColumnsAreFoundExactly)
{
    EXPECT_TRUE(Db().TableExists(QStringLiteral("历史")));
    EXPECT_FALSE(Db().TableExists(QStringLiteral("历")));
    // An empty table still shows its columns.
    EXPECT_TRUE(Db().ColumnExists(QStringLiteral("默认"), QStringLiteral("Con")));
    EXPECT_FALSE(Db().ColumnExists(QStringLiteral("默认"), QStringLiteral("con")));
    EXPECT_FALSE(Db().ColumnExists(QStringLiteral("没有的表"), QStringLiteral("Con")));

    Db().DropTable(QStringLiteral("没有的表")); // nothing to do, nothing shown
    Db().DropTable(QStringLiteral("映射"));
    EXPECT_FALSE(Db().TableExists(QStringLiteral("映射")));
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
}

TEST_F(DbOperateTest, AddColumnPutsZeroIntoEveryRowAndOnlyOnce)
{
    ASSERT_TRUE(Db().ExecuteSql(QStringLiteral("INSERT INTO 映射(ID,Fmt,Map) VALUES(5,'a','x')")));
    ASSERT_TRUE(Db().ExecuteSql(QStringLiteral("INSERT INTO 映射(ID,Fmt,Map) VALUES(6,'a','y')")));
    Db().AddColumn(QStringLiteral("映射"), QStringLiteral("Extra"), QStringLiteral("LONG"));
    Recordset rs = Db().OpenQuery(QStringLiteral("SELECT * FROM 映射 WHERE Extra=0"));
    EXPECT_EQ(rs.RecordCount(), 2);

    ASSERT_TRUE(Db().ExecuteSql(QStringLiteral("UPDATE 映射 SET Extra=4")));
    Db().AddColumn(QStringLiteral("映射"), QStringLiteral("Extra"), QStringLiteral("LONG"));
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("映射"), QStringLiteral("ID=5"), QStringLiteral("Extra")), QStringLiteral("4"));
}

TEST_F(DbOperateTest, AFailingStatementIsSilentAndTheCallerCarriesOn)
{
    EXPECT_FALSE(Db().ExecuteSql(QStringLiteral("INSERT INTO 没有的表(a) VALUES(1)")));
    EXPECT_FALSE(Db().ExecuteSql(QStringLiteral("THIS IS NOT SQL")));
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
    EXPECT_TRUE(Db().ExecuteSql(QStringLiteral("INSERT INTO 参数(Var,Con) VALUES('x','y')")));
}

TEST_F(DbOperateTest, AQueryThatCannotBeOpenedSaysSoWithTheWholeStatement)
{
    const QString sql = QStringLiteral("SELECT * FROM 没有的表 WHERE Fmt='甲'");
    Recordset rs = Db().OpenQuery(sql);
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_FALSE(rs.Value(QStringLiteral("Fmt")).isValid());
    rs.MoveNext(); // every further step does nothing
    ASSERT_EQ(mApp.prompter.shown.size(), 1);
    EXPECT_EQ(mApp.prompter.shown.first(), QStringLiteral("数据库打开错误(SELECT * FROM 没有的表 WHERE Fmt='甲')！"));
}

} // namespace
} // namespace kestrio
