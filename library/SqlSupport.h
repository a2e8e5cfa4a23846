#pragma once
// Small helpers shared by every piece of SQL the library runs: identifiers are always
// quoted and every failure leaves as a DatabaseError with the engine's own words.

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QStringView>

class QSqlDatabase;
class QSqlError;

// The two engines a library can live in: a file, or a PostgreSQL server.
enum class SqlEngine { Sqlite, Postgres };
SqlEngine EngineOf(const QSqlDatabase& db);

// "name" with inner double quotes doubled, so any text is one identifier and nothing more.
QString QuoteIdentifier(const QString& identifier);

// The engine's message for an error; Qt's generic text only when the engine gave none.
QString EngineMessage(const QSqlError& error);

[[noreturn]] void ThrowSqlError(const QSqlError& error);

// True when the engine gave up because another connection holds the file locked.
bool IsLockedError(const QSqlError& error);

// The engine's comparison of table names: ASCII letters without regard to case, every
// other character exactly ("über" and "ÜBER" are two tables).
bool SameIdentifier(QStringView a, QStringView b);

// True when the library holds a view of that name (compared as SameIdentifier does); views
// are listed among the tables. Throws on failure.
bool IsView(QSqlDatabase& db, const QString& tableName);

// The table's name as the library spells it. A file finds a table whatever the case of its
// ASCII letters; a server is asked for its tables so that it finds them the same way (an exact
// spelling first). A name the library does not hold comes back as it was given.
QString CatalogueName(QSqlDatabase& db, const QString& tableName);
// Tables and views of the server's current schema, in creation order.
QStringList ServerTableNames(QSqlDatabase& db);

// The pieces of SQL that differ between the engines.
// A text column as the exact bytes it holds (UTF-8 on a server).
QString StoredBytes(SqlEngine engine, const QString& column);
// A bound parameter holding a text's bytes, as text.
QString TextFromBytes(SqlEngine engine);
// Equality that holds for two NULLs as well.
QString SameOrBothNull(SqlEngine engine);
// The order of entry names: ASCII letters folded, every other character by its code.
QString NameOrderBy(SqlEngine engine);

// Prepares and runs a statement with its values bound in order; throws on failure.
void ExecOrThrow(QSqlQuery& query);
void PrepareOrThrow(QSqlQuery& query, const QString& statement);

// The statement that creates an entry table. Names are compared like the engine's NOCASE
// collation for order, uniqueness and search; value is TEXT because a MEMO column would get
// numeric affinity and turn the text "007" into 7.
QString CreateEntryTableStatement(const QString& tableName);
// The statements that create an entry table on either engine, to run in one transaction. On
// a server the name is bytewise ("C") and a unique index on its ASCII-folded form keeps
// names unique without regard to case exactly as a file does, and a trigger tells the other
// copies of every change (see ChangeNotice.h).
QStringList CreateEntryTableStatements(SqlEngine engine, const QString& tableName);
