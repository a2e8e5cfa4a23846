#include "platform/WaylandPlatform.h"

#include "common/ShortcutValue.h"
#include "platform/EventWait.h"
#include "platform/PlatformLog.h"
#include "platform/PortalKeyboard.h"
#include "platform/PortalKeys.h"
#include "platform/PortalShortcuts.h"
#include "platform/WaylandVirtualKeyboard.h"

#include <QDBusConnection>
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
    // Connecting to the bus is local; whether the portal is there shows only in the answers.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcPlatform) << "no session bus: no desktop portals";
        return;
    }
    m_shortcuts = new PortalShortcuts(bus, this);
    connect(m_shortcuts, &PortalShortcuts::activated, this, &Platform::hotKeyPressed);
    connect(m_shortcuts, &PortalShortcuts::bound, this, [](const QString& trigger) {
        qCInfo(lcPlatform).noquote() << "the desktop bound the activation shortcut to" << trigger;
    });
    connect(m_shortcuts, &PortalShortcuts::refused, this, [this](const QString& reason) {
        qCInfo(lcPlatform).noquote() << "no activation shortcut through the portal:" << reason;
        Q_EMIT hotKeyRefused(reason);
    });
    m_portalKeyboard = new PortalKeyboard(bus, this);
    connect(m_portalKeyboard, &PortalKeyboard::started, this, [this](const QString& token) {
        qCInfo(lcPlatform) << "paste keys go through the desktop's remote-desktop portal";
        if (!token.isEmpty())
            Q_EMIT sendingKeysGranted(token);
    });
    connect(m_portalKeyboard, &PortalKeyboard::failed, this, [](const QString& reason) {
        qCInfo(lcPlatform).noquote() << "no paste keys through the remote-desktop portal:" << reason;
    });
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
    if (!m_keyboard->isAvailable()) {
        const std::optional<QList<PortalKeyEvent>> stroke = PortalKeyStroke(keys);
        return stroke.has_value() && m_portalKeyboard != nullptr && m_portalKeyboard->send(*stroke);
    }
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

bool WaylandPlatform::GrabHotKey(quint16 shortcutValue)
{
    const QString trigger = PortalTrigger(shortcutValue);
    if (m_shortcuts == nullptr || trigger.isEmpty())
        return false;
    m_shortcuts->bind(trigger);
    return true;
}

void WaylandPlatform::UngrabHotKey()
{
    if (m_shortcuts != nullptr)
        m_shortcuts->release();
}

void WaylandPlatform::SetTopMost(QWindow*, bool) { }

PlatformAbilities WaylandPlatform::Abilities()
{
    PlatformAbilities abilities;
    abilities.tracksFocus = false;
    abilities.grabsHotKey = false;
    abilities.sendsKeys
        = m_keyboard->isAvailable() || (m_portalKeyboard != nullptr && m_portalKeyboard->isStarted());
    abilities.keepsOnTop = false;
    abilities.placesWindows = false;
    return abilities;
}

void WaylandPlatform::PrepareSendingKeys(const QString& keptGrant)
{
    // The virtual keyboard needs nobody's permission; the portal asks the user.
    if (m_keyboard->isAvailable() || m_portalKeyboard == nullptr || m_portalKeyboard->isStarted())
        return;
    m_portalKeyboard->start(keptGrant);
}
