#include "platform/PortalShortcuts.h"

#include "platform/PlatformLog.h"
#include "platform/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>

namespace {

constexpr QLatin1String Interface("org.freedesktop.portal.GlobalShortcuts");
constexpr QLatin1String ShortcutId("activate");

struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

PortalShortcuts::PortalShortcuts(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
    // The message itself is taken: its arguments are read by hand below.
    if (!m_bus.connect(Portal::Service, Portal::Path, Interface, QStringLiteral("Activated"), this,
            SLOT(onActivated(QDBusMessage))))
        qCWarning(lcPlatform) << "cannot listen to the shortcuts portal:" << m_bus.lastError().message();
}

PortalShortcuts::~PortalShortcuts()
{
    release();
}

void PortalShortcuts::bind(const QString& trigger)
{
    release();
    const quint64 generation = m_generation;
    const QString sessionToken = PortalToken();
    CallPortal(m_bus, Interface, QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), sessionToken}}, this,
        [this, trigger, generation](const PortalAnswer& answer) {
            if (generation != m_generation)
                return;
            if (!answer.succeeded()) {
                Q_EMIT refused(answer.error);
                return;
            }
            m_session = PortalSessionHandle(answer.results);
            if (m_session.isEmpty()) {
                Q_EMIT refused(QStringLiteral("the portal named no session"));
                return;
            }
            bindInSession(trigger, generation);
        });
}

void PortalShortcuts::bindInSession(const QString& trigger, quint64 generation)
{
    const PortalShortcutList shortcuts {{ShortcutId,
        {{QStringLiteral("description"), QStringLiteral("Call Pastewise up")},
            {QStringLiteral("preferred_trigger"), trigger}}}};
    CallPortal(m_bus, Interface, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString()}, {},
        this, [this, trigger, generation](const PortalAnswer& answer) {
            if (generation != m_generation)
                return;
            if (!answer.succeeded()) {
                Q_EMIT refused(answer.error);
                return;
            }
            // The desktop says which shortcuts it took; one left out was not bound.
            PortalShortcutList taken;
            answer.results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> taken;
            for (const PortalShortcut& shortcut : taken) {
                if (shortcut.id == ShortcutId) {
                    const QString description
                        = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
                    Q_EMIT bound(description.isEmpty() ? trigger : description);
                    return;
                }
            }
            Q_EMIT refused(QStringLiteral("the desktop did not take the shortcut"));
        });
}

void PortalShortcuts::release()
{
    ++m_generation;
    ClosePortalSession(m_bus, m_session);
    m_session.clear();
}

void PortalShortcuts::onActivated(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (m_session.isEmpty() || arguments.size() < 2)
        return;
    const QString session = arguments.at(0).value<QDBusObjectPath>().path();
    if (session != m_session || arguments.at(1).toString() != ShortcutId)
        return;
    Q_EMIT activated();
}
