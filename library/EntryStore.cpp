#include "library/EntryStore.h"

#include "common/Errors.h"
#include "library/BackgroundNames.h"
#include "library/NameRead.h"
#include "library/SqlSupport.h"

#include <sqlite3.h>

#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>

namespace {

constexpr QLatin1String ServerAway("The library server cannot be reached; trying again");

constexpr QLatin1String ChangedElsewhere(
    "The entry was changed by another program since it was read; reopen the table to see the change");

bool HasRowid(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    return query.prepare(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(table));
}

StoredEncoding FileEncoding(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA encoding")) || !query.next())
        return StoredEncoding::Utf8;
    const QString encoding = query.value(0).toString();
    if (encoding == QLatin1String("UTF-16le"))
        return StoredEncoding::Utf16le;
    if (encoding == QLatin1String("UTF-16be"))
        return StoredEncoding::Utf16be;
    return StoredEncoding::Utf8;
}

int BusyTimeout(QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("PRAGMA busy_timeout")) && query.next() ? query.value(0).toInt() : 0;
}

bool IsNullField(const QVariant& field)
{
    return field.isNull() || (field.typeId() == QMetaType::QString && field.toString().isNull());
}

// A column read as CAST(... AS BLOB): the bytes, or null for NULL. The driver gives a
// zero-length blob as a null array, which is the empty text and not NULL.
QVariant StoredColumn(const QSqlQuery& query, int column)
{
    const QVariant field = query.value(column);
    if (field.typeId() != QMetaType::QByteArray)
        return {};
    const QByteArray bytes = field.toByteArray();
    return bytes.isNull() ? QByteArray("", 0) : bytes;
}

} // namespace

EntryStore::EntryStore(const QSqlDatabase& db, const QString& tableName)
    : m_db(db)
    , m_table(QuoteIdentifier(CatalogueName(m_db, tableName)))
{
    // A server would name the schema and the quoting; the file engine's words say it plainly.
    if (EngineOf(m_db) == SqlEngine::Postgres
        && !ServerTableNames(m_db).contains(CatalogueName(m_db, tableName)))
        throw DatabaseError(QStringLiteral("no such table: %1").arg(tableName));
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
    // A view reports a rowid of NULL for every row, so it is keyed by name; a server has no
    // rowid at all, and its text is always UTF-8.
    m_engine = EngineOf(m_db);
    const bool file = m_engine == SqlEngine::Sqlite;
    m_keyedByRowid = file && !IsView(m_db, tableName) && HasRowid(m_db, m_table);
    m_encoding = file ? FileEncoding(m_db) : StoredEncoding::Utf8;
    const QString nameBytes = StoredBytes(m_engine, QStringLiteral("\"name\""));
    const QString valueBytes = StoredBytes(m_engine, QStringLiteral("\"value\""));
    const QString boundName = TextFromBytes(m_engine);

    m_read = QSqlQuery(m_db);
    m_read.setForwardOnly(true);
    // The first name test is the column's own comparison, so the engine can use the name
    // index; the second makes the match exact. A name is bound as the snapshot's bytes, so a
    // name that is not valid UTF-8 is still found.
    PrepareOrThrow(m_read,
        QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4")
            .arg(nameBytes, valueBytes, m_table,
                m_keyedByRowid ? QStringLiteral("rowid = ?")
                               : QStringLiteral("\"name\" = %1 AND \"name\" = %1%2")
                                     .arg(boundName, file ? QStringLiteral(" COLLATE BINARY") : QString())));

    // A server's reads do not wait for writers, so only a file needs its wait switched.
    if (!file)
        return;
    m_waitOff = QSqlQuery(m_db);
    PrepareOrThrow(m_waitOff, QStringLiteral("PRAGMA busy_timeout = 0"));
    m_waitOn = QSqlQuery(m_db);
    m_busyTimeoutMs = BusyTimeout(m_db);
    PrepareOrThrow(m_waitOn, QStringLiteral("PRAGMA busy_timeout = %1").arg(m_busyTimeoutMs));
}

