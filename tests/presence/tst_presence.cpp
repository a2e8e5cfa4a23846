// The activation hotkey, the tray icon and the window's presence on a fake desktop.

#include "tests/presence/OptionsAnswer.h"
#include "tests/support/MainWindowFixture.h"

#include "app/ActivationHotKey.h"
#include "app/EntryGrid.h"
#include "app/TrayIcon.h"
#include "delivery/Delivery.h"
#include "library/LibrarySession.h"
#include "settings/HotKeyEdit.h"
#include "settings/Options.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {
constexpr quint32 kOtherWindow = 0x2a00007;

TTrayIcon* trayOf(TfrmMain& form)
{
    return form.findChild<TTrayIcon*>();
}

} // namespace

class TestPresence final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void registrationPassesKeyAndModifiersOnly_data();
    void registrationPassesKeyAndModifiersOnly();
    void startupRegistersLowWordAndShutdownReleases();
    void refusedHotKeyAtStartupIsReportedAndProgramRuns();
    void hotKeyRecordsTargetThenShowsWindowReady_data();
    void hotKeyRecordsTargetThenShowsWindowReady();
    void showingKeepsMaximisedAndClearsOnlyNonEmptySearch();
    void showingBringsAnOpenBoxToTheFront();
    void minimiseHidesOnlyWithAReachableTrayIcon_data();
    void minimiseHidesOnlyWithAReachableTrayIcon();
    void trayIconAnswersTheLeftButtonOnly_data();
    void trayIconAnswersTheLeftButtonOnly();
    void trayCommandAddsAndRemovesTheIcon();
    void topMostFollowsTheCommandAndEveryShow();
    void optionsCommandOpensAFreshDialogEachTime();
    void aDesktopWithoutGrabBandOrPlacementSaysSoOnce();
};

void TestPresence::cleanup()
{
    TTrayIcon::SetAreaProbe({});
}

void TestPresence::registrationPassesKeyAndModifiersOnly_data()
{
    QTest::addColumn<quint16>("shortcut");
    QTest::addColumn<bool>("platformAccepts");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QList<quint16>>("grabs");

    QTest::newRow("Ctrl+F8, the default") << quint16(16503) << true << true << QList<quint16> {0x4077};
    QTest::newRow("bare F8") << quint16(0x0077) << true << true << QList<quint16> {0x0077};
    QTest::newRow("Shift+Alt+A") << quint16(0xA041) << true << true << QList<quint16> {0xA041};
    QTest::newRow("all three modifiers") << quint16(0xE070) << true << true << QList<quint16> {0xE070};
    QTest::newRow("held by another program") << quint16(0x4077) << false << false << QList<quint16> {0x4077};
    QTest::newRow("key code without a name") << quint16(0x4007) << true << false << QList<quint16> {};
    QTest::newRow("no key at all") << quint16(0x4000) << true << false << QList<quint16> {};
}

void TestPresence::registrationPassesKeyAndModifiersOnly()
{
    QFETCH(quint16, shortcut);
    QFETCH(bool, platformAccepts);
    QFETCH(bool, expected);
    QFETCH(QList<quint16>, grabs);

    FakePlatform desktop;
    desktop.setGrabSucceeds(platformAccepts);
    QCOMPARE(RegisterActivationHotKey(desktop, shortcut), expected);
    QCOMPARE(desktop.grabRequests(), grabs);
    QCOMPARE(desktop.grabbedHotKey().has_value(), expected);
}

void TestPresence::startupRegistersLowWordAndShutdownReleases()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    // Only the low 16 bits are a shortcut; the high ones must not leak into the grab.
    fx.writeSettings({QStringLiteral("\"ActivationKey\"=dword:00058041")});
    fx.start();
    QCOMPARE(fx.desktop.grabRequests(), QList<quint16> {0x8041});
    QVERIFY(fx.boxes.empty());

    fx.desktop.clearRecords();
    fx.form->FormDestroy();
    QVERIFY(fx.desktop.calls().contains(QStringLiteral("UngrabHotKey")));
    QVERIFY(!fx.desktop.grabbedHotKey().has_value());
    QVERIFY(trayOf(*fx.form) == nullptr);
}

void TestPresence::refusedHotKeyAtStartupIsReportedAndProgramRuns()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    fx.desktop.setGrabSucceeds(false);
    TfrmMain& form = fx.start();
    QCOMPARE(fx.boxes.texts(), QStringList {QStringLiteral("Unable register hot key!")});
    QCOMPARE(fx.boxes.front().kind, BoxKind::Notice);
    // The rest of start-up still ran: the table is open and the tray icon is there.
    QCOMPARE(form.findChild<LibrarySession*>()->CurTable(), QStringLiteral("Mail"));
    QVERIFY(trayOf(form) != nullptr);
}

