#include "common/ShortcutValue.h"

#include <array>
#include <iterator>

namespace {

// X keysym values (from the X protocol's keysym encoding). Defined here so the core library
// stays free of X11 headers.
namespace Sym {
constexpr quint32 BackSpace = 0xff08, Tab = 0xff09, Clear = 0xff0b, Return = 0xff0d, Pause = 0xff13,
                  ScrollLock = 0xff14, Escape = 0xff1b, Home = 0xff50, Left = 0xff51, Up = 0xff52,
                  Right = 0xff53, Down = 0xff54, Prior = 0xff55, Next = 0xff56, End = 0xff57, Print = 0xff61,
                  Insert = 0xff63, Menu = 0xff67, Help = 0xff6a, NumLock = 0xff7f, KpMultiply = 0xffaa,
                  KpAdd = 0xffab, KpSeparator = 0xffac, KpSubtract = 0xffad, KpDecimal = 0xffae,
                  KpDivide = 0xffaf, Kp0 = 0xffb0, F1 = 0xffbe, CapsLock = 0xffe5, Delete = 0xffff;
} // namespace Sym

// Windows virtual-key codes that are not plain characters.
namespace Vk {
constexpr quint16 Back = 0x08, Tab = 0x09, Clear = 0x0c, Return = 0x0d, Pause = 0x13, Capital = 0x14,
                  Escape = 0x1b, Space = 0x20, Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24,
                  Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Snapshot = 0x2c, Insert = 0x2d,
                  Delete = 0x2e, Help = 0x2f, Apps = 0x5d, Numpad0 = 0x60, Multiply = 0x6a, Add = 0x6b,
                  Separator = 0x6c, Subtract = 0x6d, Decimal = 0x6e, Divide = 0x6f, F1 = 0x70, NumLock = 0x90,
                  Scroll = 0x91, Oem1 = 0xba, OemPlus = 0xbb, OemComma = 0xbc, OemMinus = 0xbd,
                  OemPeriod = 0xbe, Oem2 = 0xbf, Oem3 = 0xc0, Oem4 = 0xdb, Oem5 = 0xdc, Oem6 = 0xdd,
                  Oem7 = 0xde, Oem102 = 0xe2;
} // namespace Vk

constexpr std::array<VirtualKeyInfo, 41> kNamedKeys {{
    {Vk::Back, Sym::BackSpace, Qt::Key_Backspace, false, "Backspace"},
    {Vk::Tab, Sym::Tab, Qt::Key_Tab, false, "Tab"},
    {Vk::Clear, Sym::Clear, Qt::Key_Clear, false, "Clear"},
    {Vk::Return, Sym::Return, Qt::Key_Return, false, "Enter"},
    {Vk::Pause, Sym::Pause, Qt::Key_Pause, false, "Pause"},
    {Vk::Capital, Sym::CapsLock, Qt::Key_CapsLock, false, "Caps Lock"},
    {Vk::Escape, Sym::Escape, Qt::Key_Escape, false, "Esc"},
    {Vk::Space, ' ', Qt::Key_Space, false, "Space"},
    {Vk::Prior, Sym::Prior, Qt::Key_PageUp, false, "PgUp"},
    {Vk::Next, Sym::Next, Qt::Key_PageDown, false, "PgDown"},
    {Vk::End, Sym::End, Qt::Key_End, false, "End"},
    {Vk::Home, Sym::Home, Qt::Key_Home, false, "Home"},
    {Vk::Left, Sym::Left, Qt::Key_Left, false, "Left"},
    {Vk::Up, Sym::Up, Qt::Key_Up, false, "Up"},
    {Vk::Right, Sym::Right, Qt::Key_Right, false, "Right"},
    {Vk::Down, Sym::Down, Qt::Key_Down, false, "Down"},
    {Vk::Snapshot, Sym::Print, Qt::Key_Print, false, "Print"},
    {Vk::Insert, Sym::Insert, Qt::Key_Insert, false, "Ins"},
    {Vk::Delete, Sym::Delete, Qt::Key_Delete, false, "Del"},
    {Vk::Help, Sym::Help, Qt::Key_Help, false, "Help"},
    {Vk::Apps, Sym::Menu, Qt::Key_Menu, false, "Menu"},
    {Vk::Multiply, Sym::KpMultiply, Qt::Key_Asterisk, true, "Num *"},
    {Vk::Add, Sym::KpAdd, Qt::Key_Plus, true, "Num +"},
    {Vk::Separator, Sym::KpSeparator, Qt::Key_Comma, true, "Num Sep"},
    {Vk::Subtract, Sym::KpSubtract, Qt::Key_Minus, true, "Num -"},
    {Vk::Decimal, Sym::KpDecimal, Qt::Key_Period, true, "Num ."},
    {Vk::Divide, Sym::KpDivide, Qt::Key_Slash, true, "Num /"},
    {Vk::NumLock, Sym::NumLock, Qt::Key_NumLock, false, "Num Lock"},
    {Vk::Scroll, Sym::ScrollLock, Qt::Key_ScrollLock, false, "Scroll Lock"},
    {Vk::Oem1, ';', Qt::Key_Semicolon, false, ";"},
    {Vk::OemPlus, '=', Qt::Key_Equal, false, "="},
    {Vk::OemComma, ',', Qt::Key_Comma, false, ","},
    {Vk::OemMinus, '-', Qt::Key_Minus, false, "-"},
    {Vk::OemPeriod, '.', Qt::Key_Period, false, "."},
    {Vk::Oem2, '/', Qt::Key_Slash, false, "/"},
    {Vk::Oem3, '`', Qt::Key_QuoteLeft, false, "`"},
    {Vk::Oem4, '[', Qt::Key_BracketLeft, false, "["},
    {Vk::Oem5, '\\', Qt::Key_Backslash, false, "\\"},
    {Vk::Oem6, ']', Qt::Key_BracketRight, false, "]"},
    {Vk::Oem7, '\'', Qt::Key_Apostrophe, false, "'"},
    {Vk::Oem102, '<', Qt::Key_Less, false, "<"},
}};

constexpr const char* kDigitNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
constexpr const char* kNumpadNames[]
    = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4", "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};
