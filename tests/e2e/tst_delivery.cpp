// Quick Paste and Copy Only of the real program into another program's text field (Tk's,
// which nobody here wrote), called up with the hotkey the way a user does it.

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"

#include <QFile>
#include <QProcess>
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

// A terminal running `cat > FILE`, with its stock settings.
class TerminalTarget final {
public:
    bool start(const QString& program, const QString& titleOption)
    {
        if (!m_dir.isValid())
            return false;
        m_terminal.start(program,
            {titleOption, QStringLiteral("Paste terminal"), QStringLiteral("-e"), QStringLiteral("sh"),
                QStringLiteral("-c"), QStringLiteral("cat > '%1'").arg(file())});
        if (!m_terminal.waitForStarted(kWaitMs))
            return false;
        return QTest::qWaitFor(
            [this] {
                m_id = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), QStringLiteral("^Paste terminal$")});
                return !m_id.isEmpty() && !m_id.contains(QLatin1Char('\n')) && QFile::exists(file());
            },
            kWaitMs);
    }
    ~TerminalTarget()
    {
        m_terminal.terminate();
        if (!m_terminal.waitForFinished(kWaitMs))
            m_terminal.kill();
    }
    QString id() const { return m_id; }
    QString file() const { return m_dir.filePath(QStringLiteral("pasted.txt")); }
    QString text() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    QTemporaryDir m_dir;
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
    QTest::addColumn<QString>("titleOption");
    // xterm pastes the PRIMARY selection with Shift+Insert, st the clipboard with
    // Ctrl+Shift+V; Ctrl+V would type a literal ^V into both.
    QTest::newRow("xterm") << "xterm"
                           << "-title";
    QTest::newRow("st") << "stterm"
                        << "-t";
}

void TestDeliveryEndToEnd::terminalsGetTheirOwnPasteKeys()
{
    QFETCH(QString, program);
    QFETCH(QString, titleOption);
    QVERIFY2(!QStandardPaths::findExecutable(program).isEmpty(), qPrintable(program + " is missing"));

    TerminalTarget terminal;
    QVERIFY(terminal.start(program, titleOption));
    AppHarness app;
    QVERIFY(app.createLibrary(kLibrary));
    // The line break ends the line, so the terminal hands it to cat.
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000"),
        QStringLiteral("\"AutoAppend\"=dword:00000001"), QStringLiteral("\"AutoAppendStr\"=\"\\\\cr\"")}));
    QVERIFY(app.start());

    QVERIFY(callUp(app, terminal.id()));
    xdo({QStringLiteral("type"), QStringLiteral("gre")});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY2(
        QTest::qWaitFor([&] { return terminal.text().startsWith(QLatin1String("Hello there\n")); }, kWaitMs),
        qPrintable(terminal.text()));
    QCOMPARE(terminal.text().trimmed(), QStringLiteral("Hello there"));
    QVERIFY(app.closeWindow());
}

QTEST_GUILESS_MAIN(TestDeliveryEndToEnd)
#include "tst_delivery.moc"
