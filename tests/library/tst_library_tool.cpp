#include "tests/library/LibraryFixture.h"

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

    void copiesEveryTableToAServerAndBack()
    {
        if (TestServer().isEmpty())
            QSKIP("PW_TEST_POSTGRES is not set");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("pastewise.mdb"));
        QCOMPARE(Tool({QStringLiteral("create"), file}).exitCode, 0);
        LibraryFixture server(true);
        server.connection.CreateTable(QStringLiteral("Team"));
        server.AddEntries(QStringLiteral("Team"), {QStringLiteral("shared")});

        QCOMPARE(Tool({QStringLiteral("copy"), file, server.Source()}).exitCode, 0);
        QCOMPARE(server.connection.TableNames(), (QStringList {"Team", "General"}));
        const QStringList entries
            = server.Column(QStringLiteral("SELECT name FROM \"General\" ORDER BY name"));
        QVERIFY(entries.size() >= 3);

        // A table the target has is refused in any case of its name, and nothing changes.
        server.AddEntries(QStringLiteral("General"), {QStringLiteral("mine")});
        const Run refused = Tool({QStringLiteral("copy"), file, server.Source()});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.error.contains(QLatin1String("already has the tables General")),
            qPrintable(refused.error));
        QCOMPARE(server.Column(QStringLiteral("SELECT count(*) FROM \"General\"")),
            QStringList {QString::number(entries.size() + 1)});
        QCOMPARE(
            Tool({QStringLiteral("copy"), QStringLiteral("--replace"), file, server.Source()}).exitCode, 0);
        QCOMPARE(server.Column(QStringLiteral("SELECT count(*) FROM \"General\"")),
            QStringList {QString::number(entries.size())});

        // Back into a new file: the same tables and entries, and the entry schema.
        const QString back = dir.filePath(QStringLiteral("back.mdb"));
        QCOMPARE(Tool({QStringLiteral("copy"), server.Source(), back}).exitCode, 0);
        TLibraryConnection copy;
        copy.SetDataSource(back);
        copy.Open();
        QCOMPARE(copy.TableNames(), (QStringList {"Team", "General"}));
        TTableDataset tbl;
        tbl.Open(copy, QStringLiteral("General"));
        QCOMPARE(tbl.RecordCount(), int(entries.size()));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, tbl.InsertAndPost(entries.first().toUpper(), QString()));
    }

    void badArgumentsShowUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("none") << QStringList();
        QTest::newRow("unknown command") << QStringList {"make", "x.mdb"};
        QTest::newRow("no path") << QStringList {"create"};
        QTest::newRow("extra") << QStringList {"create", "a", "b"};
        QTest::newRow("copy without a target") << QStringList {"copy", "a"};
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
