#include "app/TrayIcon.h"

#include "common/Common.h"

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
