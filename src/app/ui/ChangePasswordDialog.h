#pragma once

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;

namespace kestrio {

class AppContext;

// Changing the access password: the old one, the new one twice. An empty new password
// removes the protection. Opened without blocking the main window.
class ChangePasswordDialog final : public QWidget {
    Q_OBJECT

public:
    explicit ChangePasswordDialog(AppContext& app, QWidget* parent = nullptr);

    // 0 old, 1 new, 2 new again.
    QLineEdit* Field(int index) const { return mT.at(static_cast<std::size_t>(index)); }
    QPushButton* OkButton() const { return mButtons; }

    static QString Caption() { return QStringLiteral("修改密码"); }

private:
    void BuildControls();
    void OnButtonClicked();

    AppContext& mApp;
    std::array<QLineEdit*, 3> mT{};
    QPushButton* mButtons = nullptr;
};

} // namespace kestrio
