#pragma once
// The settings file on disk: the advisory lock that several running copies share, reading
// it, replacing it in one atomic step, and keeping a copy of it. Nothing here throws.

#include <QByteArray>
#include <QString>

// Exclusive advisory lock on a file beside the settings file. The settings file itself
// cannot carry the lock: every write replaces it with a new inode.
class FileLock final {
public:
    // Waits at most `timeoutMs` for a copy that holds the lock to let it go.
    FileLock(const QString& path, int timeoutMs);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

enum class ReadResult { Ok, Missing, Failed };

struct FileBytes {
    ReadResult Result = ReadResult::Failed;
    QByteArray Bytes; // empty when Oversized
    bool Oversized = false;
};

// Reads at most `maxSize` bytes; a larger file is not read at all.
FileBytes ReadSettingsFile(const QString& path, qint64 maxSize);

// Writes `bytes` to a file in the same folder, flushes it to disk and renames it over
// `path` (the target of `path` when that is a symbolic link), keeping the old file's
// permissions. A crash or kill leaves either the old file or the new one and no
// temporary file. The caller holds the lock.
bool ReplaceFile(const QString& path, const QByteArray& bytes);

// Makes `copyPath` hold what `path` holds now, replacing an older copy; `bytes` is
// that content when the caller has it (empty for a file too large to read). The caller
// holds the lock.
bool KeepCopy(const QString& path, const QString& copyPath, const QByteArray& bytes);
