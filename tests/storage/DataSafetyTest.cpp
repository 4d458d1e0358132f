// Writes are all or nothing and say why they failed; a damaged file is not written to; the
// backups are whole, private and few.
#include "QtPrinters.h"
#include "ScriptedPrompter.h"
#include "storage/Database.h"
#include "storage/DatabaseBackup.h"
#include "storage/DatabaseFailure.h"
#include "storage/DbOperate.h"
#include "storage/Transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

// Readable and writable by the owner, by nobody else.
bool OwnerOnly(const QString& path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther;
    const QFileDevice::Permissions p = QFile::permissions(path);
    return (p & QFileDevice::ReadOwner) && (p & QFileDevice::WriteOwner) && !(p & others);
}

class DataSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPath = QDir(mDir.path()).filePath(QStringLiteral("DATA.mdb"));
        ASSERT_TRUE(Database::Create(mPath, DbOperate::DatabaseKey(),
                                     {QStringLiteral("CREATE TABLE Fmt(ID AUTOINCREMENT(1,1),Fmt TEXT(255))"),
                                      QStringLiteral("CREATE TABLE t(ID AUTOINCREMENT(1,1),v MEMO)")}));
        ASSERT_TRUE(mDb.Open(mPath, DbOperate::DatabaseKey()));
    }
    int Rows(const char* table = "t")
    {
        return mDb.ScalarNative(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table)).toInt();
    }
    bool Insert(const QString& value, QString* error = nullptr)
    {
        return mDb.ExecuteNative(QStringLiteral("INSERT INTO t(v) VALUES(?)"), {value}, error);
    }

    QTemporaryDir mDir;
    QString mPath;
    Database mDb;
};

// A commit the engine refuses (here a deferred reference check) must be reported and undone,
// at any depth, and leave the connection able to write again.
TEST_F(DataSafety, RefusedCommitIsReportedAndUndone)
{
    ASSERT_TRUE(mDb.ExecuteNative(QStringLiteral("CREATE TABLE p(id INTEGER PRIMARY KEY)")));
    ASSERT_TRUE(mDb.ExecuteNative(
        QStringLiteral("CREATE TABLE c(pid INTEGER REFERENCES p(id) DEFERRABLE INITIALLY DEFERRED)")));
    ASSERT_TRUE(mDb.ExecuteNative(QStringLiteral("PRAGMA foreign_keys = ON")));
    for (const bool nested : {false, true}) {
        {
            Transaction outer(mDb);
            ASSERT_TRUE(outer.Active());
            ASSERT_TRUE(Insert(QStringLiteral("lost")));
            if (nested) {
                Transaction inner(mDb);
                ASSERT_TRUE(mDb.ExecuteNative(QStringLiteral("INSERT INTO c(pid) VALUES(5)")));
                EXPECT_TRUE(inner.Commit());
            } else {
                ASSERT_TRUE(mDb.ExecuteNative(QStringLiteral("INSERT INTO c(pid) VALUES(5)")));
            }
            EXPECT_FALSE(outer.Commit()) << nested;
            EXPECT_FALSE(outer.Error().isEmpty());
        }
        EXPECT_EQ(Rows("t"), 0) << nested;
        EXPECT_EQ(Rows("c"), 0) << nested;
    }
    Transaction again(mDb);
    ASSERT_TRUE(Insert(QStringLiteral("kept")));
    EXPECT_TRUE(again.Commit());
    EXPECT_EQ(Rows(), 1);
}

// A writer waits for another program's write, then gives up with the busy message.
TEST_F(DataSafety, WriterWaitsForTheLockThenSaysBusy)
{
    Database other;
    ASSERT_TRUE(other.Open(mPath, DbOperate::DatabaseKey()));
    ASSERT_TRUE(other.ExecuteNative(QStringLiteral("BEGIN IMMEDIATE")));
    mDb.SetBusyTimeout(300);
    QElapsedTimer waited;
    waited.start();
    {
        Transaction blocked(mDb);
        EXPECT_FALSE(blocked.Active());
        EXPECT_EQ(blocked.Error(), DatabaseFailure::BusyText());
        EXPECT_FALSE(blocked.Commit());
    }
    EXPECT_GE(waited.elapsed(), 250);
    QString error;
    EXPECT_FALSE(Insert(QStringLiteral("x"), &error));
    EXPECT_EQ(error, DatabaseFailure::BusyText());
    ASSERT_TRUE(other.ExecuteNative(QStringLiteral("COMMIT")));
    Transaction free(mDb);
    ASSERT_TRUE(free.Active());
    ASSERT_TRUE(Insert(QStringLiteral("x")));
    EXPECT_TRUE(free.Commit());
}

