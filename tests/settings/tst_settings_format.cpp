// The settings file format on its own: what is written, what is read back, and what
// is ignored.

#include "settings/RegistryFile.h"

#include <QTest>

namespace {

const QString Key = SettingsKeyPath(QStringLiteral("Pastewise"));

QByteArray WithKey(const QByteArray& valueLines)
{
    return QByteArray(RegFileHeader) + "\n\n[" + Key.toUtf8() + "]\n" + valueLines;
}

} // namespace

class TestSettingsFormat final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesTheExportForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("escapes") << QString("Na\"me\\") << RegType::Sz
                                 << EncodeRegSz(QStringLiteral("C:\\a \"b\""))
                                 << QByteArray("\"Na\\\"me\\\\\"=\"C:\\\\a \\\"b\\\"\"");
        QTest::newRow("non-ASCII stays UTF-8")
            << QString("Str") << RegType::Sz << EncodeRegSz(QStringLiteral("Grüße €"))
            << QByteArray("\"Str\"=\"Grüße €\"");
        QTest::newRow("negative dword") << QString("WindowLeft") << RegType::Dword << EncodeDword(-1)
                                        << QByteArray("\"WindowLeft\"=dword:ffffffff");
        QTest::newRow("short dword") << QString("D") << RegType::Dword << QByteArray("\x01\x02\x03", 3)
                                     << QByteArray("\"D\"=hex(4):01,02,03");
        QTest::newRow("line break in text")
            << QString("S") << RegType::Sz << EncodeRegSz(QStringLiteral("a\nb"))
            << QByteArray("\"S\"=hex(1):61,00,0a,00,62,00,00,00");
        QTest::newRow("expand string")
            << QString("E") << RegType::ExpandSz << EncodeRegSz(QStringLiteral("%A%"))
            << QByteArray("\"E\"=hex(2):25,00,41,00,25,00,00,00");
        QTest::newRow("qword, default value") << QString("") << quint32(11) << QByteArray(8, '\x7f')
                                              << QByteArray("@=hex(b):7f,7f,7f,7f,7f,7f,7f,7f");
    }

    void writesTheExportForm()
    {
        QFETCH(QString, name);
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, line);
        RegistryFile file(Key);
        file.Set({name, type, data});
        const QByteArray text = file.Serialise();
        QCOMPARE(text, WithKey(line + '\n'));

        const RegistryFile back = RegistryFile::Parse(text, Key);
        QCOMPARE(back.Values().size(), 1);
        QCOMPARE(back.Values()[0].Name, name);
        QCOMPARE(back.Values()[0].Type, type);
        QCOMPARE(back.Values()[0].Data, data);
    }

    void longHexWrapsAndReadsBack()
    {
        QByteArray data;
        for (int i = 0; i < 100; ++i)
            data.append(char(i));
        RegistryFile file(Key);
        file.Set({QStringLiteral("Blob"), RegType::Binary, data});
        const QByteArray text = file.Serialise();
        for (const QByteArray& line : text.split('\n'))
            QVERIFY2(line.size() <= 80, line.constData());
        QVERIFY(text.count("\\\n  ") >= 3);
        QCOMPARE(RegistryFile::Parse(text, Key).Find(QStringLiteral("blob"))->Data, data);
    }

    void readsRegeditOutput()
    {
        // CRLF line ends, comments, other keys, key line and names in other letter case,
        // a continued hex(2) value in UTF-16LE, a repeated name.
        const QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Other]\r\n"
                                "\"CurTable\"=\"wrong key\"\r\n"
                                "; a comment\r\n"
                                "[hkey_current_user\\software\\quillmoor\\pastewise\\settings]\r\n"
                                "\"CurTable\"=\"first\"\r\n"
                                "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,\\\r\n"
                                "  78,00,00,00\r\n"
                                "\"curtable\"=\"last\"\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Other]\r\n"
                                "\"After\"=dword:00000001\r\n";
        const RegistryFile file = RegistryFile::Parse(text, Key);
        QCOMPARE(file.Values().size(), 2);
        QCOMPARE(file.Values()[0].Name, QStringLiteral("CurTable"));
        QCOMPARE(DecodeRegSz(file.Values()[0].Data), QStringLiteral("last"));
        const RegValue* path = file.Find(QStringLiteral("PATH"));
        QVERIFY(path);
        QCOMPARE(path->Type, RegType::ExpandSz);
        QCOMPARE(DecodeRegSz(path->Data), QStringLiteral("%TEMP%\\x"));
    }

    void ignoresLinesItCannotParse_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("unterminated name") << QByteArray("\"Bad=dword:00000001");
        QTest::newRow("unterminated text") << QByteArray("\"Bad\"=\"abc");
        QTest::newRow("text then junk") << QByteArray("\"Bad\"=\"abc\" junk");
        QTest::newRow("dword not hex") << QByteArray("\"Bad\"=dword:0000xyz1");
        QTest::newRow("dword with prefix") << QByteArray("\"Bad\"=dword:0x10");
        QTest::newRow("dword with sign") << QByteArray("\"Bad\"=dword:+10");
        QTest::newRow("hex byte too wide") << QByteArray("\"Bad\"=hex:00,100");
        QTest::newRow("hex gap") << QByteArray("\"Bad\"=hex:00,,01");
        QTest::newRow("deletion") << QByteArray("\"Bad\"=-");
    }

    void ignoresLinesItCannotParse()
    {
        QFETCH(QByteArray, line);
        const RegistryFile file
            = RegistryFile::Parse(WithKey("\"A\"=dword:00000001\n" + line + "\n\"B\"=\"b\"\n"), Key);
        QCOMPARE(file.Values().size(), 2);
        QVERIFY(file.Find(QStringLiteral("A")));
        QVERIFY(file.Find(QStringLiteral("B")));
        QVERIFY(!file.Find(QStringLiteral("Bad")));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFormat)
#include "tst_settings_format.moc"
