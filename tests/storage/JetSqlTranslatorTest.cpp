// The Jet statements the program writes, translated and run one by one on the real engine.
#include "QtPrinters.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/JetSqlTranslator.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Kind = JetSqlTranslator::Result::Kind;

QString Sql(const char* jet)
{
    return JetSqlTranslator::Translate(QString::fromUtf8(jet)).sql;
}

TEST(JetSqlTranslator, RewritesTheDialectAndLeavesQuotedTextAlone)
{
    EXPECT_EQ(Sql("DELETE * FROM 历史 WHERE Fmt='a'"), QStringLiteral("DELETE FROM 历史 WHERE Fmt='a'"));
    EXPECT_EQ(Sql("SELECT TOP 1 * FROM 历史 WHERE CID=3 ORDER BY ID DESC"),
              QStringLiteral("SELECT * FROM 历史 WHERE CID=3 ORDER BY ID DESC LIMIT 1"));
    EXPECT_EQ(Sql("SELECT * FROM 历史 WHERE FALSE"), QStringLiteral("SELECT * FROM 历史 WHERE 0"));
    EXPECT_EQ(Sql("SELECT Con FROM 历史 WHERE CID=ANY(SELECT ID AS CID FROM Fmt WHERE LBL LIKE 'a_%')"),
              QStringLiteral("SELECT Con FROM 历史 WHERE CID IN (SELECT ID AS CID FROM Fmt WHERE LBL LIKE 'a_%')"));
    // Words inside values are data, not dialect.
    EXPECT_EQ(Sql("SELECT * FROM 参数 WHERE Var='TOP 1 FALSE & DELETE * FROM x'"),
              QStringLiteral("SELECT * FROM 参数 WHERE Var='TOP 1 FALSE & DELETE * FROM x'"));
    EXPECT_EQ(Sql("SELECT * FROM 参数 WHERE Var=\"O'Brien\""), QStringLiteral("SELECT * FROM 参数 WHERE Var='O''Brien'"));
    EXPECT_EQ(Sql("SELECT * FROM t WHERE Dat>=#2026/12/8#"), QStringLiteral("SELECT * FROM t WHERE Dat>='2026-12-08'"));
    EXPECT_EQ(Sql("SELECT Var & Con FROM 参数;"), QStringLiteral("SELECT Var || Con FROM 参数"));
}

TEST(JetSqlTranslator, TopInsideASubQueryLimitsOnlyTheSubQuery)
{
    EXPECT_EQ(Sql("SELECT * FROM 历史 WHERE ID=ANY(SELECT TOP 2 ID FROM 历史 ORDER BY ID DESC) ORDER BY ID"),
              QStringLiteral("SELECT * FROM 历史 WHERE ID IN (SELECT ID FROM 历史 ORDER BY ID DESC LIMIT 2) ORDER BY ID"));
}

