#pragma once
// The desktop side of delivering a text: the clipboard, the focus of other programs and the
// synthesised Ctrl+V. Each reports failure through its result and never throws or shows a
// message; the caller decides what a failure means.

#include <QString>

class Platform;

// Replaces the clipboard contents by the text as plain text. False when the clipboard
// did not take it.
bool SetClipboardText(const QString& text);

// Ctrl down, V down, Ctrl up, V up, for whichever window has the focus.
bool SendPasteKeys(Platform& desktop);

// The window that has the keyboard focus, 0 when none has it.
quint32 GetFocusedWindow(Platform& desktop);
