#include "app/CommandShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

TCommandShortcuts::TCommandShortcuts(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    // The controls that want the keys include ones created later (the grid's in-place
    // editor), so the filter sits on the application rather than on each control.
    qApp->installEventFilter(this);
}

bool TCommandShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != m_window || !m_window->isActiveWindow())
        return false;
    if (!isCommandKey(static_cast<QKeyEvent*>(event)->keyCombination()))
        return false;
    // An ignored override tells Qt that no control claims the key, so the shortcut map
    // runs the command and the control never receives the key press.
    event->ignore();
    return true;
}

bool TCommandShortcuts::isCommandKey(const QKeyCombination& key) const
{
    const QKeySequence pressed(key);
    const QList<QAction*> commands = m_window->actions();
    return std::any_of(commands.cbegin(), commands.cend(), [&pressed](const QAction* command) {
        return command->isEnabled() && !command->shortcut().isEmpty() && command->shortcut() == pressed;
    });
}
