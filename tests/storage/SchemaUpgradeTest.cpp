// Databases of earlier editions brought up to date at start.
#include "RecordingProgress.h"
#include "TestApp.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/SchemaUpgrade.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

// A database as an early edition shipped it: no 参数, no 网站格式, Fmt without SumID, SumID1
// and RCtl1, and Cash and RCtl as single-precision columns.
bool CreateOldDatabase(const QString& path)
{
    return Database::Create(
        path, DbOperate::DatabaseKey(),
        {QStringLiteral("CREATE TABLE Fmt(ID AUTOINCREMENT(1,1),Fmt TEXT(255),LBL TEXT(255),Dir SHORT,X SINGLE,"
                        "Y SINGLE,W SINGLE,H SINGLE,S SINGLE,L SINGLE,Color LONG,fName TEXT(255),fSize SINGLE,"
                        "fBold YESNO,fItalic YESNO,fUnderline YESNO,fStrikethru YESNO,Clas SHORT,Cash SINGLE,"
                        "RCtl SINGLE,Mem MEMO)"),
         QStringLiteral("CREATE TABLE 历史(ID LONG,Fmt TEXT(255),CID LONG,Con MEMO)"),
         QStringLiteral("CREATE TABLE 默认(ID LONG,Fmt TEXT(255),Con MEMO)"),
         QStringLiteral("CREATE TABLE 映射(ID LONG,Fmt TEXT(255),Map MEMO)"),
         QStringLiteral("INSERT INTO Fmt(Fmt,LBL,fName) VALUES('','支票','1§☆§0§☆§0')"),
         QStringLiteral("INSERT INTO Fmt(Fmt,LBL,X,Cash,RCtl) VALUES('支票','金额',12.5,103,-4)"),
         QStringLiteral("INSERT INTO Fmt(Fmt,LBL,X,Cash,RCtl) VALUES('支票','大写',20,121.08,0)"),
         QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('支票','删掉的')"),
         QStringLiteral("DELETE * FROM Fmt WHERE LBL='删掉的'")});
}

FieldType TypeOf(Database& db, const QString& column)
{
    Recordset rs = db.Query(QStringLiteral("SELECT TOP 1 * FROM Fmt"));
    return rs.FieldAt(rs.FieldIndex(column)).type;
}

TEST(SchemaUpgrade, AnOldDatabaseGetsTheNewTablesAndColumns)
{
    test::TestApp t;
    ASSERT_TRUE(CreateOldDatabase(t.DatabasePath()));
    ASSERT_TRUE(t.Open());
    DbOperate& db = t.app->DbOp();

    EXPECT_TRUE(db.TableExists(QStringLiteral("参数")));
    EXPECT_TRUE(db.TableExists(QStringLiteral("网站格式")));
    for (const QString column : {QStringLiteral("SumID"), QStringLiteral("SumID1"), QStringLiteral("RCtl1")}) {
        EXPECT_TRUE(db.ColumnExists(QStringLiteral("Fmt"), column)) << column.toStdString();
        EXPECT_EQ(db.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE ") + column + QStringLiteral("=0")).RecordCount(), 3);
    }
    // Converted before they were added: long integers now, doubles from the next start on.
    EXPECT_EQ(TypeOf(db.Db(), QStringLiteral("Cash")), FieldType::Double);
    EXPECT_EQ(TypeOf(db.Db(), QStringLiteral("RCtl")), FieldType::Double);
    EXPECT_EQ(TypeOf(db.Db(), QStringLiteral("SumID")), FieldType::Long);

    SchemaUpgrade::Run(db);
    EXPECT_EQ(TypeOf(db.Db(), QStringLiteral("SumID")), FieldType::Double);
    EXPECT_EQ(TypeOf(db.Db(), QStringLiteral("SumID1")), FieldType::Double);
    EXPECT_EQ(TypeOf(db.Db(), QStringLiteral("RCtl1")), FieldType::Long);

    // Every row and value came through the rebuilds.
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("LBL='大写'"), QStringLiteral("Cash")),
              QStringLiteral("121.08"));
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("LBL='金额'"), QStringLiteral("RCtl")), QStringLiteral("-4"));
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("LBL='金额'"), QStringLiteral("X")), QStringLiteral("12.5"));
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("fName")),
              QStringLiteral("1§☆§0§☆§0"));
    // …and the counter: the deleted row's ID is not handed out again.
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('支票','新')")));
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("LBL='新'"), QStringLiteral("ID")), QStringLiteral("5"));
    EXPECT_TRUE(t.prompter.shown.isEmpty());
}

