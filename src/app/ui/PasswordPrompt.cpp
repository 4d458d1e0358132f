#include "app/ui/PasswordPrompt.h"

#include "WidgetPlace.h"
#include "app/AccessPassword.h"
#include "app/AppContext.h"
#include "seams/Prompter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrio {

PasswordPrompt::PasswordPrompt(AppContext& app, QWidget* parent) : QWidget(parent, Qt::Dialog), mApp(app)
{
    setObjectName(QStringLiteral("PSDCon"));
    setWindowTitle(Caption());
    BuildControls();
    setFixedSize(sizeHint().expandedTo(QSize(WidgetPlace::ToPixelsX(4200), 0)));
    WidgetPlace::CentreInWorkArea(*this, app.Screen());
}

void PasswordPrompt::BuildControls()
{
    auto* label = new QLabel(QStringLiteral("密码："), this);
    mT = new QLineEdit(this);
    mT->setObjectName(QStringLiteral("T"));
    mT->setEchoMode(QLineEdit::Password);
    label->setBuddy(mT);
    mButtons = new QPushButton(QStringLiteral("确    定"), this);
    mButtons->setObjectName(QStringLiteral("Com"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(mT, 0, 1);
    grid->addWidget(mButtons, 1, 1, Qt::AlignRight);

    connect(mT, &QLineEdit::returnPressed, mButtons, &QPushButton::click);
    connect(mButtons, &QPushButton::clicked, this, &PasswordPrompt::OnButtonClicked);
}

// Any number of tries; the typed text must match exactly, spaces and case included.
void PasswordPrompt::OnButtonClicked()
{
    AccessPassword password(mApp.Parameters());
    if (!password.Matches(mT->text())) {
        mApp.Prompt().Message(QStringLiteral("密码错误！"), Prompter::Icon::Warning);
        mT->selectAll();
        mT->setFocus();
        return;
    }
    // The main window appears before this one goes, so the program never runs out of windows.
    emit PasswordAccepted();
    close();
}

} // namespace kestrio
