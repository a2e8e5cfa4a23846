// The search box of the main window typed into for real: every keystroke finds the first
// entry whose name begins with the search text, and Up and Down walk the list from there.

#include "tests/support/MainWindowFixture.h"

#include <QFileInfo>
#include <QProcess>

namespace {

const QString kTable = QStringLiteral("Mail");

// In name order (letter case ignored), so the expectations below read against it.
const QStringList kNames = {
    QStringLiteral("100%"),
    QStringLiteral("1000"),
    QStringLiteral("100_x"),
    QStringLiteral("apple"),
    QStringLiteral("Apricot"),
    QStringLiteral("banana"),
    QStringLiteral("band"),
    QStringLiteral("Bandana"),
    QStringLiteral("C:\\temp"),
    QStringLiteral("cherry"),
    QStringLiteral("it"),
    QStringLiteral("it's"),
    QStringLiteral("O\"Neil"),
    QStringLiteral("o'clock"),
};

QString textOf(const QString& name)
{
    return QStringLiteral("text of ") + name;
}

EntryRows sampleRows()
{
    EntryRows rows;
    for (const QString& name : kNames)
        rows.append({name, textOf(name)});
    return rows;
}

} // namespace

class TestEntrySearch final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachKeystrokeFindsTheFirstNameWithThatPrefix_data();
    void eachKeystrokeFindsTheFirstNameWithThatPrefix();
    void upAndDownMoveFromTheSearchBoxAndStopAtTheEnds();
    void foundEntryIsScrolledIntoView();
    void searchGoesOnWhileAnotherProgramLocksTheFile();
};

void TestEntrySearch::eachKeystrokeFindsTheFirstNameWithThatPrefix_data()
{
    // '\b' in the keys is Backspace. The search starts on the last entry, so "stays"
    // can be told apart from "went to the first entry".
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("current");

    const QString last = kNames.last();
    QTest::newRow("letter by letter")
        << QStringLiteral("banda") << QStringList {"banana", "banana", "banana", "band", "Bandana"};
    QTest::newRow("upper case finds lower")
        << QStringLiteral("BAND") << QStringList {"banana", "banana", "banana", "band"};
    QTest::newRow("lower case finds upper")
        << QStringLiteral("apr") << QStringList {"apple", "apple", "Apricot"};
    QTest::newRow("back to empty stays")
        << QStringLiteral("cher\b\b\b\b")
        << QStringList {"C:\\temp", "cherry", "cherry", "cherry", "cherry", "cherry", "C:\\temp", "C:\\temp"};
    QTest::newRow("no match at all") << QStringLiteral("zq") << QStringList {last, last};
    QTest::newRow("no match after a match")
        << QStringLiteral("bandx") << QStringList {"banana", "banana", "banana", "band", "band"};
    QTest::newRow("percent alone") << QStringLiteral("%") << QStringList {last};
    QTest::newRow("underscore alone") << QStringLiteral("_") << QStringList {last};
    QTest::newRow("underscore is literal")
        << QStringLiteral("100_") << QStringList {"100%", "100%", "100%", "100_x"};
    QTest::newRow("percent inside") << QStringLiteral("1%") << QStringList {"100%", "100%"};
    QTest::newRow("star and question mark")
        << QStringLiteral("b*?") << QStringList {"banana", "banana", "banana"};
    QTest::newRow("single quote") << QStringLiteral("it'") << QStringList {"it", "it", "it's"};
    QTest::newRow("quote after o") << QStringLiteral("o'") << QStringList {"O\"Neil", "o'clock"};
    QTest::newRow("double quote") << QStringLiteral("o\"n") << QStringList {"O\"Neil", "O\"Neil", "O\"Neil"};
    QTest::newRow("backslash") << QStringLiteral("c:\\t")
                               << QStringList {"C:\\temp", "C:\\temp", "C:\\temp", "C:\\temp"};
}

void TestEntrySearch::eachKeystrokeFindsTheFirstNameWithThatPrefix()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, current);
    QCOMPARE(current.size(), keys.size());

    MainWindowFixture fx;
    fx.writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    fx.addTable(kTable, sampleRows());
    TfrmMain& form = fx.startForTyping();
    fx.click("actLast");
    QCOMPARE(form.tbl->Name(), kNames.last());
    QCOMPARE(fx.focused(), txtName(form));

    QString typed;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i] == QLatin1Char('\b')) {
            fx.press(Qt::Key_Backspace);
            typed.chop(1);
        } else {
            fx.type(keys[i]);
            typed += keys[i];
        }
        const QByteArray step = QByteArray::number(i) + ": \"" + typed.toUtf8() + '"';
        // The search never touches the search text.
        QVERIFY2(txtName(form)->text() == typed, step.constData());
        QVERIFY2(form.tbl->Name() == current[i], (step + " at " + form.tbl->Name().toUtf8()).constData());
        QVERIFY2(fx.shownName() == current[i], step.constData());
        QVERIFY2(memValue(form)->toPlainText() == textOf(current[i]), step.constData());
    }
    QVERIFY2(fx.boxes.isEmpty(), qPrintable(fx.boxes.texts().join(QLatin1Char('|'))));
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(fx.storedNames(kTable).size(), kNames.size());
}

