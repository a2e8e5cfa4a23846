#include "app/MainForm.h"

bool TfrmMain::RegisterHotKeyAtStartup()
{
    // TODO(presence): register ActivationKey as the X11 key grab.
    return true;
}

void TfrmMain::UnregisterActivationHotKey()
{
    // TODO(presence): release the key grab.
}

void TfrmMain::ShowWin(bool show)
{
    // TODO(presence): full show order (raise, activate, clear and focus the search box, topmost).
    setVisible(show);
}

void TfrmMain::WMHotKey()
{
    // TODO(presence): sample the paste target first.
    ShowWin(true);
}

void TfrmMain::OnMinimizeApp()
{
    // TODO(presence): hide into the tray when the tray option is on and a tray exists.
}

void TfrmMain::actTrayIconExecute()
{
    SetTrayIconShown(actTrayIcon->isChecked());
}

void TfrmMain::actTopMostExecute()
{
    ApplyTopMost();
}

void TfrmMain::ApplyTopMost()
{
    // TODO(presence): _NET_WM_STATE_ABOVE through the platform layer.
}

void TfrmMain::SetTrayIconShown(bool add)
{
    // TODO(presence): QSystemTrayIcon with the tip "Pastewise".
    (void)add;
}

void TfrmMain::actOptionsExecute()
{
    // TODO(options): a fresh TfrmOptions each time.
}
