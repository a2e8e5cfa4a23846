#include "platform/X11Connection.h"

#include "platform/PlatformLog.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbPtr = std::unique_ptr<T, FreeDeleter>;

xcb_window_t RootOf(xcb_connection_t* connection)
{
    // Qt opens the display named by DISPLAY; its screen number picks the root.
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && it.rem > 1; ++i)
        xcb_screen_next(&it);
    return it.data ? it.data->root : 0;
}

} // namespace

X11Connection::X11Connection(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection)
    , m_root(root)
{
}

X11Connection X11Connection::FromApplication()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection)) {
        qCInfo(lcPlatform) << "no X connection; desktop integration is off";
        return X11Connection(nullptr, 0);
    }
    return X11Connection(connection, RootOf(connection));
}

xcb_atom_t X11Connection::atom(const char* name)
{
    const QByteArray key(name);
    if (auto it = m_atoms.constFind(key); it != m_atoms.constEnd())
        return *it;
    const auto cookie = xcb_intern_atom(m_connection, 0, quint16(key.size()), name);
    XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE)
        m_atoms.insert(key, atom);
    return atom;
}

std::optional<std::vector<quint32>> X11Connection::property32(
    xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    const auto cookie = xcb_get_property(m_connection, 0, window, property, type, 0, 1024);
    xcb_generic_error_t* error = nullptr;
    XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, &error));
    std::free(error);
    if (!reply)
        return std::nullopt;
    std::vector<quint32> values;
    if (reply->type == type && reply->format == 32) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        values.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return values;
}

xcb_window_t X11Connection::parent(xcb_window_t window)
{
    const auto cookie = xcb_query_tree(m_connection, window);
    xcb_generic_error_t* error = nullptr;
    XcbPtr<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(m_connection, cookie, &error));
    std::free(error);
    if (!reply || reply->parent == reply->root)
        return XCB_WINDOW_NONE;
    return reply->parent;
}

std::optional<quint8> X11Connection::mapState(xcb_window_t window)
{
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    const auto cookie = xcb_get_window_attributes(m_connection, window);
    xcb_generic_error_t* error = nullptr;
    XcbPtr<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(m_connection, cookie, &error));
    std::free(error);
    if (!reply)
        return std::nullopt;
    return reply->map_state;
}

xcb_window_t X11Connection::windowManagerWindow()
{
    const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
    const auto fromRoot = property32(m_root, check, XCB_ATOM_WINDOW);
    if (!fromRoot || fromRoot->empty())
        return XCB_WINDOW_NONE;
    const xcb_window_t window = fromRoot->front();
    const auto fromItself = property32(window, check, XCB_ATOM_WINDOW);
    if (!fromItself || fromItself->empty() || fromItself->front() != window)
        return XCB_WINDOW_NONE;
    return window;
}

bool X11Connection::sendToWindowManager(
    xcb_window_t window, xcb_atom_t type, const std::array<quint32, 5>& data, const char* what)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    return check(xcb_send_event_checked(m_connection, 0, m_root,
                     XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                     reinterpret_cast<const char*>(&event)),
        what);
}

bool X11Connection::check(xcb_void_cookie_t cookie, const char* what)
{
    XcbPtr<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
    if (!error)
        return true;
    qCDebug(lcPlatform) << what << "failed with X error" << error->error_code;
    return false;
}

void X11Connection::sync()
{
    XcbPtr<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}
