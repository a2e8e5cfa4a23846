#include "library/LibraryConnection.h"

#include "common/Errors.h"
#include "library/ChangeNotice.h"
#include "library/ServerAddress.h"
#include "library/ServerProbe.h"
#include "library/SqlSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLoggingCategory>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <utility>

#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcConnection, "pastewise.library")

QString NextConnectionName()
{
    static std::atomic<int> counter {0};
    return QStringLiteral("pastewise-library-%1").arg(++counter);
}

// A URI lets the open say mode=rw: a missing file is then an error, not a new empty database.
// QUrl percent-encodes '?', '#' and '%' in the path, which the engine would otherwise take
// for URI syntax.
QString ReadWriteUri(const QString& absolutePath)
{
    QUrl url = QUrl::fromLocalFile(absolutePath);
    url.setQuery(QStringLiteral("mode=rw"));
    return url.toString(QUrl::FullyEncoded);
}

// The engine opens a write-protected file for reading without a word and fails only at the
// first store; a folder it cannot write keeps it from making the journal every store needs.
QString WriteProtection(const QString& absolutePath)
{
    if (::access(QFile::encodeName(absolutePath).constData(), W_OK) != 0)
        return QStringLiteral("the file is write-protected");
    if (::access(QFile::encodeName(QFileInfo(absolutePath).absolutePath()).constData(), W_OK) != 0)
        return QStringLiteral("its folder is write-protected");
    return {};
}

const QString ServerDriver = QStringLiteral("QPSQL");

// How long a table command waits for another program's lock on a server, as long as the
// file engine's own wait.
constexpr int LockWaitMs = 5000;

// Often enough that another copy's change shows within a second.
constexpr int NoticePollMs = 400;

// A lost server is tried again after 1 s, then twice as long each time up to this.
constexpr int FirstReconnectMs = 1000;
constexpr int LongestReconnectMs = 30000;
// Each try gives up after this long when the network is gone.
constexpr int ReconnectTimeoutSeconds = 3;

} // namespace

TLibraryConnection::TLibraryConnection(QObject* parent)
    : QObject(parent)
    , m_connectionName(NextConnectionName())
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_noticePoll.setInterval(NoticePollMs);
    connect(&m_noticePoll, &QTimer::timeout, this, &TLibraryConnection::PollNotices);
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &TLibraryConnection::TryReconnect);
}

