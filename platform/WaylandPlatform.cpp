#include "platform/WaylandPlatform.h"

#include "common/ShortcutValue.h"
#include "platform/EventWait.h"
#include "platform/PlatformLog.h"
#include "platform/WaylandVirtualKeyboard.h"

#include <QGuiApplication>
#include <QWindow>

namespace {

QWindow* OwnWindow(quint32 window)
{
    if (window == 0)
        return nullptr;
    for (QWindow* own : QGuiApplication::allWindows()) {
        // Only windows that exist natively: asking another for its id would create it.
        if (own->handle() != nullptr && quint32(own->winId()) == window)
            return own;
    }
    return nullptr;
}

} // namespace

WaylandPlatform::WaylandPlatform(QObject* parent)
    : Platform(parent)
    , m_keyboard(std::make_unique<WaylandVirtualKeyboard>())
{
}

WaylandPlatform::~WaylandPlatform() = default;

quint32 WaylandPlatform::FocusedWindow()
{
    return 0;
}

bool WaylandPlatform::IsOwnWindow(quint32 window)
{
    return OwnWindow(window) != nullptr;
}

bool WaylandPlatform::ActivateWindow(quint32 target, int timeoutMs)
{
    QWindow* own = OwnWindow(target);
    if (own == nullptr)
        return false;
    // The compositor decides; it may only mark the window as wanting attention.
    own->requestActivate();
    return WaitUntil(
        [own] { return QGuiApplication::focusWindow() == own ? WaitStep::Done : WaitStep::KeepWaiting; },
        timeoutMs);
}

bool WaylandPlatform::WaitForFocusToLeaveOwnWindows(int timeoutMs)
{
    const bool left = WaitUntil(
        [] { return QGuiApplication::focusWindow() == nullptr ? WaitStep::Done : WaitStep::KeepWaiting; },
        timeoutMs);
    // Qt has sent the compositor its own requests (the window hidden) by now, on its own
    // connection; a round trip on the keyboard's connection makes sure the compositor has
    // acted on them, and moved the focus, before any key follows.
    if (left && m_keyboard->isAvailable())
        m_keyboard->sync();
    return left;
}

// No window but our own can be named here, so no rule can pick another program's keys.
WindowClass WaylandPlatform::WindowClassOf(quint32)
{
    return {};
}

bool WaylandPlatform::SendPasteKeys(quint16 keys)
{
    const std::optional<QKeyCombination> combination = ShortcutToKeyCombination(keys);
    if (!combination)
        return false;
    const auto stroke = VirtualKeyStroke(combination->keyboardModifiers(), combination->key());
    return stroke.has_value() && m_keyboard->send(*stroke);
}

// Shift+Insert is never chosen without a window class, so the PRIMARY selection is not needed.
bool WaylandPlatform::SetPrimarySelection(const QString&)
{
    return false;
}

bool WaylandPlatform::GrabHotKey(quint16)
{
    return false;
}

void WaylandPlatform::UngrabHotKey() { }

void WaylandPlatform::SetTopMost(QWindow*, bool) { }

PlatformAbilities WaylandPlatform::Abilities()
{
    PlatformAbilities abilities;
    abilities.tracksFocus = false;
    abilities.grabsHotKey = false;
    abilities.sendsKeys = m_keyboard->isAvailable();
    abilities.keepsOnTop = false;
    abilities.placesWindows = false;
    return abilities;
}
