#include "tests/support/MainWindowFixture.h"

#include "library/SqlSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace {

constexpr int kWaitMs = 5000;

// Runs work on a connection of its own to the library file.
template <typename Work> void withDatabase(const QString& library, Work&& work)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(library);
        if (db.open())
            work(db);
        else
            qWarning("cannot open the library file");
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

MainWindowFixture::MainWindowFixture()
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toUtf8());
    library = m_dir.path() + QStringLiteral("/pastewise.mdb");
}

MainWindowFixture::~MainWindowFixture()
{
    if (form)
        form->FormDestroy();
    form.reset();
}

void MainWindowFixture::writeSettings(const QStringList& lines)
{
    const QString folder = m_dir.path() + QStringLiteral("/Quillmoor/Pastewise");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Settings.reg"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\r\n");
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    file.write(text.toUtf8());
}

void MainWindowFixture::addTable(const QString& table, const EntryRows& rows)
{
    withDatabase(library, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        QVERIFY(query.exec(CreateEntryTableStatement(table)));
        QVERIFY(query.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(QuoteIdentifier(table))));
        for (const auto& [name, value] : rows) {
            query.addBindValue(name);
            query.addBindValue(value);
            QVERIFY2(query.exec(), qPrintable(name));
        }
    });
}

void MainWindowFixture::dropTable(const QString& table)
{
    exec(QStringLiteral("DROP TABLE %1").arg(QuoteIdentifier(table)));
}

void MainWindowFixture::exec(const QString& sql)
{
    bool done = false;
    withDatabase(library, [&](QSqlDatabase& db) { done = QSqlQuery(db).exec(sql); });
    QVERIFY2(done, qPrintable(sql));
}

QStringList MainWindowFixture::storedNames(const QString& table) const
{
    QStringList names {QStringLiteral("<no table>")};
    withDatabase(library, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT name FROM %1 ORDER BY name").arg(QuoteIdentifier(table))))
            return;
        names.clear();
        while (query.next())
            names << query.value(0).toString();
    });
    return names;
}

QString MainWindowFixture::storedValue(const QString& table, const QString& name) const
{
    QString value = QStringLiteral("<missing>");
    withDatabase(library, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        QVERIFY(query.prepare(QStringLiteral("SELECT value FROM %1 WHERE name = ? COLLATE BINARY")
                                  .arg(QuoteIdentifier(table))));
        query.addBindValue(name);
        QVERIFY(query.exec());
        if (query.next())
            value = query.isNull(0) ? QStringLiteral("<null>") : query.value(0).toString();
    });
    return value;
}

void MainWindowFixture::setStoredValue(const QString& table, const QString& name, const QString& value)
{
    withDatabase(library, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        QVERIFY(query.prepare(
            QStringLiteral("UPDATE %1 SET value = ? WHERE name = ?").arg(QuoteIdentifier(table))));
        query.addBindValue(value);
        query.addBindValue(name);
        QVERIFY(query.exec());
    });
}

TfrmMain& MainWindowFixture::create(bool realDesktop)
{
    // A window made again is the program started again: the earlier one has exited first.
    if (form)
        form->FormDestroy();
    form.reset();
    form = std::make_unique<TfrmMain>(library, realDesktop ? nullptr : &desktop);
    form->FormCreate();
    return *form;
}

TfrmMain& MainWindowFixture::start(bool realDesktop)
{
    create(realDesktop).show();
    return *form;
}

TfrmMain& MainWindowFixture::startForTyping()
{
    try {
        create();
    } catch (...) {
        ReportException(std::current_exception());
    }
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("main window did not become active");
    focus(txtName(*form));
    return *form;
}

void MainWindowFixture::focus(QWidget* widget)
{
    widget->setFocus(Qt::OtherFocusReason);
    if (!QTest::qWaitFor([widget] { return widget->hasFocus(); }, kWaitMs))
        qWarning("%s did not take the focus", qPrintable(widget->objectName()));
}

QWidget* MainWindowFixture::focused()
{
    return QApplication::focusWidget();
}

void MainWindowFixture::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(focused(), key, modifiers);
}

void MainWindowFixture::type(const QString& text)
{
    for (const QChar ch : text)
        QTest::keyClicks(focused(), QString(ch));
}

void MainWindowFixture::click(const char* commandName)
{
    QWidget* button = ToolBar1(*form)->widgetForAction(command(*form, commandName));
    QVERIFY2(button != nullptr && button->isVisible(), commandName);
    QTest::mouseClick(button, Qt::LeftButton);
}

void MainWindowFixture::focusSearchBox()
{
    QLineEdit* box = txtName(*form);
    focus(box);
    QVERIFY(QTest::qWaitFor([box] { return box->selectedText() == box->text(); }, kWaitMs));
}

void MainWindowFixture::tabIntoGrid()
{
    QCOMPARE(focused(), txtName(*form));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), grdName(*form));
}

void MainWindowFixture::clickRow(int row)
{
    TEntryGrid* grid = grdName(*form);
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, cell.center().y()));
}

void MainWindowFixture::clickTab(int index)
{
    QTabBar* tabs = TabCtrl(*form);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

QLineEdit* MainWindowFixture::cellEditor() const
{
    return grdName(*form)->findChild<QLineEdit*>();
}

bool MainWindowFixture::waitForCellEditor() const
{
    return QTest::qWaitFor(
        [this] {
            return grdName(*form)->IsEditingCell() && cellEditor() != nullptr && cellEditor()->hasFocus();
        },
        kWaitMs);
}

bool MainWindowFixture::waitForCellEditorClosed() const
{
    return QTest::qWaitFor([this] { return !grdName(*form)->IsEditingCell(); }, kWaitMs);
}

QString MainWindowFixture::shownName() const
{
    const QModelIndex index = grdName(*form)->currentIndex();
    return index.isValid() ? index.data().toString() : QStringLiteral("<none>");
}
