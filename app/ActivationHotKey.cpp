#include "app/ActivationHotKey.h"

#include "common/ShortcutValue.h"
#include "platform/Platform.h"

bool RegisterActivationHotKey(Platform& platform, quint16 shortcut)
{
    const ShortcutParts parts = SplitShortcut(shortcut);
    if (parts.virtualKey == 0 || FindVirtualKey(parts.virtualKey) == nullptr)
        return false;
    return platform.GrabHotKey(JoinShortcut(parts));
}
