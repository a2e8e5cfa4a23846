#include "app/MainForm.h"

// TODO(entries): bind the grid and memo to the open table and fill these handlers.
void TfrmMain::txtNameChange(const QString& text)
{
    (void)text;
}

void TfrmMain::txtNameEnter() {}
void TfrmMain::grdNameDblClick()
{
    Paste();
}
void TfrmMain::actAddExecute() {}
void TfrmMain::actDeleteExecute() {}
void TfrmMain::actEditExecute() {}
void TfrmMain::actFirstExecute() {}
void TfrmMain::actPreviousExecute() {}
void TfrmMain::actNextExecute() {}
void TfrmMain::actLastExecute() {}
