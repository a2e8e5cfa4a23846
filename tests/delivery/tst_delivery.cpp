// Copy and Quick Paste on a fake desktop: what reaches the clipboard, when the value prompt
// appears, and which requests the paste makes of the desktop in which order.

#include "tests/support/MainWindowFixture.h"

#include "common/Declare.h"
#include "delivery/SpecVar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kTimeoutMs = 5000;
constexpr quint32 kTarget = 4242;
constexpr quint32 kOwn = 77;
constexpr quint32 kThird = 5151;

QString clipboardText()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

// Answers the next value prompt: types each value into its row and presses OK, or
// presses Cancel when `values` is empty. Counts the prompts it saw.
class PromptAnswerer final : public QObject {
public:
    explicit PromptAnswerer(QStringList values)
        : m_values(std::move(values))
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &PromptAnswerer::poll);
        m_timer.start();
    }
    int prompts = 0;
    QStringList rowNames;

private:
    void poll()
    {
        auto* dlg = qobject_cast<TfrmSpecVar*>(QApplication::activeModalWidget());
        if (dlg == nullptr || !dlg->isVisible() || dlg->property("answered").toBool())
            return;
        dlg->setProperty("answered", true);
        ++prompts;
        for (const auto& var : dlg->Vars())
            rowNames << var.name;
        if (m_values.isEmpty()) {
            QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
            return;
        }
        for (int row = 0; row < m_values.size(); ++row) {
            for (QChar c : m_values.at(row))
                QTest::keyClick(dlg->windowHandle(), c.toLatin1());
            if (row + 1 < m_values.size())
                QTest::keyClick(dlg->windowHandle(), Qt::Key_Down);
        }
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    }

    QStringList m_values;
    QTimer m_timer;
};

} // namespace

class TestDelivery final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>(QStringList {QStringLiteral("Mail")});
        m_fixture->writeSettings({QStringLiteral("\"TrayIcon\"=dword:00000000")});
        m_form = &m_fixture->start();
        m_fixture->desktop.setOwnWindows({kOwn});
        m_fixture->desktop.clearRecords();
        AutoAppend = false;
        AutoAppendStr.clear();
        TargetWindow = 0;
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void cleanup() { m_fixture.reset(); }

    void copyExpandsTheEditorText_data();
    void copyExpandsTheEditorText();
    void cancelledPromptLeavesClipboardAndWindowAlone();
    void pasteMinimisesAndWaitsForTheFocus_data();
    void pasteMinimisesAndWaitsForTheFocus();
    void timerFollowsTheFocusInOtherProgramsOnly();

private:
    std::unique_ptr<MainWindowFixture> m_fixture;
    TfrmMain* m_form = nullptr;
};

void TestDelivery::copyExpandsTheEditorText_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("autoAppend");
    QTest::addColumn<QString>("appendString");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("clipboard");

    QTest::newRow("plain") << "Hello" << false << "\\cr" << QStringList() << "Hello";
    QTest::newRow("append decoded") << "Hello" << true << "\\cr" << QStringList() << "Hello\r\n";
    QTest::newRow("append empty") << "Hello" << true << "" << QStringList() << "Hello";
    // The appended text is neither searched for variables nor expanded, and codes in the
    // entry's own text are never decoded.
    QTest::newRow("append not expanded") << "a\\tbb" << true << "%x%\\tb" << QStringList() << "a\\tbb%x%\t";
    QTest::newRow("variable then append")
        << "Dear %name%" << true << "\\cr" << QStringList {"Ann"} << "Dear Ann\r\n";
    QTest::newRow("two variables, sorted rows")
        << "%to%, %From%: %to%" << false << "" << QStringList {"me", "you"} << "you, me: you";
    QTest::newRow("empty entry") << "" << true << "\\bk" << QStringList() << "\b";
}

void TestDelivery::copyExpandsTheEditorText()
{
    QFETCH(QString, entry);
    QFETCH(bool, autoAppend);
    QFETCH(QString, appendString);
    QFETCH(QStringList, values);
    QFETCH(QString, clipboard);

    AutoAppend = autoAppend;
    AutoAppendStr = appendString;
    // Text typed into the editor counts whether or not it was stored.
    memValue(*m_form)->setPlainText(entry);
    PromptAnswerer answerer(values);
    QVERIFY(m_form->Copy());
    QCOMPARE(clipboardText(), clipboard);
    QCOMPARE(answerer.prompts, values.isEmpty() ? 0 : 1);
    if (values.size() == 2)
        QCOMPARE(answerer.rowNames, (QStringList {"From", "to"}));

    // Copy Only through its command is the same Copy, with no paste behind it.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    PromptAnswerer again(values);
    command(*m_form, "actCopy")->trigger();
    QCOMPARE(clipboardText(), clipboard);
    QVERIFY(m_fixture->desktop.calls().isEmpty());
    QVERIFY(!m_form->isMinimized());
}

