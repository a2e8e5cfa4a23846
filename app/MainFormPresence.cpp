#include "app/MainForm.h"
#include "app/WindowPresence.h"
#include "delivery/Delivery.h"
#include "platform/Platform.h"
#include "settings/Options.h"

#include <QAction>
#include <QLoggingCategory>

bool TfrmMain::RegisterHotKeyAtStartup()
{
    return m_presence->registerHotKey(quint16(m_settings.ActivationKey & 0xFFFF));
}

void TfrmMain::ShowWin(bool visible)
{
    m_presence->ShowWin(visible);
}

void TfrmMain::WMHotKey()
{
    delivery().sampleTargetAtHotKey();
    ShowWin(true);
}

void TfrmMain::WMTrayNotify()
{
    ShowWin(true);
}

void TfrmMain::OnMinimizeApp()
{
    m_presence->OnMinimizeApp();
}

void TfrmMain::actTrayIconExecute()
{
    m_presence->setTrayIconShown(actTrayIcon->isChecked());
}

void TfrmMain::actTopMostExecute()
{
    m_presence->SetTopMost();
}

void TfrmMain::actOptionsExecute()
{
    TOptionsHotKey hotKey;
    hotKey.Register = [this](quint16 shortcut) {
        // Where no program may take a global key the value is still offered to the desktop's
        // shortcuts portal, if any, and otherwise only kept: the desktop's own shortcut runs
        // the call-up command, which the user was told about.
        const bool taken = m_presence->registerHotKey(shortcut);
        return taken || !Desktop().Abilities().grabsHotKey;
    };
    hotKey.Release = [this] { m_presence->releaseHotKey(); };
    TfrmOptions frmOptions(m_settings, std::move(hotKey), this);
    frmOptions.exec();
}
