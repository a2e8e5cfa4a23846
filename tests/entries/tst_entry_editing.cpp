// Adding, renaming, editing and deleting entries from the keyboard and the toolbar of the
// real main window, checked against what the library file really holds afterwards.

#include "tests/entries/EntrySample.h"

#include <QAbstractItemModelTester>
#include <QClipboard>

using namespace EntrySample;

class TestEntryEditing final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<MainWindowFixture>();
        // The tray icon has no place on the offscreen desktop.
        m_fx->writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    }
    void cleanup() { m_fx.reset(); }

    void addWithSearchTextStoresItAtOnceAsTyped_data();
    void addWithSearchTextStoresItAtOnceAsTyped();
    void untouchedBlankEntryIsDiscardedByAMove_data();
    void untouchedBlankEntryIsDiscardedByAMove();
    void blankEntryIsStoredOnceNamed();
    void downOnTheLastEntryStartsOneAfterIt();
    void clickHighlightsTheEntryItMadeCurrent();
    void escDiscardsTheCellThenTheEntry();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void memoKeepsTheEntryTextExact();
    void nameInTheOpenEditorIsKept_data();
    void nameInTheOpenEditorIsKept();
    void addFromTheToolbarKeepsTheNameInTheOpenEditor_data();
    void addFromTheToolbarKeepsTheNameInTheOpenEditor();
    void deletingABlankEntryNeverDeletesAStoredOne_data();
    void deletingABlankEntryNeverDeletesAStoredOne();
    void memoTextIsStoredByEveryMoveAndAtExit_data();
    void memoTextIsStoredByEveryMoveAndAtExit();
    void enterInTheGridPastesOnlyWithNoCellEdited_data();
    void enterInTheGridPastesOnlyWithNoCellEdited();
    void tabInTheGridGoesToTheMemo_data();
    void tabInTheGridGoesToTheMemo();
    void withNoTableOpenEntryInputDoesNothing_data();
    void withNoTableOpenEntryInputDoesNothing();
    void memoOfAnEmptyTableStartsAnEntry();
    void entryListFollowsEveryChangeAsAModel();

private:
    std::unique_ptr<MainWindowFixture> m_fx;
};

void TestEntryEditing::addWithSearchTextStoresItAtOnceAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("spaces around") << QStringLiteral("  lead ");
    QTest::newRow("quotes and wildcards") << QStringLiteral("O'Brien \"%_\"");
    QTest::newRow("prefix of another") << QStringLiteral("ban");
}

void TestEntryEditing::addWithSearchTextStoresItAtOnceAsTyped()
{
    QFETCH(QString, name);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->type(name);
    m_fx->click("actAdd");

    QCOMPARE(m_fx->storedValue(kTable, name), QString());
    QCOMPARE(m_fx->storedNames(kTable).size(), kNames.size() + 1);
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->Name(), name);
    QCOMPARE(m_fx->shownName(), name);
    QCOMPARE(memValue(form)->toPlainText(), QString());
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size() + 1);
    QCOMPARE(m_fx->focused(), txtName(form));
    QCOMPARE(txtName(form)->text(), name);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::untouchedBlankEntryIsDiscardedByAMove_data()
{
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("after");
    QTest::newRow("next command") << QStringLiteral("next") << QStringLiteral("band");
    QTest::newRow("up in search box") << QStringLiteral("up") << QStringLiteral("banana");
    QTest::newRow("typing a search") << QStringLiteral("search") << QStringLiteral("cherry");
    QTest::newRow("leaving the grid") << QStringLiteral("leave grid") << QStringLiteral("band");
}

