#pragma once

#include "platform/X11Connection.h"

class QWindow;

// Adds or removes _NET_WM_STATE_ABOVE for the window without hiding or re-creating it.
void SetX11TopMost(X11Connection& x11, QWindow* window, bool on);
