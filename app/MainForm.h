#pragma once
// The main window. It owns the controls and commands; the work of each area lives in
// its own class or in the MainForm*.cpp file named after the area.

#include "settings/Settings.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class Delivery;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class TEntryGrid;
class TEntryListModel;
class QToolBar;
class Platform;
class TLibraryConnection;
class TRegistry;
class TTableDataset;
class LibrarySession;
class WindowPresence;

class TfrmMain;

// Store and restore the window's outer bounds and maximised state in the settings.
void SaveWindowPlacement(TfrmMain& form);
void LoadWindowPlacement(TfrmMain& form);

class TfrmMain final : public QWidget {
    Q_OBJECT
public:
    // The library file is "pastewise.mdb" beside the executable; tests name another file.
    // Without a platform the form makes the one for the desktop Qt runs on (X11 by default,
    // which does nothing harmful offscreen).
    explicit TfrmMain(const QString& librarySource = QStringLiteral("pastewise.mdb"),
        Platform* platform = nullptr, QWidget* parent = nullptr);

    // Platform: focus, activation, paste keys, hotkey and topmost.
    Platform& Desktop() const { return *m_platform; }
    // Copy and Quick Paste, and the window to paste into.
    Delivery& delivery() const;
    ~TfrmMain() override;

    // The settings in memory from LoadSettings to SaveSettings; the Options dialog, the View
    // commands and the window placement change them here.
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

    // Start-up and shutdown (MainForm.cpp).
    void FormCreate();
    void FormDestroy();
    void LoadSettings();
    bool SaveSettings();
    void actExitExecute();

    // Library and tables (MainFormLibrary.cpp).
    void ADOConBeforeConnect();
    // Opens the library the settings name (the file when they name none); reports a failure.
    void OpenLibraryAfterSettings();
    void OpenLibraryAtStartup(); // start-up slots 10 to 13
    void OpenTable(const QString& TableName);
    void TabCtrlChange(int index);
    void actNewTableExecute();
    void NewTable(const QString& TableName);
    void actDeleteTableExecute();
    void DeleteTable(const QString& TableName);
    void actRenameTableExecute();
    void RenameTable(const QString& TableName);
    void ReopenAfterRefusal(const QString& TableName);
    // Where the library is: the file or a server.
    void actLibraryExecute();
    // Switches to the library (empty for the file, else a server address) and keeps it in the
    // settings; a pending change is stored first. False when the user went back to a change
    // that could not be stored. Throws, with the library in use as it was, when the other
    // cannot be opened.
    bool SwitchLibrary(const QString& library);
    // Another copy added, dropped or renamed tables: the tabs follow.
    void FollowLibraryTables();
    // The library's state where it does not interrupt: in the window title, while the server
    // is away or the open table gets no live updates.
    void ShowLibraryStatus();
    void LibraryTablesChanged();

    // Refused stores and the exit (MainFormRefusals.cpp).
    // Offers to keep, copy or discard a pending change the engine refused; true when nothing
    // is pending any more, false when the user went back to it.
    bool OfferRefusedChange(const QString& message);
    // A normal exit stores the open entry first; a refused store is asked about, and false
    // means the user went back and the exit does not happen.
    bool StoreOpenEntryBeforeExit();
    // Hands the grid's cell editor over and drops a new entry nobody typed into, so what is
    // left pending is a change worth storing.
    void SettlePendingChange();
    void CloseOpenTableAtExit(); // shutdown step 6
    // Names the recovery files of an earlier run once, at start-up.
    void ReportRecoveredEntries();
    // A library that can only be read is said so once; changing commands are turned off.
    void ApplyLibraryAccess();

    // Entries (MainFormEntries.cpp).
    void txtNameChange(const QString& text);
    void txtNameEnter();
    void grdNameDblClick();
    void actAddExecute();
    void actDeleteExecute();
    void actEditExecute();
    void actFirstExecute();
    void actPreviousExecute();
    void actNextExecute();
    void actLastExecute();
    // Entries: key handlers return true when they used the key.
    bool txtNameKeyDown(QKeyEvent* event);
    bool grdNameKeyDown(QKeyEvent* event);

    // Copy and Quick Paste (MainFormDelivery.cpp).
    bool Copy();
    void Paste();
    // Quick Paste where the desktop names no target window (Wayland).
    void PasteWithoutTarget();
    void btnPasteClick();
    void actPasteExecute();
    void actCopyExecute();
    void WMTimer();
    void actPasteKeysExecute();

    // Presence: hotkey, tray, minimise, topmost (MainFormPresence.cpp).
    // The work is WindowPresence's; these are the window's handlers.
    bool RegisterHotKeyAtStartup(); // start-up slot 4
    void ShowWin(bool show);
    void WMHotKey();
    void WMTrayNotify(); // left button pressed on the tray icon
    void OnMinimizeApp();
    void actTrayIconExecute();
    void actTopMostExecute();
    void actOptionsExecute();
    WindowPresence& presence() const { return *m_presence; }

