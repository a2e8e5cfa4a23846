#include "delivery/VarList.h"

#include <QTest>

namespace {

const QLocale English(QLocale::English, QLocale::UnitedStates);

QStringList Names(const VarList& rows)
{
    QStringList names;
    for (const VarRow& row : rows)
        names.append(row.name);
    return names;
}

} // namespace

class TestVarList final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scan_data();
    void scan();
    void scanKeepsEveryCaseForm();
    void substitute_data();
    void substitute();
};

void TestVarList::scan_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("two names in order")
        << "Dear %name%, order %order_no% ships today." << QStringList {"name", "order_no"};
    QTest::newRow("listed once") << "%x% and %x%" << QStringList {"x"};
    QTest::newRow("sorted") << "%b% %a%" << QStringList {"a", "b"};
    QTest::newRow("sorted without case") << "%b% %A% %C%" << QStringList {"A", "b", "C"};
    QTest::newRow("prefix before longer name") << "%a1% %ab% %a%" << QStringList {"a", "a1", "ab"};
    QTest::newRow("empty pair") << "%%" << QStringList {};
    QTest::newRow("percent as text") << "100% sure" << QStringList {};
    QTest::newRow("space in name") << "%a b%" << QStringList {};
    QTest::newRow("closing never opens") << "%a%b%" << QStringList {"a"};
    QTest::newRow("back to back") << "%a%%b%" << QStringList {"a", "b"};
    QTest::newRow("resume at the space") << "%a b%c%" << QStringList {"c"};
    QTest::newRow("text before percent") << "50%off%" << QStringList {"off"};
    QTest::newRow("digit name") << "%1%" << QStringList {"1"};
    QTest::newRow("accented name") << QString::fromUtf8("%é%") << QStringList {};
    QTest::newRow("accent ends name") << QString::fromUtf8("%aé%b%") << QStringList {"b"};
    QTest::newRow("pair skipped whole") << "%%a%" << QStringList {};
    QTest::newRow("unclosed at end") << "%abc" << QStringList {};
    QTest::newRow("percent in last two places") << "ab%x" << QStringList {};
    QTest::newRow("split by LF") << "%na\nme%" << QStringList {};
    QTest::newRow("split by CRLF") << "%na\r\nme%" << QStringList {};
    QTest::newRow("split by CR") << "%na\rme%" << QStringList {};
    QTest::newRow("one per line") << "%x%\r\n%y%\n%z%" << QStringList {"x", "y", "z"};
    QTest::newRow("empty") << "" << QStringList {};
}

void TestVarList::scan()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(Names(ScanVarList(text, English)), names);
    for (const VarRow& row : ScanVarList(text, English))
        QVERIFY(row.value.isEmpty());
}

void TestVarList::scanKeepsEveryCaseForm()
{
    const VarList rows = ScanVarList(QStringList {"%Name% %NAME%", "%name% %Name% %x%"}, English);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, "Name");
    QCOMPARE(rows[0].forms, (QStringList {"Name", "NAME", "name"}));
    QCOMPARE(rows[1].forms, QStringList {"x"});
}

void TestVarList::substitute_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letter") << "Dear %name%, order %order_no% ships today." << QStringList {"Ann", "4711"}
                            << "Dear Ann, order 4711 ships today.";
    QTest::newRow("every placeholder") << "%x% and %x%" << QStringList {"v"} << "v and v";
    QTest::newRow("only listed placeholders") << "%a%b%" << QStringList {"X"} << "Xb%";
    QTest::newRow("other percents stay") << "50%off% 100% %%" << QStringList {"20"} << "5020 100% %%";
    QTest::newRow("empty value removes") << "a%x%b" << QStringList {""} << "ab";
    QTest::newRow("escape codes not decoded") << "%x%" << QStringList {"\\cr"} << "\\cr";
    QTest::newRow("own placeholder not expanded") << "%x%" << QStringList {"<%x%>"} << "<%x%>";
    // Rows run top to bottom: a value may feed a later row, never an earlier one.
    QTest::newRow("value feeds later row") << "%x% %y%" << QStringList {"%y%", "1"} << "1 1";
    QTest::newRow("value skips earlier row") << "%a% %x%" << QStringList {"1", "%a%"} << "1 %a%";
    QTest::newRow("across lines") << "%x%\n%x%" << QStringList {"v"} << "v\nv";
    QTest::newRow("every case form") << "%Name%, %name% and %NAME%" << QStringList {"Ann"}
                                     << "Ann, Ann and Ann";
    QTest::newRow("case form in value stays") << "%Name% %name%" << QStringList {"%name%"} << "%name% %name%";
}

void TestVarList::substitute()
{
    QFETCH(QString, text);
    QFETCH(QStringList, values);
    QFETCH(QString, expected);

    VarList rows = ScanVarList(text, English);
    QCOMPARE(rows.size(), values.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i].value = values[i];
    QCOMPARE(SubstituteVars(text, rows), expected);
}

QTEST_APPLESS_MAIN(TestVarList)
#include "tst_VarList.moc"
