// Table commands and tab switching on the real main window, against a real library file.

#include "tests/support/MainWindowFixture.h"

#include "app/Images.h"
#include "app/TableTabs.h"
#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/LibrarySession.h"

#include <QFile>
#include <QInputDialog>
#include <QTemporaryDir>
#include <QTimer>

namespace {
const LibrarySession& session(const TfrmMain& form)
{
    return *form.findChild<LibrarySession*>();
}

// Answers every QInputDialog the program opens, in order; an exhausted list answers Cancel.
class InputAnswers final : public QObject {
public:
    explicit InputAnswers(QStringList answers)
        : m_answers(std::move(answers))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start();
    }
    QStringList captions;
    QStringList prompts;
    QStringList initialTexts;

private:
    void answer()
    {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        captions << dialog->windowTitle();
        prompts << dialog->labelText();
        initialTexts << dialog->textValue();
        if (m_answers.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setTextValue(m_answers.takeFirst());
        dialog->accept();
    }
    QStringList m_answers;
    QTimer m_timer;
};

QStringList tabTexts(const TfrmMain& form)
{
    QStringList texts;
    for (int i = 0; i < TabCtrl(form)->count(); ++i)
        texts << TabCtrl(form)->tabText(i).replace(QStringLiteral("&&"), QStringLiteral("&"));
    return texts;
}
} // namespace

class TestTableCommands final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void newTableIsAddedLastSelectedAndOpenedEmpty();
    void newAndRenameRefuseExistingNamesWhateverTheirCase();
    void hostileNamesAreStoredVerbatimAndInjectNothing();
    void deleteAsksFirstAndOpensTheFirstRemainingTable();
    void deletingTheLastTableLeavesNothingOpen();
    void renameKeepsRowsAndEverythingInStep();
    void refusedRenameLeavesEverythingAsItWas();
    void tabSwitchStoresPendingChangeOrStaysOnTheOpenTable();
    void tableCommandsDoNothingWithoutAnOpenTable();
    void startsAgainstTheSameFileAfterChanges();
    void tableThatFailedToOpenLooksClosedAndOpensOnAClick();
    void switchedLibraryGetsThePendingChangeStoredFirstAndIsKept();

private:
    std::unique_ptr<MainWindowFixture> m_fx;
};

void TestTableCommands::init()
{
    m_fx = std::make_unique<MainWindowFixture>();
    m_fx->addTable(QStringLiteral("Mail"),
        {{QStringLiteral("bye"), QStringLiteral("Bye now")},
            {QStringLiteral("hello"), QStringLiteral("Hello there")}});
    m_fx->addTable(QStringLiteral("Code"), {{QStringLiteral("loop"), QStringLiteral("for (;;) {}")}});
}

void TestTableCommands::cleanup()
{
    m_fx.reset();
}

void TestTableCommands::newTableIsAddedLastSelectedAndOpenedEmpty()
{
    TfrmMain* form = &m_fx->create();
    QCOMPARE(tabTexts(*form), (QStringList {QStringLiteral("Mail"), QStringLiteral("Code")}));
    {
        InputAnswers answers({QStringLiteral("Links")});
        form->actNewTableExecute();
        QCOMPARE(answers.captions, QStringList {QStringLiteral("New Table")});
        QCOMPARE(answers.prompts, QStringList {QStringLiteral("Table Name:")});
        QCOMPARE(answers.initialTexts, QStringList {QString()});
    }
    QCOMPARE(tabTexts(*form),
        (QStringList {QStringLiteral("Mail"), QStringLiteral("Code"), QStringLiteral("Links")}));
    QCOMPARE(session(*form).TableList().Names(), tabTexts(*form));
    // The listed tables and the new one all carry the table picture.
    const QImage picture = CommandImage(20).pixmap(16, 16).toImage();
    for (int i = 0; i < TabCtrl(*form)->count(); ++i)
        QCOMPARE(TabCtrl(*form)->tabIcon(i).pixmap(16, 16).toImage(), picture);
    QCOMPARE(TabCtrl(*form)->currentIndex(), 2);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Links"));
    QVERIFY(form->tbl->Active());
    QCOMPARE(form->tbl->RecordCount(), 0);

    // Cancel and an empty answer change nothing.
    for (const QStringList& answers : {QStringList {}, QStringList {QString()}}) {
        InputAnswers input(answers);
        form->actNewTableExecute();
        QCOMPARE(TabCtrl(*form)->count(), 3);
    }
    QVERIFY(m_fx->boxes.isEmpty());
}

