// The shortcut and paste-key portal clients against the real xdg-desktop-portal, which runs on
// a session bus of the test's own and hands the calls to a back end that records them.

#include "common/ShortcutValue.h"
#include "platform/PortalKeyboard.h"
#include "platform/PortalKeys.h"
#include "platform/PortalShortcuts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;
constexpr QLatin1String BusName("portaltest");
constexpr QLatin1String BackendName("org.freedesktop.impl.portal.desktop.pwtest");

quint16 Shortcut(const char* text)
{
    return ShortcutFromText(QString::fromLatin1(text)).value_or(0);
}
} // namespace

class TestPortals final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_backend;
    QProcess m_portal;
    QString m_address;

    QDBusConnection bus() const { return QDBusConnection(BusName); }

    // The calls the back end has had, of one method, in order.
    QList<QJsonObject> recorded(const QString& interface, const QString& method) const
    {
        QFile file(m_dir.filePath(QStringLiteral("calls.jsonl")));
        QList<QJsonObject> calls;
        if (!file.open(QIODevice::ReadOnly))
            return calls;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject call = QJsonDocument::fromJson(line).object();
            if (call.value(QStringLiteral("interface")).toString().endsWith(interface)
                && call.value(QStringLiteral("method")).toString() == method)
                calls << call;
        }
        return calls;
    }

    bool hasName(const QString& name) const
    {
        return bus().isConnected() && bus().interface()->isServiceRegistered(name).value();
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString portal = QStringLiteral("/usr/libexec/xdg-desktop-portal");
        QVERIFY2(QFile::exists(portal), "xdg-desktop-portal is needed (scripts/test installs it)");
        m_bus.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                QStringLiteral("--print-address=1")});
        QVERIFY2(m_bus.waitForStarted(WaitMs), "dbus-daemon is needed");
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), WaitMs);
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QVERIFY(QDBusConnection::connectToBus(m_address, BusName).isConnected());

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_backend.setProcessEnvironment(environment);
        m_backend.setProcessChannelMode(QProcess::ForwardedChannels);
        m_backend.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(PW_PORTAL_TEST_DIR "/portal_backend.py"),
                m_dir.filePath(QStringLiteral("calls.jsonl"))});
        QTRY_VERIFY_WITH_TIMEOUT(hasName(BackendName) || m_backend.state() == QProcess::NotRunning, WaitMs);
        QVERIFY2(hasName(BackendName), "the back end did not start (python3-dbus and python3-gi are needed)");

        // The portal takes its back ends from the folder named here, for the desktop named here.
        environment.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), QStringLiteral(PW_PORTAL_TEST_DIR));
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("pwtest"));
        m_portal.setProcessEnvironment(environment);
        m_portal.setProcessChannelMode(QProcess::ForwardedChannels);
        m_portal.start(portal, {});
        const QString frontName = QStringLiteral("org.freedesktop.portal.Desktop");
        QTRY_VERIFY_WITH_TIMEOUT(hasName(frontName) || m_portal.state() == QProcess::NotRunning, WaitMs);
        QVERIFY2(hasName(frontName), "xdg-desktop-portal did not start");
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(BusName);
        for (QProcess* process : {&m_portal, &m_backend, &m_bus}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(WaitMs)) {
                process->kill();
                process->waitForFinished(WaitMs);
            }
        }
    }

    void triggerNamesTheKeyAsXkbDoes_data()
    {
        QTest::addColumn<quint16>("shortcut");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("Ctrl+F8") << Shortcut("Ctrl+F8") << QStringLiteral("CTRL+F8");
        QTest::newRow("letter in lower case") << Shortcut("Shift+Alt+Q") << QStringLiteral("ALT+SHIFT+q");
        QTest::newRow("keypad") << Shortcut("Ctrl+Num 5") << QStringLiteral("CTRL+KP_5");
        QTest::newRow("no key") << quint16(0) << QString();
    }
    void triggerNamesTheKeyAsXkbDoes()
    {
        QFETCH(quint16, shortcut);
        QFETCH(QString, trigger);
        QCOMPARE(PortalTrigger(shortcut), trigger);
    }

    // The first binding and its press are covered end to end (tst_e2e_wayland); here a new key
    // from the Options dialog replaces the binding.
    void changedKeyIsBoundAnewAndActivates()
    {
        PortalShortcuts shortcuts(bus());
        QSignalSpy bound(&shortcuts, &PortalShortcuts::bound);
        QSignalSpy activated(&shortcuts, &PortalShortcuts::activated);
        shortcuts.bind(PortalTrigger(Shortcut("Ctrl+F8")));
        QTRY_COMPARE_WITH_TIMEOUT(bound.count(), 1, WaitMs);
        shortcuts.bind(PortalTrigger(Shortcut("Alt+F9")));
        QTRY_COMPARE_WITH_TIMEOUT(bound.count(), 2, WaitMs);

        const QList<QJsonObject> binds
            = recorded(QStringLiteral("GlobalShortcuts"), QStringLiteral("BindShortcuts"));
        QCOMPARE(binds.size(), 2);
        const QString session = binds.last().value(QStringLiteral("session")).toString();
        QVERIFY(session != binds.first().value(QStringLiteral("session")).toString());
        const QJsonArray shortcut
            = binds.last().value(QStringLiteral("shortcuts")).toArray().first().toArray();
        QCOMPARE(shortcut.at(1).toObject().value(QStringLiteral("preferred_trigger")).toString(),
            QStringLiteral("ALT+F9"));

        QDBusMessage press
            = QDBusMessage::createMethodCall(BackendName, QStringLiteral("/org/freedesktop/portal/desktop"),
                QStringLiteral("org.pastewise.PortalTest"), QStringLiteral("Activate"));
        press << QVariant::fromValue(QDBusObjectPath(session)) << shortcut.at(0).toString();
        QCOMPARE(bus().call(press).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, WaitMs);
    }

    void pasteKeysAreAskedForWithAKeptGrant()
    {
        PortalKeyboard keyboard(bus());
        QSignalSpy started(&keyboard, &PortalKeyboard::started);
        keyboard.start(QString());
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, WaitMs);
        // The desktop's token for the grant is handed on to be kept.
        QCOMPARE(started.first().first().toString(), QStringLiteral("pwtest-grant"));
        // The keyboard alone is asked for. (Debian 12's portal does not pass persist_mode and
        // restore_token on to its back ends yet, so they cannot be seen here.)
        const QJsonObject select = recorded(QStringLiteral("RemoteDesktop"), QStringLiteral("SelectDevices"))
                                       .last()
                                       .value(QStringLiteral("options"))
                                       .toObject();
        QCOMPARE(select.value(QStringLiteral("types")).toInt(), 1);

        QVERIFY(keyboard.send(PortalKeyStroke(Shortcut("Ctrl+V")).value()));
        // In this order: keys that overtake each other would type a "v".
        const auto keys = [this] {
            QList<QPair<int, int>> sent;
            for (const QJsonObject& key :
                recorded(QStringLiteral("RemoteDesktop"), QStringLiteral("NotifyKeyboardKeysym")))
                sent << qMakePair(
                    key.value(QStringLiteral("keysym")).toInt(), key.value(QStringLiteral("state")).toInt());
            return sent;
        };
        const QList<QPair<int, int>> ctrlV {{0xffe3, 1}, {'v', 1}, {'v', 0}, {0xffe3, 0}};
        QTRY_COMPARE_WITH_TIMEOUT(keys(), ctrlV, WaitMs);
    }
};

QTEST_GUILESS_MAIN(TestPortals)
#include "tst_portals.moc"
