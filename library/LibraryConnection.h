#pragma once
// The connection to the library (the main window's ADOCon): a file, opened read-write and
// never created, or a schema on a PostgreSQL server named by a postgresql:// URI. One named
// connection per instance.

#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QStringList>
#include <QTimer>

template <typename T> class QFutureWatcher;

#include <functional>

class TLibraryConnection final : public QObject {
    Q_OBJECT
public:
    using BeforeConnectHandler = std::function<void(TLibraryConnection&)>;

    explicit TLibraryConnection(QObject* parent = nullptr);
    ~TLibraryConnection() override;

    // The file to open (a relative path is taken from the working directory at Open()), or a
    // postgresql:// URI.
    QString DataSource() const { return m_dataSource; }
    void SetDataSource(const QString& dataSource) { m_dataSource = dataSource; }
    // Runs before every connect, so the owner can fix up the data source.
    void SetBeforeConnect(BeforeConnectHandler handler) { m_beforeConnect = std::move(handler); }

    static bool IsServerSource(const QString& dataSource);

    // Does nothing when already connected. Throws DatabaseError naming the file when it is
    // missing, unreadable or not a database, or the server when it cannot be reached, refuses
    // the user, or has no such database or schema.
    void Open();
    void Close();
    bool Connected() const;
    // The library is on a server.
    bool IsServer() const;
    // Why the open library can only be read (the file or its folder is write-protected), or
    // an empty string when it can be changed.
    QString ReadOnlyReason() const { return m_readOnlyReason; }

    // Tables and views in catalogue order, the engine's own "sqlite_" objects left out.
    QStringList TableNames() const;
    void CreateTable(const QString& tableName);
    // Drops the table or view of that name.
    void DropTable(const QString& tableName);
    void RenameTable(const QString& oldName, const QString& newName);

    // For the table dataset and tools; valid while connected.
    QSqlDatabase Database() const;

    // The schema's change channel on a server, empty for a file or when the server does not
    // let this connection listen (a read-only standby).
    QString ChangeChannel() const { return m_listening ? m_channel : QString(); }
    // Tells the other copies that tables were added, dropped or renamed.
    void AnnounceTablesChanged();

    // The server went away (a restart, a dropped network) while the library was open. The
    // datasets keep what they have; the connection tries again after 1, 2, 4... up to 30
    // seconds, each try bounded by a short connect timeout and made off the window's thread,
    // and says when it is back.
    bool Lost() const { return m_lost; }
    // Checks a server connection that failed a statement; true when it is lost.
    bool CheckLost();

Q_SIGNALS:
    // Datasets on this connection close themselves before its statements become invalid.
    void aboutToClose();
    // Another program committed a change to the table with this object id (server only).
    void tableChanged(qint64 tableOid);
    // Another copy added, dropped or renamed tables (server only).
    void tablesChanged();
    // The server cannot be reached any more / again (its statements were prepared anew).
    void connectionLost(const QString& reason);
    void reconnected();

private:
    void OnNotification(
        const QString& channel, QSqlDriver::NotificationSource source, const QVariant& payload);
    void Listen(QSqlDatabase& db);
    void PollNotices();
    void TryReconnect();
    void ProbeFinished();
    void TryAgainLater(const QString& why);
    void OpenServer(bool reconnecting);
    QSqlDatabase PrepareDriver(const QString& driver);
    void CheckConnected() const;
    void Execute(const QString& statement);

    QString m_connectionName;
    QString m_dataSource = QStringLiteral("pastewise.mdb");
    BeforeConnectHandler m_beforeConnect;
    QString m_readOnlyReason;
    QString m_channel;
    bool m_listening = false;
    // Asks the driver for notices a few times a second (see Listen).
    QTimer m_noticePoll;
    bool m_lost = false;
    int m_reconnectDelayMs = 0;
    QTimer m_reconnect;
    // The try under way: whether the server answers at all, asked on another thread.
    QFutureWatcher<QString>* m_probe = nullptr;
};
