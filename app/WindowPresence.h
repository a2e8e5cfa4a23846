#pragma once
// How the main window is called up and put away: the system-wide activation hotkey, the tray
// icon, showing and hiding the window together with its taskbar entry, hiding into the tray
// after a minimise, and the always-on-top band. The main window's handlers of the same names
// hand their work to this class; the paste target is not its business.

#include <QObject>
#include <QPointer>

class QAction;
class QLineEdit;
class QWidget;
class Platform;
class TTrayIcon;

class WindowPresence final : public QObject {
    Q_OBJECT

public:
    // The window with its search box, and the two commands whose checked states say whether
    // the tray icon is wanted and whether the window stays on top. All of them outlive this
    // object, which is a child of the window.
    WindowPresence(QWidget& window, Platform& platform, QLineEdit& searchBox, QAction& trayIconCommand,
        QAction& topMostCommand);

    // Takes the shortcut value as the activation hotkey; true when the desktop took it. A
    // press of it is announced through hotKeyPressed().
    bool registerHotKey(quint16 shortcut);
    void releaseHotKey();

    // True shows the window in front, with an empty search box that has the focus; false
    // hides it and its taskbar entry.
    void ShowWin(bool visible);
    // Runs after every minimise of the window.
    void OnMinimizeApp();
    // Applies the checked state of the always-on-top command to the window.
    void SetTopMost();

    // Adds the tray icon (once) or removes it.
    void setTrayIconShown(bool shown);
    // The tray icon is shown and a notification area is there to show it: hiding the window
    // is safe only then, since nothing else may bring it back.
    bool trayIconReachable() const;

Q_SIGNALS:
    void hotKeyPressed();
    void trayIconClicked(); // the left button, pressed on the tray icon

private:
    // Makes the program's front window (a box open over the main window, or the main window
    // itself) the active one, against focus-stealing prevention.
    void bringToFront();

    QWidget& m_window;
    Platform& m_platform;
    QLineEdit& m_searchBox;
    QAction& m_trayIconCommand;
    QAction& m_topMostCommand;
    QPointer<TTrayIcon> m_tray;
};
