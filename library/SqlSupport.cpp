#include "library/SqlSupport.h"

#include "common/Errors.h"
#include "library/ChangeNotice.h"

#include <QSqlDriver>
#include <QSqlError>

#include <algorithm>

namespace {

// The name with ASCII letters folded, like the file engine's NOCASE: "Ä" and "ä" stay apart.
QString FoldedName()
{
    return QStringLiteral(
        "translate(\"name\", 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz') COLLATE \"C\"");
}

} // namespace

SqlEngine EngineOf(const QSqlDatabase& db)
{
    return db.driver() != nullptr && db.driver()->dbmsType() == QSqlDriver::PostgreSQL ? SqlEngine::Postgres
                                                                                       : SqlEngine::Sqlite;
}

QString StoredBytes(SqlEngine engine, const QString& column)
{
    return engine == SqlEngine::Postgres ? QStringLiteral("convert_to(%1, 'UTF8')").arg(column)
                                         : QStringLiteral("CAST(%1 AS BLOB)").arg(column);
}

QString TextFromBytes(SqlEngine engine)
{
    return engine == SqlEngine::Postgres ? QStringLiteral("convert_from(CAST(? AS bytea), 'UTF8')")
                                         : QStringLiteral("CAST(? AS TEXT)");
}

QString SameOrBothNull(SqlEngine engine)
{
    return engine == SqlEngine::Postgres ? QStringLiteral("IS NOT DISTINCT FROM") : QStringLiteral("IS");
}

QString NameOrderBy(SqlEngine engine)
{
    return engine == SqlEngine::Postgres ? FoldedName() : QStringLiteral("\"name\" COLLATE NOCASE");
}

QString QuoteIdentifier(const QString& identifier)
{
    QString quoted = identifier;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

namespace {

// A server's refusal of an entry, in the file engine's words, so that a refusal reads the same
// whichever engine holds the library; empty for anything else.
QString ServerRefusal(const QSqlError& error, const QString& engineText)
{
    if (!engineText.startsWith(QLatin1String("ERROR:")))
        return {};
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("23505"))
        return QStringLiteral("UNIQUE constraint failed: name");
    if (code == QLatin1String("23514") || code == QLatin1String("22001"))
        return QStringLiteral("CHECK constraint failed: name");
    if (code == QLatin1String("23502"))
        return QStringLiteral("NOT NULL constraint failed: name");
    return engineText.mid(6).trimmed();
}

} // namespace

QString EngineMessage(const QSqlError& error)
{
    QString engine = error.databaseText().trimmed();
    const QString server = ServerRefusal(error, engine);
    if (!server.isEmpty())
        return server;
    if (!engine.isEmpty())
        return engine;
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

void ThrowSqlError(const QSqlError& error)
{
    throw DatabaseError(EngineMessage(error));
}

bool IsLockedError(const QSqlError& error)
{
    // SQLITE_BUSY and SQLITE_LOCKED, plain or extended.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xFF;
    return ok && (code == 5 || code == 6);
}

bool SameIdentifier(QStringView a, QStringView b)
{
    const auto fold = [](QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + ('a' - 'A')) : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&fold](QChar x, QChar y) {
        return fold(x) == fold(y);
    });
}

void ExecOrThrow(QSqlQuery& query)
{
    if (!query.exec())
        ThrowSqlError(query.lastError());
}

void PrepareOrThrow(QSqlQuery& query, const QString& statement)
{
    if (!query.prepare(statement))
        ThrowSqlError(query.lastError());
}

QStringList ServerTableNames(QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    PrepareOrThrow(query,
        QStringLiteral(
            "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
            " WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'v', 'p') ORDER BY c.oid"));
    ExecOrThrow(query);
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

QString CatalogueName(QSqlDatabase& db, const QString& tableName)
{
    if (EngineOf(db) != SqlEngine::Postgres)
        return tableName;
    const QStringList names = ServerTableNames(db);
    if (names.contains(tableName))
        return tableName;
    for (const QString& name : names) {
        if (SameIdentifier(name, tableName))
            return name;
    }
    return tableName;
}

bool IsView(QSqlDatabase& db, const QString& tableName)
{
    QSqlQuery query(db);
    if (EngineOf(db) == SqlEngine::Postgres) {
        PrepareOrThrow(
            query, QStringLiteral("SELECT viewname FROM pg_views WHERE schemaname = current_schema()"));
        ExecOrThrow(query);
        while (query.next()) {
            if (SameIdentifier(query.value(0).toString(), tableName))
                return true;
        }
        return false;
    }
    PrepareOrThrow(
        query, QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name = ? COLLATE NOCASE AND type = 'view'"));
    query.addBindValue(tableName);
    ExecOrThrow(query);
    return query.next();
}

QString CreateEntryTableStatement(const QString& tableName)
{
    return QStringLiteral("CREATE TABLE %1 (\"name\" TEXT NOT NULL PRIMARY KEY COLLATE NOCASE"
                          " CHECK (length(\"name\") BETWEEN 1 AND 255), \"value\" TEXT)")
        .arg(QuoteIdentifier(tableName));
}

QStringList CreateEntryTableStatements(SqlEngine engine, const QString& tableName)
{
    if (engine == SqlEngine::Sqlite)
        return {CreateEntryTableStatement(tableName)};
    const QString table = QuoteIdentifier(tableName);
    QStringList statements {
        QStringLiteral("CREATE TABLE %1 (\"name\" varchar(255) COLLATE \"C\" NOT NULL PRIMARY KEY"
                       " CHECK (length(\"name\") BETWEEN 1 AND 255), \"value\" text)")
            .arg(table),
        QStringLiteral("CREATE UNIQUE INDEX ON %1 ((%2))").arg(table, FoldedName())};
    return statements + ChangeNoticeStatements(tableName);
}
