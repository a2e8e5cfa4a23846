#include "app/CommandTable.h"

#include <algorithm>
#include <array>

namespace {

using C = TCommandCategory;

constexpr quint16 CtrlN = 0x4000 | 'N'; // 16462
constexpr quint16 CtrlC = 0x4000 | 'C'; // 16451
constexpr quint16 CtrlE = 0x4000 | 'E'; // 16453

// clang-format off
constexpr std::array<TCommandInfo, CommandCount> commandTable { {
    // name               category  caption               hint                  shortcut image autoCheck checkable
    { "actNewTable",      C::File, "New Table",          "",                   CtrlN,  19, false, false },
    { "actDeleteTable",   C::File, "Delete Table",       "",                   0,       1, false, false },
    { "actRenameTable",   C::File, "Rename Table",       "",                   0,      -1, false, false },
    { "actExit",          C::File, "Exit",               "Exit",               0,      11, false, false },
    { "actPaste",         C::Edit, "Quick Paste",        "Quick Paste",        0,       0, false, false },
    { "actCopy",          C::Edit, "Copy Only",          "Copy Only",          CtrlC,  21, false, false },
    { "actAdd",           C::Edit, "Add Entry",          "Add Entry",          0,       4, false, false },
    { "actDelete",        C::Edit, "Delete Entry",       "Delete Entry",       0,       2, false, false },
    { "actEdit",          C::Edit, "Change Entry Name",  "Change Entry Name",  CtrlE,  17, false, false },
    { "actFirst",         C::Edit, "First Entry",        "First Entry",        0,       3, false, false },
    { "actLast",          C::Edit, "Last Entry",         "Last Entry",         0,       5, false, false },
    { "actNext",          C::Edit, "Next Entry",         "Next Entry",         0,       6, false, false },
    { "actPrevious",      C::Edit, "Previous Entry",     "Previous Entry",     0,       7, false, false },
    { "actCompact",       C::View, "Compact Mode",       "Compact/Full",       0,      18, false, true  },
    { "actTopMost",       C::View, "Always On Top",      "Always On Top",      0,      13, true,  true  },
    { "actPasteAutoHide", C::View, "Auto Hide At Paste", "Auto Hide At Paste", 0,      14, true,  true  },
    { "actRestoreClipboard", C::View, "Restore Clipboard After Paste", "Restore Clipboard After Paste", 0, -1, true, true },
    { "actTrayIcon",      C::View, "Show Tray Icon",     "Show Tray Icon",     0,      15, true,  true  },
    { "actOptions",       C::View, "Options...",         "Options",            0,      16, false, false },
    { "actHelp",          C::Help, "Contents",           "Help",               0,      10, false, false },
    { "actAbout",         C::Help, "About",              "About",              0,      12, false, false },
    // Newer than the others, so it comes after them and has no picture of its own.
    { "actStartWithDesktop", C::View, "Start With Desktop", "Start With Desktop", 0,   -1, true,  true  },
    { "actPasteKeys",     C::View, "Paste Keys...",      "Paste Keys",         0,      -1, false, false },
    { "actLibrary",       C::File, "Library...",         "Library",            0,      -1, false, false },
} };

constexpr TMenuItemInfo separator { nullptr, nullptr };

constexpr std::array fileItems {
    TMenuItemInfo { "&New Table", "actNewTable" },
    TMenuItemInfo { "&Delete Table", "actDeleteTable" },
    TMenuItemInfo { "&Rename Table", "actRenameTable" },
    separator,
    TMenuItemInfo { "&Library...", "actLibrary" },
    separator,
    TMenuItemInfo { "&Exit", "actExit" },
};

// The moves are First, Last, Next, Previous here but First, Previous, Next, Last on
// the toolbar; both orders are long-standing and users know them.
constexpr std::array editItems {
    TMenuItemInfo { "Quick Paste", "actPaste" },
    TMenuItemInfo { "&Copy Only", "actCopy" },
    separator,
    TMenuItemInfo { "A&dd Entry", "actAdd" },
    TMenuItemInfo { "D&elete Entry", "actDelete" },
    TMenuItemInfo { "C&hange Entry Name", "actEdit" },
    separator,
    TMenuItemInfo { "&First Entry", "actFirst" },
    TMenuItemInfo { "&Last Entry", "actLast" },
    TMenuItemInfo { "&Next Entry", "actNext" },
    TMenuItemInfo { "&Previous Entry", "actPrevious" },
};

constexpr std::array viewItems {
    TMenuItemInfo { "&Compact Mode", "actCompact" },
    TMenuItemInfo { "A&lways On Top", "actTopMost" },
    TMenuItemInfo { "&Auto Hide At Paste", "actPasteAutoHide" },
    TMenuItemInfo { "&Restore Clipboard After Paste", "actRestoreClipboard" },
    TMenuItemInfo { "&Show Tray Icon", "actTrayIcon" },
    TMenuItemInfo { "Start &With Desktop", "actStartWithDesktop" },
    separator,
    TMenuItemInfo { "&Options...", "actOptions" },
    TMenuItemInfo { "Paste &Keys...", "actPasteKeys" },
};

constexpr std::array helpItems {
    TMenuItemInfo { "Contents", "actHelp" },
    TMenuItemInfo { "&About", "actAbout" },
};

const std::array<TMenuInfo, 4> menuTable { {
    { "&File", C::File, fileItems },
    { "&Edit", C::Edit, editItems },
    { "&View", C::View, viewItems },
    { "&Help", C::Help, helpItems },
} };

constexpr TToolButtonInfo toolSeparator { nullptr, nullptr };

constexpr std::array toolTable {
    TToolButtonInfo { "actPaste", nullptr },
    TToolButtonInfo { "actCopy", nullptr },
    TToolButtonInfo { "actCompact", "Compact Mode" },
    toolSeparator,
    TToolButtonInfo { "actAdd", nullptr },
    TToolButtonInfo { "actDelete", nullptr },
    TToolButtonInfo { "actEdit", nullptr },
    toolSeparator,
    TToolButtonInfo { "actFirst", nullptr },
    TToolButtonInfo { "actPrevious", nullptr },
    TToolButtonInfo { "actNext", nullptr },
    TToolButtonInfo { "actLast", nullptr },
    toolSeparator,
    TToolButtonInfo { "actPasteAutoHide", nullptr },
    TToolButtonInfo { "actTopMost", nullptr },
    TToolButtonInfo { "actTrayIcon", nullptr },
    TToolButtonInfo { "actOptions", nullptr },
    TToolButtonInfo { "actExit", nullptr },
    toolSeparator,
    TToolButtonInfo { "actHelp", nullptr },
    TToolButtonInfo { "actAbout", nullptr },
};
// clang-format on

} // namespace

const char* CategoryName(TCommandCategory category)
{
    switch (category) {
    case C::File:
        return "File";
    case C::Edit:
        return "Edit";
    case C::View:
        return "View";
    case C::Help:
        return "Help";
    }
    return "";
}

std::span<const TCommandInfo> Commands()
{
    return commandTable;
}

const TCommandInfo* FindCommand(std::string_view name)
{
    const auto it = std::find_if(commandTable.begin(), commandTable.end(),
        [name](const TCommandInfo& command) { return name == command.name; });
    return it == commandTable.end() ? nullptr : &*it;
}

std::span<const TMenuInfo> Menus()
{
    return menuTable;
}

std::span<const TToolButtonInfo> ToolButtons()
{
    return toolTable;
}

const char* ToolTipOf(const TToolButtonInfo& button)
{
    if (button.toolTip != nullptr)
        return button.toolTip;
    if (const TCommandInfo* command = FindCommand(button.command != nullptr ? button.command : ""))
        return command->hint;
    return "";
}
