#include "app/LayoutCalc.h"

namespace {

// Integer arithmetic throughout: C++ division truncates toward zero, as the layout
// always has, so an odd width or a height not divisible by 5 rounds the same way.
//
// The rules are written against the client area (cw x ch) with every margin scaled once, so
// the edges that meet the client area's edges still meet them exactly at any scale; at scale
// 1 each rule is the outer-size rule it comes from (W - 232 is cw - 224, and so on).

struct TClient {
    int cw; // client width
    int ch; // client height
    int W; // outer width at this scale: client plus the scaled design frame
    int H; // outer height at this scale
};

int buttonTop(const TClient& c, const TDesignScale& s)
{
    // Two pixels above the bottom edge (H - 52 = ch - 2 - 23).
    return c.ch - s(2) - s(Design::btnPaste.height());
}

void fullLayout(TLayoutResult& r, const TClient& c, const TDesignScale& s)
{
    r.txtNameWidth = s(Design::ColumnWidth);
    r.grdNameWidth = s(Design::ColumnWidth);
    r.btnPasteTop = buttonTop(c, s);
    r.grdNameHeight = r.btnPasteTop - s(2) - s(Design::grdName.top()); // H - 174
    r.btnPasteWidth = s(Design::ButtonWidth);
    r.btnCopyLeft = s(113);
    r.btnCopyTop = r.btnPasteTop;
    r.btnCopyWidth = s(Design::ButtonWidth);
    r.memValueTop = s(94);
    r.memValueLeft = s(224);
    r.memValueHeight = c.ch - s(1) - r.memValueTop; // H - 122
    r.memValueWidth = c.cw - r.memValueLeft; // W - 232
}

void compactLayout(TLayoutResult& r, const TClient& c, const TDesignScale& s)
{
    // The grid ends where the memo begins, three fifths down the window; the memo and
    // the buttons share what is left below it.
    const int split = (3 * c.H) / 5;
    const int margin = s(1);
    r.txtNameWidth = c.cw - 2 * margin; // W - 10
    r.grdNameWidth = c.cw - 2 * margin;
    r.grdNameHeight = split - s(Design::grdName.top());
    r.btnPasteWidth = c.W / 2 - s(2) - s(Design::btnPaste.left());
    r.btnPasteTop = buttonTop(c, s);
    r.btnCopyLeft = c.W / 2 + s(2);
    r.btnCopyWidth = c.cw - margin - r.btnCopyLeft; // W - 9 - left
    r.btnCopyTop = r.btnPasteTop;
    r.memValueLeft = margin;
    r.memValueTop = split + s(4);
    r.memValueHeight = r.btnPasteTop - s(6) - r.memValueTop; // H - 58 - top
    r.memValueWidth = c.cw - 2 * margin;
}

} // namespace

TLayoutResult CalcLayout(int outerWidth, int outerHeight, bool compact, const TDesignScale& scale)
{
    const int cw = Design::ClientWidthFromOuter(outerWidth);
    const int ch = Design::ClientHeightFromOuter(outerHeight);
    const TClient client {cw, ch, cw + scale(Design::FrameWidth), ch + scale(Design::FrameHeight)};
    TLayoutResult r;
    r.TabCtrlWidth = cw - scale(2); // W - 10
    r.lblValueVisible = !compact;
    if (compact)
        compactLayout(r, client, scale);
    else
        fullLayout(r, client, scale);
    return r;
}

QRect TLayoutResult::TabCtrlRect(const TDesignScale& scale) const
{
    return {scale(Design::TabCtrl.left()), scale(Design::TabCtrl.top()), TabCtrlWidth,
        scale(Design::TabCtrl.height())};
}

QRect TLayoutResult::txtNameRect(const TDesignScale& scale) const
{
    return {scale(Design::txtName.left()), scale(Design::txtName.top()), txtNameWidth,
        scale(Design::txtName.height())};
}

QRect TLayoutResult::grdNameRect(const TDesignScale& scale) const
{
    return {scale(Design::grdName.left()), scale(Design::grdName.top()), grdNameWidth, grdNameHeight};
}

QRect TLayoutResult::memValueRect() const
{
    return {memValueLeft, memValueTop, memValueWidth, memValueHeight};
}

QRect TLayoutResult::btnPasteRect(const TDesignScale& scale) const
{
    return {scale(Design::btnPaste.left()), btnPasteTop, btnPasteWidth, scale(Design::btnPaste.height())};
}

QRect TLayoutResult::btnCopyRect(const TDesignScale& scale) const
{
    return {btnCopyLeft, btnCopyTop, btnCopyWidth, scale(Design::btnCopy.height())};
}
