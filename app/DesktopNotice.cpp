#include "app/DesktopNotice.h"

#include "app/TrayIcon.h"
#include "common/Common.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QWidget>

namespace {
Q_LOGGING_CATEGORY(lcNotice, "pastewise.notice")

constexpr int NoticeTimeoutMs = 10000;
} // namespace

void ShowDesktopNotice(QWidget* owner, const QString& text)
{
    qCInfo(lcNotice).noquote() << "notice:" << text;
    const QString title = QString::fromLatin1(ApplicationTitle);
    auto* tray = owner != nullptr ? owner->findChild<TTrayIcon*>() : nullptr;
    if (tray != nullptr && tray->IsReachable() && QSystemTrayIcon::supportsMessages()) {
        tray->showMessage(title, text, QSystemTrayIcon::Information, NoticeTimeoutMs);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("Notify"));
    call << title << 0u << QStringLiteral("pastewise") << title << text << QStringList() << QVariantMap()
         << NoticeTimeoutMs;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcNotice) << "no session bus; the notice is only in this log";
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<quint32> reply = *w;
        if (reply.isError())
            qCInfo(lcNotice).noquote() << "the desktop showed no notification:" << reply.error().message();
        w->deleteLater();
    });
}
