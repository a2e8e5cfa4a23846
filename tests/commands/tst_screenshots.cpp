// Pictures of the program's windows on a real X server, written under
// ${PW_BUILD_DIR}/screenshots (or ${PW_SCREENSHOT_DIR}) for a person to look at: the main
// window in both layouts, the View menu, the Options dialog, the value prompt, the About
// box and the Library dialog. PW_SCREENSHOT_FONT ("DejaVu Sans,12") and PW_SCREENSHOT_PALETTE=dark show them
// at another font or on a dark desktop.

#include "tests/support/MainWindowFixture.h"

#include "app/About.h"
#include "common/DesignFont.h"
#include "delivery/SpecVar.h"
#include "library/LibraryDialog.h"
#include "settings/Options.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

QString screenshotDir()
{
    if (qEnvironmentVariableIsSet("PW_SCREENSHOT_DIR"))
        return qEnvironmentVariable("PW_SCREENSHOT_DIR");
    const QString build = qEnvironmentVariable("PW_BUILD_DIR", QDir::currentPath());
    return build + QStringLiteral("/screenshots");
}

// A dark desktop as the Fusion style draws it.
QPalette darkPalette()
{
    QPalette dark;
    const QColor window(53, 53, 53);
    const QColor text(230, 230, 230);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    return dark;
}

void applyLook()
{
    const QString font = qEnvironmentVariable("PW_SCREENSHOT_FONT");
    if (!font.isEmpty()) {
        const QStringList parts = font.split(QLatin1Char(','));
        QApplication::setFont(QFont(parts.first(), parts.value(1, QStringLiteral("9")).toInt()));
    }
    if (qEnvironmentVariable("PW_SCREENSHOT_PALETTE") == QLatin1String("dark")) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }
}

void save(QWidget& window, const QString& name)
{
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QDir().mkpath(screenshotDir());
    const QString path = screenshotDir() + QLatin1Char('/') + name;
    QVERIFY2(window.grab().save(path), qPrintable(path));
    qInfo("wrote %s", qPrintable(path));
}

void addEntries(const QString& library)
{
    const QString name = QStringLiteral("screenshots");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(library);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE \"Replies\" (name TEXT NOT NULL PRIMARY KEY "
                                          "COLLATE NOCASE, value TEXT)")));
        const char* rows[][2] = {
            {"Address", "12 Harbour Lane\nPortsmouth PO1 3AB"},
            {"Greeting", "Dear %name%,\n\nthank you for your letter of %date%."},
            {"Signature", "Kind regards,\nJo Miller"},
        };
        for (const auto& row : rows) {
            query.prepare(QStringLiteral("INSERT INTO \"Mail\" (name, value) VALUES (?, ?)"));
            query.addBindValue(QLatin1String(row[0]));
            query.addBindValue(QLatin1String(row[1]));
            QVERIFY(query.exec());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

class TestScreenshots final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windows()
    {
        applyLook();
        MainWindowFixture fixture({QStringLiteral("Mail")});
        addEntries(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/pastewise.mdb"));
        QVERIFY(!QTest::currentTestFailed());
        TfrmMain& form = fixture.start();
        // The widths the compact-mode command sets, grown with the font.
        const TDesignScale scale = DesignScaleOf(form.font());
        form.ShowCompactMode();
        QTRY_COMPARE_WITH_TIMEOUT(form.width(), scale(600 - 8), 5000);
        txtName(form)->setText(QStringLiteral("Gr"));
        save(form, QStringLiteral("main_full.png"));

        command(form, "actCompact")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(form.width(), scale(280 - 8), 5000);
        save(form, QStringLiteral("main_compact.png"));
        command(form, "actCompact")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(form.width(), scale(600 - 8), 5000);

        QMenu* view = ActionMainMenuBar1(form)->actions().at(2)->menu();
        view->popup(form.mapToGlobal(QPoint(0, 24)));
        save(*view, QStringLiteral("menu_view.png"));
        view->hide();

        TfrmOptions options(form.settings(), TOptionsHotKey {[](quint16) { return true; }, [] {}}, &form);
        options.FormCreate();
        options.show();
        save(options, QStringLiteral("options.png"));
        options.hide();

        TfrmSpecVar prompt(&form);
        prompt.LoadVarList(QStringLiteral("Dear %name%,\nthank you for your letter of %date%."));
        prompt.show();
        save(prompt, QStringLiteral("value_prompt.png"));
        prompt.hide();

        TfrmAbout about(&form);
        about.show();
        save(about, QStringLiteral("about.png"));
        about.hide();

        // After a connection test that failed, with its explanation.
        LibraryDialog library(
            QStringLiteral("postgresql://ann@/team?host=/nonexistent"),
            QStringLiteral("/home/ann/.local/share/Pastewise/pastewise.mdb"),
            [](const QString&) { return false; }, &form);
        library.show();
        library.findChild<QPushButton*>(QStringLiteral("btnTest"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(library.findChild<QLabel*>(QStringLiteral("lblStatus"))
                                     ->text()
                                     .contains(QLatin1String("could not be reached")),
            30000);
        save(library, QStringLiteral("library.png"));
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
