// The Options dialog and its key-capture field, with the live hotkey replaced by a recorder.

#include "common/MessageBoxes.h"
#include "settings/HotKeyEdit.h"
#include "settings/Options.h"
#include "settings/Settings.h"
#include "tests/DesignFont.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
// Stands in for the main window's hotkey: records the requests and answers as told.
struct HotKeyRecorder {
    QStringList calls;
    bool accepts = true;

    TOptionsHotKey access()
    {
        return {[this](quint16 shortcut) {
                    calls << QStringLiteral("register %1").arg(shortcut, 4, 16, QLatin1Char('0'));
                    return accepts;
                },
            [this] { calls << QStringLiteral("release"); }};
    }
};
} // namespace

class TestOptions final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { UseDesignSizedFont(); }
    void init();
    void cleanup();

    void keyFieldTakesPlainAndShiftKeysAsAlt_data();
    void keyFieldTakesPlainAndShiftKeysAsAlt();
    void keyFieldLeavesTabAndBareModifiersAlone();
    void openingFillsControlsAndReleasesHotKey();
    void okStoresExactlyWhatWasTypedAndRegisters_data();
    void okStoresExactlyWhatWasTypedAndRegisters();
    void closingWithoutOkDiscardsAndRestoresOldHotKey_data();
    void closingWithoutOkDiscardsAndRestoresOldHotKey();
    void escapeLeavesTheDialogOpen();
    void enterInTheKeyFieldPressesOk();
    void windowFollowsTheDesign();

private:
    QStringList m_notices;
    Settings m_settings;
};

void TestOptions::init()
{
    m_settings = Settings();
    m_settings.AutoAppend = false;
    m_settings.AutoAppendStr = QStringLiteral("\\cr");
    m_settings.ActivationKey = 0x4077;
    m_notices.clear();
    SetBoxObserver([this](BoxKind kind, const QString&, const QString& text) {
        if (kind == BoxKind::Notice)
            m_notices << text;
        return true;
    });
}

void TestOptions::cleanup()
{
    SetBoxObserver({});
}

void TestOptions::keyFieldTakesPlainAndShiftKeysAsAlt_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint16>("value");

    QTest::newRow("F8 alone") << int(Qt::Key_F8) << Qt::KeyboardModifiers() << "Alt+F8" << quint16(0x8077);
    QTest::newRow("Shift+A") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ShiftModifier) << "Alt+A"
                             << quint16(0x8041);
    QTest::newRow("Shift+1 arrives as !")
        << int(Qt::Key_Exclam) << Qt::KeyboardModifiers(Qt::ShiftModifier) << "Alt+1" << quint16(0x8031);
    QTest::newRow("Ctrl+F8 kept") << int(Qt::Key_F8) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                  << "Ctrl+F8" << quint16(0x4077);
    QTest::newRow("Shift+Ctrl kept") << int(Qt::Key_Z)
                                     << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)
                                     << "Shift+Ctrl+Z" << quint16(0x605a);
    QTest::newRow("Shift+Alt kept") << int(Qt::Key_F2)
                                    << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::AltModifier)
                                    << "Shift+Alt+F2" << quint16(0xa071);
    QTest::newRow("keypad 5 alone") << int(Qt::Key_5) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                    << "Alt+Num 5" << quint16(0x8065);
}

void TestOptions::keyFieldTakesPlainAndShiftKeysAsAlt()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(quint16, value);

    THotKeyEdit field;
    field.show();
    field.setFocus();
    QTest::keyClick(&field, Qt::Key(key), modifiers);
    QCOMPARE(field.text(), text);
    QCOMPARE(field.HotKey(), value);
}

void TestOptions::keyFieldLeavesTabAndBareModifiersAlone()
{
    QWidget window;
    auto* field = new THotKeyEdit(&window);
    auto* next = new QLineEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->SetHotKey(0x4077);
    field->setFocus();
    // A modifier pressed on its own and the Meta key have no shortcut value.
    QTest::keyClick(field, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_A, Qt::MetaModifier);
    QCOMPARE(field->HotKey(), quint16(0x4077));
    QCOMPARE(field->text(), QStringLiteral("Ctrl+F8"));
    // Tab leaves the field, as in every other control.
    QTest::keyClick(field, Qt::Key_Tab);
    QCOMPARE(field->HotKey(), quint16(0x4077));
    QCOMPARE(QApplication::focusWidget(), next);
}

void TestOptions::openingFillsControlsAndReleasesHotKey()
{
    m_settings.AutoAppend = true;
    m_settings.ActivationKey = 0x7fff4078; // only the low word is a shortcut: Ctrl+F9
    HotKeyRecorder hotKey;
    TfrmOptions dialog(m_settings, hotKey.access());
    QVERIFY(dialog.chkAutoAppend->isChecked());
    QCOMPARE(dialog.txtAutoAppend->text(), QStringLiteral("\\cr"));
    QCOMPARE(dialog.hkActivation->text(), QStringLiteral("Ctrl+F9"));
    QCOMPARE(hotKey.calls, QStringList {QStringLiteral("release")});
}

