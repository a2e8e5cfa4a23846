#include "app/MainForm.h"

#include "app/DesktopNotice.h"
#include "common/Declare.h"
#include "delivery/DesktopRoutines.h"
#include "delivery/SpecVar.h"
#include "delivery/StepAsidePaste.h"
#include "delivery/TextRoutines.h"
#include "library/TableDataset.h"
#include "platform/Platform.h"

#include <QAction>
#include <QLoggingCategory>
#include <QPlainTextEdit>

#include <memory>
#include <utility>

Q_LOGGING_CATEGORY(lcDelivery, "pastewise.delivery")

namespace {
// X11 activation and focus changes are asynchronous; half a second is far beyond what a
// window manager that answers at all needs, and short enough not to be noticed when it
// does not.
constexpr int kFocusWaitMs = 500;
} // namespace

bool TfrmMain::Copy()
{
    // An entry whose text another program's lock kept from being read is read now, so the
    // copy is never an empty stand-in.
    if (tbl->Active())
        tbl->LoadPendingValue();
    // What the editor shows, unsaved edits included.
    QString text = MemoText();
    {
        const auto frmSpecVar = std::make_unique<TfrmSpecVar>(this);
        frmSpecVar->LoadVarList(text);
        if (frmSpecVar->rowCount() > 0) {
            if (frmSpecVar->exec() != QDialog::Accepted)
                return false;
            text = frmSpecVar->ReplaceVars(text);
        }
    }
    // Decoded anew each time and appended after the substitution, so placeholders in it
    // stay as they are.
    if (AutoAppend)
        text += ConvertEscapes(AutoAppendStr);
    const bool copied = SetClipboardText(text);
    if (!copied)
        qCWarning(lcDelivery) << "the clipboard did not take the text";
    return copied;
}

void TfrmMain::Paste()
{
    if (!Copy())
        return;
    if (!Desktop().Abilities().tracksFocus) {
        PasteWithoutTarget();
        return;
    }
    const quint32 target = TargetWindow;
    const bool minimise = actPasteAutoHide->isChecked() || target == 0;
    if (minimise)
        showMinimized();

    // Keys are only sent once the focus is where they belong; the waits keep serving
    // events, because the target asks this program for the clipboard text when it handles
    // Ctrl+V.
    Platform& desktop = Desktop();
    if (target != 0) {
        if (!desktop.ActivateWindow(target, kFocusWaitMs)) {
            // The target has gone or was refused the focus. Whatever window has it now
            // may take the paste, but never this program's own; once minimised, the
            // window manager hands the focus on in its own time.
            if (minimise)
                desktop.WaitForFocusToLeaveOwnWindows(kFocusWaitMs);
            const quint32 focused = GetFocusedWindow(desktop);
            if (focused == 0 || desktop.IsOwnWindow(focused)) {
                qCInfo(lcDelivery).noquote()
                    << "paste target" << QString::number(target) << "did not get the focus; no keys sent";
                return;
            }
        }
    } else if (!desktop.WaitForFocusToLeaveOwnWindows(kFocusWaitMs)) {
        qCInfo(lcDelivery) << "no paste target and the focus stayed here; no keys sent";
        return;
    }
    if (!SendPasteKeys(desktop))
        qCWarning(lcDelivery) << "the paste keys could not be sent";
}

void TfrmMain::PasteWithoutTarget()
{
    // No window can be named as the target, so the one the desktop focuses next is it, and
    // that only happens once this window is out of the way, whatever Auto Hide says.
    if (!actPasteAutoHide->isChecked())
        qCInfo(lcDelivery) << "this desktop names no paste target; stepping aside although Auto Hide At "
                              "Paste is off";
    const StepAsideOutcome outcome = PasteBySteppingAside(Desktop(), [this](StepAside how) {
        if (how == StepAside::Minimise) {
            showMinimized();
        } else {
            qCInfo(lcDelivery) << "minimising left the focus here; hiding the window";
            ShowWin(false);
        }
    });
    switch (outcome) {
    case StepAsideOutcome::KeysSent:
        return;
    case StepAsideOutcome::FocusStayed:
        qCInfo(lcDelivery) << "the focus stayed here; no keys sent, the text is on the clipboard";
        return;
    case StepAsideOutcome::NoKeys:
    case StepAsideOutcome::KeysFailed:
        qCInfo(lcDelivery) << "no paste keys on this desktop; the text is on the clipboard";
        if (!std::exchange(m_toldClipboardPaste, true))
            ShowDesktopNotice(this,
                QStringLiteral(
                    "The text is on the clipboard: press Ctrl+V to paste it. This desktop does not "
                    "let Pastewise type into other programs."));
        return;
    }
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
    // While the focus is in another program it is the one to paste into; once it comes
    // here the last one stays. A moment with no focus at all (between two windows, on the
    // bare desktop) keeps the last target rather than forgetting it.
    Platform& desktop = Desktop();
    const quint32 focused = GetFocusedWindow(desktop);
    if (focused == 0 || focused == TargetWindow || desktop.IsOwnWindow(focused))
        return;
    TargetWindow = focused;
    qCDebug(lcDelivery).noquote() << "focus in another program; paste target" << QString::number(focused);
}
