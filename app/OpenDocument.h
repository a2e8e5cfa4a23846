#pragma once

#include <QString>

// Opens `path` with the desktop's program for its type, as a double-click in the file
// manager would. False when the file is missing or no program could be started; the
// caller shows nothing either way.
bool OpenDocument(const QString& path);
