// The web parts at their edges: a folder next to the served one, a catalogue that replaces the
// old list, an update that must not start without its backup or with an unreadable own version.
#include "ScriptedServer.h"
#include "TestApp.h"
#include "format/Grid.h"
#include "web/CatalogueServer.h"
#include "web/NetworkHttpClient.h"
#include "web/UpdateCheck.h"
#include "web/WebCatalogue.h"

#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using namespace std::chrono_literals;

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(CatalogueFolder, AFolderWhoseNameStartsLikeTheServedOneIsOutside)
{
    QTemporaryDir dir;
    const QString pub = dir.filePath(QStringLiteral("pub"));
    WriteBytes(pub + QStringLiteral("/own.zhq"), "own");
    WriteBytes(dir.filePath(QStringLiteral("pub2/secret.zhq")), "secret");
    WriteBytes(dir.filePath(QStringLiteral("pub-old/银行/old.zhq")), "old");
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("pub2/secret.zhq")), pub + QStringLiteral("/secret.zhq")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("pub-old/银行")), pub + QStringLiteral("/银行")));
    const std::pair<const char*, bool> cases[] = {{"/own.zhq", true}, {"/secret.zhq", false}, {"/银行/old.zhq", false}};
    for (const auto& [path, served] : cases)
        EXPECT_EQ(CatalogueServer::FileForPath(pub, QString::fromUtf8(path)).isEmpty(), !served) << path;
    EXPECT_FALSE(CatalogueServer::CatalogueText(pub).contains("secret"));
}

QByteArray Page(const char* version)
{
    return QByteArrayLiteral("<html><head><title>Kestrio支票打印 (") + version +
           QByteArrayLiteral("版)</title></head><body>产品概要</body></html>");
}

class WebEdgesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), mServer.Address());
        mProgramFolder = mApp.dir.filePath(QStringLiteral("program"));
        QDir().mkpath(mProgramFolder);
        mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"), Page("2.05"));
    }
    UpdateCheck::Outcome Check(UpdateCheck& check)
    {
        return Await<UpdateCheck::Outcome>([&](auto done) { check.CheckNewEdition(std::move(done)); });
    }
    QString Started() const { return QDir(mProgramFolder).filePath(QStringLiteral("started.txt")); }

    test::TestApp mApp;
    test::ScriptedServer mServer;
    NetworkHttpClient mHttp;
    QString mProgramFolder;
};

TEST_F(WebEdgesTest, ACatalogueUpdateReplacesTheOldList)
{
    WebCatalogue catalogue(*mApp.app, mHttp);
    catalogue.SetTimeLimit(5s);
    ASSERT_TRUE(catalogue.StoreCatalogue({{QStringLiteral("旧"), QStringLiteral("旧格式"), QStringLiteral("/o.zhq"),
                                           QStringLiteral("/o.jpg"), QDate(2020, 2, 3)}}));
    mServer.Answer(QStringLiteral("/tkd/fmt.asp"), QStringLiteral("银行|建行支票|/a.zhq|/a.jpg|2024-1-5<br><+>Finished").toUtf8());
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(Await<WebText::TextResult>([&](auto done) { catalogue.UpdateCatalogue(std::move(done)); }).ok());
        Grid grid;
        catalogue.FillCatalogueGrid(grid);
        ASSERT_EQ(grid.RowCount() - grid.FixedRows(), 1) << i;
        EXPECT_EQ(grid.Text(grid.FixedRows(), WebCatalogue::ColName), QStringLiteral("建行支票"));
    }
}

TEST_F(WebEdgesTest, AnUnreadableOwnVersionIsNeverOfferedAnUpdate)
{
    for (const char* own : {"", "版本", "beta"}) {
        UpdateCheck check(*mApp.app, mHttp, QString::fromUtf8(own));
        for (int i = 0; i < 2; ++i) EXPECT_EQ(Check(check).state, UpdateCheck::State::UpToDate) << own << " call " << i;
    }
}

TEST_F(WebEdgesTest, AFailedBackupStopsTheUpdate)
{
    QFile script(QDir(mProgramFolder).filePath(QStringLiteral("update")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ntouch started.txt\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    // Every backup name is taken.
    for (int n = 0; n <= 1000; ++n)
        WriteBytes(QDir(mApp.Folder()).filePath(QStringLiteral("BAK_data%1.DAT").arg(n, 3, 10, QLatin1Char('0'))), {});

    UpdateCheck check(*mApp.app, mHttp, QStringLiteral("1.92"));
    check.SetProgram(mProgramFolder, QStringLiteral("kestrio"));
    ASSERT_EQ(Check(check).state, UpdateCheck::State::Newer);
    bool quit = false;
    mApp.prompter.QueueAsk(true);
    EXPECT_FALSE(check.OfferUpdate(QStringLiteral("2.05"), {[] { return true; }, [&] { quit = true; }}));
    EXPECT_FALSE(quit);
    ASSERT_FALSE(mApp.prompter.shown.isEmpty());
    EXPECT_TRUE(mApp.prompter.shown.last().startsWith(QStringLiteral("数据库备份失败"))) << mApp.prompter.shown.last().toStdString();
    QThread::msleep(300);
    EXPECT_FALSE(QFile::exists(Started()));
}

} // namespace
} // namespace kestrio
