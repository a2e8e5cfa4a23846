#include "tests/library/LibraryFixture.h"

#include "library/TableDataset.h"

#include <QTest>

// Tables made by other tools may hold names of any storage class, in a UTF-8 or a UTF-16
// file; the names must arrive with the same bytes and in the same order either way.
class TestNameRead final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesOfEveryKindArriveInOrder_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("UTF-8 file") << "UTF-8";
        QTest::newRow("UTF-16 file") << "UTF-16le";
    }

    void namesOfEveryKindArriveInOrder()
    {
        QFETCH(QString, encoding);
        LibraryFixture lib;
        QCOMPARE(lib.Other(QStringLiteral("PRAGMA encoding = '%1'").arg(encoding)), QString());
        QCOMPARE(lib.Other(QStringLiteral("CREATE TABLE T (name, value)")), QString());
        // A blob keeps its bytes: 0xFF is no UTF-8, and read as UTF-16 text it would turn
        // into another character altogether.
        QCOMPARE(
            lib.Other(QString::fromUtf8("INSERT INTO T (name, value) VALUES ('Zürich', 'z'), "
                                        "('apple', 'a'), (42, 'i'), (1.5, 'r'), (X'FF41', 'b'), "
                                        "(NULL, 'n'), ('Äpfel', 'u'), ('long ' || hex(zeroblob(100)), 'l')")),
            QString());

        TTableDataset tbl;
        tbl.Open(lib.connection, QStringLiteral("T"));
        QStringList names;
        for (int row = 0; row < tbl.RecordCount(); ++row)
            names << tbl.NameAt(row);
        QCOMPARE(names,
            (QStringList {QString(), QStringLiteral("1.5"), QStringLiteral("42"), QStringLiteral("apple"),
                QStringLiteral("long ") + QString(200, QLatin1Char('0')), QString::fromUtf8("Zürich"),
                QString::fromUtf8("Äpfel"),
                QString::fromUtf8("\xEF\xBF\xBD"
                                  "A")}));
        // Every row is keyed to its own entry.
        tbl.Last();
        QCOMPARE(tbl.Value(), QStringLiteral("b"));
        tbl.MoveTo(2);
        QCOMPARE(tbl.Value(), QStringLiteral("i"));
        // A name longer than 127 bytes keeps its row's own key.
        tbl.MoveTo(4);
        QCOMPARE(tbl.Value(), QStringLiteral("l"));
    }
};

QTEST_GUILESS_MAIN(TestNameRead)
#include "tst_name_read.moc"
