// The X11 platform against a real X server with a window manager (Xvfb and openbox): another
// client on its own connection holds grabs, owns windows and presses keys through XTest.
#include "platform/X11Platform.h"
#include "tests/platform/XClient.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <memory>

namespace {

constexpr quint32 kF8 = 0xffc5, kF9 = 0xffc6, kControlL = 0xffe3, kNumLock = 0xff7f, kCapsLock = 0xffe5,
                  kV = 'v', kCyrillicEm = 0x6cd, kCyrillicUpperEm = 0x6ed;
constexpr quint16 kCtrlF8 = 16503;
constexpr quint16 kAltF9 = 0x8078;
constexpr int kWaitMs = 5000;

int g_xErrors = 0;
QtMessageHandler g_previousHandler = nullptr;

void CountXErrors(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("XCB error")))
        ++g_xErrors;
    g_previousHandler(type, context, message);
}

quint32 Id(const QWidget& widget)
{
    return quint32(widget.winId());
}

} // namespace

class TestX11Platform final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<XClient> m_other;
    std::unique_ptr<X11Platform> m_platform;

    void showAndFocus(QWidget& widget)
    {
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        widget.activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(m_platform->FocusedWindow(), Id(widget), kWaitMs);
    }

    xcb_keycode_t spareKeycode()
    {
        for (int k = 255; k > 8; --k) {
            const QList<quint32> syms = m_other->keysymsOf(xcb_keycode_t(k));
            if (std::all_of(syms.begin(), syms.end(), [](quint32 s) { return s == 0; }))
                return xcb_keycode_t(k);
        }
        return 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_other = std::make_unique<XClient>();
        QVERIFY(m_other->isValid());
        QVERIFY2(m_other->windowManagerRunning(), "these tests need a window manager");
        g_previousHandler = qInstallMessageHandler(CountXErrors);
    }

    void init()
    {
        g_xErrors = 0;
        m_platform = std::make_unique<X11Platform>();
    }

    void cleanup()
    {
        m_platform.reset();
        // Nothing the platform did may have raised an X error that Qt saw.
        QCOMPARE(g_xErrors, 0);
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        QCOMPARE(xcb_connection_has_error(x11->connection()), 0);
    }

    void hotKeyFiresWithLockKeys_data()
    {
        QTest::addColumn<QList<quint32>>("lockKeys");
        QTest::newRow("no lock") << QList<quint32> {};
        QTest::newRow("Num Lock") << QList<quint32> {kNumLock};
        QTest::newRow("Caps Lock") << QList<quint32> {kCapsLock};
        QTest::newRow("both") << QList<quint32> {kNumLock, kCapsLock};
    }
    void hotKeyFiresWithLockKeys()
    {
        QFETCH(QList<quint32>, lockKeys);
        QSignalSpy pressed(m_platform.get(), &Platform::hotKeyPressed);
        QVERIFY(m_platform->GrabHotKey(kCtrlF8));

        auto unlock = qScopeGuard([&] {
            for (quint32 lock : lockKeys)
                m_other->tapKey(m_other->keycode(lock));
        });
        for (quint32 lock : lockKeys) {
            const quint16 mask = lock == kCapsLock ? quint16(XCB_MOD_MASK_LOCK) : m_other->modifierMask(lock);
            QVERIFY(mask != 0);
            m_other->tapKey(m_other->keycode(lock));
            QTRY_VERIFY_WITH_TIMEOUT(m_other->modifierState() & mask, kWaitMs);
        }

        const xcb_keycode_t control = m_other->keycode(kControlL);
        const xcb_keycode_t f8 = m_other->keycode(kF8);
        m_other->tapKey(f8); // without Ctrl: not the hotkey
        m_other->pressKey(control);
        m_other->tapKey(f8);
        m_other->releaseKey(control);
        QTRY_COMPARE_WITH_TIMEOUT(pressed.count(), 1, kWaitMs);
        // Anything after the first would already be queued behind it.
        QCoreApplication::processEvents();
        QCOMPARE(pressed.count(), 1);
    }

    void grabIsAllOrNothing()
    {
        XClient holder;
        const quint16 numLock = m_other->modifierMask(kNumLock);
        const xcb_keycode_t f8 = m_other->keycode(kF8);
        QVERIFY(numLock != 0);
        QVERIFY(holder.grabKey(f8, XCB_MOD_MASK_CONTROL | numLock));

        QVERIFY(!m_platform->GrabHotKey(kCtrlF8));
        // The combinations the platform could take are free again.
        for (quint16 locks : {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_LOCK | numLock)}) {
            QVERIFY2(m_other->canGrab(f8, XCB_MOD_MASK_CONTROL | locks), qPrintable(QString::number(locks)));
        }

        holder.ungrabKey(f8, XCB_MOD_MASK_CONTROL | numLock);
        QVERIFY(m_platform->GrabHotKey(kCtrlF8));
    }

    void refusesKeysItDoesNotKnow()
    {
        QVERIFY(!m_platform->GrabHotKey(0));
        QVERIFY(!m_platform->GrabHotKey(0x4000 | 0x97));
        QVERIFY(!m_platform->GrabHotKey(0x4000)); // Ctrl without a key
    }

    void ungrabAndRegrabFreeTheCombinationAtOnce()
    {
        const xcb_keycode_t f8 = m_other->keycode(kF8);
        QVERIFY(m_platform->GrabHotKey(kCtrlF8));
        QVERIFY(!m_other->canGrab(f8, XCB_MOD_MASK_CONTROL));

        // Taking another combination gives up the first.
        QVERIFY(m_platform->GrabHotKey(kAltF9));
        QVERIFY(m_other->canGrab(f8, XCB_MOD_MASK_CONTROL));

        const xcb_keycode_t f9 = m_other->keycode(kF9);
        const quint16 alt = m_other->modifierMask(0xffe9);
        QVERIFY(!m_other->canGrab(f9, alt));
        m_platform->UngrabHotKey();
        QVERIFY(m_other->canGrab(f9, alt));
    }

    void hotKeyFollowsAKeyboardMappingChange()
    {
        const xcb_keycode_t oldF8 = m_other->keycode(kF8);
        const xcb_keycode_t newF8 = spareKeycode();
        QVERIFY(newF8 != 0);
        const QList<quint32> oldRow = m_other->keysymsOf(oldF8);
        const QList<quint32> emptyRow(oldRow.size(), 0);
        QList<quint32> f8Row = emptyRow;
        f8Row[0] = kF8;
        auto restore = qScopeGuard([&] {
            m_other->setKeysyms(newF8, emptyRow);
            m_other->setKeysyms(oldF8, oldRow);
        });

        QSignalSpy pressed(m_platform.get(), &Platform::hotKeyPressed);
        QVERIFY(m_platform->GrabHotKey(kCtrlF8));
        m_other->setKeysyms(oldF8, emptyRow);
        m_other->setKeysyms(newF8, f8Row);

        // The platform re-grabs on its own: the old keycode becomes free, the new one is held.
        QTRY_VERIFY_WITH_TIMEOUT(!m_other->canGrab(newF8, XCB_MOD_MASK_CONTROL), kWaitMs);
        QVERIFY(m_other->canGrab(oldF8, XCB_MOD_MASK_CONTROL));

        const xcb_keycode_t control = m_other->keycode(kControlL);
        m_other->pressKey(control);
        m_other->tapKey(newF8);
        m_other->releaseKey(control);
        QTRY_COMPARE_WITH_TIMEOUT(pressed.count(), 1, kWaitMs);
    }

    void focusAndActivationFollowWindows()
    {
        QWidget a;
        QWidget b;
        a.setWindowTitle(QStringLiteral("a"));
        b.setWindowTitle(QStringLiteral("b"));
        showAndFocus(a);
        showAndFocus(b);
        QVERIFY(m_platform->IsOwnWindow(Id(a)));
        QVERIFY(m_platform->IsOwnWindow(Id(b)));

        QVERIFY(m_platform->ActivateWindow(Id(a), kWaitMs));
        QCOMPARE(m_platform->FocusedWindow(), Id(a));
        QVERIFY(!m_platform->WaitForFocusToLeaveOwnWindows(50));

        xcb_window_t control = 0;
        const xcb_window_t foreign = m_other->createWindow(&control);
        auto destroy = qScopeGuard([&] { m_other->destroyWindow(foreign); });
        QVERIFY(m_platform->ActivateWindow(foreign, kWaitMs));
        QCOMPARE(m_platform->FocusedWindow(), foreign);
        QVERIFY(!m_platform->IsOwnWindow(foreign));
        QVERIFY(!m_platform->IsOwnWindow(control));
        QVERIFY(m_platform->WaitForFocusToLeaveOwnWindows(50));

        // A recorded control inside another program's window gets the focus back itself.
        QVERIFY(m_platform->ActivateWindow(Id(b), kWaitMs));
        QVERIFY(m_platform->ActivateWindow(control, kWaitMs));
        QCOMPARE(m_other->inputFocus(), control);
        QCOMPARE(m_platform->FocusedWindow(), control);
    }

    void focusedWindowIsZeroWhenNothingHasFocus()
    {
        {
            QWidget a;
            showAndFocus(a);
        }
        // With its last window gone the window manager leaves the focus nowhere (or on its
        // own check window): no paste target.
        QTRY_COMPARE_WITH_TIMEOUT(m_platform->FocusedWindow(), 0u, kWaitMs);
        QVERIFY(!m_platform->IsOwnWindow(0));
        QVERIFY(!m_platform->ActivateWindow(0, 50));
        QVERIFY(!m_platform->ActivateWindow(quint32(m_other->root()), 50));
    }

    void activatingAVanishedWindowFailsQuietly()
    {
        const xcb_window_t gone = m_other->createWindow();
        m_other->destroyWindow(gone);
        QVERIFY(!m_platform->ActivateWindow(gone, kWaitMs));
        QVERIFY(!m_platform->IsOwnWindow(gone));

        // Gone while the platform waits for it to take the focus, which it never does: the
        // wait ends as soon as the window is gone, not at the time limit.
        QWidget own;
        showAndFocus(own);
        XClient* other = m_other.get();
        const xcb_window_t vanishing = other->createWindow(nullptr, false);
        QTimer::singleShot(50, m_platform.get(), [other, vanishing] { other->destroyWindow(vanishing); });
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(!m_platform->ActivateWindow(vanishing, 3 * kWaitMs));
        QVERIFY(elapsed.elapsed() < 2 * kWaitMs);
        QVERIFY(m_platform->IsOwnWindow(Id(own)));
    }

    void pasteKeysReachTheFocusedEdit_data()
    {
        QTest::addColumn<bool>("layoutWithoutV");
        QTest::newRow("Latin layout") << false;
        QTest::newRow("layout without v") << true;
    }
    void pasteKeysReachTheFocusedEdit()
    {
        QFETCH(bool, layoutWithoutV);
        const xcb_keycode_t vKey = m_other->keycode(kV);
        QVERIFY(vKey != 0);
        const QList<quint32> vRow = m_other->keysymsOf(vKey);
        auto restore = qScopeGuard([&] { m_other->setKeysyms(vKey, vRow); });
        if (layoutWithoutV) {
            QList<quint32> cyrillic = vRow;
            for (qsizetype i = 0; i < cyrillic.size(); ++i)
                cyrillic[i] = i % 2 ? kCyrillicUpperEm : kCyrillicEm;
            m_other->setKeysyms(vKey, cyrillic);
            QCOMPARE(m_other->keycode(kV), xcb_keycode_t(0));
        }

        QLineEdit edit;
        showAndFocus(edit);
        QTRY_VERIFY(edit.hasFocus());
        const QString text = QStringLiteral("pasted by Ctrl+V, \u00e4\u00f6\u00fc");
        QGuiApplication::clipboard()->setText(text);

        QVERIFY(m_platform->SendPasteKeys(0x4056));
        QTRY_COMPARE_WITH_TIMEOUT(edit.text(), text, kWaitMs);

        if (layoutWithoutV) {
            // The keycode lent for the paste is handed back.
            QTRY_COMPARE_WITH_TIMEOUT(m_other->keycode(kV), xcb_keycode_t(0), 10000);
        } else {
            QCOMPARE(m_other->keycode(kV), vKey);
        }
        // Only Ctrl+V was typed.
        QCOMPARE(edit.text(), text);
    }

    void topMostTogglesTheAboveState()
    {
        const xcb_atom_t state = m_other->atom("_NET_WM_STATE");
        const xcb_atom_t above = m_other->atom("_NET_WM_STATE_ABOVE");
        QWidget window;
        const auto isAbove = [&] { return m_other->atomProperty(Id(window), state).contains(above); };

        // Not yet shown: the state is written for the window manager to find.
        window.winId();
        m_platform->SetTopMost(window.windowHandle(), true);
        QVERIFY(isAbove());
        showAndFocus(window);
        QTRY_VERIFY_WITH_TIMEOUT(isAbove(), kWaitMs);
        const quint32 id = Id(window);

        m_platform->SetTopMost(window.windowHandle(), false);
        QTRY_VERIFY_WITH_TIMEOUT(!isAbove(), kWaitMs);
        m_platform->SetTopMost(window.windowHandle(), true);
        QTRY_VERIFY_WITH_TIMEOUT(isAbove(), kWaitMs);
        // Neither hidden nor re-created on the way.
        QVERIFY(window.isVisible());
        QCOMPARE(Id(window), id);
    }
};

QTEST_MAIN(TestX11Platform)
#include "tst_x11_platform.moc"
