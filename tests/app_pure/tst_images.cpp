#include "app/CommandTable.h" // ImageCount
#include "app/Images.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTest>

namespace {

QImage render(const QIcon& icon, int size)
{
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

} // namespace

class TestImages final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyImageLoads_data();
    void everyImageLoads();
    void imagesAreDistinct();
    void outOfRangeIsNull();
    void appIcon();
};

void TestImages::everyImageLoads_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < ImageCount; ++i)
        QTest::addRow("image %d", i) << i;
}

// Each picture is a real, drawable 16 x 16 image with a transparent background.
void TestImages::everyImageLoads()
{
    QFETCH(int, index);
    QVERIFY(QFile::exists(CommandImagePath(index)));
    QVERIFY(!CommandImage(index).isNull());
    const QImage image = render(CommandImageResource(index), 16);
    QCOMPARE(image.size(), QSize(16, 16));
    const int opaque = opaquePixels(image);
    QVERIFY2(opaque > 16, qPrintable(QString::number(opaque)));
    QVERIFY2(opaque < 16 * 16, "no transparent background");
}

void TestImages::imagesAreDistinct()
{
    QSet<QByteArray> seen;
    for (int i = 0; i < ImageCount; ++i) {
        const QImage image = render(CommandImageResource(i), 16);
        const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        QVERIFY2(!seen.contains(bytes), qPrintable(QStringLiteral("image %1 repeats another").arg(i)));
        seen.insert(bytes);
    }
}

void TestImages::outOfRangeIsNull()
{
    for (int index : {-1, ImageCount, 1000}) {
        QVERIFY(CommandImagePath(index).isEmpty());
        QVERIFY(CommandImage(index).isNull());
    }
}

void TestImages::appIcon()
{
    QVERIFY(QFile::exists(AppIconPath()));
    for (int size : {16, 32}) {
        const QImage image = render(AppIcon(), size);
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(opaquePixels(image) > size * size / 3);
    }
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
