#include "tests/e2e/AppHarness.h"

#include "tests/support/TestUser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

#include <csignal>

namespace {
QString builtExecutable()
{
    return qEnvironmentVariable("PW_BUILD_DIR") + QStringLiteral("/bin/pastewise");
}
} // namespace

AppHarness::AppHarness()
{
    m_appDir = m_root.path() + QStringLiteral("/app");
    m_home = m_root.path() + QStringLiteral("/home");
    m_configHome = m_root.path() + QStringLiteral("/config");
    QDir().mkpath(m_appDir);
    QDir().mkpath(m_home);
    QDir().mkpath(m_configHome);
    QFile::copy(builtExecutable(), m_appDir + QStringLiteral("/pastewise"));
    QFile::setPermissions(
        m_appDir + QStringLiteral("/pastewise"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

AppHarness::~AppHarness()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QString AppHarness::settingsPath() const
{
    return m_configHome + QStringLiteral("/Quillmoor/Pastewise/Settings.reg");
}

bool AppHarness::createLibrary(const QStringList& statements)
{
    bool ok = true;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(libraryPath());
        ok = db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 1")); // writes the file even when empty
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            if (!query.exec(sql)) {
                qWarning() << "library statement failed:" << sql << query.lastError().text();
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool AppHarness::withLibrary(const std::function<void(QSqlDatabase&)>& work)
{
    const QString name = QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(libraryPath());
        ok = db.open();
        if (ok)
            work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

void AppHarness::writeSettingsFile(const QString& text)
{
    QDir().mkpath(QFileInfo(settingsPath()).absolutePath());
    QFile file(settingsPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

QString AppHarness::settingsText() const
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString AppHarness::run(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool AppHarness::launch(int timeoutMs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome);
    // The user's data folder is the one under the private HOME.
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pastewise.*=true"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!m_user.isEmpty()) {
        // Nothing of the test user's session that the other account may not enter: a private
        // runtime folder, no session bus, and the leak suppressions copied out of the source
        // tree, which may lie where only the test user can go.
        const QString runtime = m_root.path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        const QRegularExpression suppressions(QStringLiteral("suppressions=([^:]+)"));
        const QString leakOptions = env.value(QStringLiteral("LSAN_OPTIONS"));
        const auto match = suppressions.match(leakOptions);
        const QString copy = m_root.path() + QStringLiteral("/lsan.supp");
        if (match.hasMatch() && (QFile::exists(copy) || QFile::copy(match.captured(1), copy)))
            env.insert(QStringLiteral("LSAN_OPTIONS"),
                QString(leakOptions).replace(match.capturedStart(1), match.capturedLength(1), copy));
        TestUser::handOver(m_user, m_root.path());
    }
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_home);
    const QStringList command = TestUser::command(m_user,
        QStringList {m_executable.isEmpty() ? m_appDir + QStringLiteral("/pastewise") : m_executable}
            + m_arguments);
    m_process.start(command.first(), command.mid(1));
    return m_process.waitForStarted(timeoutMs);
}

bool AppHarness::waitForMainWindow(int timeoutMs)
{
    const QString pidText = QString::number(m_process.processId());
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && isRunning()) {
        // The main window carries the program's class and the title "Pastewise". Without --all,
        // xdotool matches the pid OR the name and finds another running copy's window.
        const QStringList ids = run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), pidText, QStringLiteral("--name"), QStringLiteral("^Pastewise$")})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QString geometry
                = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), id});
            // Message boxes share the caption; the main window is the wide one.
            const QRegularExpression size(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
            const auto match = size.match(geometry);
            if (match.hasMatch() && match.captured(1).toInt() >= 250) {
                m_window = id;
                return true;
            }
        }
        QTest::qWait(100);
    }
    return false;
}

bool AppHarness::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

bool AppHarness::closeWindow(int timeoutMs)
{
    if (m_window.isEmpty())
        return false;
    // wmctrl asks the window manager, which sends WM_DELETE_WINDOW as the close button does.
    run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), m_window});
    return waitForExit(timeoutMs);
}

bool AppHarness::sendSignal(int signo, int timeoutMs)
{
    ::kill(static_cast<pid_t>(m_process.processId()), signo);
    return waitForExit(timeoutMs);
}

bool AppHarness::waitForExit(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (isRunning() && timer.elapsed() < timeoutMs) {
        m_process.waitForFinished(100);
        QCoreApplication::processEvents();
    }
    output();
    return !isRunning();
}

QString AppHarness::output()
{
    m_output += QString::fromUtf8(m_process.readAll());
    return m_output;
}

QStringList AppHarness::boxesShown()
{
    QStringList boxes;
    const QString text = output();
    const QRegularExpression line(QStringLiteral("box: (.*)"));
    auto it = line.globalMatch(text);
    while (it.hasNext())
        boxes << it.next().captured(1).trimmed();
    return boxes;
}

bool AppHarness::waitForBoxAndDismiss(const QString& text, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && isRunning()) {
        m_process.waitForReadyRead(100);
        const QStringList boxes = boxesShown();
        if (boxes.size() <= m_boxesDismissed)
            continue;
        if (!boxes.at(m_boxesDismissed).endsWith(text)) {
            qWarning() << "unexpected box:" << boxes.at(m_boxesDismissed);
            return false;
        }
        // The box is modal and normally takes the focus once mapped; press Enter only in it.
        // A window manager that keeps the focus elsewhere (a busy start, no user input yet)
        // is asked to activate the box, as a user's click would.
        const QString pidText = QString::number(m_process.processId());
        QElapsedTimer sinceAsked;
        sinceAsked.start();
        while (timer.elapsed() < timeoutMs) {
            const QString active = run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
            const QString activePid
                = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"), active});
            if (!active.isEmpty() && activePid == pidText && active != m_window) {
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
                ++m_boxesDismissed;
                return true;
            }
            if (sinceAsked.elapsed() > 1000) {
                const QStringList own = run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        pidText})
                                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                for (const QString& window : own) {
                    if (window != m_window)
                        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), window});
                }
                sinceAsked.restart();
            }
            QTest::qWait(50);
        }
        return false;
    }
    return false;
}
