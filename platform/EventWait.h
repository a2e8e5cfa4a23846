#pragma once
// Bounded waits that keep the program's events flowing. On X11 a paste only works while the
// program still answers the target's request for the clipboard text, so a wait for another
// window's focus must never block the event loop.

#include <functional>

enum class WaitStep { KeepWaiting, Done, GiveUp };

// Checks `step` at once and then every few milliseconds from a nested event loop, until it
// answers Done (true) or GiveUp (false) or timeoutMs has passed (false). User input meant for
// this program is held back meanwhile, so no hotkey or key press re-enters the caller.
bool WaitUntil(const std::function<WaitStep()>& step, int timeoutMs);
