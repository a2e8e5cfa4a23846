// scripts/install-desktop-entry: the menu entry starts the given program whatever its path
// holds, the icon lands in the theme, and running it again changes nothing.

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Installed {
    int exitCode = -1;
    QString entry;
    QStringList files;
};

Installed install(const QString& home, const QString& execPath, const QString& workingDir = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    process.setProcessEnvironment(env);
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(
        QStringLiteral("bash"), {QStringLiteral(PW_SOURCE_DIR "/scripts/install-desktop-entry"), execPath});
    Installed result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitCode();
    QFile entry(home + QStringLiteral("/.local/share/applications/pastewise.desktop"));
    if (entry.open(QIODevice::ReadOnly))
        result.entry = QString::fromUtf8(entry.readAll());
    QDirIterator it(home, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        result.files << it.next().mid(home.size());
    result.files.sort();
    return result;
}

QString execLine(const QString& entry)
{
    for (const QString& line : entry.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("Exec=")))
            return line;
    }
    return {};
}

} // namespace

class TestDesktopEntry final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void execIsQuotedForTheDesktop_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QStringLiteral("/opt/pastewise/pastewise")
                               << QStringLiteral("Exec=\"/opt/pastewise/pastewise\"");
        QTest::newRow("space") << QStringLiteral("/home/jo/My Tools/pastewise")
                               << QStringLiteral("Exec=\"/home/jo/My Tools/pastewise\"");
        // Quoting escapes " ` $ \ with a backslash; the string rule doubles each backslash.
        QTest::newRow("reserved") << QStringLiteral("/opt/a$b\"c`d%e\\f")
                                  << QStringLiteral("Exec=\"/opt/a\\\\$b\\\\\"c\\\\`d%%e\\\\\\\\f\"");
    }

    void execIsQuotedForTheDesktop()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QTemporaryDir home;
        const Installed result = install(home.path(), path);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(execLine(result.entry), exec);
        QVERIFY(result.entry.contains(QStringLiteral("\nIcon=pastewise\n")));
    }

    void relativePathIsTakenFromTheCallersFolder()
    {
        QTemporaryDir home;
        const Installed result = install(home.path(), QStringLiteral("bin/pastewise"), home.path());
        QCOMPARE(execLine(result.entry), QStringLiteral("Exec=\"%1/bin/pastewise\"").arg(home.path()));
    }

    void iconsInstalledAndRunningAgainChangesNothing()
    {
        QTemporaryDir home;
        const Installed first = install(home.path(), QStringLiteral("/opt/pastewise/pastewise"));
        QCOMPARE(first.exitCode, 0);
        const QString icons = home.path() + QStringLiteral("/.local/share/icons/hicolor/");
        QVERIFY(QFile::exists(icons + QStringLiteral("scalable/apps/pastewise.svg")));
        if (!QStandardPaths::findExecutable(QStringLiteral("rsvg-convert")).isEmpty()) {
            QCOMPARE(QImage(icons + QStringLiteral("16x16/apps/pastewise.png")).size(), QSize(16, 16));
            QCOMPARE(QImage(icons + QStringLiteral("32x32/apps/pastewise.png")).size(), QSize(32, 32));
        }

        const Installed second = install(home.path(), QStringLiteral("/opt/pastewise/pastewise"));
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(second.entry, first.entry);
        QCOMPARE(second.files, first.files);
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktop_entry.moc"
