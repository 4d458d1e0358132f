#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QString>

#include <utility>

namespace kestrio {

// A menu item with the object name tests and the window find it by.
inline QAction* AddMenuItem(QMenu& menu, const QString& name, const QString& caption, bool enabled = true)
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

// The same, running `slot` in the context of `receiver` when chosen.
template <typename Slot>
QAction* AddMenuItem(QMenu& menu, const QString& name, const QString& caption, bool enabled, const QObject* receiver,
                     Slot slot)
{
    QAction* action = AddMenuItem(menu, name, caption, enabled);
    QObject::connect(action, &QAction::triggered, receiver, std::move(slot));
    return action;
}

} // namespace kestrio
