// Quick Paste where the desktop names no target window: the program steps aside and the keys
// follow only once the focus has gone, and only where the desktop can take them.

#include "delivery/StepAsidePaste.h"
#include "platform/FakePlatform.h"

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

    void leavesTheTextOnTheClipboardWhereNoKeysCanBeSent()
    {
        PlatformAbilities abilities = m_desktop.Abilities();
        abilities.sendsKeys = false;
        m_desktop.setAbilities(abilities);
        QCOMPARE(paste(true), StepAsideOutcome::NoKeys);
        QCOMPARE(m_steps, QStringList({QStringLiteral("minimise")}));
        QCOMPARE(m_desktop.pasteKeySends(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStepAsidePaste)
#include "tst_step_aside_paste.moc"
