// The activation hotkey, the tray icon and always-on-top of the real program, driven from
// another program's window the way a user would. The Options dialog's hotkey handling runs
// against the real desktop in tests/presence (tst_presence_x11).

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

using namespace XDesktop;

namespace {
const QStringList kOneTable = {
    QStringLiteral("CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"),
    QStringLiteral("INSERT INTO \"Mail\" VALUES ('hello', 'Hello there')"),
};
constexpr int kWaitMs = 10000;

// Another program's window: a line edit that records every key press that reaches it.
class OtherProgram final : public QLineEdit {
public:
    OtherProgram()
    {
        setWindowTitle(QStringLiteral("Other program"));
        resize(300, 40);
        move(20, 600);
    }
    QStringList keys;
    QString id() const { return QString::number(winId()); }

    bool bringToFront()
    {
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id()});
        return QTest::qWaitFor([this] { return activeWindow() == id() && isActiveWindow(); }, kWaitMs);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        keys << QKeySequence(event->keyCombination()).toString();
        QLineEdit::keyPressEvent(event);
    }
};
} // namespace

class TestPresenceEndToEnd final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void hotKeyShowsProgramReadyAndRecordsTarget_data();
    void hotKeyShowsProgramReadyAndRecordsTarget();
    void secondCopyReportsHotKeyAndStillStarts();
    void showCommandCallsTheRunningCopyUpOrStartsOne();
    void minimiseHidesIntoTrayAndClickBringsBack();
    void trayClickWhileADialogIsOpenBringsTheDialogBack();
    void minimiseWithoutTrayHostKeepsTaskbarEntry();
    void alwaysOnTopIsAppliedAtStartAndOnEveryShow();
    void signalWhileOptionsIsOpenEndsWithoutAnotherBox();

private:
    // Presses a combination in the other program; true when the program came to the front.
    bool pressAndExpectProgram(AppHarness& app, const QString& combination);
    QString searchBoxText(AppHarness& app);
    bool startTrayHost();
    // The program's icon in the tray host (a small window of its own), once it is viewable.
    QString trayIcon();
    static void clickTrayIcon(const QString& icon);
    // Opens View > Options... from the keyboard; the dialog's window, "" when it did not open.
    QString openOptions(AppHarness& app);

    std::unique_ptr<OtherProgram> m_other;
    QProcess m_trayer;
};

void TestPresenceEndToEnd::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server");
}

void TestPresenceEndToEnd::init()
{
    m_other = std::make_unique<OtherProgram>();
    m_other->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_other.get()));
}

void TestPresenceEndToEnd::cleanup()
{
    m_other.reset();
    if (m_trayer.state() != QProcess::NotRunning) {
        m_trayer.terminate();
        m_trayer.waitForFinished(kWaitMs);
    }
}

bool TestPresenceEndToEnd::pressAndExpectProgram(AppHarness& app, const QString& combination)
{
    if (!m_other->bringToFront())
        return false;
    xdo({QStringLiteral("key"), combination});
    return QTest::qWaitFor([&] { return activeWindow() == app.mainWindow(); }, kWaitMs);
}

QString TestPresenceEndToEnd::searchBoxText(AppHarness& app)
{
    // Whatever has the focus in the program is selected, which hands the text to the
    // primary selection. Ctrl+C would not do: the window's Copy Only command takes it.
    AppHarness::run(QStringLiteral("xclip"),
        {QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-i"),
            QStringLiteral("/dev/null")});
    xdo({QStringLiteral("key"), QStringLiteral("--window"), app.mainWindow(), QStringLiteral("ctrl+a")});
    QString text;
    (void)QTest::qWaitFor(
        [&] {
            text = AppHarness::run(QStringLiteral("xclip"),
                {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("primary")});
            return !text.isEmpty();
        },
        kWaitMs);
    return text;
}

void TestPresenceEndToEnd::hotKeyShowsProgramReadyAndRecordsTarget_data()
{
    QTest::addColumn<bool>("numLock");
    QTest::newRow("plain") << false;
    QTest::newRow("NumLock on") << true;
}

