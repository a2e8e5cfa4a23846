// The Options dialog against the real desktop: the hotkey is released while it is open and
// moved, restored or lost when it closes, as other programs see it.

#include "tests/presence/OptionsAnswer.h"
#include "tests/support/MainWindowFixture.h"

#include "../e2e/AppHarness.h"
#include "settings/HotKeyEdit.h"
#include "settings/Options.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {
constexpr int kWaitMs = 10000;

void xdoKey(const QString& combination)
{
    AppHarness::run(QStringLiteral("xdotool"), {QStringLiteral("key"), combination});
}

// Another window that records the key presses reaching it.
class OtherWindow final : public QLineEdit {
public:
    QStringList keys;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        keys << QKeySequence(event->keyCombination()).toString();
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

class TestPresenceX11 final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void optionsReleasesHotKeyAndMovesOrRestoresIt_data();
    void optionsReleasesHotKeyAndMovesOrRestoresIt();
    void optionsWithTakenCombinationLeavesNoHotKey();
    void alwaysOnTopTogglesWithoutRemappingTheWindow();

private:
    bool focusOther();
    // Presses the combination while the other window has the focus; true when the main
    // window came to the front.
    bool pressBringsProgram(const QString& combination);
    // ... true when the other window received it.
    bool pressIsDelivered(const QString& combination, const QString& asQt);

    std::unique_ptr<MainWindowFixture> m_fx;
    std::unique_ptr<OtherWindow> m_other;
};

void TestPresenceX11::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
}

void TestPresenceX11::init()
{
    m_fx = std::make_unique<MainWindowFixture>();
    m_fx->addTable(QStringLiteral("Mail"));
    m_fx->writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
    m_fx->start(true);
    QVERIFY(QTest::qWaitForWindowExposed(m_fx->form.get()));
    QVERIFY(m_fx->boxes.empty()); // Ctrl+F8 was free
    m_other = std::make_unique<OtherWindow>();
    m_other->setWindowTitle(QStringLiteral("Other window"));
    m_other->move(20, 600);
    m_other->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_other.get()));
}

void TestPresenceX11::cleanup()
{
    m_other.reset();
    m_fx.reset();
}

bool TestPresenceX11::focusOther()
{
    m_fx->form->Desktop().ActivateWindow(quint32(m_other->winId()), kWaitMs);
    return QTest::qWaitFor([&] { return m_other->isActiveWindow(); }, kWaitMs);
}

bool TestPresenceX11::pressBringsProgram(const QString& combination)
{
    if (!focusOther())
        return false;
    xdoKey(combination);
    return QTest::qWaitFor([&] { return m_fx->form->isActiveWindow(); }, kWaitMs);
}

bool TestPresenceX11::pressIsDelivered(const QString& combination, const QString& asQt)
{
    if (!focusOther())
        return false;
    m_other->keys.clear();
    xdoKey(combination);
    return QTest::qWaitFor([&] { return m_other->keys.contains(asQt); }, kWaitMs);
}

void TestPresenceX11::optionsReleasesHotKeyAndMovesOrRestoresIt_data()
{
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("free");
    QTest::addColumn<qint32>("stored");
    QTest::newRow("OK") << QStringLiteral("ok") << QStringLiteral("ctrl+F9") << QStringLiteral("Ctrl+F8")
                        << qint32(0x4078);
    QTest::newRow("Cancel") << QStringLiteral("cancel") << QStringLiteral("ctrl+F8")
                            << QStringLiteral("Ctrl+F9") << qint32(0x4077);
    QTest::newRow("close box") << QStringLiteral("closebox") << QStringLiteral("ctrl+F8")
                               << QStringLiteral("Ctrl+F9") << qint32(0x4077);
}