constexpr const char* kLetterNames[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N",
    "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr const char* kFunctionNames[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11",
    "F12", "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};

// The key-capture field sees the symbol a key produced, so a shifted symbol has to be led
// back to its key. The pairs follow the US layout, which is what the OEM codes describe.
struct ShiftedSymbol {
    Qt::Key symbol;
    quint16 virtualKey;
};
constexpr ShiftedSymbol kShiftedSymbols[] = {
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
    {Qt::Key_Colon, Vk::Oem1},
    {Qt::Key_Plus, Vk::OemPlus},
    {Qt::Key_Less, Vk::OemComma},
    {Qt::Key_Underscore, Vk::OemMinus},
    {Qt::Key_Greater, Vk::OemPeriod},
    {Qt::Key_Question, Vk::Oem2},
    {Qt::Key_AsciiTilde, Vk::Oem3},
    {Qt::Key_BraceLeft, Vk::Oem4},
    {Qt::Key_Bar, Vk::Oem5},
    {Qt::Key_BraceRight, Vk::Oem6},
    {Qt::Key_QuoteDbl, Vk::Oem7},
    {Qt::Key_Backtab, Vk::Tab},
    {Qt::Key_Enter, Vk::Return},
};

// Ranges are computed rather than listed; the result lives in a static so FindVirtualKey can
// hand out stable pointers.
VirtualKeyInfo RangeKey(quint16 vk)
{
    if (vk >= '0' && vk <= '9')
        return {vk, vk, Qt::Key(Qt::Key_0 + (vk - '0')), false, kDigitNames[vk - '0']};
    if (vk >= 'A' && vk <= 'Z')
        return {vk, quint32(vk - 'A' + 'a'), Qt::Key(Qt::Key_A + (vk - 'A')), false, kLetterNames[vk - 'A']};
    if (vk >= Vk::Numpad0 && vk <= Vk::Numpad0 + 9) {
        const int n = vk - Vk::Numpad0;
        return {vk, Sym::Kp0 + n, Qt::Key(Qt::Key_0 + n), true, kNumpadNames[n]};
    }
    const int n = vk - Vk::F1;
    return {vk, Sym::F1 + n, Qt::Key(Qt::Key_F1 + n), false, kFunctionNames[n]};
}

struct RangeTable {
    std::array<VirtualKeyInfo, 10 + 26 + 10 + 24> keys {};
    RangeTable()
    {
        std::size_t i = 0;
        for (quint16 vk = '0'; vk <= '9'; ++vk)
            keys[i++] = RangeKey(vk);
        for (quint16 vk = 'A'; vk <= 'Z'; ++vk)
            keys[i++] = RangeKey(vk);
        for (quint16 vk = Vk::Numpad0; vk <= Vk::Numpad0 + 9; ++vk)
            keys[i++] = RangeKey(vk);
        for (quint16 vk = Vk::F1; vk < Vk::F1 + 24; ++vk)
            keys[i++] = RangeKey(vk);
    }
};

const RangeTable& Ranges()
{
    static const RangeTable table;
    return table;
}

template <typename Visit> const VirtualKeyInfo* FindKey(Visit matches)
{
    for (const VirtualKeyInfo& info : Ranges().keys)
        if (matches(info))
            return &info;
    for (const VirtualKeyInfo& info : kNamedKeys)
        if (matches(info))
            return &info;
    return nullptr;
}

const VirtualKeyInfo* FindQtKey(int key, bool keypad)
{
    return FindKey([&](const VirtualKeyInfo& info) { return info.qtKey == key && info.keypad == keypad; });
}

quint16 ShiftedKey(int key)
{
    for (const ShiftedSymbol& shifted : kShiftedSymbols)
        if (shifted.symbol == key)
            return shifted.virtualKey;
    return 0;
}

} // namespace

