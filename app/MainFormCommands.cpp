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
#include "common/Handled.h"
#include "common/ShortcutValue.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include <array>
#include <string_view>

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
    // Each command with its handler; every one runs through RunCommand.
    struct Wiring {
        std::string_view name;
        QAction** slot;
        void (TfrmMain::*handler)();
    };
    const std::array<Wiring, CommandCount> commands {{
        {"actNewTable", &actNewTable, &TfrmMain::actNewTableExecute},
        {"actDeleteTable", &actDeleteTable, &TfrmMain::actDeleteTableExecute},
        {"actRenameTable", &actRenameTable, &TfrmMain::actRenameTableExecute},
        {"actExit", &actExit, &TfrmMain::actExitExecute},
        {"actPaste", &actPaste, &TfrmMain::actPasteExecute},
        {"actCopy", &actCopy, &TfrmMain::actCopyExecute},
        {"actAdd", &actAdd, &TfrmMain::actAddExecute},
        {"actDelete", &actDelete, &TfrmMain::actDeleteExecute},
        {"actEdit", &actEdit, &TfrmMain::actEditExecute},
        {"actFirst", &actFirst, &TfrmMain::actFirstExecute},
        {"actLast", &actLast, &TfrmMain::actLastExecute},
        {"actNext", &actNext, &TfrmMain::actNextExecute},
        {"actPrevious", &actPrevious, &TfrmMain::actPreviousExecute},
        {"actCompact", &actCompact, &TfrmMain::actCompactExecute},
        {"actTopMost", &actTopMost, &TfrmMain::actTopMostExecute},
        {"actPasteAutoHide", &actPasteAutoHide, nullptr}, // flipping its check is all it does
        {"actRestoreClipboard", &actRestoreClipboard, nullptr}, // likewise
        {"actTrayIcon", &actTrayIcon, &TfrmMain::actTrayIconExecute},
        {"actOptions", &actOptions, &TfrmMain::actOptionsExecute},
        {"actHelp", &actHelp, &TfrmMain::actHelpExecute},
        {"actAbout", &actAbout, &TfrmMain::actAboutExecute},
        {"actStartWithDesktop", &actStartWithDesktop, &TfrmMain::actStartWithDesktopExecute},
        {"actPasteKeys", &actPasteKeys, &TfrmMain::actPasteKeysExecute},
        {"actLibrary", &actLibrary, &TfrmMain::actLibraryExecute},
    }};
    for (const Wiring& command : commands) {
        const TCommandInfo* info = FindCommand(command.name);
        Q_ASSERT(info != nullptr);
        *command.slot = makeCommand(this, *info);
    }
    setWindowIcon(AppIcon());
    for (const Wiring& command : commands) {
        connect(*command.slot, &QAction::triggered, this,
            [this, handler = command.handler] { RunCommand(handler); });
    }
    UpdateCommands();

    new TCommandShortcuts(this);
}

void TfrmMain::RunCommand(void (TfrmMain::*handler)())
{
    RunHandled([this, handler] {
        // A name still in the grid's cell editor goes to the entry before the command acts, as
        // it does when opening a menu takes the focus from the editor; a toolbar button or a
        // shortcut leaves the editor open, and the command would act on a dataset that has not
        // seen it. A name that cannot be stored stops the command.
        if (grdName != nullptr)
            grdName->CommitEdit();
        if (handler != nullptr)
            (this->*handler)();
    });
    // Also after a command that failed: it may have changed a state half way.
    UpdateCommands();
}

void TfrmMain::UpdateCommands()
{
    RunHandled([this] {
        actCompactUpdate();
        actPasteAutoHideUpdate();
        actStartWithDesktopUpdate();
    });
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
