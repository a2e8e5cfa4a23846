#include "app/Images.h"

#include "app/CommandTable.h"

#include <array>

// The resources live in a static library; nothing references their object file, so
// the linker would drop it unless the initialiser is named here.
static void initPastewiseResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pastewise);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

struct TImageInfo {
    const char* file;
    std::array<const char*, 2> themeNames;
};

// clang-format off
constexpr std::array<TImageInfo, ImageCount> imageTable { {
    { "00-quick-paste.svg",      { "edit-paste", nullptr } },
    { "01-delete-table.svg",     { "edit-delete", nullptr } },
    { "02-delete-entry.svg",     { "list-remove", nullptr } },
    { "03-first-entry.svg",      { "go-first", nullptr } },
    { "04-add-entry.svg",        { "list-add", nullptr } },
    { "05-last-entry.svg",       { "go-last", nullptr } },
    { "06-next-entry.svg",       { "go-next", nullptr } },
    { "07-previous-entry.svg",   { "go-previous", nullptr } },
    { "08-spare-find.svg",       { nullptr, nullptr } },
    { "09-spare-save.svg",       { nullptr, nullptr } },
    { "10-help.svg",             { "help-contents", nullptr } },
    { "11-exit.svg",             { "application-exit", nullptr } },
    { "12-about.svg",            { "help-about", nullptr } },
    { "13-always-on-top.svg",    { nullptr, nullptr } },
    { "14-auto-hide.svg",        { nullptr, nullptr } },
    { "15-tray-icon.svg",        { nullptr, nullptr } },
    { "16-options.svg",          { "configure", "preferences-system" } },
    { "17-change-name.svg",      { "edit-rename", nullptr } },
    { "18-compact-mode.svg",     { nullptr, nullptr } },
    { "19-new-table.svg",        { "document-new", nullptr } },
    { "20-table.svg",            { nullptr, nullptr } },
    { "21-copy-only.svg",        { "edit-copy", nullptr } },
    { "22-spare-properties.svg", { nullptr, nullptr } },
} };
// clang-format on

bool inRange(int index)
{
    return index >= 0 && index < ImageCount;
}

} // namespace

QString CommandImagePath(int index)
{
    if (!inRange(index))
        return {};
    initPastewiseResources();
    return QStringLiteral(":/icons/") + QLatin1String(imageTable[static_cast<std::size_t>(index)].file);
}

QStringList CommandImageThemeNames(int index)
{
    QStringList names;
    if (!inRange(index))
        return names;
    for (const char* name : imageTable[static_cast<std::size_t>(index)].themeNames) {
        if (name != nullptr)
            names << QLatin1String(name);
    }
    return names;
}

QIcon CommandImageResource(int index)
{
    const QString path = CommandImagePath(index);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QIcon CommandImage(int index)
{
    const QStringList themeNames = CommandImageThemeNames(index);
    for (const QString& name : themeNames) {
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return CommandImageResource(index);
}

QString AppIconPath()
{
    initPastewiseResources();
    return QStringLiteral(":/icons/pastewise.svg");
}

QIcon AppIcon()
{
    return QIcon(AppIconPath());
}
