#pragma once
// Quick Paste where the desktop does not say which window has the focus (a Wayland session):
// the target is whatever window the desktop focuses once this program steps aside. The text
// is already on the clipboard, put there while this program still had the focus (a Wayland
// compositor only takes the clipboard from the focused client).

#include <functional>

class Platform;

enum class StepAside {
    Minimise, // the window minimises, or goes into the tray where one shows the icon
    Hide, // the window unmaps; every desktop hands the focus on then
};

enum class StepAsideOutcome {
    KeysSent,
    FocusStayed, // the focus never left this program; no keys were sent
    NoKeys, // the desktop lets no program type into another; the text waits on the clipboard
    KeysFailed, // the keys could not be sent; the text waits on the clipboard
};

// Minimises first; a desktop that ignores minimising (sway, say) does not move the focus, so
// after a short bounded wait the window is hidden instead. Keys are sent only once the focus
// has left, and only where the desktop can take them.
StepAsideOutcome PasteBySteppingAside(Platform& desktop, const std::function<void(StepAside)>& stepAside);
