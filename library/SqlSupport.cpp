#include "library/SqlSupport.h"

#include "common/Errors.h"

#include <QSqlError>

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

QString CreateEntryTableStatement(const QString& tableName)
{
    return QStringLiteral("CREATE TABLE %1 (\"name\" TEXT NOT NULL PRIMARY KEY COLLATE NOCASE"
                          " CHECK (length(\"name\") BETWEEN 1 AND 255), \"value\" TEXT)")
        .arg(QuoteIdentifier(tableName));
}
