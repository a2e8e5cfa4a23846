#pragma once
// Small helpers shared by every piece of SQL the library runs: identifiers are always
// quoted and every failure leaves as a DatabaseError with the engine's own words.

#include <QSqlQuery>
#include <QString>
#include <QStringView>

class QSqlDatabase;
class QSqlError;

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

// True when the library holds a view of that name (compared as the engine compares table
// names); views are listed among the tables. Throws on failure.
bool IsView(QSqlDatabase& db, const QString& tableName);

// Prepares and runs a statement with its values bound in order; throws on failure.
void ExecOrThrow(QSqlQuery& query);
void PrepareOrThrow(QSqlQuery& query, const QString& statement);

// The statement that creates an entry table. Names are compared like the engine's NOCASE
// collation for order, uniqueness and search; value is TEXT because a MEMO column would get
// numeric affinity and turn the text "007" into 7.
QString CreateEntryTableStatement(const QString& tableName);
