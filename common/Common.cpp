#include "common/Common.h"

#include <QCoreApplication>
#include <QDir>

QString AppDir()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString XdgBaseDir(const char* variable, const QString& defaultUnderHome)
{
    // An empty or relative value is ignored, as the base directory rules ask.
    const QString base = qEnvironmentVariable(variable);
    if (!base.isEmpty() && !QDir::isRelativePath(base))
        return base;
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty())
        home = QDir::homePath();
    return home + defaultUnderHome;
}

QString UserDataFolder()
{
    return XdgBaseDir("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/Pastewise");
}
