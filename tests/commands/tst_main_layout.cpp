// The main window's two layouts on the real form: the compact-mode command, the width it
// sets, and the controls' geometry after each switch and after resizing by hand.

#include "tests/DesignFont.h"
#include "tests/support/MainWindowFixture.h"

#include "app/EntryGrid.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>

namespace {

// Outer size and what the layout must give for it (client coordinates).
struct Expected {
    int W;
    int H;
    bool compact;
    int tabWidth;
    int columnWidth; // txtName and grdName
    int gridHeight;
    QRect memo;
    int buttonTop;
    int pasteWidth;
    int copyLeft;
    int copyWidth;
};

// The worked examples: the full window, the window after switching to compact, and an odd
// size that shows the truncating divisions.
const Expected Full600 {600, 429, false, 590, 221, 255, {224, 94, 368, 307}, 377, 108, 113, 108};
const Expected Compact280 {280, 429, true, 270, 270, 137, {1, 261, 270, 110}, 377, 137, 142, 129};
const Expected Compact281 {281, 431, true, 271, 271, 138, {1, 262, 271, 111}, 379, 137, 142, 130};

void verifyLayout(const TfrmMain& form, const Expected& e)
{
    QCOMPARE(form.OuterWidth(), e.W);
    QCOMPARE(form.OuterHeight(), e.H);
    QCOMPARE(ActionMainMenuBar1(form)->geometry(), QRect(0, 0, e.W - 8, 24));
    QCOMPARE(ToolBar1(form)->geometry(), QRect(0, 24, e.W - 8, 25));
    QCOMPARE(TabCtrl(form)->geometry(), QRect(0, 49, e.tabWidth, 25));
    QCOMPARE(txtName(form)->geometry(), QRect(1, 94, e.columnWidth, 21));
    QCOMPARE(grdName(form)->geometry(), QRect(1, 120, e.columnWidth, e.gridHeight));
    QCOMPARE(memValue(form)->geometry(), e.memo);
    QCOMPARE(btnPaste(form)->geometry(), QRect(1, e.buttonTop, e.pasteWidth, 23));
    QCOMPARE(btnCopy(form)->geometry(), QRect(e.copyLeft, e.buttonTop, e.copyWidth, 23));
    QCOMPARE(lblName(form)->pos(), QPoint(1, 78));
    QVERIFY(lblName(form)->isVisible());
    QCOMPARE(lblValue(form)->isVisible(), !e.compact);
    // The command, its View menu item and its toolbar button show the layout in force.
    QCOMPARE(command(form, "actCompact")->isChecked(), e.compact);
    const QList<QAction*> viewItems = ActionMainMenuBar1(form)->actions().at(2)->menu()->actions();
    QCOMPARE(viewItems.first()->text(), QStringLiteral("&Compact Mode"));
    QCOMPARE(viewItems.first()->isChecked(), e.compact);
    const auto* button
        = qobject_cast<const QAbstractButton*>(ToolBar1(form)->widgetForAction(command(form, "actCompact")));
    QVERIFY(button != nullptr);
    QCOMPARE(button->isChecked(), e.compact);
}

QString dword(int value)
{
    return QStringLiteral("dword:%1").arg(value, 8, 16, QLatin1Char('0'));
}

QStringList placement(int outerWidth, int outerHeight, bool compact)
{
    return {QStringLiteral("\"WindowLeft\"=") + dword(40), QStringLiteral("\"WindowTop\"=") + dword(30),
        QStringLiteral("\"WindowWidth\"=") + dword(outerWidth),
        QStringLiteral("\"WindowHeight\"=") + dword(outerHeight),
        QStringLiteral("\"CompactMode\"=") + dword(compact ? 1 : 0)};
}

void resizeOuter(TfrmMain& form, int outerWidth, int outerHeight)
{
    form.resize(outerWidth - 8, outerHeight - 27);
    QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), outerWidth, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(form.OuterHeight(), outerHeight, 5000);
}

} // namespace

class TestMainLayout final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { UseDesignSizedFont(); }

    void compactModeSwitchesWidthAndLayoutBothWays()
    {
        MainWindowFixture fixture;
        fixture.addTable(QStringLiteral("Mail"));
        fixture.writeSettings(placement(600, 429, false));
        TfrmMain& form = fixture.start();
        QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), 600, 5000);
        verifyLayout(form, Full600);
        QVERIFY(!QTest::currentTestFailed());

        command(form, "actCompact")->trigger();
        QVERIFY(form.settings().CompactMode);
        QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), 280, 5000);
        verifyLayout(form, Compact280);
        QVERIFY(!QTest::currentTestFailed());

        command(form, "actCompact")->trigger();
        QVERIFY(!form.settings().CompactMode);
        QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), 600, 5000);
        verifyLayout(form, Full600);
    }

    void switchingAtTheModeWidthStillLaysOut()
    {
        // With the width already 280 no resize happens; the layout must switch anyway.
        MainWindowFixture fixture;
        fixture.addTable(QStringLiteral("Mail"));
        fixture.writeSettings(placement(600, 429, false));
        TfrmMain& form = fixture.start();
        QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), 600, 5000);
        resizeOuter(form, 280, 429);
        QCOMPARE(memValue(form)->x(), 224); // still the full layout, squeezed
        command(form, "actCompact")->trigger();
        verifyLayout(form, Compact280);
        QVERIFY(!QTest::currentTestFailed());

        // Resizing by hand keeps compact mode; odd sizes truncate.
        resizeOuter(form, 281, 431);
        verifyLayout(form, Compact281);
    }

    void startsCompactAtTheSavedWidth()
    {
        MainWindowFixture fixture;
        fixture.addTable(QStringLiteral("Mail"));
        fixture.writeSettings(placement(600, 429, true));
        TfrmMain& form = fixture.start();
        QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), 600, 5000);
        QVERIFY(form.settings().CompactMode);
        const Expected compact600 {600, 429, true, 590, 590, 137, {1, 261, 590, 110}, 377, 297, 302, 289};
        verifyLayout(form, compact600);
    }

    void tooSmallWindowLeavesControlsWithoutArea()
    {
        MainWindowFixture fixture;
        fixture.addTable(QStringLiteral("Mail"));
        fixture.writeSettings(placement(600, 429, true));
        TfrmMain& form = fixture.start();
        QTRY_COMPARE_WITH_TIMEOUT(form.OuterWidth(), 600, 5000);
        resizeOuter(form, 280, 180);
        // (3 * 180) / 5 - 120 = -12 and 180 - 58 - 112 = 10: the grid has no area left.
        QCOMPARE(grdName(form)->height(), 0);
        QCOMPARE(memValue(form)->geometry(), QRect(1, 112, 270, 10));
        QVERIFY(fixture.boxes.empty());
    }
};

QTEST_MAIN(TestMainLayout)
#include "tst_main_layout.moc"
