// Without an X server (the offscreen platform) the platform must stay harmless: the program
// still starts and works, it just cannot reach other windows.
#include "platform/X11Platform.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

class TestPlatformOffscreen final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCallFailsHarmlessly()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        X11Platform platform;
        QSignalSpy pressed(&platform, &Platform::hotKeyPressed);
        QWindow window;
        window.show();

        QCOMPARE(platform.FocusedWindow(), 0u);
        QVERIFY(!platform.IsOwnWindow(quint32(window.winId())));
        QVERIFY(!platform.ActivateWindow(quint32(window.winId()), 50));
        QVERIFY(!platform.WaitForFocusToLeaveOwnWindows(50));
        QVERIFY(!platform.SendPasteKeys(0x4056));
        QVERIFY(!platform.GrabHotKey(16503));
        platform.UngrabHotKey();
        platform.SetTopMost(&window, true);
        platform.SetTopMost(nullptr, false);
        QVERIFY(window.isVisible());
        QCOMPARE(pressed.count(), 0);
    }
};

QTEST_MAIN(TestPlatformOffscreen)
#include "tst_platform_offscreen.moc"
