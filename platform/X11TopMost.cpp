#include "platform/X11TopMost.h"

#include "platform/PlatformLog.h"

#include <QWindow>
#include <algorithm>

namespace {

constexpr quint32 StateRemove = 0;
constexpr quint32 StateAdd = 1;
constexpr quint32 SourceApplication = 1;

// Before the window is mapped the window manager reads the state from the property; Qt keeps
// atoms it finds there when it maps the window.
void WriteStateProperty(X11Connection& x11, xcb_window_t window, xcb_atom_t state, xcb_atom_t above, bool on)
{
    std::vector<quint32> atoms
        = x11.property32(window, state, XCB_ATOM_ATOM).value_or(std::vector<quint32> {});
    atoms.erase(std::remove(atoms.begin(), atoms.end(), above), atoms.end());
    if (on)
        atoms.push_back(above);
    x11.check(xcb_change_property_checked(x11.connection(), XCB_PROP_MODE_REPLACE, window, state,
                  XCB_ATOM_ATOM, 32, quint32(atoms.size()), atoms.data()),
        "_NET_WM_STATE property");
}

void SendStateMessage(X11Connection& x11, xcb_window_t window, xcb_atom_t state, xcb_atom_t above, bool on)
{
    x11.sendToWindowManager(window, state, {on ? StateAdd : StateRemove, above, 0, SourceApplication, 0},
        "_NET_WM_STATE request");
}

} // namespace

void SetX11TopMost(X11Connection& x11, QWindow* window, bool on)
{
    if (!x11.isValid() || !window)
        return;
    // Changing Qt::WindowStaysOnTopHint instead would make Qt hide and re-create the window.
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = x11.atom("_NET_WM_STATE");
    const xcb_atom_t above = x11.atom("_NET_WM_STATE_ABOVE");
    const std::optional<quint8> mapState = x11.mapState(id);
    if (!mapState)
        return;
    const bool managed = x11.windowManagerWindow() != XCB_WINDOW_NONE;
    if (*mapState == XCB_MAP_STATE_UNMAPPED || !managed)
        WriteStateProperty(x11, id, state, above, on);
    // Also for an unmapped window: the manager may be taking it over right now, after reading
    // the property; a message about a window it does not manage is ignored.
    if (managed)
        SendStateMessage(x11, id, state, above, on);
    qCDebug(lcPlatform) << "always on top" << on << "for window" << Qt::hex << id;
}
