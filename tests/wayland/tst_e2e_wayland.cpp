// The real program as a Wayland client on a headless sway: called up through a sway key
// binding that runs `pastewise --show`, as a user sets it up, Quick Paste lands in a
// Wayland-native program through the compositor's virtual keyboard.

#include "tests/wayland/SwaySession.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <csignal>

namespace {
constexpr int WaitMs = 20000;
const QString EntryText = QStringLiteral("Grüße aus Pastewise");

QString ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class TestWaylandE2E final : public QObject {
    Q_OBJECT

    SwaySession m_sway;
    QProcess m_target;
    QProcess m_app;
    QString m_appDir;
    QString m_targetFile;
    QProcess m_plainBus;
    QProcess m_bus;
    QProcess m_backend;
    QProcess m_portal;

    void type(const QStringList& wtypeArguments)
    {
        // Without a delay between keys a client can miss some of them.
        m_sway.run(QStringLiteral("wtype"),
            QStringList {QStringLiteral("-d"), QStringLiteral("30")} + wtypeArguments);
    }

    // A session bus of the session's user; the variable that names it, empty on failure.
    QString startBus(QProcess& bus)
    {
        m_sway.launch(bus, QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                QStringLiteral("--print-address=1")});
        if (!QTest::qWaitFor([&bus] { return bus.canReadLine(); }, WaitMs))
            return {};
        return QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + QString::fromUtf8(bus.readLine()).trimmed();
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString program = m_sway.pathOf(QStringLiteral("app/pastewise"));
        QVERIFY2(
            m_sway.start({QStringLiteral("bindsym Ctrl+F8 exec ") + program + QStringLiteral(" --show")}),
            qPrintable(m_sway.error()));
        m_appDir = m_sway.makeFolder(QStringLiteral("app"));
        QVERIFY(
            QFile::copy(qEnvironmentVariable("PW_BUILD_DIR") + QStringLiteral("/bin/pastewise"), program));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("library"));
            db.setDatabaseName(m_appDir + QStringLiteral("/pastewise.mdb"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(
                query.exec(QStringLiteral("CREATE TABLE \"Main\" (name TEXT NOT NULL UNIQUE COLLATE NOCASE, "
                                          "value TEXT)")));
            QVERIFY(query.prepare(QStringLiteral("INSERT INTO \"Main\" VALUES ('greeting', ?)")));
            query.addBindValue(EntryText);
            QVERIFY(query.exec());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("library"));
        m_sway.handOver(m_appDir);
        m_targetFile = m_sway.makeFolder(QStringLiteral("target")) + QStringLiteral("/pasted.txt");
    }

