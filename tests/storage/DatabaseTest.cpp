// The connection, updatable results and transactions on the real encrypted engine.
#include "QtPrinters.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/ShippedDatabase.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPath = QDir(mDir.path()).filePath(QStringLiteral("DATA.mdb"));
        ASSERT_TRUE(ShippedDatabase::CreateIfMissing(mPath));
        ASSERT_TRUE(mDb.Open(mPath, DbOperate::DatabaseKey()));
    }

    QTemporaryDir mDir;
    QString mPath;
    Database mDb;
};

TEST_F(DatabaseTest, TheNewFileIsEncryptedAndHoldsTheLastFormatRow)
{
    QFile file(mPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.read(16).startsWith("SQLite format 3"));
    EXPECT_FALSE(mDb.CipherVersion().isEmpty());
    EXPECT_FALSE(QFile::exists(mPath + QStringLiteral(".creating")));

    Recordset rs = mDb.Query(QStringLiteral("SELECT * FROM Fmt"));
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Text(QStringLiteral("Fmt")), QString());
    EXPECT_EQ(rs.Text(QStringLiteral("LBL")), QString());

    Database other;
    EXPECT_FALSE(other.Open(mPath, QByteArrayLiteral("12345678")));
}

TEST_F(DatabaseTest, CreateNeverTouchesAnExistingFile)
{
    EXPECT_FALSE(Database::Create(mPath, DbOperate::DatabaseKey(), {QStringLiteral("CREATE TABLE x(a LONG)")}));
    EXPECT_FALSE(mDb.Query(QStringLiteral("SELECT * FROM x")).IsOpen());
}

TEST_F(DatabaseTest, ColumnTypesReadAsTheProgramStoresThem)
{
    Recordset rs = mDb.Query(QStringLiteral("SELECT * FROM Fmt WHERE FALSE"));
    ASSERT_TRUE(rs.IsUpdatable());
    rs.AddNew();
    rs.SetValue(QStringLiteral("Fmt"), QStringLiteral("支票"));
    rs.SetValue(QStringLiteral("X"), 10.5);
    rs.SetValue(QStringLiteral("W"), QStringLiteral("37.125"));
    rs.SetValue(QStringLiteral("Cash"), 103.0);
    rs.SetValue(QStringLiteral("RCtl"), -12.5);
    rs.SetValue(QStringLiteral("fBold"), QStringLiteral("√"));
    rs.SetValue(QStringLiteral("fItalic"), false);
    rs.SetValue(QStringLiteral("Dir"), 2.5); // whole-number columns round halves to even
    ASSERT_TRUE(rs.Update());

    auto type = [&](const char* name) { return rs.FieldAt(rs.FieldIndex(QString::fromUtf8(name))).type; };
    EXPECT_EQ(type("X"), FieldType::Single);
    EXPECT_EQ(type("fSize"), FieldType::Single);
    EXPECT_EQ(type("Cash"), FieldType::Double);
    EXPECT_EQ(type("SumID1"), FieldType::Double);
    EXPECT_EQ(type("RCtl1"), FieldType::Long);
    EXPECT_EQ(type("Mem"), FieldType::Memo);
    EXPECT_EQ(type("fBold"), FieldType::YesNo);

    EXPECT_EQ(rs.Text(QStringLiteral("X")), QStringLiteral("10.5"));
    EXPECT_EQ(rs.Text(QStringLiteral("W")), QStringLiteral("37.125"));
    EXPECT_EQ(rs.Text(QStringLiteral("Cash")), QStringLiteral("103"));
    EXPECT_EQ(rs.Text(QStringLiteral("RCtl")), QStringLiteral("-12.5"));
    EXPECT_EQ(rs.Value(QStringLiteral("fBold")).toInt(), 1);
    EXPECT_EQ(rs.Value(QStringLiteral("fItalic")).toInt(), 0);
    EXPECT_EQ(rs.Value(QStringLiteral("Dir")).toInt(), 2);
}

