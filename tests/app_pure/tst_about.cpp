#include "app/About.h"
#include "tests/DesignFont.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

class TestAbout final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { UseDesignSizedFont(); }
    void windowFrameAndSize();
    void labels_data();
    void labels();
    void fontsAndColours();
    void iconPicture();
    void centredOverParent();
    void escapeCloses();
};

void TestAbout::windowFrameAndSize()
{
    TfrmAbout box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Pastewise"));
    // 409 x 279 outer by the design frame (8 by 27).
    QCOMPARE(box.size(), QSize(401, 252));
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    // Sizeable: nothing pins the size.
    QVERIFY(box.minimumSize() != box.maximumSize());
    // No buttons at all.
    QVERIFY(box.findChildren<QAbstractButton*>().isEmpty());
}

void TestAbout::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("picture") << "imgIcon" << QRect(38, 84, 32, 32) << QString();
    QTest::newRow("product line") << "lblProduct" << QRect(79, 72, 276, 55) << "Pastewise 1.2";
    QTest::newRow("tagline") << "lblTagline" << QRect(147, 128, 187, 22) << "Click & Paste It!";
}

void TestAbout::labels()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    TfrmAbout box;
    auto* label = box.findChild<QLabel*>(name);
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), geometry.topLeft());
    // Designed height, or taller where the installed face's line is: the text is never cut.
    QCOMPARE(label->height(), std::max(geometry.height(), label->sizeHint().height()));
    // Designed width, or wider where the installed face needs it: the text is never cut.
    const int textWidth = text.isEmpty() ? 0 : label->fontMetrics().horizontalAdvance(text);
    QVERIFY2(label->width() >= textWidth,
        qPrintable(QStringLiteral("%1 < %2").arg(label->width()).arg(textWidth)));
    if (textWidth <= geometry.width())
        QCOMPARE(label->width(), geometry.width());
    else
        QVERIFY(label->width() <= textWidth + 2);
    // A label with a buddy would swallow the ampersand as an access key.
    QVERIFY(label->buddy() == nullptr);
}

void TestAbout::fontsAndColours()
{
    TfrmAbout box;
    const QFont product = box.lblProduct->font();
    QVERIFY(product.bold());
    QCOMPARE(product.pixelSize(), 48);
    QCOMPARE(product.styleHint(), QFont::Serif);
    QVERIFY(!QFontInfo(product).fixedPitch());
    QCOMPARE(box.lblProduct->palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x00));

    const QFont tagline = box.lblTagline->font();
    QVERIFY(tagline.bold());
    QCOMPARE(tagline.pixelSize(), 19);
    QVERIFY(QFontInfo(tagline).fixedPitch());
    QCOMPARE(
        box.lblTagline->palette().color(QPalette::WindowText), box.palette().color(QPalette::WindowText));
}

void TestAbout::iconPicture()
{
    TfrmAbout box;
    const QPixmap picture = box.imgIcon->pixmap();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(32, 32));
}

void TestAbout::centredOverParent()
{
    QWidget owner;
    owner.setGeometry(100, 120, 600, 400); // outer 608 x 427 by the design frame
    TfrmAbout box(&owner);
    QCOMPARE(box.pos(), QPoint(100 + (608 - 409) / 2, 120 + (427 - 279) / 2));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.pos(), QPoint(199, 194));
}

void TestAbout::escapeCloses()
{
    TfrmAbout box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!box.isVisible(), 5000);
    QCOMPARE(box.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
