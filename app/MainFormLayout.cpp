#include "app/EntryGrid.h"
#include "app/MainForm.h"

#include "app/LayoutCalc.h"
#include "common/Declare.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>

#include <algorithm>

namespace {

// A window too small for a control leaves it a negative size; Qt would keep that and hand
// it on to scroll bars and painters, so the control gets no area instead.
QRect withoutNegativeSize(const QRect& rect)
{
    return {rect.topLeft(), QSize(std::max(rect.width(), 0), std::max(rect.height(), 0))};
}

} // namespace

void TfrmMain::PlaceControls()
{
    // The controls start at their design places; the layout then moves the ones that follow
    // the window's size. Fonts stay the desktop's: the design's face does not exist here.
    ActionMainMenuBar1->setGeometry(0, 0, width(), Design::MenuBarHeight);
    ToolBar1->setGeometry(0, Design::ToolBarTop, width(), Design::ToolBarHeight);
    TabCtrl->setGeometry(Design::TabCtrl);
    lblName->setGeometry(Design::lblName);
    lblValue->setGeometry(Design::lblValue);
    txtName->setGeometry(Design::txtName);
    grdName->setGeometry(Design::grdName);
    memValue->setGeometry(Design::memValue);
    memValue->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnPaste->setGeometry(Design::btnPaste);
    btnCopy->setGeometry(Design::btnCopy);
    // The labels were sized for the design's face; a wider stand-in would cut their text off.
    for (QLabel* label : {lblName, lblValue})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
}

void TfrmMain::FormResize()
{
    const TLayoutResult layout = CalcLayout(OuterWidth(), OuterHeight(), CompactMode);
    ActionMainMenuBar1->setGeometry(0, 0, width(), Design::MenuBarHeight);
    ToolBar1->setGeometry(0, Design::ToolBarTop, width(), Design::ToolBarHeight);
    TabCtrl->setGeometry(withoutNegativeSize(layout.TabCtrlRect()));
    lblValue->setVisible(layout.lblValueVisible);
    txtName->setGeometry(withoutNegativeSize(layout.txtNameRect()));
    grdName->setGeometry(withoutNegativeSize(layout.grdNameRect()));
    btnPaste->setGeometry(withoutNegativeSize(layout.btnPasteRect()));
    btnCopy->setGeometry(withoutNegativeSize(layout.btnCopyRect()));
    memValue->setGeometry(withoutNegativeSize(layout.memValueRect()));
    // The check mark follows the layout, also for the flag restored at start-up.
    actCompactUpdate();
}

void TfrmMain::ShowCompactMode()
{
    resize(Design::ClientWidthFromOuter(Design::ModeWidth(CompactMode)), height());
    // Also when the width was already right and no resize follows.
    FormResize();
}

void TfrmMain::actCompactExecute()
{
    CompactMode = !CompactMode;
    ShowCompactMode();
}

void TfrmMain::actCompactUpdate()
{
    actCompact->setChecked(CompactMode);
}
