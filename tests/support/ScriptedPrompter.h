#pragma once

#include "seams/Prompter.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace kestrio {

// A prompter for tests: records every text shown and answers from queues. Unqueued
// questions are answered No, unqueued input boxes and file choosers are cancelled.
class ScriptedPrompter final : public Prompter {
public:
    void Message(const QString& text, Icon icon = Icon::None, const QString& title = {}) override;
    bool Ask(const QString& text, const QString& title = {}) override;
    std::optional<QString> Input(const QString& prompt, const QString& preset = {}, const QString& title = {}) override;
    QString OpenFile(const QString& title, const QString& filter, const QString& dir = {}) override;
    QString SaveFile(const QString& title, const QString& filter, const QString& dir = {}) override;

    void QueueAsk(bool answer) { mAsks << answer; }
    void QueueInput(std::optional<QString> answer) { mInputs << answer; }
    void QueueFile(QString path) { mFiles << path; }

    // Every message, question and prompt text, in the order shown.
    QStringList shown;
    // The preset texts of the input boxes, in order.
    QStringList presets;

private:
    QList<bool> mAsks;
    QList<std::optional<QString>> mInputs;
    QStringList mFiles;
};

} // namespace kestrio
