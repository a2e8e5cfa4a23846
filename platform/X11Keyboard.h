#pragma once
// A snapshot of the keyboard mapping: keycodes for keysyms, the modifier bits that the lock
// and Alt keys live on, and keycodes with no symbol at all. Taken afresh for each use, so it
// always reflects the layout the user has now.

#include <QtGlobal>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

class X11Keyboard final {
public:
    explicit X11Keyboard(xcb_connection_t* connection);
    ~X11Keyboard();
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // Every keycode that carries the keysym in any shift level, without repeats.
    std::vector<xcb_keycode_t> keycodes(quint32 keysym) const;
    // The keycode whose unshifted symbol is the keysym, 0 when there is none.
    xcb_keycode_t unshiftedKeycode(quint32 keysym) const;
    // The modifier bit of the modifier that holds a key with this keysym, 0 when none does.
    quint16 modifierMask(quint32 keysym) const;
    // A keycode with no symbol in any level, from the top of the range; 0 when all are used.
    xcb_keycode_t spareKeycode() const;

private:
    bool hasNoSymbol(xcb_keycode_t keycode) const;

    xcb_connection_t* m_connection;
    xcb_key_symbols_t* m_symbols;
};
