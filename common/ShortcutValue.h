#pragma once
// Shortcut values: the 16-bit key codes stored in the settings for the activation hotkey and
// the command shortcuts. They keep the Windows virtual-key code in the low 13 bits and one bit
// per modifier, so settings written by any copy of the program stay interchangeable. This
// unit maps them onto X keysyms (for the key grab) and Qt keys (for actions and the
// key-capture field) without depending on X11 or Qt Gui.

#include <QKeyCombination>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

inline constexpr quint16 ShortcutKeyMask = 0x1FFF;
inline constexpr quint16 ShortcutShift = 0x2000;
inline constexpr quint16 ShortcutCtrl = 0x4000;
inline constexpr quint16 ShortcutAlt = 0x8000;

struct ShortcutParts {
    quint16 virtualKey = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    bool operator==(const ShortcutParts&) const = default;
};

ShortcutParts SplitShortcut(quint16 shortcut);
quint16 JoinShortcut(const ShortcutParts& parts);

// X keysyms of the left-hand modifier keys, the ones a combination is typed with.
inline constexpr quint32 KeysymShiftL = 0xffe1;
inline constexpr quint32 KeysymControlL = 0xffe3;
inline constexpr quint32 KeysymAltL = 0xffe9;
// The keysyms of the combination's modifier keys, in the order they are pressed: Ctrl, Alt,
// Shift.
std::vector<quint32> ModifierKeysyms(const ShortcutParts& parts);

// One virtual key the hotkey field can produce. `keysym` is the X keysym of the key's
// unshifted symbol (lower-case for letters); `keypad` marks the numeric keypad, whose
// Qt keys carry Qt::KeypadModifier.
struct VirtualKeyInfo {
    quint16 virtualKey;
    quint32 keysym;
    Qt::Key qtKey;
    bool keypad;
    const char* name;
};

// nullptr for a code outside the table: such a shortcut is never grabbed or bound, so an
// unknown value can not end up meaning some other key.
const VirtualKeyInfo* FindVirtualKey(quint16 virtualKey);

std::optional<quint32> VirtualKeyToKeysym(quint16 virtualKey);

// The Qt form of a whole shortcut value, for QKeySequence and QAction; none for 0 or an
// unknown key.
std::optional<QKeyCombination> ShortcutToKeyCombination(quint16 shortcut);

// The shortcut value of a key press as Qt reports it (QKeyEvent::key() and modifiers()).
// Shifted symbols ("!", ":", "?") are folded back onto the key that produces them on a US
// layout. None for a bare modifier key, a combination with the Meta key (a shortcut value
// can not hold it) or a key outside the table.
std::optional<quint16> ShortcutFromQtKey(int key, Qt::KeyboardModifiers modifiers);

// Display text such as "Ctrl+F8" or "Shift+Alt+Num 5"; "None" when no key is set.
QString ShortcutText(quint16 shortcut);
// The shortcut value of such a text, read back: modifiers in any order, letter case
// ignored. None for an empty text, a bare modifier or a key name outside the table.
std::optional<quint16> ShortcutFromText(const QString& text);
