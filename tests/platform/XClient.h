#pragma once
// A second X client for the tests: another program holding grabs, owning windows, pressing
// keys through XTest and reading properties, on its own connection.

#include <QList>
#include <QtGlobal>
#include <xcb/xcb.h>

class XClient final {
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool isValid() const { return m_connection && !xcb_connection_has_error(m_connection); }
    xcb_connection_t* connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name);
    xcb_keycode_t keycode(quint32 keysym);
    quint16 modifierMask(quint32 keysym);
    // Lock and modifier bits currently in effect.
    quint16 modifierState();

    bool grabKey(xcb_keycode_t keycode, quint16 modifiers);
    // Whether the combination is free: grabs it and lets it go again at once.
    bool canGrab(xcb_keycode_t keycode, quint16 modifiers);
    void ungrabKey(xcb_keycode_t keycode, quint16 modifiers);

    void pressKey(xcb_keycode_t keycode);
    void releaseKey(xcb_keycode_t keycode);
    void tapKey(xcb_keycode_t keycode);

    // A mapped top-level with a title, managed by the window manager; `child` receives a child
    // window, like a control inside a program's window. A window that does not take the focus
    // says so in its WM_HINTS, so the window manager never gives it any.
    xcb_window_t createWindow(xcb_window_t* child = nullptr, bool takesFocus = true);
    void destroyWindow(xcb_window_t window);
    xcb_window_t inputFocus();

    QList<quint32> atomProperty(xcb_window_t window, xcb_atom_t property);
    bool windowManagerRunning();

    QList<quint32> keysymsOf(xcb_keycode_t keycode);
    void setKeysyms(xcb_keycode_t keycode, const QList<quint32>& keysyms);

    // A round trip: everything sent before has been handled by the server.
    void sync();

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
};