void TestPresenceEndToEnd::hotKeyShowsProgramReadyAndRecordsTarget()
{
    QFETCH(bool, numLock);
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());
    if (numLock)
        xdo({QStringLiteral("key"), QStringLiteral("Num_Lock")});
    const auto restoreNumLock = qScopeGuard([numLock] {
        if (numLock)
            xdo({QStringLiteral("key"), QStringLiteral("Num_Lock")});
    });

    QVERIFY(pressAndExpectProgram(app, QStringLiteral("ctrl+F8")));
    QVERIFY(QTest::qWaitFor(
        [&] { return app.output().contains(QStringLiteral("paste target %1").arg(m_other->id())); },
        kWaitMs));
    xdo({QStringLiteral("type"), QStringLiteral("xyz")});
    QCOMPARE(searchBoxText(app), QStringLiteral("xyz"));
    // Pressed again with the program in front: the program it was called from stays the target.
    xdo({QStringLiteral("key"), QStringLiteral("ctrl+F8")});
    QVERIFY(QTest::qWaitFor(
        [&] { return app.output().contains(QStringLiteral("paste target stays %1").arg(m_other->id())); },
        kWaitMs));

    // From the minimised state too; the box is emptied and has the focus again.
    xdo({QStringLiteral("windowminimize"), app.mainWindow()});
    QVERIFY(QTest::qWaitFor([&] { return wmState(app.mainWindow()) == QLatin1String("Iconic"); }, kWaitMs));
    QVERIFY(pressAndExpectProgram(app, QStringLiteral("ctrl+F8")));
    QCOMPARE(wmState(app.mainWindow()), QStringLiteral("Normal"));
    xdo({QStringLiteral("type"), QStringLiteral("abc")});
    QCOMPARE(searchBoxText(app), QStringLiteral("abc"));
    // The grab took the combination; the other window saw at most the Ctrl key going down.
    QVERIFY(!m_other->keys.contains(QStringLiteral("Ctrl+F8")));
    QVERIFY(app.closeWindow());
}

void TestPresenceEndToEnd::secondCopyReportsHotKeyAndStillStarts()
{
    AppHarness first;
    QVERIFY(first.createLibrary(kOneTable));
    QVERIFY(first.start());
    AppHarness second;
    QVERIFY(second.createLibrary(kOneTable));
    QVERIFY(second.launch());
    QVERIFY(second.waitForBoxAndDismiss(QStringLiteral("Unable register hot key!")));
    // Only once the box has gone is the one window left with the title the main window.
    QVERIFY(QTest::qWaitFor(
        [&] {
            return xdo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--pid"), QString::number(second.pid()), QStringLiteral("--name"),
                           QStringLiteral("^Pastewise$")})
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                       .size()
                == 1;
        },
        kWaitMs));
    QVERIFY(second.waitForMainWindow());
    QCOMPARE(second.boxesShown(), QStringList {QStringLiteral("Pastewise | Unable register hot key!")});
    // The combination still belongs to the first copy.
    QVERIFY(pressAndExpectProgram(first, QStringLiteral("ctrl+F8")));
    QVERIFY(second.closeWindow());
    QVERIFY(first.closeWindow());
    QVERIFY(first.boxesShown().isEmpty());
}

