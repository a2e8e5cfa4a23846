// The table commands' database side on a real library file, where the window cannot reach:
// a drop the engine refuses and an open that fails.

#include "tests/library/LibraryFixture.h"

#include "common/Errors.h"
#include "library/LibrarySession.h"
#include "library/TableDataset.h"

#include <QSignalSpy>
#include <QTest>

namespace {
bool OnServer()
{
    QFETCH_GLOBAL(bool, server);
    return server;
}
} // namespace

class TestLibrarySession final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { AddEngineRows(); }

    void refusedDropKeepsTheTableOpenAndListed()
    {
        LibraryFixture lib(OnServer());
        for (const QString& table : {QStringLiteral("Mail"), QStringLiteral("Code")})
            lib.connection.CreateTable(table);
        lib.AddEntries(QStringLiteral("Mail"), {QStringLiteral("bye"), QStringLiteral("hello")});
        TTableDataset dataset;
        LibrarySession session(lib.connection, dataset);
        session.loadTableNames();
        session.openTable(QStringLiteral("Mail"));

        // Another program holds a lock the drop needs, and nothing waits for it.
        if (lib.Server()) {
            QSqlQuery(lib.connection.Database()).exec(QStringLiteral("SET lock_timeout = 1"));
            QCOMPARE(lib.Other(QStringLiteral("BEGIN")), QString());
            QCOMPARE(lib.Other(QStringLiteral("LOCK TABLE \"Mail\" IN ACCESS SHARE MODE")), QString());
        } else {
            QSqlQuery(lib.connection.Database()).exec(QStringLiteral("PRAGMA busy_timeout = 0"));
            QCOMPARE(lib.Other(QStringLiteral("BEGIN IMMEDIATE")), QString());
        }
        QVERIFY_THROWS_EXCEPTION(DatabaseError, session.dropTable(QStringLiteral("Mail")));
        QVERIFY(dataset.Active());
        QCOMPARE(dataset.TableName(), QStringLiteral("Mail"));
        QCOMPARE(dataset.RecordCount(), 2);
        QCOMPARE(session.TableList().Names(), (QStringList {QStringLiteral("Mail"), QStringLiteral("Code")}));
        QCOMPARE(lib.Other(QStringLiteral("ROLLBACK")), QString());

        // Dropping another table leaves the open one alone.
        QCOMPARE(session.dropTable(QStringLiteral("code")), 1);
        QCOMPARE(session.TableList().Names(), QStringList {QStringLiteral("Mail")});
        QVERIFY(dataset.Active());
        QCOMPARE(session.CurTable(), QStringLiteral("Mail"));
    }

    void failedOpenLeavesNothingOpenAndTheCurrentNameAsItWas()
    {
        LibraryFixture lib(OnServer());
        lib.connection.CreateTable(QStringLiteral("Mail"));
        QCOMPARE(lib.Other(QStringLiteral("CREATE TABLE \"Broken\" (a TEXT, b TEXT)")), QString());
        TTableDataset dataset;
        LibrarySession session(lib.connection, dataset);
        session.loadTableNames();
        // A remembered name matching only without regard to case is opened as remembered.
        QCOMPARE(session.startTable(QStringLiteral("MAIL")), QStringLiteral("MAIL"));
        QCOMPARE(session.startTable(QStringLiteral("Gone")), QStringLiteral("Mail"));
        session.openTable(QStringLiteral("MAIL"));

        QVERIFY_THROWS_EXCEPTION(DatabaseError, session.openTable(QStringLiteral("Broken")));
        QVERIFY(!dataset.Active());
        QCOMPARE(session.CurTable(), QStringLiteral("MAIL"));
    }

    void tablesChangedByAnotherCopyReachTheListAndTheOpenTableKeepsItsIdentity()
    {
        if (!OnServer())
            QSKIP("a file library has no live updates");
        LibraryFixture lib(true);
        lib.connection.CreateTable(QStringLiteral("Mail"));
        TTableDataset dataset;
        LibrarySession session(lib.connection, dataset);
        session.loadTableNames();
        session.openTable(QStringLiteral("Mail"));
        QSignalSpy announced(&lib.connection, &TLibraryConnection::tablesChanged);

        TLibraryConnection other;
        other.SetDataSource(lib.Source());
        other.Open();
        other.RenameTable(QStringLiteral("Mail"), QStringLiteral("Post"));
        other.CreateTable(QStringLiteral("Code"));
        QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 2, 5000);
        QCOMPARE(session.reloadTableNames(), QStringLiteral("Post"));
        QCOMPARE(session.TableList().Names(), (QStringList {QStringLiteral("Post"), QStringLiteral("Code")}));

        other.DropTable(QStringLiteral("Post"));
        QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 3, 5000);
        QCOMPARE(session.reloadTableNames(), QString());
    }
};

QTEST_GUILESS_MAIN(TestLibrarySession)
#include "tst_library_session.moc"
