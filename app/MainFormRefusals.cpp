// Changes the engine refused to store. During the run the user may keep one as a new entry,
// copy its text or discard it; a normal exit asks the same and may be called off; when nobody
// can be asked, the change goes to a recovery file that the next start names.

#include "app/MainForm.h"

#include "app/Application.h"
#include "app/EntryGrid.h"
#include "common/Common.h"
#include "common/Errors.h"
#include "common/MessageBoxes.h"
#include "common/RecoveryFile.h"
#include "delivery/DesktopRoutines.h"
#include "library/ADOUtil.h"
#include "library/LibraryConnection.h"
#include "library/LibrarySession.h"
#include "library/TableDataset.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPlainTextEdit>

namespace {
Q_LOGGING_CATEGORY(lcRefusals, "pastewise.entries")

enum Choice { KeepAsNew = 0, CopyOrSave = 1, Discard = 2, GoBack = 3 };

QString pendingChange(const TTableDataset& dataset)
{
    const QString name = dataset.Name();
    return name.isEmpty() ? QStringLiteral("Your new entry")
                          : QStringLiteral("Your change to \"%1\"").arg(name);
}

bool isPending(const TTableDataset& dataset)
{
    return dataset.Active()
        && (dataset.State() == DatasetState::Edit || dataset.State() == DatasetState::Insert);
}
} // namespace

bool TfrmMain::OfferRefusedChange(const QString& message)
{
    if (!isPending(*tbl)) {
        ShowErrorBox(message, this);
        return false;
    }
    const QString text = ErrorBoxText(message) + QStringLiteral("\n\n")
        + QStringLiteral("%1 is not stored yet. Keep it as a new entry, copy its text to the clipboard, "
                         "or discard it. Go Back returns to it as it is.")
              .arg(pendingChange(*tbl));
    const int choice = AskChoice(text,
        {QStringLiteral("Keep as New Entry"), QStringLiteral("Copy Text"), QStringLiteral("Discard Change"),
            QStringLiteral("Go Back")},
        GoBack, this);
    try {
        switch (choice) {
        case KeepAsNew:
            tbl->KeepPendingAsNewEntry();
            return true;
        case CopyOrSave:
            if (!SetClipboardText(tbl->Value())) {
                ShowErrorBox(
                    QStringLiteral("The clipboard did not take the text; the change is still there"), this);
                return false;
            }
            tbl->Cancel();
            return true;
        case Discard:
            tbl->Cancel();
            return true;
        default:
            return false;
        }
    } catch (const AppError& e) {
        // Keeping failed as well: the change stays pending, so it can still be tried otherwise.
        ShowErrorBox(e.message(), this);
        return false;
    }
}

void TfrmMain::SettlePendingChange()
{
    grdName->CommitEdit();
    // A new entry nobody typed into holds nothing to keep, and has no name to be stored by.
    if (tbl->State() == DatasetState::Insert && !tbl->Modified())
        tbl->Cancel();
}

bool TfrmMain::StoreOpenEntryBeforeExit()
{
    if (!tbl->Active())
        return true;
    SettlePendingChange();
    try {
        PostIfEditing(*tbl);
        return true;
    } catch (const StoreRefusedError& e) {
        const QString text = ErrorBoxText(e.message()) + QStringLiteral("\n\n")
            + QStringLiteral("%1 could not be stored, and Pastewise is closing. Keep it as a new entry, "
                             "save it to a file, or discard it. Go Back keeps Pastewise open.")
                  .arg(pendingChange(*tbl));
        const int choice = AskChoice(text,
            {QStringLiteral("Keep as New Entry"), QStringLiteral("Save to File"),
                QStringLiteral("Discard Change"), QStringLiteral("Go Back")},
            GoBack, this);
        try {
            if (choice == KeepAsNew) {
                tbl->KeepPendingAsNewEntry();
            } else if (choice == CopyOrSave) {
                const QString path
                    = WriteRecoveryFile(m_session->CurTable(), tbl->Name(), tbl->Value(), e.message());
                if (path.isEmpty()) {
                    ShowErrorBox(QStringLiteral("The text could not be saved in \"%1\"; Pastewise stays open")
                                     .arg(RecoveryFolder()),
                        this);
                    return false;
                }
                ShowNotice(QStringLiteral("The text was saved to %1").arg(path), this);
                tbl->Cancel();
            } else if (choice == Discard) {
                tbl->Cancel();
            } else {
                return false;
            }
        } catch (const AppError& keepError) {
            ShowErrorBox(keepError.message() + QStringLiteral("; Pastewise stays open"), this);
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        // Nothing typed is at stake here (the library went away, say); the exit goes on.
        qCWarning(lcRefusals) << "open entry not stored before exit:" << e.what();
        return true;
    }
}

void TfrmMain::CloseOpenTableAtExit()
{
    if (!tbl->Active())
        return;
    grdName->CommitEdit();
    if (tbl->State() == DatasetState::Insert && !tbl->Modified()) {
        tbl->Cancel();
        return;
    }
    try {
        PostIfEditing(*tbl);
    } catch (const std::exception& e) {
        // Nobody can be asked any more: what was typed goes to a file the next start names.
        const QString reason = QString::fromUtf8(e.what());
        const QString path = WriteRecoveryFile(m_session->CurTable(), tbl->Name(), tbl->Value(), reason);
        if (path.isEmpty()) {
            qCCritical(lcRefusals) << "pending entry change lost at exit: no recovery file in"
                                   << RecoveryFolder() << "-" << reason;
            return;
        }
        AnnounceRecoveryFileAtNextStart(path);
        qCWarning(lcRefusals) << "pending entry change not stored at exit (" << reason << "); saved to"
                              << path;
    }
}

void TfrmMain::ReportRecoveredEntries()
{
    const QStringList files = TakeRecoveryFilesToAnnounce();
    if (files.isEmpty())
        return;
    ShowNotice(QStringLiteral("Text that could not be stored when Pastewise last ended was saved to:\n")
            + files.join(QLatin1Char('\n')),
        this);
}

void TfrmMain::ApplyLibraryAccess()
{
    const QString reason = ADOCon->Connected() ? ADOCon->ReadOnlyReason() : QString();
    m_libraryReadOnly = !reason.isEmpty();
    const QString why = QStringLiteral("Not available: the library can only be read (%1)").arg(reason);
    for (QAction* command : {actNewTable, actDeleteTable, actRenameTable, actAdd, actDelete, actEdit}) {
        command->setEnabled(!m_libraryReadOnly);
        if (m_libraryReadOnly) {
            command->setToolTip(command->iconText() + QStringLiteral(" - ") + why);
            command->setStatusTip(why);
        }
    }
    grdName->SetReadOnly(m_libraryReadOnly);
    memValue->setToolTip(m_libraryReadOnly ? why : QString());
    ShowCurrentValue();
    if (m_libraryReadOnly) {
        const QString file = QDir::toNativeSeparators(QFileInfo(ADOCon->DataSource()).absoluteFilePath());
        ShowNotice(QStringLiteral("The library \"%1\" can only be read: %2. Entries can be found, copied and "
                                  "pasted, but not added, changed or deleted.")
                       .arg(file, reason),
            this);
    }
}
