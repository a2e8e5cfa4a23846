// Quick Paste and Copy Only of the real program into another program's text field (Tk's,
// which nobody here wrote), called up with the hotkey the way a user does it.

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace XDesktop;

namespace {
const QStringList kLibrary = {
    QStringLiteral("CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"),
    QStringLiteral("INSERT INTO \"Mail\" VALUES ('greeting', 'Hello there')"),
    QStringLiteral("INSERT INTO \"Mail\" VALUES ('letter', 'Dear %name%,')"),
    QStringLiteral("INSERT INTO \"Mail\" VALUES ('lunch', 'At noon?')"),
};
constexpr int kWaitMs = 10000;
// Konsole and the Python terminals take a while to come up on a busy machine.
constexpr int kStartMs = 60000;

// The other program: a Tk text field, asked over a pipe what it holds.
class PasteTarget final {
public:
    bool start()
    {
        m_wish.start(QStringLiteral("wish"), {QStringLiteral(PW_SOURCE_DIR "/tests/e2e/paste_target.tcl")});
        if (!m_wish.waitForStarted(kWaitMs))
            return false;
        // "ready" comes once the field is on the screen.
        if (!QTest::qWaitFor([this] { return m_wish.canReadLine(); }, kWaitMs))
            return false;
        m_wish.readLine();
        // The window the window manager manages is Tk's wrapper around the toplevel.
        m_id = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
            QStringLiteral("^Paste target$")});
        return !m_id.isEmpty() && !m_id.contains(QLatin1Char('\n'));
    }
    ~PasteTarget()
    {
        m_wish.closeWriteChannel();
        if (!m_wish.waitForFinished(kWaitMs))
            m_wish.kill();
    }
    QString id() const { return m_id; }

    bool bringToFront()
    {
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), m_id});
        return QTest::qWaitFor([this] { return activeWindow() == m_id; }, kWaitMs);
    }
    // The field's content, with CR, LF and TAB written as \r, \n and \t.
    QString text() { return ask(QStringLiteral("dump")); }
    bool waitForText(const QString& expected)
    {
        return QTest::qWaitFor([&] { return text() == expected; }, kWaitMs);
    }

private:
    QString ask(const QString& command)
    {
        m_wish.write((command + QLatin1Char('\n')).toUtf8());
        if (!QTest::qWaitFor([this] { return m_wish.canReadLine(); }, kWaitMs))
            return {};
        return QString::fromUtf8(m_wish.readLine()).chopped(1);
    }

    QProcess m_wish;
    QString m_id;
};

// A terminal running `cat > FILE`, with its stock settings: a home folder of its own, so that
// no configuration from an earlier run counts, and a D-Bus session bus of its own, which the
// GNOME, KDE and Xfce terminals need and which takes the services it started with it when
// it ends.
class TerminalTarget final {
public:
    // In the arguments "SCRIPT" stands for the script that runs cat; windowName, the title,
    // tells the terminal from the program's other windows when it opens more than one.
    bool start(
        const QString& program, QStringList arguments, const QString& instance, const QString& windowName)
    {
        if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("home")))
            return false;
        // The services the bus starts (GNOME Terminal's server) run with its environment.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            environment.remove(QString::fromLatin1(name));
        if (!startBus(environment))
            return false;
        // cat reads the text as it arrives, without a line break: a pasted line break makes
        // some terminals (xfce4-terminal) ask before they paste.
        QFile script(m_dir.filePath(QStringLiteral("run.sh")));
        if (!script.open(QIODevice::WriteOnly))
            return false;
        script.write(QStringLiteral("stty -icanon\nexec cat > '%1'\n").arg(file()).toUtf8());
        script.close();
        for (QString& argument : arguments)
            argument.replace(QStringLiteral("SCRIPT"), script.fileName());

        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        m_terminal.setProcessEnvironment(environment);
        m_terminal.start(program, arguments);
        if (!m_terminal.waitForStarted(kWaitMs))
            return false;
        const QStringList search {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
            QStringLiteral("--classname"), QLatin1Char('^') + instance + QLatin1Char('$')};
        return QTest::qWaitFor(
            [&] {
                QStringList windows = xdo(search).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                if (!windowName.isEmpty())
                    windows.removeIf([&windowName](const QString& window) {
                        return xdo({QStringLiteral("getwindowname"), window}) != windowName;
                    });
                m_id = windows.size() == 1 ? windows.constFirst() : QString();
                return !m_id.isEmpty() && QFile::exists(file());
            },
            kStartMs);
    }
    ~TerminalTarget()
    {
        stop(m_terminal);
        stop(m_bus);
    }
    QString id() const { return m_id; }
    QString file() const { return m_dir.filePath(QStringLiteral("pasted.txt")); }
    QString text() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    bool startBus(const QProcessEnvironment& environment)
    {
        m_bus.setProcessEnvironment(environment);
        m_bus.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!m_bus.waitForStarted(kWaitMs)
            || !QTest::qWaitFor([this] { return m_bus.canReadLine(); }, kWaitMs))
            return false;
        m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
        return !m_busAddress.isEmpty();
    }
    static void stop(QProcess& process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(kWaitMs))
            process.kill();
        process.waitForFinished(kWaitMs);
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_busAddress;
    QProcess m_terminal;
    QString m_id;
};
} // namespace

