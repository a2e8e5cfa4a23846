#include "app/Application.h"
#include "app/CallUp.h"
#include "app/HiddenStart.h"
#include "app/MainForm.h"
#include "app/StartOptions.h"

#include <QIcon>
#include <QSessionManager>

#include <cstdio>

namespace {
// Long enough for a copy busy starting up or painting; short enough for a key binding.
constexpr int CallUpTimeoutMs = 5000;
} // namespace

int main(int argc, char** argv)
{
    // Answered on the terminal, so they work without a display.
    if (AsksForInformation(argc, argv)) {
        const QCoreApplication info(argc, argv);
        return AnswerOnTerminal(ParseStartOptions(QCoreApplication::arguments()));
    }
    // Asked before the display is opened, so the command exits at once.
    if (AsksToShow(argc, argv)) {
        const CallUpAnswer answer = AskRunningCopyToShow(CallUpSocketPath(), CallUpTimeoutMs);
        if (answer == CallUpAnswer::Shown)
            return 0;
        if (answer == CallUpAnswer::NoAnswer) {
            std::fputs("pastewise: the running copy did not answer --show\n", stderr);
            return 1;
        }
    }
    TApplication app(argc, argv);
    // Read after the application has taken out its own options (-display and the like).
    const TStartOptions options = ParseStartOptions(TApplication::arguments());
    if (!options.error.isEmpty())
        return AnswerOnTerminal(options);
    TApplication::setApplicationName(QStringLiteral("Pastewise"));
    TApplication::setDesktopFileName(QStringLiteral("pastewise"));
    // The window is closed explicitly; the program ends only through the quit request.
    TApplication::setQuitOnLastWindowClosed(false);
    app.InstallTerminationSignals();

    TfrmMain frmMain;
    try {
        frmMain.FormCreate();
    } catch (...) {
        // The slots already done stay done; the program still shows its window and runs.
        ReportException(std::current_exception());
    }
    // Listens from before the window is shown: a --show in the meantime is answered as soon as
    // the event loop runs.
    CallUpServer callUp;
    QObject::connect(&callUp, &CallUpServer::showRequested, &frmMain, &TfrmMain::WMHotKey);
    callUp.listen(CallUpSocketPath());
    ShowAtStart(frmMain, options.hidden);
    // The session manager asks for a save before a logout, which may still be cancelled, and
    // when the user saves the session: the settings are written now and the program goes on.
    // When the session really ends it is told to quit, and the shutdown below runs.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain,
        [&frmMain](QSessionManager&) { frmMain.SaveSettings(); });
    // A quit request made before the loop runs would be lost.
    if (!app.TerminationRequested())
        TApplication::exec();

    frmMain.hide();
    frmMain.FormDestroy();
    return 0;
}
