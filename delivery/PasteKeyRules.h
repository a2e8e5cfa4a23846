#pragma once
// Which keys paste in which program. Terminals take Ctrl+V as a key of its own (xterm types
// a literal ^V) and Emacs scrolls with it, so the keys are looked up by the class of the
// window that is to receive them. A rule is "class=keys": the class is compared, without
// regard to letter case, with both names of the window's WM_CLASS; the keys are written as
// in the Options dialog's hotkey field ("Shift+Ctrl+V"). The first rule that matches wins.

#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class TRegistry;

// Ctrl+V, for every window no rule names.
inline constexpr quint16 DefaultPasteKeys = 0x4056;
// Shift+Insert, which pastes the PRIMARY selection rather than the clipboard.
inline constexpr quint16 ShiftInsertKeys = 0x202d;

struct PasteKeyRule {
    QString windowClass;
    quint16 keys = 0;
};

// None for a text without "=", with an empty class, or keys that are not a combination.
std::optional<PasteKeyRule> ParsePasteKeyRule(const QString& text);
QString PasteKeyRuleText(const PasteKeyRule& rule);
bool PasteKeyRuleMatches(const PasteKeyRule& rule, const WindowClass& windowClass);

// The rules that apply while the settings hold none.
QStringList BuiltInPasteKeyRules();

// The keys of the first rule that matches the window class; rules that cannot be read are
// passed over.
quint16 PasteKeysFor(const QStringList& rules, const WindowClass& windowClass);

// The "PasteKeys" setting; the built-in rules while it is absent. It is kept apart from the
// settings saved at exit and written only when the user changes the rules, so that a file
// which never had its own rules picks up the built-in rules of later releases.
QStringList ReadPasteKeyRules(TRegistry& registry);
bool WritePasteKeyRules(TRegistry& registry, const QStringList& rules);
