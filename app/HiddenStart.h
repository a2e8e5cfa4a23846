#pragma once

class TfrmMain;

// The main window's first appearance. A hidden start (from the autostart entry) shows
// nothing when the tray shows the icon, which then brings the window up; without a tray
// that does, the window starts minimised so its taskbar entry can.
void ShowAtStart(TfrmMain& form, bool hidden);