// Places where a translator that scans for brackets and quotes by hand goes wrong.
TEST(JetSqlTranslator, BracketsAndDoubledQuotesAfterTop)
{
    const struct {
        const char* jet;
        const char* sqlite;
    } cases[] = {
        {"SELECT TOP 1 * FROM t WHERE (a=1 OR b=2) ORDER BY ID", "SELECT * FROM t WHERE (a=1 OR b=2) ORDER BY ID LIMIT 1"},
        {"SELECT TOP 2 ID FROM t WHERE (a=1) AND (b=2)", "SELECT ID FROM t WHERE (a=1) AND (b=2) LIMIT 2"},
        {"SELECT * FROM 参数 WHERE Var='O''Brien' AND Con='TOP 1'", "SELECT * FROM 参数 WHERE Var='O''Brien' AND Con='TOP 1'"},
        {"SELECT TOP 1 * FROM 参数 WHERE Var='O''Brien (x)' ORDER BY ID",
         "SELECT * FROM 参数 WHERE Var='O''Brien (x)' ORDER BY ID LIMIT 1"},
        {"DELETE * FROM 参数 WHERE Var='it''s FALSE'", "DELETE FROM 参数 WHERE Var='it''s FALSE'"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sql(c.jet), QString::fromUtf8(c.sqlite)) << c.jet;
    EXPECT_TRUE(JetSqlTranslator::Translate(QStringLiteral("SELECT Fmt FROM Fmt WHERE LBL='x' GROUP BY Fmt"))
                    .updatableTable.isEmpty());
}

TEST(JetSqlTranslator, ColumnTypesAndTableChanges)
{
    EXPECT_EQ(Sql("CREATE TABLE 参数(ID AUTOINCREMENT(1,1),Var TEXT(255),Con MEMO)"),
              QStringLiteral("CREATE TABLE 参数(ID INTEGER PRIMARY KEY AUTOINCREMENT,Var TEXT(255) COLLATE NOCASE,"
                             "Con LONGTEXT COLLATE NOCASE)"));
    EXPECT_EQ(Sql("CREATE TABLE TEMP_Ana(DT Date,Sm DOUBLE)"), QStringLiteral("CREATE TABLE TEMP_Ana(DT DATE,Sm DOUBLE)"));
    EXPECT_EQ(Sql("ALTER TABLE Fmt ADD SumID LONG"), QStringLiteral("ALTER TABLE Fmt ADD COLUMN SumID LONG"));

    const auto alter = JetSqlTranslator::Translate(QStringLiteral("ALTER TABLE Fmt ALTER COLUMN Cash Double"));
    EXPECT_EQ(alter.kind, Kind::AlterColumn);
    EXPECT_EQ(alter.table, QStringLiteral("Fmt"));
    EXPECT_EQ(alter.column, QStringLiteral("Cash"));
    EXPECT_EQ(alter.columnType, QStringLiteral("DOUBLE"));
}

TEST(JetSqlTranslator, OnlySingleTableSelectsAreUpdatable)
{
    EXPECT_EQ(JetSqlTranslator::Translate(QStringLiteral("SELECT * FROM 历史 WHERE FALSE")).updatableTable,
              QStringLiteral("历史"));
    EXPECT_EQ(JetSqlTranslator::Translate(QStringLiteral("SELECT TOP 1 * FROM Fmt ORDER BY ID")).updatableTable,
              QStringLiteral("Fmt"));
    EXPECT_TRUE(JetSqlTranslator::Translate(QStringLiteral("SELECT 历史.*,Fmt.LBL FROM 历史,Fmt WHERE 历史.CID=Fmt.ID"))
                    .updatableTable.isEmpty());
    EXPECT_TRUE(JetSqlTranslator::Translate(QStringLiteral("SELECT Con FROM 历史 GROUP BY Con")).updatableTable.isEmpty());
}

// The same constructs on the engine itself.
class JetOnEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = QDir(mDir.path()).filePath(QStringLiteral("DATA.mdb"));
        ASSERT_TRUE(Database::Create(path, DbOperate::DatabaseKey(),
                                     {QStringLiteral("CREATE TABLE 历史(ID LONG,Fmt TEXT(255),CID LONG,Con MEMO)"),
                                      QStringLiteral("CREATE TABLE Fmt(ID AUTOINCREMENT(1,1),Fmt TEXT(255),LBL TEXT(255))")}));
        ASSERT_TRUE(mDb.Open(path, DbOperate::DatabaseKey()));
        for (const char* row : {"INSERT INTO Fmt(Fmt,LBL) VALUES('支票','收款人_1')",
                                "INSERT INTO Fmt(Fmt,LBL) VALUES('支票','收款人_2')",
                                "INSERT INTO Fmt(Fmt,LBL) VALUES('支票','金额')",
                                "INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(1,'支票',1,'张三')",
                                "INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(1,'支票',3,'1.50')",
                                "INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(2,'支票',2,'李四')",
                                "INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(2,'支票',3,'20')",
                                "INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(3,'支票',1,'张三')"})
            ASSERT_TRUE(mDb.Execute(QString::fromUtf8(row)));
    }

    QStringList Column(const char* jet, const char* column)
    {
        QStringList values;
        Recordset rs = mDb.Query(QString::fromUtf8(jet));
        EXPECT_TRUE(rs.IsOpen()) << jet;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) values << rs.Text(QString::fromUtf8(column));
        return values;
    }

    QTemporaryDir mDir;
    Database mDb;
};

