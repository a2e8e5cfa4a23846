#include "Registry.h"

#include "common/Common.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <unistd.h>

TRegistry* SettingsRegistry = nullptr;

namespace {

// A settings file is a few hundred bytes; anything far larger is not one of ours and
// is treated like any other unreadable content.
constexpr qint64 MaxFileSize = qint64(1024) * 1024;
// A copy that holds the lock keeps it for one read-modify-replace. Waiting longer than
// this means it is stopped, and giving up keeps shutdown from hanging behind it.
constexpr int LockTimeoutMs = 5000;

// Exclusive advisory lock on a file beside the settings file. The settings file itself
// cannot carry the lock: every write replaces it with a new inode.
class FileLock final {
public:
    explicit FileLock(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        QDeadlineTimer deadline(LockTimeoutMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            if (deadline.hasExpired())
                return;
            QThread::msleep(2);
        }
        m_locked = true;
    }
    ~FileLock()
    {
        if (m_fd < 0)
            return;
        if (m_locked)
            ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadFileBytes(const QString& path, QByteArray& bytes)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return ReadResult::Missing;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return ReadResult::Failed;
    bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return ReadResult::Failed;
    if (bytes.size() > MaxFileSize)
        bytes.clear();
    return ReadResult::Ok;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes a temporary file in the same folder, syncs it and renames it over
    // the old one, so a crash leaves either the old file or the new one, never half.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // An uncommitted QSaveFile removes its temporary file and leaves the old one.
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

QString LockFilePath(const QString& settingsPath)
{
    return settingsPath + QStringLiteral(".lock");
}

bool MakeFolder(const QString& settingsPath)
{
    return QDir().mkpath(QFileInfo(settingsPath).absolutePath());
}

// Like opening a registry key with create: the first read of a new user leaves a file
// with just the key in it.
void CreateKeyFileIfMissing(const QString& path, const QString& keyPath)
{
    if (QFileInfo::exists(path) || !MakeFolder(path))
        return;
    const FileLock lock(LockFilePath(path));
    if (!lock.Locked() || QFileInfo::exists(path))
        return;
    ReplaceFile(path, RegistryFile(keyPath).Serialise());
}

} // namespace

std::optional<RegValue> TRegistry::ReadValue(const QString& name) const
{
    try {
        const QString path = SettingsFilePath();
        if (path.isEmpty())
            return std::nullopt;
        const QString keyPath = SettingsKeyPath(ProductName);
        CreateKeyFileIfMissing(path, keyPath);
        QByteArray bytes;
        if (ReadFileBytes(path, bytes) != ReadResult::Ok)
            return std::nullopt;
        const RegistryFile file = RegistryFile::Parse(bytes, keyPath);
        if (const RegValue* value = file.Find(name))
            return *value;
    } catch (...) {
        // A read that cannot complete gives the caller's default.
    }
    return std::nullopt;
}

bool TRegistry::WriteValue(const RegValue& value) const
{
    try {
        const QString path = SettingsFilePath();
        if (path.isEmpty() || !RegNameFitsOnALine(value.Name) || !MakeFolder(path))
            return false;
        const FileLock lock(LockFilePath(path));
        if (!lock.Locked())
            return false;
        QByteArray bytes;
        // A file that exists but cannot be read is left alone: replacing it would lose
        // values this copy never saw.
        const ReadResult read = ReadFileBytes(path, bytes);
        if (read == ReadResult::Failed)
            return false;
        RegistryFile file = RegistryFile::Parse(bytes, SettingsKeyPath(ProductName));
        file.Set(value);
        return ReplaceFile(path, file.Serialise());
    } catch (...) {
        return false;
    }
}

void CreateSettingsRegistry()
{
    if (!SettingsRegistry)
        SettingsRegistry = new (std::nothrow) TRegistry;
}

void ReleaseSettingsRegistry()
{
    delete SettingsRegistry;
    SettingsRegistry = nullptr;
}

QString SettingsFilePath()
{
    const QString product = ProductName;
    if (product.isEmpty() || product == QLatin1String(".") || product == QLatin1String("..")
        || product.contains(QLatin1Char('/')) || product.contains(QChar(0)))
        return QString();
    // An empty or relative XDG_CONFIG_HOME is ignored, as the base directory rules ask.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            home = QDir::homePath();
        base = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(base + QStringLiteral("/Quillmoor/") + product + QStringLiteral("/Settings.reg"));
}

QString ReadRegString(const QString& name, const QString& def)
{
    if (!SettingsRegistry)
        return def;
    const std::optional<RegValue> value = SettingsRegistry->ReadValue(name);
    if (!value || (value->Type != RegType::Sz && value->Type != RegType::ExpandSz))
        return def;
    // An expandable string is returned as stored; environment references stay as they are.
    return DecodeRegSz(value->Data);
}

bool WriteRegString(const QString& name, const QString& value)
{
    if (!SettingsRegistry)
        return false;
    return SettingsRegistry->WriteValue(RegValue {name, RegType::Sz, EncodeRegSz(value)});
}

qint32 ReadRegInt(const QString& name, qint32 def)
{
    if (!SettingsRegistry)
        return def;
    const std::optional<RegValue> value = SettingsRegistry->ReadValue(name);
    // Only a REG_DWORD of exactly four bytes is an integer; shorter data can only come
    // from another program and is as unreadable as longer data.
    if (!value || value->Type != RegType::Dword || value->Data.size() != 4)
        return def;
    const QByteArray& d = value->Data;
    return qint32(quint32(uchar(d[0])) | quint32(uchar(d[1])) << 8 | quint32(uchar(d[2])) << 16
        | quint32(uchar(d[3])) << 24);
}

bool WriteRegInt(const QString& name, qint32 value)
{
    if (!SettingsRegistry)
        return false;
    return SettingsRegistry->WriteValue(RegValue {name, RegType::Dword, EncodeDword(value)});
}

bool ReadRegBool(const QString& name, bool def)
{
    return (ReadRegInt(name, def ? 1 : 0) & 0xFF) != 0;
}

bool WriteRegBool(const QString& name, bool value)
{
    return WriteRegInt(name, value ? 1 : 0);
}