void TestTableCommands::newAndRenameRefuseExistingNamesWhateverTheirCase()
{
    TfrmMain* form = &m_fx->create();
    {
        // "mail" is taken in another case: the notice, then the box opens empty again.
        InputAnswers answers({QStringLiteral("mail"), QStringLiteral("Notes")});
        form->actNewTableExecute();
        QCOMPARE(answers.initialTexts, (QStringList {QString(), QString()}));
    }
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(m_fx->boxes[0].kind, BoxKind::Notice);
    QCOMPARE(m_fx->boxes[0].caption, QStringLiteral("Pastewise"));
    QCOMPARE(m_fx->boxes[0].text, QStringLiteral("Table name already exists, please choose another name!"));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Notes"));

    m_fx->boxes.clear();
    {
        // Renaming to its own name, even in another case, is refused too; then Cancel.
        InputAnswers answers({QStringLiteral("NOTES")});
        form->actRenameTableExecute();
        QCOMPARE(
            answers.captions, (QStringList {QStringLiteral("Rename Table"), QStringLiteral("Rename Table")}));
        QCOMPARE(answers.prompts.value(0), QStringLiteral("New Table Name:"));
        QCOMPARE(answers.initialTexts.value(0), QString());
    }
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(tabTexts(*form).last(), QStringLiteral("Notes"));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Notes"));
}

void TestTableCommands::hostileNamesAreStoredVerbatimAndInjectNothing()
{
    TfrmMain* form = &m_fx->create();
    const QStringList names
        = {QStringLiteral("My \"quoted\" table"), QStringLiteral("x; DROP TABLE Mail; --"),
            QStringLiteral("select"), QStringLiteral("Tom & Jerry"), QStringLiteral("Zürich ✓")};
    for (const QString& name : names) {
        InputAnswers answers({name});
        form->actNewTableExecute();
        QCOMPARE(session(*form).CurTable(), name);
        QCOMPARE(form->tbl->TableName(), name);
    }
    QCOMPARE(tabTexts(*form).mid(2), names);
    QCOMPARE(m_fx->storedNames(QStringLiteral("Mail")),
        (QStringList {QStringLiteral("bye"), QStringLiteral("hello")}));

    // A name the engine itself refuses shows its error and changes nothing.
    {
        InputAnswers answers({QStringLiteral("sqlite_mine")});
        QVERIFY_THROWS_EXCEPTION(DatabaseError, form->actNewTableExecute());
    }
    QCOMPARE(tabTexts(*form).mid(2), names);
    QCOMPARE(session(*form).CurTable(), names.last());
    QVERIFY(form->tbl->Active());

    // Deleting one of them drops exactly that table.
    form->actDeleteTableExecute();
    QCOMPARE(m_fx->boxes.last().text, QStringLiteral("Are you sure to delete Zürich ✓?"));
    QCOMPARE(m_fx->storedNames(names.last()), QStringList {QStringLiteral("<no table>")});
    QCOMPARE(m_fx->storedNames(QStringLiteral("Mail")).size(), 2);
}

