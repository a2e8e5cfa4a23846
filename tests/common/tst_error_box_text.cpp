// The full-stop rule of the standard error box.

#include "common/Common.h"

#include <QTest>

class TestErrorBoxText final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullStopAddedOnlyAfterCharactersAboveIt_data();
    void fullStopAddedOnlyAfterCharactersAboveIt();
};

void TestErrorBoxText::fullStopAddedOnlyAfterCharactersAboveIt_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << QStringLiteral("Disk full") << QStringLiteral("Disk full.");
    QTest::newRow("question mark sorts above") << QStringLiteral("Why?") << QStringLiteral("Why?.");
    QTest::newRow("digit sorts above") << QStringLiteral("Code 42") << QStringLiteral("Code 42.");
    QTest::newRow("full stop") << QStringLiteral("Done.") << QStringLiteral("Done.");
    QTest::newRow("exclamation sorts below") << QStringLiteral("Stop!") << QStringLiteral("Stop!");
    QTest::newRow("closing parenthesis sorts below") << QStringLiteral("(none)") << QStringLiteral("(none)");
    QTest::newRow("non-ASCII letter") << QStringLiteral("Zürich ü") << QStringLiteral("Zürich ü.");
    QTest::newRow("empty") << QString() << QString();
}

void TestErrorBoxText::fullStopAddedOnlyAfterCharactersAboveIt()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(message), shown);
}

QTEST_GUILESS_MAIN(TestErrorBoxText)
#include "tst_error_box_text.moc"
