#include "tests/support/TestUser.h"

#include <QProcess>

#include <unistd.h>

namespace {
bool Succeeds(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}
} // namespace

namespace TestUser {

QString name()
{
    return ::geteuid() == 0 ? QStringLiteral("pastewise-test") : QString();
}

bool ensureExists(const QString& user)
{
    return user.isEmpty() || Succeeds(QStringLiteral("id"), {user})
        || Succeeds(QStringLiteral("useradd"),
            {QStringLiteral("--system"), QStringLiteral("--no-create-home"), QStringLiteral("--shell"),
                QStringLiteral("/usr/sbin/nologin"), user});
}

void handOver(const QString& user, const QString& path)
{
    if (!user.isEmpty())
        Succeeds(QStringLiteral("chown"), {QStringLiteral("-R"), user, path});
}

QStringList command(const QString& user, const QStringList& commandLine)
{
    if (user.isEmpty())
        return commandLine;
    // setpriv runs the program in its own place, so the process id is the program's.
    return QStringList {QStringLiteral("setpriv"), QStringLiteral("--reuid=") + user,
               QStringLiteral("--regid=") + user, QStringLiteral("--init-groups"), QStringLiteral("--")}
    + commandLine;
}

} // namespace TestUser
