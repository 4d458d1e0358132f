// Compaction keeps every row and the key, and a failure leaves DATA.mdb as it was.
#include "TestApp.h"
#include "storage/DatabaseBackup.h"
#include "storage/DatabaseCompactor.h"
#include "storage/DatabaseFailure.h"
#include "storage/DbOperate.h"
#include "storage/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
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

    DatabaseCompactor Compactor(int busyMs = Database::kBusyTimeoutMs)
    {
        return {mApp.app->DbOp(), mApp.prompter, mApp.progress, busyMs};
    }
    bool Compact() { return Compactor().CompactDatabase(mApp.DatabasePath(), DbOperate::DatabaseKey(), true); }
    int Count(const char* sql) { return mApp.app->DbOp().OpenQuery(QString::fromUtf8(sql)).RecordCount(); }
    void ExpectOneFailure()
    {
        ASSERT_EQ(mApp.prompter.shown.size(), 1);
        EXPECT_TRUE(mApp.prompter.shown.first().startsWith(QStringLiteral("数据库压缩失败（")));
        EXPECT_TRUE(mApp.prompter.shown.first().endsWith(QStringLiteral("）！")));
    }
    QStringList FolderEntries() const
    {
        return QDir(mApp.Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    test::TestApp mApp;
};

TEST_F(CompactionTest, KeepsEveryRowAndTheKeyAndShrinksTheFile)
{
    const qint64 before = QFileInfo(mApp.DatabasePath()).size();
    const QStringList entriesBefore = FolderEntries();
    DatabaseCompactor compactor = Compactor();

    ASSERT_TRUE(compactor.CompactDatabase(mApp.DatabasePath(), DbOperate::DatabaseKey(), true))
        << mApp.prompter.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
    EXPECT_LT(QFileInfo(mApp.DatabasePath()).size(), before);
    EXPECT_FALSE(Contents(mApp.DatabasePath()).startsWith("SQLite format 3"));
    // The backup sits in the backup folder, owner-only, and holds what the file held.
    ASSERT_FALSE(compactor.BackupPath().isEmpty());
    EXPECT_EQ(QFileInfo(compactor.BackupPath()).absolutePath(), DatabaseBackup::BackupFolder(mApp.DatabasePath()));
    EXPECT_EQ(QFileInfo(compactor.BackupPath()).permissions() & 0x00ff, 0); // nothing for group and others
    Database backup;
    ASSERT_TRUE(backup.Open(compactor.BackupPath(), DbOperate::DatabaseKey()));
    EXPECT_EQ(backup.Query(QStringLiteral("SELECT * FROM 历史")).RecordCount(), 100);
    // No scratch file is left beside the database.
    QStringList entriesAfter = FolderEntries();
    entriesAfter.removeAll(QStringLiteral("Backup"));
    EXPECT_EQ(entriesAfter, entriesBefore);

    // The program's own connection carries on, on the same file, with the same key.
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
    EXPECT_TRUE(compactor.BackupPath().isEmpty());
}

TEST_F(CompactionTest, AFailedBackupLeavesTheDatabaseAsItWas)
{
    const QByteArray original = Contents(mApp.DatabasePath());
    QFile blocker(DatabaseBackup::BackupFolder(mApp.DatabasePath())); // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    EXPECT_FALSE(Compact());
    ExpectOneFailure();
    EXPECT_EQ(Contents(mApp.DatabasePath()), original);
    EXPECT_EQ(Count("SELECT * FROM 历史"), 100);
}

// Another program in the middle of reading: the file cannot be held, so nothing is done.
TEST_F(CompactionTest, AFileThatCannotBeHeldLeavesTheDatabaseAsItWas)
{
    const QByteArray original = Contents(mApp.DatabasePath());
    Database reader;
    ASSERT_TRUE(reader.Open(mApp.DatabasePath(), DbOperate::DatabaseKey()));
    ASSERT_TRUE(reader.ExecuteNative(QStringLiteral("BEGIN")));
    ASSERT_TRUE(reader.ScalarNative(QStringLiteral("SELECT count(*) FROM 历史")).isValid());

    EXPECT_FALSE(Compactor(50).CompactDatabase(mApp.DatabasePath(), DbOperate::DatabaseKey(), false));
    ExpectOneFailure();
    reader.ExecuteNative(QStringLiteral("COMMIT"));
    EXPECT_EQ(Contents(mApp.DatabasePath()), original);
    EXPECT_FALSE(QFile::exists(DatabaseFailure::CompactionMarker(mApp.DatabasePath())));
}

// A writer that waits longer than it may is told why; a second compaction is refused.
TEST_F(CompactionTest, WhileCompactingOthersAreToldSo)
{
    QLockFile marker(DatabaseFailure::CompactionMarker(mApp.DatabasePath()));
    ASSERT_TRUE(marker.tryLock(0));
    Database holder;
    ASSERT_TRUE(holder.Open(mApp.DatabasePath(), DbOperate::DatabaseKey()));
    ASSERT_TRUE(holder.ExecuteNative(QStringLiteral("BEGIN EXCLUSIVE")));
    mApp.app->DbOp().Db().SetBusyTimeout(50);
    QString error;
    EXPECT_FALSE(mApp.app->DbOp().ExecuteSql(QStringLiteral("INSERT INTO 参数(Var,Con) VALUES('a','b')"), &error));
    EXPECT_EQ(error, DatabaseFailure::CompactingText());

    EXPECT_FALSE(Compact());
    EXPECT_EQ(mApp.prompter.shown, QStringList{DatabaseFailure::CompactingText()});
    holder.ExecuteNative(QStringLiteral("ROLLBACK"));
    marker.unlock();
    // Without the marker the same wait is an ordinary busy database.
    ASSERT_TRUE(holder.ExecuteNative(QStringLiteral("BEGIN EXCLUSIVE")));
    EXPECT_FALSE(mApp.app->DbOp().ExecuteSql(QStringLiteral("INSERT INTO 参数(Var,Con) VALUES('a','b')"), &error));
    EXPECT_EQ(error, DatabaseFailure::BusyText());
    holder.ExecuteNative(QStringLiteral("ROLLBACK"));
}

} // namespace
} // namespace kestrio