void TestEntryEditing::untouchedBlankEntryIsDiscardedByAMove()
{
    QFETCH(QString, move);
    QFETCH(QString, after);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->click("actAdd");

    // A blank row in front of the entry that was current.
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    QCOMPARE(form.tbl->CurrentRow(), kBand);
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size() + 1);
    QCOMPARE(grdName(form)->currentIndex().row(), kBand);
    QCOMPARE(m_fx->shownName(), QString());
    QCOMPARE(grdName(form)->model()->index(kBand + 1, 0).data().toString(), QStringLiteral("band"));
    QCOMPARE(grdName(form)->model()->headerData(kBand, Qt::Vertical).toString(), QStringLiteral("*"));
    QCOMPARE(memValue(form)->toPlainText(), QString());
    QCOMPARE(m_fx->focused(), txtName(form));

    if (move == QLatin1String("next")) {
        m_fx->click("actNext");
    } else if (move == QLatin1String("up")) {
        m_fx->press(Qt::Key_Up);
    } else if (move == QLatin1String("search")) {
        m_fx->type(QStringLiteral("ch"));
    } else {
        m_fx->tabIntoGrid();
        QCOMPARE(form.tbl->State(), DatasetState::Insert);
        m_fx->press(Qt::Key_Tab);
        QCOMPARE(m_fx->focused(), memValue(form));
    }
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->RecordCount(), kNames.size());
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size());
    QCOMPARE(form.tbl->Name(), after);
    QCOMPARE(m_fx->shownName(), after);
    QCOMPARE(memValue(form)->toPlainText(), textOf(after));
    QCOMPARE(m_fx->storedNames(kTable), kNames);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::blankEntryIsStoredOnceNamed()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->click("actAdd");
    m_fx->tabIntoGrid();
    // Typing a character opens the cell's editor with it.
    m_fx->type(QStringLiteral("kiwi"));
    QVERIFY(m_fx->waitForCellEditor());
    QCOMPARE(m_fx->cellEditor()->text(), QStringLiteral("kiwi"));
    m_fx->press(Qt::Key_Return);
    QVERIFY(m_fx->waitForCellEditorClosed());
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    m_fx->press(Qt::Key_Tab);
    QCOMPARE(m_fx->focused(), memValue(form));
    m_fx->type(QStringLiteral("fruit"));
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("kiwi")), QStringLiteral("<missing>"));

    m_fx->click("actFirst");
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("kiwi")), QStringLiteral("fruit"));
    QCOMPARE(form.tbl->Name(), kNames.first());
    QCOMPARE(form.tbl->RecordCount(), kNames.size() + 1);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::downOnTheLastEntryStartsOneAfterIt()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->tabIntoGrid();
    m_fx->press(Qt::Key_End);
    QCOMPARE(form.tbl->Name(), kNames.last());
    m_fx->press(Qt::Key_Down);
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    QCOMPARE(form.tbl->CurrentRow(), kNames.size());
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size() + 1);
    // A second Down on the untouched new row starts no other.
    m_fx->press(Qt::Key_Down);
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size() + 1);

    m_fx->type(QStringLiteral("zest"));
    QVERIFY(m_fx->waitForCellEditor());
    m_fx->press(Qt::Key_Return);
    QVERIFY(m_fx->waitForCellEditorClosed());
    // Named, it is stored by the next Down, which starts the next new one.
    m_fx->press(Qt::Key_Down);
    QCOMPARE(m_fx->storedNames(kTable), kNames + QStringList {QStringLiteral("zest")});
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    m_fx->press(Qt::Key_Escape);
    QCOMPARE(form.tbl->Name(), QStringLiteral("zest"));
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size() + 1);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::clickHighlightsTheEntryItMadeCurrent()
{
    TfrmMain& form = startOnBand(*m_fx);
    // A blank row before band; clicking band drops it, and the rows below move up.
    m_fx->click("actAdd");
    QCOMPARE(form.tbl->CurrentRow(), kBand);
    m_fx->clickRow(kBand + 1);
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));
    QCOMPARE(form.tbl->CurrentRow(), kBand);
    const QModelIndexList selected = grdName(form)->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), kBand);
    QCOMPARE(grdName(form)->currentIndex().row(), kBand);
}