std::string EntryStore::NamesStatement() const
{
    const QString key = m_keyedByRowid ? QStringLiteral("rowid") : QStringLiteral("0");
    return QStringLiteral("SELECT %1, \"name\" FROM %2 ORDER BY \"name\" COLLATE NOCASE")
        .arg(key, m_table)
        .toStdString();
}

std::string EntryStore::CountStatement() const
{
    return QStringLiteral("SELECT count(*) FROM %1").arg(m_table).toStdString();
}

void EntryStore::LoadNames(NameSnapshot& snapshot)
{
    if (m_engine == SqlEngine::Postgres)
        ReadNames(m_db,
            QStringLiteral("SELECT 0, \"name\" FROM %1 ORDER BY %2").arg(m_table, NameOrderBy(m_engine)),
            false, snapshot);
    else
        ReadNames(EngineHandle(m_db), NamesStatement(), m_keyedByRowid, snapshot);
    snapshot.SortIfNeeded();
}

std::string EntryStore::ReadOnlyFile() const
{
    return ReadOnlyUri(sqlite3_db_filename(EngineHandle(m_db), "main"));
}

bool EntryStore::HasNameOrderIndex() const
{
    // Without an index on the names in this order the first names cost a full scan and a
    // sort, as much as all of them; each search would scan the table too.
    QSqlQuery indexes(m_db);
    if (!indexes.exec(QStringLiteral("PRAGMA index_list(%1)").arg(m_table)))
        return false;
    QStringList names;
    while (indexes.next())
        names << indexes.value(1).toString();
    for (const QString& index : names) {
        QSqlQuery columns(m_db);
        if (!columns.exec(QStringLiteral("PRAGMA index_xinfo(%1)").arg(QuoteIdentifier(index))))
            continue;
        // The first column of the index: its name, collation, and whether it is a key.
        if (columns.next() && columns.value(2).toString() == QLatin1String("name")
            && columns.value(4).toString().compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0
            && columns.value(3).toInt() == 0 && columns.value(5).toInt() == 1)
            return true;
    }
    return false;
}

bool EntryStore::LoadFirstNames(NameSnapshot& snapshot, int firstRows)
{
    if (!m_keyedByRowid || ReadOnlyFile().empty() || !HasNameOrderIndex()) {
        LoadNames(snapshot);
        return false;
    }
    sqlite3* engine = EngineHandle(m_db);
    const int rows = ReadNames(engine, NamesStatement(), true, snapshot, firstRows + 1);
    if (rows <= firstRows) {
        snapshot.SortIfNeeded();
        return false;
    }
    // The engine puts numbers before every text and blobs after it, where the snapshot's
    // order would not; such a table is read whole, as the index cannot answer for it.
    const std::string order = NamesStatement();
    const std::string descending = order + " DESC LIMIT 1";
    const std::optional<FoundName> first = ReadFirstName(engine, order + " LIMIT 1");
    const std::optional<FoundName> last = ReadFirstName(engine, descending);
    if (!snapshot.Sorted() || !first || !first->text || !last || !last->text) {
        snapshot.Clear();
        LoadNames(snapshot);
        return false;
    }
    return true;
}

std::optional<FoundName> EntryStore::FirstNameFrom(std::string_view name) const
{
    // The index holds the names in the order of the column's own collation, NOCASE, which the
    // snapshot's order follows; naming it here keeps the index usable.
    return ReadFirstName(EngineHandle(m_db),
        QStringLiteral("SELECT rowid, \"name\" FROM %1 WHERE \"name\" COLLATE NOCASE >= ? "
                       "ORDER BY \"name\" COLLATE NOCASE LIMIT 1")
            .arg(m_table)
            .toStdString(),
        name);
}

