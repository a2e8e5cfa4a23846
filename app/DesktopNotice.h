#pragma once
// A short message that does not take the focus or wait for an answer: a balloon from the tray
// icon where there is one, otherwise the desktop's notification service. Used where a box
// would get in the user's way (the window has just stepped aside for a paste).

#include <QString>

class QWidget;

void ShowDesktopNotice(QWidget* owner, const QString& text);