void TestEntryEditing::escDiscardsTheCellThenTheEntry()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->focus(memValue(form));
    m_fx->press(Qt::Key_End, Qt::ControlModifier);
    m_fx->type(QStringLiteral(" more"));
    QCOMPARE(form.tbl->State(), DatasetState::Edit);
    m_fx->press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(m_fx->focused(), grdName(form));

    m_fx->press(Qt::Key_F2);
    QVERIFY(m_fx->waitForCellEditor());
    QLineEdit* editor = m_fx->cellEditor();
    QVERIFY(QTest::qWaitFor([editor] { return !editor->hasSelectedText(); }, 5000));
    m_fx->type(QStringLiteral("zz"));
    QCOMPARE(editor->text(), QStringLiteral("bandzz"));

    m_fx->press(Qt::Key_Escape);
    QVERIFY(!grdName(form)->IsEditingCell());
    QCOMPARE(m_fx->shownName(), QStringLiteral("band"));
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));
    QCOMPARE(form.tbl->State(), DatasetState::Edit);
    QCOMPARE(memValue(form)->toPlainText(), textOf(QStringLiteral("band")) + QStringLiteral(" more"));

    m_fx->press(Qt::Key_Escape);
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(memValue(form)->toPlainText(), textOf(QStringLiteral("band")));
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("band")), textOf(QStringLiteral("band")));
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("inGrid");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("question");
    const QString command = QStringLiteral("Are you sure to delete the current record?");
    const QString grid = QStringLiteral("Delete record?");
    QTest::newRow("command, OK") << false << true << command;
    QTest::newRow("command, Cancel") << false << false << command;
    QTest::newRow("Ctrl+Delete, OK") << true << true << grid;
    QTest::newRow("Ctrl+Delete, Cancel") << true << false << grid;
}

void TestEntryEditing::deleteAsksFirst()
{
    QFETCH(bool, inGrid);
    QFETCH(bool, ok);
    QFETCH(QString, question);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->boxes.answer = ok;
    if (inGrid) {
        m_fx->tabIntoGrid();
        m_fx->press(Qt::Key_Delete, Qt::ControlModifier);
    } else {
        m_fx->click("actDelete");
    }
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(m_fx->boxes[0].kind, BoxKind::Confirm);
    QCOMPARE(m_fx->boxes[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(m_fx->boxes[0].text, question);

    QStringList expected = kNames;
    if (ok)
        expected.removeAt(kBand);
    QCOMPARE(m_fx->storedNames(kTable), expected);
    QCOMPARE(grdName(form)->model()->rowCount(), expected.size());
    // The entry that followed the deleted one takes its place.
    const QString current = ok ? QStringLiteral("Bandana") : QStringLiteral("band");
    QCOMPARE(form.tbl->Name(), current);
    QCOMPARE(m_fx->shownName(), current);
    QCOMPARE(memValue(form)->toPlainText(), textOf(current));
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
}

void TestEntryEditing::memoKeepsTheEntryTextExact()
{
    // Non-breaking spaces, Windows line ends and a lone CR, as a library carried over from
    // another system holds them.
    const QString text = QStringLiteral("Dear\u00a0Ann,\r\nsee you\rsoon");
    m_fx->addTable(kTable, {{QStringLiteral("note"), text}});
    TfrmMain& form = m_fx->startForTyping();
    QCOMPARE(form.tbl->Name(), QStringLiteral("note"));

    // Read as it is: copied byte for byte and nothing stored.
    QVERIFY(form.Copy());
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    QCOMPARE(form.tbl->State(), DatasetState::Browse);

    // Typed into: only the typed text is new, and a new line break is of the entry's kind.
    m_fx->focus(memValue(form));
    m_fx->press(Qt::Key_End, Qt::ControlModifier);
    m_fx->type(QStringLiteral("!"));
    m_fx->press(Qt::Key_Return);
    m_fx->type(QStringLiteral("Bo"));
    QVERIFY(form.Copy());
    const QString edited = QStringLiteral("Dear\u00a0Ann,\r\nsee you\rsoon!\r\nBo");
    QCOMPARE(QGuiApplication::clipboard()->text(), edited);
    m_fx->click("actFirst");
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("note")), edited);
}