void TestPresence::hotKeyRecordsTargetThenShowsWindowReady_data()
{
    QTest::addColumn<QString>("presence");
    QTest::newRow("visible") << QStringLiteral("visible");
    QTest::newRow("minimised") << QStringLiteral("minimised");
    QTest::newRow("hidden") << QStringLiteral("hidden");
}

void TestPresence::hotKeyRecordsTargetThenShowsWindowReady()
{
    QFETCH(QString, presence);
    MainWindowFixture fx({QStringLiteral("Mail")});
    fx.writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    TfrmMain& form = fx.start();
    txtName(form)->setText(QStringLiteral("hel"));
    grdName(form)->setFocus();
    if (presence == QLatin1String("minimised"))
        form.showMinimized();
    else if (presence == QLatin1String("hidden"))
        form.ShowWin(false);
    QCOMPARE(form.isVisible(), presence != QLatin1String("hidden"));

    fx.desktop.setFocusedWindow(kOtherWindow);
    fx.desktop.clearRecords();
    QVERIFY(fx.desktop.pressHotKey());

    QCOMPARE(form.delivery().target(), kOtherWindow);
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMinimized());
    QCOMPARE(txtName(form)->text(), QString());
    QCOMPARE(form.focusWidget(), txtName(form));
    // Activation of the main window first, the always-on-top band applied last.
    QCOMPARE(fx.desktop.calls(),
        (QStringList {
            QStringLiteral("ActivateWindow %1").arg(form.winId()), QStringLiteral("SetTopMost 0")}));
}

void TestPresence::showingKeepsMaximisedAndClearsOnlyNonEmptySearch()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    TfrmMain& form = fx.start();
    form.showMaximized();
    form.showMinimized();
    QSignalSpy changes(txtName(form), &QLineEdit::textChanged);
    form.ShowWin(true);
    QVERIFY(form.isMaximized());
    QVERIFY(!form.isMinimized());
    // An empty box is not a change, so the search does not run again.
    QCOMPARE(changes.count(), 0);

    txtName(form)->setText(QStringLiteral("x"));
    changes.clear();
    form.ShowWin(true);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.front().front().toString(), QString());
}

void TestPresence::showingBringsAnOpenBoxToTheFront()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    TfrmMain& form = fx.start();
    QDialog box(&form);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeModalWidget(), &box, 5000);
    fx.desktop.clearRecords();
    form.ShowWin(true);
    QCOMPARE(fx.desktop.activations(), QList<quint32> {quint32(box.winId())});
}

void TestPresence::minimiseHidesOnlyWithAReachableTrayIcon_data()
{
    QTest::addColumn<bool>("trayOption");
    QTest::addColumn<bool>("notificationArea");
    QTest::addColumn<bool>("hotKeyHeld");
    QTest::addColumn<bool>("hidden");

    QTest::newRow("tray on, area present") << true << true << true << true;
    QTest::newRow("tray on, area present, no hotkey") << true << true << false << true;
    QTest::newRow("tray on, no area") << true << false << true << false;
    QTest::newRow("tray on, no area, no hotkey") << true << false << false << false;
    QTest::newRow("tray off, area present") << false << true << true << false;
}

void TestPresence::minimiseHidesOnlyWithAReachableTrayIcon()
{
    QFETCH(bool, trayOption);
    QFETCH(bool, notificationArea);
    QFETCH(bool, hotKeyHeld);
    QFETCH(bool, hidden);

    TTrayIcon::SetAreaProbe([notificationArea] { return notificationArea; });
    MainWindowFixture fx({QStringLiteral("Mail")});
    fx.desktop.setGrabSucceeds(hotKeyHeld);
    fx.writeSettings({QStringLiteral("\"TrayIcon\"=dword:0000000%1").arg(trayOption ? 1 : 0)});
    TfrmMain& form = fx.start();
    txtName(form)->setText(QStringLiteral("kept"));

    form.showMinimized();
    if (hidden) {
        QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 5000);
    } else {
        // The decision is taken once the minimise has finished; let that moment pass.
        bool decided = false;
        QMetaObject::invokeMethod(
            &form, [&decided] { decided = true; }, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(decided, 5000);
        QVERIFY(form.isVisible());
    }
    QVERIFY(form.isMinimized());
    // Neither hiding nor staying minimised touches the search box or the paste target.
    QCOMPARE(txtName(form)->text(), QStringLiteral("kept"));
}

void TestPresence::trayIconAnswersTheLeftButtonOnly_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<bool>("shows");
    QTest::newRow("left button") << QSystemTrayIcon::Trigger << true;
    QTest::newRow("right button") << QSystemTrayIcon::Context << false;
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << false;
    QTest::newRow("middle button") << QSystemTrayIcon::MiddleClick << false;
}

