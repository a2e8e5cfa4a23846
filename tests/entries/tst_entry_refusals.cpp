// Stores the engine refuses and deletions with nothing to delete: the error box shows the
// engine's words once, nothing reaches the file, and the move that asked for the store
// does not happen.

#include "tests/entries/EntrySample.h"

#include "library/LibrarySession.h"

#include <QProcess>
#include <QTextCursor>

#include <unistd.h>

using namespace EntrySample;

namespace {
// Write-protects a file while it lives. Permissions do not stop root; the file system's
// immutable flag does.
class WriteProtected final {
public:
    explicit WriteProtected(QString path)
        : m_path(std::move(path))
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (!active())
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
    }
    ~WriteProtected()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    WriteProtected(const WriteProtected&) = delete;
    WriteProtected& operator=(const WriteProtected&) = delete;
    bool active() const { return ::access(QFile::encodeName(m_path).constData(), W_OK) != 0; }

private:
    QString m_path;
    bool m_immutable = false;
};

// The memo's text with more typed at its end, as the user would add it.
QString typeAtTheEndOfTheMemo(MainWindowFixture& fx, const QString& more)
{
    fx.focus(memValue(*fx.form));
    memValue(*fx.form)->moveCursor(QTextCursor::End);
    fx.type(more);
    return memValue(*fx.form)->toPlainText();
}
} // namespace

class TestEntryRefusals final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<MainWindowFixture>();
        // The tray icon has no place on the offscreen desktop.
        m_fx->writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    }
    void cleanup() { m_fx.reset(); }

    void addWithATakenNameShowsTheEngineErrorAndAddsNothing_data();
    void addWithATakenNameShowsTheEngineErrorAndAddsNothing();
    void untouchedBlankEntryIsRefusedOnATableSwitch();
    void renameToATakenNameIsRefusedAndStaysInEditing();
    void deleteOnAnEmptyTable();
    void refusedChangeIsKeptAsANewEntryAndTheSwitchGoesOn();
    void exitWithARefusedChangeAsksAndMayBeCalledOff();
    void readOnlyLibraryIsSaidOnceAndCannotBeChanged();

private:
    std::unique_ptr<MainWindowFixture> m_fx;
};

void TestEntryRefusals::addWithATakenNameShowsTheEngineErrorAndAddsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("same case") << QStringLiteral("banana");
    QTest::newRow("other case") << QStringLiteral("BANANA");
}

void TestEntryRefusals::addWithATakenNameShowsTheEngineErrorAndAddsNothing()
{
    QFETCH(QString, name);
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->type(name);
    m_fx->click("actAdd");

    QCOMPARE(m_fx->boxes.kinds(), QList<BoxKind> {BoxKind::Error});
    QVERIFY(!m_fx->boxes[0].text.isEmpty());
    QCOMPARE(m_fx->storedNames(kTable), kNames);
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->RecordCount(), kNames.size());
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size());
    QCOMPARE(form.tbl->Name(), QStringLiteral("banana"));

    // Nothing was left pending to be refused again on the next move.
    m_fx->click("actNext");
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));
}

void TestEntryRefusals::untouchedBlankEntryIsRefusedOnATableSwitch()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->click("actAdd");
    m_fx->clickTab(1);

    // Closing a table stores even an untouched new entry, and the engine wants a name.
    QCOMPARE(m_fx->boxes.kinds(), QList<BoxKind> {BoxKind::Error});
    QCOMPARE(form.tbl->TableName(), kTable);
    QCOMPARE(form.findChild<LibrarySession*>()->CurTable(), kTable);
    QCOMPARE(TabCtrl(form)->currentIndex(), 0);
    QCOMPARE(form.tbl->State(), DatasetState::Insert);
    QCOMPARE(grdName(form)->model()->rowCount(), kNames.size() + 1);
    QCOMPARE(m_fx->storedNames(kTable), kNames);

    // Esc in the grid gives the blank entry up; then the switch goes through.
    m_fx->tabIntoGrid();
    m_fx->press(Qt::Key_Escape);
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->Name(), QStringLiteral("band"));
    m_fx->clickTab(1);
    QCOMPARE(form.tbl->TableName(), kOther);
    QCOMPARE(m_fx->shownName(), QStringLiteral("loop"));
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(m_fx->storedNames(kTable), kNames);
}

