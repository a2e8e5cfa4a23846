#include "app/WindowPresence.h"

#include "app/ActivationHotKey.h"
#include "app/TrayIcon.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QStyle>
#include <QWidget>
#include <QWindow>

namespace {
Q_LOGGING_CATEGORY(lcPresence, "pastewise.presence")

// Activation on X11 is a request to the window manager, answered a few milliseconds later,
// and a request about a window it has not taken over yet (just mapped) is dropped. So the
// request is repeated a few times, each followed by a short bounded wait for the focus.
constexpr int ActivationAttempts = 8;
constexpr int ActivationWaitMs = 125;
} // namespace

WindowPresence::WindowPresence(QWidget& window, Platform& platform, QLineEdit& searchBox,
    QAction& trayIconCommand, QAction& topMostCommand)
    : QObject(&window)
    , m_window(window)
    , m_platform(platform)
    , m_searchBox(searchBox)
    , m_trayIconCommand(trayIconCommand)
    , m_topMostCommand(topMostCommand)
{
    setObjectName(QStringLiteral("presence"));
}

bool WindowPresence::registerHotKey(quint16 shortcut)
{
    connect(
        &m_platform, &Platform::hotKeyPressed, this, &WindowPresence::hotKeyPressed, Qt::UniqueConnection);
    return RegisterActivationHotKey(m_platform, shortcut);
}

void WindowPresence::releaseHotKey()
{
    m_platform.UngrabHotKey();
}

void WindowPresence::ShowWin(bool visible)
{
    if (!visible) {
        // The window is the taskbar entry too, so hiding it takes both away.
        m_window.hide();
        return;
    }
    if (m_window.windowState() & Qt::WindowMinimized)
        m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    // A Wayland desktop gives the focus to a window as it appears, but an already visible one
    // that asks for it is at most marked as wanting attention (sway's default, GNOME). So a
    // visible window without the focus is put away and shown anew. Not with a box open: hiding
    // the main window under it would leave the box without its parent.
    if (!m_platform.Abilities().tracksFocus && m_window.isVisible() && !m_window.isActiveWindow()
        && QApplication::activeModalWidget() == nullptr) {
        qCInfo(lcPresence) << "shown anew to get the focus from the desktop";
        m_window.hide();
    }
    m_window.show();
    bringToFront();
    // With a box or dialog open the user is in the middle of a command, and the box is what
    // comes to the front. Emptying the search box now would move the current entry under it:
    // a delete confirmed afterwards would remove another entry than the one it asked about.
    if (QApplication::activeModalWidget() == nullptr) {
        m_searchBox.setText(QString());
        m_searchBox.setFocus();
    }
    SetTopMost();
}

void WindowPresence::bringToFront()
{
    // A box or dialog open over the main window is what the user was last working in, and
    // the main window takes no input while it is open.
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr || !front->isVisible())
        front = &m_window;
    if (front != &m_window)
        m_window.raise();
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
    for (int attempt = 0; attempt < ActivationAttempts; ++attempt) {
        if (m_platform.ActivateWindow(quint32(front->winId()), ActivationWaitMs))
            break;
        if (!front->isVisible())
            break;
    }
}

void WindowPresence::OnMinimizeApp()
{
    // Runs once the minimise is complete: showMinimized() maps the window again right after
    // the state change that brings us here, which would undo a hide done at once.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_window.isMinimized() || !m_trayIconCommand.isChecked())
                return;
            // Hidden, the window has no taskbar entry; only the tray icon brings it back (the
            // hotkey may be missing or taken). Without a notification area showing the icon
            // the window stays minimised with its taskbar entry.
            const bool reachable = trayIconReachable();
            qCInfo(lcPresence) << (reachable ? "minimised; hidden into the tray"
                                             : "minimised; no notification area shows the tray icon, "
                                               "staying on the taskbar");
            if (reachable)
                ShowWin(false);
        },
        Qt::QueuedConnection);
}

void WindowPresence::SetTopMost()
{
    // The band is a property of the native window; before the first show it has to exist
    // already, so the window manager finds the state when it maps the window.
    m_window.winId();
    m_platform.SetTopMost(m_window.windowHandle(), m_topMostCommand.isChecked());
}

void WindowPresence::setTrayIconShown(bool shown)
{
    if (!shown) {
        if (m_tray != nullptr) {
            m_tray->hide();
            delete m_tray;
        }
        return;
    }
    if (m_tray != nullptr)
        return;
    QIcon icon = m_window.windowIcon();
    if (icon.isNull())
        icon = m_window.style()->standardIcon(QStyle::SP_FileDialogContentsView);
    m_tray = new TTrayIcon(icon, this);
    connect(m_tray, &TTrayIcon::leftButtonPressed, this, &WindowPresence::trayIconClicked);
    m_tray->show();
}

bool WindowPresence::trayIconReachable() const
{
    return m_tray != nullptr && m_tray->IsReachable();
}
