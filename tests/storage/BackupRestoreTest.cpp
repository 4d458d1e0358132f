// Backups and restores that keep data: no stale journal played into a restored file, no foreign
// or damaged file put in place, no backup overwritten by one of the same second, and a damaged
// database still read so that its data can be saved.
#include "storage/Database.h"
#include "storage/DatabaseBackup.h"
#include "storage/DbOperate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

const QStringList kTables = {QStringLiteral("CREATE TABLE Fmt(ID AUTOINCREMENT(1,1),Fmt TEXT(255))"),
                             QStringLiteral("CREATE TABLE t(ID AUTOINCREMENT(1,1),v MEMO)")};

class BackupRestoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPath = File(QStringLiteral("DATA.mdb"));
        ASSERT_TRUE(Database::Create(mPath, DbOperate::DatabaseKey(), kTables));
        ASSERT_TRUE(mDb.Open(mPath, DbOperate::DatabaseKey()));
        ASSERT_TRUE(mDb.ExecuteNative(QStringLiteral("INSERT INTO Fmt(Fmt) VALUES('支票')")));
    }
    QString File(const QString& name) const { return QDir(mDir.path()).filePath(name); }
    void Insert(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(mDb.ExecuteNative(QStringLiteral("INSERT INTO t(v) VALUES(?)"), {QString(300, u'票') + QString::number(i)}));
    }
    static int Rows(Database& db, const char* table = "t")
    {
        return db.ScalarNative(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table)).toInt();
    }
    // Four bytes of the fifth page turned over.
    static void Damage(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_GT(file.size(), 4096 * 6);
        file.seek(4096 * 4 + 700);
        QByteArray bytes = file.read(4);
        for (char& b : bytes) b = static_cast<char>(~b);
        file.seek(4096 * 4 + 700);
        file.write(bytes);
    }
    bool Restore(const QString& source, QString* error)
    {
        return DatabaseBackup::Restore(mPath, source, DbOperate::DatabaseKey(), mWhen, error);
    }

    QTemporaryDir mDir;
    QString mPath;
    Database mDb;
    const QDateTime mWhen{QDate(2026, 12, 9), QTime(10, 0)};
};

TEST_F(BackupRestoreTest, TheOldFilesJournalIsNotPlayedIntoTheRestoredOne)
{
    Insert(2);
    const QString backup = DatabaseBackup::MakeBackup(mDb, mWhen.addDays(-1));
    ASSERT_FALSE(backup.isEmpty());
    Insert(3);
    mDb.Close();
    const QString journal = mPath + QStringLiteral("-journal");
    ASSERT_TRUE(QFile::copy(mPath, journal));
    QString error;
    ASSERT_TRUE(Restore(backup, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(journal));
    ASSERT_TRUE(mDb.Open(mPath, DbOperate::DatabaseKey()));
    EXPECT_EQ(Rows(mDb), 2);
}

TEST_F(BackupRestoreTest, OnlyAWholeDatabaseOfThisProgramIsRestored)
{
    Insert(200);
    const QString damaged = DatabaseBackup::MakeBackup(mDb, mWhen.addDays(-1));
    ASSERT_FALSE(damaged.isEmpty());
    mDb.Close();
    Damage(damaged);
    const QString otherKey = File(QStringLiteral("other-key.mdb"));
    ASSERT_TRUE(Database::Create(otherKey, QByteArrayLiteral("not the program's key"), kTables));
    const QString noFormats = File(QStringLiteral("no-formats.mdb"));
    ASSERT_TRUE(Database::Create(noFormats, DbOperate::DatabaseKey(), {kTables[1]}));
    const QByteArray before = [&] {
        QFile file(mPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (const QString& source : {damaged, otherKey, noFormats}) {
        QString error;
        EXPECT_FALSE(DatabaseBackup::IsProgramDatabase(source, DbOperate::DatabaseKey())) << source.toStdString();
        EXPECT_FALSE(Restore(source, &error)) << source.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("不是本程序的数据文件"))) << error.toStdString();
        QFile file(mPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before) << source.toStdString();
    }
}

TEST_F(BackupRestoreTest, TwoBackupsInOneSecondAreBothKept)
{
    Insert(1);
    const QString first = DatabaseBackup::MakeBackup(mDb, mWhen);
    Insert(1);
    const QString second = DatabaseBackup::MakeBackup(mDb, mWhen);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    for (const auto& [path, rows] : {std::pair{first, 1}, std::pair{second, 2}}) {
        Database copy;
        ASSERT_TRUE(copy.Open(path, DbOperate::DatabaseKey())) << path.toStdString();
        EXPECT_EQ(Rows(copy), rows) << path.toStdString();
    }
}

TEST_F(BackupRestoreTest, ADamagedDatabaseStillAnswersReads)
{
    Insert(200);
    mDb.Close();
    Damage(mPath);
    QString error;
    ASSERT_TRUE(mDb.Open(mPath, DbOperate::DatabaseKey(), &error)) << error.toStdString();
    EXPECT_TRUE(mDb.IsDamaged());
    EXPECT_EQ(mDb.ScalarNative(QStringLiteral("SELECT Fmt FROM Fmt"), {}, &error).toString(), QStringLiteral("支票"))
        << error.toStdString();
    EXPECT_FALSE(mDb.ExecuteNative(QStringLiteral("INSERT INTO Fmt(Fmt) VALUES('x')")));
    // A copy of it would be as damaged: it is no backup.
    EXPECT_TRUE(DatabaseBackup::MakeBackup(mDb, mWhen, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(DatabaseBackup::LatestBackup(mPath), QString());
}

} // namespace
} // namespace kestrio
