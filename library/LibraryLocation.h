#pragma once
// Which library file a copy of the program uses. A portable folder keeps its library beside
// the executable; an installed program's folder belongs to the system, so its library lives
// in the user's data folder and is made with starter entries on the first start.

#include <QString>

inline constexpr const char* LibraryFileName = "pastewise.mdb";

struct TLibraryLocation {
    QString path; // the library file to open
    // The file is the user's own library of an installed copy: when it is missing, it is
    // created with the starter entries. Elsewhere a missing file is an error to report.
    bool createWhenMissing = false;
};

// $XDG_DATA_HOME/Pastewise/pastewise.mdb, or ~/.local/share/... when that is unset.
QString UserLibraryPath();

// An installed copy sits in PREFIX/bin with its desktop entry in PREFIX/share/applications,
// which is what `cmake --install` and the package lay out; a portable folder or a build
// tree has no such entry.
bool IsInstalledCopy(const QString& appDir);

// The library beside the executable when that file is there; else the user's library when
// it exists or this is an installed copy; else the file beside the executable again, whose
// absence the open then reports.
TLibraryLocation LocateLibrary(const QString& appDir);

// The path to open. An installed copy's missing library is created first (folder and
// starter entries); throws AppError when that fails.
QString PrepareLibrary(const TLibraryLocation& location);
