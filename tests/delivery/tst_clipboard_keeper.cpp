// The clipboard keeper on the real X clipboard: what another program offered before a paste,
// in every format, is offered again after it.

#include "delivery/DesktopRoutines.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

constexpr int WaitMs = 10000;

// The selection as another client reads it, in one format. Events are served meanwhile, since
// this program may be the owner that has to answer.
QByteArray clipboardAs(const QString& target)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
        {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
            QStringLiteral("-t"), target});
    if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, WaitMs)
        || xclip.exitCode() != 0)
        return {};
    return xclip.readAllStandardOutput();
}

} // namespace

class TestClipboardKeeper final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("wish")).isEmpty(),
            "wish (package tk) is missing");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty(), "xclip is missing");
    }

    void everyFormatIsBackAfterThePaste()
    {
        // Tk offers the clipboard as HTML and as plain text until it is told to stop.
        QProcess owner;
        owner.start(QStringLiteral("wish"), {});
        QVERIFY(owner.waitForStarted(WaitMs));
        owner.write("wm withdraw .\n"
                    "clipboard clear\n"
                    "clipboard append -type text/html {<b>kept</b>}\n"
                    "clipboard append {kept}\n"
                    "puts ready\n"
                    "flush stdout\n");
        QVERIFY(QTest::qWaitFor([&] { return owner.canReadLine(); }, WaitMs));
        QVERIFY(QTest::qWaitFor(
            [] {
                const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
                return data != nullptr && data->hasHtml();
            },
            WaitMs));

        DesktopClipboardKeeper keeper;
        keeper.keep();
        QVERIFY(SetClipboardText(QStringLiteral("pasted")));
        keeper.restoreAfterPaste(QStringLiteral("pasted"));
        QCOMPARE(clipboardAs(QStringLiteral("UTF8_STRING")), QByteArray("pasted"));

        QVERIFY2(
            QTest::qWaitFor([] { return clipboardAs(QStringLiteral("text/html")) == "<b>kept</b>"; }, WaitMs),
            clipboardAs(QStringLiteral("TARGETS")).constData());
        QCOMPARE(clipboardAs(QStringLiteral("UTF8_STRING")), QByteArray("kept"));

        owner.write("exit\n");
        owner.closeWriteChannel();
        if (!owner.waitForFinished(WaitMs))
            owner.kill();
    }
};

QTEST_MAIN(TestClipboardKeeper)
#include "tst_clipboard_keeper.moc"