// Four bytes flipped in a page of the file: found when the file is opened, every write is
// refused from then on, and the user is told where the latest backup is.
TEST_F(DataSafety, DamagedPageIsFoundAndNeverWritten)
{
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(Insert(QString(300, QChar(u'票')) + QString::number(i)));
    const QString backup = DatabaseBackup::MakeBackup(mDb, QDateTime(QDate(2026, 12, 8), QTime(8, 0)));
    ASSERT_FALSE(backup.isEmpty());
    mDb.Close();
    QFile file(mPath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 4096 * 6);
    file.seek(4096 * 4 + 700);
    QByteArray bytes = file.read(4);
    for (char& b : bytes) b = static_cast<char>(~b);
    file.seek(4096 * 4 + 700);
    file.write(bytes);
    file.close();

    ScriptedPrompter prompter;
    DbOperate op(mDb, prompter, mPath);
    ASSERT_TRUE(op.OpenDatabase());
    EXPECT_TRUE(mDb.IsDamaged());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown.first().contains(QStringLiteral("已损坏"))) << prompter.shown.first().toStdString();
    EXPECT_TRUE(prompter.shown.first().contains(QDir::toNativeSeparators(backup)));
    QString error;
    EXPECT_FALSE(Insert(QStringLiteral("more"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("已损坏")));
    EXPECT_FALSE(mDb.Execute(QStringLiteral("DELETE * FROM t"), &error));
    EXPECT_FALSE(Transaction(mDb).Active());
}

TEST_F(DataSafety, DatabaseAndBackupsAreOwnerOnlyAndTheLastTenAreKept)
{
    ASSERT_TRUE(Insert(QStringLiteral("账")));
    EXPECT_TRUE(OwnerOnly(mPath));
    const QDateTime first(QDate(2026, 12, 1), QTime(9, 0));
    QString newest;
    for (int day = 0; day < 12; ++day) {
        ASSERT_TRUE(DatabaseBackup::DailyBackup(mDb, first.addDays(day)));
        ASSERT_TRUE(DatabaseBackup::DailyBackup(mDb, first.addDays(day).addSecs(3600))); // same day: no copy
        newest = DatabaseBackup::LatestBackup(mPath);
    }
    const QDir folder(DatabaseBackup::BackupFolder(mPath));
    EXPECT_EQ(folder.entryList(QDir::Files).size(), DatabaseBackup::kKept);
    EXPECT_EQ(newest, DatabaseBackup::BackupName(mPath, first.addDays(11)));
    EXPECT_TRUE(OwnerOnly(newest));
    Database copy;
    ASSERT_TRUE(copy.Open(newest, DbOperate::DatabaseKey()));
    EXPECT_EQ(copy.ScalarNative(QStringLiteral("SELECT v FROM t")).toString(), QStringLiteral("账"));
}

TEST_F(DataSafety, RestoreRefusesForeignFilesAndKeepsTheReplacedOne)
{
    ASSERT_TRUE(Insert(QStringLiteral("old")));
    const QString backup = DatabaseBackup::MakeBackup(mDb, QDateTime(QDate(2026, 12, 8), QTime(8, 0)));
    ASSERT_TRUE(Insert(QStringLiteral("new")));
    mDb.Close();
    const QString foreign = QDir(mDir.path()).filePath(QStringLiteral("other.mdb"));
    QFile junk(foreign);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'x'));
    junk.close();
    const QDateTime when(QDate(2026, 12, 9), QTime(10, 0));
    QString error;
    EXPECT_FALSE(DatabaseBackup::Restore(mPath, foreign, DbOperate::DatabaseKey(), when, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不是本程序的数据文件"))) << error.toStdString();
    ASSERT_TRUE(DatabaseBackup::Restore(mPath, backup, DbOperate::DatabaseKey(), when, &error)) << error.toStdString();
    ASSERT_TRUE(mDb.Open(mPath, DbOperate::DatabaseKey()));
    EXPECT_EQ(Rows(), 1);
    const QStringList kept =
        QDir(DatabaseBackup::BackupFolder(mPath)).entryList({QStringLiteral("replaced-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    Database replaced;
    ASSERT_TRUE(replaced.Open(QDir(DatabaseBackup::BackupFolder(mPath)).filePath(kept.first()), DbOperate::DatabaseKey()));
    EXPECT_EQ(replaced.ScalarNative(QStringLiteral("SELECT count(*) FROM t")).toInt(), 2);
}

} // namespace
} // namespace kestrio
