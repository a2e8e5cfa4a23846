#pragma once
// The settings key and the six accessor routines through which every setting passes.
// The file is read and parsed once, at the first read; later reads answer from what was
// read. None of them throws or shows anything.

#include "settings/RegistryFile.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The one accessor of the settings key of a product. The main window owns it from start-up,
// before the settings are loaded, until shutdown, after they are saved.
class TRegistry final {
public:
    explicit TRegistry(QString productName);

    // ${XDG_CONFIG_HOME:-$HOME/.config}/Quillmoor/<product name>/Settings.reg, or empty when
    // the product name cannot name a folder.
    QString FilePath() const;

    // The six accessor routines through which every setting passes.
    QString ReadRegString(const QString& name, const QString& def);
    bool WriteRegString(const QString& name, const QString& value);
    qint32 ReadRegInt(const QString& name, qint32 def);
    bool WriteRegInt(const QString& name, qint32 value);
    bool ReadRegBool(const QString& name, bool def);
    bool WriteRegBool(const QString& name, bool value);

    // The value of the settings key as this copy read it (or wrote it since, or staged it
    // in the open batch), or nothing when it is missing or the file cannot be read. Then
    // `asDefault` is what the caller takes instead, as it would write it back. The first
    // read creates the folder and a file holding just the key when the file is missing.
    std::optional<RegValue> ReadValue(const QString& name, const RegValue& asDefault);
    // Outside a batch: writes this one value now (see EndBatch). Inside one: stages it and
    // gives true. False when the name cannot be stored on one line or there is no file.
    bool WriteValue(const RegValue& value);

    // Writes between the first BeginBatch and its matching EndBatch reach the file
    // together. The outermost EndBatch takes the lock (waiting a bounded time for another
    // copy that holds it), re-reads the file and replaces it once, atomically, keeping
    // every value this copy did not touch. A staged value equal in type and data to what
    // this copy read (or took as the default) is one it did not change: it goes in only
    // when the file lacks it, so another copy's change to it since is not undone. A file with
    // content that would not survive the rewrite is first kept as "<file>.bak". False,
    // with the file left as it was and the reason in the log, when any of it fails.
    void BeginBatch();
    bool EndBatch();

private:
    void Load(const QString& path);
    bool Commit(const QString& path);

    QString m_productName;
    QString m_path; // the file m_known describes
    bool m_loaded = false;
    RegistryFile m_known {QString()}; // as first read or last written by this copy
    RegistryFile m_defaults {QString()}; // what reads took for values m_known lacked
    RegistryFile m_staged {QString()};
    int m_batchDepth = 0;
};

// ${XDG_CONFIG_HOME:-$HOME/.config}/Quillmoor/<productName>/Settings.reg. Empty when the
// name cannot name a folder (empty, ".", "..", or containing a slash), in which case reads
// give their defaults and writes fail.
QString SettingsFilePath(const QString& productName);
