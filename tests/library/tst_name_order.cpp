#include "library/NameOrder.h"
#include "library/NameSnapshot.h"
#include "library/TableList.h"

#include <QTest>

#include <string>

class TestNameOrder final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void compareFoldsOnlyAsciiLetters_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("case only") << "Dear"
                                   << "dEAR" << 0;
        QTest::newRow("prefix first") << "Dear"
                                      << "dear sir" << -1;
        QTest::newRow("empty first") << ""
                                     << "a" << -1;
        // '_' (0x5f) lies between 'Z' and 'a': folding decides which side a letter falls on.
        QTest::newRow("underscore after folded letter") << "A"
                                                        << "_" << 1;
        QTest::newRow("digits before letters") << "9"
                                               << "a" << -1;
        QTest::newRow("non-ascii not folded") << "\u00e9"
                                              << "\u00c9" << 1;
        QTest::newRow("non-ascii after ascii") << "\u00e9"
                                               << "z" << 1;
    }

    void compareFoldsOnlyAsciiLetters()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const std::string x = a.toStdString();
        const std::string y = b.toStdString();
        QCOMPARE(CompareNames(x, y), expected);
        QCOMPARE(CompareNames(y, x), -expected);
    }

    void findPrefixOnSnapshot_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("found");
        QTest::newRow("exact case") << "Dear"
                                    << "Dear";
        QTest::newRow("other case") << "dE"
                                    << "Dear";
        QTest::newRow("longer") << "dear s"
                                << "dear sir";
        QTest::newRow("percent literal") << "100%"
                                         << "100% sure";
        QTest::newRow("underscore literal") << "a_"
                                            << "a_b";
        QTest::newRow("quote") << "it'"
                               << "it's";
        QTest::newRow("no match") << "x"
                                  << "<none>";
        QTest::newRow("past the end") << "\u00ff"
                                      << "<none>";
        QTest::newRow("empty text matches nothing") << ""
                                                    << "<none>";
    }

    void findPrefixOnSnapshot()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, found);
        NameSnapshot snapshot;
        const QStringList names {"its", "100% sure", "Dear", "100x", "a_b", "aXb", "dear sir", "it's"};
        for (const QString& name : names)
            snapshot.Append(names.indexOf(name), name.toStdString());
        snapshot.SortIfNeeded();
        const int at = snapshot.FindPrefix(prefix.toStdString());
        QCOMPARE(at < 0 ? QStringLiteral("<none>") : QString::fromStdString(std::string(snapshot.NameAt(at))),
            found);
    }

    void snapshotKeepsOrderThroughChanges()
    {
        NameSnapshot snapshot;
        for (const char* name : {"m", "c", "X", "a", ""})
            snapshot.Append(snapshot.Count() + 1, name);
        snapshot.SortIfNeeded();
        QCOMPARE(snapshot.FindPrefix(""), 0);
        // Renames leave the old bytes unused; enough of them make the buffer compact itself.
        std::string current = "c";
        for (char fill = 'p'; fill <= 'w'; ++fill) {
            const std::string next(300000, fill);
            const int at = snapshot.Find(current, 2);
            QVERIFY(at >= 0);
            snapshot.Rename(at, next);
            current = next;
        }
        QCOMPARE(snapshot.InsertSorted(10, "B"), 2);
        snapshot.RemoveAt(snapshot.Find("m", 1));
        QStringList order;
        for (int i = 0; i < snapshot.Count(); ++i)
            order << QString::fromStdString(std::string(snapshot.NameAt(i).substr(0, 3)));
        QCOMPARE(order, (QStringList {"", "a", "B", "www", "X"}));
        QCOMPARE(snapshot.Find(current, 2), 3);
        // Without compaction the buffer would hold all eight long names.
        QVERIFY(snapshot.MemoryBytes() < 8 * current.size());
    }

    void tableListLooksUpAsTheEngineComparesTableNames()
    {
        TTableList list;
        list.Assign({"General", "Ärger", "work"});
        QCOMPARE(list.IndexOf(QStringLiteral("GENERAL")), 0);
        // The engine folds ASCII letters only: "ärger" would be another table, "ÄRGER" not.
        QCOMPARE(list.IndexOf(QStringLiteral("ärger")), -1);
        QCOMPARE(list.IndexOf(QStringLiteral("ÄRGER")), 1);
        QVERIFY(list.Contains(QStringLiteral("Work")));
        QVERIFY(!list.Contains(QStringLiteral("wor")));
        list.Set(2, QStringLiteral("Home"));
        list.RemoveAt(0);
        QCOMPARE(list.Names(), (QStringList {"Ärger", "Home"}));
        QCOMPARE(list.IndexOf(QStringLiteral("work")), -1);

        // Names that only non-ASCII case tells apart are two tables to the engine.
        list.Assign({"Ärger", "ärger"});
        QCOMPARE(list.IndexOf(QStringLiteral("ärger")), 1);
        QCOMPARE(list.IndexOf(QStringLiteral("Ärger")), 0);
        QCOMPARE(list.IndexOf(QStringLiteral("ÄRGER")), 0);
    }
};

QTEST_GUILESS_MAIN(TestNameOrder)
#include "tst_name_order.moc"
