#include "library/ChangeNotice.h"

#include "common/Errors.h"
#include "library/SqlSupport.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Runs with the catalogue alone on its path, so no object of the schema can stand in for
// pg_notify or pg_class. A statement-level trigger sends one notice per statement, and the
// server folds equal notices of one transaction into one.
const QString CreateFunction = QStringLiteral(
    "DO $do$ BEGIN"
    " IF to_regprocedure('pastewise_notify()') IS NULL THEN"
    " CREATE FUNCTION pastewise_notify() RETURNS trigger LANGUAGE plpgsql"
    " SET search_path = pg_catalog AS $fn$"
    " BEGIN"
    " PERFORM pg_notify('pastewise_' || CAST((SELECT relnamespace FROM pg_class WHERE oid = TG_RELID)"
    " AS text), CAST(TG_RELID AS text));"
    " RETURN NULL;"
    " END $fn$;"
    " END IF;"
    " END $do$");

} // namespace

QString ChangeNoticeChannel(qint64 schemaOid)
{
    return QStringLiteral("pastewise_%1").arg(schemaOid);
}

QStringList ChangeNoticeStatements(const QString& tableName)
{
    return {CreateFunction,
        QStringLiteral("CREATE TRIGGER pastewise_notify AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %1"
                       " FOR EACH STATEMENT EXECUTE FUNCTION pastewise_notify()")
            .arg(QuoteIdentifier(tableName))};
}

qint64 ServerTableOid(QSqlDatabase& db, const QString& catalogueName)
{
    QSqlQuery query(db);
    PrepareOrThrow(query, QStringLiteral("SELECT CAST(CAST(to_regclass(?) AS oid) AS bigint)"));
    query.addBindValue(QuoteIdentifier(catalogueName));
    ExecOrThrow(query);
    return query.next() ? query.value(0).toLongLong() : 0;
}

QString ServerTableName(QSqlDatabase& db, qint64 tableOid)
{
    QSqlQuery query(db);
    PrepareOrThrow(query,
        QStringLiteral("SELECT relname FROM pg_class WHERE oid = CAST(? AS bigint)"
                       " AND relnamespace = CAST(CAST(current_schema() AS regnamespace) AS oid)"));
    query.addBindValue(tableOid);
    ExecOrThrow(query);
    return query.next() ? query.value(0).toString() : QString();
}

QString EnsureChangeNotice(QSqlDatabase& db, const QString& catalogueName)
{
    try {
        QSqlQuery query(db);
        PrepareOrThrow(query,
            QStringLiteral(
                "SELECT c.relkind, EXISTS (SELECT 1 FROM pg_trigger t WHERE t.tgrelid = c.oid"
                " AND t.tgname = 'pastewise_notify') FROM pg_class c WHERE c.oid = to_regclass(?)"));
        query.addBindValue(QuoteIdentifier(catalogueName));
        ExecOrThrow(query);
        if (!query.next())
            return QStringLiteral("the table was not found");
        if (query.value(1).toBool())
            return {};
        const QString kind = query.value(0).toString();
        if (kind != QLatin1String("r") && kind != QLatin1String("p"))
            return QStringLiteral("it is a view");
        query.finish();
        if (!db.transaction())
            ThrowSqlError(db.lastError());
        try {
            for (const QString& statement : ChangeNoticeStatements(catalogueName)) {
                QSqlQuery run(db);
                if (!run.exec(statement))
                    ThrowSqlError(run.lastError());
            }
        } catch (...) {
            db.rollback();
            throw;
        }
        if (!db.commit())
            ThrowSqlError(db.lastError());
        return {};
    } catch (const DatabaseError& e) {
        return e.message();
    }
}
