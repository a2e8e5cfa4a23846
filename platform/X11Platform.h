#pragma once
// The platform on X11, over Qt's own xcb connection. Under a platform without X (offscreen)
// every call returns 0 or false and nothing is grabbed.

#include "platform/Platform.h"

#include <memory>

class X11Connection;
class X11Focus;
class X11HotKey;
class X11PasteKeys;

class X11Platform final : public Platform {
    Q_OBJECT

public:
    explicit X11Platform(QObject* parent = nullptr);
    ~X11Platform() override;

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

private:
    std::unique_ptr<X11Connection> m_x11;
    std::unique_ptr<X11Focus> m_focus;
    std::unique_ptr<X11HotKey> m_hotKey;
    std::unique_ptr<X11PasteKeys> m_pasteKeys;
};