void TestOptions::okStoresExactlyWhatWasTypedAndRegisters_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("registered") << true << QStringList {};
    QTest::newRow("refused") << false << QStringList {QStringLiteral("Unable register hot key!")};
}

void TestOptions::okStoresExactlyWhatWasTypedAndRegisters()
{
    QFETCH(bool, accepted);
    QFETCH(QStringList, notices);
    HotKeyRecorder hotKey;
    hotKey.accepts = accepted;
    TfrmOptions dialog(m_settings, hotKey.access());
    dialog.show();
    dialog.chkAutoAppend->setChecked(true);
    dialog.txtAutoAppend->setText(QStringLiteral("  \\t, "));
    dialog.hkActivation->setFocus();
    QTest::keyClick(dialog.hkActivation, Qt::Key_F11, Qt::ControlModifier | Qt::AltModifier);
    dialog.btnOK->click();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QVERIFY(m_settings.AutoAppend);
    QCOMPARE(m_settings.AutoAppendStr, QStringLiteral("  \\t, "));
    // The new shortcut is kept even when the desktop refused it; it is saved at exit.
    QCOMPARE(m_settings.ActivationKey, qint32(0xc07a));
    QCOMPARE(hotKey.calls, (QStringList {QStringLiteral("release"), QStringLiteral("register c07a")}));
    QCOMPARE(m_notices, notices);
}

void TestOptions::closingWithoutOkDiscardsAndRestoresOldHotKey_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Cancel") << QStringLiteral("cancel") << true;
    QTest::newRow("close box") << QStringLiteral("close") << true;
    QTest::newRow("Cancel, old hotkey refused") << QStringLiteral("cancel") << false;
    QTest::newRow("close box, old hotkey refused") << QStringLiteral("close") << false;
}

void TestOptions::closingWithoutOkDiscardsAndRestoresOldHotKey()
{
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    HotKeyRecorder hotKey;
    hotKey.accepts = accepted;
    TfrmOptions dialog(m_settings, hotKey.access());
    dialog.show();
    dialog.chkAutoAppend->setChecked(true);
    dialog.txtAutoAppend->setText(QStringLiteral("changed"));
    dialog.hkActivation->SetHotKey(0x8041);
    if (how == QLatin1String("cancel"))
        dialog.btnCancel->click();
    else
        dialog.close(); // what the close box and the window menu's Close ask for

    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QVERIFY(!m_settings.AutoAppend);
    QCOMPARE(m_settings.AutoAppendStr, QStringLiteral("\\cr"));
    QCOMPARE(m_settings.ActivationKey, qint32(0x4077));
    QCOMPARE(hotKey.calls, (QStringList {QStringLiteral("release"), QStringLiteral("register 4077")}));
    QCOMPARE(m_notices, accepted ? QStringList {} : QStringList {QStringLiteral("Unable register hot key!")});
}

void TestOptions::escapeLeavesTheDialogOpen()
{
    HotKeyRecorder hotKey;
    TfrmOptions dialog(m_settings, hotKey.access());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.txtAutoAppend->setFocus();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(dialog.txtAutoAppend, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(hotKey.calls, QStringList {QStringLiteral("release")});
    // Enter presses the default button.
    QTest::keyClick(dialog.txtAutoAppend, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestOptions::enterInTheKeyFieldPressesOk()
{
    HotKeyRecorder hotKey;
    TfrmOptions dialog(m_settings, hotKey.access());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.hkActivation->setFocus();
    QTest::keyClick(dialog.hkActivation, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(m_settings.ActivationKey, qint32(0x4077));
}

void TestOptions::windowFollowsTheDesign()
{
    HotKeyRecorder hotKey;
    TfrmOptions dialog(m_settings, hotKey.access());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(dialog.minimumSize(), QSize(267, 305));
    QCOMPARE(dialog.maximumSize(), QSize(267, 305));
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(dialog.btnOK->isDefault());
    QCOMPARE(dialog.chkAutoAppend->text(), QStringLiteral("Auto Append String At Paste:"));
    QCOMPARE(dialog.lblActivation->text(), QStringLiteral("Activation Hot Key:"));
    QCOMPARE(dialog.hkActivation->geometry(), QRect(125, 61, 125, 19));
    // The check box's caption ends where the edit box begins, on the same line.
    QVERIFY(dialog.chkAutoAppend->geometry().right() < dialog.txtAutoAppend->geometry().left());

    const QList<QWidget*> order
        = {dialog.chkAutoAppend, dialog.txtAutoAppend, dialog.btnOK, dialog.btnCancel, dialog.hkActivation};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QCOMPARE(order[i]->nextInFocusChain(), order[i + 1]);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
