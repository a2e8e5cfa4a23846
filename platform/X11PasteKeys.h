#pragma once
// Types a paste combination (Ctrl+V, Shift+Insert, ...) through XTest into whichever window
// has the focus.

#include "platform/X11Connection.h"

#include <QObject>
#include <QTimer>

class X11PasteKeys final : public QObject {
    Q_OBJECT

public:
    explicit X11PasteKeys(X11Connection& x11, QObject* parent = nullptr);
    ~X11PasteKeys() override;

    // The modifiers down, the key down, the modifiers up, the key up, for a shortcut value.
    // Modifier keys the user still holds are waited for a moment, then released around the
    // combination and pressed again after it.
    bool send(quint16 keys);

    void giveBackKeycode();

private:
    bool mapKeycode(xcb_keycode_t keycode, xcb_keysym_t lower, xcb_keysym_t upper);

    X11Connection& m_x11;
    // Keycode for the keysym, lending a spare one when the layout has none.
    xcb_keycode_t keycodeFor(quint32 keysym);

    // The keycode lent to a key the layout lacks ('v' on a Russian layout), 0 while none is
    // lent, and the keysym it carries.
    xcb_keycode_t m_borrowed = 0;
    quint32 m_borrowedKeysym = 0;
    QTimer m_giveBack;
};
