#pragma once
// The SQL side of an open entry table: loading the names, reading one entry, and writing
// one entry back with a check that the row still holds what was read (optimistic locking).

#include "library/NameRead.h"
#include "library/NameSnapshot.h"
#include "library/SqlSupport.h"
#include "library/StoredText.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <optional>
#include <string>
#include <string_view>

// One entry as the file held it when it was read.
struct StoredEntry {
    bool found = false;
    // The fields as text to show; null for NULL.
    QVariant name;
    QVariant value;
    // The fields' bytes exactly as the file holds them (in its own encoding); null for NULL.
    // A store or delete is checked against these, byte for byte, and an edit keeps the
    // bytes of what it did not touch.
    QVariant storedName;
    QVariant storedValue;
};

class EntryStore final {
public:
    // Throws DatabaseError when the table does not exist or lacks `name` or `value`.
    EntryStore(const QSqlDatabase& db, const QString& tableName);

    // Rows are keyed by rowid; views and tables without one are keyed by name, and the
    // snapshot then carries a running number only to tell rows apart.
    bool KeyedByRowid() const { return m_keyedByRowid; }
    bool OnServer() const { return m_engine == SqlEngine::Postgres; }
    // The connection to the server is lost: reads answer from the entries read before (or not
    // at all yet), changes are refused with a plain word.
    bool Unreachable() const { return OnServer() && !m_db.isOpen(); }
    // Takes over the entries another store of the same table has read, for the next outage.
    void TakeReadCache(EntryStore& other) { m_readCache.swap(other.m_readCache); }

    void LoadNames(NameSnapshot& snapshot);
    // Reads the first names of a large table and returns true when the rest can follow in the
    // background: the file is one of its own, rows are keyed by rowid, an index keeps the
    // names in name order and every name is text. Otherwise reads every name, returns false.
    bool LoadFirstNames(NameSnapshot& snapshot, int firstRows);
    // For the background reading: the file to open read-only, what to run, how long to wait
    // for another program's lock.
    std::string ReadOnlyFile() const;
    std::string NamesStatement() const;
    std::string CountStatement() const;
    int BusyTimeoutMs() const { return m_busyTimeoutMs; }
    // The first entry in name order whose name is not less than `name`, through the index.
    std::optional<FoundName> FirstNameFrom(std::string_view name) const;
    // Waits for another program's lock as long as the engine's busy timeout allows.
    StoredEntry Read(NameSnapshot::RowKey key, std::string_view name);
    // Never waits: empty while another program holds the file locked.
    std::optional<StoredEntry> TryRead(NameSnapshot::RowKey key, std::string_view name);
    // The name of a stored entry in the form the snapshot keeps names.
    std::string SnapshotName(const StoredEntry& entry) const;

    // Returns the new row's key (its rowid, or `fallbackKey` when keyed by name).
    NameSnapshot::RowKey Insert(
        const QVariant& name, const QVariant& value, NameSnapshot::RowKey fallbackKey);
    // The entry as Insert has written it, for when it cannot be read back.
    StoredEntry Written(const QVariant& name, const QVariant& value) const;
    // Writes the fields that differ from `original` and returns the entry as written.
    StoredEntry Update(
        NameSnapshot::RowKey key, const StoredEntry& original, const QVariant& name, const QVariant& value);
    void Remove(NameSnapshot::RowKey key, const StoredEntry& original);

private:
    std::optional<StoredEntry> ReadRow(NameSnapshot::RowKey key, std::string_view name, bool waitForLock);
    QVariant Shown(const QVariant& stored) const;
    QVariant ToStore(const QVariant& stored, const QVariant& edited) const;
    // Stored bytes as a parameter the engine casts to exactly this text.
    QVariant TextParameter(const QVariant& stored) const;
    QString RowCondition() const;
    bool HasNameOrderIndex() const;
    void BindRow(QSqlQuery& query, NameSnapshot::RowKey key, const StoredEntry& original);
    void RunChecked(QSqlQuery& query);

    QSqlDatabase m_db;
    SqlEngine m_engine = SqlEngine::Sqlite;
    QString m_table;
    bool m_keyedByRowid = true;
    StoredEncoding m_encoding = StoredEncoding::Utf8;
    int m_busyTimeoutMs = 0;
    QSqlQuery m_read;
    // Switch the connection's wait for locks off and back on around a read that must not wait.
    QSqlQuery m_waitOff;
    QSqlQuery m_waitOn;
    // A server's entries as last read, by name: while the server is away, an entry seen before
    // can still be shown, copied and pasted.
    QHash<QByteArray, StoredEntry> m_readCache;
};
