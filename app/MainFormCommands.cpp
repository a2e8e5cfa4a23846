#include "app/MainForm.h"

#include "app/About.h"
#include "app/CommandShortcuts.h"
#include "app/CommandTable.h"
#include "app/EntryGrid.h"
#include "app/Images.h"
#include "app/LayoutCalc.h"
#include "app/OpenDocument.h"
#include "common/Common.h"
#include "common/DesignFont.h"
#include "common/ShortcutValue.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include <array>
#include <utility>

namespace {

// The menu text of a command: its caption with the access key the menu bar gives it.
QString menuTextOf(const TCommandInfo& info)
{
    for (const TMenuInfo& menu : Menus()) {
        for (const TMenuItemInfo& item : menu.items) {
            if (!item.isSeparator() && std::string_view(item.command) == info.name)
                return QString::fromLatin1(item.text);
        }
    }
    return QString::fromLatin1(info.caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QAction* makeCommand(TfrmMain* owner, const TCommandInfo& info)
{
    auto* action = new QAction(owner);
    action->setObjectName(QLatin1String(info.name));
    // The text carries the menu's access key; the bare caption is the icon text, which
    // buttons and lists show.
    action->setText(menuTextOf(info));
    action->setIconText(QString::fromLatin1(info.caption));
    const QString hint = QString::fromLatin1(info.hint);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    if (const auto key = ShortcutToKeyCombination(info.shortCut))
        action->setShortcut(QKeySequence(*key));
    action->setShortcutContext(Qt::WindowShortcut);
    if (info.imageIndex >= 0)
        action->setIcon(CommandImage(info.imageIndex));
    action->setCheckable(info.checkable);
    owner->addAction(action);
    return action;
}

} // namespace

void TfrmMain::CreateCommands()
{
    const std::array<std::pair<std::string_view, QAction**>, CommandCount> slots {{
        {"actNewTable", &actNewTable},
        {"actDeleteTable", &actDeleteTable},
        {"actRenameTable", &actRenameTable},
        {"actExit", &actExit},
        {"actPaste", &actPaste},
        {"actCopy", &actCopy},
        {"actAdd", &actAdd},
        {"actDelete", &actDelete},
        {"actEdit", &actEdit},
        {"actFirst", &actFirst},
        {"actLast", &actLast},
        {"actNext", &actNext},
        {"actPrevious", &actPrevious},
        {"actCompact", &actCompact},
        {"actTopMost", &actTopMost},
        {"actPasteAutoHide", &actPasteAutoHide},
        {"actTrayIcon", &actTrayIcon},
        {"actOptions", &actOptions},
        {"actHelp", &actHelp},
        {"actAbout", &actAbout},
        {"actStartWithDesktop", &actStartWithDesktop},
        {"actPasteKeys", &actPasteKeys},
    }};
    for (const auto& [name, slot] : slots) {
        const TCommandInfo* info = FindCommand(name);
        Q_ASSERT(info != nullptr);
        *slot = makeCommand(this, *info);
    }
    setWindowIcon(AppIcon());

    // A name still in the grid's cell editor goes to the entry before any command acts, as it
    // does when opening a menu takes the focus from the editor; a toolbar button or a shortcut
    // leaves the editor open, and the command would act on a dataset that has not seen it.
    // Connected before the handlers, so it runs first.
    for (const auto& [name, slot] : slots) {
        connect(*slot, &QAction::triggered, this, [this] {
            if (grdName != nullptr)
                grdName->CommitEdit();
        });
    }

    connect(actExit, &QAction::triggered, this, &TfrmMain::actExitExecute);
    connect(actNewTable, &QAction::triggered, this, &TfrmMain::actNewTableExecute);
    connect(actDeleteTable, &QAction::triggered, this, &TfrmMain::actDeleteTableExecute);
    connect(actRenameTable, &QAction::triggered, this, &TfrmMain::actRenameTableExecute);
    connect(actPaste, &QAction::triggered, this, &TfrmMain::actPasteExecute);
    connect(actCopy, &QAction::triggered, this, &TfrmMain::actCopyExecute);
    connect(actAdd, &QAction::triggered, this, &TfrmMain::actAddExecute);
    connect(actDelete, &QAction::triggered, this, &TfrmMain::actDeleteExecute);
    connect(actEdit, &QAction::triggered, this, &TfrmMain::actEditExecute);
    connect(actFirst, &QAction::triggered, this, &TfrmMain::actFirstExecute);
    connect(actLast, &QAction::triggered, this, &TfrmMain::actLastExecute);
    connect(actNext, &QAction::triggered, this, &TfrmMain::actNextExecute);
    connect(actPrevious, &QAction::triggered, this, &TfrmMain::actPreviousExecute);
    connect(actCompact, &QAction::triggered, this, &TfrmMain::actCompactExecute);
    connect(actTopMost, &QAction::triggered, this, &TfrmMain::actTopMostExecute);
    connect(actTrayIcon, &QAction::triggered, this, &TfrmMain::actTrayIconExecute);
    connect(actOptions, &QAction::triggered, this, &TfrmMain::actOptionsExecute);
    connect(actHelp, &QAction::triggered, this, &TfrmMain::actHelpExecute);
    connect(actAbout, &QAction::triggered, this, &TfrmMain::actAboutExecute);
    connect(actStartWithDesktop, &QAction::triggered, this, &TfrmMain::actStartWithDesktopExecute);
    connect(actPasteKeys, &QAction::triggered, this, &TfrmMain::actPasteKeysExecute);

    // Connected after the handlers, so the states are refreshed once each command is done.
    for (const auto& [name, slot] : slots)
        connect(*slot, &QAction::triggered, this, &TfrmMain::UpdateCommands);
    UpdateCommands();

    new TCommandShortcuts(this);
}

void TfrmMain::UpdateCommands()
{
    actCompactUpdate();
    actPasteAutoHideUpdate();
    actStartWithDesktopUpdate();
}

void TfrmMain::CreateCommandBars()
{
    // A desktop-wide menu bar would take the menus out of the window the layout is built around.
    ActionMainMenuBar1->setNativeMenuBar(false);
    for (const TMenuInfo& info : Menus()) {
        QMenu* menu = ActionMainMenuBar1->addMenu(QString::fromLatin1(info.text));
        menu->setObjectName(QStringLiteral("mnu") + QLatin1String(CategoryName(info.category)));
        for (const TMenuItemInfo& item : info.items) {
            if (item.isSeparator())
                menu->addSeparator();
            else
                menu->addAction(findChild<QAction*>(QLatin1String(item.command), Qt::FindDirectChildrenOnly));
        }
        // The check marks are brought up to date before the user sees them.
        connect(menu, &QMenu::aboutToShow, this, &TfrmMain::UpdateCommands);
    }

    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Buttons, pictures and separators grow with the font like the rest of the window.
    const TDesignScale scale = DesignScaleOf(font());
    ToolBar1->setIconSize(scale(QSize(16, 16)));
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border: none; padding: 0px; spacing: 0px; }"
                                           "QToolBar::separator { width: %1px; }")
                                .arg(scale(Design::ToolSeparatorWidth)));
    for (const TToolButtonInfo& slot : ToolButtons()) {
        if (slot.isSeparator()) {
            ToolBar1->addSeparator();
            continue;
        }
        QAction* command = findChild<QAction*>(QLatin1String(slot.command), Qt::FindDirectChildrenOnly);
        ToolBar1->addAction(command);
        QWidget* button = ToolBar1->widgetForAction(command);
        button->setObjectName(QStringLiteral("tb") + QLatin1String(slot.command));
        button->setFixedSize(scale(Design::ToolButtonWidth), scale(Design::ToolBarHeight) - scale(3));
        if (slot.toolTip != nullptr) {
            // The button takes its command's tooltip again on every change of the command
            // (a check, say), so its own tooltip is put back after each one.
            const QString toolTip = QString::fromLatin1(slot.toolTip);
            button->setToolTip(toolTip);
            connect(command, &QAction::changed, button, [button, toolTip] { button->setToolTip(toolTip); });
        }
    }

    btnCopy->setText(actCopy->iconText());
}

void TfrmMain::actHelpExecute()
{
    // Whether the help opened is not reported: without a help file nothing happens.
    OpenDocument(AppDir() + QLatin1String(ApplicationTitle) + QStringLiteral(".chm"));
}

void TfrmMain::actAboutExecute()
{
    TfrmAbout frmAbout(this);
    frmAbout.exec();
}

void TfrmMain::actPasteAutoHideUpdate()
{
    actPasteAutoHide->setEnabled(true);
}
