#include "app/MainForm.h"

#include "app/Application.h"
#include "app/EntryGrid.h"
#include "app/LayoutCalc.h"
#include "app/PlacementFit.h"
#include "app/TableTabs.h"
#include "app/WindowPresence.h"
#include "common/Common.h"
#include "common/DesignFont.h"
#include "common/Handled.h"
#include "common/MessageBoxes.h"
#include "common/Unattended.h"
#include "delivery/Delivery.h"
#include "delivery/PasteKeyRules.h"
#include "library/LibrarySession.h"
#include "library/TableDataset.h"
#include "platform/DesktopPlatform.h"
#include "platform/Platform.h"
#include "settings/Registry.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QToolBar>

TfrmMain::TfrmMain(const QString& librarySource, Platform* platform, QWidget* parent)
    : QWidget(parent)
    , m_platform(platform)
{
    // Platform
    if (m_platform == nullptr)
        m_platform = CreateDesktopPlatform(this);
    createDelivery();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    CreateCommands();
    CreateControls();
    m_presence = new WindowPresence(*this, *m_platform, *txtName, *actTrayIcon, *actTopMost);
    connect(m_presence, &WindowPresence::hotKeyPressed, this, [this] { RunHandled([this] { WMHotKey(); }); });
    // A desktop that answers later (a portal) may still turn the hotkey down.
    connect(m_platform, &Platform::hotKeyRefused, this,
        [this] { RunHandled([this] { AdviseCallUpCommand(); }); });
    connect(m_presence, &WindowPresence::trayIconClicked, this,
        [this] { RunHandled([this] { WMTrayNotify(); }); });
    // X11 has no default window size; the design size (outer 607 x 429) stands in for it.
    resize(DesignScaleOf(font())(QSize(607 - 8, 429 - 27)));
    // Any smaller and the search box is out of sight; a window stored at a smaller size comes
    // back at this one.
    setMinimumSize(Design::ClientWidthFromOuter(MinimumOuterSize.width()),
        Design::ClientHeightFromOuter(MinimumOuterSize.height()));
    CreateLibraryComponents(librarySource);
    // These commands' checked states are settings themselves; the value follows them.
    connect(actTrayIcon, &QAction::toggled, this, [this](bool on) { m_settings.TrayIcon = on; });
    connect(actPasteAutoHide, &QAction::toggled, this, [this](bool on) { m_settings.PasteAutoHide = on; });
    connect(
        actRestoreClipboard, &QAction::toggled, this, [this](bool on) { m_settings.RestoreClipboard = on; });
    connect(actTopMost, &QAction::toggled, this, [this](bool on) { m_settings.TopMost = on; });
    SetStoreRefusalHandler([this](const QString& message) { OfferRefusedChange(message); });
}

TfrmMain::~TfrmMain()
{
    SetStoreRefusalHandler({});
    // The children outlive this object's own part: closing the connection closes the
    // dataset, whose notifications must no longer reach the window's handlers or views.
    if (tbl != nullptr)
        tbl->blockSignals(true);
}