class TestDeliveryEndToEnd final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("wish")).isEmpty(),
            "wish (package tk) is missing");
    }

    void enterPastesIntoTheOtherProgram_data();
    void enterPastesIntoTheOtherProgram();
    void copyOnlyInTheEditorCopiesTheWholeEntry();
    void shiftHeldDuringEnterStillPastes();
    void terminalsGetTheirOwnPasteKeys_data();
    void terminalsGetTheirOwnPasteKeys();

private:
    static bool callUp(AppHarness& app, const QString& window)
    {
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        if (!QTest::qWaitFor([&] { return activeWindow() == window; }, kWaitMs))
            return false;
        xdo({QStringLiteral("key"), QStringLiteral("ctrl+F8")});
        return QTest::qWaitFor([&] { return activeWindow() == app.mainWindow(); }, kWaitMs);
    }
    // Calls the program up from the target with the hotkey; true once it is in front.
    static bool callUp(AppHarness& app, PasteTarget& target)
    {
        if (!target.bringToFront())
            return false;
        xdo({QStringLiteral("key"), QStringLiteral("ctrl+F8")});
        return QTest::qWaitFor([&] { return activeWindow() == app.mainWindow(); }, kWaitMs);
    }
};

void TestDeliveryEndToEnd::enterPastesIntoTheOtherProgram_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("pasted"); // as the target reports it
    QTest::addColumn<QString>("clipboard");

    QTest::newRow("plain") << QStringList() << "gre"
                           << ""
                           << "Hello there"
                           << "Hello there";
    QTest::newRow("variable") << QStringList() << "let"
                              << "Ann"
                              << "Dear Ann,"
                              << "Dear Ann,";
    QTest::newRow("auto-append") << QStringList {QStringLiteral("\"AutoAppend\"=dword:00000001"),
        QStringLiteral("\"AutoAppendStr\"=\"\\\\cr\"")}
                                 << "GRE"
                                 << ""
                                 << "Hello there\\r\\n"
                                 << "Hello there\r\n";
    // With auto-hide off the program stays open behind the target it hands the keys to.
    QTest::newRow("window stays") << QStringList {QStringLiteral("\"PasteAutoHide\"=dword:00000000")} << "lu"
                                  << ""
                                  << "At noon?"
                                  << "At noon?";
}

void TestDeliveryEndToEnd::enterPastesIntoTheOtherProgram()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, prefix);
    QFETCH(QString, value);
    QFETCH(QString, pasted);
    QFETCH(QString, clipboard);

    PasteTarget target;
    QVERIFY(target.start());
    AppHarness app;
    QVERIFY(app.createLibrary(kLibrary));
    app.writeSettingsFile(
        settingsWith(settings + QStringList {QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());

    QVERIFY(callUp(app, target));
    xdo({QStringLiteral("type"), prefix});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    if (!value.isEmpty()) {
        // The value prompt: the value goes into the current row; Tab leaves for OK.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QString active = activeWindow();
                return !active.isEmpty() && active != app.mainWindow() && active != target.id();
            },
            kWaitMs));
        xdo({QStringLiteral("type"), value});
        xdo({QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Return")});
    }
    QVERIFY2(target.waitForText(pasted), qPrintable(target.text()));
    QCOMPARE(activeWindow(), target.id());
    QCOMPARE(clipboardText(), clipboard);
    const bool autoHide = !settings.contains(QStringLiteral("\"PasteAutoHide\"=dword:00000000"));
    QCOMPARE(wmState(app.mainWindow()), autoHide ? QStringLiteral("Iconic") : QStringLiteral("Normal"));
    QVERIFY(app.closeWindow());
}

void TestDeliveryEndToEnd::copyOnlyInTheEditorCopiesTheWholeEntry()
{
    PasteTarget target;
    QVERIFY(target.start());
    AppHarness app;
    QVERIFY(app.createLibrary(kLibrary));
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());

    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")});
    xclip.write("stale");
    xclip.closeWriteChannel();
    QVERIFY(xclip.waitForFinished(kWaitMs));
    QVERIFY(QTest::qWaitFor([] { return clipboardText() == QLatin1String("stale"); }, kWaitMs));

    QVERIFY(callUp(app, target));
    xdo({QStringLiteral("type"), QStringLiteral("gr")});
    // Search box, list, editor; then part of the entry's text selected.
    xdo({QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("ctrl+Home"),
        QStringLiteral("shift+Right"), QStringLiteral("shift+Right"), QStringLiteral("ctrl+c")});
    QVERIFY(QTest::qWaitFor([] { return clipboardText() == QLatin1String("Hello there"); }, kWaitMs));
    // Nothing was pasted and the program stayed where it was.
    QCOMPARE(activeWindow(), app.mainWindow());
    QCOMPARE(target.text(), QString());
    QVERIFY(app.closeWindow());
}

