#pragma once
// The tab strip of the library's tables (TabCtrl). A tab strip always has a current tab
// once it has any; while no table is open that tab is not drawn as selected, so the strip
// never shows a table as open that the grid does not show.

#include <QTabBar>

class TTableTabs final : public QTabBar {
    Q_OBJECT
public:
    explicit TTableTabs(QWidget* parent = nullptr);

    void SetCurrentShown(bool shown);
    // Whether the tab is drawn as the selected one.
    bool LooksSelected(int index) const;

protected:
    void initStyleOption(QStyleOptionTab* option, int tabIndex) const override;

private:
    bool m_currentShown = false;
};
