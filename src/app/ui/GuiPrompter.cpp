#include "GuiPrompter.h"

#include "app/ProgramName.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace kestrio {

namespace {

QMessageBox::Icon BoxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Critical: return QMessageBox::Critical;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

// Dialogs belong to whatever window the user is looking at, so they stay in front of it.
QWidget* GuiPrompter::Owner()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

QString GuiPrompter::TitleOr(const QString& title)
{
    return title.isEmpty() ? ProgramName() : title;
}

void GuiPrompter::Message(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(BoxIcon(icon), TitleOr(title), text, QMessageBox::NoButton, Owner());
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
}

bool GuiPrompter::Ask(const QString& text, const QString& title)
{
    return AskWithDefault(text, title, true);
}

bool GuiPrompter::AskDefaultNo(const QString& text, const QString& title)
{
    return AskWithDefault(text, title, false);
}

bool GuiPrompter::AskWithDefault(const QString& text, const QString& title, bool yesByDefault)
{
    QMessageBox box(QMessageBox::Question, TitleOr(title), text, QMessageBox::NoButton, Owner());
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<bool> GuiPrompter::AskOrCancel(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, TitleOr(title), text, QMessageBox::NoButton, Owner());
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return true;
    if (box.clickedButton() == no) return false;
    return std::nullopt;
}

std::optional<QString> GuiPrompter::Input(const QString& prompt, const QString& preset, const QString& title)
{
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(TitleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

QString GuiPrompter::OpenFile(const QString& title, const QString& filter, const QString& dir)
{
    return QFileDialog::getOpenFileName(Owner(), title, dir, filter);
}

QString GuiPrompter::SaveFile(const QString& title, const QString& filter, const QString& dir)
{
    // Every caller asks about an existing file itself, after adding the extension the dialog
    // does not know about; the dialog asking too would put the question twice.
    return QFileDialog::getSaveFileName(Owner(), title, dir, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace kestrio
