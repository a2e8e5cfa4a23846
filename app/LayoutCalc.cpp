#include "app/LayoutCalc.h"

namespace {

// Integer arithmetic throughout: C++ division truncates toward zero, as the layout
// always has, so an odd width or a height not divisible by 5 rounds the same way.

void fullLayout(TLayoutResult& r, int W, int H)
{
    r.txtNameWidth = Design::ColumnWidth;
    r.grdNameWidth = Design::ColumnWidth;
    r.grdNameHeight = H - 174;
    r.btnPasteTop = H - 52;
    r.btnPasteWidth = Design::ButtonWidth;
    r.btnCopyLeft = 113;
    r.btnCopyTop = H - 52;
    r.btnCopyWidth = Design::ButtonWidth;
    r.memValueTop = 94;
    r.memValueLeft = 224;
    r.memValueHeight = H - 122;
    r.memValueWidth = W - 232;
}

void compactLayout(TLayoutResult& r, int W, int H)
{
    // The grid ends where the memo begins, three fifths down the window; the memo and
    // the buttons share what is left below it.
    const int split = (3 * H) / 5;
    r.txtNameWidth = W - 10;
    r.grdNameWidth = W - 10;
    r.grdNameHeight = split - Design::grdName.top();
    r.btnPasteWidth = W / 2 - 2 - Design::btnPaste.left();
    r.btnPasteTop = H - 52;
    r.btnCopyLeft = W / 2 + 2;
    r.btnCopyWidth = W - 9 - r.btnCopyLeft;
    r.btnCopyTop = H - 52;
    r.memValueLeft = 1;
    r.memValueTop = split + 4;
    r.memValueHeight = H - 58 - r.memValueTop;
    r.memValueWidth = W - 10;
}

} // namespace

TLayoutResult CalcLayout(int outerWidth, int outerHeight, bool compact)
{
    TLayoutResult r;
    r.TabCtrlWidth = outerWidth - 10;
    r.lblValueVisible = !compact;
    if (compact)
        compactLayout(r, outerWidth, outerHeight);
    else
        fullLayout(r, outerWidth, outerHeight);
    return r;
}

QRect TLayoutResult::TabCtrlRect() const
{
    return {Design::TabCtrl.left(), Design::TabCtrl.top(), TabCtrlWidth, Design::TabCtrl.height()};
}

QRect TLayoutResult::txtNameRect() const
{
    return {Design::txtName.left(), Design::txtName.top(), txtNameWidth, Design::txtName.height()};
}

QRect TLayoutResult::grdNameRect() const
{
    return {Design::grdName.left(), Design::grdName.top(), grdNameWidth, grdNameHeight};
}

QRect TLayoutResult::memValueRect() const
{
    return {memValueLeft, memValueTop, memValueWidth, memValueHeight};
}

QRect TLayoutResult::btnPasteRect() const
{
    return {Design::btnPaste.left(), btnPasteTop, btnPasteWidth, Design::btnPaste.height()};
}

QRect TLayoutResult::btnCopyRect() const
{
    return {btnCopyLeft, btnCopyTop, btnCopyWidth, Design::btnCopy.height()};
}
