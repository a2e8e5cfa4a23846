#include "platform/X11HotKey.h"

#include "common/ShortcutValue.h"
#include "platform/PlatformLog.h"
#include "platform/X11Keyboard.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr quint32 KeysymNumLock = 0xff7f;
constexpr quint32 KeysymMetaL = 0xffe7;

// Subtypes of the keyboard extension's single event code (second byte of the event).
constexpr quint8 XkbNewKeyboardNotify = 0;
constexpr quint8 XkbMapNotify = 1;

quint8 XkbFirstEvent(xcb_connection_t* c)
{
    const char name[] = "XKEYBOARD";
    xcb_query_extension_reply_t* reply
        = xcb_query_extension_reply(c, xcb_query_extension(c, sizeof name - 1, name), nullptr);
    const quint8 first = reply && reply->present ? reply->first_event : 0;
    std::free(reply);
    return first;
}

} // namespace

X11HotKey::X11HotKey(X11Connection& x11, std::function<void()> onPressed)
    : m_x11(x11)
    , m_onPressed(std::move(onPressed))
{
    if (!m_x11.isValid())
        return;
    m_xkbFirstEvent = XkbFirstEvent(m_x11.connection());
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKey::~X11HotKey()
{
    if (!m_x11.isValid())
        return;
    ungrab();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::optional<X11HotKey::Plan> X11HotKey::makePlan(quint16 shortcut) const
{
    const ShortcutParts parts = SplitShortcut(shortcut);
    const std::optional<quint32> keysym = VirtualKeyToKeysym(parts.virtualKey);
    if (!keysym) {
        qCWarning(lcPlatform) << "hotkey" << shortcut << "has no key this program knows";
        return std::nullopt;
    }
    const X11Keyboard keyboard(m_x11.connection());
    const std::vector<xcb_keycode_t> keycodes = keyboard.keycodes(*keysym);
    if (keycodes.empty()) {
        qCWarning(lcPlatform) << "hotkey" << ShortcutText(shortcut) << "is on no key of this keyboard";
        return std::nullopt;
    }
    Plan plan;
    if (parts.shift)
        plan.modifiers |= XCB_MOD_MASK_SHIFT;
    if (parts.ctrl)
        plan.modifiers |= XCB_MOD_MASK_CONTROL;
    if (parts.alt) {
        quint16 alt = keyboard.modifierMask(KeysymAltL);
        if (alt == 0)
            alt = keyboard.modifierMask(KeysymMetaL);
        plan.modifiers |= alt != 0 ? alt : quint16(XCB_MOD_MASK_1);
    }
    // A press with Caps Lock or Num Lock on carries their bits; the grab must ignore them,
    // and a passive grab only matches exact modifiers, so each combination is grabbed.
    const quint16 numLock = keyboard.modifierMask(KeysymNumLock) & ~plan.modifiers;
    plan.locks = quint16(XCB_MOD_MASK_LOCK | numLock);
    std::vector<quint16> lockSets {0, XCB_MOD_MASK_LOCK};
    if (numLock != 0) {
        lockSets.push_back(numLock);
        lockSets.push_back(quint16(numLock | XCB_MOD_MASK_LOCK));
    }
    for (xcb_keycode_t keycode : keycodes)
        for (quint16 locks : lockSets)
            plan.grabs.push_back({keycode, quint16(plan.modifiers | locks)});
    return plan;
}

bool X11HotKey::apply(const Plan& plan)
{
    xcb_connection_t* c = m_x11.connection();
    std::vector<xcb_void_cookie_t> cookies;
    for (const KeyGrab& g : plan.grabs)
        cookies.push_back(xcb_grab_key_checked(
            c, 0, m_x11.root(), g.modifiers, g.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::vector<KeyGrab> held;
    for (std::size_t i = 0; i < cookies.size(); ++i)
        if (m_x11.check(cookies[i], "key grab"))
            held.push_back(plan.grabs[i]);
    if (held.size() == plan.grabs.size()) {
        m_active = plan;
        return true;
    }
    // Another client holds one of the combinations (BadAccess): a partial grab would make
    // the hotkey work only with some lock keys, so none is kept.
    for (const KeyGrab& g : held)
        xcb_ungrab_key(c, g.keycode, m_x11.root(), g.modifiers);
    m_x11.sync();
    return false;
}

void X11HotKey::release()
{
    if (m_active.grabs.empty())
        return;
    for (const KeyGrab& g : m_active.grabs)
        xcb_ungrab_key(m_x11.connection(), g.keycode, m_x11.root(), g.modifiers);
    // Another program may take the combination the moment this returns.
    m_x11.sync();
    m_active = {};
}

bool X11HotKey::grab(quint16 shortcut)
{
    if (!m_x11.isValid())
        return false;
    ungrab();
    const std::optional<Plan> plan = makePlan(shortcut);
    if (!plan || !apply(*plan)) {
        qCWarning(lcPlatform) << "could not grab hotkey" << ShortcutText(shortcut);
        return false;
    }
    m_shortcut = shortcut;
    return true;
}

void X11HotKey::ungrab()
{
    if (!m_x11.isValid())
        return;
    release();
    m_shortcut.reset();
}

void X11HotKey::refreshAfterMappingChange()
{
    m_refreshPending = false;
    if (!m_shortcut)
        return;
    const std::optional<Plan> plan = makePlan(*m_shortcut);
    if (plan && plan->grabs == m_active.grabs) {
        m_active = *plan;
        return;
    }
    release();
    if (!plan || !apply(*plan))
        qCWarning(lcPlatform) << "hotkey" << ShortcutText(*m_shortcut)
                              << "could not be grabbed again after a keyboard change";
}

bool X11HotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_KEY_PRESS && !m_active.grabs.empty()) {
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        const bool grabbedKey = std::any_of(m_active.grabs.begin(), m_active.grabs.end(),
            [key](const KeyGrab& g) { return g.keycode == key->detail; });
        const quint16 modifiers = key->state & 0xff & ~m_active.locks;
        if (key->event == m_x11.root() && grabbedKey && modifiers == m_active.modifiers) {
            m_onPressed();
            return true;
        }
        return false;
    }
    const bool mappingChanged = type == XCB_MAPPING_NOTIFY
        || (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent
            && (event->pad0 == XkbNewKeyboardNotify || event->pad0 == XkbMapNotify));
    // Several notices arrive for one change; grab again once they are all in.
    if (mappingChanged && m_shortcut && !m_refreshPending) {
        m_refreshPending = true;
        QTimer::singleShot(0, this, &X11HotKey::refreshAfterMappingChange);
    }
    return false;
}
