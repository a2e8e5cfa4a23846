#include "app/MainForm.h"

#include "app/Application.h"
#include "app/EntryGrid.h"
#include "app/Images.h"
#include "app/TableTabs.h"
#include "common/Common.h"
#include "common/Declare.h"
#include "common/Errors.h"
#include "common/Handled.h"
#include "common/MessageBoxes.h"
#include "library/ADOUtil.h"
#include "library/LibraryConnection.h"
#include "library/LibraryLocation.h"
#include "library/TableDataset.h"
#include "library/TableList.h"

#include <QInputDialog>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QTabBar>

TTableList* TableList = nullptr;

namespace {
Q_LOGGING_CATEGORY(lcLibrary, "pastewise.library")

constexpr QLatin1String kLibraryFileName("pastewise.mdb");
constexpr QLatin1String kNameExists("Table name already exists, please choose another name!");

// Every tab carries the same table picture.
int TabCtrlGetImageIndex(int /*tabIndex*/)
{
    return 20;
}

void addTableTab(QTabBar& tabs, const QString& caption)
{
    const int index = tabs.addTab(caption);
    tabs.setTabIcon(index, CommandImage(TabCtrlGetImageIndex(index)));
}

// A tab shows '&' as a mnemonic marker unless it is doubled.
QString tabCaption(const QString& tableName)
{
    QString caption = tableName;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

void TfrmMain::CreateLibraryComponents(const QString& librarySource)
{
    ADOCon = new TLibraryConnection(this);
    ADOCon->SetDataSource(librarySource);
    ADOCon->SetBeforeConnect([this](TLibraryConnection&) { ADOConBeforeConnect(); });
    tbl = new TTableDataset(this);
    BindEntryControls();
    connect(TabCtrl, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_selectingTab && index >= 0)
            RunHandled([this, index] { TabCtrlChange(index); });
    });
    // A click on the tab that is current already changes nothing, so after a table failed
    // to open its tab would be dead; with no table open the click opens it again.
    connect(TabCtrl, &QTabBar::tabBarClicked, this, [this](int index) {
        if (!m_selectingTab && index >= 0 && index == TabCtrl->currentIndex() && !tbl->Active())
            RunHandled([this, index] { TabCtrlChange(index); });
    });
    if (auto* tabs = qobject_cast<TTableTabs*>(TabCtrl)) {
        connect(tbl, &TTableDataset::stateChanged, tabs,
            [tabs](DatasetState state) { tabs->SetCurrentShown(state != DatasetState::Inactive); });
    }

    // The connection opens while the window is built; a failure is reported and
    // start-up tries once more before it lists the tables.
    try {
        ADOCon->Open();
    } catch (...) {
        ReportException(std::current_exception());
    }
}

void TfrmMain::ADOConBeforeConnect()
{
    // Tests name a file of their own; only the program's own name is looked up.
    if (ADOCon->DataSource() == kLibraryFileName)
        ADOCon->SetDataSource(PrepareLibrary(LocateLibrary(AppDir())));
}

void TfrmMain::OpenLibraryAtStartup()
{
    if (!ADOCon->Connected()) // 10
        ADOCon->Open();
    ApplyLibraryAccess();

    if (TableList == nullptr) // 11
        TableList = new TTableList;
    TableList->Assign(ADOCon->TableNames());
    {
        const QScopedValueRollback guard(m_selectingTab, true);
        for (const QString& name : TableList->Names())
            addTableTab(*TabCtrl, tabCaption(name));
    }

    const QString stored = m_settings.CurTable; // 12

    if (TableList->IsEmpty()) // 13
        return;
    if (!stored.isEmpty() && TableList->Contains(stored))
        OpenTable(stored);
    else
        OpenTable(TableList->At(0));
}

void TfrmMain::OpenTable(const QString& TableName)
{
    grdName->CommitEdit();
    if (tbl->Active())
        CloseTable(*tbl);
    tbl->Open(*ADOCon, TableName);
    CurTable = TableName;
    SelectTableTab(TableTabIndex(TableName));
}

void TfrmMain::TabCtrlChange(int index)
{
    if (TableList == nullptr || index < 0 || index >= TableList->Count())
        return;
    try {
        OpenTable(TableList->At(index));
    } catch (const StoreRefusedError& e) {
        // The open table keeps its refused change while the user decides about it; once it
        // is kept, copied or discarded the switch goes on.
        ReselectOpenTableTab();
        if (OfferRefusedChange(e.message()))
            OpenTable(TableList->At(index));
    } catch (...) {
        // A pending change that cannot be stored keeps its table open; its tab must
        // show again so the tabs never name one table while the grid shows another.
        ReselectOpenTableTab();
        throw;
    }
}

