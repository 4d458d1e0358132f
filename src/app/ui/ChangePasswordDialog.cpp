#include "app/ui/ChangePasswordDialog.h"

#include "WidgetPlace.h"
#include "app/AccessPassword.h"
#include "app/AppContext.h"
#include "seams/Prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrio {

ChangePasswordDialog::ChangePasswordDialog(AppContext& app, QWidget* parent) : QWidget(parent, Qt::Dialog), mApp(app)
{
    setObjectName(QStringLiteral("ModiPSD"));
    setWindowTitle(Caption());
    setAttribute(Qt::WA_QuitOnClose, false);
    BuildControls();
    setFixedSize(sizeHint().expandedTo(QSize(WidgetPlace::ToPixelsX(4200), 0)));
    WidgetPlace::CentreInWorkArea(*this, app.Screen());
}

void ChangePasswordDialog::BuildControls()
{
    const QStringList captions{QStringLiteral("原有密码："), QStringLiteral("新的密码："), QStringLiteral("再次输入：")};
    auto* grid = new QGridLayout(this);
    mOkButton = new QPushButton(QStringLiteral("确  定"), this);
    mOkButton->setObjectName(QStringLiteral("Com"));
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("T_%1").arg(i));
        box->setEchoMode(QLineEdit::Password);
        auto* label = new QLabel(captions[i], this);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        connect(box, &QLineEdit::returnPressed, mOkButton, &QPushButton::click);
        mFields[static_cast<std::size_t>(i)] = box;
    }
    // Whether there is an old password to type is told, not guessed.
    const bool set = AccessPassword(mApp.Parameters()).IsSet();
    mFields[0]->setPlaceholderText(set ? QStringLiteral("请输入原有密码") : QStringLiteral("原始密码为空"));
    mFields[1]->setPlaceholderText(QStringLiteral("不输内容表示去除密码"));
    // Leaving the password as it is must be as plain as changing it.
    mCancelButton = new QPushButton(QStringLiteral("取  消"), this);
    mCancelButton->setObjectName(QStringLiteral("Cancel"));
    connect(mCancelButton, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOkButton);
    buttons->addWidget(mCancelButton);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(mOkButton, &QPushButton::clicked, this, &ChangePasswordDialog::OnOkClicked);
}

// A wrong old password gets no answer at all, so the box gives nothing away.
void ChangePasswordDialog::OnOkClicked()
{
    AccessPassword password(mApp.Parameters());
    switch (password.ChangePassword(mFields[0]->text(), mFields[1]->text(), mFields[2]->text())) {
    case AccessPassword::Change::NewPasswordsDiffer:
        mApp.Prompt().Message(QStringLiteral("两次输入的新密码不相符！"), Prompter::Icon::Warning);
        break;
    case AccessPassword::Change::Changed:
        close();
        break;
    case AccessPassword::Change::WrongOldPassword:
        break;
    case AccessPassword::Change::NotStored:
        mApp.Prompt().Message(QStringLiteral("密码保存失败，原有密码仍然有效！"), Prompter::Icon::Critical);
        break;
    }
}

} // namespace kestrio
