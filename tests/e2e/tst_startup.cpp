// The start-up and shutdown round trip of the real program, driven from outside.

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <QRegularExpression>
#include <QTest>

#include <csignal>

namespace {
const QStringList kExitOrder = {QStringLiteral("WindowLeft"), QStringLiteral("WindowTop"),
    QStringLiteral("WindowWidth"), QStringLiteral("WindowHeight"), QStringLiteral("WindowMaximized"),
    QStringLiteral("ActivationKey"), QStringLiteral("FirstRun"), QStringLiteral("AutoAppend"),
    QStringLiteral("AutoAppendStr"), QStringLiteral("TrayIcon"), QStringLiteral("PasteAutoHide"),
    QStringLiteral("TopMost"), QStringLiteral("CompactMode"), QStringLiteral("CurTable"),
    QStringLiteral("RestoreClipboard"), QStringLiteral("Library")};

QStringList valueNames(const QString& settings)
{
    QStringList names;
    const QRegularExpression line(QStringLiteral("^\"([^\"]+)\"="), QRegularExpression::MultilineOption);
    auto it = line.globalMatch(settings);
    while (it.hasNext())
        names << it.next().captured(1);
    return names;
}

QString valueOf(const QString& settings, const QString& name)
{
    const QRegularExpression line(
        QStringLiteral("^\"%1\"=(.*)$").arg(name), QRegularExpression::MultilineOption);
    return line.match(settings).captured(1).trimmed();
}

const QStringList kTwoTables = {
    QStringLiteral("CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"),
    QStringLiteral("CREATE TABLE \"Code\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"),
    QStringLiteral("INSERT INTO \"Mail\" VALUES ('hello', 'Hello there')"),
};
} // namespace

class TestStartup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartWritesEveryValueInExitOrder();
    void signalsRunTheNormalShutdown_data();
    void signalsRunTheNormalShutdown();
    void killedProgramLeavesPreviousSettings();
    void missingOrBrokenLibraryIsReportedAndProgramStillRuns_data();
    void missingOrBrokenLibraryIsReportedAndProgramStillRuns();
    void signalDuringAStartUpBoxStillEndsTheProgram();
    void unusablePlacementStillShowsTheWindowOnScreen_data();
    void unusablePlacementStillShowsTheWindowOnScreen();
    void storedTableIsReopenedWhateverItsCase_data();
    void storedTableIsReopenedWhateverItsCase();
    void signalWithAChangeThatCannotBeStoredKeepsItForTheNextStart();
};

void TestStartup::firstStartWritesEveryValueInExitOrder()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kTwoTables));
    QVERIFY(app.start());
    QVERIFY(app.closeWindow());
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    const QString settings = app.settingsText();
    QVERIFY(settings.startsWith(QStringLiteral("Windows Registry Editor Version 5.00")));
    QVERIFY(
        settings.contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]")));
    QCOMPARE(valueNames(settings), kExitOrder);
    QCOMPARE(valueOf(settings, QStringLiteral("FirstRun")), QStringLiteral("dword:00000000"));
    QCOMPARE(valueOf(settings, QStringLiteral("ActivationKey")), QStringLiteral("dword:00004077"));
    QCOMPARE(valueOf(settings, QStringLiteral("TrayIcon")), QStringLiteral("dword:00000001"));
    QCOMPARE(valueOf(settings, QStringLiteral("PasteAutoHide")), QStringLiteral("dword:00000001"));
    QCOMPARE(valueOf(settings, QStringLiteral("TopMost")), QStringLiteral("dword:00000000"));
    QCOMPARE(valueOf(settings, QStringLiteral("CurTable")), QStringLiteral("\"Mail\""));
    QVERIFY(app.boxesShown().isEmpty());

    // The placement written at exit comes back at the next start and is written again unchanged.
    const QString width = valueOf(settings, QStringLiteral("WindowWidth"));
    QVERIFY(app.start());
    QVERIFY(app.closeWindow());
    QCOMPARE(valueOf(app.settingsText(), QStringLiteral("WindowWidth")), width);
}

void TestStartup::signalsRunTheNormalShutdown_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestStartup::signalsRunTheNormalShutdown()
{
    QFETCH(int, signo);
    AppHarness app;
    QVERIFY(app.createLibrary(kTwoTables));
    QVERIFY(app.start());
    QVERIFY(app.sendSignal(signo));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(valueNames(app.settingsText()), kExitOrder);
}

