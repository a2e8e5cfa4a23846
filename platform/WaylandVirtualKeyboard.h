#pragma once
// Types keystrokes through the compositor's virtual keyboard (zwp_virtual_keyboard_manager_v1,
// offered by wlroots desktops such as sway, Hyprland, river, labwc and Wayfire). It uses a
// Wayland connection of its own beside Qt's, made on first use and kept, so nothing here
// depends on Qt's private interfaces.

#include "platform/VirtualKeymap.h"

#include <QElapsedTimer>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

class WaylandVirtualKeyboard final {
public:
    WaylandVirtualKeyboard();
    ~WaylandVirtualKeyboard();
    WaylandVirtualKeyboard(const WaylandVirtualKeyboard&) = delete;
    WaylandVirtualKeyboard& operator=(const WaylandVirtualKeyboard&) = delete;

    // Whether the compositor offers a virtual keyboard to this program. Connects the first
    // time; a compositor that refused once is not asked again.
    bool isAvailable();

    // Sends the requests and waits until the compositor has handled them. False, with the
    // reason in the log, when there is no virtual keyboard or the connection failed.
    bool send(const QList<VirtualKeyEvent>& events);

    // Returns once the compositor has handled every request sent so far on any connection
    // it had read before this call; used to let it act on this program's own requests
    // (hiding its window) before keys follow.
    bool sync();

    // Called from the registry listener.
    void onGlobal(wl_registry* registry, quint32 name, const char* interface, quint32 version);

private:
    bool connect();
    bool createKeyboard();
    bool connectionFailed(const char* what);
    void disconnect();

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    bool m_tried = false;
    // Key times need one clock of the client's choice that only runs forward.
    QElapsedTimer m_clock;
};
