#pragma once
// The notification-area icon of the main window: tooltip with the application title, the
// application icon, no menu. A left click is the only thing it answers.

#include <QSystemTrayIcon>

#include <functional>

class TTrayIcon final : public QSystemTrayIcon {
    Q_OBJECT

public:
    explicit TTrayIcon(const QIcon& icon, QObject* parent = nullptr);

    // Whether the user can see and click the icon: it is shown, and a notification area is
    // there to show it. Hiding the window into the tray is safe only then.
    bool IsReachable() const;

    // Tests stand in for the desktop's notification area; an empty function restores the
    // real question.
    static void SetAreaProbe(std::function<bool()> probe);

Q_SIGNALS:
    void leftButtonPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
