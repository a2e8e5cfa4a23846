#pragma once
// Program-wide state shared by the main window's parts. The settings are not here: they
// are one value owned by the main window (settings/Settings.h).

#include <QString>
#include <QtGlobal>

// Name most recently passed to OpenTable, spelled as it was passed.
extern QString CurTable;
// X11 window to paste into; 0 means no target is known.
extern quint32 TargetWindow;