TEST(SchemaUpgrade, ACurrentDatabaseIsLeftAsItIs)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    Database& db = t.app->Db();
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO 参数(Var,Con) VALUES('软件密码','x')")));
    const QString schema = db.ScalarNative(QStringLiteral("SELECT group_concat(sql,';') FROM sqlite_master")).toString();

    SchemaUpgrade::Run(t.app->DbOp());
    EXPECT_EQ(db.ScalarNative(QStringLiteral("SELECT group_concat(sql,';') FROM sqlite_master")).toString(), schema);
    EXPECT_EQ(t.app->Parameters().GetParam(QStringLiteral("软件密码")), QStringLiteral("x"));
}

TEST(SchemaUpgrade, TheLookupIndexesExist)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    const QString indexes =
        t.app->Db()
            .ScalarNative(QStringLiteral("SELECT group_concat(sql,';') FROM sqlite_master WHERE type='index'"))
            .toString();
    for (const char* expected :
         {"ON 历史(Fmt,ID)", "ON 历史(CID,Con,ID)", "ON 历史(CID,ID)", "ON Fmt(Fmt)", "ON 默认(Fmt)", "ON 映射(Fmt)"})
        EXPECT_TRUE(indexes.contains(QString::fromUtf8(expected))) << expected;
}

// Indexes a database lacks are built again; a large history shows the building.
TEST(SchemaUpgrade, MissingIndexesAreBuiltWithProgressForALargeHistory)
{
    for (const int rows : {10, 100000}) {
        test::TestApp t;
        ASSERT_TRUE(t.Open());
        Database& db = t.app->Db();
        ASSERT_TRUE(db.ExecuteNative(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<%1) "
            "INSERT INTO 历史(ID,Fmt,CID,Con) SELECT i/10+1,'支票',i%10,'x' FROM n").arg(rows)));
        for (const char* index : {"kx_历史_CID_ID", "kx_历史_CID_Con_ID"})
            ASSERT_TRUE(db.ExecuteNative(QStringLiteral("DROP INDEX ") + QString::fromUtf8(index)));

        test::RecordingProgress progress;
        SchemaUpgrade::Run(t.app->DbOp(), &progress);
        const int built = db.ScalarNative(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='index' AND "
                                                         "name IN ('kx_历史_CID_ID','kx_历史_CID_Con_ID')"))
                              .toInt();
        EXPECT_EQ(built, 2) << rows;
        EXPECT_EQ(progress.totals, rows >= 100000 ? QList<int>{2} : QList<int>{}) << rows;
        EXPECT_EQ(progress.steps, rows >= 100000 ? 2 : 0) << rows;
        EXPECT_EQ(progress.closed, rows >= 100000 ? 1 : 0) << rows;
    }
}

// History stored before bills kept their time: the rows stay as they were, the time empty,
// and the narrower index of an earlier edition gives way to the wider one.
TEST(SchemaUpgrade, OldHistoryGetsAnEmptySaveTimeAndTheWiderIndex)
{
    test::TestApp t;
    ASSERT_TRUE(CreateOldDatabase(t.DatabasePath()));
    {
        Database db;
        ASSERT_TRUE(db.Open(t.DatabasePath(), DbOperate::DatabaseKey()));
        ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(1,'支票',2,'一')")));
        ASSERT_TRUE(db.ExecuteNative(QStringLiteral("CREATE INDEX kx_历史_CID_Con ON 历史(CID,Con)")));
    }
    ASSERT_TRUE(t.Open());
    Database& db = t.app->Db();
    EXPECT_TRUE(t.app->DbOp().ColumnExists(QStringLiteral("历史"), SchemaUpgrade::SaveTimeColumn()));
    EXPECT_EQ(db.ScalarNative(QStringLiteral("SELECT count(*) FROM 历史 WHERE Con='一' AND SaveTime IS NULL")).toInt(), 1);
    EXPECT_EQ(db.ScalarNative(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='kx_历史_CID_Con'")).toInt(), 0);
}

} // namespace
} // namespace kestrio
