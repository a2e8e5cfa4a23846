#include "app/TrayIcon.h"

#include "common/Common.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {
std::function<bool()>& AreaProbe()
{
    static std::function<bool()> probe;
    return probe;
}
} // namespace

TTrayIcon::TTrayIcon(const QIcon& icon, QObject* parent)
    : QSystemTrayIcon(icon, parent)
{
    setObjectName(QStringLiteral("TrayIcon"));
    setToolTip(QString::fromLatin1(ApplicationTitle));
    // Qt reports a press of the left button as Trigger; the right button (Context), the
    // middle one and double clicks are left alone, so a double click acts only through its
    // first press.
    connect(this, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT leftButtonPressed();
    });
    // The icon's window may come and go with the notification area; watching the
    // application catches it whenever it exists.
    QCoreApplication::instance()->installEventFilter(this);
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    // In a notification area of the XEmbed kind the icon is a window of this program, and
    // while a box or dialog is open Qt drops every click on the program's other windows; the
    // icon would be dead just when the user needs it to find the box again. A window that
    // belongs to the box (its transient) is exempt, so the icon is made one, for each box as
    // it opens. On the X side nothing changes for a window already embedded.
    if (event->type() == QEvent::WindowBlocked && watched->isWidgetType()
        && watched->inherits("QSystemTrayIconSys")) {
        QWindow* icon = static_cast<QWidget*>(watched)->windowHandle();
        QWindow* box = QGuiApplication::modalWindow();
        if (icon != nullptr && box != nullptr && box != icon)
            icon->setTransientParent(box);
    }
    return QSystemTrayIcon::eventFilter(watched, event);
}

bool TTrayIcon::IsReachable() const
{
    const bool area = AreaProbe() ? AreaProbe()() : QSystemTrayIcon::isSystemTrayAvailable();
    return area && isVisible();
}

void TTrayIcon::SetAreaProbe(std::function<bool()> probe)
{
    AreaProbe() = std::move(probe);
}
