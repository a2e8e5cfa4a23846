#include "app/MainForm.h"

#include "app/DesktopNotice.h"
#include "common/MessageBoxes.h"
#include "delivery/Delivery.h"
#include "delivery/DesktopRoutines.h"
#include "delivery/PasteKeyRules.h"
#include "delivery/PasteKeysDialog.h"
#include "delivery/SpecVar.h"
#include "library/TableDataset.h"
#include "platform/Platform.h"

#include <QAction>

#include <memory>

void TfrmMain::createDelivery()
{
    const auto askValues = [this](const VarList& rows) -> std::optional<VarList> {
        const auto frmSpecVar = std::make_unique<TfrmSpecVar>(this);
        frmSpecVar->LoadVarList(rows);
        if (frmSpecVar->exec() != QDialog::Accepted)
            return std::nullopt;
        return frmSpecVar->Vars();
    };
    m_delivery = std::make_unique<Delivery>(Desktop(), SetClipboardText, askValues);
    m_delivery->setClipboardKeeper(std::make_unique<DesktopClipboardKeeper>());
    m_delivery->setStepAsideHooks({[this] { ShowWin(false); },
        // The window has just stepped aside for the paste: a box would take the focus from
        // the program the user is about to paste into.
        [this](const QString& text) { ShowDesktopNotice(this, text); }});
}

namespace {
Delivery::Options deliveryOptions(const TfrmMain& form)
{
    return {form.settings().AutoAppend, form.settings().AutoAppendStr, form.settings().PasteAutoHide,
        form.settings().RestoreClipboard};
}
} // namespace

Delivery& TfrmMain::delivery() const
{
    return *m_delivery;
}

QString TfrmMain::textToDeliver()
{
    // An entry whose text another program's lock kept from being read is read now, so the
    // copy is never an empty stand-in.
    if (tbl->Active())
        tbl->LoadPendingValue();
    // What the editor shows, unsaved edits included.
    return MemoText();
}

bool TfrmMain::Copy()
{
    return m_delivery->copy(textToDeliver(), deliveryOptions(*this));
}

void TfrmMain::Paste()
{
    m_delivery->paste(textToDeliver(), deliveryOptions(*this), [this] { showMinimized(); });
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
    m_delivery->sampleTarget();
}

void TfrmMain::actPasteKeysExecute()
{
    const quint32 target = m_delivery->target();
    const WindowClass targetClass = target != 0 ? Desktop().WindowClassOf(target) : WindowClass {};
    PasteKeysDialog dialog(m_delivery->pasteKeyRules(), targetClass, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_delivery->setPasteKeyRules(dialog.rules());
    // Stored at once rather than at the exit, so the file holds the rules only once the user
    // has made them their own and later built-in rules still reach everyone else.
    if (!WritePasteKeyRules(*SettingsRegistry, dialog.rules()))
        ShowNotice(
            QStringLiteral("The paste keys could not be stored in the settings file; they apply until the "
                           "program ends."));
}
