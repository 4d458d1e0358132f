#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace kestrio {

class AppContext;

// The access password prompt shown at start instead of the main window when a password is
// set. It never blocks: the right password raises PasswordAccepted (the owner shows the main
// window) and closes it; closing it any other way leaves no window, so the program ends.
class PasswordPrompt final : public QWidget {
    Q_OBJECT

public:
    explicit PasswordPrompt(AppContext& app, QWidget* parent = nullptr);

    QLineEdit* PasswordBox() const { return mT; }
    QPushButton* OkButton() const { return mButtons; }

    static QString Caption() { return QStringLiteral("请输入密码"); }

signals:
    void PasswordAccepted();

private:
    void BuildControls();
    void OnButtonClicked();

    AppContext& mApp;
    QLineEdit* mT = nullptr;
    QPushButton* mButtons = nullptr;
};

} // namespace kestrio
