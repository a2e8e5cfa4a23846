#pragma once
// Shared free routines that need neither widgets nor X11.

#include <QString>

// Base of the settings key path. The same word as the application title, but held
// separately: renaming the program's windows must not move its settings.
inline constexpr const char* ProductName = "Pastewise";

// Title of the application: caption of every box, tray tip and help file base name.
inline constexpr const char* ApplicationTitle = "Pastewise";

// Directory of the running executable, with a trailing '/'.
QString AppDir();

// A base directory of the user's (XDG_CONFIG_HOME, XDG_DATA_HOME): the variable when it holds
// an absolute path, else the home folder joined with the default ("/.config", "/.local/share").
QString XdgBaseDir(const char* variable, const QString& defaultUnderHome);
// Where the program keeps the user's own files (an installed copy's library, recovery files).
QString UserDataFolder();

// Text shown in the standard error box: a full stop is added when the message's
// last character sorts above '.', so "Failed" gains one and "Done." or "What?" do not.
QString ErrorBoxText(const QString& message);
