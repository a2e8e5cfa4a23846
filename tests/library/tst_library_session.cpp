// The table commands' database side on a real library file, where the window cannot reach:
// a drop the engine refuses and an open that fails.

#include "tests/library/LibraryFixture.h"

#include "common/Errors.h"
#include "library/LibrarySession.h"
#include "library/SqlSupport.h"
#include "library/TableDataset.h"

#include <QTest>

class TestLibrarySession final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusedDropKeepsTheTableOpenAndListed()
    {
        LibraryFixture lib;
        for (const QString& table : {QStringLiteral("Mail"), QStringLiteral("Code")})
            QCOMPARE(lib.Other(CreateEntryTableStatement(table)), QString());
        lib.AddEntries(QStringLiteral("Mail"), {QStringLiteral("bye"), QStringLiteral("hello")});
        TTableDataset dataset;
        LibrarySession session(lib.connection, dataset);
        session.loadTableNames();
        session.openTable(QStringLiteral("Mail"));

        // Another program holds the write lock, and nothing waits for it.
        QSqlQuery(lib.connection.Database()).exec(QStringLiteral("PRAGMA busy_timeout = 0"));
        QCOMPARE(lib.Other(QStringLiteral("BEGIN IMMEDIATE")), QString());
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
        LibraryFixture lib;
        QCOMPARE(lib.Other(CreateEntryTableStatement(QStringLiteral("Mail"))), QString());
        QCOMPARE(lib.Other(QStringLiteral("CREATE TABLE \"Broken\" (a, b)")), QString());
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
};

QTEST_GUILESS_MAIN(TestLibrarySession)
#include "tst_library_session.moc"