    // What the desktop cannot do, said plainly (MainFormAbilities.cpp).
    void ApplyDesktopAbilities();
    // Where no global hotkey can be taken: the command to bind instead, shown once per user.
    void AdviseCallUpCommand();

    // Layout (MainFormLayout.cpp).
    void FormResize();
    void ShowCompactMode();
    void actCompactExecute();
    void actCompactUpdate();

    // Commands, help and About (MainFormCommands.cpp).
    void CreateCommands();
    void actHelpExecute();
    void actAboutExecute();
    void actPasteAutoHideUpdate();
    // Start With Desktop (MainFormDesktop.cpp).
    void actStartWithDesktopExecute();
    void actStartWithDesktopUpdate();

    // Outer window size by the design frame rule: client size plus 8 by 27.
    int OuterWidth() const;
    int OuterHeight() const;

    // The library connection and the open table.
    TLibraryConnection* ADOCon = nullptr;
    TTableDataset* tbl = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Controls and commands, named as the program has always named them; tests reach them by
    // these object names.
    QMenuBar* ActionMainMenuBar1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QTabBar* TabCtrl = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblValue = nullptr;
    QLineEdit* txtName = nullptr;
    TEntryGrid* grdName = nullptr;
    QPlainTextEdit* memValue = nullptr;
    QPushButton* btnPaste = nullptr;
    QPushButton* btnCopy = nullptr;

    QAction* actNewTable = nullptr;
    QAction* actDeleteTable = nullptr;
    QAction* actRenameTable = nullptr;
    QAction* actExit = nullptr;
    QAction* actPaste = nullptr;
    QAction* actCopy = nullptr;
    QAction* actAdd = nullptr;
    QAction* actDelete = nullptr;
    QAction* actEdit = nullptr;
    QAction* actFirst = nullptr;
    QAction* actLast = nullptr;
    QAction* actNext = nullptr;
    QAction* actPrevious = nullptr;
    QAction* actCompact = nullptr;
    QAction* actTopMost = nullptr;
    QAction* actPasteAutoHide = nullptr;
    QAction* actRestoreClipboard = nullptr;
    QAction* actTrayIcon = nullptr;
    QAction* actOptions = nullptr;
    QAction* actHelp = nullptr;
    QAction* actAbout = nullptr;
    QAction* actStartWithDesktop = nullptr;
    QAction* actPasteKeys = nullptr;
    QAction* actLibrary = nullptr;

    void CreateControls();
    void CreateLibraryComponents(const QString& librarySource);
    // The file library as the window was made with it; the "Library" setting may name a
    // server instead.
    QString m_fileLibrary;
    // Copy and Quick Paste (MainFormDelivery.cpp): the value prompt and the clipboard.
    void createDelivery();
    // The open entry's text as the editor shows it.
    QString textToDeliver();
    std::unique_ptr<Delivery> m_delivery;
    // Entries: grid model, memo binding and the search box's key and focus handling.
    void BindEntryControls();
    void ShowCurrentValue();
    void memValueChange();
    // The memo's text exactly as the entry holds it while nobody has typed into it.
    QString MemoText() const;
    TEntryListModel* m_entryModel = nullptr;
    bool m_loadingValue = false;
    bool m_storingMemo = false; // the memo's text is on its way into the dataset
    QString m_memoLoaded; // the value last put into the memo
    QString m_memoLoadedShown; // how the memo gave it back right after
    // Selects the tab of a table from the program, which must not open it again.
    void SelectTableTab(int index);
    // Shows the open table's tab again after a switch that could not happen.
    void ReselectOpenTableTab();
    int TableTabIndex(const QString& name) const;
    QString AskTableName(const QString& caption, const QString& prompt);
    // Lists the open library's tables as tabs and opens the remembered one, else the first.
    void ShowLibraryTables(const QString& remembered);
    // Stores the open table's pending change; false when the user went back to a refused one.
    bool StorePendingChange();
    // --- commands and layout ---
    // Menu bar and toolbar from the command table (MainFormCommands.cpp).
    void CreateCommandBars();
    // Runs a command's handler (none: the command only flips its check) through RunHandled.
    void RunCommand(void (TfrmMain::*handler)());
    // Refreshes the states the commands mirror; after every command and before a menu opens.
    void UpdateCommands();
    // Design geometry of every control (MainFormLayout.cpp).
    void PlaceControls();
    // --- end of commands and layout ---
    bool m_selectingTab = false;
    // The table list, the current table and the table commands' database side.
    LibrarySession* m_session = nullptr;
    Settings m_settings;
    // The one settings accessor, from start-up until the settings are saved at shutdown.
    std::unique_ptr<TRegistry> SettingsRegistry;
    Platform* m_platform = nullptr; // Platform
    WindowPresence* m_presence = nullptr;
    int m_timerId = 0;
    bool m_destroyed = false;
    bool m_exitCommand = false; // the Exit command is closing the window
    bool m_libraryReadOnly = false;
};
