// Which library file a copy of the program uses, and the starter library that an installed
// copy makes in the user's data folder on its first start.

#include "library/LibraryConnection.h"
#include "library/LibraryLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestLibraryLocation final : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;

    QString Path(const QString& relative) const { return m_root->path() + QLatin1Char('/') + relative; }
    QString UserLibrary() const { return Path(QStringLiteral("data/Pastewise/pastewise.mdb")); }

    // PREFIX/bin with the desktop entry that an install puts beside it.
    QString InstalledBin(const QString& prefix) const
    {
        QDir().mkpath(Path(prefix + QStringLiteral("/bin")));
        QDir().mkpath(Path(prefix + QStringLiteral("/share/applications")));
        QFile entry(Path(prefix + QStringLiteral("/share/applications/pastewise.desktop")));
        entry.open(QIODevice::WriteOnly);
        return Path(prefix + QStringLiteral("/bin"));
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path(QStringLiteral("data"))));
    }

    void installedCopyMakesItsLibraryOnceInTheDataFolder()
    {
        const TLibraryLocation location = LocateLibrary(InstalledBin(QStringLiteral("usr")));
        QCOMPARE(location.path, UserLibrary());
        QVERIFY(location.createWhenMissing);
        QCOMPARE(PrepareLibrary(location), UserLibrary());

        TLibraryConnection connection;
        connection.SetDataSource(UserLibrary());
        connection.Open();
        QCOMPARE(connection.TableNames(), QStringList {QStringLiteral("General")});
        connection.CreateTable(QStringLiteral("Mine"));
        connection.Close();

        // The next start opens the user's library as it is.
        QCOMPARE(PrepareLibrary(LocateLibrary(Path(QStringLiteral("usr/bin")))), UserLibrary());
        connection.Open();
        QCOMPARE(connection.TableNames(), QStringList({QStringLiteral("General"), QStringLiteral("Mine")}));
    }

    void libraryBesideTheProgramWinsAndAPortableFolderMakesNone()
    {
        // A portable folder without its library: the open is to report the missing file there.
        const QString portable = Path(QStringLiteral("portable"));
        QDir().mkpath(portable);
        const TLibraryLocation missing = LocateLibrary(portable);
        QCOMPARE(missing.path, portable + QStringLiteral("/pastewise.mdb"));
        QVERIFY(!missing.createWhenMissing);
        QCOMPARE(PrepareLibrary(missing), missing.path);
        QVERIFY(!QFile::exists(missing.path));
        QVERIFY(!QFile::exists(UserLibrary()));

        // A library put beside an installed program is the one it uses.
        const QString bin = InstalledBin(QStringLiteral("opt"));
        QFile beside(bin + QStringLiteral("/pastewise.mdb"));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        const TLibraryLocation location = LocateLibrary(bin);
        QCOMPARE(location.path, beside.fileName());
        QVERIFY(!location.createWhenMissing);
    }
};

QTEST_GUILESS_MAIN(TestLibraryLocation)
#include "tst_library_location.moc"
