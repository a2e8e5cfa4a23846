#pragma once
// Starting with the desktop: an entry in the user's autostart folder that starts this
// executable hidden. Whether the program starts with the desktop is the entry's presence;
// nothing else records it.

#include <QString>

// ${XDG_CONFIG_HOME:-~/.config}/autostart/pastewise.desktop
QString AutostartEntryPath();
bool StartsWithDesktop();

// Writes the entry for `executable` or removes it. Throws AppError naming the file when it
// cannot be written or removed.
void SetStartWithDesktop(bool on, const QString& executable);

// The text of the entry that starts `executable --hidden`.
QString AutostartEntryText(const QString& executable);
