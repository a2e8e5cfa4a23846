#pragma once
// Shortcut values in the forms the desktop portals take: the trigger text the GlobalShortcuts
// portal is given as the preferred one ("CTRL+F8"), and the keysyms the RemoteDesktop portal
// is asked to press for a paste combination. No D-Bus here; the portal clients use these.

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// Modifiers in upper case joined with "+" before the key's XKB keysym name ("CTRL+ALT+a",
// "SHIFT+Return"). Empty for no key or a key outside the table, so nothing is bound then.
QString PortalTrigger(quint16 shortcut);

struct PortalKeyEvent {
    quint32 keysym = 0;
    bool pressed = false;
    bool operator==(const PortalKeyEvent&) const = default;
};

// The presses and releases that type the combination: its modifiers down, the key down and
// up, the modifiers up in reverse order. None for no key or a key outside the table.
std::optional<QList<PortalKeyEvent>> PortalKeyStroke(quint16 shortcut);
