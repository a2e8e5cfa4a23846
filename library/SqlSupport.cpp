#include "library/SqlSupport.h"

#include "common/Errors.h"

#include <QSqlError>

#include <algorithm>

QString QuoteIdentifier(const QString& identifier)
{
    QString quoted = identifier;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString EngineMessage(const QSqlError& error)
{
    QString engine = error.databaseText().trimmed();
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

bool IsView(QSqlDatabase& db, const QString& tableName)
{
    QSqlQuery query(db);
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