ShortcutParts SplitShortcut(quint16 shortcut)
{
    return {quint16(shortcut & ShortcutKeyMask), (shortcut & ShortcutShift) != 0,
        (shortcut & ShortcutCtrl) != 0, (shortcut & ShortcutAlt) != 0};
}

quint16 JoinShortcut(const ShortcutParts& parts)
{
    quint16 value = parts.virtualKey & ShortcutKeyMask;
    if (parts.shift)
        value |= ShortcutShift;
    if (parts.ctrl)
        value |= ShortcutCtrl;
    if (parts.alt)
        value |= ShortcutAlt;
    return value;
}

const VirtualKeyInfo* FindVirtualKey(quint16 virtualKey)
{
    if (virtualKey == 0)
        return nullptr;
    return FindKey([virtualKey](const VirtualKeyInfo& info) { return info.virtualKey == virtualKey; });
}

std::vector<quint32> ModifierKeysyms(const ShortcutParts& parts)
{
    std::vector<quint32> keysyms;
    if (parts.ctrl)
        keysyms.push_back(KeysymControlL);
    if (parts.alt)
        keysyms.push_back(KeysymAltL);
    if (parts.shift)
        keysyms.push_back(KeysymShiftL);
    return keysyms;
}

std::optional<quint32> VirtualKeyToKeysym(quint16 virtualKey)
{
    if (const VirtualKeyInfo* info = FindVirtualKey(virtualKey))
        return info->keysym;
    return std::nullopt;
}

std::optional<QKeyCombination> ShortcutToKeyCombination(quint16 shortcut)
{
    const ShortcutParts parts = SplitShortcut(shortcut);
    const VirtualKeyInfo* info = FindVirtualKey(parts.virtualKey);
    if (!info)
        return std::nullopt;
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, parts.shift);
    modifiers.setFlag(Qt::ControlModifier, parts.ctrl);
    modifiers.setFlag(Qt::AltModifier, parts.alt);
    modifiers.setFlag(Qt::KeypadModifier, info->keypad);
    return QKeyCombination(modifiers, info->qtKey);
}

std::optional<quint16> ShortcutFromQtKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::MetaModifier))
        return std::nullopt;
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    quint16 virtualKey = 0;
    // With Shift held, "<" is Shift+comma rather than the extra key of ISO keyboards.
    if (shift && !keypad)
        virtualKey = ShiftedKey(key);
    if (virtualKey == 0) {
        const VirtualKeyInfo* info = FindQtKey(key, keypad);
        // With Num Lock off the keypad sends navigation keys, which Windows reports as the
        // ordinary Home, Insert, ... keys; the same holds for the keypad's Enter.
        if (!info && keypad)
            info = FindQtKey(key, false);
        virtualKey = info ? info->virtualKey : ShiftedKey(key);
    }
    if (virtualKey == 0)
        return std::nullopt;
    return JoinShortcut(
        {virtualKey, shift, modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier)});
}

QString ShortcutText(quint16 shortcut)
{
    const ShortcutParts parts = SplitShortcut(shortcut);
    if (parts.virtualKey == 0)
        return QStringLiteral("None");
    QString text;
    if (parts.shift)
        text += QLatin1String("Shift+");
    if (parts.ctrl)
        text += QLatin1String("Ctrl+");
    if (parts.alt)
        text += QLatin1String("Alt+");
    if (const VirtualKeyInfo* info = FindVirtualKey(parts.virtualKey))
        return text + QLatin1String(info->name);
    return text + QStringLiteral("Key 0x%1").arg(parts.virtualKey, 2, 16, QLatin1Char('0'));
}

std::optional<quint16> ShortcutFromText(const QString& text)
{
    ShortcutParts parts;
    QStringView rest = QStringView(text).trimmed();
    const auto takeModifier = [&rest](QLatin1String prefix, bool& flag) {
        // "Num +" and "Ctrl++" end in the sign itself: a prefix needs a key after it.
        if (rest.size() <= prefix.size() || !rest.startsWith(prefix, Qt::CaseInsensitive))
            return false;
        flag = true;
        rest = rest.mid(prefix.size());
        return true;
    };
    while (takeModifier(QLatin1String("Shift+"), parts.shift)
        || takeModifier(QLatin1String("Ctrl+"), parts.ctrl)
        || takeModifier(QLatin1String("Alt+"), parts.alt)) { }
    for (quint16 virtualKey = 1; virtualKey <= 0xFF; ++virtualKey) {
        const VirtualKeyInfo* info = FindVirtualKey(virtualKey);
        if (info && rest.compare(QLatin1String(info->name), Qt::CaseInsensitive) == 0) {
            parts.virtualKey = virtualKey;
            return JoinShortcut(parts);
        }
    }
    return std::nullopt;
}
