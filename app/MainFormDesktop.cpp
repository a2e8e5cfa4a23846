#include "app/MainForm.h"

#include "app/StartWithDesktop.h"

#include <QAction>
#include <QCoreApplication>

void TfrmMain::actStartWithDesktopExecute()
{
    try {
        SetStartWithDesktop(actStartWithDesktop->isChecked(), QCoreApplication::applicationFilePath());
    } catch (...) {
        // The check mark shows what the desktop will do, so it follows the entry, not the click.
        actStartWithDesktopUpdate();
        throw;
    }
}

void TfrmMain::actStartWithDesktopUpdate()
{
    // The entry may be added or removed by hand or by another running copy meanwhile.
    actStartWithDesktop->setChecked(StartsWithDesktop());
}