void TestEntryEditing::nameInTheOpenEditorIsKept_data()
{
    // Ways to move on that leave the focus in the cell editor.
    QTest::addColumn<QString>("move");
    QTest::newRow("next command") << QStringLiteral("next");
    QTest::newRow("last command") << QStringLiteral("last");
    QTest::newRow("tab click") << QStringLiteral("tab");
    QTest::newRow("exit") << QStringLiteral("exit");
}

void TestEntryEditing::nameInTheOpenEditorIsKept()
{
    QFETCH(QString, move);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->tabIntoGrid();
    m_fx->click("actEdit");
    QVERIFY(m_fx->waitForCellEditor());
    m_fx->type(QStringLiteral("width"));
    QVERIFY(grdName(form)->IsEditingCell());
    QCOMPARE(m_fx->cellEditor()->text(), QStringLiteral("bandwidth"));

    if (move == QLatin1String("next"))
        m_fx->click("actNext");
    else if (move == QLatin1String("last"))
        m_fx->click("actLast");
    else if (move == QLatin1String("tab"))
        m_fx->clickTab(1);
    else
        form.FormDestroy();

    QStringList expected = kNames;
    expected[kBand] = QStringLiteral("bandwidth");
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(m_fx->storedNames(kTable), expected);
    QVERIFY(m_fx->boxes.isEmpty());
    // Next goes to the entry that followed the edited one on screen.
    if (move == QLatin1String("next"))
        QCOMPARE(form.tbl->Name(), QStringLiteral("Bandana"));
    else if (move == QLatin1String("last"))
        QCOMPARE(form.tbl->Name(), QStringLiteral("cherry"));
    else if (move == QLatin1String("tab"))
        QCOMPARE(form.tbl->TableName(), kOther);
    if (move == QLatin1String("exit"))
        m_fx->form.reset();
}

void TestEntryEditing::deletingABlankEntryNeverDeletesAStoredOne_data()
{
    QTest::addColumn<bool>("inGrid");
    // A real box takes the focus from the grid while it is open.
    QTest::addColumn<bool>("boxTakesFocus");
    QTest::newRow("command") << false << false;
    QTest::newRow("command, box takes the focus") << false << true;
    QTest::newRow("Ctrl+Delete, box takes the focus") << true << true;
}

void TestEntryEditing::deletingABlankEntryNeverDeletesAStoredOne()
{
    QFETCH(bool, inGrid);
    QFETCH(bool, boxTakesFocus);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->tabIntoGrid();
    m_fx->press(Qt::Key_Insert);
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    if (boxTakesFocus) {
        m_fx->boxes.whileOpen = [&form] {
            QWidget box;
            box.show();
            box.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            QVERIFY(!grdName(form)->hasFocus());
        };
    }
    if (inGrid)
        m_fx->press(Qt::Key_Delete, Qt::ControlModifier);
    else
        m_fx->click("actDelete");
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(m_fx->storedNames(kTable), kNames);
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size());
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));
}

void TestEntryEditing::memoTextIsStoredByEveryMoveAndAtExit_data()
{
    QTest::addColumn<QString>("move");
    QTest::newRow("typing a search") << QStringLiteral("search");
    QTest::newRow("up in search box") << QStringLiteral("up");
    QTest::newRow("next command") << QStringLiteral("next");
    QTest::newRow("down in grid") << QStringLiteral("grid down");
    QTest::newRow("click in grid") << QStringLiteral("grid click");
    QTest::newRow("table switch") << QStringLiteral("tab");
    QTest::newRow("exit") << QStringLiteral("exit");
}

