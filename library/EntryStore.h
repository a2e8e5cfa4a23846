#pragma once
// The SQL side of an open entry table: loading the names, reading one entry, and writing
// one entry back with a check that the row still holds what was read (optimistic locking).

#include "library/NameSnapshot.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <string_view>

// One entry as the file held it when it was read.
struct StoredEntry {
    bool found = false;
    QVariant name;
    QVariant value;
};

class EntryStore final {
public:
    // Throws DatabaseError when the table does not exist or lacks `name` or `value`.
    EntryStore(const QSqlDatabase& db, const QString& tableName);

    // Rows are keyed by rowid; views and tables without one are keyed by name, and the
    // snapshot then carries a running number only to tell rows apart.
    bool KeyedByRowid() const { return m_keyedByRowid; }

    void LoadNames(NameSnapshot& snapshot);
    StoredEntry Read(NameSnapshot::RowKey key, std::string_view name);
    // Returns the new row's key (its rowid, or `fallbackKey` when keyed by name).
    NameSnapshot::RowKey Insert(
        const QVariant& name, const QVariant& value, NameSnapshot::RowKey fallbackKey);
    void Update(
        NameSnapshot::RowKey key, const StoredEntry& original, const QVariant& name, const QVariant& value);
    void Remove(NameSnapshot::RowKey key, const StoredEntry& original);

private:
    QString RowCondition() const;
    void BindRow(QSqlQuery& query, NameSnapshot::RowKey key, const StoredEntry& original);
    void RunChecked(QSqlQuery& query);

    QSqlDatabase m_db;
    QString m_table;
    bool m_keyedByRowid = true;
    QSqlQuery m_read;
};
