#include "settings/HotKeyEdit.h"

#include "common/ShortcutValue.h"

#include <QKeyEvent>

THotKeyEdit::THotKeyEdit(QWidget* parent)
    : QLineEdit(parent)
{
    // The text is only a picture of the value: no typing, no clipboard menu.
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setText(ShortcutText(m_hotKey));
}

void THotKeyEdit::SetHotKey(quint16 shortcut)
{
    m_hotKey = shortcut;
    setText(ShortcutText(shortcut));
}

quint16 THotKeyEdit::ApplyRule(quint16 shortcut)
{
    ShortcutParts parts = SplitShortcut(shortcut);
    if (!parts.ctrl && !parts.alt) {
        parts.shift = false;
        parts.alt = true;
    }
    return JoinShortcut(parts);
}

bool THotKeyEdit::event(QEvent* event)
{
    // Every combination belongs to the field while it has the focus, also those the
    // program's own commands are bound to.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void THotKeyEdit::keyPressEvent(QKeyEvent* event)
{
    // Tab and Shift+Tab never get here: they move the focus on (QWidget::event). Enter on its
    // own goes on to the dialog, which presses its default button as in any other field.
    const bool keypadEnter = event->key() == Qt::Key_Enter && event->modifiers() == Qt::KeypadModifier;
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() == Qt::NoModifier || keypadEnter);
    if (enter) {
        event->ignore();
        return;
    }
    event->accept();
    const std::optional<quint16> pressed = ShortcutFromQtKey(event->key(), event->modifiers());
    if (!pressed) // a modifier on its own, the Meta key, or a key without a name
        return;
    SetHotKey(ApplyRule(*pressed));
    Q_EMIT hotKeyChanged(m_hotKey);
}

void THotKeyEdit::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
}
