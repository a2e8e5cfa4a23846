#include "app/Application.h"

#include "common/Errors.h"
#include "common/MessageBoxes.h"

#include <QDialog>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

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
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportException(std::current_exception());
    }
    return false;
}

void ReportException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(std::move(error));
    } catch (const AppError& e) {
        ShowErrorBox(e.message());
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error"));
    }
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
    m_terminationRequested = true;
    // Modal boxes run nested loops; closing every top-level window first lets them
    // return so the outer loop can end and the shutdown steps run.
    closeAllWindows();
    quit();
}
