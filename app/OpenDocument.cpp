#include "app/OpenDocument.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool OpenDocument(const QString& path)
{
    // Handing a missing file to the desktop would let its opener (kde-open, gio) put up
    // an error window of its own, which the program promises not to do.
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
