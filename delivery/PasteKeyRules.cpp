#include "delivery/PasteKeyRules.h"

#include "common/ShortcutValue.h"
#include "settings/Registry.h"

namespace {

const QString SettingName = QStringLiteral("PasteKeys");

} // namespace

std::optional<PasteKeyRule> ParsePasteKeyRule(const QString& text)
{
    // Class names hold no "=", but a key may be one ("Ctrl+="): the first one divides.
    const qsizetype divider = text.indexOf(QLatin1Char('='));
    if (divider <= 0)
        return std::nullopt;
    const QString windowClass = text.left(divider).trimmed();
    const std::optional<quint16> keys = ShortcutFromText(text.mid(divider + 1));
    if (windowClass.isEmpty() || !keys)
        return std::nullopt;
    return PasteKeyRule {windowClass, *keys};
}

QString PasteKeyRuleText(const PasteKeyRule& rule)
{
    return rule.windowClass + QLatin1Char('=') + ShortcutText(rule.keys);
}

bool PasteKeyRuleMatches(const PasteKeyRule& rule, const WindowClass& windowClass)
{
    return !windowClass.isEmpty()
        && (rule.windowClass.compare(windowClass.instance, Qt::CaseInsensitive) == 0
            || rule.windowClass.compare(windowClass.className, Qt::CaseInsensitive) == 0);
}

QStringList BuiltInPasteKeyRules()
{
    // xterm and rxvt paste the PRIMARY selection with Shift+Insert and have no stock key
    // for the clipboard; the other terminals paste the clipboard with Ctrl+Shift+V.
    QStringList rules;
    for (const char* name : {"xterm", "uxterm", "rxvt", "urxvt"})
        rules << QString::fromLatin1(name) + QStringLiteral("=Shift+Ins");
    for (const char* name : {"gnome-terminal", "gnome-terminal-server", "konsole", "xfce4-terminal",
             "terminator", "tilix", "alacritty", "kitty", "org.wezfurlong.wezterm", "st", "st-256color",
             "stterm", "sakura", "lxterminal", "qterminal", "guake", "tilda"})
        rules << QString::fromLatin1(name) + QStringLiteral("=Shift+Ctrl+V");
    rules << QStringLiteral("emacs=Ctrl+Y");
    return rules;
}

quint16 PasteKeysFor(const QStringList& rules, const WindowClass& windowClass)
{
    for (const QString& text : rules) {
        const std::optional<PasteKeyRule> rule = ParsePasteKeyRule(text);
        if (rule && PasteKeyRuleMatches(*rule, windowClass))
            return rule->keys;
    }
    return DefaultPasteKeys;
}

QStringList ReadPasteKeyRules(TRegistry& registry)
{
    return registry.ReadRegMultiString(SettingName, BuiltInPasteKeyRules());
}

bool WritePasteKeyRules(TRegistry& registry, const QStringList& rules)
{
    return registry.WriteRegMultiString(SettingName, rules);
}
