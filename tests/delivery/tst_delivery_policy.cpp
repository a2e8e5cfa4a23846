// The paste sequence on a fake desktop, without a window: which requests it makes of the
// desktop in which order, when the window has to make way, which target it keeps, and which
// keys each program gets.

#include "common/Common.h"
#include "common/ShortcutValue.h"
#include "delivery/Delivery.h"
#include "delivery/PasteKeyRules.h"
#include "settings/Registry.h"
#include "tests/support/FakePlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint32 Target = 4242;
constexpr quint32 Own = 77;
constexpr quint32 Third = 5151;

// Records what the delivery asks of it, with what the clipboard held at the time.
class RecordingKeeper final : public ClipboardKeeper {
public:
    explicit RecordingKeeper(const QString& clipboard, QStringList& calls)
        : m_clipboard(clipboard)
        , m_calls(calls)
    {
    }
    void keep() override { m_calls << QStringLiteral("keep ") + m_clipboard; }
    void restoreAfterPaste(const QString& pasted) override { m_calls << QStringLiteral("restore ") + pasted; }
    void forget() override { m_calls << QStringLiteral("forget"); }

private:
    const QString& m_clipboard;
    QStringList& m_calls;
};

} // namespace

class TestDeliveryPolicy final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_desktop = std::make_unique<FakePlatform>();
        m_desktop->setOwnWindows({Own});
        m_clipboard = QStringLiteral("before");
        m_delivery = std::make_unique<Delivery>(
            *m_desktop,
            [this](const QString& text) {
                m_clipboard = text;
                return true;
            },
            [](const VarList&) { return std::nullopt; });
    }

    void pasteMinimisesAndWaitsForTheFocus_data();
    void pasteMinimisesAndWaitsForTheFocus();
    void samplingFollowsTheFocusInOtherProgramsOnly();
    void pasteKeysFollowTheTargetsClass_data();
    void pasteKeysFollowTheTargetsClass();
    void pasteKeyRulesRoundTripThroughTheSettings();
    void clipboardIsRestoredOnlyAfterSentPastes();

private:
    // Makes `window` the target the way the timer finds it.
    void target(quint32 window)
    {
        m_desktop->setFocusedWindow(window);
        m_delivery->sampleTarget();
        QCOMPARE(m_delivery->target(), window);
    }

    std::unique_ptr<FakePlatform> m_desktop;
    std::unique_ptr<Delivery> m_delivery;
    QString m_clipboard;
};

void TestDeliveryPolicy::pasteMinimisesAndWaitsForTheFocus_data()
{
    QTest::addColumn<bool>("autoHide");
    QTest::addColumn<quint32>("target");
    QTest::addColumn<bool>("activates");
    // Whether the focus leaves this program when waited for, and where it goes.
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<quint32>("focusAfter");
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QStringList>("calls");

    const QString activate = QStringLiteral("ActivateWindow %1").arg(Target);
    const QString keys = QStringLiteral("SendPasteKeys");
    const QString leave = QStringLiteral("WaitForFocusToLeaveOwnWindows");

    QTest::newRow("auto-hide, target")
        << true << Target << true << true << Third << true << QStringList {activate, keys};
    QTest::newRow("no auto-hide, target")
        << false << Target << true << true << Third << false << QStringList {activate, keys};
    QTest::newRow("no auto-hide, no target")
        << false << quint32(0) << true << true << Third << true << QStringList {leave, keys};
    QTest::newRow("no target, focus never leaves")
        << true << quint32(0) << true << false << Own << true << QStringList {leave};
    // The target has gone and the window stays: nothing is typed into the program itself.
    QTest::newRow("target gone, window stays")
        << false << Target << false << true << Third << false << QStringList {activate};
    // Minimised, the window manager hands the focus on: that window gets the paste, as it
    // would have without the wait for the target.
    QTest::newRow("target gone, focus moves on")
        << true << Target << false << true << Third << true << QStringList {activate, leave, keys};
    QTest::newRow("target gone, focus nowhere")
        << true << Target << false << true << quint32(0) << true << QStringList {activate, leave};
    QTest::newRow("target gone, focus stays here")
        << true << Target << false << false << Own << true << QStringList {activate, leave};
}

void TestDeliveryPolicy::pasteMinimisesAndWaitsForTheFocus()
{
    QFETCH(bool, autoHide);
    QFETCH(quint32, target);
    QFETCH(bool, activates);
    QFETCH(bool, leaves);
    QFETCH(quint32, focusAfter);
    QFETCH(bool, minimised);
    QFETCH(QStringList, calls);

    if (target != 0)
        this->target(target);
    // The user called the program up; the paste starts in its window.
    m_desktop->setFocusedWindow(Own);
    m_desktop->setActivationSucceeds(activates);
    m_desktop->setFocusLeaves(leaves, focusAfter);
    m_desktop->clearRecords();

    int minimises = 0;
    const bool sent = m_delivery->paste(
        QStringLiteral("Hello"), {false, QString(), autoHide}, [&minimises] { ++minimises; });
    QCOMPARE(m_clipboard, QStringLiteral("Hello"));
    QCOMPARE(m_desktop->calls(), calls);
    QCOMPARE(sent, calls.endsWith(QStringLiteral("SendPasteKeys")));
    QCOMPARE(minimises, minimised ? 1 : 0);
    // Nothing in the paste forgets or replaces the target.
    QCOMPARE(m_delivery->target(), target);
}