std::string EntryStore::SnapshotName(const StoredEntry& entry) const
{
    const QByteArray bytes = m_encoding == StoredEncoding::Utf8 ? entry.storedName.toByteArray()
                                                                : entry.name.toString().toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QVariant EntryStore::Shown(const QVariant& stored) const
{
    return stored.isNull() ? QVariant() : QVariant(DecodeStored(stored.toByteArray(), m_encoding));
}

std::optional<StoredEntry> EntryStore::ReadRow(
    NameSnapshot::RowKey key, std::string_view name, bool waitForLock)
{
    // Only a server's entries are kept for an outage; a file's reads make no copy.
    const auto cacheKey = [name] { return QByteArray(name.data(), static_cast<qsizetype>(name.size())); };
    if (Unreachable()) {
        const auto cached = m_readCache.constFind(cacheKey());
        if (cached != m_readCache.constEnd())
            return *cached;
        if (!waitForLock)
            return std::nullopt;
        throw DatabaseError(QString(ServerAway));
    }
    if (m_keyedByRowid) {
        m_read.bindValue(0, key);
    } else {
        const QVariant bound = m_encoding == StoredEncoding::Utf8
            ? QVariant(QByteArray(name.data(), static_cast<qsizetype>(name.size())))
            : QVariant(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        m_read.bindValue(0, bound);
        m_read.bindValue(1, bound);
    }
    if (!m_read.exec()) {
        const QSqlError error = m_read.lastError();
        if (!waitForLock && IsLockedError(error))
            return std::nullopt;
        // Lost just now: the same answer as when it was known to be lost.
        if (Unreachable())
            return ReadRow(key, name, waitForLock);
        ThrowSqlError(error);
    }
    StoredEntry entry;
    if (m_read.next()) {
        entry.found = true;
        entry.storedName = StoredColumn(m_read, 0);
        entry.storedValue = StoredColumn(m_read, 1);
        entry.name = Shown(entry.storedName);
        entry.value = Shown(entry.storedValue);
    }
    m_read.finish();
    if (OnServer())
        m_readCache.insert(cacheKey(), entry);
    return entry;
}

StoredEntry EntryStore::Read(NameSnapshot::RowKey key, std::string_view name)
{
    return *ReadRow(key, name, true);
}

std::optional<StoredEntry> EntryStore::TryRead(NameSnapshot::RowKey key, std::string_view name)
{
    if (m_engine != SqlEngine::Sqlite)
        return ReadRow(key, name, false);
    // The wait is the connection's; it is off only for this one read.
    const auto run = [](QSqlQuery& pragma) {
        const bool done = pragma.exec();
        pragma.finish();
        return done;
    };
    if (!run(m_waitOff))
        ThrowSqlError(m_waitOff.lastError());
    std::optional<StoredEntry> entry;
    try {
        entry = ReadRow(key, name, false);
    } catch (...) {
        run(m_waitOn);
        throw;
    }
    if (!run(m_waitOn))
        ThrowSqlError(m_waitOn.lastError());
    return entry;
}

NameSnapshot::RowKey EntryStore::Insert(
    const QVariant& name, const QVariant& value, NameSnapshot::RowKey fallbackKey)
{
    if (Unreachable())
        throw DatabaseError(QString(ServerAway));
    QSqlQuery query(m_db);
    PrepareOrThrow(query, QStringLiteral("INSERT INTO %1 (\"name\", \"value\") VALUES (?, ?)").arg(m_table));
    query.addBindValue(name);
    query.addBindValue(value);
    ExecOrThrow(query);
    return m_keyedByRowid ? query.lastInsertId().toLongLong() : fallbackKey;
}

StoredEntry EntryStore::Written(const QVariant& name, const QVariant& value) const
{
    StoredEntry entry;
    entry.found = true;
    entry.storedName = ToStore({}, name);
    entry.storedValue = ToStore({}, value);
    entry.name = Shown(entry.storedName);
    entry.value = Shown(entry.storedValue);
    return entry;
}

QVariant EntryStore::TextParameter(const QVariant& stored) const
{
    // The engine takes a bound blob cast to text for UTF-8 whatever the file's encoding, so
    // only a UTF-8 file gets the bytes themselves; UTF-16 text decodes without loss.
    if (stored.isNull() || m_encoding == StoredEncoding::Utf8)
        return stored;
    return Shown(stored);
}

QVariant EntryStore::ToStore(const QVariant& stored, const QVariant& edited) const
{
    if (IsNullField(edited))
        return {};
    const QString text = edited.toString();
    return stored.isNull() ? EncodeStored(text, m_encoding)
                           : ApplyEditToStored(stored.toByteArray(), text, m_encoding);
}

QString EntryStore::RowCondition() const
{
    // The row must still hold exactly the bytes that were read, NULL included.
    const QString same = SameOrBothNull(m_engine);
    return QStringLiteral("%1 AND %2 %3 ? AND %4 %3 ?")
        .arg(m_keyedByRowid ? QStringLiteral("rowid = ?")
                            : QStringLiteral("\"name\" = ") + TextFromBytes(m_engine),
            StoredBytes(m_engine, QStringLiteral("\"name\"")), same,
            StoredBytes(m_engine, QStringLiteral("\"value\"")));
}

void EntryStore::BindRow(QSqlQuery& query, NameSnapshot::RowKey key, const StoredEntry& original)
{
    if (m_keyedByRowid)
        query.addBindValue(key);
    else
        query.addBindValue(TextParameter(original.storedName));
    query.addBindValue(original.storedName);
    query.addBindValue(original.storedValue);
}

void EntryStore::RunChecked(QSqlQuery& query)
{
    ExecOrThrow(query);
    if (query.numRowsAffected() < 1)
        throw DatabaseError(QString(ChangedElsewhere));
}

StoredEntry EntryStore::Update(
    NameSnapshot::RowKey key, const StoredEntry& original, const QVariant& name, const QVariant& value)
{
    if (Unreachable())
        throw DatabaseError(QString(ServerAway));
    if (!original.found)
        throw DatabaseError(QString(ChangedElsewhere));
    // Only a field the user changed is written, so a field left alone keeps its bytes.
    StoredEntry written = original;
    QStringList assignments;
    QVariantList newFields;
    const auto differs = [](const QVariant& shown, const QVariant& edited) {
        return IsNullField(shown) != IsNullField(edited) || shown.toString() != edited.toString();
    };
    if (differs(original.name, name)) {
        written.storedName = ToStore(original.storedName, name);
        written.name = Shown(written.storedName);
        assignments << QStringLiteral("\"name\" = ") + TextFromBytes(m_engine);
        newFields << TextParameter(written.storedName);
    }
    if (differs(original.value, value)) {
        written.storedValue = ToStore(original.storedValue, value);
        written.value = Shown(written.storedValue);
        assignments << QStringLiteral("\"value\" = ") + TextFromBytes(m_engine);
        newFields << TextParameter(written.storedValue);
    }
    // Nothing to change still checks that the row is as it was read.
    if (assignments.isEmpty())
        assignments << QStringLiteral("\"name\" = \"name\"");
    QSqlQuery query(m_db);
    PrepareOrThrow(query,
        QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(m_table, assignments.join(QStringLiteral(", ")), RowCondition()));
    for (const QVariant& field : newFields)
        query.addBindValue(field);
    BindRow(query, key, original);
    RunChecked(query);
    return written;
}

void EntryStore::Remove(NameSnapshot::RowKey key, const StoredEntry& original)
{
    if (Unreachable())
        throw DatabaseError(QString(ServerAway));
    if (!original.found)
        throw DatabaseError(QString(ChangedElsewhere));
    QSqlQuery query(m_db);
    PrepareOrThrow(query, QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, RowCondition()));
    BindRow(query, key, original);
    RunChecked(query);
}