void TestPresenceX11::optionsReleasesHotKeyAndMovesOrRestoresIt()
{
    QFETCH(QString, close);
    QFETCH(QString, active);
    QFETCH(QString, free);
    QFETCH(qint32, stored);

    QStringList fieldShowed;
    QPoint dialogCentre;
    whenOptionsOpen([&](TfrmOptions& dialog) {
        // The frame is known once the window manager has decorated and placed the dialog, which
        // on a busy machine can come in more than one step.
        (void)QTest::qWaitFor(
            [&] {
                return dialog.frameGeometry() != dialog.geometry()
                    && (dialog.frameGeometry().center() - m_fx->form->frameGeometry().center())
                           .manhattanLength()
                    <= 16;
            },
            kWaitMs);
        dialogCentre = dialog.frameGeometry().center();
        dialog.activateWindow();
        dialog.hkActivation->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return dialog.hkActivation->hasFocus(); }, kWaitMs));
        // Ctrl+F9 first, then the current hotkey: while the dialog is open nothing holds it,
        // so it reaches the field like any other combination.
        for (const char* keys : {"ctrl+F9", "ctrl+F8", "ctrl+F9"}) {
            const QString before = dialog.hkActivation->text();
            xdoKey(QString::fromLatin1(keys));
            (void)QTest::qWaitFor([&] { return dialog.hkActivation->text() != before; }, kWaitMs);
            fieldShowed << dialog.hkActivation->text();
        }
        if (close == QLatin1String("ok"))
            dialog.btnOK->click();
        else if (close == QLatin1String("cancel"))
            dialog.btnCancel->click();
        else
            dialog.close();
    });
    command(*m_fx->form, "actOptions")->trigger();

    QCOMPARE(fieldShowed,
        (QStringList {QStringLiteral("Ctrl+F9"), QStringLiteral("Ctrl+F8"), QStringLiteral("Ctrl+F9")}));
    QCOMPARE(m_fx->form->settings().ActivationKey, stored);
    QVERIFY(m_fx->boxes.empty());
    QVERIFY2((dialogCentre - m_fx->form->frameGeometry().center()).manhattanLength() <= 16,
        qPrintable(QStringLiteral("dialog centre %1,%2, main window centre %3,%4")
                       .arg(dialogCentre.x())
                       .arg(dialogCentre.y())
                       .arg(m_fx->form->frameGeometry().center().x())
                       .arg(m_fx->form->frameGeometry().center().y())));
    QVERIFY(pressBringsProgram(active));
    QVERIFY(pressIsDelivered(QString(free).replace(QStringLiteral("Ctrl+"), QStringLiteral("ctrl+")), free));
}

void TestPresenceX11::optionsWithTakenCombinationLeavesNoHotKey()
{
    AppHarness holder; // another program holding Ctrl+F10
    QVERIFY(holder.createLibrary({QStringLiteral(
        "CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)")}));
    holder.writeSettingsFile(
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\r\n"
                       "\"ActivationKey\"=dword:00004079\r\n\"TrayIcon\"=dword:00000000\r\n"));
    QVERIFY(holder.start());

    whenOptionsOpen([](TfrmOptions& dialog) {
        dialog.hkActivation->SetHotKey(0x4079);
        dialog.btnOK->click();
    });
    command(*m_fx->form, "actOptions")->trigger();

    QCOMPARE(m_fx->boxes.texts(), QStringList {QStringLiteral("Unable register hot key!")});
    QCOMPARE(m_fx->form->settings().ActivationKey, qint32(0x4079));
    // No combination belongs to this program now: the old one reaches other windows, and the
    // taken one still calls up the program that holds it.
    QVERIFY(pressIsDelivered(QStringLiteral("ctrl+F8"), QStringLiteral("Ctrl+F8")));
    QVERIFY(focusOther());
    xdoKey(QStringLiteral("ctrl+F10"));
    QVERIFY(QTest::qWaitFor(
        [&] {
            return AppHarness::run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")})
                == holder.mainWindow();
        },
        kWaitMs));
    QVERIFY(!m_fx->form->isActiveWindow());
    QVERIFY(holder.closeWindow());
}

void TestPresenceX11::alwaysOnTopTogglesWithoutRemappingTheWindow()
{
    TfrmMain& form = *m_fx->form;
    const QString id = QString::number(form.winId());
    const auto above = [&] {
        return AppHarness::run(
            QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE")})
            .contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
    };
    QVERIFY(!command(form, "actTopMost")->isChecked());
    QVERIFY(!above());
    int unmaps = 0;
    connect(form.windowHandle(), &QWindow::visibleChanged, this,
        [&unmaps](bool visible) { unmaps += visible ? 0 : 1; });

    command(form, "actTopMost")->trigger();
    QVERIFY(QTest::qWaitFor(above, kWaitMs));
    command(form, "actTopMost")->trigger();
    QVERIFY(QTest::qWaitFor([&] { return !above(); }, kWaitMs));
    QCOMPARE(unmaps, 0);
    QCOMPARE(QString::number(form.winId()), id);
    QVERIFY(form.isVisible());
}

QTEST_MAIN(TestPresenceX11)
#include "tst_presence_x11.moc"