TEST_F(JetOnEngine, SelectsFilterGroupAndSortAsTheProgramExpects)
{
    EXPECT_EQ(Column("SELECT TOP 1 * FROM 历史 WHERE CID=1 AND Fmt='支票' AND Con='张三' ORDER BY ID DESC", "ID"),
              QStringList{QStringLiteral("3")});
    EXPECT_EQ(Column("SELECT Con FROM 历史 WHERE CID=ANY(SELECT ID AS CID FROM Fmt WHERE LBL LIKE '收款人_%') "
                     "GROUP BY Con ORDER BY Con",
                     "Con"),
              (QStringList{QStringLiteral("张三"), QStringLiteral("李四")}));
    EXPECT_EQ(Column("SELECT ID FROM 历史 WHERE Fmt='支票' GROUP BY ID ORDER BY ID DESC", "ID"),
              (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(Column("SELECT 历史.*,Fmt.LBL AS LBL FROM 历史,Fmt WHERE 历史.CID=Fmt.ID AND 历史.ID=2 ORDER BY 历史.CID", "LBL"),
              (QStringList{QStringLiteral("收款人_2"), QStringLiteral("金额")}));
    EXPECT_EQ(Column("SELECT * FROM 历史 ORDER BY CID DESC, ID", "ID").join(QLatin1Char(',')), QStringLiteral("1,2,2,1,3"));
    EXPECT_TRUE(Column("SELECT * FROM 历史 WHERE FALSE", "ID").isEmpty());
    // A memo keeps the text exactly as typed, even when it reads as a number.
    EXPECT_EQ(Column("SELECT Con FROM 历史 WHERE ID=1 AND CID=3", "Con"), QStringList{QStringLiteral("1.50")});
    // Text compares without regard to case, as the old engine did.
    ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('Cheque','x')")));
    EXPECT_EQ(Column("SELECT * FROM Fmt WHERE Fmt='CHEQUE'", "LBL"), QStringList{QStringLiteral("x")});
}

TEST_F(JetOnEngine, DeleteStarAndUpdate)
{
    ASSERT_TRUE(mDb.Execute(QStringLiteral("UPDATE 历史 SET Con='王五' WHERE ID=3")));
    EXPECT_EQ(Column("SELECT * FROM 历史 WHERE ID=3", "Con"), QStringList{QStringLiteral("王五")});
    ASSERT_TRUE(mDb.Execute(QStringLiteral("DELETE * FROM 历史 WHERE Fmt='支票' AND ID=2")));
    EXPECT_EQ(Column("SELECT ID FROM 历史 GROUP BY ID", "ID"), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
}

TEST_F(JetOnEngine, CreateAlterAndDropTables)
{
    ASSERT_TRUE(mDb.Execute(QStringLiteral("CREATE TABLE 网站格式(ID AUTOINCREMENT(1,1),Clas TEXT(255),Name TEXT(255),"
                                           "fPath TEXT(255),pPath TEXT(255),Dat DATE)")));
    ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO 网站格式(Clas,Name,Dat) VALUES('支票','工行',#2026/12/8#)")));
    EXPECT_EQ(Column("SELECT * FROM 网站格式", "Dat"), QStringList{QStringLiteral("2026-12-08")});
    ASSERT_TRUE(mDb.Execute(QStringLiteral("ALTER TABLE 网站格式 ADD Size LONG")));
    ASSERT_TRUE(mDb.Execute(QStringLiteral("ALTER TABLE 网站格式 ALTER COLUMN Size Double")));
    ASSERT_TRUE(mDb.Execute(QStringLiteral("UPDATE 网站格式 SET Size=2.5")));
    EXPECT_EQ(Column("SELECT * FROM 网站格式", "Size"), QStringList{QStringLiteral("2.5")});
    EXPECT_FALSE(mDb.Execute(QStringLiteral("ALTER TABLE 网站格式 ALTER COLUMN Missing Double")));
    ASSERT_TRUE(mDb.Execute(QStringLiteral("CREATE TABLE TEMP_Ana(DT Date,Sm DOUBLE)")));
    ASSERT_TRUE(mDb.Execute(QStringLiteral("DROP TABLE TEMP_Ana")));
    EXPECT_FALSE(mDb.Query(QStringLiteral("SELECT * FROM TEMP_Ana")).IsOpen());
}

} // namespace
} // namespace kestrio