void TestDelivery::cancelledPromptLeavesClipboardAndWindowAlone()
{
    memValue(*m_form)->setPlainText(QStringLiteral("Dear %name%"));
    AutoAppend = true;
    AutoAppendStr = QStringLiteral("\\cr");
    TargetWindow = kTarget;
    PromptAnswerer answerer({});
    QVERIFY(!m_form->Copy());
    QCOMPARE(clipboardText(), QStringLiteral("before"));

    btnPaste(*m_form)->click();
    QCOMPARE(answerer.prompts, 2);
    QCOMPARE(clipboardText(), QStringLiteral("before"));
    QVERIFY(!m_form->isMinimized());
    QVERIFY(m_fixture->desktop.calls().isEmpty());
}

void TestDelivery::pasteMinimisesAndWaitsForTheFocus_data()
{
    QTest::addColumn<bool>("autoHide");
    QTest::addColumn<quint32>("target");
    QTest::addColumn<bool>("activates");
    // Where the focus is when the target's activation has failed, whether it then leaves this
    // program when waited for, and where it goes.
    QTest::addColumn<quint32>("focusBefore");
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<quint32>("focusAfter");
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QStringList>("calls");

    const QString activate = QStringLiteral("ActivateWindow %1").arg(kTarget);
    const QString keys = QStringLiteral("SendPasteKeys");
    const QString leave = QStringLiteral("WaitForFocusToLeaveOwnWindows");

    QTest::newRow("auto-hide, target")
        << true << kTarget << true << kOwn << true << kThird << true << QStringList {activate, keys};
    QTest::newRow("no auto-hide, target")
        << false << kTarget << true << kOwn << true << kThird << false << QStringList {activate, keys};
    QTest::newRow("no auto-hide, no target")
        << false << quint32(0) << true << kOwn << true << kThird << true << QStringList {leave, keys};
    QTest::newRow("no target, focus never leaves")
        << true << quint32(0) << true << kOwn << false << kOwn << true << QStringList {leave};
    // The target has gone and the window stays: nothing is typed into the program itself.
    QTest::newRow("target gone, window stays")
        << false << kTarget << false << kOwn << true << kThird << false << QStringList {activate};
    // Minimised, the window manager hands the focus on: that window gets the paste, as it
    // would have without the wait for the target.
    QTest::newRow("target gone, focus moves on")
        << true << kTarget << false << kOwn << true << kThird << true << QStringList {activate, leave, keys};
    QTest::newRow("target gone, focus nowhere")
        << true << kTarget << false << kOwn << true << quint32(0) << true << QStringList {activate, leave};
    QTest::newRow("target gone, focus stays here")
        << true << kTarget << false << kOwn << false << kOwn << true << QStringList {activate, leave};
}

void TestDelivery::pasteMinimisesAndWaitsForTheFocus()
{
    QFETCH(bool, autoHide);
    QFETCH(quint32, target);
    QFETCH(bool, activates);
    QFETCH(quint32, focusBefore);
    QFETCH(bool, leaves);
    QFETCH(quint32, focusAfter);
    QFETCH(bool, minimised);
    QFETCH(QStringList, calls);

    FakePlatform& desktop = m_fixture->desktop;
    command(*m_form, "actPasteAutoHide")->setChecked(autoHide);
    memValue(*m_form)->setPlainText(QStringLiteral("Hello"));
    TargetWindow = target;
    desktop.setFocusedWindow(focusBefore);
    desktop.setActivationSucceeds(activates);
    desktop.setFocusLeaves(leaves, focusAfter);

    m_form->Paste();
    QCOMPARE(clipboardText(), QStringLiteral("Hello"));
    QCOMPARE(desktop.calls(), calls);
    QCOMPARE(m_form->isMinimized(), minimised);
    // Nothing in the paste forgets or replaces the target.
    QCOMPARE(TargetWindow, target);
}

void TestDelivery::timerFollowsTheFocusInOtherProgramsOnly()
{
    FakePlatform& desktop = m_fixture->desktop;
    // The program's own window, then nothing, leave the target unknown.
    desktop.setFocusedWindow(kOwn);
    m_form->WMTimer();
    desktop.setFocusedWindow(0);
    m_form->WMTimer();
    QCOMPARE(TargetWindow, quint32(0));

    // The running timer picks up another program's focus within a period or two.
    desktop.setFocusedWindow(kTarget);
    QVERIFY(QTest::qWaitFor([] { return TargetWindow == kTarget; }, kTimeoutMs));

    // Back in this program, or with no focus anywhere, the last target stays.
    desktop.setFocusedWindow(kOwn);
    m_form->WMTimer();
    desktop.setFocusedWindow(0);
    m_form->WMTimer();
    QCOMPARE(TargetWindow, kTarget);
    desktop.setFocusedWindow(kThird);
    m_form->WMTimer();
    QCOMPARE(TargetWindow, kThird);
}

QTEST_MAIN(TestDelivery)
#include "tst_delivery.moc"
