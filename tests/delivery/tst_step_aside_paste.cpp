// Quick Paste where the desktop names no target window: the program steps aside and the keys
// follow only once the focus has gone, and only where the desktop can take them; otherwise
// the text waits on the clipboard and the user is told once.

#include "delivery/Delivery.h"
#include "delivery/StepAsidePaste.h"
#include "tests/support/FakePlatform.h"

#include <QTest>

namespace {
constexpr quint32 Own = 77;
} // namespace

class TestStepAsidePaste final : public QObject {
    Q_OBJECT

    FakePlatform m_desktop;
    QStringList m_steps;

    StepAsideOutcome paste(bool minimisingMovesFocus)
    {
        m_desktop.setFocusLeaves(minimisingMovesFocus);
        return PasteBySteppingAside(m_desktop, [this](StepAside how) {
            m_steps << (how == StepAside::Minimise ? QStringLiteral("minimise") : QStringLiteral("hide"));
            if (how == StepAside::Hide)
                m_desktop.setFocusLeaves(true);
        });
    }

private Q_SLOTS:
    void init()
    {
        PlatformAbilities abilities;
        abilities.tracksFocus = false;
        m_desktop.setAbilities(abilities);
        m_desktop.setOwnWindows({Own});
        m_desktop.setFocusedWindow(Own);
        m_desktop.setFocusLeaves(true);
        m_desktop.clearRecords();
        m_steps.clear();
    }

    void hidesWhenMinimisingLeavesTheFocusHere()
    {
        QCOMPARE(paste(false), StepAsideOutcome::KeysSent);
        QCOMPARE(m_steps, QStringList({QStringLiteral("minimise"), QStringLiteral("hide")}));
        QCOMPARE(m_desktop.calls().last(), QStringLiteral("SendPasteKeys"));
    }

    void sendsNoKeysWhileTheFocusStaysHere()
    {
        m_desktop.setFocusLeaves(false);
        const StepAsideOutcome outcome = PasteBySteppingAside(m_desktop, [](StepAside) {});
        QCOMPARE(outcome, StepAsideOutcome::FocusStayed);
        QCOMPARE(m_desktop.pasteKeySends(), 0);
    }

    void leavesTheTextOnTheClipboardAndSaysSoOnceWhereNoKeysCanBeSent()
    {
        PlatformAbilities abilities = m_desktop.Abilities();
        abilities.sendsKeys = false;
        m_desktop.setAbilities(abilities);
        QString clipboard;
        int minimised = 0;
        QStringList told;
        Delivery delivery(
            m_desktop,
            [&](const QString& text) {
                clipboard = text;
                return true;
            },
            [](const VarList& rows) { return std::optional<VarList>(rows); });
        delivery.setStepAsideHooks({[] {}, [&](const QString& text) { told << text; }});
        Delivery::Options options;
        options.autoHide = false; // the window steps aside all the same
        for (const QString& text : {QStringLiteral("first"), QStringLiteral("second")}) {
            m_desktop.setFocusedWindow(Own);
            QVERIFY(!delivery.paste(text, options, [&] { ++minimised; }));
            QCOMPARE(clipboard, text);
        }
        QCOMPARE(minimised, 2);
        QCOMPARE(m_desktop.pasteKeySends(), 0);
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first().contains(QStringLiteral("Ctrl+V")));
    }
};

QTEST_GUILESS_MAIN(TestStepAsidePaste)
#include "tst_step_aside_paste.moc"
