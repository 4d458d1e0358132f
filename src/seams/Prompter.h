#pragma once

#include <QString>
#include <optional>

namespace kestrio {

// Everything a core operation must tell or ask the user goes through here, so the same
// operation runs under the windows, the command line and the tests. Texts are shown
// exactly as given; callers pass the program's fixed Chinese messages.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompter() = default;

    // A message with an OK button.
    virtual void Message(const QString& text, Icon icon = Icon::None, const QString& title = {}) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Ask(const QString& text, const QString& title = {}) = 0;
    // The same question with No as the default answer, for a step that is safer not taken.
    virtual bool AskDefaultNo(const QString& text, const QString& title = {}) { return Ask(text, title); }
    // A Yes/No/Cancel question: true for Yes, false for No, nullopt for Cancel. Where no one
    // can cancel, it is the Yes/No question.
    virtual std::optional<bool> AskOrCancel(const QString& text, const QString& title = {}) { return Ask(text, title); }
    // An input box preset with `preset`; nullopt when the user cancels.
    virtual std::optional<QString> Input(const QString& prompt, const QString& preset = {},
                                         const QString& title = {}) = 0;
    // File choosers; an empty text when the user cancels. `filter` uses Qt's
    // "描述 (*.ext)" form. SaveFile does not ask about an existing file: the caller does, once
    // it knows the whole name.
    virtual QString OpenFile(const QString& title, const QString& filter, const QString& dir = {}) = 0;
    virtual QString SaveFile(const QString& title, const QString& filter, const QString& dir = {}) = 0;
};

} // namespace kestrio
