#include "library/EntryStore.h"

#include "common/Errors.h"
#include "library/NameRead.h"
#include "library/SqlSupport.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

constexpr QLatin1String ChangedElsewhere(
    "The entry was changed by another program since it was read; reopen the table to see the change");

bool IsView(QSqlDatabase& db, const QString& tableName)
{
    QSqlQuery query(db);
    PrepareOrThrow(
        query, QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name = ? COLLATE NOCASE AND type = 'view'"));
    query.addBindValue(tableName);
    ExecOrThrow(query);
    return query.next();
}

bool HasRowid(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    return query.prepare(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(table));
}

} // namespace

EntryStore::EntryStore(const QSqlDatabase& db, const QString& tableName)
    : m_db(db)
    , m_table(QuoteIdentifier(tableName))
{
    {
        QSqlQuery probe(m_db);
        PrepareOrThrow(probe, QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(m_table));
        ExecOrThrow(probe);
        const QSqlRecord columns = probe.record();
        for (const QString& column : {QStringLiteral("name"), QStringLiteral("value")}) {
            if (columns.indexOf(column) < 0)
                throw DatabaseError(
                    QStringLiteral("The table \"%1\" cannot be opened: it has no column \"%2\"")
                        .arg(tableName, column));
        }
    }
    // A view reports a rowid of NULL for every row, so it is keyed by name.
    m_keyedByRowid = !IsView(m_db, tableName) && HasRowid(m_db, m_table);

    m_read = QSqlQuery(m_db);
    m_read.setForwardOnly(true);
    // The first name test is the column's own comparison, so the engine can use the name
    // index; the second makes the match exact.
    PrepareOrThrow(m_read,
        m_keyedByRowid
            ? QStringLiteral("SELECT \"name\", \"value\" FROM %1 WHERE rowid = ?").arg(m_table)
            : QStringLiteral(
                "SELECT \"name\", \"value\" FROM %1 WHERE \"name\" = ? AND \"name\" = ? COLLATE BINARY")
                  .arg(m_table));
}

void EntryStore::LoadNames(NameSnapshot& snapshot)
{
    const QString key = m_keyedByRowid ? QStringLiteral("rowid") : QStringLiteral("0");
    ReadNames(m_db,
        QStringLiteral("SELECT %1, \"name\" FROM %2 ORDER BY \"name\" COLLATE NOCASE").arg(key, m_table),
        m_keyedByRowid, snapshot);
    snapshot.SortIfNeeded();
}

StoredEntry EntryStore::Read(NameSnapshot::RowKey key, std::string_view name)
{
    if (m_keyedByRowid) {
        m_read.bindValue(0, key);
    } else {
        const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        m_read.bindValue(0, text);
        m_read.bindValue(1, text);
    }
    ExecOrThrow(m_read);
    StoredEntry entry;
    if (m_read.next()) {
        entry.found = true;
        entry.name = m_read.value(0);
        entry.value = m_read.value(1);
    }
    m_read.finish();
    return entry;
}

NameSnapshot::RowKey EntryStore::Insert(
    const QVariant& name, const QVariant& value, NameSnapshot::RowKey fallbackKey)
{
    QSqlQuery query(m_db);
    PrepareOrThrow(query, QStringLiteral("INSERT INTO %1 (\"name\", \"value\") VALUES (?, ?)").arg(m_table));
    query.addBindValue(name);
    query.addBindValue(value);
    ExecOrThrow(query);
    return m_keyedByRowid ? query.lastInsertId().toLongLong() : fallbackKey;
}

QString EntryStore::RowCondition() const
{
    // The row must still hold exactly the name and value that were read; IS matches NULL too.
    return m_keyedByRowid
        ? QStringLiteral("rowid = ? AND \"name\" IS ? COLLATE BINARY AND \"value\" IS ?")
        : QStringLiteral("\"name\" = ? AND \"name\" IS ? COLLATE BINARY AND \"value\" IS ?");
}

void EntryStore::BindRow(QSqlQuery& query, NameSnapshot::RowKey key, const StoredEntry& original)
{
    if (m_keyedByRowid)
        query.addBindValue(key);
    else
        query.addBindValue(original.name);
    query.addBindValue(original.name);
    query.addBindValue(original.value);
}

void EntryStore::RunChecked(QSqlQuery& query)
{
    ExecOrThrow(query);
    if (query.numRowsAffected() < 1)
        throw DatabaseError(QString(ChangedElsewhere));
}

void EntryStore::Update(
    NameSnapshot::RowKey key, const StoredEntry& original, const QVariant& name, const QVariant& value)
{
    if (!original.found)
        throw DatabaseError(QString(ChangedElsewhere));
    QSqlQuery query(m_db);
    PrepareOrThrow(query,
        QStringLiteral("UPDATE %1 SET \"name\" = ?, \"value\" = ? WHERE %2").arg(m_table, RowCondition()));
    query.addBindValue(name);
    query.addBindValue(value);
    BindRow(query, key, original);
    RunChecked(query);
}

void EntryStore::Remove(NameSnapshot::RowKey key, const StoredEntry& original)
{
    if (!original.found)
        throw DatabaseError(QString(ChangedElsewhere));
    QSqlQuery query(m_db);
    PrepareOrThrow(query, QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, RowCondition()));
    BindRow(query, key, original);
    RunChecked(query);
}