void TestTableCommands::deleteAsksFirstAndOpensTheFirstRemainingTable()
{
    TfrmMain* form = &m_fx->create();
    TabCtrl(*form)->setCurrentIndex(1); // the user clicks "Code"
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Code"));

    m_fx->boxes.answer = false;
    form->actDeleteTableExecute();
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(m_fx->boxes[0].kind, BoxKind::Confirm);
    QCOMPARE(m_fx->boxes[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(m_fx->boxes[0].text, QStringLiteral("Are you sure to delete Code?"));
    QCOMPARE(TabCtrl(*form)->count(), 2);

    m_fx->boxes.answer = true;
    form->actDeleteTableExecute();
    QCOMPARE(tabTexts(*form), QStringList {QStringLiteral("Mail")});
    QCOMPARE(session(*form).TableList().Names(), QStringList {QStringLiteral("Mail")});
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
    QCOMPARE(m_fx->storedNames(QStringLiteral("Code")), QStringList {QStringLiteral("<no table>")});
}

void TestTableCommands::deletingTheLastTableLeavesNothingOpen()
{
    TfrmMain* form = &m_fx->create();
    form->actDeleteTableExecute();
    form->actDeleteTableExecute();
    QCOMPARE(TabCtrl(*form)->count(), 0);
    QVERIFY(session(*form).TableList().IsEmpty());
    QVERIFY(!form->tbl->Active());
    // With no table open the commands have nothing to act on: no box, nothing dropped.
    m_fx->boxes.clear();
    form->actDeleteTableExecute();
    QVERIFY(m_fx->boxes.isEmpty());
    form->FormDestroy();
}

void TestTableCommands::renameKeepsRowsAndEverythingInStep()
{
    TfrmMain* form = &m_fx->create();
    {
        InputAnswers answers({QStringLiteral("Letters")});
        form->actRenameTableExecute();
    }
    QCOMPARE(tabTexts(*form), (QStringList {QStringLiteral("Letters"), QStringLiteral("Code")}));
    QCOMPARE(session(*form).TableList().Names(), tabTexts(*form));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Letters"));
    QCOMPARE(TabCtrl(*form)->currentIndex(), 0);
    QCOMPARE(form->tbl->RecordCount(), 2);
    QCOMPARE(m_fx->storedNames(QStringLiteral("Letters")),
        (QStringList {QStringLiteral("bye"), QStringLiteral("hello")}));

    // The old name is free again, the new one is taken.
    {
        InputAnswers answers({QStringLiteral("letters"), QStringLiteral("Mail")});
        form->actNewTableExecute();
    }
    QCOMPARE(m_fx->boxes.size(), 1);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));
}

void TestTableCommands::refusedRenameLeavesEverythingAsItWas()
{
    TfrmMain* form = &m_fx->create();
    form->tbl->Next();
    {
        InputAnswers answers({QStringLiteral("sqlite_x")});
        QVERIFY_THROWS_EXCEPTION(DatabaseError, form->actRenameTableExecute());
    }
    QCOMPARE(tabTexts(*form), (QStringList {QStringLiteral("Mail"), QStringLiteral("Code")}));
    QCOMPARE(session(*form).TableList().Names(), tabTexts(*form));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));
    QVERIFY(form->tbl->Active());
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
    QCOMPARE(TabCtrl(*form)->currentIndex(), 0);
}

void TestTableCommands::tabSwitchStoresPendingChangeOrStaysOnTheOpenTable()
{
    TfrmMain* form = &m_fx->create();
    form->tbl->SetValue(QStringLiteral("Bye, changed"));
    TabCtrl(*form)->setCurrentIndex(1);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Code"));

    // Back on Mail, a rename to a taken name is pending: the switch is refused and the
    // tab of the table that stays open is selected again.
    TabCtrl(*form)->setCurrentIndex(0);
    QCOMPARE(form->tbl->Value(), QStringLiteral("Bye, changed"));
    form->tbl->SetName(QStringLiteral("HELLO"));
    m_fx->boxes.answer = false; // Go Back when the refusal asks what to do
    form->TabCtrlChange(1);
    QCOMPARE(m_fx->boxes.last().kind, BoxKind::Choice);
    QCOMPARE(TabCtrl(*form)->currentIndex(), 0);
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
    QCOMPARE(form->tbl->State(), DatasetState::Edit);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));

    // New Table while the change cannot be stored: the table exists, the open one stays.
    {
        InputAnswers answers({QStringLiteral("Fresh")});
        QVERIFY_THROWS_EXCEPTION(DatabaseError, form->actNewTableExecute());
    }
    QCOMPARE(TabCtrl(*form)->count(), 3);
    QCOMPARE(TabCtrl(*form)->currentIndex(), 0);
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
}

void TestTableCommands::tableCommandsDoNothingWithoutAnOpenTable()
{
    m_fx->exec(QStringLiteral("DROP TABLE \"Mail\""));
    m_fx->exec(QStringLiteral("DROP TABLE \"Code\""));
    TfrmMain* form = &m_fx->create();
    QCOMPARE(TabCtrl(*form)->count(), 0);
    form->actDeleteTableExecute();
    {
        InputAnswers answers({QStringLiteral("Anything")});
        form->actRenameTableExecute();
        QVERIFY(answers.captions.isEmpty());
    }
    QVERIFY(m_fx->boxes.isEmpty());
    // New Table still works on an empty library.
    {
        InputAnswers answers({QStringLiteral("First")});
        form->actNewTableExecute();
    }
    QCOMPARE(tabTexts(*form), QStringList {QStringLiteral("First")});
    QCOMPARE(session(*form).CurTable(), QStringLiteral("First"));
}

