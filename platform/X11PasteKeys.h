#pragma once
// Types Ctrl+V through XTest into whichever window has the focus.

#include "platform/X11Connection.h"

#include <QObject>
#include <QTimer>

class X11PasteKeys final : public QObject {
    Q_OBJECT

public:
    explicit X11PasteKeys(X11Connection& x11, QObject* parent = nullptr);
    ~X11PasteKeys() override;

    // Ctrl down, V down, Ctrl up, V up.
    bool send();

    void giveBackKeycode();

private:
    bool mapKeycode(xcb_keycode_t keycode, xcb_keysym_t lower, xcb_keysym_t upper);

    X11Connection& m_x11;
    // The keycode lent to 'v' for a layout without it, 0 while none is lent.
    xcb_keycode_t m_borrowed = 0;
    QTimer m_giveBack;
};
