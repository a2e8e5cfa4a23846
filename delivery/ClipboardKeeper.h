#pragma once
// What the clipboard held before a paste replaced it, put back once the paste is done. The
// delivery decides when; how the formats are read and written belongs to the desktop side.

#include <QString>

class ClipboardKeeper {
public:
    virtual ~ClipboardKeeper() = default;

    // Takes a copy of every format the clipboard offers now, before the paste replaces it.
    virtual void keep() = 0;
    // The paste keys were sent: once the target has had the time to take `pasted`, the copy
    // goes back, unless the clipboard holds something else by then.
    virtual void restoreAfterPaste(const QString& pasted) = 0;
    // No paste happened: the text stays on the clipboard and the copy is let go.
    virtual void forget() = 0;
};
