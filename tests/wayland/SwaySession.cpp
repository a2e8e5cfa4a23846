#include "tests/wayland/SwaySession.h"

#include "tests/support/TestUser.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

namespace {
QString FocusedIn(const QJsonObject& node)
{
    if (node.value(QStringLiteral("focused")).toBool())
        return node.value(QStringLiteral("app_id")).toString();
    for (const QString& key : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
        for (const QJsonValue child : node.value(key).toArray()) {
            const QString found = FocusedIn(child.toObject());
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}
} // namespace

SwaySession::SwaySession()
{
    // Others must reach the programs and files inside; the folder itself is the test's own.
    QFile::setPermissions(
        m_root.path(), QFile::permissions(m_root.path()) | QFile::ExeOther | QFile::ExeGroup);
    m_user = TestUser::name();
}

SwaySession::~SwaySession()
{
    if (m_sway.state() != QProcess::NotRunning) {
        m_sway.terminate();
        if (!m_sway.waitForFinished(10000)) {
            m_sway.kill();
            m_sway.waitForFinished(10000);
        }
    }
}

QString SwaySession::makeFolder(const QString& name)
{
    const QString path = pathOf(name);
    QDir().mkpath(path);
    handOver(path);
    return path;
}

void SwaySession::handOver(const QString& path)
{
    TestUser::handOver(m_user, path);
}

QStringList SwaySession::userCommand(
    const QString& program, const QStringList& arguments, const QStringList& extraEnvironment) const
{
    // Only what the programs need, so nothing of the test runner's own session leaks in.
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    QStringList command {QStringLiteral("env"), QStringLiteral("-i"),
        QStringLiteral("PATH=/usr/local/bin:/usr/bin:/bin"),
        QStringLiteral("XDG_RUNTIME_DIR=") + m_runtimeDir,
        QStringLiteral("HOME=") + m_root.path() + QStringLiteral("/home"),
        QStringLiteral("XDG_CONFIG_HOME=") + m_root.path() + QStringLiteral("/config")};
    for (const QString& name :
        {QStringLiteral("ASAN_OPTIONS"), QStringLiteral("LSAN_OPTIONS"), QStringLiteral("UBSAN_OPTIONS")}) {
        if (own.contains(name))
            command << name + QLatin1Char('=') + own.value(name);
    }
    command << extraEnvironment << program << arguments;
    return TestUser::command(m_user, command);
}

bool SwaySession::start(const QStringList& configLines)
{
    if (QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("wtype")).isEmpty()) {
        m_error = QStringLiteral("sway and wtype are needed (scripts/test installs them)");
        return false;
    }
    if (!TestUser::ensureExists(m_user)) {
        m_error = QStringLiteral("cannot create the user ") + m_user;
        return false;
    }
    makeFolder(QStringLiteral("home"));
    makeFolder(QStringLiteral("config"));
    m_runtimeDir = makeFolder(QStringLiteral("runtime"));
    QFile::setPermissions(m_runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString config = m_root.path() + QStringLiteral("/sway.config");
    QFile file(config);
    const QString text = (QStringList {QStringLiteral("output HEADLESS-1 resolution 1280x800")} + configLines)
                             .join(QLatin1Char('\n'))
        + QLatin1Char('\n');
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the sway configuration");
        return false;
    }
    file.close();
    handOver(config);

    const QStringList command = userCommand(QStringLiteral("sway"), {QStringLiteral("-c"), config},
        {QStringLiteral("WLR_BACKENDS=headless"), QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1"),
            QStringLiteral("WLR_RENDERER=pixman"), QStringLiteral("QT_QPA_PLATFORM=wayland")});
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.start(command.first(), command.mid(1));
    const bool ready = QTest::qWaitFor(
        [this] {
            return m_sway.state() == QProcess::NotRunning
                || QFile::exists(m_runtimeDir + QStringLiteral("/wayland-1"));
        },
        30000);
    if (!ready || m_sway.state() == QProcess::NotRunning) {
        m_error = QStringLiteral("sway did not start: ") + QString::fromLocal8Bit(m_sway.readAll());
        return false;
    }
    return true;
}

void SwaySession::launch(QProcess& process, const QString& program, const QStringList& arguments,
    const QStringList& extraEnvironment)
{
    const QStringList command = userCommand(program, arguments,
        QStringList {QStringLiteral("WAYLAND_DISPLAY=wayland-1"), QStringLiteral("QT_QPA_PLATFORM=wayland")}
            + extraEnvironment);
    process.start(command.first(), command.mid(1));
}

QString SwaySession::run(
    const QString& program, const QStringList& arguments, const QStringList& extraEnvironment)
{
    QDir runtime(m_runtimeDir);
    const QStringList sockets = runtime.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
    QProcess process;
    launch(process, program, arguments,
        QStringList {
            QStringLiteral("SWAYSOCK=") + (sockets.isEmpty() ? QString() : runtime.filePath(sockets.first()))}
            + extraEnvironment);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString SwaySession::focusedAppId()
{
    const QString tree = run(
        QStringLiteral("swaymsg"), {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")});
    return FocusedIn(QJsonDocument::fromJson(tree.toUtf8()).object());
}
