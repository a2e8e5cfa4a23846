#include "platform/VirtualKeymap.h"

#include <array>

namespace {

// Linux input event codes (linux/input-event-codes.h); XKB keycodes are these plus 8.
constexpr quint32 EvdevLeftCtrl = 29;
constexpr quint32 EvdevLeftShift = 42;
constexpr quint32 EvdevLeftAlt = 56;
constexpr quint32 EvdevInsert = 110;
constexpr quint32 XkbOffset = 8;

// Bit of each real modifier in the keymap below: Shift, Lock, Control, Mod1 (Alt) are the
// first four real modifiers of every XKB keymap.
constexpr quint32 MaskShift = 1u << 0;
constexpr quint32 MaskControl = 1u << 2;
constexpr quint32 MaskAlt = 1u << 3;

// The evdev code of each Latin letter key, a to z, as on a US keyboard.
constexpr std::array<quint32, 26> EvdevLetters = {
    30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50, 49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

QByteArray KeyName(quint32 evdev)
{
    return "<K" + QByteArray::number(evdev) + '>';
}

struct ModifierKey {
    Qt::KeyboardModifier qt;
    quint32 evdev;
    quint32 mask;
};

constexpr std::array<ModifierKey, 3> ModifierKeys = {{
    {Qt::ControlModifier, EvdevLeftCtrl, MaskControl},
    {Qt::ShiftModifier, EvdevLeftShift, MaskShift},
    {Qt::AltModifier, EvdevLeftAlt, MaskAlt},
}};

} // namespace

QByteArray VirtualKeymapText()
{
    QByteArray codes;
    QByteArray symbols;
    const auto add = [&](quint32 evdev, const QByteArray& type, const QByteArray& syms) {
        codes += "    " + KeyName(evdev) + " = " + QByteArray::number(evdev + XkbOffset) + ";\n";
        symbols += "    key " + KeyName(evdev) + " { type = \"" + type + "\", [ " + syms + " ] };\n";
    };
    add(EvdevLeftCtrl, "ONE_LEVEL", "Control_L");
    add(EvdevLeftShift, "ONE_LEVEL", "Shift_L");
    add(EvdevLeftAlt, "ONE_LEVEL", "Alt_L");
    add(EvdevInsert, "ONE_LEVEL", "Insert");
    for (std::size_t i = 0; i < EvdevLetters.size(); ++i) {
        const char lower = char('a' + i);
        const char upper = char('A' + i);
        add(EvdevLetters[i], "ALPHABETIC", QByteArray(1, lower) + ", " + QByteArray(1, upper));
    }
    QByteArray text = "xkb_keymap {\n"
                      "xkb_keycodes \"pastewise\" {\n"
                      "    minimum = 8;\n"
                      "    maximum = 255;\n"
        + codes
        + "};\n"
          "xkb_types \"pastewise\" {\n"
          "    type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
          "    type \"ALPHABETIC\" {\n"
          "        modifiers = Shift + Lock;\n"
          "        map[Shift] = Level2;\n"
          "        map[Lock] = Level2;\n"
          "        level_name[Level1] = \"Base\";\n"
          "        level_name[Level2] = \"Caps\";\n"
          "    };\n"
          "};\n"
          "xkb_compatibility \"pastewise\" {\n"
          "    interpret Any + AnyOf(all) { action = SetMods(modifiers = modMapMods, clearLocks); };\n"
          "};\n"
          "xkb_symbols \"pastewise\" {\n"
        + symbols + "    modifier_map Control { " + KeyName(EvdevLeftCtrl) + " };\n"
        + "    modifier_map Shift { " + KeyName(EvdevLeftShift) + " };\n" + "    modifier_map Mod1 { "
        + KeyName(EvdevLeftAlt) + " };\n"
        + "};\n"
          "};\n";
    text.append('\0');
    return text;
}

std::optional<QList<VirtualKeyEvent>> VirtualKeyStroke(Qt::KeyboardModifiers modifiers, int key)
{
    quint32 evdev = 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        evdev = EvdevLetters[std::size_t(key - Qt::Key_A)];
    else if (key == Qt::Key_Insert)
        evdev = EvdevInsert;
    if (evdev == 0 || (modifiers & ~(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)))
        return std::nullopt;
    QList<VirtualKeyEvent> events;
    quint32 mask = 0;
    for (const ModifierKey& m : ModifierKeys) {
        if (modifiers & m.qt) {
            events << VirtualKeyEvent {VirtualKeyEvent::Press, m.evdev};
            mask |= m.mask;
        }
    }
    if (mask != 0)
        events << VirtualKeyEvent {VirtualKeyEvent::Modifiers, mask};
    events << VirtualKeyEvent {VirtualKeyEvent::Press, evdev}
           << VirtualKeyEvent {VirtualKeyEvent::Release, evdev};
    for (const ModifierKey& m : ModifierKeys) {
        if (modifiers & m.qt)
            events << VirtualKeyEvent {VirtualKeyEvent::Release, m.evdev};
    }
    // The seat's modifier state is whatever was sent last; leaving Ctrl in it would turn the
    // user's next key into a shortcut.
    events << VirtualKeyEvent {VirtualKeyEvent::Modifiers, 0};
    return events;
}