void TestStartup::killedProgramLeavesPreviousSettings()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kTwoTables));
    const QString previous
        = QStringLiteral("Windows Registry Editor Version "
                         "5.00\n\n[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\n"
                         "\"TopMost\"=dword:00000001\n\"CurTable\"=\"Code\"\n");
    app.writeSettingsFile(previous);
    QVERIFY(app.start());
    QVERIFY(app.sendSignal(SIGKILL));
    QCOMPARE(app.settingsText(), previous);
}

void TestStartup::missingOrBrokenLibraryIsReportedAndProgramStillRuns_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no library file at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("not a database") << QByteArray("this is a text file, not a library\n").repeated(200);
}

void TestStartup::missingOrBrokenLibraryIsReportedAndProgramStillRuns()
{
    QFETCH(QByteArray, content);
    AppHarness app;
    if (!content.isEmpty()) {
        QFile file(app.libraryPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QVERIFY(app.launch());
    // Once while the window is built and once at the retry during start-up, each naming the file.
    QVERIFY(app.waitForBoxAndDismiss(QString()));
    QVERIFY(app.waitForBoxAndDismiss(QString()));
    QVERIFY(app.waitForMainWindow());
    const QStringList boxes = app.boxesShown();
    QCOMPARE(boxes.size(), 2);
    for (const QString& box : boxes)
        QVERIFY2(box.contains(app.libraryPath()), qPrintable(box));
    QVERIFY(app.closeWindow());
    QCOMPARE(app.exitCode(), 0);
    QCOMPARE(valueOf(app.settingsText(), QStringLiteral("CurTable")), QStringLiteral("\"\""));
    QVERIFY2(
        !QFileInfo(app.libraryPath()).exists() || !content.isEmpty(), "the program created a library file");
}

void TestStartup::signalDuringAStartUpBoxStillEndsTheProgram()
{
    AppHarness app; // no library: start-up shows its error box
    QVERIFY(app.launch());
    QVERIFY(QTest::qWaitFor([&] { return !app.boxesShown().isEmpty(); }, 30000));
    ::kill(static_cast<pid_t>(app.pid()), SIGTERM);
    // The signal closes the box; start-up goes on without showing the box of its retry, and
    // the program ends instead of running on.
    QVERIFY(app.waitForExit(30000));
    QCOMPARE(app.exitCode(), 0);
    QCOMPARE(app.boxesShown().size(), 1);
    QCOMPARE(valueOf(app.settingsText(), QStringLiteral("FirstRun")), QStringLiteral("dword:00000000"));
}

void TestStartup::unusablePlacementStillShowsTheWindowOnScreen_data()
{
    QTest::addColumn<QString>("stored"); // left, top, width, height
    QTest::newRow("no size") << QStringLiteral("0 0 0 0");
    QTest::newRow("far off and huge") << QStringLiteral("5000 5000 2147483647 2147483647");
}

void TestStartup::unusablePlacementStillShowsTheWindowOnScreen()
{
    QFETCH(QString, stored);
    const QStringList n = stored.split(QLatin1Char(' '));
    AppHarness app;
    QVERIFY(app.createLibrary(kTwoTables));
    QString settings = QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                                      "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\n");
    const QStringList names {QStringLiteral("WindowLeft"), QStringLiteral("WindowTop"),
        QStringLiteral("WindowWidth"), QStringLiteral("WindowHeight")};
    for (int i = 0; i < names.size(); ++i)
        settings
            += QStringLiteral("\"%1\"=dword:%2\n").arg(names[i]).arg(n[i].toUInt(), 8, 16, QLatin1Char('0'));
    app.writeSettingsFile(settings);
    QVERIFY(app.start()); // the main window is mapped and at least 250 pixels wide

    const QString geometry = AppHarness::run(QStringLiteral("xdotool"),
        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), app.mainWindow()});
    const auto number = [&](const QString& key) {
        return QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(key)).match(geometry).captured(1).toInt();
    };
    const QString screen = AppHarness::run(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")});
    const int screenWidth = screen.section(QLatin1Char(' '), 0, 0).toInt();
    const int screenHeight = screen.section(QLatin1Char(' '), 1, 1).toInt();
    // On the screen with plenty to grab, and no larger than the screen (the window manager's
    // frame is not the design frame, so the edges are not compared to the pixel).
    QVERIFY2(number(QStringLiteral("X")) >= 0 && number(QStringLiteral("Y")) >= 0
            && number(QStringLiteral("X")) < screenWidth - 200
            && number(QStringLiteral("Y")) < screenHeight - 100
            && number(QStringLiteral("WIDTH")) <= screenWidth
            && number(QStringLiteral("HEIGHT")) <= screenHeight,
        qPrintable(geometry + QLatin1Char(' ') + screen));

    QVERIFY(app.closeWindow());
    const QString written = app.settingsText();
    QVERIFY2(valueOf(written, QStringLiteral("WindowWidth")).mid(6).toUInt(nullptr, 16) >= 280,
        qPrintable(written));
    QVERIFY2(valueOf(written, QStringLiteral("WindowHeight")).mid(6).toUInt(nullptr, 16) >= 150,
        qPrintable(written));
}

