// The web requests under the catalogue and the update check, against a server on 127.0.0.1.
#include "ScriptedServer.h"
#include "seams/Clock.h"
#include "web/NetworkHttpClient.h"
#include "web/WebText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using namespace std::chrono_literals;

class WebTextTest : public ::testing::Test {
protected:
    WebText::TextResult GetText(WebText& web, const QString& path, std::chrono::milliseconds limit = 5s)
    {
        return Await<WebText::TextResult>([&](auto done) {
            web.GetText(mServer.Address() + path, QStringLiteral("Finished"), limit, std::move(done));
        });
    }

    QString GetFile(WebText& web, const QString& path, const QString& target)
    {
        return Await<QString>([&](auto done) { web.GetFile(mServer.Address() + path, target, 5s, std::move(done)); });
    }

    test::ScriptedServer mServer;
    FixedClock mClock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5))};
    NetworkHttpClient mHttp;
    WebText mWeb{mHttp, mClock};
};

TEST_F(WebTextTest, CacheBreakerFollowsAQueryWithAmpersandElseQuestionMark)
{
    mServer.Answer(QStringLiteral("/tkd/fmt.asp"), "Finished");
    mServer.Answer(QStringLiteral("/p/a.jpg"), "jpg");
    QTemporaryDir dir;
    EXPECT_TRUE(GetText(mWeb, QStringLiteral("/tkd/fmt.asp?key=支票")).ok());
    EXPECT_EQ(GetFile(mWeb, QStringLiteral("/p/a.jpg"), dir.filePath(QStringLiteral("a.jpg"))), QString());
    EXPECT_EQ(mServer.queries,
              QStringList({QStringLiteral("key=支票&Time=09:30:05"), QStringLiteral("Time=09:30:05")}));
}

TEST_F(WebTextTest, CleanUpNeedsTheMarkerCutsAtTheLastUpperCaseBreakAndTurnsLineCodes)
{
    const struct {
        const char* text;
        std::optional<QString> cleaned;
    } cases[] = {
        {"a<br>b<br>Finishe", std::nullopt},
        {"a<br>b<br>Finished", QStringLiteral("a<br>b<br>Finished")},
        {"x<+>y<BR>Finished<BR>tail", QStringLiteral("x\r\ny<BR>Finished")},
        {"Finished and no cut", QStringLiteral("Finished and no cut")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebText::CleanUp(QString::fromUtf8(c.text), QStringLiteral("Finished")), c.cleaned) << c.text;
}

TEST_F(WebTextTest, AnswersAreReadAsUtf8WhenValidElseGb18030)
{
    EXPECT_EQ(WebText::DecodeText(QStringLiteral("建行支票").toUtf8()), QStringLiteral("建行支票"));
    QStringEncoder gb("GB18030");
    const QByteArray gbBytes = gb(QStringLiteral("建行支票"));
    ASSERT_NE(gbBytes, QStringLiteral("建行支票").toUtf8());
    EXPECT_EQ(WebText::DecodeText(gbBytes), QStringLiteral("建行支票"));
}

TEST_F(WebTextTest, ASlowServerRunsIntoTheTimeLimit)
{
    mServer.NeverAnswer(QStringLiteral("/slow"));
    QElapsedTimer clock;
    clock.start();
    const WebText::TextResult result = GetText(mWeb, QStringLiteral("/slow"), 300ms);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(result.error, QStringLiteral("网络超时！"));
    EXPECT_EQ(result.reason, QStringLiteral("服务器在0.3秒内没有答完"));
}

TEST_F(WebTextTest, ATricklingServerRunsIntoOneDeadlineForAllTries)
{
    test::DripServer drip;
    drip.drip = true;
    QElapsedTimer clock;
    clock.start();
    const WebText::TextResult result = Await<WebText::TextResult>([&](auto done) {
        mWeb.GetTextRetry(drip.Address() + QStringLiteral("/tkd/fmt.asp"), QStringLiteral("Finished"), 800ms,
                          std::move(done));
    });
    EXPECT_GE(clock.elapsed(), 700);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(result.error, QStringLiteral("网络超时！"));
    EXPECT_EQ(drip.hits, 1);

    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("a.jpg"));
    const QString error = Await<QString>([&](auto done) {
        mWeb.GetFile(drip.Address() + QStringLiteral("/a.jpg"), target, 300ms, std::move(done));
    });
    EXPECT_TRUE(error.startsWith(QStringLiteral("网络超时！"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(WebTextTest, AnOversizedOrFailedDownloadLeavesNoFileUnderTheName)
{
    NetworkHttpClient small(1000);
    WebText web(small, mClock);
    mServer.Answer(QStringLiteral("/big.zhq"), QByteArray(5000, 'x'));
    mServer.Answer(QStringLiteral("/fits.zhq"), QByteArray(1000, 'y'));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("a.zhq"));
    for (const QString& path : {QStringLiteral("/big.zhq"), QStringLiteral("/missing.zhq")}) {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an earlier download");
        old.close();
        EXPECT_FALSE(GetFile(web, path, target).isEmpty()) << path.toStdString();
        EXPECT_FALSE(QFile::exists(target)) << path.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList()) << path.toStdString();
    }
    EXPECT_EQ(GetFile(web, QStringLiteral("/fits.zhq"), target), QString());
    QFile fits(target);
    ASSERT_TRUE(fits.open(QIODevice::ReadOnly));
    EXPECT_EQ(fits.readAll(), QByteArray(1000, 'y'));
}

} // namespace
} // namespace kestrio
