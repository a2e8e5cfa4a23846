#include "app/MainForm.h"
#include "app/WindowPresence.h"
#include "common/Declare.h"
#include "delivery/DesktopRoutines.h"
#include "platform/Platform.h"
#include "settings/Options.h"

#include <QAction>
#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcPresence, "pastewise.presence")

// Sampled before the window is shown, so it is the focus of the program that was in front
// when the key was pressed. When that is this program itself (the key pressed again, or while
// a box or the value prompt is open) the program it was called from stays the target: pasting
// into our own search box is never what the user wants.
quint32 TargetAtHotKey(Platform& desktop, quint32 target)
{
    const quint32 focused = GetFocusedWindow(desktop);
    if (desktop.IsOwnWindow(focused)) {
        qCInfo(lcPresence).noquote() << "activation hotkey in this program; paste target stays"
                                     << QString::number(target);
        return target;
    }
    qCInfo(lcPresence).noquote() << "activation hotkey; paste target" << QString::number(focused);
    return focused;
}
} // namespace

bool TfrmMain::RegisterHotKeyAtStartup()
{
    return m_presence->registerHotKey(quint16(ActivationKey & 0xFFFF));
}

void TfrmMain::ShowWin(bool visible)
{
    m_presence->ShowWin(visible);
}

void TfrmMain::WMHotKey()
{
    TargetWindow = TargetAtHotKey(Desktop(), TargetWindow);
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
    hotKey.Register = [this](quint16 shortcut) { return m_presence->registerHotKey(shortcut); };
    hotKey.Release = [this] { m_presence->releaseHotKey(); };
    TfrmOptions frmOptions(std::move(hotKey), this);
    frmOptions.exec();
}
