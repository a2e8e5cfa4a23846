#include "library/NameRead.h"

#include "common/Errors.h"
#include "library/SqlSupport.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

namespace {

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

[[noreturn]] void ThrowEngineError(sqlite3* engine)
{
    throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(engine)));
}

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// A server's names come through the driver; they are UTF-8 text there.
void ReadServerNames(const QSqlDatabase& db, const QString& statement, NameSnapshot& snapshot)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    PrepareOrThrow(query, statement);
    ExecOrThrow(query);
    NameSnapshot::RowKey serial = 0;
    while (query.next()) {
        const QByteArray name = query.value(1).toString().toUtf8();
        snapshot.Append(++serial, std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
    }
}

} // namespace

void ReadNames(const QSqlDatabase& db, const QString& statement, bool keyedByRowid, NameSnapshot& snapshot)
{
    if (EngineOf(db) == SqlEngine::Postgres) {
        ReadServerNames(db, statement, snapshot);
        return;
    }
    sqlite3* engine = EngineHandle(db);
    const QByteArray sql = statement.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(engine, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        ThrowEngineError(engine);
    const std::unique_ptr<sqlite3_stmt, Finalize> query(raw);

    NameSnapshot::RowKey serial = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        // A blob keeps its bytes; anything else is asked for as UTF-8 text (converted from a
        // UTF-16 file, numbers written out). The pointer is taken before the size, as the
        // engine requires.
        const bool blob = sqlite3_column_type(raw, 1) == SQLITE_BLOB;
        const char* bytes = blob ? static_cast<const char*>(sqlite3_column_blob(raw, 1))
                                 : reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(raw, 1));
        if (bytes == nullptr && size > 0)
            throw DatabaseError(QStringLiteral("Out of memory reading the entry names"));
        const NameSnapshot::RowKey key = keyedByRowid ? sqlite3_column_int64(raw, 0) : ++serial;
        snapshot.Append(key, std::string_view(bytes != nullptr ? bytes : "", size));
    }
    if (step != SQLITE_DONE)
        ThrowEngineError(engine);
}
