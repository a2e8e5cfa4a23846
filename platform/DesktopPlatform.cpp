#include "platform/DesktopPlatform.h"

#include "platform/PlatformLog.h"
#include "platform/WaylandPlatform.h"
#include "platform/X11Platform.h"

#include <QGuiApplication>

Platform* CreateDesktopPlatform(QObject* parent)
{
    const QString name = QGuiApplication::platformName();
    if (name.startsWith(QLatin1String("wayland")))
        return new WaylandPlatform(parent);
    // Forced onto XWayland (QT_QPA_PLATFORM=xcb) the hotkey grab and the typed keys only
    // reach other XWayland programs, which is easy to mistake for a fault.
    if (name == QLatin1String("xcb") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qCWarning(lcPlatform) << "running on X11 inside a Wayland session: the activation hotkey and Quick "
                                 "Paste only reach X11 programs; run without QT_QPA_PLATFORM=xcb for "
                                 "Wayland ones";
    return new X11Platform(parent);
}