void TestDeliveryEndToEnd::shiftHeldDuringEnterStillPastes()
{
    PasteTarget target;
    QVERIFY(target.start());
    AppHarness app;
    QVERIFY(app.createLibrary(kLibrary));
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());

    QVERIFY(callUp(app, target));
    xdo({QStringLiteral("type"), QStringLiteral("gre")});
    // Shift stays down until the text has arrived: the target must see Ctrl+V all the same,
    // not Ctrl+Shift+V, which Tk's text field does not take as a paste.
    xdo({QStringLiteral("keydown"), QStringLiteral("shift")});
    const auto release = qScopeGuard([] { xdo({QStringLiteral("keyup"), QStringLiteral("shift")}); });
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY2(target.waitForText(QStringLiteral("Hello there")), qPrintable(target.text()));
    QVERIFY(app.closeWindow());
}

void TestDeliveryEndToEnd::terminalsGetTheirOwnPasteKeys_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    // The instance name of WM_CLASS, which finds the window and which a rule has to match.
    QTest::addColumn<QString>("instance");
    QTest::addColumn<QString>("windowName");

    const auto argv = [](const QString& before) {
        return QStringList {before, QStringLiteral("sh"), QStringLiteral("SCRIPT")};
    };
    const auto commandLine = [](const QString& before) {
        return QStringList {before, QStringLiteral("sh SCRIPT")};
    };
    // xterm and urxvt paste the PRIMARY selection with Shift+Insert, the others the clipboard
    // with Ctrl+Shift+V; Ctrl+V would type a literal ^V into every one of them.
    QTest::newRow("xterm") << "xterm" << argv("-e") << "xterm" << QString();
    QTest::newRow("urxvt") << "urxvt" << argv("-e") << "urxvt" << QString();
    QTest::newRow("st") << "stterm" << argv("-e") << "st-256color" << QString();
    // The client asks the terminal server, started on the test's bus, for a window.
    QTest::newRow("gnome-terminal") << "gnome-terminal"
                                    << QStringList {QStringLiteral("--wait"), QStringLiteral("--"),
                                           QStringLiteral("sh"), QStringLiteral("SCRIPT")}
                                    << "gnome-terminal-server" << QString();
    QTest::newRow("konsole") << "konsole" << argv("-e") << "konsole" << QString();
    QTest::newRow("xfce4-terminal") << "xfce4-terminal" << commandLine("-e") << "xfce4-terminal" << QString();
    QTest::newRow("terminator") << "terminator" << commandLine("-e") << "terminator" << QString();
    QTest::newRow("tilix") << "tilix" << commandLine("-e") << "tilix" << QString();
    QTest::newRow("alacritty") << "alacritty" << argv("-e") << "Alacritty" << QString();
    QTest::newRow("kitty") << "kitty" << argv("-e") << "kitty" << QString();
    QTest::newRow("sakura") << "sakura" << commandLine("-e") << "sakura" << QString();
    QTest::newRow("lxterminal") << "lxterminal" << commandLine("-e") << "lxterminal" << QString();
    QTest::newRow("qterminal") << "qterminal" << commandLine("-e") << "qterminal" << QString();
    // Guake types the command into the shell of its first tab.
    QTest::newRow("guake") << "guake"
                           << QStringList {QStringLiteral("--show"), QStringLiteral("-e"),
                                  QStringLiteral("sh SCRIPT")}
                           << "guake" << QString();
    // On its first start Tilda opens its configuration window beside the terminal.
    QTest::newRow("tilda") << "tilda" << commandLine("-c") << "tilda"
                           << "tilda";
}

void TestDeliveryEndToEnd::terminalsGetTheirOwnPasteKeys()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, instance);
    QFETCH(QString, windowName);
    QVERIFY2(!QStandardPaths::findExecutable(program).isEmpty(), qPrintable(program + " is missing"));

    TerminalTarget terminal;
    QVERIFY(terminal.start(program, arguments, instance, windowName));
    AppHarness app;
    QVERIFY(app.createLibrary(kLibrary));
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());

    QVERIFY(callUp(app, terminal.id()));
    xdo({QStringLiteral("type"), QStringLiteral("gre")});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    // Anything else the keys typed (a literal ^V) would reach the file as well.
    QVERIFY2(QTest::qWaitFor([&] { return terminal.text() == QLatin1String("Hello there"); }, kWaitMs),
        qPrintable(QString::fromLatin1(terminal.text().toUtf8().toPercentEncoding(" ")) + app.output()));
    QVERIFY(app.closeWindow());
}

QTEST_GUILESS_MAIN(TestDeliveryEndToEnd)
#include "tst_delivery.moc"
