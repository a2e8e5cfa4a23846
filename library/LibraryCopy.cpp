#include "library/LibraryCopy.h"

#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/SqlSupport.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

void Run(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        ThrowSqlError(query.lastError());
}

int CopyRows(QSqlDatabase& from, const QString& table, QSqlDatabase& to, const QString& targetTable)
{
    QSqlQuery read(from);
    read.setForwardOnly(true);
    PrepareOrThrow(read, QStringLiteral("SELECT \"name\", \"value\" FROM %1").arg(QuoteIdentifier(table)));
    ExecOrThrow(read);
    QSqlQuery write(to);
    PrepareOrThrow(write,
        QStringLiteral("INSERT INTO %1 (\"name\", \"value\") VALUES (?, ?)")
            .arg(QuoteIdentifier(targetTable)));
    int rows = 0;
    while (read.next()) {
        write.bindValue(0, read.value(0));
        write.bindValue(1, read.value(1));
        try {
            ExecOrThrow(write);
        } catch (const DatabaseError& e) {
            throw DatabaseError(QStringLiteral("The entry \"%1\" of the table \"%2\" cannot be copied: %3")
                                    .arg(read.value(0).toString(), table, e.message()));
        }
        ++rows;
    }
    if (read.lastError().isValid())
        ThrowSqlError(read.lastError());
    return rows;
}

} // namespace

LibraryCopyResult CopyLibrary(TLibraryConnection& source, TLibraryConnection& target, bool replace)
{
    LibraryCopyResult result;
    result.tables = source.TableNames();
    const QStringList existing = target.TableNames();
    QStringList clashes;
    for (const QString& table : result.tables) {
        for (const QString& name : existing) {
            if (SameIdentifier(name, table))
                clashes << name;
        }
    }
    if (!clashes.isEmpty() && !replace)
        throw DatabaseError(QStringLiteral("The target already has the tables %1; nothing was copied"
                                           " (--replace drops and copies them)")
                                .arg(clashes.join(QStringLiteral(", "))));

    QSqlDatabase from = source.Database();
    QSqlDatabase to = target.Database();
    const SqlEngine engine = EngineOf(to);
    if (!to.transaction())
        ThrowSqlError(to.lastError());
    try {
        for (const QString& name : clashes) {
            Run(to,
                QStringLiteral("DROP %1 %2")
                    .arg(IsView(to, name) ? QStringLiteral("VIEW") : QStringLiteral("TABLE"),
                        QuoteIdentifier(name)));
        }
        for (const QString& table : result.tables) {
            for (const QString& statement : CreateEntryTableStatements(engine, table))
                Run(to, statement);
            result.entries += CopyRows(from, table, to, table);
        }
    } catch (...) {
        to.rollback();
        throw;
    }
    if (!to.commit())
        ThrowSqlError(to.lastError());
    return result;
}
