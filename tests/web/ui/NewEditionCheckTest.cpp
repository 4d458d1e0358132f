// The main window's once-per-run update check, against a product page on 127.0.0.1.
#include "ScriptedServer.h"
#include "TestApp.h"
#include "web/WebCatalogue.h"
#include "web/ui/NewEditionCheck.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using namespace std::chrono_literals;

class NewEditionCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        mServer.Answer(QStringLiteral("/velmorasoft/downpage/Pro.asp"),
                       "<title>Kestrio (9999.5版)</title><body>产品概要</body>");
    }

    void RunCheck(NewEditionCheck& check)
    {
        check.Start(0ms);
        check.Start(0ms); // once per run
        for (QDeadlineTimer deadline(10000); !check.Done() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(check.Done());
    }

    test::TestApp mApp;
    test::ScriptedServer mServer;
    QWidget mWindow;
};

TEST_F(NewEditionCheckTest, WithoutAnAddressTheCheckEndsWithoutTheNetwork)
{
    NewEditionCheck check(*mApp.app, mWindow);
    RunCheck(check);
    EXPECT_TRUE(mServer.hits.isEmpty());
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
}

TEST_F(NewEditionCheckTest, ANewerVersionIsOfferedAndDecliningKeepsTheProgramRunning)
{
    mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), mServer.Address());
    NewEditionCheck check(*mApp.app, mWindow);
    bool asked = false;
    check.SetUnsavedChangesQuestion([&] { return asked = true, false; });
    mWindow.show();
    mApp.prompter.QueueAsk(true);
    RunCheck(check);
    EXPECT_EQ(mServer.hits.value(QStringLiteral("/velmorasoft/downpage/Pro.asp")), 1);
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("发现新版本（9999.5版），是否现在升级？")});
    EXPECT_TRUE(asked);
    EXPECT_TRUE(mWindow.isVisible());
}

} // namespace
} // namespace kestrio
