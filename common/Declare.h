#pragma once
// Program-wide settings held in memory between start-up and shutdown. They are
// loaded once from the settings file and written back once at a normal exit.

#include <QString>
#include <QtGlobal>

// Shortcut value of the system-wide activation hotkey in the low 16 bits;
// kept as the full 32-bit integer so it round-trips through the settings file.
extern qint32 ActivationKey;
extern bool AutoAppend;
// As typed by the user: escape codes stay encoded until Copy appends it.
extern QString AutoAppendStr;
extern bool CompactMode;