TLibraryConnection::~TLibraryConnection()
{
    Close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool TLibraryConnection::IsServerSource(const QString& dataSource)
{
    return dataSource.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || dataSource.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QSqlDatabase TLibraryConnection::PrepareDriver(const QString& driver)
{
    QSqlDatabase db = Database();
    if (db.isValid() && db.driverName() == driver)
        return db;
    if (db.isValid()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    db = QSqlDatabase::addDatabase(driver, m_connectionName);
    if (!db.isValid())
        throw DatabaseError(driver == ServerDriver
                ? QStringLiteral("Cannot open the library: this system has no PostgreSQL driver for Qt"
                                 " (Debian package libqt6sql6-psql)")
                : QStringLiteral("Cannot open the library: no SQLite driver for Qt"));
    return db;
}

QSqlDatabase TLibraryConnection::Database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool TLibraryConnection::Connected() const
{
    return Database().isOpen();
}

void TLibraryConnection::Open()
{
    if (Connected())
        return;
    if (m_beforeConnect)
        m_beforeConnect(*this);
    if (IsServerSource(m_dataSource)) {
        OpenServer(false);
        return;
    }

    const QString path = QFileInfo(m_dataSource).absoluteFilePath();
    QSqlDatabase db = PrepareDriver(QStringLiteral("QSQLITE"));
    db.setDatabaseName(ReadWriteUri(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    const auto fail = [&path](const QSqlError& error) {
        throw DatabaseError(
            QStringLiteral("Cannot open the library \"%1\": %2").arg(path, EngineMessage(error)));
    };
    if (!db.open())
        fail(db.lastError());

    // The engine reads the file lazily; read the catalogue now so that a file that is not
    // a database fails here rather than at the first table.
    QSqlError error;
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema")))
            error = probe.lastError();
    }
    if (error.isValid()) {
        db.close();
        fail(error);
    }
    m_readOnlyReason = WriteProtection(path);
}

void TLibraryConnection::Close()
{
    const bool lost = m_lost;
    m_lost = false;
    m_reconnect.stop();
    // A probe under way finishes on its own; nobody is told.
    delete std::exchange(m_probe, nullptr);
    m_noticePoll.stop();
    if (!Connected() && !lost)
        return;
    Q_EMIT aboutToClose();
    Database().close();
}

void TLibraryConnection::CheckConnected() const
{
    if (m_lost)
        throw DatabaseError(QStringLiteral("The library server cannot be reached; trying again"));
    if (!Connected())
        throw DatabaseError(QStringLiteral("The library is not open"));
}

bool TLibraryConnection::CheckLost()
{
    if (m_lost)
        return true;
    if (!IsServer() || Database().isOpen())
        return false;
    m_lost = true;
    m_noticePoll.stop();
    m_reconnectDelayMs = FirstReconnectMs;
    m_reconnect.start(m_reconnectDelayMs);
    const QString driverText = Database().driver()->lastError().databaseText().trimmed();
    const QString reason
        = driverText.isEmpty() ? QStringLiteral("the connection to the server was lost") : driverText;
    qCWarning(lcConnection).noquote() << "library server lost:" << reason;
    Q_EMIT connectionLost(reason);
    return true;
}

void TLibraryConnection::TryReconnect()
{
    if (!m_lost || m_probe != nullptr)
        return;
    ServerAddress address;
    try {
        address = ParseServerAddress(m_dataSource);
    } catch (const DatabaseError& e) {
        TryAgainLater(e.message());
        return;
    }
    // Connecting waits up to its timeout on a dead network; only the probe waits, and the
    // connection itself is opened again once the server is known to answer.
    m_probe = new QFutureWatcher<QString>(this);
    connect(m_probe, &QFutureWatcherBase::finished, this, &TLibraryConnection::ProbeFinished);
    m_probe->setFuture(ProbeServer(address, ReconnectTimeoutSeconds));
}

void TLibraryConnection::ProbeFinished()
{
    QFutureWatcher<QString>* probe = std::exchange(m_probe, nullptr);
    if (probe == nullptr)
        return;
    const QString failure
        = probe->future().resultCount() > 0 ? probe->result() : QStringLiteral("the server was not asked");
    probe->deleteLater();
    if (!m_lost)
        return;
    if (!failure.isEmpty()) {
        TryAgainLater(failure);
        return;
    }
    // The old session is gone; its statements are forgotten with it, not the datasets' data.
    Database().close();
    try {
        OpenServer(true);
    } catch (const DatabaseError& e) {
        TryAgainLater(e.message());
        return;
    }
    m_lost = false;
    Q_EMIT reconnected();
}

void TLibraryConnection::TryAgainLater(const QString& why)
{
    qCInfo(lcConnection).noquote() << "library server still unreachable:" << why;
    m_reconnectDelayMs = std::min(m_reconnectDelayMs * 2, LongestReconnectMs);
    m_reconnect.start(m_reconnectDelayMs);
}

QStringList TLibraryConnection::TableNames() const
{
    CheckConnected();
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    if (IsServer()) {
        QSqlDatabase db = Database();
        return ServerTableNames(db);
    }
    PrepareOrThrow(query,
        QStringLiteral("SELECT name FROM sqlite_schema WHERE type IN ('table', 'view') ORDER BY rowid"));
    ExecOrThrow(query);
    QStringList names;
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (!SameIdentifier(QStringView(name).left(7), u"sqlite_"))
            names.append(name);
    }
    return names;
}

void TLibraryConnection::Execute(const QString& statement)
{
    CheckConnected();
    QSqlQuery query(Database());
    // A server prepares only queries and changes of rows; these statements bind nothing.
    if (IsServer()) {
        if (!query.exec(statement))
            ThrowSqlError(query.lastError());
        return;
    }
    PrepareOrThrow(query, statement);
    ExecOrThrow(query);
}

void TLibraryConnection::CreateTable(const QString& tableName)
{
    CheckConnected();
    QSqlDatabase db = Database();
    // A server keeps "Mail" and "MAIL" apart; a library must not, as a file does not.
    if (IsServer() && CatalogueName(db, tableName) != tableName)
        throw DatabaseError(QStringLiteral("table %1 already exists").arg(tableName));
    const QStringList statements = CreateEntryTableStatements(EngineOf(db), tableName);
    if (statements.size() == 1) {
        Execute(statements.first());
        return;
    }
    // All or nothing: a table without its index would let names clash in another case.
    if (!db.transaction())
        ThrowSqlError(db.lastError());
    try {
        for (const QString& statement : statements)
            Execute(statement);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        ThrowSqlError(db.lastError());
    AnnounceTablesChanged();
}

bool TLibraryConnection::IsServer() const
{
    return Database().driverName() == ServerDriver;
}

void TLibraryConnection::OpenServer(bool reconnecting)
{
    const ServerAddress address = ParseServerAddress(m_dataSource);
    QSqlDatabase db = PrepareDriver(ServerDriver);
    ApplyServerAddress(db, address, reconnecting ? ReconnectTimeoutSeconds : 0);
    const QString where = address.Display();
    if (!db.open())
        throw DatabaseError(
            QStringLiteral("Cannot open the library \"%1\": %2").arg(where, EngineMessage(db.lastError())));
    try {
        QSqlQuery query(db);
        PrepareOrThrow(
            query, QStringLiteral("SELECT CAST(oid AS bigint) FROM pg_namespace WHERE nspname = ?"));
        query.addBindValue(address.schema);
        ExecOrThrow(query);
        if (!query.next())
            throw DatabaseError(QStringLiteral("the database has no schema \"%1\"").arg(address.schema));
        m_channel = ChangeNoticeChannel(query.value(0).toLongLong());
        query.finish();
        // Unqualified table names are the schema's; nothing else is on the path.
        PrepareOrThrow(query,
            QStringLiteral(
                "SELECT set_config('search_path', ?, false), set_config('lock_timeout', ?, false)"));
        query.addBindValue(QuoteIdentifier(address.schema));
        query.addBindValue(QString::number(LockWaitMs));
        ExecOrThrow(query);
    } catch (const DatabaseError& e) {
        db.close();
        throw DatabaseError(QStringLiteral("Cannot open the library \"%1\": %2").arg(where, e.message()));
    }
    m_readOnlyReason.clear();
    Listen(db);
}

void TLibraryConnection::Listen(QSqlDatabase& db)
{
    QSqlDriver* driver = db.driver();
    connect(
        driver, &QSqlDriver::notification, this, &TLibraryConnection::OnNotification, Qt::UniqueConnection);
    // Without it the library works as before; other copies' changes show when a table opens.
    m_listening = driver->subscribeToNotification(m_channel);
    if (!m_listening) {
        qCWarning(lcConnection).noquote() << "no live updates:" << EngineMessage(driver->lastError());
        return;
    }
    m_noticePoll.start();
}

void TLibraryConnection::PollNotices()
{
    if (CheckLost())
        return;
    // A notice is read off the socket only once libpq is back at rest after a query; the
    // driver's own watch of the socket can miss it until the next statement, so a trivial one
    // goes out a few times a second. On a dead network it fails within the TCP timeout the
    // address sets, never longer.
    QSqlQuery poll(Database());
    if (!poll.exec(QStringLiteral("SELECT 1")))
        CheckLost();
}

void TLibraryConnection::OnNotification(
    const QString& channel, QSqlDriver::NotificationSource source, const QVariant& payload)
{
    // This copy's own stores have brought its snapshot in line already.
    if (source == QSqlDriver::SelfSource || channel != m_channel)
        return;
    const QString text = payload.toString();
    if (text == QLatin1String(TablesChangedPayload)) {
        Q_EMIT tablesChanged();
        return;
    }
    bool ok = false;
    const qint64 oid = text.toLongLong(&ok);
    if (ok)
        Q_EMIT tableChanged(oid);
}

void TLibraryConnection::AnnounceTablesChanged()
{
    if (!IsServer() || !Connected())
        return;
    // The tables changed already; a copy that misses the word sees them at its next start.
    QSqlQuery query(Database());
    if (!query.prepare(QStringLiteral("SELECT pg_notify(?, ?)")))
        return;
    query.addBindValue(m_channel);
    query.addBindValue(QString::fromLatin1(TablesChangedPayload));
    if (!query.exec())
        qCWarning(lcConnection).noquote()
            << "tables changed, not announced:" << EngineMessage(query.lastError());
}

void TLibraryConnection::DropTable(const QString& tableName)
{
    CheckConnected();
    // Views are listed as tables, so deleting one must drop the view; DROP TABLE refuses it.
    QSqlDatabase db = Database();
    const bool isView = IsView(db, tableName);
    if (IsServer() && !ServerTableNames(db).contains(CatalogueName(db, tableName)))
        throw DatabaseError(QStringLiteral("no such table: %1").arg(tableName));
    Execute(QStringLiteral("DROP %1 %2")
                .arg(isView ? QStringLiteral("VIEW") : QStringLiteral("TABLE"),
                    QuoteIdentifier(CatalogueName(db, tableName))));
    AnnounceTablesChanged();
}

void TLibraryConnection::RenameTable(const QString& oldName, const QString& newName)
{
    CheckConnected();
    QSqlDatabase db = Database();
    const QString stored = CatalogueName(db, oldName);
    if (IsServer()) {
        const QStringList names = ServerTableNames(db);
        const bool taken = std::any_of(names.begin(), names.end(),
            [&](const QString& name) { return name != stored && SameIdentifier(name, newName); });
        if (taken)
            throw DatabaseError(
                QStringLiteral("there is already another table or index with this name: %1").arg(newName));
    }
    Execute(
        QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(QuoteIdentifier(stored), QuoteIdentifier(newName)));
    AnnounceTablesChanged();
}
