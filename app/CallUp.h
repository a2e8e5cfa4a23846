#pragma once
// `pastewise --show` calls the running copy up, as the activation hotkey does, so a desktop
// whose own shortcut settings run that command can stand in for the key grab. The request
// travels over a local socket of the user's own, one per display, so copies of other users
// and of other sessions are never reached.

#include <QObject>
#include <QString>

class QLocalServer;

// Where this user's copy on this display listens; empty when no private place is available
// (then the program runs without answering, and --show always starts a copy). Follows
// XDG_RUNTIME_DIR, DISPLAY and WAYLAND_DISPLAY.
QString CallUpSocketPath();

enum class CallUpAnswer {
    Shown, // a running copy took the request
    NoCopy, // nobody listens: the caller starts a copy itself
    NoAnswer, // a copy is there but did not answer in time
};

// Asks the copy listening at `path` to come up. Plain socket calls, so it runs before any Qt
// application object exists and costs next to nothing.
CallUpAnswer AskRunningCopyToShow(const QString& path, int timeoutMs);

// The running copy's end. A second copy started on purpose finds the place taken by a copy
// that answers and stays silent itself; a place left behind by a copy that ended abnormally
// is taken over.
class CallUpServer final : public QObject {
    Q_OBJECT

public:
    explicit CallUpServer(QObject* parent = nullptr);
    ~CallUpServer() override;

    // True when this copy now answers at `path`.
    bool listen(const QString& path);

Q_SIGNALS:
    // Emitted after the caller has been answered, so it exits without waiting for the window.
    void showRequested();

private:
    void answer();

    QLocalServer* m_server = nullptr;
};
