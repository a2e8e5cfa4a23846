#pragma once
// The real main window over a library file in a private folder, on a fake desktop, with its
// settings in that folder too and every message box recorded and answered instead of shown.
// Helpers read the file through a connection of their own, so a check sees what was really
// stored.

#include "app/Application.h"
#include "app/EntryGrid.h"
#include "app/MainForm.h"
#include "library/TableDataset.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/MainWindowControls.h"
#include "tests/support/RecordedBoxes.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <utility>

using EntryRows = QList<std::pair<QString, QString>>;

class MainWindowFixture final {
public:
    MainWindowFixture();
    ~MainWindowFixture();
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;

    // Settings lines in the registry-export form, e.g. "\"TrayIcon\"=dword:00000000"; they
    // replace whatever the settings file held.
    void writeSettings(const QStringList& lines);

    // The library: tables made the way the program makes them, and any other statement.
    void addTable(const QString& table, const EntryRows& rows = {});
    void dropTable(const QString& table);
    void exec(const QString& sql);
    // What the file holds: the names in order, or "<no table>" when there is no such table.
    QStringList storedNames(const QString& table) const;
    // The stored value, or "<missing>" when there is no such entry and "<null>" for NULL.
    QString storedValue(const QString& table, const QString& name) const;
    // Another program changes an entry behind the window's back.
    void setStoredValue(const QString& table, const QString& name, const QString& value);

    // The window made and started as the program's entry does; start-up errors go up to the
    // test. With realDesktop the form makes its own X11 platform, for a real X server.
    TfrmMain& create(bool realDesktop = false);
    // The same, shown.
    TfrmMain& start(bool realDesktop = false);
    // Shown, active and with the focus in the search box, ready for typing; start-up errors
    // (a missing library) are reported as the program's entry reports them.
    TfrmMain& startForTyping();

    // Input as the user gives it. Key strokes go to whatever has the focus.
    void focus(QWidget* widget);
    static QWidget* focused();
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // One character at a time: the first one typed into the grid opens its editor, which
    // then has the focus for the rest.
    static void type(const QString& text);
    // A command as the user runs it: its toolbar button.
    void click(const char* commandName);
    // Focusing the search box selects its whole text a moment later, so typing replaces it.
    void focusSearchBox();
    // Tab from the search box: the grid is next in the focus order.
    void tabIntoGrid();
    void clickRow(int row);
    void clickTab(int index);

    QLineEdit* cellEditor() const;
    bool waitForCellEditor() const;
    // Enter in the editor commits and closes it once the event loop runs again.
    bool waitForCellEditorClosed() const;
    // The name the grid shows as current.
    QString shownName() const;

    FakePlatform desktop;
    RecordedBoxes boxes;
    std::unique_ptr<TfrmMain> form;
    QString library;

private:
    QTemporaryDir m_dir;
};

// Exceptions that leave a handler reach the error box through the application, as in the
// program itself, so such suites run on the program's own application class.
#define PW_APPLICATION_TEST_MAIN(TestClass)                                                                  \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        TApplication app(argc, argv);                                                                        \
        TApplication::setQuitOnLastWindowClosed(false);                                                      \
        TestClass test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
