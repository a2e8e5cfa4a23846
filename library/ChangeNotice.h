#pragma once
// Live updates of a library on a server: every entry table carries a trigger that, once a
// change is committed, notifies the channel of its schema with the table's object id as the
// payload. The payload is a number the server writes, never text from a user, and it stays
// right when the table is renamed. Changes to the list of tables are announced by the program
// itself with the payload "tables", as a server gives triggers no word of them.

#include <QString>
#include <QStringList>

class QSqlDatabase;

// The payload that says tables were added, dropped or renamed.
inline constexpr const char* TablesChangedPayload = "tables";

// The channel every copy showing a table of the schema with this object id listens on.
QString ChangeNoticeChannel(qint64 schemaOid);

// Statements that give a new table its notice, to run in the transaction that creates it.
// The trigger function is made once per schema, by whoever creates the first table there.
QStringList ChangeNoticeStatements(const QString& tableName);

// The object id of a table of the current schema, or 0 when it has none.
qint64 ServerTableOid(QSqlDatabase& db, const QString& catalogueName);

// The name a table of the server has now, found by its object id; empty when it is gone.
QString ServerTableName(QSqlDatabase& db, qint64 tableOid);

// Adds the notice to a table that lacks it (one made by another tool, or before there were
// live updates). Returns why the table has no notice and cannot get one, empty when it has
// it; never throws.
QString EnsureChangeNotice(QSqlDatabase& db, const QString& catalogueName);
