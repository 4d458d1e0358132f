// The update check against a product page on 127.0.0.1, and what follows a newer version.
#include "ScriptedServer.h"
#include "TestApp.h"
#include "web/NetworkHttpClient.h"
#include "web/UpdateCheck.h"
#include "web/WebCatalogue.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using namespace std::chrono_literals;

QByteArray Page(const char* version)
{
    return QByteArrayLiteral("<html><head><title>Kestrio支票打印 (") + version +
           QByteArrayLiteral("版)</title></head><body>产品概要</body></html>");
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), mServer.Address());
        mProgramFolder = mApp.dir.filePath(QStringLiteral("program"));
        QDir().mkpath(mProgramFolder);
    }

    UpdateCheck::Outcome Check(UpdateCheck& check)
    {
        return Await<UpdateCheck::Outcome>([&](auto done) { check.CheckNewEdition(std::move(done)); });
    }

    // An updater that writes down the argument it was started with.
    void InstallUpdater()
    {
        QFile script(QDir(mProgramFolder).filePath(QStringLiteral("update")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > started.tmp && mv started.tmp started.txt\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    QString Backup(int n) const
    {
        return QDir(mApp.Folder()).filePath(QStringLiteral("BAK_data%1.DAT").arg(n, 3, 10, QLatin1Char('0')));
    }

    int FmtRows(Database& db) { return db.ScalarNative(QStringLiteral("SELECT count(*) FROM Fmt")).toInt(); }

    test::TestApp mApp;
    test::ScriptedServer mServer;
    NetworkHttpClient mHttp;
    QString mProgramFolder;
};

TEST_F(UpdateCheckTest, VersionsAreReadAsTheirLeadingNumbersAndComparedPartByPart)
{
    const struct {
        const char* text;
        const char* parts; // joined by "."; empty: reads as 0
    } versions[] = {{"1.92", "1.92"}, {"V2.05版", "2.5"}, {"0.1.0", "0.1"}, {"Build 7", "7"}, {"版本", ""}, {"", ""},
                    {"0.0", ""}, {"0.1.5版)", "0.1.5"}, {"10.2.", "10.2"}};
    for (const auto& c : versions)
        EXPECT_EQ(UpdateCheck::VersionParts(QString::fromUtf8(c.text)).join(QLatin1Char('.')), QString::fromUtf8(c.parts))
            << c.text;

    const struct {
        const char* a;
        const char* b;
        int order;
    } comparisons[] = {{"0.1.5", "0.1", 1},  {"0.10", "0.9", 1},    {"0.9", "0.10", -1},  {"2.05", "1.92", 1},
                       {"1.92", "2.05", -1}, {"2.05", "2.05", 0},   {"1.0", "1", 0},      {"1.2.10", "1.2.9", 1},
                       {"V3", "2.99.99", 1}, {"12345678901234567890.1", "12345678901234567890", 1}};
    for (const auto& c : comparisons)
        EXPECT_EQ(UpdateCheck::CompareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.order)
            << c.a << " vs " << c.b;

    const struct {
        const char* page;
        const char* version;
    } pages[] = {{"<title>X (2.05版)</title>产品概要", "2.05"},
                 {"<title>X (2.05版)</title>", ""},
                 {"<title>X 2.05版</title>产品概要", ""},
                 {"(3.1)<title>X (版)</title>产品概要", ""},
                 {"产品概要<title>X (10.2) (11)</title>", "10.2"},
                 {"产品概要<title>X (0.1.5版)</title>", "0.1.5"},
                 {"产品概要<title>X (0.10版)</title>", "0.10"}};
    for (const auto& c : pages)
        EXPECT_EQ(UpdateCheck::VersionOnPage(QString::fromUtf8(c.page)), QString::fromUtf8(c.version)) << c.page;
}

TEST_F(UpdateCheckTest, ANewerVersionBacksUpTheDatabaseAndStartsTheUpdaterAfterAsking)
{
    mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"), Page("2.05"));
    InstallUpdater();
    UpdateCheck check(*mApp.app, mHttp, QStringLiteral("Kestrio 1.92"));
    check.SetProgram(mProgramFolder, QStringLiteral("kestrio"));
    const UpdateCheck::Outcome outcome = Check(check);
    ASSERT_EQ(outcome.state, UpdateCheck::State::Newer);
    EXPECT_EQ(outcome.newest, QStringLiteral("2.05"));
    EXPECT_EQ(mServer.queries, QStringList{QStringLiteral("ID=1&Time=09:30:00")});

    QStringList steps;
    mApp.prompter.QueueAsk(true);
    const bool started = check.OfferUpdate(outcome.newest, {[&] { return steps << QStringLiteral("unsaved"), true; },
                                                             [&] { steps << QStringLiteral("quit"); }});
    EXPECT_TRUE(started);
    EXPECT_EQ(steps, QStringList({QStringLiteral("unsaved"), QStringLiteral("quit")}));
    EXPECT_EQ(mApp.prompter.shown, QStringList({QStringLiteral("发现新版本（2.05版），是否现在升级？"),
                                                QStringLiteral("本软件已升级（2.05版），启动自动升级...")}));
    Database copy;
    ASSERT_TRUE(copy.Open(Backup(0), DbOperate::DatabaseKey()));
    EXPECT_EQ(FmtRows(copy), FmtRows(mApp.app->Db()));
    EXPECT_GT(FmtRows(copy), 0);
    QString error;
    EXPECT_EQ(check.BackupDatabase(&error), Backup(1)) << error.toStdString();

    const QString argumentFile = QDir(mProgramFolder).filePath(QStringLiteral("started.txt"));
    for (QDeadlineTimer deadline(5000); !QFile::exists(argumentFile) && !deadline.hasExpired();) QThread::msleep(20);
    QFile argument(argumentFile);
    ASSERT_TRUE(argument.open(QIODevice::ReadOnly));
    EXPECT_EQ(argument.readAll(), QByteArray("kestrio_2.05.rar|kestrio"));
}

TEST_F(UpdateCheckTest, NoUpdateWhenTheUserDeclinesOrKeepsUnsavedChangesOrThereIsNoUpdater)
{
    mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"), Page("2.05"));
    UpdateCheck check(*mApp.app, mHttp, QStringLiteral("1.92"));
    check.SetProgram(mProgramFolder, QStringLiteral("kestrio"));
    ASSERT_EQ(Check(check).state, UpdateCheck::State::Newer);
    bool quit = false;
    const UpdateCheck::Hooks stays{[] { return false; }, [&] { quit = true; }};
    const UpdateCheck::Hooks leaves{[] { return true; }, [&] { quit = true; }};

    EXPECT_FALSE(check.OfferUpdate(QStringLiteral("2.05"), leaves)); // answered No
    mApp.prompter.QueueAsk(true);
    EXPECT_FALSE(check.OfferUpdate(QStringLiteral("2.05"), stays));
    mApp.prompter.QueueAsk(true);
    EXPECT_FALSE(check.OfferUpdate(QStringLiteral("2.05"), leaves)); // no updater
    EXPECT_EQ(mApp.prompter.shown.last(), QStringLiteral("新版本（2.05版）请从下载页取得：\r\n") + mServer.Address() +
                                              QStringLiteral("/velmorasoft/downpage/Pro.asp?ID=1"));
    EXPECT_FALSE(quit);
    EXPECT_FALSE(QFile::exists(Backup(0)));
}

TEST_F(UpdateCheckTest, AThreePartOrTwoDigitVersionIsNewer)
{
    for (const auto& [page, own] : {std::pair{"0.1.5", "0.1"}, std::pair{"0.10", "0.9"}}) {
        mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"), Page(page));
        UpdateCheck check(*mApp.app, mHttp, QString::fromUtf8(own));
        const UpdateCheck::Outcome outcome = Check(check);
        EXPECT_EQ(outcome.state, UpdateCheck::State::Newer) << page;
        EXPECT_EQ(outcome.newest, QString::fromUtf8(page));
    }
}

TEST_F(UpdateCheckTest, AnEqualVersionDoesNothingAndIsNotAskedForAgain)
{
    mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"), Page("2.05"));
    UpdateCheck check(*mApp.app, mHttp, QStringLiteral("2.05"));
    for (int i = 0; i < 2; ++i) {
        const UpdateCheck::Outcome outcome = Check(check);
        EXPECT_EQ(outcome.state, UpdateCheck::State::UpToDate);
        EXPECT_EQ(outcome.newest, QStringLiteral("2.05"));
    }
    EXPECT_EQ(mServer.hits.value(QStringLiteral("/velmorasoft/downpage/Pro.asp")), 1);
    EXPECT_FALSE(QFile::exists(Backup(0)));
}

TEST_F(UpdateCheckTest, APageWithoutTheSummaryOrVersionTellsNothing)
{
    mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"), "<title>Kestrio (2.05版)</title>");
    UpdateCheck check(*mApp.app, mHttp, QStringLiteral("1.92"));
    const UpdateCheck::Outcome outcome = Check(check);
    EXPECT_EQ(outcome.state, UpdateCheck::State::Failed);
    EXPECT_EQ(outcome.newest, QString());
    EXPECT_EQ(check.Newest(), QString());
}

} // namespace
} // namespace kestrio
