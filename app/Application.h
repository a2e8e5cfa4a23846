#pragma once

#include <QApplication>

// The one place where an error that escapes a handler is caught: it is shown in the
// standard error box and the event loop carries on.
class TApplication final : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // SIGTERM, SIGINT and SIGHUP end the program through the normal shutdown, so the
    // settings and a pending entry change are saved instead of lost.
    void InstallTerminationSignals();
    // A signal came before the main loop ran (during a start-up box); the loop is skipped.
    bool TerminationRequested() const { return m_terminationRequested; }

protected:
    // Keeps every dialog of the program in its fixed frame.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTerminationSignal();
    class QSocketNotifier* m_signalNotifier = nullptr;
    bool m_terminationRequested = false;
};

// Reports an error caught outside the event dispatch (start-up) the same way.
void ReportException(std::exception_ptr error);
