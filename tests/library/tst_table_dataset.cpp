#include "tests/library/LibraryFixture.h"

#include "common/Errors.h"
#include "library/ADOUtil.h"
#include "library/TableDataset.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

#include <functional>

namespace {

const QString General = QStringLiteral("General");

QStringList Names(const TTableDataset& tbl)
{
    QStringList names;
    for (int row = 0; row < tbl.RecordCount(); ++row)
        names << tbl.NameAt(row);
    return names;
}

// Runs an action that must be refused and returns the message it was refused with.
bool OnServer()
{
    QFETCH_GLOBAL(bool, server);
    return server;
}

QString Refusal(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DatabaseError& error) {
        return error.message();
    }
    return QStringLiteral("<accepted>");
}

} // namespace

class TestTableDataset final : public QObject {
    Q_OBJECT

    // A library with one table "General" holding the given names, open in `tbl`.
    struct Opened {
        explicit Opened(const QStringList& names)
            : lib(OnServer())
        {
            lib.connection.CreateTable(General);
            lib.AddEntries(General, names);
            tbl.Open(lib.connection, General);
        }
        QStringList Stored()
        {
            return lib.Column(QStringLiteral("SELECT name FROM \"General\" ORDER BY lower(name)"));
        }
        LibraryFixture lib;
        TTableDataset tbl;
    };

private Q_SLOTS:
    // Every case runs on a file and, where the test server is there, on the server.
    void initTestCase_data() { AddEngineRows(); }

    void openSortsWithoutCaseAndReadsTheFirstEntry()
    {
        Opened o({"delta", "Bravo", "alpha", "Charlie", "_under", "9 lives"});
        // '_' sorts between the upper and the lower case letters, so folding puts it first.
        QCOMPARE(Names(o.tbl), (QStringList {"9 lives", "_under", "alpha", "Bravo", "Charlie", "delta"}));
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        QCOMPARE(o.tbl.CurrentRow(), 0);
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of 9 lives"));

        // The engine matches table names without case, so a stored spelling opens the table.
        o.tbl.Open(o.lib.connection, QStringLiteral("GENERAL"));
        QCOMPARE(o.tbl.RecordCount(), 6);
        QCOMPARE(o.tbl.TableName(), QStringLiteral("GENERAL"));
    }

    void openRefusesWhatIsNotAnEntryTable_data()
    {
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("message");
        QTest::newRow("no columns we know") << "CREATE TABLE T (a TEXT, b TEXT)"
                                            << "has no column \"name\"";
        QTest::newRow("no value") << "CREATE TABLE T (Name TEXT)"
                                  << "has no column \"value\"";
        QTest::newRow("missing") << ""
                                 << "no such table: T";
    }

    void openRefusesWhatIsNotAnEntryTable()
    {
        QFETCH(QString, create);
        QFETCH(QString, message);
        Opened o({"a"});
        if (!create.isEmpty())
            QCOMPARE(o.lib.Other(create), QString());
        const QString refusal = Refusal([&] { o.tbl.Open(o.lib.connection, QStringLiteral("T")); });
        QVERIFY2(refusal.contains(message), qPrintable(refusal));
        QVERIFY(!o.tbl.Active());
        QCOMPARE(o.tbl.RecordCount(), 0);
    }

    void closedAndEmptyDatasetsReportIt()
    {
        const QString closed = QStringLiteral("Cannot perform this operation on a closed dataset");
        TTableDataset tbl;
        for (const auto& action : std::initializer_list<std::function<void()>> {[&] { tbl.Next(); },
                 [&] { tbl.First(); }, [&] { tbl.Locate(QStringLiteral("a")); }, [&] { tbl.Delete(); },
                 [&] { tbl.Insert(); }, [&] { tbl.SetValue(QStringLiteral("x")); }, [&] { tbl.Post(); }})
            QCOMPARE(Refusal(action), closed);

        Opened o({});
        QCOMPARE(o.tbl.CurrentRow(), -1);
        QCOMPARE(Refusal([&] { o.tbl.Delete(); }),
            QStringLiteral("Cannot perform this operation on an empty dataset"));
        o.tbl.Next();
        o.tbl.Last();
        QCOMPARE(o.tbl.RecordCount(), 0);
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        // Typing into an empty table starts its first entry.
        o.tbl.SetValue(QStringLiteral("v"));
        QCOMPARE(o.tbl.State(), DatasetState::Insert);
        QCOMPARE(o.tbl.RecordCount(), 1);
    }

