#include "app/ActivationHotKey.h"
#include "app/MainForm.h"
#include "app/TrayIcon.h"
#include "common/Declare.h"
#include "delivery/DesktopRoutines.h"
#include "platform/Platform.h"
#include "settings/Options.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QStyle>
#include <QWindow>

namespace {
Q_LOGGING_CATEGORY(lcPresence, "pastewise.presence")

// Activation on X11 is a request to the window manager, answered a few milliseconds later,
// and a request about a window it has not taken over yet (just mapped) is dropped. So the
// request is repeated a few times, each followed by a short bounded wait for the focus.
constexpr int kActivationAttempts = 8;
constexpr int kActivationWaitMs = 125;
} // namespace

bool TfrmMain::RegisterHotKeyAtStartup()
{
    connect(m_platform, &Platform::hotKeyPressed, this, &TfrmMain::WMHotKey, Qt::UniqueConnection);
    return RegisterActivationHotKey(Desktop(), quint16(ActivationKey & 0xFFFF));
}

void TfrmMain::UnregisterActivationHotKey()
{
    Desktop().UngrabHotKey();
}

void TfrmMain::ShowWin(bool visible)
{
    if (!visible) {
        // The window is the taskbar entry too, so hiding it takes both away.
        hide();
        return;
    }
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    BringToFront();
    // With a box or dialog open the user is in the middle of a command, and the box is what
    // comes to the front. Emptying the search box now would move the current entry under it:
    // a delete confirmed afterwards would remove another entry than the one it asked about.
    if (QApplication::activeModalWidget() == nullptr) {
        txtName->setText(QString());
        txtName->setFocus();
    }
    ApplyTopMost();
}

void TfrmMain::BringToFront()
{
    // A box or dialog open over the main window is what the user was last working in, and
    // the main window takes no input while it is open.
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr || !front->isVisible())
        front = this;
    if (front != this)
        raise();
    front->raise();
    // Qt holds back its own request until the window is mapped and sends it then, which can
    // be after a quick paste has handed the focus to another program: the focus would come
    // back here and the paste keys would wait in vain. Only a window already on the screen
    // is asked for that way.
    const QWindow* handle = front->windowHandle();
    if (handle != nullptr && handle->isExposed())
        front->activateWindow();
    // Qt's own request carries the time of the last input Qt saw itself, and the hotkey
    // press never reaches Qt as input; window managers with focus-stealing prevention
    // (openbox) then refuse it. The platform asks as a pager would, which they honour.
    for (int attempt = 0; attempt < kActivationAttempts; ++attempt) {
        if (Desktop().ActivateWindow(quint32(front->winId()), kActivationWaitMs))
            break;
        if (!front->isVisible())
            break;
    }
}

void TfrmMain::WMHotKey()
{
    // Sampled before the window is shown, so it is the focus of the program that was in
    // front when the key was pressed. When that is this program itself (the key pressed
    // again, or while a box or the value prompt is open) the program it was called from
    // stays the target: pasting into our own search box is never what the user wants.
    Platform& desktop = Desktop();
    const quint32 focused = GetFocusedWindow(desktop);
    if (desktop.IsOwnWindow(focused)) {
        qCInfo(lcPresence).noquote() << "activation hotkey in this program; paste target stays"
                                     << QString::number(TargetWindow);
    } else {
        TargetWindow = focused;
        qCInfo(lcPresence).noquote() << "activation hotkey; paste target" << QString::number(TargetWindow);
    }
    ShowWin(true);
}

void TfrmMain::WMTrayNotify()
{
    ShowWin(true);
}

void TfrmMain::OnMinimizeApp()
{
    // Runs once the minimise is complete: showMinimized() maps the window again right after
    // the state change that brings us here, which would undo a hide done at once.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isMinimized() || !actTrayIcon->isChecked())
                return;
            // Hidden, the window has no taskbar entry; only the tray icon brings it back (the
            // hotkey may be missing or taken). Without a notification area showing the icon
            // the window stays minimised with its taskbar entry.
            const auto* tray = findChild<TTrayIcon*>(QString(), Qt::FindDirectChildrenOnly);
            const bool reachable = tray != nullptr && tray->IsReachable();
            qCInfo(lcPresence) << (reachable ? "minimised; hidden into the tray"
                                             : "minimised; no notification area shows the tray icon, "
                                               "staying on the taskbar");
            if (reachable)
                ShowWin(false);
        },
        Qt::QueuedConnection);
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
    // The band is a property of the native window; before the first show it has to exist
    // already, so the window manager finds the state when it maps the window.
    winId();
    Desktop().SetTopMost(windowHandle(), actTopMost->isChecked());
}

void TfrmMain::SetTrayIconShown(bool add)
{
    auto* tray = findChild<TTrayIcon*>(QString(), Qt::FindDirectChildrenOnly);
    if (!add) {
        if (tray != nullptr) {
            tray->hide();
            delete tray;
        }
        return;
    }
    if (tray != nullptr)
        return;
    QIcon icon = windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_FileDialogContentsView);
    tray = new TTrayIcon(icon, this);
    connect(tray, &TTrayIcon::leftButtonPressed, this, &TfrmMain::WMTrayNotify);
    tray->show();
}

void TfrmMain::actOptionsExecute()
{
    TOptionsHotKey hotKey;
    hotKey.Register = [this](quint16 shortcut) {
        // Where no program may take a global key the value is only kept; the desktop's own
        // shortcut runs the call-up command, which the user was told about at start.
        return !Desktop().Abilities().grabsHotKey || RegisterActivationHotKey(Desktop(), shortcut);
    };
    hotKey.Release = [this] { UnregisterActivationHotKey(); };
    TfrmOptions frmOptions(std::move(hotKey), this);
    frmOptions.exec();
}