    void cleanupTestCase()
    {
        for (QProcess* process : {&m_app, &m_target, &m_portal, &m_backend, &m_bus, &m_plainBus}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(10000);
            }
        }
    }

    void quickPasteAfterTheCallUpBindingLandsInTheProgramFocusedNext()
    {
        m_target.setProcessChannelMode(QProcess::MergedChannels);
        m_sway.launch(m_target, QStringLiteral(PW_PASTE_TARGET), {m_targetFile});
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pw_paste_target"), WaitMs);

        // A session bus whose portal (started on demand) has no shortcuts back end, as on a
        // desktop without one: the program learns so only from the portal's answer.
        const QString address = startBus(m_plainBus);
        QVERIFY(!address.isEmpty());
        m_app.setProcessChannelMode(QProcess::MergedChannels);
        // Qt's Wayland plugin leaks what it binds, and only a full unwind through the Wayland
        // library (built without frame pointers) lets the leak check tell its leaks from ours.
        m_sway.launch(m_app, m_appDir + QStringLiteral("/pastewise"), {},
            {address, QStringLiteral("QT_LOGGING_RULES=pastewise.*=true"),
                QStringLiteral("ASAN_OPTIONS=fast_unwind_on_malloc=0")});
        // No program may take a global key here: instead of the hotkey error, the command to
        // bind, once.
        QString output;
        QTRY_VERIFY_WITH_TIMEOUT(
            (output += QString::fromUtf8(m_app.readAll()))
                .contains(QStringLiteral("box: Pastewise | This desktop does not let programs set up")),
            WaitMs);
        QVERIFY2(output.contains(QStringLiteral(" --show")), qPrintable(output));
        QVERIFY2(
            output.contains(QStringLiteral("no activation shortcut through the portal")), qPrintable(output));
        QVERIFY(!output.contains(QStringLiteral("Unable register hot key!")));
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pastewise"), WaitMs);
        type({QStringLiteral("-k"), QStringLiteral("Return")});

        // The main window comes up with the focus in its search box.
        QTRY_VERIFY_WITH_TIMEOUT((output += QString::fromUtf8(m_app.readAll()))
                                     .contains(QStringLiteral("this desktop: focus tracking false")),
            WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pastewise"), WaitMs);
        // Back to the target; the desktop's binding calls the window up again.
        m_sway.run(QStringLiteral("swaymsg"), {QStringLiteral("[app_id=pw_paste_target] focus")});
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pw_paste_target"), WaitMs);
        type({QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("-k"), QStringLiteral("F8"),
            QStringLiteral("-m"), QStringLiteral("ctrl")});
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pastewise"), WaitMs);
        type({QStringLiteral("gree")});
        type({QStringLiteral("-k"), QStringLiteral("Return")});
        QTRY_COMPARE_WITH_TIMEOUT(ReadFile(m_targetFile), EntryText, WaitMs);
        QCOMPARE(m_sway.focusedAppId(), QStringLiteral("pw_paste_target"));

        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(WaitMs));
        output += QString::fromUtf8(m_app.readAll());
        QVERIFY2(m_app.exitStatus() == QProcess::NormalExit && m_app.exitCode() == 0, qPrintable(output));
    }

    // Where the desktop offers the shortcuts portal the program binds its key there, and the
    // desktop's press calls the window up: the real xdg-desktop-portal on a bus of the test's
    // own, with the recording back end standing in for the desktop.
    void portalShortcutCallsTheWindowUp()
    {
        const QString folder = m_sway.makeFolder(QStringLiteral("portal"));
        for (const QString& name : {QStringLiteral("pwtest.portal"), QStringLiteral("portal_backend.py")})
            QVERIFY(
                QFile::copy(QStringLiteral(PW_PORTAL_TEST_DIR "/") + name, folder + QLatin1Char('/') + name));
        const QString calls = folder + QStringLiteral("/calls.jsonl");
        m_sway.handOver(folder);

        const QString address = startBus(m_bus);
        QVERIFY(!address.isEmpty());
        const auto owned = [&](const QString& name) {
            return m_sway
                .run(QStringLiteral("dbus-send"),
                    {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=org.freedesktop.DBus"),
                        QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                        QStringLiteral("string:") + name},
                    {address})
                .contains(QStringLiteral("boolean true"));
        };
        m_backend.setProcessChannelMode(QProcess::ForwardedChannels);
        m_sway.launch(m_backend, QStringLiteral("/usr/bin/python3"),
            {folder + QStringLiteral("/portal_backend.py"), calls}, {address});
        QTRY_VERIFY_WITH_TIMEOUT(owned(QStringLiteral("org.freedesktop.impl.portal.desktop.pwtest")), WaitMs);
        m_portal.setProcessChannelMode(QProcess::ForwardedChannels);
        m_sway.launch(m_portal, QStringLiteral("/usr/libexec/xdg-desktop-portal"), {},
            {address, QStringLiteral("XDG_DESKTOP_PORTAL_DIR=") + folder,
                QStringLiteral("XDG_CURRENT_DESKTOP=pwtest")});
        QTRY_VERIFY_WITH_TIMEOUT(owned(QStringLiteral("org.freedesktop.portal.Desktop")), WaitMs);

        m_app.setProcessChannelMode(QProcess::MergedChannels);
        m_sway.launch(m_app, m_appDir + QStringLiteral("/pastewise"), {},
            {address, QStringLiteral("QT_LOGGING_RULES=pastewise.*=true"),
                QStringLiteral("ASAN_OPTIONS=fast_unwind_on_malloc=0")});
        QString output;
        QTRY_VERIFY_WITH_TIMEOUT((output += QString::fromUtf8(m_app.readAll()))
                                     .contains(QStringLiteral("bound the activation shortcut to CTRL+F8")),
            WaitMs);
        QVERIFY2(!output.contains(QStringLiteral("bind this command instead")), qPrintable(output));
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pastewise"), WaitMs);

        m_sway.run(QStringLiteral("swaymsg"), {QStringLiteral("[app_id=pw_paste_target] focus")});
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pw_paste_target"), WaitMs);
        QString session;
        for (const QString& line : ReadFile(calls).split(QLatin1Char('\n'))) {
            if (line.contains(QStringLiteral("\"BindShortcuts\"")))
                session = line.section(QStringLiteral("\"session\": \""), 1).section(QLatin1Char('"'), 0, 0);
        }
        QVERIFY(!session.isEmpty());
        m_sway.run(QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.freedesktop.impl.portal.desktop.pwtest"),
                QStringLiteral("/org/freedesktop/portal/desktop"),
                QStringLiteral("org.pastewise.PortalTest.Activate"), QStringLiteral("objpath:") + session,
                QStringLiteral("string:activate")},
            {address});
        QTRY_COMPARE_WITH_TIMEOUT(m_sway.focusedAppId(), QStringLiteral("pastewise"), WaitMs);

        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(WaitMs));
        output += QString::fromUtf8(m_app.readAll());
        QVERIFY2(m_app.exitStatus() == QProcess::NormalExit && m_app.exitCode() == 0, qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestWaylandE2E)
#include "tst_e2e_wayland.moc"
