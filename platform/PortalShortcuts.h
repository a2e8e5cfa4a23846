#pragma once
// The activation shortcut through the desktop's GlobalShortcuts portal, for a Wayland session
// where no program may grab a key itself. Every step is asynchronous: bind() returns at once,
// and the desktop's answer (which may be a dialog the user answers) arrives as bound() or
// refused().

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

class PortalShortcuts final : public QObject {
    Q_OBJECT

public:
    explicit PortalShortcuts(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalShortcuts() override;

    // Asks for the one shortcut with `trigger` (PortalTrigger) as the preferred key, in a new
    // session that replaces any earlier one: a desktop binds a session's shortcuts only once.
    void bind(const QString& trigger);
    // Ends the session; the desktop forgets the binding.
    void release();

Q_SIGNALS:
    // The trigger the desktop reports for the shortcut; it may differ from the preferred one.
    void bound(const QString& trigger);
    void refused(const QString& reason);
    void activated();

private Q_SLOTS:
    void onActivated(const QDBusMessage& message);

private:
    void bindInSession(const QString& trigger, quint64 generation);

    QDBusConnection m_bus;
    QString m_session;
    // Counts bind() and release(), so that a late answer to an earlier request is dropped.
    quint64 m_generation = 0;
};
