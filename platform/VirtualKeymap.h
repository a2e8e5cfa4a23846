#pragma once
// The keymap this program hands a compositor with its virtual keyboard, and the keystrokes
// it can type with it. A keymap of its own means the keys mean the same whatever layout the
// user has chosen (Russian alone, Dvorak, ...): the compositor sends it to the focused client
// along with the keys.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <optional>

// One request to the virtual keyboard: a key (evdev code) going down or up, or the modifier
// mask the focused client is told about (the compositor does not derive it from the keys).
struct VirtualKeyEvent {
    enum Kind { Press, Release, Modifiers };
    Kind kind = Press;
    quint32 value = 0; // the evdev code, or the modifier mask
    bool operator==(const VirtualKeyEvent&) const = default;
};

// The keymap text in the XKB text format, NUL-terminated as the protocol's readers expect.
QByteArray VirtualKeymapText();

// The requests that type the key with the modifiers held: modifiers down, the key down and
// up, modifiers up. `modifiers` is a combination of Qt::ShiftModifier, ControlModifier and
// AltModifier; `key` a Qt::Key of a Latin letter or Insert. Nothing for any other key.
std::optional<QList<VirtualKeyEvent>> VirtualKeyStroke(Qt::KeyboardModifiers modifiers, int key);