void TestPresenceEndToEnd::showCommandCallsTheRunningCopyUpOrStartsOne()
{
    QVERIFY(startTrayHost());
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    app.setArguments({QStringLiteral("--hidden")});
    QVERIFY(app.launch());
    QVERIFY(QTest::qWaitFor(
        [&] { return app.output().contains(QStringLiteral("hidden start; in the tray")); }, kWaitMs));
    QVERIFY(m_other->bringToFront());

    QProcess show;
    show.start(app.appDir() + QStringLiteral("/pastewise"), {QStringLiteral("--show")});
    QVERIFY(show.waitForFinished(kWaitMs));
    QCOMPARE(show.exitStatus(), QProcess::NormalExit);
    QCOMPARE(show.exitCode(), 0);
    QVERIFY(app.waitForMainWindow(kWaitMs));
    QVERIFY(QTest::qWaitFor([&] { return activeWindow() == app.mainWindow(); }, kWaitMs));
    // As the hotkey does: the window it was called from is the paste target.
    QVERIFY(QTest::qWaitFor(
        [&] { return app.output().contains(QStringLiteral("paste target %1").arg(m_other->id())); },
        kWaitMs));
    xdo({QStringLiteral("type"), QStringLiteral("abc")});
    QCOMPARE(searchBoxText(app), QStringLiteral("abc"));
    QVERIFY(app.closeWindow());

    // Nobody answers now, so the command starts a copy itself.
    AppHarness started;
    QVERIFY(started.createLibrary(kOneTable));
    started.setArguments({QStringLiteral("--show")});
    QVERIFY(started.start());
    QVERIFY(started.closeWindow());
    QCOMPARE(started.exitCode(), 0);
}

bool TestPresenceEndToEnd::startTrayHost()
{
    m_trayer.start(QStringLiteral("trayer"),
        {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("right"),
            QStringLiteral("--widthtype"), QStringLiteral("pixel"), QStringLiteral("--width"),
            QStringLiteral("100"), QStringLiteral("--height"), QStringLiteral("24")});
    return m_trayer.waitForStarted(kWaitMs)
        && QTest::qWaitFor(
            [] {
                return !xdo({QStringLiteral("search"), QStringLiteral("--class"), QStringLiteral("^trayer$")})
                            .isEmpty();
            },
            kWaitMs);
}

QString TestPresenceEndToEnd::trayIcon()
{
    QString icon;
    const QRegularExpression iconLine(QStringLiteral("^\\s*(0x[0-9a-f]+) \"Pastewise\": \\(\"pastewise\" "
                                                     "\"Pastewise\"\\)\\s+(\\d+)x(\\d+)"),
        QRegularExpression::MultilineOption);
    (void)QTest::qWaitFor(
        [&] {
            auto it = iconLine.globalMatch(AppHarness::run(
                QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}));
            while (it.hasNext()) {
                const auto m = it.next();
                if (m.captured(2).toInt() <= 64 && m.captured(3).toInt() <= 64)
                    icon = m.captured(1);
            }
            return !icon.isEmpty() && isViewable(icon);
        },
        kWaitMs);
    return isViewable(icon) ? icon : QString();
}

void TestPresenceEndToEnd::clickTrayIcon(const QString& icon)
{
    xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("5"),
        QStringLiteral("5"), QStringLiteral("click"), QStringLiteral("1")});
}

QString TestPresenceEndToEnd::openOptions(AppHarness& app)
{
    const auto visibleWindows = [&](const QString& name) {
        return xdo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--pid"), QString::number(app.pid()), QStringLiteral("--name"), name})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    const QStringList before = visibleWindows(QStringLiteral(".*"));
    xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), app.mainWindow()});
    xdo({QStringLiteral("key"), QStringLiteral("alt+v")});
    // The item is chosen once the menu is on the screen.
    if (!QTest::qWaitFor(
            [&] { return visibleWindows(QStringLiteral(".*")).size() > before.size(); }, kWaitMs))
        return {};
    xdo({QStringLiteral("key"), QStringLiteral("o")});
    QStringList dialog;
    (void)QTest::qWaitFor(
        [&] {
            dialog = visibleWindows(QStringLiteral("^Options$"));
            return !dialog.isEmpty();
        },
        kWaitMs);
    return dialog.value(0);
}