void TestEntryRefusals::renameToATakenNameIsRefusedAndStaysInEditing()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->boxes.answer = false; // Go Back, every time the refusal asks
    // Ctrl+E from the search box: the focus stays, the editor opens once the grid has it.
    m_fx->press(Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(m_fx->focused(), txtName(form));
    QVERIFY(!grdName(form)->IsEditingCell());
    m_fx->tabIntoGrid();
    QVERIFY(m_fx->waitForCellEditor());
    QLineEdit* editor = m_fx->cellEditor();
    QVERIFY(QTest::qWaitFor([editor] { return !editor->hasSelectedText(); }, 5000));
    QCOMPARE(editor->text(), QStringLiteral("band"));
    QCOMPARE(editor->cursorPosition(), 4);

    editor->selectAll();
    m_fx->type(QStringLiteral("CHERRY"));
    m_fx->press(Qt::Key_Return);
    QVERIFY(m_fx->waitForCellEditorClosed());
    QCOMPARE(form.tbl->State(), DatasetState::Edit);
    QCOMPARE(m_fx->shownName(), QStringLiteral("CHERRY"));

    // Every kind of move stores first, is refused, and does not happen.
    const auto refused = [&](const char* how, qsizetype boxes) {
        QVERIFY2(m_fx->boxes.size() == boxes, how);
        QVERIFY2(m_fx->boxes.last().kind == BoxKind::Choice, how);
        QVERIFY2(form.tbl->State() == DatasetState::Edit, how);
        QVERIFY2(form.tbl->CurrentRow() == kBand, how);
        QVERIFY2(form.tbl->Name() == QStringLiteral("CHERRY"), how);
        QVERIFY2(QTest::qWaitFor([&] { return grdName(form)->currentIndex().row() == kBand; }, 5000), how);
        QVERIFY2(m_fx->shownName() == QStringLiteral("CHERRY"), how);
        QVERIFY2(m_fx->storedNames(kTable) == kNames, how);
    };
    m_fx->press(Qt::Key_Down);
    refused("down in grid", 1);
    m_fx->click("actLast");
    refused("last command", 2);
    m_fx->clickRow(0);
    refused("click on another row", 3);

    // Esc with no editor open gives up the rename; moving works again.
    m_fx->focus(grdName(form));
    m_fx->press(Qt::Key_Escape);
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(m_fx->shownName(), QStringLiteral("band"));
    m_fx->press(Qt::Key_Down);
    QCOMPARE(form.tbl->Name(), QStringLiteral("Bandana"));
    QCOMPARE(m_fx->boxes.size(), 3);
}

void TestEntryRefusals::deleteOnAnEmptyTable()
{
    m_fx->addTable(kTable);
    TfrmMain& form = m_fx->startForTyping();
    // The grid has nothing to delete and does not ask.
    m_fx->tabIntoGrid();
    m_fx->press(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(m_fx->boxes.isEmpty());

    // The command asks first; the data layer then reports that there is nothing to delete.
    m_fx->click("actDelete");
    QCOMPARE(m_fx->boxes.kinds(), (QList<BoxKind> {BoxKind::Confirm, BoxKind::Error}));
    QCOMPARE(m_fx->boxes[1].text, QStringLiteral("Cannot perform this operation on an empty dataset."));
    QVERIFY(form.tbl->Active());
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    QCOMPARE(form.tbl->RecordCount(), 0);
    QCOMPARE(grdName(form)->model()->rowCount(), 0);
}

void TestEntryRefusals::refusedChangeIsKeptAsANewEntryAndTheSwitchGoesOn()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->setStoredValue(kTable, QStringLiteral("band"), QStringLiteral("theirs"));
    const QString mine = typeAtTheEndOfTheMemo(*m_fx, QStringLiteral(" mine"));
    m_fx->clickTab(1);

    // The refusal offers ways to keep the text; its first, keeping it, lets the switch go on.
    QCOMPARE(m_fx->boxes.kinds(), QList<BoxKind> {BoxKind::Choice});
    QVERIFY2(m_fx->boxes[0].text.contains(QLatin1String("\"band\"")), qPrintable(m_fx->boxes[0].text));
    QCOMPARE(form.tbl->TableName(), kOther);
    QCOMPARE(TabCtrl(form)->currentIndex(), 1);
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("band")), QStringLiteral("theirs"));
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("band (2)")), mine);
}

