#include "ScriptedPrompter.h"

namespace kestrio {

void ScriptedPrompter::Message(const QString& text, Icon, const QString&)
{
    shown << text;
}

bool ScriptedPrompter::Ask(const QString& text, const QString&)
{
    shown << text;
    return mAsks.isEmpty() ? false : mAsks.takeFirst();
}

std::optional<QString> ScriptedPrompter::Input(const QString& prompt, const QString& preset, const QString&)
{
    shown << prompt;
    presets << preset;
    return mInputs.isEmpty() ? std::nullopt : mInputs.takeFirst();
}

QString ScriptedPrompter::OpenFile(const QString& title, const QString&, const QString&)
{
    shown << title;
    return mFiles.isEmpty() ? QString() : mFiles.takeFirst();
}

QString ScriptedPrompter::SaveFile(const QString& title, const QString&, const QString&)
{
    shown << title;
    return mFiles.isEmpty() ? QString() : mFiles.takeFirst();
}

} // namespace kestrio