void TestPresenceEndToEnd::minimiseHidesIntoTrayAndClickBringsBack()
{
    QVERIFY(startTrayHost());
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    QVERIFY(app.start());
    const QString icon = trayIcon();
    QVERIFY(!icon.isEmpty());

    xdo({QStringLiteral("type"), QStringLiteral("kept")});
    xdo({QStringLiteral("windowminimize"), app.mainWindow()});
    QVERIFY(QTest::qWaitFor(
        [&] { return !isViewable(app.mainWindow()) && wmState(app.mainWindow()).isEmpty(); }, kWaitMs));
    QVERIFY(QTest::qWaitFor(
        [&] { return app.output().contains(QStringLiteral("hidden into the tray")); }, kWaitMs));

    clickTrayIcon(icon);
    QVERIFY(QTest::qWaitFor([&] { return activeWindow() == app.mainWindow(); }, kWaitMs));
    QCOMPARE(wmState(app.mainWindow()), QStringLiteral("Normal"));
    xdo({QStringLiteral("type"), QStringLiteral("new")});
    QCOMPARE(searchBoxText(app), QStringLiteral("new"));
    QVERIFY(app.closeWindow());
}

void TestPresenceEndToEnd::trayClickWhileADialogIsOpenBringsTheDialogBack()
{
    QVERIFY(startTrayHost());
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    QVERIFY(app.start());
    const QString icon = trayIcon();
    QVERIFY(!icon.isEmpty());
    const QString dialog = openOptions(app);
    QVERIFY(!dialog.isEmpty());

    QVERIFY(m_other->bringToFront());
    clickTrayIcon(icon);
    QVERIFY(QTest::qWaitFor([&] { return activeWindow() == dialog; }, kWaitMs));
    QVERIFY(isViewable(app.mainWindow()));
    QVERIFY(app.sendSignal(SIGTERM)); // the main window takes no close request under the dialog
}

void TestPresenceEndToEnd::minimiseWithoutTrayHostKeepsTaskbarEntry()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    QVERIFY(app.start()); // the tray option is on by default
    xdo({QStringLiteral("windowminimize"), app.mainWindow()});
    // The program logs its decision once the minimise is complete; only then is the state final.
    QVERIFY(QTest::qWaitFor(
        [&] { return app.output().contains(QStringLiteral("staying on the taskbar")); }, kWaitMs));
    QCOMPARE(wmState(app.mainWindow()), QStringLiteral("Iconic"));
    QVERIFY(app.closeWindow());
}

void TestPresenceEndToEnd::alwaysOnTopIsAppliedAtStartAndOnEveryShow()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    app.writeSettingsFile(settingsWith(
        {QStringLiteral("\"TopMost\"=dword:00000001"), QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());
    QVERIFY(QTest::qWaitFor([&] { return isAbove(app.mainWindow()); }, kWaitMs));
    // The window manager drops the band while the window is iconic under some settings; the
    // show through the hotkey puts it back in any case.
    xdo({QStringLiteral("windowminimize"), app.mainWindow()});
    QVERIFY(QTest::qWaitFor([&] { return wmState(app.mainWindow()) == QLatin1String("Iconic"); }, kWaitMs));
    QVERIFY(pressAndExpectProgram(app, QStringLiteral("ctrl+F8")));
    QVERIFY(QTest::qWaitFor([&] { return isAbove(app.mainWindow()); }, kWaitMs));

    QVERIFY(app.closeWindow());
}

void TestPresenceEndToEnd::signalWhileOptionsIsOpenEndsWithoutAnotherBox()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());
    QVERIFY(!openOptions(app).isEmpty());
    // The dialog has released the hotkey, and another program takes it meanwhile: closing the
    // dialog cannot get it back, which a user would be told in a box.
    AppHarness other;
    QVERIFY(other.createLibrary(kOneTable));
    QVERIFY(other.start());
    QVERIFY(other.boxesShown().isEmpty());

    QVERIFY(app.sendSignal(SIGTERM));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
    QVERIFY2(app.boxesShown().isEmpty(), qPrintable(app.boxesShown().join(QLatin1Char('\n'))));
    QVERIFY(app.output().contains(
        QStringLiteral("not shown, no one can answer it: Pastewise | Unable register hot key!")));
    QVERIFY(app.settingsText().contains(QStringLiteral("\"CurTable\"=\"Mail\"")));
    QVERIFY(other.closeWindow());
}

QTEST_MAIN(TestPresenceEndToEnd)
#include "tst_presence.moc"
