#include "app/MainForm.h"

#include <QAction>

namespace {
QAction* makeCommand(TfrmMain* owner, const char* name, const char* caption, bool autoCheck)
{
    auto* action = new QAction(QString::fromLatin1(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(autoCheck);
    owner->addAction(action);
    return action;
}
} // namespace

void TfrmMain::CreateCommands()
{
    // TODO(commands): captions, hints, shortcuts, images, menus and toolbar from the command table.
    actNewTable = makeCommand(this, "actNewTable", "New Table", false);
    actDeleteTable = makeCommand(this, "actDeleteTable", "Delete Table", false);
    actRenameTable = makeCommand(this, "actRenameTable", "Rename Table", false);
    actExit = makeCommand(this, "actExit", "Exit", false);
    actPaste = makeCommand(this, "actPaste", "Quick Paste", false);
    actCopy = makeCommand(this, "actCopy", "Copy Only", false);
    actAdd = makeCommand(this, "actAdd", "Add Entry", false);
    actDelete = makeCommand(this, "actDelete", "Delete Entry", false);
    actEdit = makeCommand(this, "actEdit", "Change Entry Name", false);
    actFirst = makeCommand(this, "actFirst", "First Entry", false);
    actLast = makeCommand(this, "actLast", "Last Entry", false);
    actNext = makeCommand(this, "actNext", "Next Entry", false);
    actPrevious = makeCommand(this, "actPrevious", "Previous Entry", false);
    actCompact = makeCommand(this, "actCompact", "Compact Mode", false);
    actTopMost = makeCommand(this, "actTopMost", "Always On Top", true);
    actPasteAutoHide = makeCommand(this, "actPasteAutoHide", "Auto Hide At Paste", true);
    actTrayIcon = makeCommand(this, "actTrayIcon", "Show Tray Icon", true);
    actOptions = makeCommand(this, "actOptions", "Options...", false);
    actHelp = makeCommand(this, "actHelp", "Contents", false);
    actAbout = makeCommand(this, "actAbout", "About", false);

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
}

void TfrmMain::actHelpExecute()
{
    // TODO(commands): open AppDir() + title + ".chm".
}

void TfrmMain::actAboutExecute()
{
    // TODO(commands): show a fresh TfrmAbout.
}

void TfrmMain::actPasteAutoHideUpdate()
{
    actPasteAutoHide->setEnabled(true);
}
