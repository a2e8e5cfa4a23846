// Live updates of the table dataset: another program's committed change to the open server
// table is read in soon after, without disturbing what the user is doing here.

#include "library/TableDataset.h"

#include "common/Errors.h"
#include "library/ChangeNotice.h"
#include "library/LibraryConnection.h"
#include "library/SqlSupport.h"

#include <QLoggingCategory>
#include <QThread>

#include <algorithm>

namespace {
Q_LOGGING_CATEGORY(lcRefresh, "pastewise.library")

// Soon enough to be seen within a second, late enough to take a burst of notices as one.
constexpr int RefreshDelayMs = 50;
// While a question is open the change waits; this often it looks again.
constexpr int BusyRetryMs = 250;
} // namespace

void TTableDataset::ListenForChanges(TLibraryConnection& connection, const QString& tableName)
{
    disconnect(m_tableChanged);
    disconnect(m_reconnected);
    m_reconnected = connect(
        &connection, &TLibraryConnection::reconnected, this, [this, &connection] { Reattach(connection); });
    QSqlDatabase db = connection.Database();
    const QString stored = CatalogueName(db, tableName);
    m_liveUpdatesOff = connection.ChangeChannel().isEmpty()
        ? QStringLiteral("the server does not let this connection listen for changes")
        : EnsureChangeNotice(db, stored);
    if (!m_liveUpdatesOff.isEmpty())
        qCWarning(lcRefresh).noquote() << "no live updates for" << tableName << "-" << m_liveUpdatesOff;
    m_tableOid = ServerTableOid(db, stored);
    m_refreshSoon.setInterval(RefreshDelayMs);
    m_tableChanged = connect(&connection, &TLibraryConnection::tableChanged, this, [this](qint64 oid) {
        if (Active() && oid == m_tableOid && !m_refreshSoon.isActive()) {
            m_refreshSoon.setInterval(RefreshDelayMs);
            m_refreshSoon.start();
        }
    });
}

void TTableDataset::RefreshWhenFree()
{
    if (!Active())
        return;
    // A nested event loop is a question on screen (a confirmation, a refused store): the
    // answer refers to the current entry, which must not change under it.
    if (QThread::currentThread()->loopLevel() > 1) {
        m_refreshSoon.setInterval(BusyRetryMs);
        m_refreshSoon.start();
        return;
    }
    try {
        Refresh();
    } catch (const DatabaseError& error) {
        // The snapshot stays as it was; the next notice or the next open reads it again.
        qCWarning(lcRefresh).noquote() << "changes of another program not read:" << error.message();
    }
}

void TTableDataset::Reattach(TLibraryConnection& connection)
{
    if (!Active())
        return;
    try {
        auto store = std::make_unique<EntryStore>(connection.Database(), m_tableName);
        store->TakeReadCache(*m_store);
        m_store = std::move(store);
        // Changes of other copies meanwhile sent no notice this connection heard.
        Refresh();
    } catch (const DatabaseError& error) {
        qCWarning(lcRefresh).noquote() << "table not read again after reconnecting:" << error.message();
    }
    if (m_valuePending)
        RetryPendingRead();
}

int TTableDataset::FindRow(std::string_view name, NameSnapshot::RowKey key) const
{
    // Rows keyed by name carry numbers of this snapshot only; a new read numbers them anew.
    return m_store->KeyedByRowid() ? m_snapshot.Find(name, key) : m_snapshot.FindExact(name);
}

void TTableDataset::Refresh()
{
    CheckActive();
    // Without the server there is nothing to read; the names are read again once it is back.
    if (!m_store->OnServer() || m_store->Unreachable())
        return;
    Q_EMIT aboutToRefresh();
    if (!Active())
        return;
    NameSnapshot names;
    m_store->LoadNames(names);
    if (m_state != DatasetState::Browse) {
        // The pending change keeps its row, and its fields as typed.
        ReplaceSnapshot(std::move(names));
        return;
    }
    const int oldRow = m_row;
    const std::string current = oldRow >= 0 ? std::string(m_snapshot.NameAt(oldRow)) : std::string();
    if (names.SameNames(m_snapshot)) {
        // Only text changed: the list stays as it is, the current entry is read again.
        if (oldRow < 0)
            return;
        const std::optional<StoredEntry> stored = m_store->TryRead(m_snapshot.KeyAt(oldRow), current);
        if (stored
            && (stored->storedName != m_stored.storedName || stored->storedValue != m_stored.storedValue))
            ShowRow(oldRow, stored);
        return;
    }
    int row = oldRow >= 0 ? names.FindExact(current) : -1;
    if (row < 0 && names.Count() > 0)
        row = std::min(std::max(oldRow, 0), names.Count() - 1);
    // Read before anything changes: a failed read leaves the dataset whole, as it was.
    std::optional<StoredEntry> stored = StoredEntry {};
    if (row >= 0)
        stored = m_store->TryRead(names.KeyAt(row), names.NameAt(row));
    Q_EMIT aboutToReset();
    std::swap(m_snapshot, names);
    m_knownRows = m_snapshot.Count();
    m_row = row;
    Q_EMIT reset();
    ShowRow(row, stored);
}
