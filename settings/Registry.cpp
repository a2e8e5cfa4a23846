#include "settings/Registry.h"

#include "common/Common.h"
#include "settings/RegistryDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <utility>

Q_LOGGING_CATEGORY(lcSettings, "pastewise.settings")

namespace {

// A settings file is a few hundred bytes; anything far larger is not one of ours and
// is treated like any other unreadable content.
constexpr qint64 MaxFileSize = qint64(1024) * 1024;
// A copy that holds the lock keeps it for one read-merge-replace of a small file. Waiting
// longer than this means it is stopped, and giving up keeps shutdown from hanging behind it.
constexpr int LockTimeoutMs = 1500;

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
    const FileLock lock(LockFilePath(path), LockTimeoutMs);
    if (!lock.Locked() || QFileInfo::exists(path))
        return;
    ReplaceFile(path, RegistryFile(keyPath).Serialise());
}

void Warn(const QString& text)
{
    qCWarning(lcSettings).noquote() << text;
}

bool SameData(const RegValue& a, const RegValue& b)
{
    return a.Type == b.Type && a.Data == b.Data;
}

} // namespace

TRegistry::TRegistry(QString productName)
    : m_productName(std::move(productName))
{
}

QString TRegistry::FilePath() const
{
    return SettingsFilePath(m_productName);
}

void TRegistry::Load(const QString& path)
{
    if (m_loaded && m_path == path)
        return;
    const QString keyPath = SettingsKeyPath(m_productName);
    m_path = path;
    m_loaded = true;
    m_known = RegistryFile(keyPath);
    m_defaults = RegistryFile(keyPath);
    CreateKeyFileIfMissing(path, keyPath);
    const FileBytes file = ReadSettingsFile(path, MaxFileSize);
    if (file.Result == ReadResult::Ok)
        m_known = RegistryFile::Parse(file.Bytes, keyPath);
}

std::optional<RegValue> TRegistry::ReadValue(const QString& name, const RegValue& asDefault)
{
    try {
        const QString path = FilePath();
        if (path.isEmpty())
            return std::nullopt;
        if (const RegValue* staged = m_staged.Find(name); staged && m_batchDepth > 0)
            return *staged;
        Load(path);
        if (const RegValue* value = m_known.Find(name))
            return *value;
        m_defaults.Set(asDefault);
    } catch (...) {
        // A read that cannot complete gives the caller's default.
    }
    return std::nullopt;
}

bool TRegistry::WriteValue(const RegValue& value)
{
    try {
        if (FilePath().isEmpty() || !RegNameFitsOnALine(value.Name))
            return false;
        if (m_batchDepth > 0) {
            m_staged.Set(value);
            return true;
        }
        BeginBatch();
        m_staged.Set(value);
        return EndBatch();
    } catch (...) {
        return false;
    }
}

void TRegistry::BeginBatch()
{
    if (m_batchDepth++ == 0)
        m_staged = RegistryFile(QString());
}

bool TRegistry::EndBatch()
{
    if (m_batchDepth == 0)
        return false;
    if (--m_batchDepth > 0)
        return true;
    bool written = false;
    try {
        written = Commit(FilePath());
    } catch (...) {
        written = false;
    }
    m_staged = RegistryFile(QString());
    return written;
}

bool TRegistry::Commit(const QString& path)
{
    if (m_staged.Values().isEmpty())
        return true;
    if (path.isEmpty())
        return false;
    if (!MakeFolder(path)) {
        Warn(QStringLiteral("Settings not saved: cannot create the folder of %1.").arg(path));
        return false;
    }
    const FileLock lock(LockFilePath(path), LockTimeoutMs);
    if (!lock.Locked()) {
        Warn(QStringLiteral("Settings not saved: %1 stayed locked by another copy; %2 is left as it was.")
                 .arg(LockFilePath(path), path));
        return false;
    }
    // A file that exists but cannot be read is left alone: replacing it would lose
    // values this copy never saw.
    const FileBytes disk = ReadSettingsFile(path, MaxFileSize);
    if (disk.Result == ReadResult::Failed) {
        Warn(QStringLiteral("Settings not saved: cannot read %1; it is left as it was.").arg(path));
        return false;
    }
    const QString keyPath = SettingsKeyPath(m_productName);
    RegistryFile merged = RegistryFile::Parse(disk.Bytes, keyPath);
    const bool knownFile = m_loaded && m_path == path;
    if (!knownFile)
        m_defaults = RegistryFile(keyPath);
    for (const RegValue& value : m_staged.Values()) {
        const RegValue* before = nullptr;
        if (knownFile) {
            before = m_known.Find(value.Name);
            if (before == nullptr)
                before = m_defaults.Find(value.Name);
        }
        if (before == nullptr || !SameData(*before, value) || merged.Find(value.Name) == nullptr)
            merged.Set(value);
    }
    if (disk.Result == ReadResult::Ok && (disk.Oversized || !merged.Whole())) {
        const QString copyPath = path + QStringLiteral(".bak");
        if (!KeepCopy(path, copyPath, disk.Bytes)) {
            Warn(QStringLiteral("Settings not saved: %1 holds content this program cannot fully read, "
                                "and no copy of it could be kept as %2.")
                     .arg(path, copyPath));
            return false;
        }
        Warn(QStringLiteral("%1 held content this program cannot fully read; it was kept as %2.")
                 .arg(path, copyPath));
    }
    if (!ReplaceFile(path, merged.Serialise())) {
        Warn(QStringLiteral("Settings not saved: cannot replace %1; it is left as it was.").arg(path));
        return false;
    }
    m_known = merged;
    m_path = path;
    m_loaded = true;
    return true;
}

QString SettingsFilePath(const QString& productName)
{
    if (productName.isEmpty() || productName == QLatin1String(".") || productName == QLatin1String("..")
        || productName.contains(QLatin1Char('/')) || productName.contains(QChar(0)))
        return QString();
    const QString base = XdgBaseDir("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    return QDir::cleanPath(
        base + QStringLiteral("/Quillmoor/") + productName + QStringLiteral("/Settings.reg"));
}

QString TRegistry::ReadRegString(const QString& name, const QString& def)
{
    const std::optional<RegValue> value = ReadValue(name, {name, RegType::Sz, EncodeRegSz(def)});
    if (!value || (value->Type != RegType::Sz && value->Type != RegType::ExpandSz))
        return def;
    // An expandable string is returned as stored; environment references stay as they are.
    return DecodeRegSz(value->Data);
}

bool TRegistry::WriteRegString(const QString& name, const QString& value)
{
    return WriteValue(RegValue {name, RegType::Sz, EncodeRegSz(value)});
}

qint32 TRegistry::ReadRegInt(const QString& name, qint32 def)
{
    const std::optional<RegValue> value = ReadValue(name, {name, RegType::Dword, EncodeDword(def)});
    // Only a REG_DWORD of exactly four bytes is an integer; shorter data can only come
    // from another program and is as unreadable as longer data.
    if (!value || value->Type != RegType::Dword || value->Data.size() != 4)
        return def;
    return qint32(DecodeDword(value->Data));
}

bool TRegistry::WriteRegInt(const QString& name, qint32 value)
{
    return WriteValue(RegValue {name, RegType::Dword, EncodeDword(value)});
}

bool TRegistry::ReadRegBool(const QString& name, bool def)
{
    return (ReadRegInt(name, def ? 1 : 0) & 0xFF) != 0;
}

bool TRegistry::WriteRegBool(const QString& name, bool value)
{
    return WriteRegInt(name, value ? 1 : 0);
}
