#pragma once
// A new library file with one table of starter entries. The program only ever opens an
// existing library; this is how a first one comes into being, for the library tool and for
// the first start of an installed copy.

#include <QString>

// Creates the file at `path` (its folder must exist) and fills it. Never touches a file
// that is already there, and never leaves a half-filled one behind: the entries are written
// to a temporary file in the same folder, which then takes the name only if it is still free.
// Throws AppError naming the file when it exists already or cannot be made.
void CreateStarterLibrary(const QString& path);
