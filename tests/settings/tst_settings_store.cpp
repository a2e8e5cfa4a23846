// The accessor routines and the load/save routines against real files in a
// temporary folder that stands in for the user's configuration directory.

#include "common/Common.h"
#include "settings/Registry.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/wait.h>
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

// How often the files of a folder are opened, as the kernel reports it.
class OpenCounter final {
public:
    explicit OpenCounter(const QString& folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        // Closes are watched too: the kernel merges identical events that follow each other.
        if (m_fd < 0
            || inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_CLOSE) < 0)
            qFatal("inotify is not available");
    }
    ~OpenCounter() { ::close(m_fd); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    // Opens of the file `name` since the last call.
    int Take(const QByteArray& name)
    {
        int count = 0;
        alignas(inotify_event) char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + i);
                if ((event->mask & IN_OPEN) != 0 && event->len > 0 && name == event->name)
                    ++count;
                i += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return count;
    }

private:
    int m_fd = -1;
};

} // namespace

class TestSettingsStore final : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TRegistry> m_registry;

    QString SettingsFile() const { return m_registry->FilePath(); }
    Settings Load() { return LoadSettingsValues(m_registry.get()); }
    bool Save(const Settings& settings) { return SaveSettingsValues(m_registry.get(), settings); }
    QString ReadRegString(const QString& name, const QString& def)
    {
        return m_registry->ReadRegString(name, def);
    }
    bool WriteRegString(const QString& name, const QString& v) { return m_registry->WriteRegString(name, v); }
    qint32 ReadRegInt(const QString& name, qint32 def) { return m_registry->ReadRegInt(name, def); }
    bool WriteRegInt(const QString& name, qint32 value) { return m_registry->WriteRegInt(name, value); }
    bool ReadRegBool(const QString& name, bool def) { return m_registry->ReadRegBool(name, def); }
    bool WriteRegBool(const QString& name, bool value) { return m_registry->WriteRegBool(name, value); }

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

    RegistryFile Stored() const
    {
        return RegistryFile::Parse(ReadFile(), SettingsKeyPath(QString::fromLatin1(ProductName)));
    }

    QByteArray StoredData(const QString& name) const
    {
        const RegistryFile file = Stored();
        const RegValue* value = file.Find(name);
        return value != nullptr ? value->Data : QByteArray();
    }

    QStringList StoredNames() const
    {
        const RegistryFile file = Stored();
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
        m_registry = std::make_unique<TRegistry>(QString::fromLatin1(ProductName));
    }

    void cleanup()
    {
        m_registry.reset();
        m_dir.reset();
    }

    void filePathFollowsEnvironmentAndProductName()
    {
        QCOMPARE(SettingsFile(), m_dir->path() + QStringLiteral("/Quillmoor/Pastewise/Settings.reg"));
        m_registry = std::make_unique<TRegistry>(QStringLiteral("Other"));
        QCOMPARE(SettingsFile(), m_dir->path() + QStringLiteral("/Quillmoor/Other/Settings.reg"));
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "/home/someone");
        for (const QByteArray& ignored : {QByteArray(), QByteArray("relative/dir")}) {
            qputenv("XDG_CONFIG_HOME", ignored);
            QCOMPARE(SettingsFile(), QStringLiteral("/home/someone/.config/Quillmoor/Other/Settings.reg"));
        }
        qputenv("HOME", home);
        for (const QString& bad : {QString(), QStringLiteral(".."), QStringLiteral("a/../b")}) {
            m_registry = std::make_unique<TRegistry>(bad);
            QVERIFY(SettingsFile().isEmpty());
            QCOMPARE(ReadRegInt(QStringLiteral("X"), 7), 7);
            QVERIFY(!WriteRegInt(QStringLiteral("X"), 1));
        }
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void firstStartCreatesKeyAndGivesDefaults()
    {
        const Settings settings = Load();
        QCOMPARE(ReadFile(), KeyOnly);
        QCOMPARE(settings.ActivationKey, 16503);
        QCOMPARE(settings.AutoAppend, false);
        QCOMPARE(settings.AutoAppendStr, QString());
        QCOMPARE(settings.CompactMode, false);
        QCOMPARE(settings.TrayIcon, true);
        QCOMPARE(settings.PasteAutoHide, true);
        QCOMPARE(settings.TopMost, false);
        QCOMPARE(settings.CurTable, QString());
        const PlacementToApply placement = PlacementToApplyFrom(settings);
        QCOMPARE(placement.ApplyBounds, false);
        QCOMPARE(placement.Maximize, false);
    }

    void withoutAccessorReadsDefaultAndWritesFail()
    {
        const QString file = SettingsFile();
        const Settings settings = LoadSettingsValues(nullptr);
        QCOMPARE(settings.TrayIcon, true);
        QCOMPARE(settings.ActivationKey, 16503);
        QVERIFY(!SaveSettingsValues(nullptr, settings));
        QVERIFY(!QFile::exists(file));
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
        const Settings settings = Load();
        QTEST(settings.ActivationKey, "activationKey");
        QTEST(settings.TopMost, "topMost");
        QTEST(settings.AutoAppendStr, "autoAppendStr");
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
        const PlacementToApply placement = PlacementToApplyFrom(Load());
        QTEST(placement.ApplyBounds, "apply");
        QTEST(placement.Maximize, "maximize");
        QCOMPARE(placement.Bounds.Top, 20);
        QCOMPARE(placement.Bounds.Width, 400);
        QCOMPARE(placement.Bounds.Height, 300);
    }

    void freshFileGetsAllValuesInExitOrder()
    {
        WriteFile(KeyOnly + "\"ActivationKey\"=dword:00000000\n");
        Settings settings = Load();
        QVERIFY(QFile::remove(SettingsFile()));
        settings.AutoAppendStr = QStringLiteral("Grüße \"\\t\"");
        settings.CurTable = QStringLiteral("Tabelle");
        settings.WindowLeft = -4;
        settings.WindowTop = 10;
        settings.WindowWidth = 0;
        settings.WindowHeight = 300;
        settings.WindowMaximized = true;
        QVERIFY(Save(settings));

        const QStringList expected {"WindowLeft", "WindowTop", "WindowWidth", "WindowHeight",
            "WindowMaximized", "ActivationKey", "FirstRun", "AutoAppend", "AutoAppendStr", "TrayIcon",
            "PasteAutoHide", "TopMost", "CompactMode", "CurTable", "RestoreClipboard", "Library"};
        QCOMPARE(StoredNames(), expected);
        QCOMPARE(ReadRegInt(QStringLiteral("ActivationKey"), 0), 16503);
        QCOMPARE(ReadRegInt(QStringLiteral("FirstRun"), 7), 0);
        QCOMPARE(ReadRegInt(QStringLiteral("WindowLeft"), 0), -4);
        QCOMPARE(ReadRegBool(QStringLiteral("TrayIcon"), false), true);
        QCOMPARE(ReadRegString(QStringLiteral("AutoAppendStr"), QString()), settings.AutoAppendStr);
    }

    void corruptFileGivesDefaultsAndIsRepaired()
    {
        QByteArray garbage;
        QRandomGenerator random(42);
        for (int i = 0; i < 4096; ++i)
            garbage.append(char(random.bounded(256)));
        WriteFile(garbage + "\n\"TopMost\"=dword:00000001\n" + KeyOnly
            + "\"TopMost\"=dword:zz\n\"CurTable\"=\"kept\"\n" + garbage);
        QCOMPARE(Load().TopMost, false);
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
        // Each writer, standing for one running copy, re-reads and replaces the whole file;
        // without the lock, one writer's replacement would drop the values the other wrote
        // in between.
        constexpr int Writers = 3;
        constexpr int Values = 25;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int w = 0; w < Writers; ++w) {
            threads.emplace_back(QThread::create([w] {
                TRegistry copy(QString::fromLatin1(ProductName));
                for (int i = 0; i < Values; ++i)
                    copy.WriteValue(
                        {QStringLiteral("W%1V%2").arg(w).arg(i), RegType::Dword, EncodeDword(w * 1000 + i)});
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

    void manyNamesAreReadOnceAndKept()
    {
        constexpr int Names = 40000;
        QByteArray lines;
        for (int i = 0; i < Names; ++i)
            lines += "\"N" + QByteArray::number(i) + "\"=\"\"\n";
        WriteFile(KeyOnly + lines + "\"TopMost\"=dword:00000001\n");
        QVERIFY(ReadFile().size() < 500 * 1024);
        OpenCounter opens(QFileInfo(SettingsFile()).absolutePath());
        Settings settings = Load();
        ReadRegString(QStringLiteral("CurTable"), QString());
        QCOMPARE(opens.Take("Settings.reg"), 1);
        QVERIFY(settings.TopMost);

        settings.WindowLeft = 1;
        settings.WindowTop = 2;
        settings.WindowWidth = 300;
        settings.WindowHeight = 400;
        QVERIFY(Save(settings));
        QCOMPARE(opens.Take("Settings.reg"), 1);
        QCOMPARE(StoredNames().size(), Names + 16);
    }

    void heldLockIsWaitedForOnceAndLeavesTheFile()
    {
        WriteFile(KeyOnly + "\"TopMost\"=dword:00000001\n");
        Settings settings = Load();
        const QByteArray before = ReadFile();
        // Another copy stopped while it held the lock.
        const int held
            = ::open(QFile::encodeName(SettingsFile() + ".lock").constData(), O_RDWR | O_CREAT, 0600);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        OpenCounter opens(QFileInfo(SettingsFile()).absolutePath());
        settings.TopMost = false;
        settings.WindowLeft = 1;
        settings.WindowTop = 2;
        settings.WindowWidth = 300;
        settings.WindowHeight = 400;
        const bool written = Save(settings);
        ::close(held);
        QCOMPARE(opens.Take("Settings.reg.lock"), 1);
        QVERIFY(!written);
        QCOMPARE(ReadFile(), before);
        QCOMPARE(QDir(QFileInfo(SettingsFile()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
            QStringList({"Settings.reg", "Settings.reg.lock"}));
    }

    void contentNotUnderstoodIsKeptBeside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QString>("other");
        QByteArray garbage;
        QRandomGenerator random(7);
        for (int i = 0; i < 4096; ++i)
            garbage.append(char(random.bounded(256)));
        QTest::newRow("random bytes") << garbage << true << QString();
        const QByteArray other = KeyOnly + "\"Other\"=\"kept\"\n";
        QTest::newRow("oversized") << other + QByteArray(1100 * 1024, ';') << true << QString();
        QTest::newRow("another key and a comment")
            << other + "; mine\n[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=\"y\"\n"
            << true << "kept";
        const QString text = QString::fromUtf8(other);
        QByteArray utf16be("\xfe\xff");
        for (const QChar c : text)
            utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
        QTest::newRow("UTF-16 big-endian") << utf16be << false << "kept";
    }

    void contentNotUnderstoodIsKeptBeside()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, copied);
        QFETCH(QString, other);
        WriteFile(content);
        QVERIFY(Save(Load()));
        QFile copy(SettingsFile() + ".bak");
        QCOMPARE(copy.exists(), copied);
        if (copied) {
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QVERIFY(copy.readAll() == content);
        }
        QCOMPARE(DecodeRegSz(StoredData(QStringLiteral("Other"))), other);
        QCOMPARE(StoredData(QStringLiteral("FirstRun")), EncodeDword(0));
    }

    void copiesKeepEachOthersChangesAndTheRememberedTable()
    {
        WriteFile(KeyOnly + "\"CurTable\"=\"Mail\"\n");
        TRegistry other(QString::fromLatin1(ProductName));
        Settings settings = Load();
        Settings otherSettings = LoadSettingsValues(&other);

        // Neither copy could open its library, so neither opened a table.
        settings.CurTable.clear();
        otherSettings.CurTable.clear();
        otherSettings.TopMost = true;
        QVERIFY(SaveSettingsValues(&other, otherSettings));
        settings.AutoAppendStr = QStringLiteral("sig");
        QVERIFY(Save(settings));

        QCOMPARE(StoredData(QStringLiteral("TopMost")), EncodeDword(1));
        QCOMPARE(DecodeRegSz(StoredData(QStringLiteral("AutoAppendStr"))), QStringLiteral("sig"));
        QCOMPARE(DecodeRegSz(StoredData(QStringLiteral("CurTable"))), QStringLiteral("Mail"));
    }

    void everySettingComesBackAsSaved()
    {
        // Each differs from its default, so one that is not saved or not read shows.
        Settings saved;
        saved.WindowLeft = 11;
        saved.WindowTop = 22;
        saved.WindowWidth = 333;
        saved.WindowHeight = 444;
        saved.WindowMaximized = true;
        saved.ActivationKey = 0x7fff4078;
        saved.AutoAppend = true;
        saved.AutoAppendStr = QStringLiteral("\\cr ß");
        saved.TrayIcon = false;
        saved.PasteAutoHide = false;
        saved.TopMost = true;
        saved.CompactMode = true;
        saved.RestoreClipboard = true;
        saved.CurTable = QStringLiteral("Tabelle");
        saved.Library = QStringLiteral("postgresql://ann@db.example/team?schema=replies");
        QVERIFY(Save(saved));
        TRegistry nextRun(QString::fromLatin1(ProductName));
        QCOMPARE(LoadSettingsValues(&nextRun), saved);
    }

    void lockLeftByAKilledWriterBlocksNothing()
    {
        WriteFile(KeyOnly + "\"CurTable\"=\"Mail\"\n");
        // Another copy killed while it held the lock, half way through its temporary file.
        const QByteArray lockPath = QFile::encodeName(SettingsFile() + ".lock");
        const QByteArray tempPath = QFile::encodeName(SettingsFile() + ".tmp");
        const pid_t writer = ::fork();
        QVERIFY(writer >= 0);
        if (writer == 0) {
            const int lock = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
            const int temp = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (lock >= 0 && ::flock(lock, LOCK_EX) == 0 && temp >= 0 && ::write(temp, "Windows", 7) == 7)
                ::raise(SIGKILL);
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(writer, &status, 0), writer);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        Settings settings = Load();
        settings.TopMost = true;
        QVERIFY(Save(settings));
        QCOMPARE(StoredData(QStringLiteral("TopMost")), EncodeDword(1));
        QCOMPARE(DecodeRegSz(StoredData(QStringLiteral("CurTable"))), QStringLiteral("Mail"));
        QCOMPARE(QDir(QFileInfo(SettingsFile()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
            QStringList({"Settings.reg", "Settings.reg.lock"}));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
