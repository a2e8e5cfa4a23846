// Time from the activation hotkey press to the main window in front with the search box
// focused, on a real X server with a window manager. The press is synthesised through XTest
// (the platform's paste keys, with Ctrl+V made the hotkey), so it travels the same way as a
// real one: X server, passive grab, the program's event filter, ShowWin.
//
//   pw_bench_hotkey [rounds]      (DISPLAY must name a server with a window manager)

#include "app/ActivationHotKey.h"
#include "app/MainForm.h"
#include "bench/XBenchSupport.h"
#include "common/MessageBoxes.h"
#include "platform/X11Platform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr quint16 kCtrlV = 0x4056;

bool exposed(QWidget& widget)
{
    return waitUntil([&] { return widget.windowHandle() && widget.windowHandle()->isExposed(); }, 5000);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Log lines on every press would be timed too.
    QLoggingCategory::setFilterRules(QStringLiteral("pastewise.*=false"));
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 40;
    QTemporaryDir dir;
    const QString library = preparePrivateLibrary(dir.path(), {});
    PrintBoxesInsteadOfShowing();

    X11Platform desktop;
    TfrmMain form(library, &desktop);
    form.FormCreate();
    form.findChild<QAction*>(QStringLiteral("actTrayIcon"))->setChecked(false);
    auto* const txtName = form.findChild<QLineEdit*>(QStringLiteral("txtName"));
    form.show();
    if (!exposed(form) || !RegisterActivationHotKey(desktop, kCtrlV)) {
        std::fprintf(stderr, "no X server with a window manager, or Ctrl+V is taken\n");
        return 1;
    }
    QLineEdit other;
    other.setWindowTitle(QStringLiteral("Other program"));
    other.show();
    if (!exposed(other))
        return 1;

    struct Case {
        const char* name;
        bool hide; // hidden (tray) rather than just behind the other window
    };
    for (const Case c : {Case {"behind another window", false}, Case {"hidden into the tray", true}}) {
        std::vector<double> ms;
        int missed = 0;
        for (int i = 0; i < rounds; ++i) {
            if (c.hide)
                form.ShowWin(false);
            if (!desktop.ActivateWindow(quint32(other.winId()), 2000)) {
                ++missed;
                continue;
            }
            waitUntil([&] { return other.isActiveWindow(); }, 2000);
            txtName->setText(QStringLiteral("abc"));
            QElapsedTimer timer;
            timer.start();
            desktop.SendPasteKeys();
            const bool ready = waitUntil(
                [&] {
                    return form.isActiveWindow() && txtName->hasFocus() && txtName->text().isEmpty()
                        && desktop.IsOwnWindow(desktop.FocusedWindow());
                },
                5000);
            if (!ready) {
                ++missed;
                continue;
            }
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        if (ms.empty()) {
            std::printf("%-24s no successful round\n", c.name);
            continue;
        }
        std::printf("%-24s rounds %zu (missed %d)  median %.1f ms  p90 %.1f ms  min %.1f ms  max %.1f ms\n",
            c.name, ms.size(), missed, percentile(ms, 0.5), percentile(ms, 0.9),
            *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
    }
    form.FormDestroy();
    return 0;
}
