#include "app/Application.h"

#include "common/Unattended.h"

#include <QDialog>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {
Q_LOGGING_CATEGORY(lcApp, "pastewise.app")

int g_signalPipe[2] = {-1, -1};

void signalHandler(int signo)
{
    // Only async-signal-safe work here: wake the event loop through the pipe.
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The user's request covers the loop it ended, not a request that comes later (the
    // session ending while shutdown is still busy).
    connect(this, &QCoreApplication::aboutToQuit, this, [this] { m_quitAsAsked = false; });
    // No application display name: Qt would append it to every window title ("Options —
    // Pastewise"), and each window's caption is its own.
    installEventFilter(this);
}

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    // The dialogs and boxes have fixed frames without minimise or maximise boxes, but some
    // window managers (openbox) offer both anyway. Minimising a dialog there minimises the
    // main window with it, possibly into the tray, while the dialog keeps the program busy
    // (the Options dialog even holds the hotkey back): nothing would bring it back. So a
    // dialog never stays minimised or maximised; it returns to its normal frame at once.
    constexpr Qt::WindowStates notAllowed = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (event->type() == QEvent::WindowStateChange) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog != nullptr && dialog->isWindow() && (dialog->windowState() & notAllowed)) {
            // After the change is complete; changing the state from inside its own
            // notification is lost on some platforms.
            QTimer::singleShot(0, dialog, [dialog = QPointer<QDialog>(dialog), notAllowed] {
                if (dialog != nullptr && dialog->isVisible())
                    dialog->setWindowState(dialog->windowState() & ~notAllowed);
            });
        }
    }
    return QApplication::eventFilter(watched, event);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // Every handler of the program catches its own errors (common/Handled.h); one that still
    // gets here has already passed through Qt's frames, which were not built for it. It is
    // logged for the developer and the program goes on as best it can.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        try {
            std::rethrow_exception(std::current_exception());
        } catch (const std::exception& e) {
            qCCritical(lcApp) << "an error escaped its handler through Qt:" << e.what();
        } catch (...) {
            qCCritical(lcApp) << "an unknown error escaped its handler through Qt";
        }
    }
    return false;
}

void TApplication::InstallTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        qCWarning(lcApp) << "cannot create the signal pipe; signals will end the program abruptly";
        return;
    }
    m_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, &TApplication::onTerminationSignal);

    struct sigaction action { };
    action.sa_handler = signalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signo, &action, nullptr);
}

void TApplication::onTerminationSignal()
{
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
    qCInfo(lcApp) << "termination signal" << int(byte) << "- shutting down normally";
    EndUnattended("termination signal");
}

void TApplication::QuitAsAsked()
{
    if (auto* app = qobject_cast<TApplication*>(QCoreApplication::instance()))
        app->m_quitAsAsked = true;
    QCoreApplication::quit();
}

bool TApplication::event(QEvent* event)
{
    // The session manager's last word at the end of a desktop session arrives as a quit
    // request the program did not make itself.
    if (event->type() == QEvent::Quit && !std::exchange(m_quitAsAsked, false) && !m_terminationRequested) {
        qCInfo(lcApp) << "asked to quit from outside (end of the session) - shutting down normally";
        EndUnattended("end of the session");
    }
    return QApplication::event(event);
}

void TApplication::EndUnattended(const char* why)
{
    if (m_terminationRequested)
        return;
    m_terminationRequested = true;
    SetNoOneCanBeAsked();
    // Modal boxes and dialogs run nested loops; each is answered with Cancel so the code
    // waiting on it carries on as after a cancel (a dialog restores what it had released),
    // and the loops can unwind. Boxes opened from there on are not shown at all.
    QList<QPointer<QDialog>> dialogs;
    for (QWidget* window : topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog != nullptr && dialog->isVisible())
            dialogs << dialog;
    }
    for (const QPointer<QDialog>& dialog : std::as_const(dialogs)) {
        if (dialog.isNull() || !dialog->isVisible())
            continue;
        qCInfo(lcApp).noquote() << "closing" << dialog->metaObject()->className() << "as cancelled:" << why;
        dialog->reject();
    }
    closeAllWindows();
    // Before the main loop runs (a box during start-up) this does nothing; the program
    // entry then skips the loop.
    quit();
}
