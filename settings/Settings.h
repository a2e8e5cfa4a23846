#pragma once
// Loading and saving the settings held in memory, and the main window's placement,
// without touching any widget: the window copies the values in and out.

#include <QString>

// Checked states of the commands actTrayIcon, actPasteAutoHide and actTopMost, which
// are the settings themselves and have no variable of their own.
struct CommandChecks {
    bool TrayIcon = false;
    bool PasteAutoHide = false;
    bool TopMost = false;
};

// Reads the settings into the Declare globals and `checks`. A stored hotkey of 0 (or
// none at all) means Ctrl+F8.
void LoadSettingsValues(CommandChecks& checks);
// Writes every setting but the placement in one replacement of the file (or into the
// open batch, see BeginRegBatch); the result is that of the replacement. `curTable` is the
// table opened last in this run, empty when none was.
bool SaveSettingsValues(const CommandChecks& checks, const QString& curTable);

// The window's outer bounds in screen pixels, frame and title bar included.
struct WindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;
};

// Writes the five placement values like SaveSettingsValues.
void SaveWindowPlacementValues(const WindowBounds& b);

struct PlacementToApply {
    bool ApplyBounds = false; // all four stored numbers are 0 or greater
    WindowBounds Bounds;
    bool Maximize = false; // applied whether or not the bounds are
};

PlacementToApply LoadWindowPlacementValues();
