// Commands of the main window as built: the actions, the menu bar and the toolbar read
// back from the widgets, the shortcuts against the focused control, the default button,
// help and About.

#include "tests/DesignFont.h"
#include "tests/support/MainWindowFixture.h"

#include "app/About.h"
#include "common/Common.h"
#include "common/Errors.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// Records the documents the program asks the desktop to open, instead of opening them.
class OpenedUrls final : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

// The handlers of every command are cut off, so a shortcut test sees only which command
// the key reached, never what the command does.
void disconnectHandlers(TfrmMain& form)
{
    for (QAction* action : form.actions())
        QObject::disconnect(action, &QAction::triggered, &form, nullptr);
}

void activate(QWidget& window, QWidget* focus)
{
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    focus->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(focus->hasFocus(), 5000);
}

} // namespace

class TestMainCommands final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { UseDesignSizedFont(); }

    void commandsAreBuiltFromTheTable()
    {
        struct Row {
            const char* name;
            const char* caption;
            const char* toolTip;
            const char* shortcut;
            bool checkable;
            bool image;
        };
        // clang-format off
        const Row table[] = {
            {"actNewTable",      "New Table",          "New Table",          "Ctrl+N", false, true},
            {"actDeleteTable",   "Delete Table",       "Delete Table",       "",       false, true},
            {"actRenameTable",   "Rename Table",       "Rename Table",       "",       false, false},
            {"actExit",          "Exit",               "Exit",               "",       false, true},
            {"actPaste",         "Quick Paste",        "Quick Paste",        "",       false, true},
            {"actCopy",          "Copy Only",          "Copy Only",          "Ctrl+C", false, true},
            {"actAdd",           "Add Entry",          "Add Entry",          "",       false, true},
            {"actDelete",        "Delete Entry",       "Delete Entry",       "",       false, true},
            {"actEdit",          "Change Entry Name",  "Change Entry Name",  "Ctrl+E", false, true},
            {"actFirst",         "First Entry",        "First Entry",        "",       false, true},
            {"actLast",          "Last Entry",         "Last Entry",         "",       false, true},
            {"actNext",          "Next Entry",         "Next Entry",         "",       false, true},
            {"actPrevious",      "Previous Entry",     "Previous Entry",     "",       false, true},
            {"actCompact",       "Compact Mode",       "Compact/Full",       "",       true,  true},
            {"actTopMost",       "Always On Top",      "Always On Top",      "",       true,  true},
            {"actPasteAutoHide", "Auto Hide At Paste", "Auto Hide At Paste", "",       true,  true},
            {"actRestoreClipboard", "Restore Clipboard After Paste", "Restore Clipboard After Paste", "", true, false},
            {"actTrayIcon",      "Show Tray Icon",     "Show Tray Icon",     "",       true,  true},
            {"actOptions",       "Options...",         "Options",            "",       false, true},
            {"actHelp",          "Contents",           "Help",               "",       false, true},
            {"actAbout",         "About",              "About",              "",       false, true},
            {"actStartWithDesktop", "Start With Desktop", "Start With Desktop", "", true, false},
            {"actPasteKeys",     "Paste Keys...",      "Paste Keys",         "",       false, false},
            {"actLibrary",       "Library...",         "Library",            "",       false, false},
        };
        // clang-format on
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        QCOMPARE(form.actions().size(), qsizetype(std::size(table)));
        for (const Row& row : table) {
            const QAction* action = command(form, row.name);
            QCOMPARE(action->iconText(), QLatin1String(row.caption));
            QCOMPARE(action->toolTip(), QLatin1String(row.toolTip));
            QCOMPARE(action->shortcut(), QKeySequence(QLatin1String(row.shortcut)));
            QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
            QCOMPARE(action->isCheckable(), row.checkable);
            QCOMPARE(!action->icon().isNull(), row.image);
            QVERIFY(action->isEnabled());
        }
        QCOMPARE(btnCopy(form)->text(), QStringLiteral("Copy Only"));
        QVERIFY(!form.windowIcon().isNull());
    }

    void menusReadBackInOrder()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        QStringList menus;
        for (const QAction* top : ActionMainMenuBar1(form)->actions()) {
            QStringList items;
            for (const QAction* item : top->menu()->actions()) {
                QString text = item->isSeparator() ? QStringLiteral("-") : item->text();
                if (!item->shortcut().isEmpty())
                    text += QStringLiteral(" (") + item->shortcut().toString() + QLatin1Char(')');
                items << text;
            }
            menus << top->text() + QStringLiteral(": ") + items.join(QStringLiteral("; "));
        }
        const QStringList expected {
            QStringLiteral(
                "&File: &New Table (Ctrl+N); &Delete Table; &Rename Table; -; &Library...; -; &Exit"),
            QStringLiteral(
                "&Edit: Quick Paste; &Copy Only (Ctrl+C); -; A&dd Entry; D&elete Entry; "
                "C&hange Entry Name (Ctrl+E); -; &First Entry; &Last Entry; &Next Entry; &Previous Entry"),
            QStringLiteral("&View: &Compact Mode; A&lways On Top; &Auto Hide At Paste; "
                           "&Restore Clipboard After Paste; &Show Tray Icon; "
                           "Start &With Desktop; "
                           "-; &Options...; Paste &Keys..."),
            QStringLiteral("&Help: Contents; &About"),
        };
        QCOMPARE(menus, expected);
        QVERIFY(!ActionMainMenuBar1(form)->isNativeMenuBar());
    }

    void toolbarButtonsInOrderWithTheirTooltips()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        QStringList buttons;
        for (QAction* action : ToolBar1(form)->actions()) {
            if (action->isSeparator()) {
                buttons << QStringLiteral("|");
                continue;
            }
            auto* button = qobject_cast<QToolButton*>(ToolBar1(form)->widgetForAction(action));
            QVERIFY(button != nullptr);
            QCOMPARE(button->width(), 23);
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
            buttons << button->toolTip();
        }
        const QString expected = QStringLiteral(
            "Quick Paste,Copy Only,Compact Mode,|,Add Entry,Delete Entry,Change Entry Name,|,First Entry,"
            "Previous Entry,Next Entry,Last Entry,|,Auto Hide At Paste,Always On Top,Show Tray "
            "Icon,Options,Exit,|,"
            "Help,About");
        QCOMPARE(buttons.join(QLatin1Char(',')), expected);

        // The Compact Mode button keeps its own tooltip through the command's changes.
        auto* compact
            = qobject_cast<QToolButton*>(ToolBar1(form)->widgetForAction(command(form, "actCompact")));
        compact->click();
        QVERIFY(form.settings().CompactMode);
        QVERIFY(compact->isChecked());
        QCOMPARE(compact->toolTip(), QStringLiteral("Compact Mode"));
        compact->click();
        QVERIFY(!form.settings().CompactMode);
        QVERIFY(!compact->isChecked());
    }

    void autoHideAtPasteOnlyFlipsItsCheck()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        auto* button
            = qobject_cast<QToolButton*>(ToolBar1(form)->widgetForAction(command(form, "actPasteAutoHide")));
        const bool before = command(form, "actPasteAutoHide")->isChecked();
        button->click();
        QCOMPARE(command(form, "actPasteAutoHide")->isChecked(), !before);
        QCOMPARE(button->isChecked(), !before);
        QVERIFY(command(form, "actPasteAutoHide")->isEnabled());
        command(form, "actPasteAutoHide")->trigger();
        QCOMPARE(command(form, "actPasteAutoHide")->isChecked(), before);
        QVERIFY(fixture.boxes.empty());
    }

    void shortcutsReachCommandsFromTheControls_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("commandName");
        for (const char* control : {"txtName", "memValue"}) {
            const QString name = QLatin1String(control);
            QTest::addRow("%s Ctrl+C", control) << name << int(Qt::Key_C) << QStringLiteral("actCopy");
            QTest::addRow("%s Ctrl+E", control) << name << int(Qt::Key_E) << QStringLiteral("actEdit");
            QTest::addRow("%s Ctrl+N", control) << name << int(Qt::Key_N) << QStringLiteral("actNewTable");
        }
    }

    void shortcutsReachCommandsFromTheControls()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, commandName);
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        disconnectHandlers(form);
        txtName(form)->setText(QStringLiteral("selected words"));
        txtName(form)->selectAll();
        memValue(form)->setPlainText(QStringLiteral("selected words"));
        memValue(form)->selectAll();
        QWidget* focus
            = control == QLatin1String("txtName") ? static_cast<QWidget*>(txtName(form)) : memValue(form);
        activate(form, focus);
        QApplication::clipboard()->setText(QStringLiteral("untouched"));

        QAction* target = command(form, commandName.toLatin1().constData());
        QSignalSpy spy(target, &QAction::triggered);
        QTest::keyClick(focus, static_cast<Qt::Key>(key), Qt::ControlModifier);
        QCOMPARE(spy.count(), 1);
        // The control did not act on the key: no copy of its selection, which stays put.
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched"));
        const QString selection = focus == txtName(form) ? txtName(form)->selectedText()
                                                         : memValue(form)->textCursor().selectedText();
        QCOMPARE(selection, QStringLiteral("selected words"));
    }

    void shortcutsLeaveOtherWindowsAlone()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        disconnectHandlers(form);
        QDialog dialog(&form);
        auto* edit = new QLineEdit(QStringLiteral("dialog text"), &dialog);
        edit->selectAll();
        dialog.show();
        activate(dialog, edit);
        QApplication::clipboard()->setText(QStringLiteral("untouched"));
        QSignalSpy spy(command(form, "actCopy"), &QAction::triggered);
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("dialog text"));
    }

    void enterPressesTheDefaultButton_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("pastes");
        QTest::newRow("search box") << QStringLiteral("txtName") << true;
        QTest::newRow("tab strip") << QStringLiteral("TabCtrl") << true;
        // A focused button is the one Enter presses.
        QTest::newRow("Copy Only button") << QStringLiteral("btnCopy") << false;
    }

    void enterPressesTheDefaultButton()
    {
        QFETCH(QString, control);
        QFETCH(bool, pastes);
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        QObject::disconnect(btnPaste(form), &QPushButton::clicked, &form, nullptr);
        QObject::disconnect(btnCopy(form), &QPushButton::clicked, command(form, "actCopy"), nullptr);
        QSignalSpy paste(btnPaste(form), &QPushButton::clicked);
        QSignalSpy copy(btnCopy(form), &QPushButton::clicked);
        auto* focus = form.findChild<QWidget*>(control);
        QVERIFY(focus != nullptr);
        activate(form, focus);
        QTest::keyClick(focus, Qt::Key_Return);
        QCOMPARE(paste.count(), pastes ? 1 : 0);
        QCOMPARE(copy.count(), pastes ? 0 : 1);
    }

    void helpOpensTheHelpFileBesideTheProgramOnly()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        OpenedUrls opened;
        const QString helpFile = AppDir() + QStringLiteral("Pastewise.chm");
        QFile::remove(helpFile);
        const int windows = QApplication::topLevelWidgets().size();

        command(form, "actHelp")->trigger();
        QVERIFY(opened.urls.isEmpty());
        QVERIFY(fixture.boxes.empty());
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);

        QFile file(helpFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        command(form, "actHelp")->trigger();
        QFile::remove(helpFile);
        QCOMPARE(opened.urls, QList<QUrl> {QUrl::fromLocalFile(helpFile)});
        QVERIFY(fixture.boxes.empty());
    }

    void aboutIsAFreshModalBoxCentredOverTheWindow()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 5000);
        const QPoint formCentre(form.x() + form.OuterWidth() / 2, form.y() + form.OuterHeight() / 2);

        QList<QPointer<TfrmAbout>> seen;
        QList<QPoint> centres;
        QTimer closer;
        closer.setInterval(5);
        connect(&closer, &QTimer::timeout, this, [&seen, &centres] {
            auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
            if (about == nullptr || !about->isVisible())
                return;
            centres << QPoint(about->x() + (about->width() + 8) / 2, about->y() + (about->height() + 27) / 2);
            seen << about;
            about->close();
        });
        closer.start();
        for (int i = 0; i < 2; ++i) {
            command(form, "actAbout")->trigger();
            // Released once closed: the next command makes a new one.
            QCOMPARE(seen.size(), i + 1);
            QVERIFY(seen.last().isNull());
            QVERIFY2(
                (centres.last() - formCentre).manhattanLength() <= 2, "not centred over the main window");
        }
        QVERIFY(fixture.boxes.empty());
    }

    // The check mark is the entry's presence; the entry starts this very program hidden.
    void startWithDesktopWritesAndRemovesTheAutostartEntry()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        QAction* action = command(form, "actStartWithDesktop");
        const QString entryPath
            = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/pastewise.desktop");
        QVERIFY(!action->isChecked());

        action->trigger();
        QVERIFY(action->isChecked());
        QFile entry(entryPath);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        entry.close();
        QVERIFY2(text.contains(
                     QStringLiteral("\nExec=\"%1\" --hidden\n").arg(QCoreApplication::applicationFilePath())),
            qPrintable(text));

        action->trigger();
        QVERIFY(!action->isChecked());
        QVERIFY(!QFile::exists(entryPath));

        // Made by another copy or by hand: the menu shows it when it opens.
        QDir().mkpath(QFileInfo(entryPath).absolutePath());
        QVERIFY(QFile(entryPath).open(QIODevice::WriteOnly));
        Q_EMIT ActionMainMenuBar1(form)->actions().at(2)->menu()->aboutToShow();
        QVERIFY(action->isChecked());
    }

    void startWithDesktopThatCannotWriteKeepsItsMarkAndReports()
    {
        MainWindowFixture fixture({QStringLiteral("Mail")});
        TfrmMain& form = fixture.start();
        // A file where the autostart folder should be: the entry cannot be written.
        QFile blocker(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QAction* action = command(form, "actStartWithDesktop");
        // As the click does: the mark flips, then the handler runs (called here directly, since
        // an exception must not unwind through Qt's own frames).
        action->setChecked(true);
        QVERIFY_THROWS_EXCEPTION(AppError, form.actStartWithDesktopExecute());
        QVERIFY(!action->isChecked());
    }
};

QTEST_MAIN(TestMainCommands)
#include "tst_main_commands.moc"
