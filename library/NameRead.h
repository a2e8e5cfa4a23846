#pragma once
// Reads every name of a table straight from the engine into a snapshot: the bytes go from
// the engine's row buffer into the snapshot's own storage, with no QVariant or QString per
// row, which is most of the cost of opening a large table.

#include "library/NameSnapshot.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

// `statement` yields (key, name) rows; when `keyedByRowid` is false the key column is ignored
// and the rows are numbered 1, 2, ... instead. Text names arrive as UTF-8 whatever the file's
// encoding; a name stored as a blob keeps its bytes. At most `limit` rows are read when it is
// not negative. Returns the number of rows read. Throws DatabaseError with the engine's
// message when the statement cannot run.
int ReadNames(const QSqlDatabase& db, const QString& statement, bool keyedByRowid, NameSnapshot& snapshot,
    int limit = -1);
int ReadNames(
    sqlite3* engine, const std::string& statement, bool keyedByRowid, NameSnapshot& snapshot, int limit = -1);

// The engine's handle of an open connection; throws when it is not open.
sqlite3* EngineHandle(const QSqlDatabase& db);

// The first column of the first row of a statement without parameters, as an integer (0
// when there is no row).
qint64 ReadInteger(sqlite3* engine, const std::string& statement);

struct FoundName {
    NameSnapshot::RowKey key = 0;
    std::string name;
    bool text = true;
};
// The first row of a (key, name) statement with `parameter` bound as UTF-8 text to its one
// parameter (if it has one); empty when there is none.
std::optional<FoundName> ReadFirstName(
    sqlite3* engine, const std::string& statement, std::string_view parameter = {});