void TestEntrySearch::upAndDownMoveFromTheSearchBoxAndStopAtTheEnds()
{
    MainWindowFixture fx;
    fx.writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    fx.addTable(kTable, sampleRows());
    TfrmMain& form = fx.startForTyping();
    fx.type(QStringLiteral("band"));
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));

    const auto check = [&](const QString& name) {
        QCOMPARE(form.tbl->Name(), name);
        QCOMPARE(fx.shownName(), name);
        QCOMPARE(memValue(form)->toPlainText(), textOf(name));
        QCOMPARE(txtName(form)->text(), QStringLiteral("band"));
        QCOMPARE(fx.focused(), txtName(form));
    };
    fx.press(Qt::Key_Up);
    check(QStringLiteral("banana"));
    fx.press(Qt::Key_Down);
    fx.press(Qt::Key_Down);
    check(QStringLiteral("Bandana"));

    fx.click("actFirst");
    fx.press(Qt::Key_Up);
    check(kNames.first());

    fx.click("actLast");
    fx.press(Qt::Key_Down);
    fx.press(Qt::Key_Down);
    check(kNames.last());
    // Down on the last entry starts no new one.
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->RecordCount(), kNames.size());
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size());
    QVERIFY(fx.boxes.isEmpty());
}

void TestEntrySearch::foundEntryIsScrolledIntoView()
{
    EntryRows rows;
    for (int i = 0; i < 2000; ++i)
        rows.append({QStringLiteral("entry %1").arg(i, 4, 10, QLatin1Char('0')), QString()});
    MainWindowFixture fx;
    fx.writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    fx.addTable(kTable, rows);
    TfrmMain& form = fx.startForTyping();

    for (const QString& prefix :
        {QStringLiteral("entry 19"), QStringLiteral("entry 07"), QStringLiteral("entry 1999")}) {
        txtName(form)->clear();
        fx.type(prefix);
        QVERIFY(form.tbl->Name().startsWith(prefix));
        const QModelIndex index = grdName(form)->currentIndex();
        QCOMPARE(index.row(), form.tbl->CurrentRow());
        // Highlighted and inside the visible part of the grid.
        QVERIFY(grdName(form)->selectionModel()->isRowSelected(index.row(), QModelIndex()));
        // The 400-pixel column is wider than the grid, so only the rows are compared.
        const QRect cell = grdName(form)->visualRect(index);
        const QRect view = grdName(form)->viewport()->rect();
        QVERIFY2(cell.top() >= view.top() && cell.bottom() <= view.bottom(), qPrintable(prefix));
    }
}

void TestEntrySearch::searchGoesOnWhileAnotherProgramLocksTheFile()
{
    MainWindowFixture fx;
    fx.writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    fx.addTable(kTable, sampleRows());
    TfrmMain& form = fx.startForTyping();

    // Another program takes the file with an exclusive lock and keeps it until told.
    const QString locked = QFileInfo(fx.library).dir().filePath(QStringLiteral("locked"));
    QProcess other;
    other.start(QStringLiteral("sqlite3"), {fx.library});
    QVERIFY2(other.waitForStarted(10000), "the sqlite3 command-line program is needed");
    other.write(QStringLiteral("BEGIN EXCLUSIVE;\n.shell touch '%1'\n").arg(locked).toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(locked), 10000);

    // Searching and moving need only the names read at open: every key counts at once.
    fx.type(QStringLiteral("ban"));
    fx.press(Qt::Key_Down);
    QCOMPARE(txtName(form)->text(), QStringLiteral("ban"));
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));
    QCOMPARE(fx.shownName(), QStringLiteral("band"));
    QVERIFY2(fx.boxes.isEmpty(), qPrintable(fx.boxes.texts().join(QLatin1Char('|'))));
    // The entry's text cannot be read yet; the memo takes no typing that would replace it.
    fx.focus(memValue(form));
    fx.type(QStringLiteral("x"));
    QCOMPARE(memValue(form)->toPlainText(), QString());

    other.write("COMMIT;\n.quit\n");
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(10000));
    QTRY_COMPARE_WITH_TIMEOUT(memValue(form)->toPlainText(), textOf(QStringLiteral("band")), 10000);
    QVERIFY(!memValue(form)->isReadOnly());
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QVERIFY(fx.boxes.isEmpty());
}

PW_APPLICATION_TEST_MAIN(TestEntrySearch)
#include "tst_entry_search.moc"
