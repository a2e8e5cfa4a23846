#include "app/HiddenStart.h"

#include "app/MainForm.h"
#include "app/WindowPresence.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcStart, "pastewise.start")
}

void ShowAtStart(TfrmMain& form, bool hidden)
{
    if (!hidden) {
        form.show();
        return;
    }
    if (form.presence().trayIconReachable()) {
        qCInfo(lcStart) << "hidden start; in the tray";
        return;
    }
    qCInfo(lcStart) << "hidden start; no tray shows the icon, starting minimised";
    form.showMinimized();
}
