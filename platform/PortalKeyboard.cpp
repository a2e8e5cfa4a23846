#include "platform/PortalKeyboard.h"

#include "platform/EventWait.h"
#include "platform/PlatformLog.h"
#include "platform/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>

namespace {

constexpr QLatin1String Interface("org.freedesktop.portal.RemoteDesktop");
constexpr uint KeyboardDevice = 1;
// Kept until the user takes the permission back, not only for this run.
constexpr uint PersistUntilRevoked = 2;
// The portal answers each key at once; a desktop that does not within this is not pasting.
constexpr int KeyAnswerTimeoutMs = 2000;

} // namespace

PortalKeyboard::PortalKeyboard(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

PortalKeyboard::~PortalKeyboard()
{
    ClosePortalSession(m_bus, m_session);
}

void PortalKeyboard::start(const QString& restoreToken)
{
    CallPortal(m_bus, Interface, QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), PortalToken()}}, this,
        [this, restoreToken](const PortalAnswer& answer) {
            if (!answer.succeeded()) {
                fail(answer.error);
                return;
            }
            m_session = PortalSessionHandle(answer.results);
            if (m_session.isEmpty()) {
                fail(QStringLiteral("the portal named no session"));
                return;
            }
            selectDevices(restoreToken);
        });
}

void PortalKeyboard::selectDevices(const QString& restoreToken)
{
    QVariantMap options {
        {QStringLiteral("types"), KeyboardDevice}, {QStringLiteral("persist_mode"), PersistUntilRevoked}};
    if (!restoreToken.isEmpty())
        options.insert(QStringLiteral("restore_token"), restoreToken);
    CallPortal(m_bus, Interface, QStringLiteral("SelectDevices"),
        {QVariant::fromValue(QDBusObjectPath(m_session))}, options, this, [this](const PortalAnswer& answer) {
            if (!answer.succeeded()) {
                fail(answer.error);
                return;
            }
            startSession();
        });
}

void PortalKeyboard::startSession()
{
    // The desktop may ask the user now; the answer can take as long as the user needs.
    CallPortal(m_bus, Interface, QStringLiteral("Start"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {}, this,
        [this](const PortalAnswer& answer) {
            if (!answer.succeeded()) {
                fail(answer.error);
                return;
            }
            if ((answer.results.value(QStringLiteral("devices")).toUInt() & KeyboardDevice) == 0) {
                fail(QStringLiteral("the keyboard was not granted"));
                return;
            }
            m_started = true;
            Q_EMIT started(answer.results.value(QStringLiteral("restore_token")).toString());
        });
}

void PortalKeyboard::fail(const QString& reason)
{
    ClosePortalSession(m_bus, m_session);
    m_session.clear();
    m_started = false;
    Q_EMIT failed(reason);
}

bool PortalKeyboard::send(const QList<PortalKeyEvent>& events)
{
    if (!m_started)
        return false;
    // One key at a time: the portal may handle calls that arrive together on several threads,
    // and a Ctrl+V whose V overtakes its Ctrl types a "v". Its answer comes once it has passed
    // the key on, in order, to the desktop.
    QList<quint32> down;
    for (const PortalKeyEvent& event : events) {
        QDBusPendingCall call = m_bus.asyncCall(keyMessage(event), KeyAnswerTimeoutMs);
        WaitUntil([&call] { return call.isFinished() ? WaitStep::Done : WaitStep::KeepWaiting; },
            KeyAnswerTimeoutMs + 500);
        if (!call.isFinished() || call.isError()) {
            qCWarning(lcPlatform).noquote()
                << "the portal refused a paste key:"
                << (call.isFinished() ? call.error().message() : QStringLiteral("no answer"));
            // A Ctrl left down would spoil everything the user types next.
            for (auto key = down.crbegin(); key != down.crend(); ++key)
                m_bus.asyncCall(keyMessage(PortalKeyEvent {*key, false}), KeyAnswerTimeoutMs);
            return false;
        }
        if (event.pressed)
            down << event.keysym;
        else
            down.removeOne(event.keysym);
    }
    return true;
}

QDBusMessage PortalKeyboard::keyMessage(const PortalKeyEvent& event) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        Portal::Service, Portal::Path, Interface, QStringLiteral("NotifyKeyboardKeysym"));
    message.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap(), int(event.keysym),
        uint(event.pressed ? 1 : 0)});
    return message;
}