TEST_F(DatabaseTest, AnAddedRowShowsItsNewIdAtOnce)
{
    Recordset rs = mDb.Query(QStringLiteral("SELECT * FROM Fmt WHERE FALSE"));
    rs.AddNew();
    rs.SetValue(QStringLiteral("Fmt"), QStringLiteral("A"));
    ASSERT_TRUE(rs.Update());
    const qint64 first = rs.Value(QStringLiteral("ID")).toLongLong();
    EXPECT_GT(first, 1);
    rs.AddNew();
    rs.SetValue(QStringLiteral("Fmt"), QStringLiteral("B"));
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(rs.Value(QStringLiteral("ID")).toLongLong(), first + 1);
    EXPECT_EQ(rs.RecordCount(), 2);

    // IDs are never handed out twice, even after the newest row is gone.
    ASSERT_TRUE(mDb.Execute(QStringLiteral("DELETE * FROM Fmt WHERE Fmt='B'")));
    rs.AddNew();
    rs.SetValue(QStringLiteral("Fmt"), QStringLiteral("C"));
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(rs.Value(QStringLiteral("ID")).toLongLong(), first + 2);
}

TEST_F(DatabaseTest, ResultsAreSnapshotsThatCanBeChangedWhileOtherStatementsRun)
{
    for (int id = 1; id <= 3; ++id)
        ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(%1,'支票',7,'v%1')").arg(id)));
    Recordset rs = mDb.Query(QStringLiteral("SELECT * FROM 历史 WHERE Fmt='支票' ORDER BY ID"));
    ASSERT_EQ(rs.RecordCount(), 3);
    // A statement in the middle of the walk does not disturb the open result.
    ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(9,'支票',7,'late')")));
    EXPECT_EQ(rs.RecordCount(), 3);

    rs.MoveNext();
    ASSERT_TRUE(rs.Delete());
    EXPECT_FALSE(rs.Eof());
    EXPECT_FALSE(rs.Value(QStringLiteral("Con")).isValid()); // the deleted row is unreadable
    rs.MoveNext();
    EXPECT_EQ(rs.Text(QStringLiteral("Con")), QStringLiteral("v3"));
    rs.SetValue(QStringLiteral("Con"), QStringLiteral("O'Brien's"));
    ASSERT_TRUE(rs.Update());
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 2);

    Recordset after = mDb.Query(QStringLiteral("SELECT * FROM 历史 WHERE Con=") + SqlQuote(QStringLiteral("O'Brien's")));
    ASSERT_EQ(after.RecordCount(), 1);
    EXPECT_EQ(after.Value(QStringLiteral("ID")).toInt(), 3);
    EXPECT_EQ(mDb.Query(QStringLiteral("SELECT * FROM 历史")).RecordCount(), 3);
}

TEST_F(DatabaseTest, JoinedResultsAreReadOnly)
{
    Recordset rs = mDb.Query(QStringLiteral("SELECT 历史.*,Fmt.LBL FROM 历史,Fmt WHERE 历史.CID=Fmt.ID"));
    ASSERT_TRUE(rs.IsOpen());
    EXPECT_FALSE(rs.IsUpdatable());
    rs.AddNew();
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST_F(DatabaseTest, QuotingKeepsApostrophesInEveryStatement)
{
    const QString name = QStringLiteral("收款人's O'Brien");
    EXPECT_EQ(SqlQuote(name), QStringLiteral("'收款人''s O''Brien'"));
    ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(1,") + SqlQuote(name) + QStringLiteral(",'x')")));
    EXPECT_EQ(mDb.Query(QStringLiteral("SELECT * FROM 默认 WHERE Fmt='") + SqlEscape(name) + QStringLiteral("'"))
                  .Text(QStringLiteral("Fmt")),
              name);
}

TEST_F(DatabaseTest, ATransactionIsAllOrNothing)
{
    {
        Transaction transaction(mDb);
        ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(1,'甲','a')")));
        {
            Transaction inner(mDb);
            ASSERT_TRUE(mDb.Execute(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(2,'甲','b')")));
            // no Commit: the inner part alone is undone
        }
        ASSERT_TRUE(transaction.Commit());
    }
    EXPECT_EQ(mDb.Query(QStringLiteral("SELECT * FROM 默认 WHERE Fmt='甲'")).RecordCount(), 1);
    {
        Transaction abandoned(mDb);
        ASSERT_TRUE(mDb.Execute(QStringLiteral("DELETE * FROM 默认")));
    }
    EXPECT_EQ(mDb.Query(QStringLiteral("SELECT * FROM 默认")).RecordCount(), 1);
}

} // namespace
} // namespace kestrio