void TestEntryEditing::memoTextIsStoredByEveryMoveAndAtExit()
{
    QFETCH(QString, move);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->focus(memValue(form));
    m_fx->press(Qt::Key_A, Qt::ControlModifier);
    m_fx->type(QStringLiteral("first"));
    m_fx->press(Qt::Key_Return);
    m_fx->type(QStringLiteral("second"));
    const QString typed = QStringLiteral("first\nsecond");
    QCOMPARE(memValue(form)->toPlainText(), typed);
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("band")), textOf(QStringLiteral("band")));

    if (move == QLatin1String("search")) {
        m_fx->focusSearchBox();
        m_fx->type(QStringLiteral("ch"));
        QCOMPARE(form.tbl->Name(), QStringLiteral("cherry"));
    } else if (move == QLatin1String("up")) {
        m_fx->focusSearchBox();
        m_fx->press(Qt::Key_Up);
        QCOMPARE(form.tbl->Name(), QStringLiteral("banana"));
    } else if (move == QLatin1String("next")) {
        m_fx->click("actNext");
        QCOMPARE(form.tbl->Name(), QStringLiteral("Bandana"));
    } else if (move == QLatin1String("grid down")) {
        m_fx->focus(grdName(form));
        m_fx->press(Qt::Key_Down);
        QCOMPARE(form.tbl->Name(), QStringLiteral("Bandana"));
    } else if (move == QLatin1String("grid click")) {
        m_fx->clickRow(0);
        QCOMPARE(form.tbl->Name(), QStringLiteral("apple"));
    } else if (move == QLatin1String("tab")) {
        m_fx->clickTab(1);
        QCOMPARE(form.tbl->TableName(), kOther);
    } else {
        form.FormDestroy();
    }
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("band")), typed);
    QCOMPARE(m_fx->storedNames(kTable), kNames);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::enterInTheGridPastesOnlyWithNoCellEdited_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("Enter") << false;
    QTest::newRow("double click") << true;
}

void TestEntryEditing::enterInTheGridPastesOnlyWithNoCellEdited()
{
    QFETCH(bool, doubleClick);
    TfrmMain& form = startOnBand(*m_fx);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    m_fx->tabIntoGrid();

    // Enter with the editor open only ends the edit.
    m_fx->press(Qt::Key_F2);
    QVERIFY(m_fx->waitForCellEditor());
    QLineEdit* editor = m_fx->cellEditor();
    QVERIFY(QTest::qWaitFor([editor] { return !editor->hasSelectedText(); }, 5000));
    m_fx->type(QStringLiteral("s"));
    m_fx->press(Qt::Key_Return);
    QVERIFY(m_fx->waitForCellEditorClosed());
    QCOMPARE(form.tbl->State(), DatasetState::Edit);
    QCOMPARE(m_fx->shownName(), QStringLiteral("bands"));
    QCOMPARE(m_fx->desktop.pasteKeySends(), 0);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    if (doubleClick) {
        const QRect cell = grdName(form)->visualRect(grdName(form)->model()->index(kBand, 0));
        QTest::mouseDClick(grdName(form)->viewport(), Qt::LeftButton, {}, QPoint(20, cell.center().y()));
    } else {
        m_fx->press(Qt::Key_Return);
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), textOf(QStringLiteral("band")));
    QCOMPARE(m_fx->desktop.pasteKeySends(), 1);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::tabInTheGridGoesToTheMemo_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<bool>("editing");
    QTest::newRow("Tab") << false << false;
    QTest::newRow("Shift+Tab") << true << false;
    QTest::newRow("Tab in the editor") << false << true;
    QTest::newRow("Shift+Tab in the editor") << true << true;
}

