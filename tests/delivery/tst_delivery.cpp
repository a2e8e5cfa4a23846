// Copy and Quick Paste through the main window on a fake desktop: what reaches the clipboard,
// when the value prompt appears, and how the window's commands and timer drive the paste.

#include "tests/support/MainWindowFixture.h"

#include "common/Common.h"
#include "delivery/Delivery.h"
#include "delivery/PasteKeyRules.h"
#include "delivery/PasteKeysDialog.h"
#include "delivery/SpecVar.h"
#include "settings/Registry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr int kTimeoutMs = 5000;
constexpr quint32 kTarget = 4242;
constexpr quint32 kOwn = 77;

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
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void cleanup() { m_fixture.reset(); }

    void copyExpandsTheEditorText_data();
    void copyExpandsTheEditorText();
    void cancelledPromptLeavesClipboardAndWindowAlone();
    void pasteThroughTheWindow();
    void pasteKeysDialogStoresRulesOnlyOnOk();

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

    m_form->settings().AutoAppend = autoAppend;
    m_form->settings().AutoAppendStr = appendString;
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
    m_form->settings().AutoAppend = true;
    m_form->settings().AutoAppendStr = QStringLiteral("\\cr");
    m_fixture->desktop.setFocusedWindow(kTarget);
    m_form->WMTimer();
    PromptAnswerer answerer({});
    QVERIFY(!m_form->Copy());
    QCOMPARE(clipboardText(), QStringLiteral("before"));

    btnPaste(*m_form)->click();
    QCOMPARE(answerer.prompts, 2);
    QCOMPARE(clipboardText(), QStringLiteral("before"));
    QVERIFY(!m_form->isMinimized());
    QVERIFY(m_fixture->desktop.calls().isEmpty());
}

void TestDelivery::pasteThroughTheWindow()
{
    FakePlatform& desktop = m_fixture->desktop;
    command(*m_form, "actPasteAutoHide")->setChecked(false);
    memValue(*m_form)->setPlainText(QStringLiteral("Hello"));

    // The running timer picks up another program's focus within a period or two.
    desktop.setFocusedWindow(kTarget);
    QVERIFY(QTest::qWaitFor([this] { return m_form->delivery().target() == kTarget; }, kTimeoutMs));
    desktop.setFocusedWindow(kOwn);

    // "Auto Hide At Paste" decides whether the window makes way for the target.
    btnPaste(*m_form)->click();
    QCOMPARE(clipboardText(), QStringLiteral("Hello"));
    QVERIFY(!m_form->isMinimized());
    command(*m_form, "actPasteAutoHide")->setChecked(true);
    command(*m_form, "actPaste")->trigger();
    QVERIFY(m_form->isMinimized());
    const QString activate = QStringLiteral("ActivateWindow %1").arg(kTarget);
    QCOMPARE(desktop.calls(), (QStringList {activate, "SendPasteKeys", activate, "SendPasteKeys"}));
}

void TestDelivery::pasteKeysDialogStoresRulesOnlyOnOk()
{
    MainWindowFixture& fixture = *m_fixture;
    fixture.desktop.setWindowClass(kTarget, {QStringLiteral("mintty"), QStringLiteral("Mintty")});
    fixture.desktop.setFocusedWindow(kTarget);
    QVERIFY(QTest::qWaitFor([this] { return m_form->delivery().target() == kTarget; }, kTimeoutMs));
    fixture.desktop.setFocusedWindow(kOwn);
    const auto stored = [] {
        TRegistry registry(QString::fromLatin1(ProductName));
        return ReadPasteKeyRules(registry);
    };

    // Runs `work` on the dialog once it is open: the command blocks in it until it closes.
    const auto withDialog = [this](const std::function<void(PasteKeysDialog&)>& work) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* dialog = qobject_cast<PasteKeysDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || ran)
                return;
            ran = true;
            work(*dialog);
            // A check that failed above leaves it open; the test must not hang on it.
            if (dialog->isVisible())
                dialog->reject();
        });
        poll.start();
        command(*m_form, "actPasteKeys")->trigger();
        return ran;
    };
    // A new row holds the last target's class; moving to another cell closes the keys' editor.
    const auto addRule = [](PasteKeysDialog& dialog, const QString& keys) {
        dialog.findChild<QPushButton*>(QStringLiteral("btnAdd"))->click();
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("grdRules"));
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("mintty"));
        table->setCurrentCell(0, 0);
        table->item(0, 1)->setText(keys);
    };
    const auto ok = [](PasteKeysDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };

    QVERIFY(withDialog([&](PasteKeysDialog& dialog) {
        addRule(dialog, QStringLiteral("Shift+Ins"));
        dialog.reject();
    }));
    QCOMPARE(stored(), BuiltInPasteKeyRules());
    QCOMPARE(m_form->delivery().pasteKeyRules(), BuiltInPasteKeyRules());

    QVERIFY(withDialog([&](PasteKeysDialog& dialog) {
        addRule(dialog, QStringLiteral("Shift+Banana"));
        ok(dialog);
        // Refused with the row named; the dialog stays open for the fix.
        QCOMPARE(fixture.boxes.texts(),
            QStringList {
                QStringLiteral("\"Shift+Banana\" in row 1 is not a key combination such as Shift+Ctrl+V.")});
        QVERIFY(dialog.isVisible());
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("grdRules"));
        table->item(0, 1)->setText(QStringLiteral("Shift+Ins"));
        ok(dialog);
    }));
    const QStringList expected = QStringList {QStringLiteral("mintty=Shift+Ins")} + BuiltInPasteKeyRules();
    QCOMPARE(stored(), expected);
    QCOMPARE(m_form->delivery().pasteKeyRules(), expected);
}

QTEST_MAIN(TestDelivery)
#include "tst_delivery.moc"
