#pragma once
// Questions to and requests of the X desktop from outside the program, through the
// standard X tools, as another program or the user would make them.

#include <QString>
#include <QStringList>

namespace XDesktop {

QString xdo(const QStringList& args);
QString activeWindow();
QString property(const QString& window, const QString& name);
bool isViewable(const QString& window);
// "Normal", "Iconic", or empty when the window manager has let go of the window (withdrawn).
QString wmState(const QString& window);
bool isAbove(const QString& window);
// The CLIPBOARD selection's text exactly as its owner hands it out; "" when there is none.
QString clipboardText();

} // namespace XDesktop

// A settings file in the registry-export form holding the given value lines, e.g.
// "\"TrayIcon\"=dword:00000000".
QString settingsWith(const QStringList& lines);