int TfrmMain::TableTabIndex(const QString& name) const
{
    return TableList != nullptr ? TableList->IndexOf(name) : -1;
}

void TfrmMain::SelectTableTab(int index)
{
    if (index < 0)
        return;
    const QScopedValueRollback guard(m_selectingTab, true);
    TabCtrl->setCurrentIndex(index);
}

void TfrmMain::ReselectOpenTableTab()
{
    if (tbl->Active())
        SelectTableTab(TableTabIndex(tbl->TableName()));
}

QString TfrmMain::AskTableName(const QString& caption, const QString& prompt)
{
    // Asks until the name is free; an empty answer or Cancel gives the empty string.
    for (;;) {
        bool ok = false;
        QString name = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok || name.isEmpty())
            return {};
        if (TableList == nullptr || !TableList->Contains(name))
            return name;
        ShowNotice(QString(kNameExists), this);
    }
}

void TfrmMain::actNewTableExecute()
{
    const QString name = AskTableName(QStringLiteral("New Table"), QStringLiteral("Table Name:"));
    if (!name.isEmpty())
        NewTable(name);
}

void TfrmMain::NewTable(const QString& TableName)
{
    ADOCon->CreateTable(TableName);
    if (TableList == nullptr)
        TableList = new TTableList;
    TableList->Append(TableName);
    {
        const QScopedValueRollback guard(m_selectingTab, true);
        addTableTab(*TabCtrl, tabCaption(TableName));
    }
    SelectTableTab(TabCtrl->count() - 1);
    try {
        OpenTable(TableName);
    } catch (...) {
        ReselectOpenTableTab();
        throw;
    }
}

void TfrmMain::actDeleteTableExecute()
{
    // With no table open there is nothing this command may drop.
    if (!tbl->Active())
        return;
    if (Confirm(QStringLiteral("Are you sure to delete ") + CurTable + QStringLiteral("?"), this))
        DeleteTable(CurTable);
}

void TfrmMain::DeleteTable(const QString& TableName)
{
    const bool isCurrent = TableName == CurTable;
    if (isCurrent)
        CloseTable(*tbl);
    // The table goes first; the tab and the list follow only once the engine agreed,
    // so a refusal leaves all three as they were.
    try {
        ADOCon->DropTable(TableName);
    } catch (...) {
        if (isCurrent)
            ReopenAfterRefusal(TableName);
        throw;
    }
    const int index = TableTabIndex(TableName);
    if (index >= 0) {
        {
            const QScopedValueRollback guard(m_selectingTab, true);
            TabCtrl->removeTab(index);
        }
        TableList->RemoveAt(index);
    }
    if (isCurrent && TableList != nullptr && !TableList->IsEmpty())
        OpenTable(TableList->At(0));
}

void TfrmMain::ReopenAfterRefusal(const QString& TableName)
{
    // The engine's refusal is what the user needs to read; a failure to reopen the table
    // afterwards is only logged, so it cannot take the refusal's place.
    try {
        OpenTable(TableName);
    } catch (const std::exception& e) {
        qCWarning(lcLibrary) << "table" << TableName << "not reopened after a refused change:" << e.what();
    }
}

void TfrmMain::actRenameTableExecute()
{
    if (!tbl->Active())
        return;
    RenameTable(CurTable);
}

void TfrmMain::RenameTable(const QString& TableName)
{
    const int index = TableTabIndex(TableName);
    const QString newName = AskTableName(QStringLiteral("Rename Table"), QStringLiteral("New Table Name:"));
    if (newName.isEmpty())
        return;
    const bool isCurrent = TableName == CurTable;
    if (isCurrent)
        CloseTable(*tbl);
    // The database is renamed first; the tab and the list follow once it succeeded.
    try {
        ADOCon->RenameTable(TableName, newName);
    } catch (...) {
        if (isCurrent)
            ReopenAfterRefusal(TableName);
        throw;
    }
    if (index >= 0) {
        TabCtrl->setTabText(index, tabCaption(newName));
        TableList->Set(index, newName);
    }
    if (isCurrent)
        OpenTable(newName);
}
