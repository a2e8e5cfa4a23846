#include "app/MainForm.h"

bool TfrmMain::Copy()
{
    // TODO(delivery): expand the memo text and put it on the clipboard.
    return false;
}

void TfrmMain::Paste()
{
    // TODO(delivery): Copy, minimise, activate the target, send Ctrl+V.
    Copy();
}

void TfrmMain::btnPasteClick()
{
    Paste();
}

void TfrmMain::actPasteExecute()
{
    Paste();
}

void TfrmMain::actCopyExecute()
{
    Copy();
}

void TfrmMain::WMTimer()
{
    // TODO(delivery): sample TargetWindow while another program is active.
}
