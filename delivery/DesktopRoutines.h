#pragma once
// The desktop side of delivering a text: the clipboard, the focus of other programs and the
// synthesised paste keys. Each reports failure through its result and never throws or shows a
// message; the caller decides what a failure means.

#include <QString>

class Platform;

// Replaces the clipboard contents by the text as plain text. False when the clipboard
// did not take it.
bool SetClipboardText(const QString& text);

// The paste combination (Ctrl+V unless the window's program wants another) for whichever
// window has the focus: the modifiers down, the key down, the modifiers up, the key up.
bool SendPasteKeys(Platform& desktop, quint16 keys);

// The window that has the keyboard focus, 0 when none has it.
quint32 GetFocusedWindow(Platform& desktop);
