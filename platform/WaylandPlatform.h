#pragma once
// The platform in a Wayland session. No client may ask which window has the focus, hand the
// focus to another program or grab a key for the whole desktop; so FocusedWindow is always 0
// and ActivateWindow only reaches this program's own windows. The hotkey goes through the
// desktop's GlobalShortcuts portal where the session bus has one. Paste keys go through the
// compositor's virtual keyboard where it offers one, else through the RemoteDesktop portal.

#include "platform/Platform.h"

#include <memory>

class PortalKeyboard;
class PortalShortcuts;
class WaylandVirtualKeyboard;

class WaylandPlatform final : public Platform {
    Q_OBJECT

public:
    explicit WaylandPlatform(QObject* parent = nullptr);
    ~WaylandPlatform() override;

    quint32 FocusedWindow() override;
    bool IsOwnWindow(quint32 window) override;
    bool ActivateWindow(quint32 target, int timeoutMs) override;
    bool WaitForFocusToLeaveOwnWindows(int timeoutMs) override;
    WindowClass WindowClassOf(quint32 window) override;
    bool SendPasteKeys(quint16 keys) override;
    bool SetPrimarySelection(const QString& text) override;
    bool GrabHotKey(quint16 shortcutValue) override;
    void UngrabHotKey() override;
    void SetTopMost(QWindow* window, bool on) override;
    PlatformAbilities Abilities() override;
    void PrepareSendingKeys(const QString& keptGrant) override;

private:
    std::unique_ptr<WaylandVirtualKeyboard> m_keyboard;
    PortalShortcuts* m_shortcuts = nullptr;
    PortalKeyboard* m_portalKeyboard = nullptr;
};
