#include "app/MainForm.h"
#include "settings/Settings.h"

// Placement round-trips exactly under any window manager because it is stored as
// the frame's top-left corner and the outer size by the design frame rule.
void SaveWindowPlacement(TfrmMain& form)
{
    WindowBounds bounds;
    const QPoint frameTopLeft = form.pos();
    bounds.Left = frameTopLeft.x();
    bounds.Top = frameTopLeft.y();
    // A maximised window stores its maximised bounds, as the window has them now.
    bounds.Width = form.OuterWidth();
    bounds.Height = form.OuterHeight();
    bounds.Maximized = form.isMaximized();
    SaveWindowPlacementValues(bounds);
}

void LoadWindowPlacement(TfrmMain& form)
{
    const PlacementToApply placement = LoadWindowPlacementValues();
    if (placement.ApplyBounds) {
        const WindowBounds& b = placement.Bounds;
        form.move(b.Left, b.Top);
        form.resize(qMax(0, b.Width - 8), qMax(0, b.Height - 27));
    }
    if (placement.Maximize)
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
}
