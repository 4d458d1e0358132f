// Compaction keeps every row and the key, and a failure leaves DATA.mdb as it was.
#include "TestApp.h"
#include "storage/DatabaseCompactor.h"
#include "storage/DbOperate.h"
#include "storage/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CompactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.OpenEmpty());
        ASSERT_TRUE(QDir().mkpath(Scratch()));
        DbOperate& db = mApp.app->DbOp();
        Transaction rows(db.Db());
        for (int id = 1; id <= 400; ++id)
            db.ExecuteSql(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(%1,'支票',3,'%2')")
                              .arg(id)
                              .arg(QString(200, QChar(0x58F9)))); // 壹 × 200: pages worth freeing
        db.ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('支票','金额')"));
        db.ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('支票','最后')"));
        ASSERT_TRUE(rows.Commit());
        db.ExecuteSql(QStringLiteral("DELETE * FROM 历史 WHERE ID>100"));
        db.ExecuteSql(QStringLiteral("DELETE * FROM Fmt WHERE LBL='最后'"));
    }

    QString Scratch() const { return QDir(mApp.dir.path()).filePath(QStringLiteral("scratch")); }
    DatabaseCompactor Compactor() { return {mApp.app->DbOp(), mApp.prompter, mApp.progress, Scratch()}; }
    bool Compact() { return Compactor().CompactDatabase(mApp.DatabasePath(), DbOperate::DatabaseKey(), true); }
    int Count(const char* sql) { return mApp.app->DbOp().OpenQuery(QString::fromUtf8(sql)).RecordCount(); }

    test::TestApp mApp;
};

TEST_F(CompactionTest, KeepsEveryRowAndTheKeyAndShrinksTheFile)
{
    const qint64 before = QFileInfo(mApp.DatabasePath()).size();
    const QByteArray original = Contents(mApp.DatabasePath());
    // Leftovers of an earlier run are replaced, not an obstacle.
    QFile stale(Compactor().CompactedPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();

    ASSERT_TRUE(Compact()) << mApp.prompter.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
    EXPECT_LT(QFileInfo(mApp.DatabasePath()).size(), before);
    EXPECT_EQ(Contents(Compactor().BackupPath()), original);
    EXPECT_FALSE(QFile::exists(Compactor().CompactedPath()));
    EXPECT_FALSE(Contents(mApp.DatabasePath()).startsWith("SQLite format 3"));

    // The program's connection is open again on the new file, with the same key.
    EXPECT_EQ(Count("SELECT * FROM 历史"), 100);
    EXPECT_EQ(Count("SELECT * FROM 历史 WHERE Con LIKE '壹%'"), 100);
    EXPECT_EQ(Count("SELECT * FROM 参数"), 0);
    Database fresh;
    ASSERT_TRUE(fresh.Open(mApp.DatabasePath(), DbOperate::DatabaseKey()));
    EXPECT_EQ(fresh.Query(QStringLiteral("SELECT * FROM Fmt")).RecordCount(), 2);
    // IDs handed out before are still not handed out again.
    ASSERT_TRUE(mApp.app->DbOp().ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('支票','新')")));
    EXPECT_EQ(mApp.app->DbOp().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("LBL='新'"), QStringLiteral("ID")),
              QStringLiteral("4"));
}

TEST_F(CompactionTest, AMissingFileIsReportedAndNothingChanges)
{
    DatabaseCompactor compactor = Compactor();
    EXPECT_FALSE(compactor.CompactDatabase(QDir(mApp.dir.path()).filePath(QStringLiteral("none/DATA.mdb")),
                                           DbOperate::DatabaseKey(), true));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("没有找到要压缩的数据库文件！")});
    EXPECT_FALSE(QFile::exists(compactor.BackupPath()));
}

TEST_F(CompactionTest, AFailedBackupLeavesTheDatabaseAsItWas)
{
    const QByteArray original = Contents(mApp.DatabasePath());
    ASSERT_TRUE(QDir().mkpath(Compactor().BackupPath() + QStringLiteral("/in-the-way"))); // cannot be removed

    EXPECT_FALSE(Compact());
    ASSERT_EQ(mApp.prompter.shown.size(), 1);
    EXPECT_TRUE(mApp.prompter.shown.first().startsWith(QStringLiteral("数据库压缩失败（")));
    EXPECT_TRUE(mApp.prompter.shown.first().endsWith(QStringLiteral("）！")));
    EXPECT_EQ(Contents(mApp.DatabasePath()), original);
    EXPECT_EQ(Count("SELECT * FROM 历史"), 100);
}

TEST_F(CompactionTest, AFailedCompactionLeavesTheDatabaseAsItWas)
{
    const QByteArray original = Contents(mApp.DatabasePath());
    ASSERT_TRUE(QDir().mkpath(Compactor().CompactedPath() + QStringLiteral("/in-the-way")));

    EXPECT_FALSE(Compact());
    ASSERT_EQ(mApp.prompter.shown.size(), 1);
    EXPECT_TRUE(mApp.prompter.shown.first().startsWith(QStringLiteral("数据库压缩失败（")));
    EXPECT_EQ(Contents(mApp.DatabasePath()), original);
    EXPECT_EQ(Count("SELECT * FROM 历史"), 100);
}

TEST_F(CompactionTest, ACopyThatCannotBeWrittenLeavesTheDatabaseAsItWas)
{
    const QByteArray original = Contents(mApp.DatabasePath());
    // The scratch folder is a file: neither copy can be made there.
    QFile blocker(Scratch() + QStringLiteral("-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    DatabaseCompactor compactor(mApp.app->DbOp(), mApp.prompter, mApp.progress, blocker.fileName());

    EXPECT_FALSE(compactor.CompactDatabase(mApp.DatabasePath(), DbOperate::DatabaseKey(), false));
    ASSERT_EQ(mApp.prompter.shown.size(), 1);
    EXPECT_TRUE(mApp.prompter.shown.first().startsWith(QStringLiteral("数据库压缩失败（")));
    EXPECT_EQ(Contents(mApp.DatabasePath()), original);
}

} // namespace
} // namespace kestrio
