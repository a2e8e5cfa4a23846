#include "delivery/SpecVar.h"
#include "tests/DesignFont.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

constexpr int Timeout = 5000;

void Type(QWindow* window, const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

QLineEdit* FocusedEditor()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

} // namespace

class TestSpecVar final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { UseDesignSizedFont(); }
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void layout();
    void typingGoesToFirstValue();
    void enterAndEscStayWithCell();
    void arrowsMoveBetweenRows();
    void tabLeavesForButtons();
    void closing_data();
    void closing();
    void execReturnsAcceptedOnOk();
    void noVariablesNoRows();

private:
    void openDialog(TfrmSpecVar& dlg, const QString& text);
};

void TestSpecVar::openDialog(TfrmSpecVar& dlg, const QString& text)
{
    dlg.LoadVarList(text);
    dlg.open();
    QVERIFY(QTest::qWaitForWindowActive(&dlg, Timeout));
    QTRY_VERIFY_WITH_TIMEOUT(FocusedEditor() != nullptr, Timeout);
}

void TestSpecVar::layout()
{
    TfrmSpecVar dlg;
    dlg.LoadVarList(QString("%b% %a%"));
    QCOMPARE(dlg.windowTitle(), "Please specify variable values");
    QCOMPARE(dlg.size(), QSize(378, 251));

    auto* grid = dlg.findChild<QTableWidget*>("ValueListEditor1");
    auto* ok = dlg.findChild<QPushButton*>("btnOk");
    auto* cancel = dlg.findChild<QPushButton*>("btnCancel");
    QVERIFY(grid && ok && cancel);
    QCOMPARE(grid->geometry(), QRect(2, 2, 375, 199));
    QCOMPARE(ok->geometry(), QRect(88, 215, 75, 25));
    QCOMPARE(cancel->geometry(), QRect(212, 216, 75, 25));
    QCOMPARE(ok->text(), "OK");
    QCOMPARE(cancel->text(), "Cancel");
    QVERIFY(ok->isDefault());
    QVERIFY(!cancel->isDefault());

    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), "Variable");
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), "Value");
    QCOMPARE(grid->columnWidth(0), 120);
    QCOMPARE(grid->rowHeight(0), 18);
    QCOMPARE(dlg.rowCount(), 2);
    QCOMPARE(grid->item(0, 0)->text(), "a");
    QCOMPARE(grid->item(1, 0)->text(), "b");
    QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
}

void TestSpecVar::typingGoesToFirstValue()
{
    TfrmSpecVar dlg;
    openDialog(dlg, "Dear %name%, order %order_no% ships today.");
    Type(dlg.windowHandle(), "Ann");
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Down);
    Type(dlg.windowHandle(), "4711");
    QCOMPARE(
        dlg.ReplaceVars("Dear %name%, order %order_no% ships today."), "Dear Ann, order 4711 ships today.");
}

void TestSpecVar::enterAndEscStayWithCell()
{
    TfrmSpecVar dlg;
    QSignalSpy finished(&dlg, &QDialog::finished);
    openDialog(dlg, "%x%");
    Type(dlg.windowHandle(), "abc");

    QTest::keyClick(dlg.windowHandle(), Qt::Key_Return);
    QVERIFY(dlg.isVisible());
    QCOMPARE(FocusedEditor()->selectedText(), "abc");
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Enter);
    QVERIFY(!FocusedEditor()->hasSelectedText());

    QTest::keyClick(dlg.windowHandle(), Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
    QCOMPARE(FocusedEditor()->text(), "");
    QCOMPARE(finished.count(), 0);

    Type(dlg.windowHandle(), "z");
    QCOMPARE(dlg.ReplaceVars("<%x%>"), "<z>");
}

void TestSpecVar::arrowsMoveBetweenRows()
{
    TfrmSpecVar dlg;
    openDialog(dlg, "%a% %b% %c%");
    Type(dlg.windowHandle(), "1");
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Down);
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Down);
    Type(dlg.windowHandle(), "3");
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Up);
    Type(dlg.windowHandle(), "2");
    // Esc on a row undoes only what was typed there since arriving.
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Up);
    Type(dlg.windowHandle(), "x");
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Escape);
    QCOMPARE(FocusedEditor()->text(), "1");
    // Left would land on the name column; the value cell keeps the editor.
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Left);
    QVERIFY(FocusedEditor() != nullptr);
    QCOMPARE(dlg.ReplaceVars("%a%%b%%c%"), "123");
}

void TestSpecVar::tabLeavesForButtons()
{
    TfrmSpecVar dlg;
    openDialog(dlg, "%a%");
    auto* ok = dlg.findChild<QPushButton*>("btnOk");
    auto* cancel = dlg.findChild<QPushButton*>("btnCancel");
    Type(dlg.windowHandle(), "v");

    QTest::keyClick(dlg.windowHandle(), Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), ok, Timeout);
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), cancel, Timeout);
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Tab);
    QTRY_VERIFY_WITH_TIMEOUT(FocusedEditor() != nullptr, Timeout);
    QCOMPARE(FocusedEditor()->text(), "v");
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), cancel, Timeout);

    // The value typed before leaving the grid survives, and Enter on a button is the button's.
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), ok, Timeout);
    QSignalSpy finished(&dlg, &QDialog::finished);
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Timeout);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.ReplaceVars("[%a%]"), "[v]");
}

void TestSpecVar::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "ok" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "cancel" << int(QDialog::Rejected);
    QTest::newRow("close box") << "close" << int(QDialog::Rejected);
}

void TestSpecVar::closing()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    TfrmSpecVar dlg;
    QSignalSpy finished(&dlg, &QDialog::finished);
    openDialog(dlg, "%x%");
    Type(dlg.windowHandle(), "typed");
    if (how == "close")
        dlg.windowHandle()->close();
    else
        QTest::mouseClick(dlg.findChild<QPushButton*>(how == "ok" ? "btnOk" : "btnCancel"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Timeout);
    QCOMPARE(dlg.result(), result);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.ReplaceVars("%x%"), "typed");
}

void TestSpecVar::execReturnsAcceptedOnOk()
{
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    TfrmSpecVar dlg(&owner);
    dlg.LoadVarList(QStringList {"%who%"});
    QTimer::singleShot(0, &dlg, [&dlg] {
        QVERIFY(QTest::qWaitForWindowActive(&dlg, Timeout));
        Type(dlg.windowHandle(), "me");
        QTest::mouseClick(dlg.findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(dlg.ReplaceVars("by %who%"), "by me");
}

void TestSpecVar::noVariablesNoRows()
{
    TfrmSpecVar dlg;
    dlg.LoadVarList(QString("100% sure, %a b%"));
    QCOMPARE(dlg.rowCount(), 0);
    QCOMPARE(dlg.ReplaceVars("100% sure, %a b%"), "100% sure, %a b%");
}

QTEST_MAIN(TestSpecVar)
#include "tst_SpecVar.moc"
