#pragma once
// Copies every table of one library into another: between a file and a server, either way,
// or between two of a kind. Each table arrives as an entry table with the same entries.

#include <QStringList>

class TLibraryConnection;

struct LibraryCopyResult {
    QStringList tables; // in the source's order
    int entries = 0;
};

// All or nothing: the target changes only when every table was copied. A table the target
// already has (names compared without regard to ASCII case) is refused unless `replace`
// is true, and then it is dropped first. Throws DatabaseError.
LibraryCopyResult CopyLibrary(TLibraryConnection& source, TLibraryConnection& target, bool replace);
