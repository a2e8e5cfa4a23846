// Two copies of the real program, each with its own settings and its own server user, sharing
// one library on the test's PostgreSQL cluster: edits of one entry, and one copy's store
// reaching the other while it runs. Under root the second copy runs on another account, on the
// same display and the same server socket.

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"
#include "tests/support/TestUser.h"

#include <QDebug>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

namespace {

const QString AdminConnection = QStringLiteral("two-copies-admin");

// The test server's socket folder, from the address CTest passes.
QString ServerSocketFolder()
{
    return QUrlQuery(QUrl(qEnvironmentVariable("PW_TEST_POSTGRES"))).queryItemValue(QStringLiteral("host"));
}

QString Admin(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(AdminConnection));
    return query.exec(sql) ? QString() : query.lastError().text();
}

QString StoredValue(const QString& schema, const QString& name)
{
    QSqlQuery query(QSqlDatabase::database(AdminConnection));
    query.prepare(QStringLiteral("SELECT value FROM \"%1\".\"Mail\" WHERE name = ?").arg(schema));
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        return QStringLiteral("<missing>");
    return query.value(0).toString();
}

// Calls the copy's window up with its own hotkey and waits until it is active.
bool CallUp(const AppHarness& app, const QString& hotKey)
{
    XDesktop::xdo({QStringLiteral("key"), hotKey});
    return QTest::qWaitFor([&] { return XDesktop::activeWindow() == app.mainWindow(); }, 30000);
}

// In the called-up window: search box, list, editor, text added at the end; Copy Only then
// shows on the clipboard that every key has been handled.
bool AppendToFirstEntry(const QString& text, const QString& expected)
{
    XDesktop::xdo(
        {QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("ctrl+End")});
    XDesktop::xdo({QStringLiteral("type"), text});
    XDesktop::xdo({QStringLiteral("key"), QStringLiteral("ctrl+c")});
    return QTest::qWaitFor([&] { return XDesktop::clipboardText() == expected; }, 30000);
}

} // namespace

class TestTwoCopies final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void secondStoreOfOneEntryIsRefusedAndOverwritesNothing();
    void storeInOneCopyShowsUpInTheOther();

private:
    QString addressFor(const QString& role) const;
    bool startCopy(AppHarness& app, const QString& role, const QString& activationKey);
    // Ann's copy under this account on Ctrl+F8, Bob's under the second one on Ctrl+F9.
    bool startBoth(AppHarness& ann, AppHarness& bob);

    QString m_secondAccount;
    QString m_schema;
    QString m_ann;
    QString m_bob;
};

void TestTwoCopies::initTestCase()
{
    if (qEnvironmentVariable("PW_TEST_POSTGRES").isEmpty())
        QSKIP("PW_TEST_POSTGRES is not set: no server to share");
    m_secondAccount = TestUser::name();
    QVERIFY2(TestUser::ensureExists(m_secondAccount), qPrintable(m_secondAccount));
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), AdminConnection);
    admin.setHostName(ServerSocketFolder());
    admin.setUserName(QStringLiteral("pastewise"));
    admin.setDatabaseName(QStringLiteral("pastewise_test"));
    QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));

    // Roles belong to the whole cluster, so their names are this run's own.
    const QString tag = QUuid::createUuid().toString(QUuid::Id128).left(12);
    m_schema = QStringLiteral("team_") + tag;
    m_ann = QStringLiteral("ann_") + tag;
    m_bob = QStringLiteral("bob_") + tag;
    QCOMPARE(Admin(QStringLiteral("CREATE SCHEMA %1").arg(m_schema)), QString());
    QCOMPARE(Admin(QStringLiteral("CREATE ROLE %1 LOGIN").arg(m_ann)), QString());
    QCOMPARE(Admin(QStringLiteral("CREATE ROLE %1 LOGIN").arg(m_bob)), QString());

    // The team's library is a file moved onto the server with the program's own tool.
    AppHarness source;
    QVERIFY(source.createLibrary(
        {QStringLiteral("CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"),
            QStringLiteral("INSERT INTO \"Mail\" VALUES ('hello', 'Hello there')")}));
    QProcess tool;
    tool.start(qEnvironmentVariable("PW_BUILD_DIR") + QStringLiteral("/bin/pastewise-library"),
        {QStringLiteral("copy"), source.libraryPath(), addressFor(QStringLiteral("pastewise"))});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    for (const QString& role : {m_ann, m_bob}) {
        QCOMPARE(Admin(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(m_schema, role)), QString());
        QCOMPARE(Admin(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2")
                           .arg(m_schema, role)),
            QString());
    }
}

