#pragma once
// Programs the tests run as an unprivileged account: sway refuses root, and two copies of the
// program are to run on two accounts. Under root that is the user "pastewise-test", created
// when missing; otherwise the tests' own user runs everything.

#include <QString>
#include <QStringList>

namespace TestUser {

// "pastewise-test" when the tests run as root, "" otherwise.
QString name();
// Creates the user when missing (nothing to do for ""); false when it cannot.
bool ensureExists(const QString& user);
// Gives the file or folder (recursively) to the user.
void handOver(const QString& user, const QString& path);
// The command line that runs `commandLine` as the user, with the caller's environment.
QStringList command(const QString& user, const QStringList& commandLine);

} // namespace TestUser
