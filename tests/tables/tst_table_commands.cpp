// Table commands and tab switching on the real main window, against a real library file.

#include "app/Images.h"
#include "app/MainForm.h"
#include "app/TableTabs.h"
#include "common/Errors.h"
#include "common/MessageBoxes.h"
#include "library/LibraryConnection.h"
#include "library/LibrarySession.h"
#include "library/TableDataset.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QInputDialog>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <memory>

namespace {
struct Box {
    BoxKind kind;
    QString caption;
    QString text;
};

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

const LibrarySession& session(const TfrmMain& form)
{
    return *form.findChild<LibrarySession*>();
}

QStringList tabTexts(const TfrmMain& form)
{
    QStringList texts;
    for (int i = 0; i < form.TabCtrl->count(); ++i)
        texts << form.TabCtrl->tabText(i).replace(QStringLiteral("&&"), QStringLiteral("&"));
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

private:
    std::unique_ptr<TfrmMain> makeForm();
    void exec(const QString& sql);
    QStringList rows(const QString& table);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_library;
    QList<Box> m_boxes;
    bool m_confirmAnswer = true;
    // Offscreen there is no desktop to grab the hotkey from; the fake one grants it.
    FakePlatform m_desktop;
};

void TestTableCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->path().toUtf8());
    m_library = m_dir->path() + QStringLiteral("/pastewise.mdb");
    exec(QStringLiteral("CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"));
    exec(QStringLiteral("CREATE TABLE \"Code\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"));
    exec(QStringLiteral("INSERT INTO \"Mail\" VALUES ('bye', 'Bye now'), ('hello', 'Hello there')"));
    exec(QStringLiteral("INSERT INTO \"Code\" VALUES ('loop', 'for (;;) {}')"));
    m_boxes.clear();
    m_confirmAnswer = true;
    SetBoxObserver([this](BoxKind kind, const QString& caption, const QString& text) {
        m_boxes.append({kind, caption, text});
        return m_confirmAnswer;
    });
}

void TestTableCommands::cleanup()
{
    SetBoxObserver({});
    m_dir.reset();
}

void TestTableCommands::exec(const QString& sql)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_library);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase(name);
}

QStringList TestTableCommands::rows(const QString& table)
{
    QStringList result;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_library);
        if (db.open()) {
            QSqlQuery query(db);
            QString quoted = table;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            if (query.exec(QStringLiteral("SELECT name FROM \"%1\" ORDER BY name").arg(quoted)))
                while (query.next())
                    result << query.value(0).toString();
            else
                result << QStringLiteral("<no table>");
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

std::unique_ptr<TfrmMain> TestTableCommands::makeForm()
{
    auto form = std::make_unique<TfrmMain>(m_library, &m_desktop);
    form->FormCreate();
    return form;
}

void TestTableCommands::newTableIsAddedLastSelectedAndOpenedEmpty()
{
    auto form = makeForm();
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
    for (int i = 0; i < form->TabCtrl->count(); ++i)
        QCOMPARE(form->TabCtrl->tabIcon(i).pixmap(16, 16).toImage(), picture);
    QCOMPARE(form->TabCtrl->currentIndex(), 2);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Links"));
    QVERIFY(form->tbl->Active());
    QCOMPARE(form->tbl->RecordCount(), 0);

    // Cancel and an empty answer change nothing.
    for (const QStringList& answers : {QStringList {}, QStringList {QString()}}) {
        InputAnswers input(answers);
        form->actNewTableExecute();
        QCOMPARE(form->TabCtrl->count(), 3);
    }
    QVERIFY(m_boxes.isEmpty());
}

void TestTableCommands::newAndRenameRefuseExistingNamesWhateverTheirCase()
{
    auto form = makeForm();
    {
        // "mail" is taken in another case: the notice, then the box opens empty again.
        InputAnswers answers({QStringLiteral("mail"), QStringLiteral("Notes")});
        form->actNewTableExecute();
        QCOMPARE(answers.initialTexts, (QStringList {QString(), QString()}));
    }
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].kind, BoxKind::Notice);
    QCOMPARE(m_boxes[0].caption, QStringLiteral("Pastewise"));
    QCOMPARE(m_boxes[0].text, QStringLiteral("Table name already exists, please choose another name!"));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Notes"));

    m_boxes.clear();
    {
        // Renaming to its own name, even in another case, is refused too; then Cancel.
        InputAnswers answers({QStringLiteral("NOTES")});
        form->actRenameTableExecute();
        QCOMPARE(
            answers.captions, (QStringList {QStringLiteral("Rename Table"), QStringLiteral("Rename Table")}));
        QCOMPARE(answers.prompts.value(0), QStringLiteral("New Table Name:"));
        QCOMPARE(answers.initialTexts.value(0), QString());
    }
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(tabTexts(*form).last(), QStringLiteral("Notes"));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Notes"));
}

