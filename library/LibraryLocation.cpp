#include "library/LibraryLocation.h"

#include "common/Common.h"
#include "common/Errors.h"
#include "library/StarterLibrary.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString WithSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

QString UserLibraryPath()
{
    return UserDataFolder() + QLatin1Char('/') + QLatin1String(LibraryFileName);
}

bool IsInstalledCopy(const QString& appDir)
{
    const QDir dir(appDir);
    if (dir.dirName() != QLatin1String("bin"))
        return false;
    return QFileInfo::exists(dir.absoluteFilePath(QStringLiteral("../share/applications/pastewise.desktop")));
}

TLibraryLocation LocateLibrary(const QString& appDir)
{
    const QString beside = WithSlash(appDir) + QLatin1String(LibraryFileName);
    if (QFileInfo::exists(beside))
        return {beside, false};
    const QString user = UserLibraryPath();
    const bool installed = IsInstalledCopy(appDir);
    if (installed || QFileInfo::exists(user))
        return {user, installed};
    return {beside, false};
}

QString PrepareLibrary(const TLibraryLocation& location)
{
    if (!location.createWhenMissing || QFileInfo::exists(location.path))
        return location.path;
    const QString folder = QFileInfo(location.path).absolutePath();
    if (!QDir().mkpath(folder))
        throw AppError(QStringLiteral("Cannot create the folder %1 for the library").arg(folder));
    try {
        CreateStarterLibrary(location.path);
    } catch (const AppError&) {
        // Another copy started at the same moment made it first: that one is used.
        if (!QFileInfo::exists(location.path))
            throw;
    }
    return location.path;
}
