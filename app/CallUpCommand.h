#pragma once
// The command a desktop's own keyboard settings run to call the program up, where the program
// cannot take a global shortcut itself (a Wayland session without the shortcuts portal).

#include <QString>

// The executable and --show, the path quoted for a shell where it needs it (desktops run
// custom shortcut commands through a shell or parse them the same way).
QString CallUpCommand(const QString& executable);

// Plain words for the user: which shortcut does not work here, and the exact command to bind.
QString CallUpCommandAdvice(const QString& shortcutText, const QString& command);
