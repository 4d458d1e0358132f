#pragma once

#include "seams/Prompter.h"

class QWidget;

namespace kestrio {

// The prompter of the windows: message boxes, Yes/No questions ("是"/"否"), input boxes and
// file choosers, each modal over the window that is active when it is asked.
class GuiPrompter final : public Prompter {
public:
    void Message(const QString& text, Icon icon = Icon::None, const QString& title = {}) override;
    bool Ask(const QString& text, const QString& title = {}) override;
    bool AskDefaultNo(const QString& text, const QString& title = {}) override;
    std::optional<bool> AskOrCancel(const QString& text, const QString& title = {}) override;
    std::optional<QString> Input(const QString& prompt, const QString& preset = {},
                                 const QString& title = {}) override;
    QString OpenFile(const QString& title, const QString& filter, const QString& dir = {}) override;
    QString SaveFile(const QString& title, const QString& filter, const QString& dir = {}) override;

private:
    static bool AskWithDefault(const QString& text, const QString& title, bool yesByDefault);
    static QWidget* Owner();
    static QString TitleOr(const QString& title);
};

} // namespace kestrio
