#include "platform/X11Focus.h"

#include "platform/EventWait.h"
#include "platform/PlatformLog.h"

#include <QGuiApplication>
#include <QSet>
#include <QWindow>
#include <cstdlib>

namespace {

// A window deeper than this is not worth walking; it also ends any loop a broken tree
// could cause.
constexpr int MaxDepth = 64;

// _NET_ACTIVE_WINDOW source indication: a pager, that is an explicit user request, which
// window managers honour without focus-stealing prevention.
constexpr quint32 SourcePager = 2;

} // namespace

xcb_window_t X11Focus::rawFocus()
{
    xcb_connection_t* c = m_x11.connection();
    xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return focus;
}

quint32 X11Focus::focusedWindow()
{
    if (!m_x11.isValid())
        return 0;
    xcb_window_t focus = rawFocus();
    const xcb_window_t wm = m_x11.windowManagerWindow();
    if (focus == XCB_WINDOW_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT) {
        focus = XCB_WINDOW_NONE;
        if (wm != XCB_WINDOW_NONE) {
            const auto active
                = m_x11.property32(m_x11.root(), m_x11.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
            if (active && !active->empty())
                focus = active->front();
        }
    }
    // Window managers park the focus on their check window when nothing is focused; that is
    // no more a paste target than the desktop itself.
    if (focus == m_x11.root() || focus == wm || focus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return 0;
    return focus;
}

bool X11Focus::isOwnWindow(quint32 window)
{
    if (!m_x11.isValid() || window == 0)
        return false;
    QSet<xcb_window_t> own;
    for (QWindow* w : QGuiApplication::allWindows()) {
        // winId() would create a platform window for one that has none yet.
        if (w->handle())
            own.insert(xcb_window_t(w->winId()));
    }
    xcb_window_t current = window;
    for (int depth = 0; current != XCB_WINDOW_NONE && depth < MaxDepth; ++depth) {
        if (own.contains(current))
            return true;
        current = m_x11.parent(current);
    }
    return false;
}

bool X11Focus::isInside(xcb_window_t window, xcb_window_t ancestor)
{
    for (int depth = 0; window != XCB_WINDOW_NONE && depth < MaxDepth; ++depth) {
        if (window == ancestor)
            return true;
        window = m_x11.parent(window);
    }
    return false;
}

xcb_window_t X11Focus::clientWindowOf(xcb_window_t window)
{
    // The top-level a window manager knows is the one carrying WM_STATE; below a reparenting
    // window manager it is not the child of the root, which is the manager's frame.
    const xcb_atom_t wmState = m_x11.atom("WM_STATE");
    xcb_window_t client = XCB_WINDOW_NONE;
    xcb_window_t topmost = window;
    xcb_window_t current = window;
    for (int depth = 0; current != XCB_WINDOW_NONE && depth < MaxDepth; ++depth) {
        const auto state = m_x11.property32(current, wmState, wmState);
        if (state && !state->empty())
            client = current;
        topmost = current;
        current = m_x11.parent(current);
    }
    return client != XCB_WINDOW_NONE ? client : topmost;
}

void X11Focus::requestActivation(xcb_window_t client)
{
    m_x11.sendToWindowManager(client, m_x11.atom("_NET_ACTIVE_WINDOW"),
        {SourcePager, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0}, "_NET_ACTIVE_WINDOW request");
}

bool X11Focus::activateWindow(quint32 target, int timeoutMs)
{
    if (!m_x11.isValid() || target == 0 || target == m_x11.root())
        return false;
    if (!m_x11.exists(target)) {
        qCInfo(lcPlatform) << "paste target" << Qt::hex << target << "no longer exists";
        return false;
    }
    const xcb_window_t client = clientWindowOf(target);
    xcb_connection_t* c = m_x11.connection();
    if (m_x11.windowManagerWindow() != XCB_WINDOW_NONE) {
        requestActivation(client);
    } else {
        // Without a window manager nobody would act on the request; the focus is ours to set.
        m_x11.check(xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME),
            "set input focus");
    }
    bool childFocusSent = target == client;
    xcb_window_t focus = XCB_WINDOW_NONE;
    const bool ok = WaitUntil(
        [&] {
            if (!m_x11.exists(target))
                return WaitStep::GiveUp;
            focus = rawFocus();
            if (focus == target)
                return WaitStep::Done;
            if (!isInside(focus, client))
                return WaitStep::KeepWaiting;
            // The recorded window is a control inside the top-level: once the top-level has the
            // focus, hand it on. A window that refuses (unmapped meanwhile) keeps the top-level's.
            if (!childFocusSent) {
                childFocusSent = true;
                m_x11.check(xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME),
                    "focus on the recorded control");
                return WaitStep::KeepWaiting;
            }
            return WaitStep::Done;
        },
        timeoutMs);
    if (!ok)
        qCInfo(lcPlatform) << "window" << Qt::hex << target << "did not take the focus; it stayed in"
                           << focus;
    return ok;
}

bool X11Focus::waitForFocusToLeaveOwnWindows(int timeoutMs)
{
    if (!m_x11.isValid())
        return false;
    return WaitUntil(
        [&] {
            const xcb_window_t focus = rawFocus();
            const bool own
                = focus != XCB_WINDOW_NONE && focus != XCB_INPUT_FOCUS_POINTER_ROOT && isOwnWindow(focus);
            return own ? WaitStep::KeepWaiting : WaitStep::Done;
        },
        timeoutMs);
}

WindowClass X11Focus::windowClassOf(quint32 window)
{
    if (!m_x11.isValid())
        return {};
    xcb_connection_t* c = m_x11.connection();
    xcb_window_t current = window;
    for (int depth = 0; current != XCB_WINDOW_NONE && current != m_x11.root() && depth < MaxDepth; ++depth) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, current, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr);
        if (reply) {
            // "instance\0class\0"
            const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                xcb_get_property_value_length(reply));
            std::free(reply);
            if (!value.isEmpty()) {
                const QList<QByteArray> names = value.split('\0');
                return {QString::fromLocal8Bit(names.value(0)), QString::fromLocal8Bit(names.value(1))};
            }
        }
        current = m_x11.parent(current);
    }
    return {};
}
