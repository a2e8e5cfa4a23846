#include "library/LibraryConnection.h"

#include "common/Errors.h"
#include "library/SqlSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>

#include <unistd.h>

namespace {

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

} // namespace

TLibraryConnection::TLibraryConnection(QObject* parent)
    : QObject(parent)
    , m_connectionName(NextConnectionName())
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
}

TLibraryConnection::~TLibraryConnection()
{
    Close();
    QSqlDatabase::removeDatabase(m_connectionName);
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

    const QString path = QFileInfo(m_dataSource).absoluteFilePath();
    QSqlDatabase db = Database();
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
    if (!Connected())
        return;
    Q_EMIT aboutToClose();
    Database().close();
}

void TLibraryConnection::CheckConnected() const
{
    if (!Connected())
        throw DatabaseError(QStringLiteral("The library is not open"));
}

QStringList TLibraryConnection::TableNames() const
{
    CheckConnected();
    QSqlQuery query(Database());
    query.setForwardOnly(true);
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
    PrepareOrThrow(query, statement);
    ExecOrThrow(query);
}

void TLibraryConnection::CreateTable(const QString& tableName)
{
    Execute(CreateEntryTableStatement(tableName));
}

void TLibraryConnection::DropTable(const QString& tableName)
{
    CheckConnected();
    // Views are listed as tables, so deleting one must drop the view; DROP TABLE refuses it.
    QSqlDatabase db = Database();
    const bool isView = IsView(db, tableName);
    Execute(QStringLiteral("DROP %1 %2")
                .arg(isView ? QStringLiteral("VIEW") : QStringLiteral("TABLE"), QuoteIdentifier(tableName)));
}

void TLibraryConnection::RenameTable(const QString& oldName, const QString& newName)
{
    Execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                .arg(QuoteIdentifier(oldName), QuoteIdentifier(newName)));
}
