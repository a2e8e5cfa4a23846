#pragma once
// The main window's commands, its four menus and its toolbar, as data. The main
// window builds its actions, menu bar and toolbar from these tables, so every caption,
// shortcut and image is written down once.

#include <QtGlobal>

#include <span>
#include <string_view>

enum class TCommandCategory { File, Edit, View, Help };

// "File", "Edit", "View" or "Help".
const char* CategoryName(TCommandCategory category);

struct TCommandInfo {
    const char* name; // the command's identifier, e.g. "actNewTable"
    TCommandCategory category;
    const char* caption; // shown on btnCopy and, with an access key, in the menus
    const char* hint; // tooltip; empty when the command has none
    quint16 shortCut; // shortcut value (virtual key | 0x2000 Shift | 0x4000 Ctrl | 0x8000 Alt), 0 for none
    int imageIndex; // index into the command images, -1 for none
    bool autoCheck; // running the command flips its checked state before its handler runs
    bool checkable; // shows a checked state: the auto-check commands, and actCompact mirroring CompactMode
};

// The twenty long-standing commands with "Restore Clipboard After Paste" among them, then
// "Start With Desktop", "Paste Keys..." and "Library...".
inline constexpr int CommandCount = 24;

// Images 0..22; 20 is the icon of every tab, 8, 9 and 22 belong to no command.
inline constexpr int ImageCount = 23;
inline constexpr int TabImageIndex = 20;

// All commands, in the order of the command table.
std::span<const TCommandInfo> Commands();
// The command of that identifier, or nullptr.
const TCommandInfo* FindCommand(std::string_view name);

// A menu entry; a null command marks a separator line (and its text is null too).
struct TMenuItemInfo {
    const char* text; // with its access key, e.g. "&New Table"
    const char* command;
    bool isSeparator() const { return command == nullptr; }
};

struct TMenuInfo {
    const char* text; // "&File", "&Edit", "&View", "&Help"
    TCommandCategory category;
    std::span<const TMenuItemInfo> items;
};

// The menu bar's menus, left to right.
std::span<const TMenuInfo> Menus();

// A toolbar slot; a null command marks a separator.
struct TToolButtonInfo {
    const char* command;
    const char* toolTip; // the button's own tooltip, or null to show the command's hint
    bool isSeparator() const { return command == nullptr; }
};

// The toolbar's buttons and separators, left to right.
std::span<const TToolButtonInfo> ToolButtons();
// The tooltip a toolbar button shows: its own, else its command's hint.
const char* ToolTipOf(const TToolButtonInfo& button);
