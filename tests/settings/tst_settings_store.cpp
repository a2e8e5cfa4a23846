// The accessor routines and the load/save routines against real files in a
// temporary folder that stands in for the user's configuration directory.

#include "common/Common.h"
#include "common/Declare.h"
#include "settings/Registry.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <unistd.h>

namespace {

const QByteArray KeyOnly = "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\n";

// Root ignores folder permissions, so a test that needs a read-only folder runs its
// write as an unprivileged user while it lasts.
class UnprivilegedScope final {
public:
    UnprivilegedScope()
    {
        // The group goes first: the root group would otherwise pick the group bits.
        if (geteuid() == 0)
            m_dropped = setegid(65534) == 0 && seteuid(65534) == 0;
    }
    ~UnprivilegedScope()
    {
        if (m_dropped && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("cannot regain root");
    }
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;

private:
    bool m_dropped = false;
};

} // namespace

class TestSettingsStore final : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString SettingsFile() const { return SettingsFilePath(); }

    void WriteFile(const QByteArray& bytes)
    {
        QVERIFY(QDir().mkpath(QFileInfo(SettingsFile()).absolutePath()));
        QFile file(SettingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray ReadFile() const
    {
        QFile file(SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList StoredNames() const
    {
        const RegistryFile file = RegistryFile::Parse(ReadFile(), SettingsKeyPath(ProductName));
        QStringList names;
        for (const RegValue& value : file.Values())
            names << value.Name;
        return names;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
        ProductName = QStringLiteral("Pastewise");
        CreateSettingsRegistry();
        QVERIFY(SettingsRegistry);
    }

    void cleanup()
    {
        ReleaseSettingsRegistry();
        m_dir.reset();
    }

    void filePathFollowsEnvironmentAndProductName()
    {
        QCOMPARE(SettingsFile(), m_dir->path() + QStringLiteral("/Quillmoor/Pastewise/Settings.reg"));
        ProductName = QStringLiteral("Other");
        QCOMPARE(SettingsFile(), m_dir->path() + QStringLiteral("/Quillmoor/Other/Settings.reg"));
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "/home/someone");
        for (const QByteArray& ignored : {QByteArray(), QByteArray("relative/dir")}) {
            qputenv("XDG_CONFIG_HOME", ignored);
            QCOMPARE(SettingsFile(), QStringLiteral("/home/someone/.config/Quillmoor/Other/Settings.reg"));
        }
        qputenv("HOME", home);
        for (const QString& bad : {QString(), QStringLiteral(".."), QStringLiteral("a/../b")}) {
            ProductName = bad;
            QVERIFY(SettingsFile().isEmpty());
            QCOMPARE(ReadRegInt(QStringLiteral("X"), 7), 7);
            QVERIFY(!WriteRegInt(QStringLiteral("X"), 1));
        }
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void firstStartCreatesKeyAndGivesDefaults()
    {
        ActivationKey = 5;
        AutoAppend = true;
        AutoAppendStr = QStringLiteral("x");
        CompactMode = true;
        CommandChecks checks;
        checks.TopMost = true;
        LoadSettingsValues(checks);
        QCOMPARE(ReadFile(), KeyOnly);
        QCOMPARE(ActivationKey, 16503);
        QCOMPARE(AutoAppend, false);
        QCOMPARE(AutoAppendStr, QString());
        QCOMPARE(CompactMode, false);
        QCOMPARE(checks.TrayIcon, true);
        QCOMPARE(checks.PasteAutoHide, true);
        QCOMPARE(checks.TopMost, false);
        const PlacementToApply placement = LoadWindowPlacementValues();
        QCOMPARE(placement.ApplyBounds, false);
        QCOMPARE(placement.Maximize, false);
    }

    void withoutAccessorReadsDefaultAndWritesFail()
    {
        ReleaseSettingsRegistry();
        QCOMPARE(ReadRegString(QStringLiteral("S"), QStringLiteral("d")), QStringLiteral("d"));
        QVERIFY(!WriteRegString(QStringLiteral("S"), QStringLiteral("v")));
        QVERIFY(!QFile::exists(SettingsFile()));
    }

    void readsStoredValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<qint32>("activationKey");
        QTest::addColumn<bool>("topMost");
        QTest::addColumn<QString>("autoAppendStr");
        QTest::newRow("hotkey 0 means Ctrl+F8")
            << QByteArray("\"ActivationKey\"=dword:00000000") << 16503 << false << "";
        QTest::newRow("hotkey as text") << QByteArray("\"ActivationKey\"=\"16462\"") << 16503 << false << "";
        QTest::newRow("hotkey of four hex bytes")
            << QByteArray("\"ActivationKey\"=hex(4):4e,40,00,00") << 16462 << false << "";
        QTest::newRow("hotkey of five bytes")
            << QByteArray("\"ActivationKey\"=hex(4):4e,40,00,00,00") << 16503 << false << "";
        QTest::newRow("hotkey of three bytes")
            << QByteArray("\"ActivationKey\"=hex(4):4e,40,00") << 16503 << false << "";
        QTest::newRow("TopMost 256 is false")
            << QByteArray("\"TopMost\"=dword:00000100") << 16503 << false << "";
        QTest::newRow("TopMost 2 is true") << QByteArray("\"TopMost\"=dword:00000002") << 16503 << true << "";
        QTest::newRow("text as dword")
            << QByteArray("\"AutoAppendStr\"=dword:00000001") << 16503 << false << "";
        QTest::newRow("expand string as stored")
            << QByteArray("\"AutoAppendStr\"=hex(2):25,00,41,00,25,00,00,00") << 16503 << false << "%A%";
    }

    void readsStoredValues()
    {
        QFETCH(QByteArray, line);
        WriteFile(KeyOnly + line + '\n');
        CommandChecks checks;
        LoadSettingsValues(checks);
        QTEST(ActivationKey, "activationKey");
        QTEST(checks.TopMost, "topMost");
        QTEST(AutoAppendStr, "autoAppendStr");
        QCOMPARE(ReadFile(), KeyOnly + line + '\n');
    }

    void emptyTextIsNotTheDefault()
    {
        WriteFile(KeyOnly + "\"S\"=\"\"\n\"Z\"=hex(1):\n");
        QCOMPARE(ReadRegString(QStringLiteral("S"), QStringLiteral("d")), QString());
        QCOMPARE(ReadRegString(QStringLiteral("Z"), QStringLiteral("d")), QString());
    }

    void placement_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("apply");
        QTest::addColumn<bool>("maximize");
        const QByteArray valid = "\"WindowTop\"=dword:00000014\n\"WindowWidth\"=dword:00000190\n"
                                 "\"WindowHeight\"=dword:0000012c\n";
        QTest::newRow("negative left, still maximised")
            << valid + "\"WindowLeft\"=dword:fffffff8\n\"WindowMaximized\"=dword:00000001\n"
            << false << true;
        QTest::newRow("zero is not negative") << valid + "\"WindowLeft\"=dword:00000000\n" << true << false;
        QTest::newRow("one missing") << valid << false << false;
    }

    void placement()
    {
        QFETCH(QByteArray, lines);
        WriteFile(KeyOnly + lines);
        const PlacementToApply placement = LoadWindowPlacementValues();
        QTEST(placement.ApplyBounds, "apply");
        QTEST(placement.Maximize, "maximize");
        QCOMPARE(placement.Bounds.Top, 20);
        QCOMPARE(placement.Bounds.Width, 400);
        QCOMPARE(placement.Bounds.Height, 300);
    }

    void freshFileGetsAllValuesInExitOrder()
    {
        WriteFile(KeyOnly + "\"ActivationKey\"=dword:00000000\n");
        CommandChecks checks;
        LoadSettingsValues(checks);
        QVERIFY(QFile::remove(SettingsFile()));
        AutoAppendStr = QStringLiteral("Grüße \"\\t\"");
        CurTable = QStringLiteral("Tabelle");
        SaveWindowPlacementValues(WindowBounds {-4, 10, 0, 300, true});
        QVERIFY(SaveSettingsValues(checks));

        const QStringList expected {"WindowLeft", "WindowTop", "WindowWidth", "WindowHeight",
            "WindowMaximized", "ActivationKey", "FirstRun", "AutoAppend", "AutoAppendStr", "TrayIcon",
            "PasteAutoHide", "TopMost", "CompactMode", "CurTable"};
        QCOMPARE(StoredNames(), expected);
        QCOMPARE(ReadRegInt(QStringLiteral("ActivationKey"), 0), 16503);
        QCOMPARE(ReadRegInt(QStringLiteral("FirstRun"), 7), 0);
        QCOMPARE(ReadRegInt(QStringLiteral("WindowLeft"), 0), -4);
        QCOMPARE(ReadRegBool(QStringLiteral("TrayIcon"), false), true);
        QCOMPARE(ReadRegString(QStringLiteral("AutoAppendStr"), QString()), AutoAppendStr);
    }

    void corruptFileGivesDefaultsAndIsRepaired()
    {
        QByteArray garbage;
        QRandomGenerator random(42);
        for (int i = 0; i < 4096; ++i)
            garbage.append(char(random.bounded(256)));
        WriteFile(garbage + "\n\"TopMost\"=dword:00000001\n" + KeyOnly
            + "\"TopMost\"=dword:zz\n\"CurTable\"=\"kept\"\n" + garbage);
        CommandChecks checks;
        LoadSettingsValues(checks);
        QCOMPARE(checks.TopMost, false);
        QCOMPARE(ReadRegString(QStringLiteral("CurTable"), QString()), QStringLiteral("kept"));
        QVERIFY(WriteRegBool(QStringLiteral("TopMost"), true));
        QCOMPARE(ReadFile(), KeyOnly + "\"CurTable\"=\"kept\"\n\"TopMost\"=dword:00000001\n");
    }

    void utf16FileIsReadAndRewrittenAsUtf8()
    {
        const QString text = QString::fromUtf8(KeyOnly).replace(QLatin1Char('\n'), QStringLiteral("\r\n"))
            + QStringLiteral("\"CurTable\"=\"Grüße\"\r\n\"ActivationKey\"=dword:00004045\r\n");
        WriteFile("\xff\xfe" + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
        QCOMPARE(ReadRegString(QStringLiteral("CurTable"), QString()), QStringLiteral("Grüße"));
        QVERIFY(WriteRegBool(QStringLiteral("TopMost"), false));
        QCOMPARE(ReadFile(),
            KeyOnly
                + "\"CurTable\"=\"Grüße\"\n\"ActivationKey\"=dword:00004045\n\"TopMost\"=dword:00000000\n");
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("read-only folder") << QString();
        QTest::newRow("settings file is a folder") << QStringLiteral("Quillmoor/Pastewise/Settings.reg");
    }

    void failedWriteChangesNothing()
    {
        QFETCH(QString, blocker);
        const QString folder = QFileInfo(SettingsFile()).absolutePath();
        if (!blocker.isEmpty()) {
            QVERIFY(QDir().mkpath(m_dir->filePath(blocker)));
            QVERIFY(!WriteRegInt(QStringLiteral("TopMost"), 1));
            QCOMPARE(ReadRegInt(QStringLiteral("TopMost"), 9), 9);
            return;
        }
        QVERIFY(WriteRegString(QStringLiteral("CurTable"), QStringLiteral("before")));
        const QByteArray before = ReadFile();
        const QStringList entries = QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        // Readable by the unprivileged user, writable by nobody.
        QVERIFY(QFile::setPermissions(m_dir->path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(m_dir->filePath("Quillmoor"),
            QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(SettingsFile() + ".lock",
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
        QVERIFY(QFile::setPermissions(
            folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        bool written = true;
        QString read;
        {
            const UnprivilegedScope scope;
            read = ReadRegString(QStringLiteral("CurTable"), QString());
            written = WriteRegString(QStringLiteral("CurTable"), QStringLiteral("after"));
        }
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(
            m_dir->filePath("Quillmoor"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(read, QStringLiteral("before"));
        QVERIFY(!written);
        QCOMPARE(ReadFile(), before);
        QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), entries);
    }

    void concurrentWritersLoseNothing()
    {
        // Each writer re-reads and replaces the whole file; without the lock, one writer's
        // replacement would drop the values the other wrote in between.
        constexpr int Writers = 3;
        constexpr int Values = 25;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int w = 0; w < Writers; ++w) {
            threads.emplace_back(QThread::create([w] {
                for (int i = 0; i < Values; ++i)
                    WriteRegInt(QStringLiteral("W%1V%2").arg(w).arg(i), w * 1000 + i);
            }));
            threads.back()->start();
        }
        for (const auto& thread : threads)
            QVERIFY(thread->wait(QDeadlineTimer(60000)));
        QCOMPARE(StoredNames().size(), Writers * Values);
        for (int w = 0; w < Writers; ++w) {
            for (int i = 0; i < Values; ++i)
                QCOMPARE(ReadRegInt(QStringLiteral("W%1V%2").arg(w).arg(i), -1), w * 1000 + i);
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