void TestEntryEditing::tabInTheGridGoesToTheMemo()
{
    QFETCH(bool, backwards);
    QFETCH(bool, editing);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->tabIntoGrid();
    if (editing) {
        m_fx->press(Qt::Key_F2);
        QVERIFY(m_fx->waitForCellEditor());
        QLineEdit* editor = m_fx->cellEditor();
        QVERIFY(QTest::qWaitFor([editor] { return !editor->hasSelectedText(); }, 5000));
        m_fx->type(QStringLiteral("s"));
    }
    if (backwards)
        m_fx->press(Qt::Key_Backtab, Qt::ShiftModifier);
    else
        m_fx->press(Qt::Key_Tab);
    QCOMPARE(m_fx->focused(), memValue(form));
    QVERIFY(m_fx->waitForCellEditorClosed());
    // Still on the same entry; a name typed in the editor is kept as a pending change.
    const QString name = editing ? QStringLiteral("bands") : QStringLiteral("band");
    QCOMPARE(form.tbl->CurrentRow(), kBand);
    QCOMPARE(form.tbl->Name(), name);
    QCOMPARE(m_fx->shownName(), name);
    QCOMPARE(form.tbl->State(), editing ? DatasetState::Edit : DatasetState::Browse);
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestEntryEditing::addFromTheToolbarKeepsTheNameInTheOpenEditor_data()
{
    QTest::addColumn<bool>("byShortcut");
    QTest::newRow("editor opened with Ctrl+E") << true;
    QTest::newRow("editor opened by typing") << false;
}

void TestEntryEditing::addFromTheToolbarKeepsTheNameInTheOpenEditor()
{
    QFETCH(bool, byShortcut);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->type(QStringLiteral("zz")); // no entry starts so: band stays current
    m_fx->tabIntoGrid();
    if (byShortcut) {
        m_fx->press(Qt::Key_E, Qt::ControlModifier);
        QVERIFY(m_fx->waitForCellEditor());
    }
    m_fx->type(QStringLiteral("X"));
    QVERIFY(m_fx->waitForCellEditor());
    const QString renamed = m_fx->cellEditor()->text();
    QVERIFY(renamed.endsWith(QLatin1Char('X')));
    m_fx->click("actAdd");

    // The rename is stored on band's own row, and the new entry is a row of its own.
    QStringList expected = kNames;
    expected[kBand] = renamed;
    expected << QStringLiteral("zz");
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(m_fx->storedNames(kTable), expected);
    QCOMPARE(m_fx->storedValue(kTable, renamed), textOf(QStringLiteral("band")));
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("zz")), QString());
    QCOMPARE(form.tbl->Name(), QStringLiteral("zz"));
    QVERIFY2(m_fx->boxes.isEmpty(), qPrintable(m_fx->boxes.texts().join(QLatin1Char('|'))));
}

void TestEntryEditing::withNoTableOpenEntryInputDoesNothing_data()
{
    QTest::addColumn<bool>("libraryExists");
    QTest::newRow("library without tables") << true;
    QTest::newRow("no library file") << false;
}

void TestEntryEditing::withNoTableOpenEntryInputDoesNothing()
{
    QFETCH(bool, libraryExists);
    if (libraryExists) {
        m_fx->addTable(kTable);
        m_fx->dropTable(kTable);
    }
    TfrmMain& form = m_fx->startForTyping();
    QVERIFY(!form.tbl->Active());
    // A missing file was reported at start-up; from here on nothing more is.
    QCOMPARE(m_fx->boxes.isEmpty(), libraryExists);
    m_fx->boxes.clear();

    m_fx->type(QStringLiteral("abc"));
    m_fx->press(Qt::Key_Up);
    m_fx->press(Qt::Key_Down);
    m_fx->press(Qt::Key_E, Qt::ControlModifier);
    for (const char* name :
        {"actAdd", "actDelete", "actEdit", "actFirst", "actPrevious", "actNext", "actLast"})
        m_fx->click(name);
    m_fx->tabIntoGrid();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown,
             Qt::Key_Insert, Qt::Key_F2, Qt::Key_X, Qt::Key_Escape})
        m_fx->press(key);
    m_fx->press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_fx->focused(), grdName(form));
    QVERIFY(!grdName(form)->IsEditingCell());

    QVERIFY2(m_fx->boxes.isEmpty(), qPrintable(m_fx->boxes.texts().join(QLatin1Char('|'))));
    QVERIFY(!form.tbl->Active());
    QCOMPARE(grdName(form)->model()->rowCount(), 0);
    QCOMPARE(txtName(form)->text(), QStringLiteral("abc"));

    // Text typed into the memo would belong to no entry and vanish later; it is not taken.
    m_fx->focus(memValue(form));
    m_fx->type(QStringLiteral("lost"));
    QCOMPARE(memValue(form)->toPlainText(), QString());
}

