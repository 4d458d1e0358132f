#pragma once

#include "seams/Prompter.h"

#include <QTextStream>

namespace kestrio {

// The prompter of the command line: messages go to the error stream, questions are answered
// No and input boxes are cancelled, so nothing waits for a person who is not there.
class ConsolePrompter final : public Prompter {
public:
    explicit ConsolePrompter(QTextStream& err) : mErr(err) {}

    void Message(const QString& text, Icon, const QString&) override;
    bool Ask(const QString& text, const QString&) override;
    std::optional<QString> Input(const QString& prompt, const QString&, const QString&) override;
    QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }

    int MessageCount() const { return mMessages; }

private:
    QTextStream& mErr;
    int mMessages = 0;
};

} // namespace kestrio
