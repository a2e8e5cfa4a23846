// Time of a Quick Paste from the Enter key in the search box to the entry's text standing in
// another program's text field (Tk's), on a real X server with a window manager. Covers the
// whole path: the value lookup, the clipboard, minimising (with auto-hide), the activation
// of the target and the wait for its focus, the XTest keys, and the target fetching the text
// from this program. The Enter key is handed to the search box directly rather than through
// the X server, which saves a fraction of a millisecond that is not the program's.
//
//   pw_bench_paste [rounds]      (DISPLAY must name a server with a window manager; needs wish)

#include "app/MainForm.h"
#include "bench/XBenchSupport.h"
#include "common/MessageBoxes.h"
#include "delivery/Delivery.h"
#include "platform/X11Platform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
const QString kEntryText = QStringLiteral("Hello there, this is the text of the entry.");

// The Tk text field of the end-to-end tests, asked over a pipe what it holds.
class Target {
public:
    bool start()
    {
        m_wish.start(QStringLiteral("wish"), {QStringLiteral(PW_SOURCE_DIR "/tests/e2e/paste_target.tcl")});
        if (!m_wish.waitForStarted(5000) || !waitUntil([this] { return m_wish.canReadLine(); }, 10000))
            return false;
        m_wish.readLine();
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QStringLiteral("^Paste target$")});
        xdotool.waitForFinished(10000);
        m_id = QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed().toUInt();
        return m_id != 0;
    }
    ~Target()
    {
        m_wish.closeWriteChannel();
        if (!m_wish.waitForFinished(5000))
            m_wish.kill();
    }
    quint32 id() const { return m_id; }
    QString ask(const char* command)
    {
        m_wish.write(command);
        m_wish.write("\n");
        if (!waitUntil([this] { return m_wish.canReadLine(); }, 5000))
            return {};
        return QString::fromUtf8(m_wish.readLine()).chopped(1);
    }

private:
    QProcess m_wish;
    quint32 m_id = 0;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("pastewise.*=false"));
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 40;
    QTemporaryDir dir;
    const QString library = preparePrivateLibrary(dir.path(), {{QStringLiteral("greeting"), kEntryText}});
    PrintBoxesInsteadOfShowing();

    X11Platform desktop;
    TfrmMain form(library, &desktop);
    form.FormCreate();
    form.findChild<QAction*>(QStringLiteral("actTrayIcon"))->setChecked(false);
    auto* const txtName = form.findChild<QLineEdit*>(QStringLiteral("txtName"));
    QAction* autoHideCommand = form.findChild<QAction*>(QStringLiteral("actPasteAutoHide"));
    form.show();
    Target target;
    if (!target.start()) {
        std::fprintf(stderr, "no X server with a window manager, or wish is missing\n");
        return 1;
    }

    for (const bool autoHide : {true, false}) {
        autoHideCommand->setChecked(autoHide);
        std::vector<double> ms;
        int missed = 0;
        for (int i = 0; i < rounds; ++i) {
            target.ask("clear");
            // The user works in the target, then calls the program up.
            if (!desktop.ActivateWindow(target.id(), 2000)) {
                std::fprintf(stderr, "round %d: the target did not get the focus\n", i);
                ++missed;
                continue;
            }
            form.delivery().sampleTargetAtHotKey();
            form.ShowWin(true);
            if (!waitUntil([&] { return form.isActiveWindow() && txtName->hasFocus(); }, 2000)) {
                std::fprintf(stderr, "round %d: the program did not come to the front\n", i);
                ++missed;
                continue;
            }
            txtName->setText(QStringLiteral("gre"));

            QElapsedTimer timer;
            timer.start();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(txtName, &press);
            QCoreApplication::sendEvent(txtName, &release);
            if (!waitUntil([&] { return target.ask("dump") == kEntryText; }, 5000)) {
                std::fprintf(
                    stderr, "round %d: the target holds \"%s\"\n", i, qPrintable(target.ask("dump")));
                ++missed;
                continue;
            }
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        const char* name = autoHide ? "auto hide at paste" : "window stays open";
        if (ms.empty()) {
            std::printf("%-20s no successful round (missed %d)\n", name, missed);
            continue;
        }
        std::printf("%-20s rounds %zu (missed %d)  median %.1f ms  p90 %.1f ms  min %.1f ms  max %.1f ms\n",
            name, ms.size(), missed, percentile(ms, 0.5), percentile(ms, 0.9),
            *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
    }
    form.FormDestroy();
    return 0;
}
