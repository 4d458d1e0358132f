#include "app/ui/ChangePasswordDialog.h"

#include "WidgetPlace.h"
#include "app/AccessPassword.h"
#include "app/AppContext.h"
#include "seams/Prompter.h"

#include <QGridLayout>
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
    mButtons = new QPushButton(QStringLiteral("确  定"), this);
    mButtons->setObjectName(QStringLiteral("Com"));
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("T_%1").arg(i));
        box->setEchoMode(QLineEdit::Password);
        auto* label = new QLabel(captions[i], this);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        connect(box, &QLineEdit::returnPressed, mButtons, &QPushButton::click);
        mT[static_cast<std::size_t>(i)] = box;
    }
    mT[0]->setPlaceholderText(QStringLiteral("原始密码为空"));
    mT[1]->setPlaceholderText(QStringLiteral("不输内容表示去除密码"));
    grid->addWidget(mButtons, 3, 1, Qt::AlignRight);
    connect(mButtons, &QPushButton::clicked, this, &ChangePasswordDialog::OnButtonClicked);
}

// A wrong old password gets no answer at all, so the box gives nothing away.
void ChangePasswordDialog::OnButtonClicked()
{
    AccessPassword password(mApp.Parameters());
    switch (password.ChangePassword(mT[0]->text(), mT[1]->text(), mT[2]->text())) {
    case AccessPassword::Change::NewPasswordsDiffer:
        mApp.Prompt().Message(QStringLiteral("两次输入的新密码不相符！"), Prompter::Icon::Warning);
        break;
    case AccessPassword::Change::Changed:
        close();
        break;
    case AccessPassword::Change::WrongOldPassword:
        break;
    }
}

} // namespace kestrio