void TestEntryEditing::memoOfAnEmptyTableStartsAnEntry()
{
    m_fx->addTable(kTable);
    TfrmMain& form = m_fx->startForTyping();
    QVERIFY(form.tbl->Active());
    m_fx->focus(memValue(form));
    m_fx->type(QStringLiteral("kept"));
    QCOMPARE(memValue(form)->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    QCOMPARE(grdName(form)->model()->rowCount(), 1);

    // The entry is kept with the name typed later.
    m_fx->focus(grdName(form));
    m_fx->type(QStringLiteral("new"));
    QVERIFY(m_fx->waitForCellEditor());
    m_fx->press(Qt::Key_Return);
    QVERIFY(m_fx->waitForCellEditorClosed());
    m_fx->click("actFirst");
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("new")), QStringLiteral("kept"));
    QVERIFY(m_fx->boxes.isEmpty());
}

// The grid keeps its current row, selection and scroll place through a change only when the
// model announces each row that comes, goes or moves exactly; a reset would lose them all.
void TestEntryEditing::entryListFollowsEveryChangeAsAModel()
{
    TfrmMain& form = startOnBand(*m_fx);
    QAbstractItemModel* model = grdName(form)->model();
    const QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QPersistentModelIndex cherry = model->index(int(kNames.indexOf(QStringLiteral("cherry"))), 0);
    const auto cherryIsWhereTheFileHasIt = [&] {
        QCOMPARE(cherry.data().toString(), QStringLiteral("cherry"));
        QCOMPARE(cherry.row(), m_fx->storedNames(kTable).indexOf(QStringLiteral("cherry")));
    };

    // Added from the search box, the new entry moves down from the row it was started on.
    m_fx->type(QStringLiteral("zz"));
    m_fx->click("actAdd");
    const QPersistentModelIndex added = grdName(form)->currentIndex();
    QCOMPARE(added.row(), model->rowCount() - 1);
    cherryIsWhereTheFileHasIt();

    // Renamed in the grid and stored by the next move, it moves up past every other entry.
    m_fx->tabIntoGrid();
    m_fx->click("actEdit");
    QVERIFY(m_fx->waitForCellEditor());
    m_fx->press(Qt::Key_Home);
    m_fx->type(QStringLiteral("aa"));
    m_fx->press(Qt::Key_Return);
    QVERIFY(m_fx->waitForCellEditorClosed());
    m_fx->click("actFirst");
    QCOMPARE(added.data().toString(), QStringLiteral("aazz"));
    QCOMPARE(added.row(), 0);
    cherryIsWhereTheFileHasIt();

    // A blank row started and given up again, then a stored entry deleted.
    m_fx->press(Qt::Key_Insert);
    QCOMPARE(model->rowCount(), kNames.size() + 2);
    m_fx->press(Qt::Key_Down);
    QCOMPARE(model->rowCount(), kNames.size() + 1);
    m_fx->click("actDelete");
    cherryIsWhereTheFileHasIt();

    // Another table and back: the list is read afresh.
    m_fx->clickTab(1);
    m_fx->clickTab(0);
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 0).data().toString();
    QCOMPARE(shown, m_fx->storedNames(kTable));
    QCOMPARE(m_fx->boxes.kinds(), QList<BoxKind> {BoxKind::Confirm});
}

PW_APPLICATION_TEST_MAIN(TestEntryEditing)
#include "tst_entry_editing.moc"
