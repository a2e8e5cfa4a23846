// The program's dialogs as the window manager sees them: their own titles, owned by the main
// window, and no way to minimise the program away through them.

#include "tests/e2e/AppHarness.h"
#include "tests/e2e/XDesktop.h"

#include <QTest>

using namespace XDesktop;

namespace {
constexpr int kWaitMs = 20000;
const QStringList kOneTable = {
    QStringLiteral("CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"),
};

// The program's visible window with exactly this title, or "".
QString windowTitled(const AppHarness& app, const QString& title)
{
    return xdo({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                   QStringLiteral("--pid"), QString::number(app.pid()), QStringLiteral("--name"),
                   QLatin1Char('^') + title + QLatin1Char('$')})
        .section(QLatin1Char('\n'), 0, 0);
}
} // namespace

class TestFrames final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void optionsDialogIsOwnedTitledAndCannotBeMinimisedAway();
};

void TestFrames::optionsDialogIsOwnedTitledAndCannotBeMinimisedAway()
{
    AppHarness app;
    QVERIFY(app.createLibrary(kOneTable));
    QVERIFY(app.start());
    xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), app.mainWindow()});
    xdo({QStringLiteral("key"), QStringLiteral("alt+v")});
    xdo({QStringLiteral("key"), QStringLiteral("o")});
    // The title is the dialog's own, with nothing appended.
    QString dialog;
    QVERIFY(QTest::qWaitFor(
        [&] { return !(dialog = windowTitled(app, QStringLiteral("Options"))).isEmpty(); }, kWaitMs));
    QVERIFY(
        XDesktop::property(dialog, QStringLiteral("_NET_WM_NAME")).endsWith(QStringLiteral("= \"Options\"")));
    const QString owner = XDesktop::property(dialog, QStringLiteral("WM_TRANSIENT_FOR"))
                              .section(QLatin1Char('#'), 1)
                              .trimmed();
    QCOMPARE(owner.toULongLong(nullptr, 16), app.mainWindow().toULongLong());

    // A window manager that offers minimise anyway: the dialog and the window come back.
    xdo({QStringLiteral("windowminimize"), dialog});
    QVERIFY(QTest::qWaitFor(
        [&] { return wmState(dialog) == QLatin1String("Normal") && isViewable(dialog); }, kWaitMs));
    QVERIFY(QTest::qWaitFor([&] { return wmState(app.mainWindow()) == QLatin1String("Normal"); }, kWaitMs));

    // Enter presses OK, the default button, and the program ends normally.
    xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), dialog});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY(QTest::qWaitFor([&] { return windowTitled(app, QStringLiteral("Options")).isEmpty(); }, kWaitMs));
    QVERIFY(app.closeWindow());
    QVERIFY(app.boxesShown().isEmpty());
}

QTEST_MAIN(TestFrames)
#include "tst_frames.moc"
