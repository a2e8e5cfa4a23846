#pragma once

#include "common/Handled.h"

#include <QApplication>

// The program's application object: termination signals, the end of the session, the fixed
// frames of its dialogs. Errors are handled where each command and handler runs
// (common/Handled.h); notify only logs one that escaped them.
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

    // Ends the main loop because the user asked for it (Exit, closing the main window). Any
    // other request to quit comes from outside, such as the end of the desktop session, and
    // is treated like a termination signal.
    static void QuitAsAsked();

protected:
    bool event(QEvent* event) override;
    // Keeps every dialog of the program in its fixed frame.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTerminationSignal();
    // No one is left to answer: every open box and dialog is closed as cancelled, no new one
    // is shown (see common/Unattended.h), and the loop, or start-up, ends.
    void EndUnattended(const char* why);
    class QSocketNotifier* m_signalNotifier = nullptr;
    bool m_terminationRequested = false;
    bool m_quitAsAsked = false;
};