void TestEntryRefusals::exitWithARefusedChangeAsksAndMayBeCalledOff()
{
    TfrmMain& form = startOnBand(*m_fx);
    m_fx->setStoredValue(kTable, QStringLiteral("band"), QStringLiteral("theirs"));
    const QString mine = typeAtTheEndOfTheMemo(*m_fx, QStringLiteral(" mine"));

    // Go Back: the window stays open with the text.
    m_fx->boxes.answer = false;
    m_fx->click("actExit");
    QCOMPARE(m_fx->boxes.kinds(), QList<BoxKind> {BoxKind::Choice});
    QVERIFY(form.isVisible());
    QCOMPARE(form.tbl->State(), DatasetState::Edit);
    QCOMPARE(memValue(form)->toPlainText(), mine);

    // Save to File: the text goes to the user's data folder and the exit goes on.
    SetChoiceObserver([](const QString&, const QStringList& buttons) {
        return int(buttons.indexOf(QStringLiteral("Save to File")));
    });
    m_fx->click("actExit");
    SetChoiceObserver({});
    QVERIFY(!form.isVisible());
    const QDir folder(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Pastewise"));
    const QStringList files = folder.entryList({QStringLiteral("recovered-*.txt")});
    QCOMPARE(files.size(), 1);
    QFile file(folder.filePath(files[0]));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().endsWith(mine.toUtf8()));
    QVERIFY(m_fx->boxes.texts().last().endsWith(folder.filePath(files[0])));
    QCOMPARE(m_fx->storedValue(kTable, QStringLiteral("band")), QStringLiteral("theirs"));
}

void TestEntryRefusals::readOnlyLibraryIsSaidOnceAndCannotBeChanged()
{
    m_fx->addTable(kTable,
        {{QStringLiteral("apple"), QStringLiteral("red")},
            {QStringLiteral("cherry"), QStringLiteral("dark")}});
    const WriteProtected protection(m_fx->library);
    if (!protection.active())
        QSKIP("the library file could not be write-protected here (no chattr for root)");
    TfrmMain& form = m_fx->startForTyping();
    QCOMPARE(m_fx->boxes.kinds(), QList<BoxKind> {BoxKind::Notice});
    QVERIFY2(m_fx->boxes[0].text.contains(m_fx->library), qPrintable(m_fx->boxes[0].text));
    for (const char* name :
        {"actAdd", "actDelete", "actEdit", "actNewTable", "actDeleteTable", "actRenameTable"})
        QVERIFY2(!command(form, name)->isEnabled(), name);

    // Finding still works; nothing typed reaches an entry, and nothing fails either.
    m_fx->type(QStringLiteral("che"));
    QCOMPARE(form.tbl->Name(), QStringLiteral("cherry"));
    m_fx->tabIntoGrid();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Insert, Qt::Key_F2, Qt::Key_X})
        m_fx->press(key);
    QVERIFY(!grdName(form)->IsEditingCell());
    QCOMPARE(grdName(form)->model()->rowCount(), 2);
    typeAtTheEndOfTheMemo(*m_fx, QStringLiteral(" more"));
    QCOMPARE(memValue(form)->toPlainText(), QStringLiteral("dark"));
    QCOMPARE(form.tbl->State(), DatasetState::Browse);
    m_fx->click("actExit");
    QCOMPARE(m_fx->boxes.size(), 1);
}

PW_APPLICATION_TEST_MAIN(TestEntryRefusals)
#include "tst_entry_refusals.moc"
