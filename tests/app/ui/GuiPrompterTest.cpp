#include "app/ui/GuiPrompter.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace kestrio {
namespace {

// Runs `act` on the modal dialog as soon as it is up (the prompter blocks until then).
void OnModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start(10);
}

QPushButton* ButtonWithText(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

TEST(GuiPrompterTest, AskShowsYesAndNoUnderTheProgramName)
{
    GuiPrompter prompter;
    QString title;
    QString text;
    QStringList buttons;
    OnModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons()) buttons << button->text();
        ButtonWithText(box, QStringLiteral("是"))->click();
    });
    EXPECT_TRUE(prompter.Ask(QStringLiteral("您确定要删除选定的输入框和当前输入框？")));
    EXPECT_EQ(title, QStringLiteral("Kestrio支票打印"));
    EXPECT_EQ(text, QStringLiteral("您确定要删除选定的输入框和当前输入框？"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));

    OnModal([](QWidget* modal) { ButtonWithText(modal, QStringLiteral("否"))->click(); });
    EXPECT_FALSE(prompter.Ask(QStringLiteral("再问一次？")));
}

TEST(GuiPrompterTest, MessageUsesTheGivenTitle)
{
    GuiPrompter prompter;
    QString title;
    QString text;
    OnModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        ButtonWithText(box, QStringLiteral("确定"))->click();
    });
    prompter.Message(QStringLiteral("密码错误！"), Prompter::Icon::Warning, QStringLiteral("登录"));
    EXPECT_EQ(title, QStringLiteral("登录"));
    EXPECT_EQ(text, QStringLiteral("密码错误！"));
}

TEST(GuiPrompterTest, InputIsPresetAndReturnsWhatWasTyped)
{
    GuiPrompter prompter;
    QString label;
    QString preset;
    OnModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        label = dialog->labelText();
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        preset = edit->text();
        edit->setText(QStringLiteral("##"));
        ButtonWithText(dialog, QStringLiteral("确定"))->click();
    });
    EXPECT_EQ(prompter.Input(QStringLiteral("请输入表示回车的表示字符串"), QStringLiteral("//")), QStringLiteral("##"));
    EXPECT_EQ(label, QStringLiteral("请输入表示回车的表示字符串"));
    EXPECT_EQ(preset, QStringLiteral("//"));

    OnModal([](QWidget* modal) { ButtonWithText(modal, QStringLiteral("取消"))->click(); });
    EXPECT_EQ(prompter.Input(QStringLiteral("请输入条形码（数字串）："), QStringLiteral("123")), std::nullopt);
}

} // namespace
} // namespace kestrio
