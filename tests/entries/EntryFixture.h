#pragma once
// The real main window over a library file in a private folder, on a fake desktop, with
// every message box recorded and answered instead of shown. Helpers read the file through
// a connection of their own, so a check sees what was really stored.

#include "app/Application.h"
#include "app/EntryGrid.h"
#include "app/MainForm.h"
#include "common/MessageBoxes.h"
#include "library/LibrarySession.h"
#include "library/SqlSupport.h"
#include "library/TableDataset.h"
#include "platform/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>

#include <QTest>
#include <QToolBar>
#include <QUuid>
#include <functional>

#include <memory>
#include <utility>

struct RecordedBox {
    BoxKind kind;
    QString caption;
    QString text;
};

using EntryRows = QList<std::pair<QString, QString>>;

class EntryFixture final {
public:
    EntryFixture()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toUtf8());
        // The tray icon has no place on the offscreen desktop.
        writeSetting(QStringLiteral("\"TrayIcon\"=dword:00000000"));
        library = m_dir.path() + QStringLiteral("/pastewise.mdb");
        SetBoxObserver([this](BoxKind kind, const QString& caption, const QString& text) {
            boxes.push_back({kind, caption, text});
            if (whileBoxOpen)
                whileBoxOpen();
            return confirmAnswer;
        });
    }
    ~EntryFixture()
    {
        if (form)
            form->FormDestroy();
        form.reset();
        SetBoxObserver({});
    }
    EntryFixture(const EntryFixture&) = delete;
    EntryFixture& operator=(const EntryFixture&) = delete;

    // Creates the table the way the program does and fills it.
    void addTable(const QString& table, const EntryRows& rows = {})
    {
        withDatabase([&](QSqlDatabase& db) {
            QSqlQuery query(db);
            QVERIFY(query.exec(CreateEntryTableStatement(table)));
            QVERIFY(
                query.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(QuoteIdentifier(table))));
            for (const auto& [name, value] : rows) {
                query.addBindValue(name);
                query.addBindValue(value);
                QVERIFY2(query.exec(), qPrintable(name));
            }
        });
    }

    void dropTable(const QString& table)
    {
        withDatabase([&](QSqlDatabase& db) {
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP TABLE %1").arg(QuoteIdentifier(table))));
        });
    }

    // Starts the window as the program does, shows it and puts the focus in the search box.
    // Start-up errors (a missing library) are reported like the program's entry does.
    TfrmMain& start()
    {
        form = std::make_unique<TfrmMain>(library, &desktop);
        try {
            form->FormCreate();
        } catch (...) {
            ReportException(std::current_exception());
        }
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("main window did not become active");
        focus(form->txtName);
        return *form;
    }

    void focus(QWidget* widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        if (!QTest::qWaitFor([widget] { return widget->hasFocus(); }, 5000))
            qWarning("%s did not take the focus", qPrintable(widget->objectName()));
    }

    // Key strokes go to whatever has the focus, as the user's would.
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), key, modifiers);
    }
    // One character at a time: the first one typed into the grid opens its editor, which
    // then has the focus for the rest.
    static void type(const QString& text)
    {
        for (const QChar ch : text)
            QTest::keyClicks(focused(), QString(ch));
    }

    // A command as the user runs it: its toolbar button.
    void click(QAction* command)
    {
        QWidget* button = form->ToolBar1->widgetForAction(command);
        QVERIFY2(button != nullptr && button->isVisible(), qPrintable(command->iconText()));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Focusing the search box selects its whole text a moment later, so typing replaces it.
    void focusSearchBox()
    {
        QLineEdit* box = form->txtName;
        focus(box);
        QVERIFY(QTest::qWaitFor([box] { return box->selectedText() == box->text(); }, 5000));
    }
    // Tab from the search box: the grid is next in the focus order.
    void tabIntoGrid()
    {
        QCOMPARE(focused(), form->txtName);
        press(Qt::Key_Tab);
        QCOMPARE(focused(), form->grdName);
    }
    void clickRow(int row)
    {
        TEntryGrid* grid = form->grdName;
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, cell.center().y()));
    }
    void clickTab(int index)
    {
        QTabBar* tabs = form->TabCtrl;
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }

    QLineEdit* cellEditor() const { return form->grdName->findChild<QLineEdit*>(); }
    bool waitForCellEditor() const
    {
        return QTest::qWaitFor(
            [this] {
                return form->grdName->IsEditingCell() && cellEditor() != nullptr && cellEditor()->hasFocus();
            },
            5000);
    }

    // Enter in the editor commits and closes it once the event loop runs again.
    bool waitForCellEditorClosed() const
    {
        return QTest::qWaitFor([this] { return !form->grdName->IsEditingCell(); }, 5000);
    }

    // The grid and the memo show the dataset's current entry.
    QString shownName() const
    {
        const QModelIndex index = form->grdName->currentIndex();
        return index.isValid() ? index.data().toString() : QStringLiteral("<none>");
    }

    // What the file holds, read through a connection of its own.
    QStringList storedNames(const QString& table) const
    {
        QStringList names;
        withDatabase([&](QSqlDatabase& db) {
            QSqlQuery query(db);
            QVERIFY(
                query.exec(QStringLiteral("SELECT name FROM %1 ORDER BY name").arg(QuoteIdentifier(table))));
            while (query.next())
                names << query.value(0).toString();
        });
        return names;
    }
    // The stored value, or "<missing>" when there is no such entry and "<null>" for NULL.
    QString storedValue(const QString& table, const QString& name) const
    {
        QString value = QStringLiteral("<missing>");
        withDatabase([&](QSqlDatabase& db) {
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

    // Another program changes an entry behind the window's back.
    void setStoredValue(const QString& table, const QString& name, const QString& value)
    {
        withDatabase([&](QSqlDatabase& db) {
            QSqlQuery query(db);
            QVERIFY(query.prepare(
                QStringLiteral("UPDATE %1 SET value = ? WHERE name = ?").arg(QuoteIdentifier(table))));
            query.addBindValue(value);
            query.addBindValue(name);
            QVERIFY(query.exec());
        });
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const RecordedBox& box : boxes)
            texts << box.text;
        return texts;
    }
    QList<BoxKind> boxKinds() const
    {
        QList<BoxKind> kinds;
        for (const RecordedBox& box : boxes)
            kinds << box.kind;
        return kinds;
    }

    FakePlatform desktop;
    std::unique_ptr<TfrmMain> form;
    QList<RecordedBox> boxes;
    bool confirmAnswer = true;
    // Runs while a recorded box stands open, e.g. to deliver the focus change a real one makes.
    std::function<void()> whileBoxOpen;
    QString library;

private:
    template <typename Work> void withDatabase(Work&& work) const
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
    void writeSetting(const QString& line)
    {
        const QString folder = m_dir.path() + QStringLiteral("/Quillmoor/Pastewise");
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/Settings.reg"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\r\n%1\r\n")
                       .arg(line)
                       .toUtf8());
    }

    QTemporaryDir m_dir;
};

// Exceptions that leave a handler reach the error box through the application, as in the
// program itself, so the suites run on the program's own application class.
#define PW_ENTRY_TEST_MAIN(TestClass)                                                                        \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        TApplication app(argc, argv);                                                                        \
        TApplication::setQuitOnLastWindowClosed(false);                                                      \
        TestClass test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
