#pragma once
// The system-wide activation hotkey, registered from a stored shortcut value. Start-up, the
// Options dialog's OK and its closing without OK all go through this one routine, so each
// of them hands the desktop exactly the same combination for the same value.

#include <QtGlobal>

class Platform;

// The low 13 bits are the key, the Shift, Ctrl and Alt bits its modifiers; nothing else is
// asked for. A key the program has no name for is refused before the desktop is asked, so a
// stray value can never end up grabbing some other key. True when the desktop took the
// combination.
bool RegisterActivationHotKey(Platform& platform, quint16 shortcut);