    void movesStayInsideTheTable()
    {
        Opened o({"a", "b", "c"});
        o.tbl.Prior();
        QCOMPARE(o.tbl.CurrentRow(), 0);
        o.tbl.Last();
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of c"));
        o.tbl.Next();
        QCOMPARE(o.tbl.CurrentRow(), 2);
        QCOMPARE(o.tbl.RecordCount(), 3);
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        o.tbl.Prior();
        QCOMPARE(o.tbl.Name(), QStringLiteral("b"));
        o.tbl.First();
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of a"));
        o.tbl.MoveTo(2);
        QCOMPARE(o.tbl.Name(), QStringLiteral("c"));
    }

    void untouchedNewRowIsDiscardedByAMove()
    {
        Opened o({"a", "b", "c"});
        o.tbl.Next();
        o.tbl.Insert();
        QCOMPARE(o.tbl.State(), DatasetState::Insert);
        QCOMPARE(Names(o.tbl), (QStringList {"a", "", "b", "c"}));
        QCOMPARE(o.tbl.CurrentRow(), 1);
        QVERIFY(!o.tbl.Modified());
        // Down goes to the row shown below the new one.
        o.tbl.Next();
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        QCOMPARE(Names(o.tbl), (QStringList {"a", "b", "c"}));
        QCOMPARE(o.tbl.Name(), QStringLiteral("b"));

        o.tbl.Insert();
        QVERIFY(!o.tbl.Locate(QStringLiteral("zzz")));
        QCOMPARE(o.tbl.RecordCount(), 3);
        QCOMPARE(o.tbl.Name(), QStringLiteral("b"));
        QCOMPARE(o.Stored(), (QStringList {"a", "b", "c"}));
    }

    void untouchedNewRowIsPostedByCloseTableAndRefused()
    {
        Opened o({"a"});
        o.tbl.Insert();
        const QString refusal = Refusal([&] { CloseTable(o.tbl); });
        QVERIFY2(refusal.contains(QLatin1String("NOT NULL")), qPrintable(refusal));
        QVERIFY(o.tbl.Active());
        QCOMPARE(o.tbl.State(), DatasetState::Insert);
        o.tbl.SetName(QStringLiteral("b"));
        CloseTable(o.tbl);
        QVERIFY(!o.tbl.Active());
        QCOMPARE(o.Stored(), (QStringList {"a", "b"}));
    }

