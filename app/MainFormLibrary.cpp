#include "app/MainForm.h"

#include "app/Application.h"
#include "app/EntryGrid.h"
#include "app/Images.h"
#include "app/TableTabs.h"
#include "common/Common.h"
#include "common/Errors.h"
#include "common/Handled.h"
#include "common/MessageBoxes.h"
#include "library/ADOUtil.h"
#include "library/LibraryConnection.h"
#include "library/LibraryDialog.h"
#include "library/LibraryLocation.h"
#include "library/LibrarySession.h"
#include "library/TableDataset.h"
#include "settings/Registry.h"

#include <QInputDialog>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QThread>
#include <QTimer>

namespace {
Q_LOGGING_CATEGORY(lcLibraryWindow, "pastewise.library")
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
    m_session = new LibrarySession(*ADOCon, *tbl, this);
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
    connect(ADOCon, &TLibraryConnection::tablesChanged, this, &TfrmMain::FollowLibraryTables);
    // A lost server is said in the title, once, not in a box per try; the window keeps working
    // from what it has read.
    const auto showLibraryState = [this] {
        ShowLibraryStatus();
        ShowCurrentValue();
    };
    connect(ADOCon, &TLibraryConnection::connectionLost, this, showLibraryState);
    connect(ADOCon, &TLibraryConnection::reconnected, this, showLibraryState);
    if (auto* tabs = qobject_cast<TTableTabs*>(TabCtrl)) {
        connect(tbl, &TTableDataset::stateChanged, tabs,
            [tabs](DatasetState state) { tabs->SetCurrentShown(state != DatasetState::Inactive); });
    }

    m_fileLibrary = librarySource;
}

void TfrmMain::OpenLibraryAfterSettings()
{
    // The settings say where the library is. A failure is reported and start-up tries once
    // more before it lists the tables.
    if (!m_settings.Library.isEmpty())
        ADOCon->SetDataSource(m_settings.Library);
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
    // 11 to 13: the table names, the stored table, the first table to open.
    ShowLibraryTables(m_settings.CurTable);
}

void TfrmMain::ShowLibraryTables(const QString& remembered)
{
    m_session->loadTableNames();
    {
        const QScopedValueRollback guard(m_selectingTab, true);
        while (TabCtrl->count() > 0)
            TabCtrl->removeTab(TabCtrl->count() - 1);
        for (const QString& name : m_session->TableList().Names())
            addTableTab(*TabCtrl, tabCaption(name));
    }
    const QString first = m_session->startTable(remembered);
    if (!first.isEmpty())
        OpenTable(first);
}

void TfrmMain::actLibraryExecute()
{
    QString filePath = m_fileLibrary;
    if (filePath == kLibraryFileName)
        filePath = LocateLibrary(AppDir()).path;
    LibraryDialog dialog(
        m_settings.Library, filePath, [this](const QString& library) { return SwitchLibrary(library); },
        this);
    dialog.exec();
}

bool TfrmMain::StorePendingChange()
{
    if (!tbl->Active())
        return true;
    SettlePendingChange();
    try {
        PostIfEditing(*tbl);
    } catch (const StoreRefusedError& e) {
        return OfferRefusedChange(e.message());
    }
    return true;
}

bool TfrmMain::SwitchLibrary(const QString& library)
{
    if (library == m_settings.Library && ADOCon->Connected())
        return true;
    if (!StorePendingChange())
        return false;
    const QString before = ADOCon->DataSource();
    const QString table = m_session->CurTable();
    ADOCon->Close();
    ADOCon->SetDataSource(library.isEmpty() ? m_fileLibrary : library);
    try {
        ADOCon->Open();
        ShowLibraryTables(table);
    } catch (...) {
        // The library in use stays in use.
        ADOCon->Close();
        ADOCon->SetDataSource(before);
        try {
            ADOCon->Open();
            ShowLibraryTables(table);
        } catch (const std::exception& e) {
            qCWarning(lcLibraryWindow) << "the library in use did not open again:" << e.what();
        }
        throw;
    }
    ApplyLibraryAccess();
    m_settings.Library = library;
    if (!SaveSettingValue(SettingsRegistry.get(), m_settings, "Library"))
        ShowNotice(QStringLiteral("The library is in use, but the settings file did not take it; the next "
                                  "start opens the library named there."),
            this);
    return true;
}

void TfrmMain::OpenTable(const QString& TableName)
{
    grdName->CommitEdit();
    m_session->openTable(TableName);
    SelectTableTab(TableTabIndex(TableName));
    ShowLibraryStatus();
}

