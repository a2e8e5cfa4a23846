#include "app/Application.h"
#include "app/MainForm.h"

#include <QIcon>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Pastewise"));
    TApplication::setApplicationDisplayName(QStringLiteral("Pastewise"));
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
    frmMain.show();
    TApplication::exec();

    frmMain.hide();
    frmMain.FormDestroy();
    return 0;
}
