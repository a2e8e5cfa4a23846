#pragma once
// The system-wide activation hotkey as a passive key grab on the root window.

#include "platform/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>
#include <optional>
#include <vector>

class X11HotKey final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    X11HotKey(X11Connection& x11, std::function<void()> onPressed);
    ~X11HotKey() override;

    bool grab(quint16 shortcut);
    void ungrab();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct KeyGrab {
        xcb_keycode_t keycode;
        quint16 modifiers;
        bool operator==(const KeyGrab&) const = default;
    };
    struct Plan {
        std::vector<KeyGrab> grabs;
        quint16 modifiers = 0; // the shortcut's own modifiers, without lock keys
        quint16 locks = 0; // lock modifiers a key press may carry on top
    };

    std::optional<Plan> makePlan(quint16 shortcut) const;
    bool apply(const Plan& plan);
    void release();
    void refreshAfterMappingChange();

    X11Connection& m_x11;
    std::function<void()> m_onPressed;
    std::optional<quint16> m_shortcut;
    Plan m_active;
    quint8 m_xkbFirstEvent = 0;
    bool m_refreshPending = false;
};
