#include "app/TableTabs.h"

#include <QStyleOptionTab>

TTableTabs::TTableTabs(QWidget* parent)
    : QTabBar(parent)
{
}

void TTableTabs::SetCurrentShown(bool shown)
{
    if (m_currentShown == shown)
        return;
    m_currentShown = shown;
    update();
}

bool TTableTabs::LooksSelected(int index) const
{
    QStyleOptionTab option;
    initStyleOption(&option, index);
    return option.state.testFlag(QStyle::State_Selected);
}

void TTableTabs::initStyleOption(QStyleOptionTab* option, int tabIndex) const
{
    QTabBar::initStyleOption(option, tabIndex);
    if (m_currentShown)
        return;
    option->state &= ~QStyle::State_Selected;
    option->selectedPosition = QStyleOptionTab::NotAdjacent;
}
