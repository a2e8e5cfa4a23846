#include "app/StartWithDesktop.h"

#include "common/Common.h"
#include "common/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A string value: the backslash is the escape character.
QString EscapeString(QString value)
{
    return value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

// One argument of an Exec line in double quotes: " ` $ and \ take a backslash, a literal %
// is written %%, and the whole is a string value, whose backslashes are doubled again.
QString QuoteExecArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return EscapeString(QLatin1Char('"') + quoted + QLatin1Char('"'));
}

} // namespace

QString AutostartEntryPath()
{
    return XdgBaseDir("XDG_CONFIG_HOME", QStringLiteral("/.config"))
        + QStringLiteral("/autostart/pastewise.desktop");
}

bool StartsWithDesktop()
{
    return QFileInfo::exists(AutostartEntryPath());
}

QString AutostartEntryText(const QString& executable)
{
    // TryExec makes the session skip the entry once the program is gone (uninstalled, or its
    // portable folder deleted), since the entry itself stays behind in the user's folder.
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Pastewise\n"
                          "Comment=Starts Pastewise in the tray\n"
                          "Exec=%1 --hidden\n"
                          "TryExec=%2\n"
                          "Icon=pastewise\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(QuoteExecArgument(executable), EscapeString(executable));
}

void SetStartWithDesktop(bool on, const QString& executable)
{
    const QString path = AutostartEntryPath();
    if (!on) {
        QFile entry(path);
        if (!entry.remove() && entry.exists())
            throw AppError(QStringLiteral("Cannot remove %1: %2").arg(path, entry.errorString()));
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw AppError(QStringLiteral("Cannot create the folder %1").arg(folder));
    // Written whole or not at all: a session never reads half an entry.
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(AutostartEntryText(executable).toUtf8()) < 0
        || !entry.commit())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, entry.errorString()));
}
