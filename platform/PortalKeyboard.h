#pragma once
// Paste keys through the desktop's RemoteDesktop portal (GNOME, KDE), where the compositor
// offers no virtual keyboard. The desktop asks the user once whether this program may press
// keys; the grant is kept where the portal allows it, as a token the caller stores and hands
// back at the next start, so the question is not asked again.

#include "platform/PortalKeys.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

class PortalKeyboard final : public QObject {
    Q_OBJECT

public:
    explicit PortalKeyboard(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalKeyboard() override;

    // Sets up a keyboard-only session, handing the portal the token of an earlier grant (may be
    // empty). Returns at once; started() or failed() follow.
    void start(const QString& restoreToken);
    bool isStarted() const { return m_started; }

    // Presses and releases the keys in order, waiting (bounded, serving events) for the portal
    // to confirm each. False when no session is started or the portal refused any of them.
    bool send(const QList<PortalKeyEvent>& events);

Q_SIGNALS:
    // `restoreToken` is the one to hand to start() next time; empty when the portal keeps none.
    void started(const QString& restoreToken);
    void failed(const QString& reason);

private:
    void selectDevices(const QString& restoreToken);
    void startSession();
    void fail(const QString& reason);
    // One press or release of a key in the session.
    QDBusMessage keyMessage(const PortalKeyEvent& event) const;

    QDBusConnection m_bus;
    QString m_session;
    bool m_started = false;
};