void TestTableCommands::hostileNamesAreStoredVerbatimAndInjectNothing()
{
    auto form = makeForm();
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
    QCOMPARE(rows(QStringLiteral("Mail")), (QStringList {QStringLiteral("bye"), QStringLiteral("hello")}));

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
    QCOMPARE(m_boxes.last().text, QStringLiteral("Are you sure to delete Zürich ✓?"));
    QCOMPARE(rows(names.last()), QStringList {QStringLiteral("<no table>")});
    QCOMPARE(rows(QStringLiteral("Mail")).size(), 2);
}

void TestTableCommands::deleteAsksFirstAndOpensTheFirstRemainingTable()
{
    auto form = makeForm();
    form->TabCtrl->setCurrentIndex(1); // the user clicks "Code"
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Code"));

    m_confirmAnswer = false;
    form->actDeleteTableExecute();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].kind, BoxKind::Confirm);
    QCOMPARE(m_boxes[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(m_boxes[0].text, QStringLiteral("Are you sure to delete Code?"));
    QCOMPARE(form->TabCtrl->count(), 2);

    m_confirmAnswer = true;
    form->actDeleteTableExecute();
    QCOMPARE(tabTexts(*form), QStringList {QStringLiteral("Mail")});
    QCOMPARE(session(*form).TableList().Names(), QStringList {QStringLiteral("Mail")});
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
    QCOMPARE(rows(QStringLiteral("Code")), QStringList {QStringLiteral("<no table>")});
}

void TestTableCommands::deletingTheLastTableLeavesNothingOpen()
{
    auto form = makeForm();
    form->actDeleteTableExecute();
    form->actDeleteTableExecute();
    QCOMPARE(form->TabCtrl->count(), 0);
    QVERIFY(session(*form).TableList().IsEmpty());
    QVERIFY(!form->tbl->Active());
    // With no table open the commands have nothing to act on: no box, nothing dropped.
    m_boxes.clear();
    form->actDeleteTableExecute();
    QVERIFY(m_boxes.isEmpty());
    form->FormDestroy();
}

void TestTableCommands::renameKeepsRowsAndEverythingInStep()
{
    auto form = makeForm();
    {
        InputAnswers answers({QStringLiteral("Letters")});
        form->actRenameTableExecute();
    }
    QCOMPARE(tabTexts(*form), (QStringList {QStringLiteral("Letters"), QStringLiteral("Code")}));
    QCOMPARE(session(*form).TableList().Names(), tabTexts(*form));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Letters"));
    QCOMPARE(form->TabCtrl->currentIndex(), 0);
    QCOMPARE(form->tbl->RecordCount(), 2);
    QCOMPARE(rows(QStringLiteral("Letters")), (QStringList {QStringLiteral("bye"), QStringLiteral("hello")}));

    // The old name is free again, the new one is taken.
    {
        InputAnswers answers({QStringLiteral("letters"), QStringLiteral("Mail")});
        form->actNewTableExecute();
    }
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));
}

void TestTableCommands::refusedRenameLeavesEverythingAsItWas()
{
    auto form = makeForm();
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
    QCOMPARE(form->TabCtrl->currentIndex(), 0);
}

