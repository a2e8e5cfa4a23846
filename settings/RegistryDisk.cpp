#include "settings/RegistryDisk.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

// A settings file kept elsewhere behind a symbolic link stays there; the link is kept.
QString ResolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : QString();
    return target.isEmpty() ? path : target;
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Writes and flushes `bytes` into a new file named `temp`. An unnamed file gets its name
// only once it is complete, so a kill while it is written or flushed leaves nothing behind;
// not every file system offers one, hence the plain file as the second way.
bool WriteTemp(const QString& folder, const QByteArray& temp, const QByteArray& bytes, const struct stat* old,
    bool unnamed)
{
    const int fd = unnamed ? ::open(Native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)
                           : ::open(temp.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && (old == nullptr || ::fchmod(fd, old->st_mode & 07777) == 0)
        && ::fsync(fd) == 0;
    if (ok && unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        ok = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) == 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok && !unnamed)
        ::unlink(temp.constData());
    return ok;
}

} // namespace

FileLock::FileLock(const QString& path, int timeoutMs)
{
    m_fd = ::open(Native(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    QDeadlineTimer deadline(timeoutMs);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        if (deadline.hasExpired())
            return;
        // Short naps: a holder lets go and may take the lock again within microseconds.
        QThread::usleep(250);
    }
    m_locked = true;
}

FileLock::~FileLock()
{
    if (m_fd < 0)
        return;
    if (m_locked)
        ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
}

FileBytes ReadSettingsFile(const QString& path, qint64 maxSize)
{
    FileBytes result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        result.Result = ReadResult::Missing;
        return result;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return result;
    result.Bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError)
        return result;
    if (result.Bytes.size() > maxSize) {
        result.Bytes.clear();
        result.Oversized = true;
    }
    result.Result = ReadResult::Ok;
    return result;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes)
{
    const QString target = ResolvedTarget(path);
    const QByteArray temp = Native(target + QStringLiteral(".tmp"));
    // The caller holds the lock, so a temporary file found here is one a killed copy left.
    ::unlink(temp.constData());
    struct stat old { };
    const bool hadOld = ::stat(Native(target).constData(), &old) == 0;
    const QString folder = QFileInfo(target).absolutePath();
    if (!WriteTemp(folder, temp, bytes, hadOld ? &old : nullptr, true)
        && !WriteTemp(folder, temp, bytes, hadOld ? &old : nullptr, false))
        return false;
    if (::rename(temp.constData(), Native(target).constData()) == 0)
        return true;
    ::unlink(temp.constData());
    return false;
}

bool KeepCopy(const QString& path, const QString& copyPath, const QByteArray& bytes)
{
    const QByteArray temp = Native(copyPath + QStringLiteral(".tmp"));
    ::unlink(temp.constData());
    // A second name for the file costs nothing whatever its size; the replacement that
    // follows gives `path` a new file and leaves this one to the copy.
    if (::link(Native(ResolvedTarget(path)).constData(), temp.constData()) == 0) {
        if (::rename(temp.constData(), Native(copyPath).constData()) == 0)
            return true;
        ::unlink(temp.constData());
        return false;
    }
    // A file system without hard links gets a written copy of what was read.
    return !bytes.isEmpty() && ReplaceFile(copyPath, bytes);
}