void TfrmMain::ShowLibraryStatus()
{
    QString status;
    if (ADOCon->Lost())
        status = QStringLiteral("library server unreachable, reconnecting");
    else if (tbl->Active() && !tbl->LiveUpdatesOff().isEmpty())
        status = QStringLiteral("others' changes show when the table is reopened");
    const QString title = QString::fromLatin1(ApplicationTitle);
    setWindowTitle(status.isEmpty() ? title : QStringLiteral("%1 - %2").arg(title, status));
}

void TfrmMain::TabCtrlChange(int index)
{
    const TTableList& tables = m_session->TableList();
    if (index < 0 || index >= tables.Count())
        return;
    // A copy: the list may change while the switch asks about a refused change.
    const QString name = tables.At(index);
    try {
        OpenTable(name);
    } catch (const StoreRefusedError& e) {
        // The open table keeps its refused change while the user decides about it; once it
        // is kept, copied or discarded the switch goes on.
        ReselectOpenTableTab();
        if (OfferRefusedChange(e.message()))
            OpenTable(name);
    } catch (...) {
        // A pending change that cannot be stored keeps its table open; its tab must
        // show again so the tabs never name one table while the grid shows another.
        ReselectOpenTableTab();
        throw;
    }
}

int TfrmMain::TableTabIndex(const QString& name) const
{
    return m_session->TableList().IndexOf(name);
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
        if (!m_session->TableList().Contains(name))
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
    m_session->createTable(TableName);
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
    const QString current = m_session->CurTable();
    if (Confirm(QStringLiteral("Are you sure to delete ") + current + QStringLiteral("?"), this))
        DeleteTable(current);
}

void TfrmMain::DeleteTable(const QString& TableName)
{
    const bool isCurrent = m_session->isCurrent(TableName);
    // The table goes first; the tab follows only once the engine agreed, so a refusal
    // leaves the tables, the list and the tabs as they were.
    int index = -1;
    try {
        index = m_session->dropTable(TableName);
    } catch (...) {
        ReopenAfterRefusal(TableName);
        throw;
    }
    if (index >= 0) {
        const QScopedValueRollback guard(m_selectingTab, true);
        TabCtrl->removeTab(index);
    }
    if (isCurrent && !m_session->TableList().IsEmpty())
        OpenTable(m_session->TableList().At(0));
}

void TfrmMain::ReopenAfterRefusal(const QString& TableName)
{
    // The session has opened the refused table again where it was the open one; its tab
    // shows as the open table's once more.
    if (m_session->isCurrent(TableName))
        ReselectOpenTableTab();
}

void TfrmMain::actRenameTableExecute()
{
    if (!tbl->Active())
        return;
    RenameTable(m_session->CurTable());
}

void TfrmMain::RenameTable(const QString& TableName)
{
    const QString newName = AskTableName(QStringLiteral("Rename Table"), QStringLiteral("New Table Name:"));
    if (newName.isEmpty())
        return;
    const bool isCurrent = m_session->isCurrent(TableName);
    // The database is renamed first; the tab follows once it succeeded.
    int index = -1;
    try {
        index = m_session->renameTable(TableName, newName);
    } catch (...) {
        ReopenAfterRefusal(TableName);
        throw;
    }
    if (index >= 0)
        TabCtrl->setTabText(index, tabCaption(newName));
    if (isCurrent)
        OpenTable(newName);
}

void TfrmMain::FollowLibraryTables()
{
    // Not under a question on screen (a nested event loop): its answer may name a table.
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(250, this, &TfrmMain::FollowLibraryTables);
        return;
    }
    RunHandled([this] { LibraryTablesChanged(); });
}

void TfrmMain::LibraryTablesChanged()
{
    const QStringList before = m_session->TableList().Names();
    const QString openName = tbl->Active() ? tbl->TableName() : QString();
    const QString nowNamed = m_session->reloadTableNames();
    if (m_session->TableList().Names() != before) {
        const QScopedValueRollback guard(m_selectingTab, true);
        while (TabCtrl->count() > 0)
            TabCtrl->removeTab(TabCtrl->count() - 1);
        for (const QString& name : m_session->TableList().Names())
            addTableTab(*TabCtrl, tabCaption(name));
    }
    ReselectOpenTableTab();
    if (openName.isEmpty() || nowNamed == openName)
        return;
    // The open table was renamed or dropped by another copy. A pending change stays where it
    // is; storing it is then refused and offered to be kept or copied, never lost.
    if (tbl->State() != DatasetState::Browse)
        return;
    if (!nowNamed.isEmpty())
        OpenTable(nowNamed);
    else if (!m_session->TableList().IsEmpty())
        OpenTable(m_session->TableList().At(0));
    else
        tbl->Close();
}
