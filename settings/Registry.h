#pragma once
// The settings key and the six accessor routines through which every setting passes.
// Each call opens the settings file, does its one value operation and closes it again;
// none of them throws or shows anything.

#include "settings/RegistryFile.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The one accessor. It holds nothing but how to find the file, so every call sees what
// another running copy may have written in between.
class TRegistry final {
public:
    // The value of the settings key, or nothing when it is missing or the file cannot be
    // read. Creates the folder and a file holding just the key when the file is missing.
    std::optional<RegValue> ReadValue(const QString& name) const;
    // Re-reads the file, changes this one value and replaces the file atomically under
    // an advisory lock. False when the file could not be read or replaced, or the name
    // cannot be stored on one line.
    bool WriteValue(const RegValue& value) const;
};

// Created at start-up before the settings are loaded, released at shutdown after they
// are saved.
extern TRegistry* SettingsRegistry;
void CreateSettingsRegistry();
void ReleaseSettingsRegistry();

// ${XDG_CONFIG_HOME:-$HOME/.config}/Quillmoor/<ProductName>/Settings.reg, with ProductName
// read on every call. Empty when ProductName cannot name a folder (empty, ".", "..", or
// containing a slash), in which case reads give their defaults and writes fail.
QString SettingsFilePath();

// Without a SettingsRegistry, reads give the default and writes give false.
QString ReadRegString(const QString& name, const QString& def);
bool WriteRegString(const QString& name, const QString& value);
qint32 ReadRegInt(const QString& name, qint32 def);
bool WriteRegInt(const QString& name, qint32 value);
bool ReadRegBool(const QString& name, bool def);
bool WriteRegBool(const QString& name, bool value);