void TestTableCommands::startsAgainstTheSameFileAfterChanges()
{
    {
        TfrmMain* form = &m_fx->create();
        InputAnswers answers({QStringLiteral("Later"), QStringLiteral("Renamed")});
        form->actNewTableExecute();
        form->actRenameTableExecute();
        form->FormDestroy();
    }
    TfrmMain* form = &m_fx->create();
    QCOMPARE(tabTexts(*form),
        (QStringList {QStringLiteral("Mail"), QStringLiteral("Code"), QStringLiteral("Renamed")}));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Renamed"));
}

void TestTableCommands::tableThatFailedToOpenLooksClosedAndOpensOnAClick()
{
    // The first table, opened at start, was made by another tool without the columns needed.
    m_fx->exec(QStringLiteral("DROP TABLE \"Mail\""));
    m_fx->exec(QStringLiteral("DROP TABLE \"Code\""));
    m_fx->exec(QStringLiteral("CREATE TABLE \"Broken\" (a, b)"));
    m_fx->exec(QStringLiteral("CREATE TABLE \"Code\" (name TEXT, value TEXT)"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, m_fx->create());
    TfrmMain* form = m_fx->form.get();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    auto* tabs = qobject_cast<TTableTabs*>(TabCtrl(*form));
    QVERIFY(tabs != nullptr);
    QVERIFY(!form->tbl->Active());
    QVERIFY(!tabs->LooksSelected(0) && !tabs->LooksSelected(1));

    // Mended, the table opens with a click on its tab, the one the strip holds as current.
    m_fx->exec(QStringLiteral("DROP TABLE \"Broken\""));
    m_fx->exec(QStringLiteral("CREATE TABLE \"Broken\" (name TEXT, value TEXT)"));
    m_fx->exec(QStringLiteral("INSERT INTO \"Broken\" VALUES ('fixed', 'yes')"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Broken"));
    QCOMPARE(form->tbl->Name(), QStringLiteral("fixed"));
    QVERIFY(tabs->LooksSelected(0));
}

void TestTableCommands::switchedLibraryGetsThePendingChangeStoredFirstAndIsKept()
{
    QTemporaryDir dir;
    const QString team = dir.filePath(QStringLiteral("team.mdb"));
    {
        QFile file(team);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TLibraryConnection connection;
        connection.SetDataSource(team);
        connection.Open();
        connection.CreateTable(QStringLiteral("Team"));
    }
    TfrmMain* form = &m_fx->create();
    form->tbl->SetValue(QStringLiteral("Bye, changed"));
    QVERIFY(form->SwitchLibrary(team));
    QCOMPARE(
        m_fx->storedValue(QStringLiteral("Mail"), QStringLiteral("bye")), QStringLiteral("Bye, changed"));
    QCOMPARE(tabTexts(*form), QStringList {QStringLiteral("Team")});
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Team"));

    // A library that does not open leaves the one in use open, and the setting as it was.
    QVERIFY_THROWS_EXCEPTION(DatabaseError, form->SwitchLibrary(dir.filePath(QStringLiteral("absent.mdb"))));
    QCOMPARE(tabTexts(*form), QStringList {QStringLiteral("Team")});
    QVERIFY(form->tbl->Active());
    form->FormDestroy();
    form = &m_fx->create();
    QCOMPARE(tabTexts(*form), QStringList {QStringLiteral("Team")});

    // Back to the file, which the next start opens too.
    QVERIFY(form->SwitchLibrary(QString()));
    form->FormDestroy();
    form = &m_fx->create();
    QCOMPARE(tabTexts(*form), (QStringList {QStringLiteral("Mail"), QStringLiteral("Code")}));
    QVERIFY(m_fx->boxes.isEmpty());
}

QTEST_MAIN(TestTableCommands)
#include "tst_table_commands.moc"
