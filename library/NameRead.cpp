#include "library/NameRead.h"

#include "common/Errors.h"
#include "library/SqlSupport.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

namespace {

[[noreturn]] void ThrowEngineError(sqlite3* engine)
{
    throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(engine)));
}

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement Prepare(sqlite3* engine, const std::string& sql)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(engine, sql.c_str(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        ThrowEngineError(engine);
    return Statement(raw);
}

// A blob keeps its bytes; anything else is asked for as UTF-8 text (converted from a UTF-16
// file, numbers written out). The pointer is taken before the size, as the engine requires.
std::string_view NameColumn(sqlite3_stmt* query, int column)
{
    const bool blob = sqlite3_column_type(query, column) == SQLITE_BLOB;
    const char* bytes = blob ? static_cast<const char*>(sqlite3_column_blob(query, column))
                             : reinterpret_cast<const char*>(sqlite3_column_text(query, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(query, column));
    if (bytes == nullptr && size > 0)
        throw DatabaseError(QStringLiteral("Out of memory reading the entry names"));
    return {bytes != nullptr ? bytes : "", size};
}

// A server's names come through the driver; they are UTF-8 text there.
int ReadServerNames(const QSqlDatabase& db, const QString& statement, NameSnapshot& snapshot, int limit)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    PrepareOrThrow(query, statement);
    ExecOrThrow(query);
    int rows = 0;
    while ((limit < 0 || rows < limit) && query.next()) {
        const QByteArray name = query.value(1).toString().toUtf8();
        ++rows;
        snapshot.Append(rows, std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
    }
    return rows;
}

} // namespace

sqlite3* EngineHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() != nullptr ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DatabaseError(QStringLiteral("The library is not open"));
    sqlite3* engine = *static_cast<sqlite3* const*>(handle.constData());
    if (engine == nullptr)
        throw DatabaseError(QStringLiteral("The library is not open"));
    return engine;
}

int ReadNames(
    const QSqlDatabase& db, const QString& statement, bool keyedByRowid, NameSnapshot& snapshot, int limit)
{
    if (EngineOf(db) == SqlEngine::Postgres)
        return ReadServerNames(db, statement, snapshot, limit);
    return ReadNames(EngineHandle(db), statement.toStdString(), keyedByRowid, snapshot, limit);
}

int ReadNames(
    sqlite3* engine, const std::string& statement, bool keyedByRowid, NameSnapshot& snapshot, int limit)
{
    const Statement query = Prepare(engine, statement);
    NameSnapshot::RowKey serial = 0;
    int rows = 0;
    int step = SQLITE_ROW;
    while ((limit < 0 || rows < limit) && (step = sqlite3_step(query.get())) == SQLITE_ROW) {
        const NameSnapshot::RowKey key = keyedByRowid ? sqlite3_column_int64(query.get(), 0) : ++serial;
        snapshot.Append(key, NameColumn(query.get(), 1));
        ++rows;
    }
    if (step != SQLITE_ROW && step != SQLITE_DONE)
        ThrowEngineError(engine);
    return rows;
}

qint64 ReadInteger(sqlite3* engine, const std::string& statement)
{
    const Statement query = Prepare(engine, statement);
    const int step = sqlite3_step(query.get());
    if (step == SQLITE_ROW)
        return sqlite3_column_int64(query.get(), 0);
    if (step != SQLITE_DONE)
        ThrowEngineError(engine);
    return 0;
}

std::optional<FoundName> ReadFirstName(
    sqlite3* engine, const std::string& statement, std::string_view parameter)
{
    const Statement query = Prepare(engine, statement);
    if (sqlite3_bind_parameter_count(query.get()) > 0
        && sqlite3_bind_text64(
               query.get(), 1, parameter.data(), parameter.size(), SQLITE_TRANSIENT, SQLITE_UTF8)
            != SQLITE_OK)
        ThrowEngineError(engine);
    const int step = sqlite3_step(query.get());
    if (step == SQLITE_DONE)
        return std::nullopt;
    if (step != SQLITE_ROW)
        ThrowEngineError(engine);
    FoundName found;
    found.key = sqlite3_column_int64(query.get(), 0);
    found.text = sqlite3_column_type(query.get(), 1) == SQLITE_TEXT;
    found.name = std::string(NameColumn(query.get(), 1));
    return found;
}
