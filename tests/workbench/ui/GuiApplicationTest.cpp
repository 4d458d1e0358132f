#include "TestApp.h"
#include "app/AccessPassword.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

// The real program, started the way the start-up benchmark starts it.
class GuiApplicationTest : public ::testing::Test {
protected:
    struct Run {
        int code = -1;
        QString out;
    };

    Run Start(const QString& dataDir)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(mHome.path()).filePath(QStringLiteral("config")));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KESTRIO_BINARY),
                      {QStringLiteral("--data-dir"), dataDir, QStringLiteral("--startup-probe")});
        if (!process.waitForFinished(60'000)) process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput())};
    }

    QTemporaryDir mHome;
};

TEST_F(GuiApplicationTest, FirstStartShowsTheMainWindowAndReportsTheTime)
{
    const QString folder = QDir(mHome.path()).filePath(QStringLiteral("数据"));
    const Run run = Start(folder);
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^startup-ms \\d+\\n$")).match(run.out).hasMatch()) << run.out.toStdString();
    EXPECT_TRUE(QFileInfo(QDir(folder).filePath(QStringLiteral("DATA.mdb"))).isFile());
    EXPECT_TRUE(QFileInfo(QDir(folder).filePath(QStringLiteral("Temp"))).isDir());
}

TEST_F(GuiApplicationTest, PasswordPromptComesFirstWhenAPasswordIsSet)
{
    const QString folder = QDir(mHome.path()).filePath(QStringLiteral("app"));
    {
        test::TestApp prepared(folder);
        ASSERT_TRUE(prepared.Open());
        prepared.app->Parameters().SetParam(AccessPassword::ParamName(), QStringLiteral("123"));
    }
    const Run run = Start(folder);
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.out, QString());
}

TEST_F(GuiApplicationTest, SecondProgramOnTheSameFolderEndsAtOnce)
{
    const QString folder = QDir(mHome.path()).filePath(QStringLiteral("app"));
    test::TestApp running(folder);
    ASSERT_TRUE(running.Open());
    ASSERT_TRUE(running.app->Instance().Acquire());
    const Run run = Start(folder);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QString());
}

} // namespace
} // namespace kestrio
