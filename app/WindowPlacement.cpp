#include "app/LayoutCalc.h"
#include "app/MainForm.h"
#include "app/PlacementFit.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include <algorithm>

namespace {
Q_LOGGING_CATEGORY(lcPlacement, "pastewise.placement")
} // namespace

// Placement round-trips exactly under any window manager because it is stored as
// the frame's top-left corner and the outer size by the design frame rule.
// Both work on the form's settings value, which SaveSettings writes and LoadSettings read.
void SaveWindowPlacement(TfrmMain& form)
{
    Settings& settings = form.settings();
    if (form.Desktop().Abilities().placesWindows) {
        const QPoint frameTopLeft = form.pos();
        settings.WindowLeft = frameTopLeft.x();
        settings.WindowTop = frameTopLeft.y();
    } else {
        // Where the desktop places windows itself the program never learns where: the corner
        // stored on a desktop that does tell stays for the next start there. None stored yet
        // gives 0, so the size still comes back next time.
        settings.WindowLeft = std::max(settings.WindowLeft, 0);
        settings.WindowTop = std::max(settings.WindowTop, 0);
    }
    // A maximised window stores its maximised bounds, as the window has them now.
    settings.WindowWidth = form.OuterWidth();
    settings.WindowHeight = form.OuterHeight();
    settings.WindowMaximized = form.isMaximized();
}

void LoadWindowPlacement(TfrmMain& form)
{
    const PlacementToApply placement = PlacementToApplyFrom(form.settings());
    if (placement.ApplyBounds) {
        const WindowBounds& b = placement.Bounds;
        // Whatever the file says, the window comes up where it can be seen and used: at
        // least its minimum size, and inside the screen area that is free of panels.
        QList<QRect> areas;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            areas << primary->availableGeometry();
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (screen != QGuiApplication::primaryScreen())
                areas << screen->availableGeometry();
        }
        const QRect fitted = FitPlacement(b.Left, b.Top, b.Width, b.Height, MinimumOuterSize, areas);
        // Compared field by field: the stored numbers may overflow a rectangle's right edge.
        if (fitted.x() != b.Left || fitted.y() != b.Top || fitted.width() != b.Width
            || fitted.height() != b.Height)
            qCInfo(lcPlacement) << "stored placement" << b.Left << b.Top << b.Width << b.Height
                                << "is not usable here; placed at" << fitted;
        // Only the size where the desktop decides the position itself.
        if (form.Desktop().Abilities().placesWindows)
            form.move(fitted.topLeft());
        form.resize(
            Design::ClientWidthFromOuter(fitted.width()), Design::ClientHeightFromOuter(fitted.height()));
    }
    if (placement.Maximize)
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
}
