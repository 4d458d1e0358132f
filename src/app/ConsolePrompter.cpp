#include "ConsolePrompter.h"

namespace kestrio {

void ConsolePrompter::Message(const QString& text, Icon, const QString&)
{
    ++mMessages;
    mErr << text << Qt::endl;
}

bool ConsolePrompter::Ask(const QString& text, const QString&)
{
    mErr << text << QStringLiteral(" → 否") << Qt::endl;
    return false;
}

std::optional<QString> ConsolePrompter::Input(const QString& prompt, const QString&, const QString&)
{
    mErr << prompt << QStringLiteral(" → 取消") << Qt::endl;
    return std::nullopt;
}

} // namespace kestrio