void TestTableCommands::tabSwitchStoresPendingChangeOrStaysOnTheOpenTable()
{
    auto form = makeForm();
    form->tbl->SetValue(QStringLiteral("Bye, changed"));
    form->TabCtrl->setCurrentIndex(1);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Code"));

    // Back on Mail, a rename to a taken name is pending: the switch is refused and the
    // tab of the table that stays open is selected again.
    form->TabCtrl->setCurrentIndex(0);
    QCOMPARE(form->tbl->Value(), QStringLiteral("Bye, changed"));
    form->tbl->SetName(QStringLiteral("HELLO"));
    m_confirmAnswer = false; // Go Back when the refusal asks what to do
    form->TabCtrlChange(1);
    QCOMPARE(m_boxes.last().kind, BoxKind::Choice);
    QCOMPARE(form->TabCtrl->currentIndex(), 0);
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
    QCOMPARE(form->tbl->State(), DatasetState::Edit);
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Mail"));

    // New Table while the change cannot be stored: the table exists, the open one stays.
    {
        InputAnswers answers({QStringLiteral("Fresh")});
        QVERIFY_THROWS_EXCEPTION(DatabaseError, form->actNewTableExecute());
    }
    QCOMPARE(form->TabCtrl->count(), 3);
    QCOMPARE(form->TabCtrl->currentIndex(), 0);
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Mail"));
}

void TestTableCommands::tableCommandsDoNothingWithoutAnOpenTable()
{
    exec(QStringLiteral("DROP TABLE \"Mail\""));
    exec(QStringLiteral("DROP TABLE \"Code\""));
    auto form = makeForm();
    QCOMPARE(form->TabCtrl->count(), 0);
    form->actDeleteTableExecute();
    {
        InputAnswers answers({QStringLiteral("Anything")});
        form->actRenameTableExecute();
        QVERIFY(answers.captions.isEmpty());
    }
    QVERIFY(m_boxes.isEmpty());
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
        auto form = makeForm();
        InputAnswers answers({QStringLiteral("Later"), QStringLiteral("Renamed")});
        form->actNewTableExecute();
        form->actRenameTableExecute();
        form->FormDestroy();
    }
    auto form = makeForm();
    QCOMPARE(tabTexts(*form),
        (QStringList {QStringLiteral("Mail"), QStringLiteral("Code"), QStringLiteral("Renamed")}));
    QCOMPARE(session(*form).CurTable(), QStringLiteral("Renamed"));
}

void TestTableCommands::tableThatFailedToOpenLooksClosedAndOpensOnAClick()
{
    // The first table, opened at start, was made by another tool without the columns needed.
    exec(QStringLiteral("DROP TABLE \"Mail\""));
    exec(QStringLiteral("DROP TABLE \"Code\""));
    exec(QStringLiteral("CREATE TABLE \"Broken\" (a, b)"));
    exec(QStringLiteral("CREATE TABLE \"Code\" (name TEXT, value TEXT)"));
    auto form = std::make_unique<TfrmMain>(m_library, &m_desktop);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, form->FormCreate());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto* tabs = qobject_cast<TTableTabs*>(form->TabCtrl);
    QVERIFY(tabs != nullptr);
    QVERIFY(!form->tbl->Active());
    QVERIFY(!tabs->LooksSelected(0) && !tabs->LooksSelected(1));

    // Mended, the table opens with a click on its tab, the one the strip holds as current.
    exec(QStringLiteral("DROP TABLE \"Broken\""));
    exec(QStringLiteral("CREATE TABLE \"Broken\" (name TEXT, value TEXT)"));
    exec(QStringLiteral("INSERT INTO \"Broken\" VALUES ('fixed', 'yes')"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(form->tbl->TableName(), QStringLiteral("Broken"));
    QCOMPARE(form->tbl->Name(), QStringLiteral("fixed"));
    QVERIFY(tabs->LooksSelected(0));
}

QTEST_MAIN(TestTableCommands)
#include "tst_table_commands.moc"
