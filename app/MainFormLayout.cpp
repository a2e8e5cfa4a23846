#include "app/MainForm.h"

#include "common/Declare.h"

void TfrmMain::FormResize()
{
    // TODO(layout): place the controls by the full or compact layout.
}

void TfrmMain::ShowCompactMode()
{
    resize((CompactMode ? 280 : 600) - 8, height());
    FormResize();
}

void TfrmMain::actCompactExecute()
{
    CompactMode = !CompactMode;
    ShowCompactMode();
}

void TfrmMain::actCompactUpdate()
{
    // TODO(layout): mirror CompactMode in the command's checked state when idle.
}