void TestPresence::trayIconAnswersTheLeftButtonOnly()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(bool, shows);
    MainWindowFixture fx({QStringLiteral("Mail")});
    TfrmMain& form = fx.start();
    txtName(form)->setText(QStringLiteral("abc"));
    form.ShowWin(false);
    fx.desktop.setFocusedWindow(7);
    form.WMTimer();
    fx.desktop.setFocusedWindow(kOtherWindow);

    Q_EMIT trayOf(form)->activated(reason);
    QCOMPARE(form.isVisible(), shows);
    QCOMPARE(txtName(form)->text(), shows ? QString() : QStringLiteral("abc"));
    // The tray never samples the paste target.
    QCOMPARE(form.delivery().target(), quint32(7));
}

void TestPresence::trayCommandAddsAndRemovesTheIcon()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    TfrmMain& form = fx.start();
    TTrayIcon* tray = trayOf(form);
    QVERIFY(tray != nullptr);
    QCOMPARE(tray->toolTip(), QStringLiteral("Pastewise"));
    QVERIFY(!tray->icon().isNull());
    QVERIFY(tray->contextMenu() == nullptr);

    command(form, "actTrayIcon")->trigger();
    QVERIFY(!command(form, "actTrayIcon")->isChecked());
    QVERIFY(trayOf(form) == nullptr);
    QVERIFY(form.isVisible());

    command(form, "actTrayIcon")->trigger();
    QVERIFY(trayOf(form) != nullptr);
    QCOMPARE(form.findChildren<TTrayIcon*>().size(), 1);
}

void TestPresence::topMostFollowsTheCommandAndEveryShow()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    fx.writeSettings({QStringLiteral("\"TopMost\"=dword:00000001")});
    TfrmMain& form = fx.start();
    QCOMPARE(fx.desktop.topMostRequests(), QList<bool> {true});

    command(form, "actTopMost")->trigger();
    form.ShowWin(true);
    command(form, "actTopMost")->trigger();
    QCOMPARE(fx.desktop.topMostRequests(), (QList<bool> {true, false, false, true}));
}

void TestPresence::optionsCommandOpensAFreshDialogEachTime()
{
    MainWindowFixture fx({QStringLiteral("Mail")});
    TfrmMain& form = fx.start();
    fx.desktop.clearRecords();

    whenOptionsOpen([&](TfrmOptions& dialog) {
        QVERIFY(!fx.desktop.grabbedHotKey().has_value());
        dialog.hkActivation->SetHotKey(0x8078); // Alt+F9
        dialog.btnOK->click();
    });
    command(form, "actOptions")->trigger();
    QCOMPARE(form.settings().ActivationKey, qint32(0x8078));
    QCOMPARE(fx.desktop.grabbedHotKey(), std::optional<quint16>(0x8078));

    QString shown;
    whenOptionsOpen([&](TfrmOptions& dialog) {
        shown = dialog.hkActivation->text();
        dialog.btnCancel->click();
    });
    command(form, "actOptions")->trigger();
    QCOMPARE(shown, QStringLiteral("Alt+F9"));
    QCOMPARE(fx.desktop.calls(),
        (QStringList {QStringLiteral("UngrabHotKey"), QStringLiteral("GrabHotKey 32888"),
            QStringLiteral("UngrabHotKey"), QStringLiteral("GrabHotKey 32888")}));
    QVERIFY(fx.boxes.empty());
    QVERIFY(form.findChildren<TfrmOptions*>().isEmpty());
}

void TestPresence::aDesktopWithoutGrabBandOrPlacementSaysSoOnce()
{
    MainWindowFixture fx;
    fx.addTable(QStringLiteral("Mail"));
    fx.writeSettings(
        {QStringLiteral("\"WindowLeft\"=dword:00000064"), QStringLiteral("\"WindowTop\"=dword:00000032")});
    PlatformAbilities abilities;
    abilities.tracksFocus = abilities.grabsHotKey = abilities.keepsOnTop = abilities.placesWindows = false;
    fx.desktop.setAbilities(abilities);
    fx.desktop.setGrabSucceeds(false);
    TfrmMain& form = fx.start();
    QCOMPARE(fx.boxes.size(), 1);
    QVERIFY2(fx.boxes.first().text.endsWith(QStringLiteral(" --show")), qPrintable(fx.boxes.first().text));
    QVERIFY(!command(form, "actTopMost")->isEnabled());
    QVERIFY(command(form, "actTopMost")->toolTip().contains(QStringLiteral("not available")));

    // The corner the desktop never reports is kept for a desktop that does.
    form.move(7, 9);
    form.FormDestroy();
    QFile file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillmoor/Pastewise/Settings.reg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray settings = file.readAll();
    QVERIFY2(settings.contains("\"WindowLeft\"=dword:00000064")
            && settings.contains("\"WindowTop\"=dword:00000032"),
        settings.constData());

    fx.boxes.clear();
    fx.start();
    QCOMPARE(fx.boxes.size(), 0);
}

QTEST_MAIN(TestPresence)
#include "tst_presence.moc"
