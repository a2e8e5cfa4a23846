#pragma once
// Reads every name of a table straight from the engine into a snapshot: the bytes go from
// the engine's row buffer into the snapshot's own storage, with no QVariant or QString per
// row, which is most of the cost of opening a large table.

#include "library/NameSnapshot.h"

#include <QSqlDatabase>
#include <QString>

// `statement` yields (key, name) rows; when `keyedByRowid` is false the key column is ignored
// and the rows are numbered 1, 2, ... instead. Text names arrive as UTF-8 whatever the file's
// encoding; a name stored as a blob keeps its bytes. Throws DatabaseError with the engine's
// message when the statement cannot run.
void ReadNames(const QSqlDatabase& db, const QString& statement, bool keyedByRowid, NameSnapshot& snapshot);