    void newRowIsStoredInItsSortedPlace()
    {
        Opened o({"a", "c"});
        QSignalSpy moved(&o.tbl, &TTableDataset::rowMoved);
        o.tbl.Insert();
        o.tbl.SetName(QStringLiteral("B"));
        o.tbl.SetValue(QStringLiteral("line 1\nline 2"));
        QVERIFY(o.tbl.Modified());
        QCOMPARE(Names(o.tbl), (QStringList {"B", "a", "c"}));
        PostIfEditing(o.tbl);
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        QCOMPARE(Names(o.tbl), (QStringList {"a", "B", "c"}));
        QCOMPARE(o.tbl.CurrentRow(), 1);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.at(0), (QVariantList {0, 1}));
        QCOMPARE(o.lib.Column(QStringLiteral("SELECT value FROM \"General\" WHERE name = 'B'")),
            QStringList {"line 1\nline 2"});
    }

    void refusedStoreKeepsTheEditAndTheRow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("engineText");
        QTest::newRow("duplicate") << "C"
                                   << "UNIQUE constraint failed";
        QTest::newRow("empty") << ""
                               << "CHECK constraint failed";
        QTest::newRow("too long") << QString(256, QLatin1Char('x')) << "CHECK constraint failed";
    }

    void refusedStoreKeepsTheEditAndTheRow()
    {
        QFETCH(QString, name);
        QFETCH(QString, engineText);
        Opened o({"a", "b", "c"});
        o.tbl.SetName(name);
        QCOMPARE(o.tbl.State(), DatasetState::Edit);
        const QString refusal = Refusal([&] { o.tbl.Next(); });
        QVERIFY2(refusal.contains(engineText), qPrintable(refusal));
        QCOMPARE(o.tbl.State(), DatasetState::Edit);
        QCOMPARE(o.tbl.CurrentRow(), 0);
        QCOMPARE(o.tbl.Name(), name);
        QCOMPARE(o.tbl.NameAt(0), name);
        o.tbl.Cancel();
        QCOMPARE(o.tbl.Name(), QStringLiteral("a"));
        o.tbl.Next();
        QCOMPARE(o.tbl.Name(), QStringLiteral("b"));
        QCOMPARE(o.Stored(), (QStringList {"a", "b", "c"}));
    }

    void renameMovesTheEntryToItsPlace()
    {
        Opened o({"apple", "banana", "cherry", "date"});
        QSignalSpy aboutToMove(&o.tbl, &TTableDataset::rowAboutToMove);
        o.tbl.SetName(QStringLiteral("coconut"));
        o.tbl.SetValue(QStringLiteral("new text"));
        o.tbl.Post();
        QCOMPARE(Names(o.tbl), (QStringList {"banana", "cherry", "coconut", "date"}));
        QCOMPARE(o.tbl.CurrentRow(), 2);
        QCOMPARE(aboutToMove.at(0), (QVariantList {0, 2}));
        o.tbl.Last();
        o.tbl.SetName(QStringLiteral("Aardvark"));
        o.tbl.First();
        QCOMPARE(Names(o.tbl), (QStringList {"Aardvark", "banana", "cherry", "coconut"}));
        QCOMPARE(o.tbl.Name(), QStringLiteral("Aardvark"));
        // A change of letter case only is a rename too.
        o.tbl.SetName(QStringLiteral("AARDVARK"));
        o.tbl.Post();
        QCOMPARE(o.Stored(), (QStringList {"AARDVARK", "banana", "cherry", "coconut"}));
        QCOMPARE(o.lib.Column(QStringLiteral("SELECT value FROM \"General\" WHERE name = 'coconut'")),
            QStringList {"new text"});
    }

    void deleteMakesANeighbourCurrent()
    {
        Opened o({"a", "b", "c"});
        o.tbl.Next();
        o.tbl.Delete();
        QCOMPARE(o.tbl.Name(), QStringLiteral("c"));
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of c"));
        o.tbl.Delete();
        QCOMPARE(o.tbl.Name(), QStringLiteral("a"));
        o.tbl.Insert();
        o.tbl.Delete(); // a never-stored row is only dropped
        QCOMPARE(Names(o.tbl), QStringList {"a"});
        o.tbl.SetValue(QStringLiteral("pending"));
        o.tbl.Delete();
        QCOMPARE(o.tbl.CurrentRow(), -1);
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        QCOMPARE(o.Stored(), QStringList());
    }

    void locateFindsTheFirstNameWithThePrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("found");
        QTest::newRow("first letter") << "d"
                                      << "Dear" << true;
        QTest::newRow("other case") << "DEAR S"
                                    << "dear sir" << true;
        QTest::newRow("percent is literal") << "50%"
                                            << "50% off" << true;
        QTest::newRow("underscore is literal") << "a_"
                                               << "a_c" << true;
        QTest::newRow("quotes") << "say \""
                                << "say \"hi\"" << true;
        QTest::newRow("apostrophe") << "it'"
                                    << "it's" << true;
        QTest::newRow("non-ascii") << "Grü"
                                   << "Grüße" << true;
        QTest::newRow("no match keeps current") << "zz"
                                                << "Dear" << false;
        QTest::newRow("empty keeps current") << ""
                                             << "Dear" << false;
    }

    void locateFindsTheFirstNameWithThePrefix()
    {
        QFETCH(QString, text);
        QFETCH(QString, current);
        QFETCH(bool, found);
        Opened o(
            {"50 cents", "50% off", "abc", "a_c", "Dear", "dear sir", "Grüße", "it's", "its", "say \"hi\""});
        QVERIFY(o.tbl.Locate(QStringLiteral("De")));
        QCOMPARE(o.tbl.Locate(text), found);
        QCOMPARE(o.tbl.Name(), current);
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of ") + current);
    }

    void changeByAnotherProgramIsNeverOverwritten_data()
    {
        QTest::addColumn<QString>("otherChange");
        QTest::newRow("value changed") << "UPDATE \"General\" SET value = 'theirs' WHERE name = 'a'";
        QTest::newRow("case of name changed") << "UPDATE \"General\" SET name = 'A' WHERE name = 'a'";
        QTest::newRow("deleted") << "DELETE FROM \"General\" WHERE name = 'a'";
    }

    void changeByAnotherProgramIsNeverOverwritten()
    {
        QFETCH(QString, otherChange);
        Opened o({"a", "b"});
        const QStringList before
            = o.lib.Column(QStringLiteral("SELECT name || '=' || value FROM \"General\""));
        QCOMPARE(o.lib.Other(otherChange), QString());
        const QStringList theirs
            = o.lib.Column(QStringLiteral("SELECT name || '=' || value FROM \"General\""));
        QVERIFY(theirs != before);

        o.tbl.SetValue(QStringLiteral("mine"));
        const QString refusal = Refusal([&] { o.tbl.Post(); });
        QVERIFY2(refusal.contains(QLatin1String("changed by another program")), qPrintable(refusal));
        QCOMPARE(o.tbl.State(), DatasetState::Edit);
        o.tbl.Cancel();
        QVERIFY(Refusal([&] { o.tbl.Delete(); }).contains(QLatin1String("changed by another program")));
        QCOMPARE(o.lib.Column(QStringLiteral("SELECT name || '=' || value FROM \"General\"")), theirs);

        // Reopening shows their change, and then storing works.
        o.tbl.Open(o.lib.connection, General);
        o.tbl.SetValue(QStringLiteral("mine"));
        o.tbl.Post();
        QCOMPARE(o.tbl.Value(), QStringLiteral("mine"));
    }

    void failedReadLeavesTheCurrentEntryWhole()
    {
        Opened o({"a", "b"});
        // Another program takes the table away; reading the next entry fails.
        QCOMPARE(o.lib.Other(QStringLiteral("DROP TABLE \"General\"")), QString());
        QVERIFY(!Refusal([&] { o.tbl.Next(); }).isEmpty());
        QCOMPARE(o.tbl.CurrentRow(), 0);
        QCOMPARE(o.tbl.Name(), QStringLiteral("a"));
    }

    void textRoundTripsExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("leading zeros") << "007"
                                       << "007";
        QTest::newRow("exponent") << "1e5"
                                  << "1e5";
        QTest::newRow("non-ascii") << "Grüße ✓"
                                   << "Ünïcödé — «quoted» 😀";
        QTest::newRow("empty value") << "blank"
                                     << "";
        QTest::newRow("spaces kept") << "  padded  "
                                     << "  \t\n";
        QTest::newRow("sql text") << "x'); DROP TABLE General; --"
                                  << "%name% _ \\";
    }

    void textRoundTripsExactly()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        Opened o({"zzz"});
        o.tbl.InsertAndPost(name, value);
        QCOMPARE(o.tbl.Name(), name);
        QCOMPARE(o.tbl.Value(), value);
        // A file gives columns a type by what they hold; text must stay text.
        if (!o.lib.Server()) {
            QCOMPARE(o.lib.Column(QStringLiteral(
                         "SELECT typeof(name) || typeof(value) FROM \"General\" WHERE name <> 'zzz'")),
                QStringList {"texttext"});
        }

        TTableDataset reopened;
        reopened.Open(o.lib.connection, General);
        QVERIFY(reopened.Locate(name));
        QCOMPARE(reopened.Name(), name);
        QCOMPARE(reopened.Value(), value);
    }

    void textThatIsNotUtf8IsStoredAndDeletedKeepingItsBytes_data()
    {
        QTest::addColumn<QString>("create");
        QTest::newRow("keyed by rowid")
            << "CREATE TABLE T (name TEXT PRIMARY KEY COLLATE NOCASE, value TEXT)";
        QTest::newRow("keyed by name")
            << "CREATE TABLE T (name TEXT PRIMARY KEY COLLATE NOCASE, value TEXT) WITHOUT ROWID";
    }

    void textThatIsNotUtf8IsStoredAndDeletedKeepingItsBytes()
    {
        if (OnServer())
            QSKIP("a server holds only valid UTF-8");
        QFETCH(QString, create);
        LibraryFixture lib;
        QCOMPARE(lib.Other(create), QString());
        // Bytes of an 8-bit code page, as a library converted byte for byte holds them.
        QCOMPARE(lib.Other(QStringLiteral("INSERT INTO T VALUES (CAST(x'436166E9' AS TEXT), "
                                          "CAST(x'E02C0D0A92' AS TEXT)), (CAST(x'FF' AS TEXT), 'x')")),
            QString());
        TTableDataset tbl;
        tbl.Open(lib.connection, QStringLiteral("T"));
        QCOMPARE(tbl.Name(), QStringLiteral("Caf\uFFFD"));
        QCOMPARE(tbl.Value(), QStringLiteral("\uFFFD,\r\n\uFFFD"));

        // Only what was typed is new; the name and the other bytes stay as they were.
        tbl.SetValue(tbl.Value() + QStringLiteral("ü"));
        tbl.Post();
        tbl.SetValue(QStringLiteral("#") + tbl.Value());
        tbl.Next();
        QCOMPARE(lib.Column(QStringLiteral("SELECT hex(name) || ' ' || hex(value) FROM T ORDER BY name")),
            (QStringList {"436166E9 23E02C0D0A92C3BC", "FF 78"}));
        tbl.Delete();
        tbl.Delete();
        QCOMPARE(lib.Column(QStringLiteral("SELECT count(*) FROM T")), QStringList {"0"});
    }

    void editsOfAUtf16FileStayText()
    {
        if (OnServer())
            QSKIP("a server holds only UTF-8");
        LibraryFixture lib;
        QSqlQuery query(lib.connection.Database());
        QVERIFY(query.exec(QStringLiteral("PRAGMA encoding = 'UTF-16be'")));
        QVERIFY(query.exec(QStringLiteral(
            "CREATE TABLE W (name TEXT PRIMARY KEY COLLATE NOCASE, value TEXT) WITHOUT ROWID")));
        TTableDataset tbl;
        tbl.Open(lib.connection, QStringLiteral("W"));
        tbl.InsertAndPost(QStringLiteral("Grüße 😀"), QStringLiteral("a\r\nb"));
        tbl.SetValue(tbl.Value() + QStringLiteral("ü"));
        tbl.Post();
        tbl.SetName(QStringLiteral("Grüße 2"));
        tbl.Post();
        QCOMPARE(lib.Column(QStringLiteral("SELECT name || '=' || value FROM W")),
            QStringList {QStringLiteral("Grüße 2=a\r\nbü")});
        tbl.Delete();
        QCOMPARE(lib.Column(QStringLiteral("SELECT count(*) FROM W")), QStringList {"0"});
    }

    void refusedAddEntryAddsNothing()
    {
        Opened o({"a", "Dear"});
        o.tbl.Last();
        const QString refusal = Refusal([&] { o.tbl.InsertAndPost(QStringLiteral("dear"), QString()); });
        QVERIFY2(refusal.contains(QLatin1String("UNIQUE")), qPrintable(refusal));
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        QCOMPARE(Names(o.tbl), (QStringList {"a", "Dear"}));
        QCOMPARE(o.tbl.Name(), QStringLiteral("Dear"));
        o.tbl.First(); // nothing pending any more
        QCOMPARE(o.Stored(), (QStringList {"a", "Dear"}));
    }

    void viewOpensButStoringIsRefused()
    {
        if (OnServer())
            QSKIP("a server's simple views take changes");
        Opened o({"b", "a"});
        QCOMPARE(
            o.lib.Other(QStringLiteral("CREATE VIEW V AS SELECT name, value FROM \"General\"")), QString());
        o.tbl.Open(o.lib.connection, QStringLiteral("V"));
        QCOMPARE(Names(o.tbl), (QStringList {"a", "b"}));
        o.tbl.Next();
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of b"));
        o.tbl.SetValue(QStringLiteral("changed"));
        QVERIFY(Refusal([&] { o.tbl.Post(); }).contains(QLatin1String("cannot modify V")));
        o.tbl.Cancel();
        QVERIFY(Refusal([&] { o.tbl.Delete(); }).contains(QLatin1String("cannot modify V")));
        QCOMPARE(o.tbl.RecordCount(), 2);
    }

    void unchangedFieldsDoNotStartAnEdit()
    {
        Opened o({"a"});
        QSignalSpy states(&o.tbl, &TTableDataset::stateChanged);
        o.tbl.SetName(QStringLiteral("a"));
        o.tbl.SetValue(QStringLiteral("text of a"));
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
        QCOMPARE(states.size(), 0);
        o.tbl.Edit();
        QVERIFY(!o.tbl.Modified());
        o.tbl.Next(); // an edit without changes is left without storing
        QCOMPARE(o.tbl.State(), DatasetState::Browse);
    }

    void closingTheConnectionClosesTheDataset()
    {
        Opened o({"a"});
        o.lib.connection.Close();
        QVERIFY(!o.tbl.Active());
        o.lib.connection.Open();
        o.tbl.Open(o.lib.connection, General);
        QCOMPARE(o.tbl.Name(), QStringLiteral("a"));
    }

    void anotherCopysStoresShowLiveAndNeverOverwriteAnUnsavedEdit()
    {
        if (!OnServer())
            QSKIP("a file library has no live updates");
        Opened o({"alpha", "bravo", "charlie"});
        TLibraryConnection secondLibrary;
        secondLibrary.SetDataSource(o.lib.Source());
        secondLibrary.Open();
        TTableDataset second;
        second.Open(secondLibrary, General);
        QSignalSpy secondRefreshes(&second, &TTableDataset::aboutToRefresh);

        // A store in the second copy shows in the first, whose current entry stays current.
        o.tbl.MoveTo(1);
        second.InsertAndPost(QStringLiteral("able"), QStringLiteral("new"));
        QTRY_COMPARE_WITH_TIMEOUT(Names(o.tbl), (QStringList {"able", "alpha", "bravo", "charlie"}), 5000);
        QCOMPARE(o.tbl.Name(), QStringLiteral("bravo"));
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of bravo"));

        // The second copy's own store read nothing again: the first notice it acts on is
        // another program's, which comes after its own.
        QCOMPARE(o.lib.Other(QStringLiteral("UPDATE \"General\" SET value = 'x' WHERE name = 'charlie'")),
            QString());
        QTRY_COMPARE_WITH_TIMEOUT(secondRefreshes.count(), 1, 5000);
        QCOMPARE(second.Name(), QStringLiteral("able"));

        // An edit typed in the first survives the second's change to that entry and to the
        // list, and its store is refused rather than overwriting the second's text.
        o.tbl.SetValue(QStringLiteral("mine"));
        QVERIFY(second.Locate(QStringLiteral("bravo")));
        second.SetValue(QStringLiteral("theirs"));
        second.Post();
        QVERIFY(second.Locate(QStringLiteral("charlie")));
        second.Delete();
        QTRY_COMPARE_WITH_TIMEOUT(Names(o.tbl), (QStringList {"able", "alpha", "bravo"}), 5000);
        QCOMPARE(o.tbl.State(), DatasetState::Edit);
        QCOMPARE(o.tbl.Value(), QStringLiteral("mine"));
        QVERIFY(Refusal([&] { o.tbl.Post(); }).contains(QLatin1String("changed by another program")));
        QCOMPARE(o.lib.Column(QStringLiteral("SELECT value FROM \"General\" WHERE name = 'bravo'")),
            QStringList {"theirs"});
    }

    void aServerRestartDuringAnEditKeepsTheSnapshotAndStoresTheEdit()
    {
        if (!OnServer())
            QSKIP("a file library has no server to lose");
        Opened o({"alpha", "bravo", "charlie"});
        o.tbl.MoveTo(1);
        o.tbl.MoveTo(0);
        const QString cluster = QUrlQuery(QUrl(TestServer())).queryItemValue(QStringLiteral("host"));
        QCOMPARE(QProcess::execute(QStringLiteral(PW_PG_CLUSTER), {QStringLiteral("pause"), cluster}), 0);
        bool paused = true;
        const auto resume = qScopeGuard([&] {
            if (paused)
                QProcess::execute(QStringLiteral(PW_PG_CLUSTER), {QStringLiteral("resume"), cluster});
        });
        QTRY_VERIFY_WITH_TIMEOUT(o.lib.connection.Lost(), 10000);

        // Searching works from the snapshot: an entry read before shows its text, one never
        // read shows it later; an edit is kept while its store cannot happen.
        QVERIFY(o.tbl.Locate(QStringLiteral("ch")));
        QVERIFY(o.tbl.ValuePending());
        QVERIFY(o.tbl.Locate(QStringLiteral("br")));
        QCOMPARE(o.tbl.Value(), QStringLiteral("text of bravo"));
        o.tbl.SetValue(QStringLiteral("edited while away"));
        QVERIFY(Refusal([&] { o.tbl.Post(); }).contains(QLatin1String("cannot be reached")));
        QCOMPARE(o.tbl.State(), DatasetState::Edit);

        paused = false;
        QCOMPARE(QProcess::execute(QStringLiteral(PW_PG_CLUSTER), {QStringLiteral("resume"), cluster}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!o.lib.connection.Lost(), 60000);
        QCOMPARE(o.tbl.Value(), QStringLiteral("edited while away"));
        o.tbl.Post();
        TTableDataset check;
        check.Open(o.lib.connection, General);
        QVERIFY(check.Locate(QStringLiteral("bravo")));
        QCOMPARE(check.Value(), QStringLiteral("edited while away"));
    }
};

QTEST_GUILESS_MAIN(TestTableDataset)
#include "tst_table_dataset.moc"
