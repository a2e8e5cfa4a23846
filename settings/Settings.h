#pragma once
// The settings as one value, loaded at start-up and saved at a normal exit, without touching
// any widget: the main window owns the value and copies what it needs in and out. Every
// setting is declared once, in the table in Settings.cpp, which loading and saving share.

#include <QString>
#include <QtGlobal>

class TRegistry;

// The start values, before anything is loaded: zero, false and empty. What a missing or
// unreadable stored value gives instead is the default in the table.
struct Settings {
    // The main window's outer bounds in screen pixels, frame and title bar included.
    qint32 WindowLeft = 0;
    qint32 WindowTop = 0;
    qint32 WindowWidth = 0;
    qint32 WindowHeight = 0;
    bool WindowMaximized = false;
    // Shortcut value of the system-wide activation hotkey in the low 16 bits; kept as the
    // full 32-bit integer so it round-trips through the settings file.
    qint32 ActivationKey = 0;
    // Only ever written, as false: nothing reads it.
    bool FirstRun = false;
    bool AutoAppend = false;
    // As typed by the user: escape codes stay encoded until Copy appends it.
    QString AutoAppendStr;
    // The checked states of the commands actTrayIcon, actPasteAutoHide and actTopMost.
    bool TrayIcon = false;
    bool PasteAutoHide = false;
    bool TopMost = false;
    bool CompactMode = false;
    // The checked state of actRestoreClipboard.
    bool RestoreClipboard = false;
    // The table opened last. Empty when none was opened in this run (the library or its
    // tables could not be opened): saving then keeps the table remembered from before.
    QString CurTable;
    // Where the library is: empty for the file, else a postgresql:// address (never with a
    // password; libpq's ~/.pgpass or service file supplies it).
    QString Library;

    bool operator==(const Settings&) const = default;
};

// Reads every setting (a stored hotkey of 0, or none at all, means Ctrl+F8). Without an
// accessor each setting takes its default. Never throws.
Settings LoadSettingsValues(TRegistry* registry);
// Writes every setting in one replacement of the file, in the order of the table; the
// result is that of the replacement, false without an accessor. Never throws.
bool SaveSettingsValues(TRegistry* registry, const Settings& settings);
// Writes the one setting of that name at once, as SaveSettingsValues would; false when there
// is no accessor, no such setting or the write failed. Never throws.
bool SaveSettingValue(TRegistry* registry, const Settings& settings, const char* name);

// The window's outer bounds in screen pixels, frame and title bar included.
struct WindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;
};

struct PlacementToApply {
    bool ApplyBounds = false; // all four stored numbers are 0 or greater
    WindowBounds Bounds;
    bool Maximize = false; // applied whether or not the bounds are
};

PlacementToApply PlacementToApplyFrom(const Settings& settings);
