#pragma once
// Focus queries and activation of other programs' windows.

#include "platform/Platform.h"
#include "platform/X11Connection.h"

class X11Focus final {
public:
    explicit X11Focus(X11Connection& x11)
        : m_x11(x11)
    {
    }

    quint32 focusedWindow();
    bool isOwnWindow(quint32 window);
    bool activateWindow(quint32 target, int timeoutMs);
    bool waitForFocusToLeaveOwnWindows(int timeoutMs);
    // WM_CLASS of the window or of the nearest ancestor that has one.
    WindowClass windowClassOf(quint32 window);

private:
    xcb_window_t rawFocus();
    xcb_window_t clientWindowOf(xcb_window_t window);
    bool isInside(xcb_window_t window, xcb_window_t ancestor);
    void requestActivation(xcb_window_t client);

    X11Connection& m_x11;
};
