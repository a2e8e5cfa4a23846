#include "tests/library/LibraryFixture.h"

#include "library/BackgroundNames.h"
#include "library/TableDataset.h"

#include <QSignalSpy>
#include <QTest>

using Step = BackgroundNames::Step;

// A table too large to be read at once, so its names arrive in the background: "alpha",
// "Beta" and "gamma"/"Gamma" names in turn, so the "gamma" ones lie past the first names.
class TestBackgroundNames final : public QObject {
    Q_OBJECT

    static constexpr int Rows = 3000;

    static void MakeLargeTable(LibraryFixture& lib, const QString& table)
    {
        lib.connection.CreateTable(table);
        const QString error = lib.Other(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO \"%2\" (name, value) SELECT printf('%s %05d', CASE i % 3 WHEN 0 THEN 'alpha' "
            "WHEN 1 THEN 'Beta' ELSE (CASE i % 2 WHEN 0 THEN 'gamma' ELSE 'Gamma' END) END, i), "
            "'text ' || i FROM n")
                                            .arg(Rows)
                                            .arg(table));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    static QStringList Names(const TTableDataset& tbl)
    {
        QStringList names;
        for (int row = 0; row < tbl.RecordCount(); ++row)
            names << tbl.NameAt(row);
        return names;
    }

private Q_SLOTS:
    void cleanup()
    {
        BackgroundNames::Hold(Step::Open, false);
        BackgroundNames::Hold(Step::HandOver, false);
    }

    void searchWhileLoadingFindsWhatTheWholeTableFinds()
    {
        LibraryFixture lib;
        MakeLargeTable(lib, QStringLiteral("T"));
        const QStringList typed {QStringLiteral("g"), QStringLiteral("GAMMA 0"), QStringLiteral("gamma 02"),
            QStringLiteral("Gamma 01502"), QStringLiteral("beta 00"), QStringLiteral("zz"), QString(),
            QStringLiteral("gamma 029")};

        BackgroundNames::Hold(Step::HandOver, true);
        TTableDataset tbl;
        tbl.Open(lib.connection, QStringLiteral("T"));
        QVERIFY(!tbl.NamesComplete());
        QCOMPARE(tbl.Name(), QStringLiteral("alpha 00003"));
        QStringList whileLoading;
        for (const QString& text : typed)
            whileLoading << QStringLiteral("%1 -> %2").arg(text, tbl.Locate(text) ? tbl.Name() : QString());
        const QString currentWhileLoading = tbl.Name();

        BackgroundNames::Hold(Step::HandOver, false);
        QTRY_VERIFY_WITH_TIMEOUT(tbl.NamesComplete(), 30000);
        QCOMPARE(tbl.RecordCount(), Rows);
        // The entry found while loading stays current once the rest arrive.
        QCOMPARE(tbl.Name(), currentWhileLoading);
        QCOMPARE(tbl.NameAt(tbl.CurrentRow()), currentWhileLoading);
        QStringList afterwards;
        for (const QString& text : typed)
            afterwards << QStringLiteral("%1 -> %2").arg(text, tbl.Locate(text) ? tbl.Name() : QString());
        QCOMPARE(whileLoading, afterwards);
        QCOMPARE(afterwards.first(), QStringLiteral("g -> gamma 00002"));
    }

    void changesDuringTheLoadAreInTheNamesRead()
    {
        LibraryFixture lib;
        MakeLargeTable(lib, QStringLiteral("T"));
        lib.connection.CreateTable(QStringLiteral("Small"));
        lib.AddEntries(QStringLiteral("Small"), {QStringLiteral("one"), QStringLiteral("two")});

        // The load has read every name and waits to hand them over while the table changes.
        BackgroundNames::Hold(Step::HandOver, true);
        TTableDataset tbl;
        tbl.Open(lib.connection, QStringLiteral("T"));
        QVERIFY(tbl.Locate(QStringLiteral("gamma 02000")));
        tbl.SetName(QStringLiteral("renamed"));
        tbl.Post();
        QVERIFY(tbl.Locate(QStringLiteral("Gamma 02999")));
        tbl.Delete();
        tbl.InsertAndPost(QStringLiteral("added"), QStringLiteral("new text"));
        BackgroundNames::Hold(Step::HandOver, false);
        QTRY_VERIFY_WITH_TIMEOUT(tbl.NamesComplete(), 30000);

        const QStringList names = Names(tbl);
        QCOMPARE(names.size(), Rows);
        QVERIFY(names.contains(QStringLiteral("renamed")));
        QVERIFY(names.contains(QStringLiteral("added")));
        QVERIFY(!names.contains(QStringLiteral("gamma 02000")));
        QVERIFY(!names.contains(QStringLiteral("Gamma 02999")));
        QCOMPARE(tbl.Name(), QStringLiteral("added"));
        QCOMPARE(tbl.Value(), QStringLiteral("new text"));

        // Another table opened while a load runs never receives the first table's names.
        BackgroundNames::Hold(Step::HandOver, true);
        tbl.Open(lib.connection, QStringLiteral("T"));
        QVERIFY(!tbl.NamesComplete());
        tbl.Open(lib.connection, QStringLiteral("Small"));
        // The first table's reading ended with the switch; none is left to hand names over.
        QCOMPARE(BackgroundNames::Running(), 0);
        QCOMPARE(Names(tbl), (QStringList {QStringLiteral("one"), QStringLiteral("two")}));
    }

    void failedLoadClosesTheTableAndSaysWhy()
    {
        LibraryFixture lib;
        MakeLargeTable(lib, QStringLiteral("T"));
        BackgroundNames::Hold(Step::Open, true);
        TTableDataset tbl;
        QSignalSpy failed(&tbl, &TTableDataset::namesFailed);
        tbl.Open(lib.connection, QStringLiteral("T"));
        // The open connection keeps the file; the background one cannot find it any more.
        QVERIFY(QFile::rename(lib.Path(), lib.Path() + QStringLiteral(".moved")));
        BackgroundNames::Hold(Step::Open, false);
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
        QVERIFY(!failed.first().first().toString().isEmpty());
        QVERIFY(!tbl.Active());
        QVERIFY(QFile::rename(lib.Path() + QStringLiteral(".moved"), lib.Path()));
    }
};

QTEST_GUILESS_MAIN(TestBackgroundNames)
#include "tst_background_names.moc"
