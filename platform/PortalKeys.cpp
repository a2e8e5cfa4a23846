#include "platform/PortalKeys.h"

#include "common/ShortcutValue.h"

#include <xkbcommon/xkbcommon.h>

#include <array>

namespace {

QString KeysymName(quint32 keysym)
{
    std::array<char, 64> name {};
    const int length = xkb_keysym_get_name(keysym, name.data(), name.size());
    if (length <= 0 || size_t(length) >= name.size())
        return {};
    return QString::fromLatin1(name.data(), length);
}

} // namespace

QString PortalTrigger(quint16 shortcut)
{
    const ShortcutParts parts = SplitShortcut(shortcut);
    const VirtualKeyInfo* key = FindVirtualKey(parts.virtualKey);
    if (parts.virtualKey == 0 || key == nullptr)
        return {};
    const QString keyName = KeysymName(key->keysym);
    if (keyName.isEmpty())
        return {};
    QStringList names;
    if (parts.ctrl)
        names << QStringLiteral("CTRL");
    if (parts.alt)
        names << QStringLiteral("ALT");
    if (parts.shift)
        names << QStringLiteral("SHIFT");
    names << keyName;
    return names.join(QLatin1Char('+'));
}

std::optional<QList<PortalKeyEvent>> PortalKeyStroke(quint16 shortcut)
{
    const ShortcutParts parts = SplitShortcut(shortcut);
    const VirtualKeyInfo* key = FindVirtualKey(parts.virtualKey);
    if (parts.virtualKey == 0 || key == nullptr)
        return std::nullopt;
    // The left-hand modifier keys: a portal back end maps them to whatever the user's layout
    // has there.
    const std::vector<quint32> modifiers = ModifierKeysyms(parts);
    QList<PortalKeyEvent> events;
    for (const quint32 modifier : modifiers)
        events << PortalKeyEvent {modifier, true};
    events << PortalKeyEvent {key->keysym, true} << PortalKeyEvent {key->keysym, false};
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        events << PortalKeyEvent {*it, false};
    return events;
}
