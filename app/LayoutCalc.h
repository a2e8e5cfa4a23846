#pragma once
// Geometry of the main window: the fixed design positions of its controls and the two
// layouts that follow the window's size. Pure arithmetic, so both layouts are checked
// without a display; the main window only copies the results onto its controls.
//
// The layout works on the outer window size (frame and title bar included) as the
// program was designed on a frame 8 pixels wider and 27 pixels taller than the client
// area; positions are client coordinates. Results are not clamped: a window too small
// for a control yields a negative width or height, and the control simply has no
// visible area.
//
// Every number is a design pixel: with a font larger than the design's, TDesignScale grows
// them all alike (the design frame that turns a client size into an outer size stays as it
// is, because stored window sizes depend on it).

#include "common/DesignScale.h"

#include <QRect>

namespace Design {

// The frame the constants were designed against: outer = client + this.
inline constexpr int FrameWidth = 8;
inline constexpr int FrameHeight = 27;

constexpr int OuterWidthFromClient(int clientWidth)
{
    return clientWidth + FrameWidth;
}
constexpr int OuterHeightFromClient(int clientHeight)
{
    return clientHeight + FrameHeight;
}
constexpr int ClientWidthFromOuter(int outerWidth)
{
    return outerWidth - FrameWidth;
}
constexpr int ClientHeightFromOuter(int outerHeight)
{
    return outerHeight - FrameHeight;
}

// Outer size of the window as designed (not used for the first display).
inline constexpr int WindowWidth = 607;
inline constexpr int WindowHeight = 429;

// Outer width set when compact mode is switched on or off.
inline constexpr int CompactWidth = 280;
inline constexpr int FullWidth = 600;
constexpr int ModeWidth(bool compact)
{
    return compact ? CompactWidth : FullWidth;
}

// Docked bars, full client width.
inline constexpr int MenuBarHeight = 24;
inline constexpr int ToolBarTop = 24;
inline constexpr int ToolBarHeight = 25;
inline constexpr int ToolButtonWidth = 23;
inline constexpr int ToolSeparatorWidth = 8;

// Controls at their design geometry. Only the parts the layout never changes are
// binding: the labels entirely, the left/top of txtName and grdName, the left of
// btnPaste, and the heights of the tab strip, edit box and buttons.
inline constexpr QRect TabCtrl {0, 49, 597, 25};
inline constexpr QRect lblName {1, 78, 111, 13};
inline constexpr QRect lblValue {226, 79, 57, 13};
inline constexpr QRect txtName {1, 94, 221, 21};
inline constexpr QRect grdName {1, 120, 221, 252};
inline constexpr QRect memValue {224, 94, 373, 305};
inline constexpr QRect btnPaste {1, 375, 108, 23};
inline constexpr QRect btnCopy {113, 375, 108, 23};

// Width of the left column in the full layout.
inline constexpr int ColumnWidth = 221;
inline constexpr int ButtonWidth = 108;

} // namespace Design

// What one layout pass sets, field by field. Everything else keeps its design value.
struct TLayoutResult {
    int TabCtrlWidth = 0;
    bool lblValueVisible = true;
    int txtNameWidth = 0;
    int grdNameWidth = 0;
    int grdNameHeight = 0;
    int btnPasteTop = 0;
    int btnPasteWidth = 0;
    int btnCopyLeft = 0;
    int btnCopyTop = 0;
    int btnCopyWidth = 0;
    int memValueLeft = 0;
    int memValueTop = 0;
    int memValueWidth = 0;
    int memValueHeight = 0;

    // Full client rectangles, the computed fields merged with the fixed design ones at the
    // scale the layout was made at.
    QRect TabCtrlRect(const TDesignScale& scale = {}) const;
    QRect txtNameRect(const TDesignScale& scale = {}) const;
    QRect grdNameRect(const TDesignScale& scale = {}) const;
    QRect memValueRect() const;
    QRect btnPasteRect(const TDesignScale& scale = {}) const;
    QRect btnCopyRect(const TDesignScale& scale = {}) const;

    bool operator==(const TLayoutResult&) const = default;
};

// Lays out the main window for an outer size of outerWidth x outerHeight.
TLayoutResult CalcLayout(int outerWidth, int outerHeight, bool compact, const TDesignScale& scale = {});
