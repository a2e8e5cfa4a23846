#include "app/LayoutCalc.h"

#include <QTest>

Q_DECLARE_METATYPE(TLayoutResult)

namespace {
QList<int> fields(const TLayoutResult& r)
{
    return {r.TabCtrlWidth, r.lblValueVisible ? 1 : 0, r.txtNameWidth, r.grdNameWidth, r.grdNameHeight,
        r.btnPasteTop, r.btnPasteWidth, r.btnCopyLeft, r.btnCopyTop, r.btnCopyWidth, r.memValueLeft,
        r.memValueTop, r.memValueWidth, r.memValueHeight};
}
} // namespace

class TestLayoutCalc final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void results_data();
    void results();
    void rectsMergeFixedGeometry();
    void edgesFollowTheClientArea();
};

void TestLayoutCalc::results_data()
{
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("H");
    QTest::addColumn<bool>("compact");
    QTest::addColumn<TLayoutResult>("expected");

    // Fields: TabCtrl width, lblValue visible, txtName width, grdName width, grdName height,
    // btnPaste top, width, btnCopy left, top, width, memValue left, top, width, height.
    QTest::newRow("600x429 full") << 600 << 429 << false
                                  << TLayoutResult {590, true, 221, 221, 255, 377, 108, 113, 377, 108, 224,
                                         94, 368, 307};
    QTest::newRow("280x429 compact") << 280 << 429 << true
                                     << TLayoutResult {270, false, 270, 270, 137, 377, 137, 142, 377, 129, 1,
                                            261, 270, 110};
    QTest::newRow("281x431 compact") << 281 << 431 << true
                                     << TLayoutResult {271, false, 271, 271, 138, 379, 137, 142, 379, 130, 1,
                                            262, 271, 111};
    // An odd width halves with truncation: 281 / 2 = 140.
    QTest::newRow("281x429 compact, odd width")
        << 281 << 429 << true
        << TLayoutResult {271, false, 271, 271, 137, 377, 137, 142, 377, 130, 1, 261, 271, 110};
    // The column stays 221 wide whatever the window's width.
    QTest::newRow("281x431 full") << 281 << 431 << false
                                  << TLayoutResult {
                                         271, true, 221, 221, 257, 379, 108, 113, 379, 108, 224, 94, 49, 309};
    // Too small for the controls: negative sizes are handed on, not clamped or refused.
    QTest::newRow("100x100 full, negative")
        << 100 << 100 << false
        << TLayoutResult {90, true, 221, 221, -74, 48, 108, 113, 48, 108, 224, 94, -132, -22};
    QTest::newRow("5x50 compact, negative")
        << 5 << 50 << true << TLayoutResult {-5, false, -5, -5, -90, -2, -1, 4, -2, -8, 1, 34, -5, -42};
}

void TestLayoutCalc::results()
{
    QFETCH(int, W);
    QFETCH(int, H);
    QFETCH(bool, compact);
    QFETCH(TLayoutResult, expected);

    // Compared as lists so a failure names the first differing field's position.
    QCOMPARE(fields(CalcLayout(W, H, compact)), fields(expected));
}

void TestLayoutCalc::rectsMergeFixedGeometry()
{
    const TLayoutResult r = CalcLayout(280, 429, true);
    QCOMPARE(r.TabCtrlRect(), QRect(0, 49, 270, 25));
    QCOMPARE(r.txtNameRect(), QRect(1, 94, 270, 21));
    QCOMPARE(r.grdNameRect(), QRect(1, 120, 270, 137));
    QCOMPARE(r.memValueRect(), QRect(1, 261, 270, 110));
    QCOMPARE(r.btnPasteRect(), QRect(1, 377, 137, 23));
    QCOMPARE(r.btnCopyRect(), QRect(142, 377, 129, 23));

    // A negative size survives the trip through QRect.
    QCOMPARE(CalcLayout(100, 100, false).grdNameRect().height(), -74);
}

// Over a range of sizes: where each layout puts the right and bottom edges relative to
// the client area (outer size less the design frame), and that nothing overlaps.
void TestLayoutCalc::edgesFollowTheClientArea()
{
    for (int W = 260; W <= 1300; W += 37) {
        for (int H = 300; H <= 1100; H += 41) {
            const int clientRight = Design::ClientWidthFromOuter(W);
            const TLayoutResult full = CalcLayout(W, H, false);
            QCOMPARE(full.memValueRect().x() + full.memValueRect().width(), clientRight);
            QCOMPARE(full.TabCtrlRect().x() + full.TabCtrlRect().width(), clientRight - 2);
            QCOMPARE(full.grdNameRect().bottom() + 1 + 2, full.btnPasteTop);
            QVERIFY(full.txtNameRect().right() < full.memValueLeft);

            const TLayoutResult compact = CalcLayout(W, H, true);
            for (const QRect& rect :
                {compact.txtNameRect(), compact.grdNameRect(), compact.memValueRect(), compact.btnCopyRect()})
                QCOMPARE(rect.x() + rect.width(), clientRight - 1);
            QCOMPARE(compact.TabCtrlRect().x() + compact.TabCtrlRect().width(), clientRight - 2);
            // Grid ends at three fifths of the height; the memo starts four pixels on.
            QCOMPARE(compact.grdNameRect().bottom() + 1, (3 * H) / 5);
            QCOMPARE(compact.memValueTop, (3 * H) / 5 + 4);
            QCOMPARE(compact.memValueRect().bottom() + 1 + 6, compact.btnPasteTop);
            // The buttons sit side by side with a four-pixel gap.
            QCOMPARE(compact.btnPasteRect().right() + 1 + 4, compact.btnCopyLeft);
        }
    }
}

QTEST_APPLESS_MAIN(TestLayoutCalc)
#include "tst_layoutcalc.moc"
