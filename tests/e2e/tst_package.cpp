// The Debian package as a user gets it: built by scripts/package, checked by the Debian and
// freedesktop tools, unpacked into a private root and started from there with a fresh HOME.

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace XDesktop;

namespace {
constexpr int kWaitMs = 15000;

struct Ran {
    int exitCode = -1;
    QString output; // standard output and error together
};

Ran runTool(const QString& program, const QStringList& args, int timeoutMs = 120000,
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    Ran ran;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ran.output = QStringLiteral("%1 did not finish").arg(program);
        return ran;
    }
    ran.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.output = QString::fromUtf8(process.readAll());
    return ran;
}

// The small window of the program that the tray host embeds.
QString trayIconWindow()
{
    const QRegularExpression iconLine(QStringLiteral("^\\s*(0x[0-9a-f]+) \"Pastewise\": \\(\"pastewise\" "
                                                     "\"Pastewise\"\\)\\s+(\\d+)x(\\d+)"),
        QRegularExpression::MultilineOption);
    auto it = iconLine.globalMatch(
        AppHarness::run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}));
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(2).toInt() <= 64 && m.captured(3).toInt() <= 64 && isViewable(m.captured(1)))
            return m.captured(1);
    }
    return {};
}
} // namespace

class TestPackage final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void packageIsWellFormed();
    void unpackedProgramMakesItsLibraryAndComesUp();
    void hiddenStartWaitsInTheTrayUntilClicked();

private:
    QString m_deb;
    QTemporaryDir m_root;
    QString bin() const { return m_root.path() + QStringLiteral("/usr/bin/pastewise"); }
    QProcess m_trayer;
};

void TestPackage::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server");
    const Ran package
        = runTool(QStringLiteral("bash"), {QStringLiteral(PW_SOURCE_DIR "/scripts/package")}, 1500000);
    QVERIFY2(package.exitCode == 0, qPrintable(package.output));
    m_deb = package.output.trimmed().split(QLatin1Char('\n')).constLast();
    QVERIFY2(QRegularExpression(QStringLiteral("/dist/pastewise_[0-9.]+_[a-z0-9]+\\.deb$"))
                 .match(m_deb)
                 .hasMatch(),
        qPrintable(m_deb));
    const Ran unpack = runTool(QStringLiteral("dpkg"), {QStringLiteral("-x"), m_deb, m_root.path()});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.output));
}

void TestPackage::cleanup()
{
    if (m_trayer.state() != QProcess::NotRunning) {
        m_trayer.kill();
        m_trayer.waitForFinished(kWaitMs);
    }
}

void TestPackage::packageIsWellFormed()
{
    const Ran info = runTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), m_deb});
    QVERIFY2(info.exitCode == 0, qPrintable(info.output));
    const auto field = [&info](const QString& name) {
        const auto m
            = QRegularExpression(QStringLiteral("^ %1: (.*)$").arg(name), QRegularExpression::MultilineOption)
                  .match(info.output);
        return m.captured(1);
    };
    QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("pastewise"));
    // What the linker sees, and the plugins Qt loads by name at run time.
    const QString depends = field(QStringLiteral("Depends"));
    for (const char* package :
        {"libqt6widgets6", "libqt6sql6 ", "libxcb-xtest0", "libqt6sql6-sqlite", "libqt6svg6"})
        QVERIFY2(depends.contains(QLatin1String(package)), qPrintable(depends));
    QCOMPARE(field(QStringLiteral("Recommends")), QStringLiteral("qt6-wayland"));

    const Ran lintian = runTool(
        QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error"), m_deb}, 600000);
    qInfo().noquote() << "lintian:\n" << lintian.output;
    QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.output));

    const QString share = m_root.path() + QStringLiteral("/usr/share/");
    const Ran desktop = runTool(
        QStringLiteral("desktop-file-validate"), {share + QStringLiteral("applications/pastewise.desktop")});
    QVERIFY2(desktop.exitCode == 0 && desktop.output.isEmpty(), qPrintable(desktop.output));
    const Ran appstream = runTool(QStringLiteral("appstreamcli"),
        {QStringLiteral("validate"), QStringLiteral("--no-net"),
            share + QStringLiteral("metainfo/io.github.quillmoor.pastewise.metainfo.xml")});
    QVERIFY2(appstream.exitCode == 0, qPrintable(appstream.output));

    for (const char* file :
        {"icons/hicolor/scalable/apps/pastewise.svg", "icons/hicolor/48x48/apps/pastewise.png",
            "man/man1/pastewise.1.gz", "man/man1/pastewise-library.1.gz"})
        QVERIFY2(QFile::exists(share + QLatin1String(file)), file);
    QVERIFY(QFileInfo(m_root.path() + QStringLiteral("/usr/bin/pastewise-library")).isExecutable());
}

void TestPackage::unpackedProgramMakesItsLibraryAndComesUp()
{
    AppHarness app;
    app.setExecutable(bin());
    const QString library = app.home() + QStringLiteral("/.local/share/Pastewise/pastewise.mdb");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), app.home());
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    const Ran version = runTool(bin(), {QStringLiteral("--version")}, kWaitMs, env);
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.output.contains(QStringLiteral("Library: ") + library), qPrintable(version.output));
    QVERIFY(!QFile::exists(library));

    QVERIFY(app.start());
    QVERIFY(QFile::exists(library));
    QVERIFY2(app.boxesShown().isEmpty(), qPrintable(app.output()));
    QVERIFY(app.closeWindow());
    // The library holds the starter entries.
    QString entries;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("starter"));
        db.setDatabaseName(library);
        QVERIFY(db.open());
        QSqlQuery query(QStringLiteral("SELECT count(*) FROM \"General\""), db);
        if (query.next())
            entries = query.value(0).toString();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("starter"));
    QVERIFY2(entries.toInt() >= 3, qPrintable(entries));
}

void TestPackage::hiddenStartWaitsInTheTrayUntilClicked()
{
    m_trayer.start(QStringLiteral("trayer"),
        {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("right"),
            QStringLiteral("--widthtype"), QStringLiteral("pixel"), QStringLiteral("--width"),
            QStringLiteral("100"), QStringLiteral("--height"), QStringLiteral("24")});
    QVERIFY(m_trayer.waitForStarted(kWaitMs));
    QVERIFY(QTest::qWaitFor(
        [] {
            return !xdo({QStringLiteral("search"), QStringLiteral("--class"), QStringLiteral("^trayer$")})
                        .isEmpty();
        },
        kWaitMs));

    AppHarness app;
    app.setExecutable(bin());
    app.setArguments({QStringLiteral("--hidden")});
    QVERIFY(app.launch());
    QString icon;
    QVERIFY(QTest::qWaitFor([&] { return !(icon = trayIconWindow()).isEmpty(); }, kWaitMs));
    QVERIFY2(QTest::qWaitFor(
                 [&] { return app.output().contains(QStringLiteral("hidden start; in the tray")); }, kWaitMs),
        qPrintable(app.output()));
    // Nothing of the program is on the screen but its tray icon.
    QVERIFY(xdo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(app.pid()), QStringLiteral("--name"),
                    QStringLiteral("^Pastewise$")})
                .isEmpty());

    xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("5"),
        QStringLiteral("5"), QStringLiteral("click"), QStringLiteral("1")});
    QVERIFY(app.waitForMainWindow(kWaitMs));
    QVERIFY(QTest::qWaitFor([&] { return activeWindow() == app.mainWindow(); }, kWaitMs));
    QVERIFY(app.closeWindow());
}

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