void TestDeliveryPolicy::samplingFollowsTheFocusInOtherProgramsOnly()
{
    // The program's own window, then nothing, leave the target unknown.
    m_desktop->setFocusedWindow(Own);
    m_delivery->sampleTarget();
    m_desktop->setFocusedWindow(0);
    m_delivery->sampleTarget();
    QCOMPARE(m_delivery->target(), quint32(0));

    // Back in this program, or with no focus anywhere, the last target stays.
    target(Target);
    m_desktop->setFocusedWindow(Own);
    m_delivery->sampleTarget();
    m_desktop->setFocusedWindow(0);
    m_delivery->sampleTarget();
    QCOMPARE(m_delivery->target(), Target);
    target(Third);

    // The hotkey keeps the target when pressed in this program, and takes whatever else
    // has the focus, nothing included.
    m_desktop->setFocusedWindow(Own);
    m_delivery->sampleTargetAtHotKey();
    QCOMPARE(m_delivery->target(), Third);
    m_desktop->setFocusedWindow(0);
    m_delivery->sampleTargetAtHotKey();
    QCOMPARE(m_delivery->target(), quint32(0));
}

void TestDeliveryPolicy::pasteKeysFollowTheTargetsClass_data()
{
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QString>("instance");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("keys");

    const QStringList builtIn = BuiltInPasteKeyRules();
    QTest::newRow("xterm") << builtIn << "xterm"
                           << "XTerm"
                           << "Shift+Ins";
    QTest::newRow("class only, other case") << builtIn << "st-256color"
                                            << "St"
                                            << "Shift+Ctrl+V";
    QTest::newRow("gnome terminal") << builtIn << "gnome-terminal-server"
                                    << "Gnome-terminal"
                                    << "Shift+Ctrl+V";
    QTest::newRow("emacs") << builtIn << "emacs"
                           << "Emacs"
                           << "Ctrl+Y";
    QTest::newRow("editor") << builtIn << "gedit"
                            << "Gedit"
                            << "Ctrl+V";
    QTest::newRow("no class") << builtIn << ""
                              << ""
                              << "Ctrl+V";
    // A rule that cannot be read is passed over; the first readable match wins.
    QTest::newRow("first readable match")
        << QStringList {"xterm=Ctrl+Nothing", "=Ctrl+Y", "XTERM=Ctrl+Y", "xterm=Shift+Ins"} << "xterm"
        << "XTerm"
        << "Ctrl+Y";
    QTest::newRow("no rules") << QStringList() << "xterm"
                              << "XTerm"
                              << "Ctrl+V";
}

void TestDeliveryPolicy::pasteKeysFollowTheTargetsClass()
{
    QFETCH(QStringList, rules);
    QFETCH(QString, instance);
    QFETCH(QString, className);
    QFETCH(QString, keys);

    m_delivery->setPasteKeyRules(rules);
    m_desktop->setWindowClass(Target, {instance, className});
    target(Target);
    QVERIFY(m_delivery->paste(QStringLiteral("Hello"), {}, [] {}));
    QCOMPARE(m_desktop->pasteKeys(), QList<quint16> {*ShortcutFromText(keys)});
    // Shift+Insert pastes the PRIMARY selection, which then holds the text too.
    QCOMPARE(m_desktop->primarySelection(),
        keys == QLatin1String("Shift+Ins") ? QStringLiteral("Hello") : QString());
}

void TestDeliveryPolicy::pasteKeyRulesRoundTripThroughTheSettings()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const auto reopen = [] {
        TRegistry registry(QString::fromLatin1(ProductName));
        return ReadPasteKeyRules(registry);
    };
    QCOMPARE(reopen(), BuiltInPasteKeyRules());

    const QStringList mine {"mlterm=Shift+Ins", "kitty=Shift+Ctrl+V"};
    {
        TRegistry registry(QString::fromLatin1(ProductName));
        QVERIFY(WritePasteKeyRules(registry, mine));
    }
    QCOMPARE(reopen(), mine);
    // No rules at all is a choice of its own, not the absence of one.
    {
        TRegistry registry(QString::fromLatin1(ProductName));
        QVERIFY(WritePasteKeyRules(registry, {}));
    }
    QCOMPARE(reopen(), QStringList());
}

void TestDeliveryPolicy::clipboardIsRestoredOnlyAfterSentPastes()
{
    QStringList calls;
    m_delivery->setClipboardKeeper(std::make_unique<RecordingKeeper>(m_clipboard, calls));
    target(Target);
    Delivery::Options restoring;
    restoring.restoreClipboard = true;

    QVERIFY(m_delivery->paste(QStringLiteral("Hello"), {}, [] {}));
    QVERIFY(m_delivery->copy(QStringLiteral("Copied"), restoring));
    QCOMPARE(calls, QStringList());

    // The copy is taken before the text replaces what the clipboard held.
    QVERIFY(m_delivery->paste(QStringLiteral("Hello"), restoring, [] {}));
    QCOMPARE(calls, QStringList({"keep Copied", "restore Hello"}));

    // Without the keys the user pastes by hand: the text stays.
    calls.clear();
    m_desktop->setPasteKeysSucceed(false);
    QVERIFY(!m_delivery->paste(QStringLiteral("Again"), restoring, [] {}));
    QCOMPARE(calls, QStringList({"keep Hello", "forget"}));
    QCOMPARE(m_clipboard, QStringLiteral("Again"));
}

QTEST_GUILESS_MAIN(TestDeliveryPolicy)
#include "tst_delivery_policy.moc"
