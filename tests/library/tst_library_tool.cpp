#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/TableDataset.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestLibraryTool final : public QObject {
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QString error;
    };

    static Run Tool(const QStringList& args)
    {
        QProcess process;
        process.start(QStringLiteral(PW_LIBRARY_TOOL), args);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    void createsAStarterLibraryTheProgramCanOpen()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pastewise.mdb"));
        const Run run = Tool({QStringLiteral("create"), path});
        QCOMPARE(run.exitCode, 0);

        TLibraryConnection connection;
        connection.SetDataSource(path);
        connection.Open();
        QCOMPARE(connection.TableNames(), QStringList {"General"});
        TTableDataset tbl;
        tbl.Open(connection, QStringLiteral("General"));
        QVERIFY(tbl.RecordCount() >= 3);
        QVERIFY(tbl.Locate(QStringLiteral("dear")));
        QVERIFY(tbl.Value().contains(QLatin1String("%name%")));
        // The table has the entry schema: a second entry of the same name is refused.
        QVERIFY_THROWS_EXCEPTION(DatabaseError, tbl.InsertAndPost(QStringLiteral("DEAR"), QString()));
    }

    void neverOverwritesAFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pastewise.mdb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
        file.close();
        const Run run = Tool({QStringLiteral("create"), path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.error.contains(QLatin1String("already exists")), qPrintable(run.error));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious"));
    }

    void badArgumentsShowUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("none") << QStringList();
        QTest::newRow("unknown command") << QStringList {"make", "x.mdb"};
        QTest::newRow("no path") << QStringList {"create"};
        QTest::newRow("extra") << QStringList {"create", "a", "b"};
    }

    void badArgumentsShowUsage()
    {
        QFETCH(QStringList, args);
        const Run run = Tool(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.error.startsWith(QLatin1String("Usage: pastewise-library create PATH")));
    }
};

QTEST_GUILESS_MAIN(TestLibraryTool)
#include "tst_library_tool.moc"