void TestStartup::storedTableIsReopenedWhateverItsCase_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exact") << QStringLiteral("Code") << QStringLiteral("Code");
    QTest::newRow("other case keeps the stored spelling") << QStringLiteral("CODE") << QStringLiteral("CODE");
    QTest::newRow("unknown opens the first") << QStringLiteral("Gone") << QStringLiteral("Mail");
    QTest::newRow("empty opens the first") << QString() << QStringLiteral("Mail");
}

void TestStartup::storedTableIsReopenedWhateverItsCase()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    AppHarness app;
    QVERIFY(app.createLibrary(kTwoTables));
    app.writeSettingsFile(QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                                         "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\n"
                                         "\"CurTable\"=\"%1\"\n")
                              .arg(stored));
    QVERIFY(app.start());
    QVERIFY(app.closeWindow());
    QCOMPARE(valueOf(app.settingsText(), QStringLiteral("CurTable")), QStringLiteral("\"%1\"").arg(expected));
}

void TestStartup::signalWithAChangeThatCannotBeStoredKeepsItForTheNextStart()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kTwoTables));
    app.writeSettingsFile(settingsWith({QStringLiteral("\"TrayIcon\"=dword:00000000")}));
    QVERIFY(app.start());
    XDesktop::xdo({QStringLiteral("key"), QStringLiteral("ctrl+F8")});
    QVERIFY(QTest::qWaitFor([&] { return XDesktop::activeWindow() == app.mainWindow(); }, 30000));
    // Search box, list, editor: text added to the entry, then Copy Only, whose clipboard shows
    // that every key has been handled.
    XDesktop::xdo(
        {QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("ctrl+End")});
    XDesktop::xdo({QStringLiteral("type"), QStringLiteral(" mine")});
    XDesktop::xdo({QStringLiteral("key"), QStringLiteral("ctrl+c")});
    QVERIFY(QTest::qWaitFor(
        [] { return XDesktop::clipboardText() == QLatin1String("Hello there mine"); }, 30000));
    // Another program changes the entry, so the store at exit is refused.
    QVERIFY(app.withLibrary([](QSqlDatabase& db) {
        QVERIFY(
            QSqlQuery(db).exec(QStringLiteral("UPDATE \"Mail\" SET value = 'theirs' WHERE name = 'hello'")));
    }));

    QVERIFY(app.sendSignal(SIGTERM));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QVERIFY(app.boxesShown().isEmpty());
    const QDir folder(app.dataHome() + QStringLiteral("/Pastewise"));
    const QStringList files = folder.entryList({QStringLiteral("recovered-*.txt")});
    QCOMPARE(files.size(), 1);
    const QString path = folder.filePath(files[0]);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray kept = file.readAll();
    QVERIFY2(kept.contains("Name: hello\n") && kept.endsWith("Hello there mine"), kept.constData());

    // The next start says where the text is, once.
    QVERIFY(app.launch());
    QVERIFY(app.waitForBoxAndDismiss(QStringLiteral("last ended was saved to:")));
    QVERIFY(app.waitForMainWindow());
    QVERIFY(app.output().contains(path));
    QVERIFY(app.closeWindow());
    QVERIFY(app.start());
    QVERIFY(app.closeWindow());
    QCOMPARE(app.boxesShown().size(), 1);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
