#include "settings/Settings.h"

#include "common/Declare.h"
#include "settings/Registry.h"

namespace {

// Ctrl+F8: virtual key F8 (0x77) with the Ctrl bit.
constexpr qint32 DefaultActivationKey = 0x4077;

} // namespace

void LoadSettingsValues(CommandChecks& checks)
{
    ActivationKey = ReadRegInt(QStringLiteral("ActivationKey"), 0);
    if (ActivationKey == 0)
        ActivationKey = DefaultActivationKey;
    AutoAppend = ReadRegBool(QStringLiteral("AutoAppend"), false);
    AutoAppendStr = ReadRegString(QStringLiteral("AutoAppendStr"), QString());
    checks.TrayIcon = ReadRegBool(QStringLiteral("TrayIcon"), true);
    checks.PasteAutoHide = ReadRegBool(QStringLiteral("PasteAutoHide"), true);
    checks.TopMost = ReadRegBool(QStringLiteral("TopMost"), false);
    CompactMode = ReadRegBool(QStringLiteral("CompactMode"), false);
}

bool SaveSettingsValues(const CommandChecks& checks, const QString& curTable)
{
    BeginRegBatch();
    WriteRegInt(QStringLiteral("ActivationKey"), ActivationKey);
    WriteRegBool(QStringLiteral("FirstRun"), false);
    WriteRegBool(QStringLiteral("AutoAppend"), AutoAppend);
    WriteRegString(QStringLiteral("AutoAppendStr"), AutoAppendStr);
    WriteRegBool(QStringLiteral("TrayIcon"), checks.TrayIcon);
    WriteRegBool(QStringLiteral("PasteAutoHide"), checks.PasteAutoHide);
    WriteRegBool(QStringLiteral("TopMost"), checks.TopMost);
    WriteRegBool(QStringLiteral("CompactMode"), CompactMode);
    // The table is empty only when none was opened in this run (the library or its tables
    // could not be opened): the table remembered from before stays for the next start.
    if (!curTable.isEmpty() || ReadRegString(QStringLiteral("CurTable"), QString()).isEmpty())
        WriteRegString(QStringLiteral("CurTable"), curTable);
    return EndRegBatch();
}

void SaveWindowPlacementValues(const WindowBounds& b)
{
    BeginRegBatch();
    WriteRegInt(QStringLiteral("WindowLeft"), b.Left);
    WriteRegInt(QStringLiteral("WindowTop"), b.Top);
    WriteRegInt(QStringLiteral("WindowWidth"), b.Width);
    WriteRegInt(QStringLiteral("WindowHeight"), b.Height);
    WriteRegBool(QStringLiteral("WindowMaximized"), b.Maximized);
    EndRegBatch();
}

PlacementToApply LoadWindowPlacementValues()
{
    PlacementToApply placement;
    placement.Bounds.Left = ReadRegInt(QStringLiteral("WindowLeft"), -1);
    placement.Bounds.Top = ReadRegInt(QStringLiteral("WindowTop"), -1);
    placement.Bounds.Width = ReadRegInt(QStringLiteral("WindowWidth"), -1);
    placement.Bounds.Height = ReadRegInt(QStringLiteral("WindowHeight"), -1);
    placement.Maximize = ReadRegBool(QStringLiteral("WindowMaximized"), false);
    placement.Bounds.Maximized = placement.Maximize;
    placement.ApplyBounds = placement.Bounds.Left >= 0 && placement.Bounds.Top >= 0
        && placement.Bounds.Width >= 0 && placement.Bounds.Height >= 0;
    return placement;
}
