#include "delivery/TextRoutines.h"

#include <QTest>

class TestTextRoutines final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identChar_data();
    void identChar();
    void replaceAll_data();
    void replaceAll();
    void replaceAllOfTakesFirstMatchingPattern();
    void convertEscapes_data();
    void convertEscapes();
};

void TestTextRoutines::identChar_data()
{
    QTest::addColumn<QChar>("c");
    QTest::addColumn<bool>("expected");
    for (char c : {'a', 'z', 'A', 'Z', '0', '9', '_'})
        QTest::addRow("'%c'", c) << QChar(QLatin1Char(c)) << true;
    // Just outside each accepted range, and the separators a template uses.
    for (char c : {'/', ':', '@', '[', '`', '{', '%', '-', ' ', '='})
        QTest::addRow("'%c'", c) << QChar(QLatin1Char(c)) << false;
    QTest::newRow("e acute") << QChar(0xE9) << false;
    QTest::newRow("cyrillic a") << QChar(0x0430) << false;
    QTest::newRow("fullwidth A") << QChar(0xFF21) << false;
    QTest::newRow("high surrogate") << QChar(0xD83D) << false;
    QTest::newRow("nul") << QChar(0) << false;
}

void TestTextRoutines::identChar()
{
    QFETCH(QChar, c);
    QFETCH(bool, expected);
    QCOMPARE(IsIdentChar(c), expected);
}

void TestTextRoutines::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every occurrence") << "a%x%b%x%"
                                      << "%x%"
                                      << "1"
                                      << "a1b1";
    QTest::newRow("empty replacement") << "%x%%x%"
                                       << "%x%"
                                       << ""
                                       << "";
    QTest::newRow("overlap leftmost first") << "aaa"
                                            << "aa"
                                            << "b"
                                            << "ba";
    QTest::newRow("overlap run of four") << "aaaa"
                                         << "aa"
                                         << "b"
                                         << "bb";
    QTest::newRow("overlap three in five") << "ababa"
                                           << "aba"
                                           << "X"
                                           << "Xba";
    QTest::newRow("replacement holds pattern") << "X"
                                               << "X"
                                               << "XX"
                                               << "XX";
    QTest::newRow("replacement holds placeholder") << "%x%"
                                                   << "%x%"
                                                   << "abc%x%"
                                                   << "abc%x%";
    QTest::newRow("inserted text joins neighbour") << "%x%x%"
                                                   << "%x%"
                                                   << "%"
                                                   << "%x%";
    QTest::newRow("case significant") << "Cr"
                                      << "cr"
                                      << "!"
                                      << "Cr";
    QTest::newRow("no occurrence") << "plain text"
                                   << "%x%"
                                   << "1"
                                   << "plain text";
    QTest::newRow("pattern longer than text") << "%x"
                                              << "%x%"
                                              << "1"
                                              << "%x";
    QTest::newRow("match at the very end") << "ab%x%"
                                           << "%x%"
                                           << ""
                                           << "ab";
    QTest::newRow("empty text") << ""
                                << "%x%"
                                << "1"
                                << "";
    QTest::newRow("empty pattern leaves text") << "abc"
                                               << ""
                                               << "z"
                                               << "abc";
    QTest::newRow("non-ascii around match")
        << QString::fromUtf8("é%x%ü") << "%x%" << QString::fromUtf8("ß") << QString::fromUtf8("éßü");
    // U+1F600 is D83D DE00 and U+1F601 is D83D DE01: a lone half must not match inside them.
    QTest::newRow("no match of a low half") << QString::fromUtf8("\U0001F600") << QString(QChar(0xDE00))
                                            << "x" << QString::fromUtf8("\U0001F600");
    QTest::newRow("no match of a high half") << QString::fromUtf8("\U0001F601") << QString(QChar(0xD83D))
                                             << "x" << QString::fromUtf8("\U0001F601");
    QTest::newRow("whole pair matches")
        << QString::fromUtf8("a\U0001F600b") << QString::fromUtf8("\U0001F600") << "-"
        << "a-b";
    QTest::newRow("lone half matches itself") << QString(QChar(0xD83D)) + "a" << QString(QChar(0xD83D)) << "x"
                                              << "xa";
}

void TestTextRoutines::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    const QString original = text;
    QCOMPARE(ReplaceAll(text, pattern, replacement), expected);
    QCOMPARE(text, original);
}

void TestTextRoutines::replaceAllOfTakesFirstMatchingPattern()
{
    // One scan for all forms: a value that spells another form is not examined again.
    QCOMPARE(ReplaceAllOf("%Name% %name% %NAME%", {"%Name%", "%name%"}, "%name%"), "%name% %name% %NAME%");
    QCOMPARE(ReplaceAllOf("abc", {"ab", "abc"}, "x"), "xc");
    QCOMPARE(ReplaceAllOf("abc", {}, "x"), "abc");
}

void TestTextRoutines::convertEscapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("adjacent line breaks") << "\\cr\\cr"
                                          << "\r\n\r\n";
    QTest::newRow("tab name break") << "\\tbName\\cr"
                                    << "\tName\r\n";
    QTest::newRow("two tabs") << "\\tb\\tb"
                              << "\t\t";
    QTest::newRow("backspace is a character") << "ab\\bk" << QString("ab") + QChar(8);
    QTest::newRow("upper case not a code") << "\\CR\\Tb\\bK"
                                           << "\\CR\\Tb\\bK";
    QTest::newRow("unknown code") << "\\n\\t"
                                  << "\\n\\t";
    QTest::newRow("doubled backslash") << "\\\\tb"
                                       << "\\\t";
    QTest::newRow("truncated code") << "\\c"
                                    << "\\c";
    QTest::newRow("code letters without backslash") << "crtbbk"
                                                    << "crtbbk";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("all three") << "a\\crb\\tbc\\bkd" << QString("a\r\nb\tc") + QChar(8) + "d";
}

void TestTextRoutines::convertEscapes()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ConvertEscapes(text), expected);
}

QTEST_APPLESS_MAIN(TestTextRoutines)
#include "tst_TextRoutines.moc"
