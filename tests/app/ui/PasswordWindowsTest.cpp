#include "TestApp.h"
#include "app/AccessPassword.h"
#include "workbench/ui/MainWindow.h"
#include "app/ui/ChangePasswordDialog.h"
#include "app/ui/PasswordPrompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace kestrio {
namespace {

class PasswordWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.Open()); }

    QString Password() { return mTest.app->Parameters().GetParam(AccessPassword::ParamName()); }
    void SetPassword(const QString& value) { mTest.app->Parameters().SetParam(AccessPassword::ParamName(), value); }
    // Key by key, Chinese characters included.
    static void Type(QLineEdit* box, const QString& text)
    {
        for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    static void TypeAndEnter(QLineEdit* box, const QString& text)
    {
        box->clear();
        Type(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    static QStringList LabelTexts(const QWidget& window)
    {
        QStringList texts;
        for (const QLabel* label : window.findChildren<QLabel*>()) texts << label->text();
        return texts;
    }

    test::TestApp mTest;
};

TEST_F(PasswordWindowsTest, PromptReadsAsDesigned)
{
    PasswordPrompt prompt(*mTest.app);
    EXPECT_EQ(prompt.windowTitle(), QStringLiteral("请输入密码"));
    EXPECT_EQ(LabelTexts(prompt), QStringList{QStringLiteral("密码：")});
    EXPECT_EQ(prompt.OkButton()->text(), QStringLiteral("确    定"));
    EXPECT_EQ(prompt.PasswordBox()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(prompt.isModal());
}

TEST_F(PasswordWindowsTest, WrongPasswordKeepsThePromptOpen)
{
    SetPassword(QStringLiteral("Secret"));
    PasswordPrompt prompt(*mTest.app);
    QSignalSpy accepted(&prompt, &PasswordPrompt::PasswordAccepted);
    prompt.show();
    TypeAndEnter(prompt.PasswordBox(), QStringLiteral("secret"));
    TypeAndEnter(prompt.PasswordBox(), QStringLiteral("Secret "));
    EXPECT_EQ(mTest.prompter.shown, (QStringList{QStringLiteral("密码错误！"), QStringLiteral("密码错误！")}));
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_TRUE(prompt.isVisible());
}

// The password has trailing spaces; only the same spaces open the program.
TEST_F(PasswordWindowsTest, RightPasswordShowsTheMainWindowAndClosesThePrompt)
{
    SetPassword(QStringLiteral("开门 12  "));
    PasswordPrompt prompt(*mTest.app);
    std::unique_ptr<MainWindow> main;
    QObject::connect(&prompt, &PasswordPrompt::PasswordAccepted, [&] {
        main = std::make_unique<MainWindow>(*mTest.app);
        main->show();
    });
    prompt.show();
    TypeAndEnter(prompt.PasswordBox(), QStringLiteral("开门 12"));
    EXPECT_EQ(main, nullptr);
    TypeAndEnter(prompt.PasswordBox(), QStringLiteral("开门 12  "));
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(mTest.prompter.shown, QStringList{QStringLiteral("密码错误！")});
}

TEST_F(PasswordWindowsTest, ChangeWindowReadsAsDesigned)
{
    ChangePasswordDialog change(*mTest.app);
    EXPECT_EQ(change.windowTitle(), QStringLiteral("修改密码"));
    EXPECT_EQ(LabelTexts(change),
              (QStringList{QStringLiteral("原有密码："), QStringLiteral("新的密码："), QStringLiteral("再次输入：")}));
    EXPECT_EQ(change.Field(0)->placeholderText(), QStringLiteral("原始密码为空"));
    EXPECT_EQ(change.Field(1)->placeholderText(), QStringLiteral("不输内容表示去除密码"));
    EXPECT_EQ(change.Field(2)->placeholderText(), QString());
    EXPECT_EQ(change.OkButton()->text(), QStringLiteral("确  定"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(change.Field(i)->echoMode(), QLineEdit::Password);

    // Once a password is set, the window no longer says there is none.
    SetPassword(QStringLiteral("old"));
    ChangePasswordDialog again(*mTest.app);
    EXPECT_EQ(again.Field(0)->placeholderText(), QStringLiteral("请输入原有密码"));
}

TEST_F(PasswordWindowsTest, DifferentNewPasswordsAreRefused)
{
    ChangePasswordDialog change(*mTest.app);
    change.show();
    Type(change.Field(1), QStringLiteral("abc"));
    Type(change.Field(2), QStringLiteral("abd"));
    QTest::keyClick(change.Field(0), Qt::Key_Return);
    EXPECT_EQ(mTest.prompter.shown, QStringList{QStringLiteral("两次输入的新密码不相符！")});
    EXPECT_EQ(Password(), QString());
    EXPECT_TRUE(change.isVisible());
}

TEST_F(PasswordWindowsTest, WrongOldPasswordDoesNothingVisible)
{
    SetPassword(QStringLiteral("old"));
    ChangePasswordDialog change(*mTest.app);
    change.show();
    Type(change.Field(0), QStringLiteral("OLD"));
    Type(change.Field(1), QStringLiteral("new"));
    Type(change.Field(2), QStringLiteral("new"));
    QTest::keyClick(change.Field(2), Qt::Key_Return);
    EXPECT_TRUE(mTest.prompter.shown.isEmpty());
    EXPECT_EQ(Password(), QStringLiteral("old"));
    EXPECT_TRUE(change.isVisible());
}

TEST_F(PasswordWindowsTest, EmptyOldPasswordSetsTheFirstPassword)
{
    ChangePasswordDialog change(*mTest.app);
    change.show();
    Type(change.Field(1), QStringLiteral("O'Brien 密码"));
    Type(change.Field(2), QStringLiteral("O'Brien 密码"));
    QTest::keyClick(change.Field(1), Qt::Key_Enter);
    EXPECT_TRUE(AccessPassword::Verify(Password(), QStringLiteral("O'Brien 密码"))) << Password().toStdString();
    EXPECT_FALSE(Password().contains(QStringLiteral("密码")));
    EXPECT_FALSE(change.isVisible());
    EXPECT_TRUE(mTest.prompter.shown.isEmpty());
}

TEST_F(PasswordWindowsTest, CancelLeavesThePasswordAsItWas)
{
    SetPassword(QStringLiteral("old"));
    ChangePasswordDialog change(*mTest.app);
    change.show();
    Type(change.Field(0), QStringLiteral("old"));
    QTest::mouseClick(change.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(Password(), QStringLiteral("old"));
    EXPECT_FALSE(change.isVisible());
}

TEST_F(PasswordWindowsTest, EmptyNewPasswordRemovesTheProtection)
{
    SetPassword(QStringLiteral("old"));
    ChangePasswordDialog change(*mTest.app);
    change.show();
    Type(change.Field(0), QStringLiteral("old"));
    QTest::mouseClick(change.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Password(), QString());
    EXPECT_FALSE(AccessPassword(mTest.app->Parameters()).IsSet());
    EXPECT_FALSE(change.isVisible());
}

TEST_F(PasswordWindowsTest, MainWindowOpensOneChangeWindowWithoutBlocking)
{
    MainWindow main(*mTest.app);
    main.show();
    EXPECT_EQ(main.PasswordWindow(), nullptr);
    main.Action(QStringLiteral("mPSDSet"))->trigger();
    ChangePasswordDialog* change = main.PasswordWindow();
    ASSERT_NE(change, nullptr);
    EXPECT_TRUE(change->isVisible());
    EXPECT_FALSE(change->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    main.Action(QStringLiteral("mPSDSet"))->trigger();
    EXPECT_EQ(main.PasswordWindow(), change);
    EXPECT_EQ(main.findChildren<ChangePasswordDialog*>().size(), 1);
}

} // namespace
} // namespace kestrio
