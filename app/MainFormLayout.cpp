#include "app/EntryGrid.h"
#include "app/MainForm.h"

#include "app/LayoutCalc.h"
#include "common/DesignFont.h"

#include <QAction>
#include <QHeaderView>
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
    // The controls start at their design places, grown for the desktop's font; the layout then
    // moves the ones that follow the window's size.
    const TDesignScale scale = DesignScaleOf(font());
    ActionMainMenuBar1->setGeometry(0, 0, width(), scale(Design::MenuBarHeight));
    ToolBar1->setGeometry(0, scale(Design::ToolBarTop), width(), scale(Design::ToolBarHeight));
    TabCtrl->setGeometry(scale(Design::TabCtrl));
    TabCtrl->setIconSize(scale(QSize(16, 16)));
    lblName->setGeometry(scale(Design::lblName));
    lblValue->setGeometry(scale(Design::lblValue));
    txtName->setGeometry(scale(Design::txtName));
    grdName->setGeometry(scale(Design::grdName));
    grdName->verticalHeader()->setDefaultSectionSize(scale(18));
    grdName->verticalHeader()->setFixedWidth(scale(12));
    memValue->setGeometry(scale(Design::memValue));
    memValue->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnPaste->setGeometry(scale(Design::btnPaste));
    btnCopy->setGeometry(scale(Design::btnCopy));
    // The labels were sized for the design's face; a wider stand-in would cut their text off.
    for (QLabel* label : {lblName, lblValue})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
}

void TfrmMain::FormResize()
{
    const TDesignScale scale = DesignScaleOf(font());
    const TLayoutResult layout = CalcLayout(OuterWidth(), OuterHeight(), m_settings.CompactMode, scale);
    ActionMainMenuBar1->setGeometry(0, 0, width(), scale(Design::MenuBarHeight));
    ToolBar1->setGeometry(0, scale(Design::ToolBarTop), width(), scale(Design::ToolBarHeight));
    TabCtrl->setGeometry(withoutNegativeSize(layout.TabCtrlRect(scale)));
    lblValue->setVisible(layout.lblValueVisible);
    txtName->setGeometry(withoutNegativeSize(layout.txtNameRect(scale)));
    grdName->setGeometry(withoutNegativeSize(layout.grdNameRect(scale)));
    btnPaste->setGeometry(withoutNegativeSize(layout.btnPasteRect(scale)));
    btnCopy->setGeometry(withoutNegativeSize(layout.btnCopyRect(scale)));
    memValue->setGeometry(withoutNegativeSize(layout.memValueRect()));
    // The check mark follows the layout, also for the flag restored at start-up.
    actCompactUpdate();
}

void TfrmMain::ShowCompactMode()
{
    // The mode's width as designed, grown with the font like the controls in it.
    const TDesignScale scale = DesignScaleOf(font());
    resize(scale(Design::ClientWidthFromOuter(Design::ModeWidth(m_settings.CompactMode))), height());
    // Also when the width was already right and no resize follows.
    FormResize();
}

void TfrmMain::actCompactExecute()
{
    m_settings.CompactMode = !m_settings.CompactMode;
    ShowCompactMode();
}

void TfrmMain::actCompactUpdate()
{
    actCompact->setChecked(m_settings.CompactMode);
}
