#include "settings/Settings.h"

#include "settings/Registry.h"

#include <QLoggingCategory>

#include <string_view>
#include <variant>

Q_DECLARE_LOGGING_CATEGORY(lcSettings)

namespace {

// How a setting is stored, and what a missing or unreadable stored value gives instead.
struct StoredInt { // REG_DWORD
    qint32 Settings::*Member;
    qint32 Default;
};
struct StoredBool { // REG_DWORD, written as 1 or 0, true when its low byte is not 0
    bool Settings::*Member;
    bool Default;
};
struct StoredText { // REG_SZ
    QString Settings::*Member;
    const char* Default;
};

enum class SettingUse {
    ReadAndWritten,
    WrittenOnly, // never read: the stored value means nothing to the program
    EmptyKeepsStored, // an empty value does not replace a stored one
};

struct SettingDeclaration {
    const char* Name;
    std::variant<StoredInt, StoredBool, StoredText> Stored;
    SettingUse Use = SettingUse::ReadAndWritten;
};

// Every setting, once, in the order the file receives them at exit.
constexpr SettingDeclaration SettingDeclarations[] = {
    {"WindowLeft", StoredInt {&Settings::WindowLeft, -1}},
    {"WindowTop", StoredInt {&Settings::WindowTop, -1}},
    {"WindowWidth", StoredInt {&Settings::WindowWidth, -1}},
    {"WindowHeight", StoredInt {&Settings::WindowHeight, -1}},
    {"WindowMaximized", StoredBool {&Settings::WindowMaximized, false}},
    // 0 stands for Ctrl+F8, see LoadSettingsValues.
    {"ActivationKey", StoredInt {&Settings::ActivationKey, 0}},
    {"FirstRun", StoredBool {&Settings::FirstRun, false}, SettingUse::WrittenOnly},
    {"AutoAppend", StoredBool {&Settings::AutoAppend, false}},
    {"AutoAppendStr", StoredText {&Settings::AutoAppendStr, ""}},
    {"TrayIcon", StoredBool {&Settings::TrayIcon, true}},
    {"PasteAutoHide", StoredBool {&Settings::PasteAutoHide, true}},
    {"TopMost", StoredBool {&Settings::TopMost, false}},
    {"CompactMode", StoredBool {&Settings::CompactMode, false}},
    {"CurTable", StoredText {&Settings::CurTable, ""}, SettingUse::EmptyKeepsStored},
    {"RestoreClipboard", StoredBool {&Settings::RestoreClipboard, false}},
    {"Library", StoredText {&Settings::Library, ""}},
};

// Ctrl+F8: virtual key F8 (0x77) with the Ctrl bit.
constexpr qint32 DefaultActivationKey = 0x4077;

template <class... Visitors> struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
template <class... Visitors> Overloaded(Visitors...) -> Overloaded<Visitors...>;

void Load(TRegistry* registry, const SettingDeclaration& declaration, Settings& settings)
{
    const QString name = QString::fromLatin1(declaration.Name);
    std::visit(Overloaded {
                   [&](const StoredInt& stored) {
                       settings.*stored.Member
                           = registry ? registry->ReadRegInt(name, stored.Default) : stored.Default;
                   },
                   [&](const StoredBool& stored) {
                       settings.*stored.Member
                           = registry ? registry->ReadRegBool(name, stored.Default) : stored.Default;
                   },
                   [&](const StoredText& stored) {
                       const QString fallback = QString::fromUtf8(stored.Default);
                       settings.*stored.Member
                           = registry ? registry->ReadRegString(name, fallback) : fallback;
                   },
               },
        declaration.Stored);
}

void Save(TRegistry& registry, const SettingDeclaration& declaration, const Settings& settings)
{
    const QString name = QString::fromLatin1(declaration.Name);
    std::visit(Overloaded {
                   [&](const StoredInt& stored) { registry.WriteRegInt(name, settings.*stored.Member); },
                   [&](const StoredBool& stored) { registry.WriteRegBool(name, settings.*stored.Member); },
                   [&](const StoredText& stored) {
                       const QString& value = settings.*stored.Member;
                       if (declaration.Use == SettingUse::EmptyKeepsStored && value.isEmpty()
                           && !registry.ReadRegString(name, QString()).isEmpty())
                           return;
                       registry.WriteRegString(name, value);
                   },
               },
        declaration.Stored);
}

} // namespace

Settings LoadSettingsValues(TRegistry* registry)
{
    Settings settings;
    for (const SettingDeclaration& declaration : SettingDeclarations) {
        if (declaration.Use == SettingUse::WrittenOnly)
            continue;
        // Each read stands alone: one that fails leaves the start value and the rest go on.
        try {
            Load(registry, declaration, settings);
        } catch (...) {
            qCWarning(lcSettings) << "could not read the setting" << declaration.Name;
        }
    }
    if (settings.ActivationKey == 0)
        settings.ActivationKey = DefaultActivationKey;
    return settings;
}

bool SaveSettingsValues(TRegistry* registry, const Settings& settings)
{
    if (registry == nullptr)
        return false;
    registry->BeginBatch();
    for (const SettingDeclaration& declaration : SettingDeclarations) {
        // Each write stands alone: a failed one does not stop the ones after it.
        try {
            Save(*registry, declaration, settings);
        } catch (...) {
            qCWarning(lcSettings) << "could not write the setting" << declaration.Name;
        }
    }
    return registry->EndBatch();
}

bool SaveSettingValue(TRegistry* registry, const Settings& settings, const char* name)
{
    if (registry == nullptr)
        return false;
    for (const SettingDeclaration& declaration : SettingDeclarations) {
        if (std::string_view(declaration.Name) != name)
            continue;
        registry->BeginBatch();
        try {
            Save(*registry, declaration, settings);
        } catch (...) {
            qCWarning(lcSettings) << "could not write the setting" << declaration.Name;
        }
        return registry->EndBatch();
    }
    return false;
}

PlacementToApply PlacementToApplyFrom(const Settings& settings)
{
    PlacementToApply placement;
    placement.Bounds.Left = settings.WindowLeft;
    placement.Bounds.Top = settings.WindowTop;
    placement.Bounds.Width = settings.WindowWidth;
    placement.Bounds.Height = settings.WindowHeight;
    placement.Maximize = settings.WindowMaximized;
    placement.Bounds.Maximized = placement.Maximize;
    placement.ApplyBounds = placement.Bounds.Left >= 0 && placement.Bounds.Top >= 0
        && placement.Bounds.Width >= 0 && placement.Bounds.Height >= 0;
    return placement;
}
