// The start of the program: first-start database, one program per folder, the password.
#include "TestApp.h"
#include "app/AccessPassword.h"
#include "app/Params.h"
#include "startup/StartupSequence.h"
#include "storage/DatabaseBackup.h"
#include "storage/DerivedKey.h"

#include <sqlcipher/sqlite3.h>

#include <QFile>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(StartUp, AFirstStartMakesTheDatabaseAndGoesToTheMainWindow)
{
    test::TestApp t;
    ASSERT_FALSE(QFile::exists(t.DatabasePath()));
    EXPECT_EQ(StartupSequence::Start(*t.app), StartupSequence::Next::ShowMainWindow);
    EXPECT_TRUE(t.prompter.shown.isEmpty());
    DbOperate& db = t.app->DbOp();
    for (const char* table : {"Fmt", "历史", "默认", "映射", "参数", "网站格式"})
        EXPECT_TRUE(db.TableExists(QString::fromUtf8(table))) << table;
    EXPECT_EQ(db.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=''")).RecordCount(), 1);
    EXPECT_TRUE(t.app->ChosenValue.isEmpty());
}

// A first start killed once the new file is complete but before it is in place leaves no
// database; the next start makes a whole one, demo formats included.
TEST(StartUp, AFirstStartKilledBeforeTheRenameLeavesNoDatabase)
{
    test::TestApp t;
    bool formatsWritten = false;
    const auto killed = [&] {
        Database partial;
        formatsWritten = partial.Open(Database::PartialPath(t.DatabasePath()), DbOperate::DatabaseKey()) &&
                         partial.ScalarNative(QStringLiteral("SELECT count(*) FROM Fmt WHERE LBL='【§单据整体格式参数§】'"))
                                 .toInt() == 4;
        return false;
    };
    EXPECT_FALSE(StartupSequence::OpenData(*t.app, killed));
    EXPECT_TRUE(formatsWritten);
    EXPECT_FALSE(QFile::exists(t.DatabasePath()));
    ASSERT_TRUE(t.Open());
    EXPECT_EQ(t.app->Db().ScalarNative(QStringLiteral("SELECT count(*) FROM Fmt WHERE LBL='【§单据整体格式参数§】'")).toInt(), 4);
    EXPECT_FALSE(QFile::exists(Database::PartialPath(t.DatabasePath())));
}

TEST(StartUp, TheFirstStartOfADayKeepsABackup)
{
    test::TestApp t;
    ASSERT_EQ(StartupSequence::Start(*t.app), StartupSequence::Next::ShowMainWindow);
    EXPECT_EQ(DatabaseBackup::LatestBackup(t.DatabasePath()), DatabaseBackup::BackupName(t.DatabasePath(), t.clock.Now()));
}

// Making the file, opening it, the day's backup and its check all open one salt: the key is
// derived once. The backup still opens with the passphrase alone, as any copy of ours must.
TEST(StartUp, AFirstStartDerivesTheDatabaseKeyOnce)
{
    test::TestApp t;
    const int before = DerivedKey::Derivations();
    ASSERT_EQ(StartupSequence::Start(*t.app), StartupSequence::Next::ShowMainWindow);
    EXPECT_EQ(DerivedKey::Derivations() - before, 1);
    const QString backup = DatabaseBackup::LatestBackup(t.DatabasePath());
    ASSERT_FALSE(backup.isEmpty());
    EXPECT_TRUE(DatabaseBackup::IsProgramDatabase(backup, DbOperate::DatabaseKey()));
    // Keyed with the key derived for the database, not by the engine from the passphrase
    // (which would salt the copy afresh and derive again).
    EXPECT_EQ(DerivedKey::SaltOf(backup), DerivedKey::SaltOf(t.DatabasePath()));
    EXPECT_EQ(DerivedKey::Derivations() - before, 1);

    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(backup).constData(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const QByteArray key = "PRAGMA key = '" + DbOperate::DatabaseKey() + "'";
    sqlite3_stmt* count = nullptr;
    EXPECT_EQ(sqlite3_exec(plain, key.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(plain, "SELECT count(*) FROM Fmt", -1, &count, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_GT(sqlite3_column_int(count, 0), 1); // the demo formats are in the copy
    sqlite3_finalize(count);
    sqlite3_close(plain);
}

TEST(StartUp, ASecondProgramOnTheSameFolderEndsAtOnce)
{
    test::TestApp first;
    ASSERT_EQ(StartupSequence::Start(*first.app), StartupSequence::Next::ShowMainWindow);
    test::TestApp second(first.Folder());
    EXPECT_EQ(StartupSequence::Start(*second.app), StartupSequence::Next::AnotherInstanceRuns);
    EXPECT_EQ(second.prompter.shown, QStringList{StartupSequence::AlreadyRunningText(first.Folder())});

    test::TestApp elsewhere; // another folder is another program
    EXPECT_EQ(StartupSequence::Start(*elsewhere.app), StartupSequence::Next::ShowMainWindow);
}

TEST(StartUp, APasswordIsAskedOnlyWhenOneIsSet)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    AccessPassword password(t.app->Parameters());
    t.app->Parameters().SetParam(AccessPassword::ParamName(), QString());
    EXPECT_FALSE(password.IsSet());

    t.app->Parameters().SetParam(AccessPassword::ParamName(), QStringLiteral("abc  "));
    test::TestApp next(t.Folder());
    t.app.reset(); // the first program has ended
    EXPECT_EQ(StartupSequence::Start(*next.app), StartupSequence::Next::AskPassword);
    AccessPassword asked(next.app->Parameters());
    EXPECT_FALSE(asked.Matches(QStringLiteral("abc")));
    EXPECT_FALSE(asked.Matches(QStringLiteral("ABC  ")));
    EXPECT_TRUE(asked.Matches(QStringLiteral("abc  ")));
}

TEST(AccessPassword, ChangingFollowsTheRules)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    AccessPassword password(t.app->Parameters());
    using Change = AccessPassword::Change;
    // No password yet: an empty old password matches.
    EXPECT_EQ(password.ChangePassword(QString(), QStringLiteral("1"), QStringLiteral("2")), Change::NewPasswordsDiffer);
    EXPECT_FALSE(password.IsSet());
    EXPECT_EQ(password.ChangePassword(QString(), QStringLiteral("密码"), QStringLiteral("密码")), Change::Changed);
    EXPECT_TRUE(password.Matches(QStringLiteral("密码")));
    EXPECT_EQ(password.ChangePassword(QStringLiteral("错"), QStringLiteral("新"), QStringLiteral("新")), Change::WrongOldPassword);
    EXPECT_TRUE(password.Matches(QStringLiteral("密码")));
    // An empty new password removes the protection.
    EXPECT_EQ(password.ChangePassword(QStringLiteral("密码"), QString(), QString()), Change::Changed);
    EXPECT_FALSE(password.IsSet());
}

// Only a salted hash is kept; one left as text by an earlier version still opens, once, and
// is then kept hashed.
TEST(AccessPassword, OnlyASaltedHashIsKept)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    Params& params = t.app->Parameters();
    AccessPassword password(params);
    ASSERT_EQ(password.ChangePassword(QString(), QStringLiteral("abc  "), QStringLiteral("abc  ")),
              AccessPassword::Change::Changed);
    const QString stored = params.GetParam(AccessPassword::ParamName());
    EXPECT_TRUE(stored.startsWith(QStringLiteral("PBKDF2-SHA256$"))) << stored.toStdString();
    EXPECT_FALSE(stored.contains(QStringLiteral("abc")));
    EXPECT_NE(AccessPassword::Hash(QStringLiteral("abc  ")), AccessPassword::Hash(QStringLiteral("abc  "))); // salted
    EXPECT_TRUE(password.Matches(QStringLiteral("abc  ")));
    EXPECT_FALSE(password.Matches(QStringLiteral("abc")));

    params.SetParam(AccessPassword::ParamName(), QStringLiteral("旧密码"));
    EXPECT_FALSE(password.Matches(QStringLiteral("旧")));
    EXPECT_EQ(params.GetParam(AccessPassword::ParamName()), QStringLiteral("旧密码"));
    EXPECT_TRUE(password.Matches(QStringLiteral("旧密码")));
    EXPECT_TRUE(AccessPassword::IsHash(params.GetParam(AccessPassword::ParamName())));
    EXPECT_TRUE(password.Matches(QStringLiteral("旧密码")));
}

} // namespace
} // namespace kestrio
