#include "platform/PortalRequest.h"

#include "platform/PlatformLog.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QPointer>

#include <memory>

namespace {

// Long enough for a portal that is started on demand; the user's own answer (a dialog) is not
// bound by it, since it comes later as a signal.
constexpr int CallTimeoutMs = 15000;

// Receives the Response signal of one Request object and hands it on once.
class ResponseReceiver final : public QObject {
    Q_OBJECT

public:
    ResponseReceiver(QDBusConnection bus, QString path, QObject* context, PortalAnswerHandler handler)
        : QObject(context)
        , m_bus(std::move(bus))
        , m_path(std::move(path))
        , m_handler(std::move(handler))
    {
    }

    bool listen()
    {
        return m_bus.connect(Portal::Service, m_path, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    }

    void finish(const PortalAnswer& answer)
    {
        if (m_done)
            return;
        m_done = true;
        m_bus.disconnect(Portal::Service, m_path, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        const PortalAnswerHandler handler = std::move(m_handler);
        deleteLater();
        handler(answer);
    }

public Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results)
    {
        PortalAnswer answer;
        answer.response = response;
        answer.results = results;
        if (response == 1)
            answer.error = QStringLiteral("the user cancelled");
        else if (response != 0)
            answer.error = QStringLiteral("the portal refused (response %1)").arg(response);
        finish(answer);
    }

private:
    QDBusConnection m_bus;
    QString m_path;
    PortalAnswerHandler m_handler;
    bool m_done = false;
};

QString SenderPart(const QDBusConnection& bus)
{
    QString name = bus.baseService();
    if (name.startsWith(QLatin1Char(':')))
        name.remove(0, 1);
    return name.replace(QLatin1Char('.'), QLatin1Char('_'));
}

} // namespace

QString PortalToken()
{
    static uint counter = 0;
    return QStringLiteral("pastewise%1").arg(++counter);
}

void CallPortal(const QDBusConnection& bus, const QString& interface, const QString& method,
    const QVariantList& arguments, QVariantMap options, QObject* context, PortalAnswerHandler handler)
{
    const QString token = PortalToken();
    options.insert(QStringLiteral("handle_token"), token);
    const QString path
        = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(SenderPart(bus), token);
    auto* receiver = new ResponseReceiver(bus, path, context, std::move(handler));
    if (!bus.isConnected() || !receiver->listen()) {
        PortalAnswer answer;
        answer.error = QStringLiteral("no session bus");
        receiver->finish(answer);
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(Portal::Service, Portal::Path, interface, method);
    message.setArguments(QVariantList(arguments) << options);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, CallTimeoutMs), receiver);
    const QPointer<ResponseReceiver> guard(receiver);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, receiver, [guard, watcher, method] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (guard == nullptr || !reply.isError())
            return;
        qCInfo(lcPlatform).noquote() << "portal call" << method << "failed:" << reply.error().message();
        PortalAnswer answer;
        answer.error = reply.error().message();
        guard->finish(answer);
    });
}

QString PortalSessionHandle(const QVariantMap& results)
{
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    if (handle.canConvert<QDBusObjectPath>() && handle.userType() == qMetaTypeId<QDBusObjectPath>())
        return handle.value<QDBusObjectPath>().path();
    return handle.toString();
}

void ClosePortalSession(const QDBusConnection& bus, const QString& sessionPath)
{
    if (sessionPath.isEmpty() || !bus.isConnected())
        return;
    bus.asyncCall(QDBusMessage::createMethodCall(
        Portal::Service, sessionPath, Portal::SessionInterface, QStringLiteral("Close")));
}

#include "PortalRequest.moc"
