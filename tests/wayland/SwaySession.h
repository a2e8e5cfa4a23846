#pragma once
// A headless sway for one test run, with everything in it (sway, the program, the target,
// wtype) run as an unprivileged user: sway refuses to run as root. Under root the user
// "pastewise-test" is created when missing; otherwise the current user runs it all.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

class SwaySession final {
public:
    SwaySession();
    ~SwaySession();

    // Starts sway with the extra lines in its configuration (key bindings, say) and waits
    // (bounded) for its socket. False with the reason in `error()`. Programs that sway itself
    // runs (a binding's exec) are Wayland clients of it, as `launch` makes them.
    bool start(const QStringList& configLines = {});
    QString error() const { return m_error; }

    // Where the file or folder of that name goes in the session's temporary folder.
    QString pathOf(const QString& name) const { return m_root.path() + QLatin1Char('/') + name; }
    // A folder the session's user may write, inside the session's temporary folder.
    QString makeFolder(const QString& name);
    // Gives the file or folder (recursively) to the session's user.
    void handOver(const QString& path);

    // Starts a program in the session as its user, with private HOME and config folders.
    void launch(QProcess& process, const QString& program, const QStringList& arguments,
        const QStringList& extraEnvironment = {});
    // Runs a command in the session to its end; its standard output, "" on failure.
    QString run(
        const QString& program, const QStringList& arguments, const QStringList& extraEnvironment = {});

    // The app_id of the window with the keyboard focus, from sway's window tree.
    QString focusedAppId();

private:
    QStringList userCommand(
        const QString& program, const QStringList& arguments, const QStringList& extraEnvironment) const;

    QTemporaryDir m_root;
    QString m_runtimeDir;
    QString m_user; // empty when the tests do not run as root
    QProcess m_sway;
    QString m_error;
};
