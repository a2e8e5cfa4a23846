// Every label, check box, button, tab and menu title of the four windows shows its text whole:
// at the desktop's font, at a design-sized one and at larger ones. CTest runs the suite again
// at twice the scale and at 144 dots per inch.

#include "tests/support/MainWindowFixture.h"

#include "app/About.h"
#include "delivery/SpecVar.h"
#include "settings/Options.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTest>

namespace {

QString describe(const QWidget* control, const QSize& needed)
{
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(control->window()->objectName(), control->objectName())
        .arg(needed.width())
        .arg(needed.height())
        .arg(control->width())
        .arg(control->height());
}

bool fits(const QSize& needed, const QWidget* control)
{
    return needed.width() <= control->width() && needed.height() <= control->height();
}

// What a push button needs for its text: the style's frame and margins around it. Its size
// hint would also carry the style's preferred minimum width, which is not about the text.
QSize buttonNeeds(const QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return button->style()->sizeFromContents(QStyle::CT_PushButton, &option, text, button);
}

void verifyTextsFit(const QWidget& window)
{
    const auto shown = [&window](const QWidget* control) { return control->isVisibleTo(&window); };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (shown(label) && !label->text().isEmpty())
            QVERIFY2(fits(label->sizeHint(), label), qPrintable(describe(label, label->sizeHint())));
    }
    for (const QCheckBox* box : window.findChildren<QCheckBox*>()) {
        if (shown(box))
            QVERIFY2(fits(box->sizeHint(), box), qPrintable(describe(box, box->sizeHint())));
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        if (shown(button))
            QVERIFY2(fits(buttonNeeds(button), button), qPrintable(describe(button, buttonNeeds(button))));
    }
    // A tab centres its caption and picture; the style's padding below them may be cut off by
    // the strip, the caption and picture may not.
    for (const QTabBar* tabs : window.findChildren<QTabBar*>()) {
        const int content = std::max(tabs->fontMetrics().height(), tabs->iconSize().height());
        for (int i = 0; shown(tabs) && i < tabs->count(); ++i) {
            const QRect tab = tabs->tabRect(i);
            const QSize needed(tab.width(), tab.top() + (tab.height() + content) / 2);
            QVERIFY2(fits(needed, tabs), qPrintable(describe(tabs, needed)));
        }
    }
    for (const QMenuBar* menus : window.findChildren<QMenuBar*>()) {
        for (QAction* menu : menus->actions()) {
            const QSize title = menus->actionGeometry(menu).size();
            QVERIFY2(title.height() <= menus->height(), qPrintable(describe(menus, title)));
        }
    }
}

} // namespace

class TestTextFits final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_desktopFont = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_desktopFont); }

    void everyTextFits_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::newRow("desktop default") << m_desktopFont;
        QFont designSized(QStringLiteral("DejaVu Sans"));
        designSized.setPixelSize(9);
        QTest::newRow("design-sized") << designSized;
        for (const int points : {9, 10, 12})
            QTest::addRow("DejaVu Sans %d pt", points) << QFont(QStringLiteral("DejaVu Sans"), points);
    }

    void everyTextFits()
    {
        QFETCH(QFont, font);
        QApplication::setFont(font);
        MainWindowFixture fixture;
        fixture.addTable(QStringLiteral("Mail"));
        TfrmMain& form = fixture.start();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        verifyTextsFit(form);
        command(form, "actCompact")->trigger();
        verifyTextsFit(form);

        TfrmOptions options(form.settings(), TOptionsHotKey {[](quint16) { return true; }, [] {}}, &form);
        verifyTextsFit(options);
        TfrmSpecVar prompt(&form);
        prompt.LoadVarList(QStringLiteral("%name% %date%"));
        verifyTextsFit(prompt);
        TfrmAbout about(&form);
        verifyTextsFit(about);
    }

private:
    QFont m_desktopFont;
};

QTEST_MAIN(TestTextFits)
#include "tst_text_fits.moc"