void TestTwoCopies::cleanupTestCase()
{
    if (!QSqlDatabase::contains(AdminConnection))
        return;
    Admin(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
    Admin(QStringLiteral("DROP ROLE IF EXISTS %1").arg(m_ann));
    Admin(QStringLiteral("DROP ROLE IF EXISTS %1").arg(m_bob));
    QSqlDatabase::database(AdminConnection).close();
    QSqlDatabase::removeDatabase(AdminConnection);
}

QString TestTwoCopies::addressFor(const QString& role) const
{
    return QStringLiteral("postgresql://%1@/pastewise_test?host=%2&schema=%3")
        .arg(role, ServerSocketFolder(), m_schema);
}

bool TestTwoCopies::startCopy(AppHarness& app, const QString& role, const QString& activationKey)
{
    app.writeSettingsFile(settingsWith({QStringLiteral("\"Library\"=\"%1\"").arg(addressFor(role)),
        QStringLiteral("\"ActivationKey\"=%1").arg(activationKey),
        QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    if (!app.start()) {
        qWarning() << "the copy of" << role << "did not start";
        return false;
    }
    if (!app.boxesShown().isEmpty()) {
        qWarning() << "the copy of" << role << "showed" << app.boxesShown();
        return false;
    }
    return true;
}

bool TestTwoCopies::startBoth(AppHarness& ann, AppHarness& bob)
{
    bob.setUser(m_secondAccount);
    return startCopy(ann, m_ann, QStringLiteral("dword:00004077")) // Ctrl+F8
        && startCopy(bob, m_bob, QStringLiteral("dword:00004078")); // Ctrl+F9
}

void TestTwoCopies::secondStoreOfOneEntryIsRefusedAndOverwritesNothing()
{
    AppHarness ann;
    AppHarness bob;
    QVERIFY(startBoth(ann, bob));

    // Both change the one entry; Ann stores first (at her exit).
    QVERIFY(CallUp(ann, QStringLiteral("ctrl+F8")));
    QVERIFY(AppendToFirstEntry(QStringLiteral(" from Ann"), QStringLiteral("Hello there from Ann")));
    QVERIFY(CallUp(bob, QStringLiteral("ctrl+F9")));
    QVERIFY(AppendToFirstEntry(QStringLiteral(" from Bob"), QStringLiteral("Hello there from Bob")));
    QVERIFY(ann.closeWindow());
    QCOMPARE(ann.exitCode(), 0);
    QCOMPARE(StoredValue(m_schema, QStringLiteral("hello")), QStringLiteral("Hello there from Ann"));

    // Bob's store is refused and asked about; Enter keeps his text as a new entry and the exit
    // goes on. Ann's text stays as she stored it.
    AppHarness::run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), bob.mainWindow()});
    QVERIFY(bob.waitForBoxAndDismiss(QStringLiteral("reopen the table to see the change.")));
    QVERIFY(bob.waitForExit(30000));
    QCOMPARE(bob.exitCode(), 0);
    QCOMPARE(StoredValue(m_schema, QStringLiteral("hello")), QStringLiteral("Hello there from Ann"));
    QCOMPARE(StoredValue(m_schema, QStringLiteral("hello (2)")), QStringLiteral("Hello there from Bob"));
}

void TestTwoCopies::storeInOneCopyShowsUpInTheOther()
{
    AppHarness ann;
    AppHarness bob;
    QVERIFY(startBoth(ann, bob));
    const QString before = StoredValue(m_schema, QStringLiteral("hello"));
    const QString after = before + QStringLiteral(" again");

    QVERIFY(CallUp(ann, QStringLiteral("ctrl+F8")));
    QVERIFY(AppendToFirstEntry(QStringLiteral(" again"), after));
    QVERIFY(ann.closeWindow());
    QCOMPARE(StoredValue(m_schema, QStringLiteral("hello")), after);

    // Bob, who has not reopened anything, copies the entry's new text.
    QVERIFY(CallUp(bob, QStringLiteral("ctrl+F9")));
    QVERIFY(QTest::qWaitFor(
        [&] {
            XDesktop::xdo({QStringLiteral("key"), QStringLiteral("ctrl+c")});
            return QTest::qWaitFor([&] { return XDesktop::clipboardText() == after; }, 500);
        },
        30000));
    QVERIFY(bob.closeWindow());
    QVERIFY(bob.boxesShown().isEmpty());
}

QTEST_GUILESS_MAIN(TestTwoCopies)
#include "tst_two_copies.moc"
