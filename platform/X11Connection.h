#pragma once
// Qt's own xcb connection with the few queries every part of the X11 layer needs. Every
// request that can fail on a foreign window takes the error back with its reply (or is a
// checked request), so a window that vanished never turns into an X error that Qt would
// report or act on.

#include <QByteArray>
#include <QHash>
#include <array>
#include <optional>
#include <vector>
#include <xcb/xcb.h>

class X11Connection final {
public:
    // Qt's connection, or an empty object under a platform without X.
    static X11Connection FromApplication();

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t* connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name);

    // The 32-bit items of a window property of the given type; nullopt when the window is
    // gone, an empty list when the property is missing.
    std::optional<std::vector<quint32>> property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    // Parent of a window, 0 at the root or when the window is gone.
    xcb_window_t parent(xcb_window_t window);
    std::optional<quint8> mapState(xcb_window_t window);
    bool exists(xcb_window_t window) { return mapState(window).has_value(); }

    // The window manager's check window while a window manager runs, else 0. A window manager
    // that exited leaves the root property behind, so the check window must name itself.
    xcb_window_t windowManagerWindow();

    // Waits for a checked request; logs and discards the error. True on success.
    bool check(xcb_void_cookie_t cookie, const char* what);

    // A 32-bit client message about a window, sent to the root where the window manager
    // listens for it (EWMH requests). True when the server took it.
    bool sendToWindowManager(
        xcb_window_t window, xcb_atom_t type, const std::array<quint32, 5>& data, const char* what);

    // One round trip, so everything sent before has been handled by the server.
    void sync();

private:
    X11Connection(xcb_connection_t* connection, xcb_window_t root);

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    QHash<QByteArray, xcb_atom_t> m_atoms;
};
