#pragma once
// Runs the real pastewise executable from outside, the way a user would: a fresh
// portable folder with a library of the test's own, private HOME and XDG_CONFIG_HOME,
// on the X server of the test session.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class QSqlDatabase;

class AppHarness final {
public:
    AppHarness();
    ~AppHarness();

    QString appDir() const { return m_appDir; }
    QString libraryPath() const { return m_appDir + QStringLiteral("/pastewise.mdb"); }
    QString configHome() const { return m_configHome; }
    QString home() const { return m_home; }
    // Runs this executable where it lies (an unpacked package, say) instead of the copy in
    // the portable folder, and with these arguments.
    void setExecutable(const QString& path) { m_executable = path; }
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    // Runs the program as this user (see tests/support/TestUser.h), who is given the harness's
    // folders at each launch; "" (the default) runs it as the test's own user.
    void setUser(const QString& user) { m_user = user; }
    QString dataHome() const { return m_home + QStringLiteral("/.local/share"); }
    QString settingsPath() const;

    // Builds the library with the given SQL statements (an empty list gives an empty
    // database file). Without a call, no library file exists.
    bool createLibrary(const QStringList& statements);
    // Runs a function against the library file after the program has ended.
    bool withLibrary(const std::function<void(QSqlDatabase&)>& work);
    void writeSettingsFile(const QString& text);
    QString settingsText() const;

    // Starts the program and waits (bounded) until its main window is mapped.
    bool start(int timeoutMs = 30000) { return launch(timeoutMs) && waitForMainWindow(timeoutMs); }
    bool launch(int timeoutMs = 30000);
    bool waitForMainWindow(int timeoutMs = 30000);
    bool isRunning() const;
    qint64 pid() const { return m_process.processId(); }
    // X window id of the main window, found by the process id and title.
    QString mainWindow() const { return m_window; }

    // Ends the program like a user: the window manager's close request.
    bool closeWindow(int timeoutMs = 30000);
    bool sendSignal(int signo, int timeoutMs = 30000);
    bool waitForExit(int timeoutMs);
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

    // Every message box the program showed (logged as "box: caption | text").
    QStringList boxesShown();
    // Waits until a box with this text is shown, then presses Enter in it.
    bool waitForBoxAndDismiss(const QString& text, int timeoutMs = 30000);
    QString output();

    // Runs a command and returns its trimmed standard output ("" on failure).
    static QString run(const QString& program, const QStringList& args, int timeoutMs = 20000);

private:
    QTemporaryDir m_root;
    QString m_appDir;
    QString m_home;
    QString m_configHome;
    QString m_executable;
    QStringList m_arguments;
    QString m_user;
    QProcess m_process;
    QString m_window;
    QString m_output;
    int m_boxesDismissed = 0;
};