void TfrmMain::CreateControls()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));

    TabCtrl = new TTableTabs(this);
    TabCtrl->setObjectName(QStringLiteral("TabCtrl"));
    lblName = new QLabel(QStringLiteral("Type Entry Name Here:"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblValue = new QLabel(QStringLiteral("Entry Value:"), this);
    lblValue->setObjectName(QStringLiteral("lblValue"));
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    grdName = new TEntryGrid(this);
    grdName->setObjectName(QStringLiteral("grdName"));
    memValue = new QPlainTextEdit(this);
    memValue->setObjectName(QStringLiteral("memValue"));
    btnPaste = new QPushButton(QStringLiteral("Quick Paste"), this);
    btnPaste->setObjectName(QStringLiteral("btnPaste"));
    btnCopy = new QPushButton(QStringLiteral("Copy Only"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));

    // Tab order as designed: search box, grid, memo, Quick Paste, tabs, toolbar, Copy Only.
    setTabOrder(txtName, grdName);
    setTabOrder(grdName, memValue);
    setTabOrder(memValue, btnPaste);
    setTabOrder(btnPaste, TabCtrl);
    setTabOrder(TabCtrl, ToolBar1);
    setTabOrder(ToolBar1, btnCopy);

    connect(btnPaste, &QPushButton::clicked, this, [this] { RunHandled([this] { btnPasteClick(); }); });
    connect(btnCopy, &QPushButton::clicked, actCopy, &QAction::trigger);

    // --- commands and layout ---
    CreateCommandBars();
    PlaceControls();
    // --- end of commands and layout ---
}

void TfrmMain::FormCreate()
{
    // 1 and 2: the accessor of the product's settings key.
    SettingsRegistry = std::make_unique<TRegistry>(QString::fromLatin1(ProductName));
    LoadSettings(); // 3
    OpenLibraryAfterSettings();
    if (!RegisterHotKeyAtStartup()) { // 4
        // A desktop that lets no program take a global key would fail the same way at every
        // start; the user is told once what to bind instead.
        if (Desktop().Abilities().grabsHotKey)
            ShowNotice(QStringLiteral("Unable register hot key!"));
        else
            AdviseCallUpCommand();
    }
    m_timerId = startTimer(500); // 5
    // 6: the minimise event reaches OnMinimizeApp through changeEvent.
    LoadWindowPlacement(*this); // 7
    ApplyDesktopAbilities();
    m_presence->SetTopMost(); // 8
    if (actTrayIcon->isChecked()) // 9
        m_presence->setTrayIconShown(true);
    // Named before the library opens, so a library that fails to open cannot hide them.
    ReportRecoveredEntries();
    OpenLibraryAtStartup(); // 10 to 13
}

void TfrmMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // Each step stands alone: an error in one is reported and the rest still run,
    // so the settings accessor is always released.
    const auto step = [](auto&& action) {
        try {
            action();
        } catch (...) {
            ReportException(std::current_exception());
        }
    };
    step([this] { m_presence->releaseHotKey(); }); // 1
    step([this] { // 2
        if (m_timerId != 0)
            killTimer(m_timerId);
        m_timerId = 0;
    });
    step([this] { m_presence->setTrayIconShown(false); }); // 3
    step([this] { SaveWindowPlacement(*this); }); // 4, into the value that 5 writes
    step([this] { SaveSettings(); }); // 5, one replacement of the settings file
    step([this] { CloseOpenTableAtExit(); }); // 6
    SettingsRegistry.reset(); // 7
}

void TfrmMain::LoadSettings()
{
    m_settings = LoadSettingsValues(SettingsRegistry.get());
    // Runs none of the commands' handlers: start-up applies the top-most state and the tray
    // icon itself, and the compact layout takes effect at the next layout pass.
    actTrayIcon->setChecked(m_settings.TrayIcon);
    actPasteAutoHide->setChecked(m_settings.PasteAutoHide);
    actRestoreClipboard->setChecked(m_settings.RestoreClipboard);
    actTopMost->setChecked(m_settings.TopMost);
    m_delivery->setPasteKeyRules(ReadPasteKeyRules(*SettingsRegistry));
}

bool TfrmMain::SaveSettings()
{
    // Empty when no table was opened in this run; the one remembered from before then stays.
    m_settings.CurTable = m_session->CurTable();
    return SaveSettingsValues(SettingsRegistry.get(), m_settings);
}

void TfrmMain::actExitExecute()
{
    const QScopedValueRollback asked(m_exitCommand, true);
    close();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Closing the window ends the program; it never hides to the tray. When the user closes it
    // (the Exit command, the window manager's close), a change that cannot be stored is asked
    // about first, and the user may stay. Other closes (a termination signal, the session
    // ending) ask nobody; the shutdown keeps such a change in a recovery file instead.
    const bool userClose = event->spontaneous() || m_exitCommand;
    bool stay = false;
    // An error while storing keeps the window open: what was typed is still there.
    if (!RunHandled([&] { stay = userClose && !NoOneCanBeAsked() && !StoreOpenEntryBeforeExit(); }))
        stay = true;
    if (stay) {
        event->ignore();
        return;
    }
    event->accept();
    TApplication::QuitAsAsked();
}

void TfrmMain::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerId)
        RunHandled([this] { WMTimer(); });
    else
        QWidget::timerEvent(event);
}

void TfrmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        RunHandled([this] { OnMinimizeApp(); });
}

void TfrmMain::keyPressEvent(QKeyEvent* event)
{
    // Enter that a control has no use for (the search box, the tab strip, the toolbar) reaches
    // the window and presses the default button, Quick Paste; on a focused button it presses
    // that button. The grid and the memo use Enter themselves.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused != nullptr ? focused : btnPaste)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

int TfrmMain::OuterWidth() const
{
    return Design::OuterWidthFromClient(width());
}

int TfrmMain::OuterHeight() const
{
    return Design::OuterHeightFromClient(height());
}
