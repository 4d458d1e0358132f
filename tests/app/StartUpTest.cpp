// The start of the program: first-start database, one program per folder, the password.
#include "TestApp.h"
#include "app/AccessPassword.h"
#include "startup/StartupSequence.h"

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

TEST(StartUp, ASecondProgramOnTheSameFolderEndsAtOnce)
{
    test::TestApp first;
    ASSERT_EQ(StartupSequence::Start(*first.app), StartupSequence::Next::ShowMainWindow);
    test::TestApp second(first.Folder());
    EXPECT_EQ(StartupSequence::Start(*second.app), StartupSequence::Next::AnotherInstanceRuns);
    EXPECT_TRUE(second.prompter.shown.isEmpty());

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

} // namespace
} // namespace kestrio
