#pragma once
// The platform for the desktop Qt runs on: Wayland when Qt is a Wayland client, X11 otherwise
// (also under the offscreen platform, where every X11 call fails harmlessly).

class Platform;
class QObject;

Platform* CreateDesktopPlatform(QObject* parent);
