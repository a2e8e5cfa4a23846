// Where a stored window placement puts the window: never unusably small, never larger than
// the screen area, never outside it.

#include "app/PlacementFit.h"

#include <QTest>

class TestPlacementFit final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fitsIntoTheAreaItOverlapsMost_data();
    void fitsIntoTheAreaItOverlapsMost();
};

void TestPlacementFit::fitsIntoTheAreaItOverlapsMost_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("expected");
    // A panel takes the top 30 pixels of the first screen; a second screen lies to its right.
    QTest::newRow("usable as stored") << QRect(40, 50, 600, 429) << QRect(40, 50, 600, 429);
    QTest::newRow("no size") << QRect(10, 40, 0, 0) << QRect(10, 40, 280, 150);
    QTest::newRow("larger than any screen") << QRect(0, 0, 0x7fffffff, 0x7fffffff) << QRect(0, 30, 1280, 994);
    QTest::newRow("far beyond every screen") << QRect(5000, 5000, 600, 429) << QRect(680, 595, 600, 429);
    QTest::newRow("mostly on the second screen") << QRect(1200, 100, 600, 429) << QRect(1280, 100, 600, 429);
}

void TestPlacementFit::fitsIntoTheAreaItOverlapsMost()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);
    const QList<QRect> areas {QRect(0, 30, 1280, 994), QRect(1280, 0, 1024, 768)};
    QCOMPARE(FitPlacement(stored.x(), stored.y(), stored.width(), stored.height(), QSize(280, 150), areas),
        expected);
}

QTEST_GUILESS_MAIN(TestPlacementFit)
#include "tst_placementfit.moc"
