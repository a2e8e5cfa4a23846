#include "library/TableDataset.h"

#include "common/Errors.h"
#include "library/LibraryConnection.h"
#include "library/StoredText.h"

#include <QLoggingCategory>

#include <optional>
#include <string>

namespace {
Q_LOGGING_CATEGORY(lcDataset, "pastewise.library")

// Another program's lock is usually short; a few tries a second show the value soon after
// it ends without keeping the engine busy meanwhile.
constexpr int kRetryReadMs = 150;

} // namespace

std::string TTableDataset::Utf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

TTableDataset::TTableDataset(QObject* parent)
    : QObject(parent)
{
    m_retryRead.setSingleShot(true);
    m_retryRead.setInterval(kRetryReadMs);
    connect(&m_retryRead, &QTimer::timeout, this, &TTableDataset::RetryPendingRead);
}

TTableDataset::~TTableDataset()
{
    // Statements must go before the connection they were prepared on.
    m_store.reset();
}

void TTableDataset::CheckActive() const
{
    if (!Active())
        throw DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TTableDataset::Open(TLibraryConnection& connection, const QString& tableName)
{
    Close();
    if (!connection.Connected())
        throw DatabaseError(QStringLiteral("The library is not open"));

    auto store = std::make_unique<EntryStore>(connection.Database(), tableName);
    NameSnapshot snapshot;
    store->LoadNames(snapshot);

    Q_EMIT aboutToReset();
    m_store = std::move(store);
    std::swap(m_snapshot, snapshot);
    m_tableName = tableName;
    m_state = DatasetState::Browse;
    m_modified = false;
    m_row = -1;
    m_insertRow = -1;
    m_connectionClosing
        = connect(&connection, &TLibraryConnection::aboutToClose, this, &TTableDataset::Close);
    Q_EMIT reset();
    Q_EMIT stateChanged(m_state);
    try {
        LoadCurrent(m_snapshot.Count() > 0 ? 0 : -1);
    } catch (...) {
        Close();
        throw;
    }
}

void TTableDataset::Close()
{
    if (!Active())
        return;
    Q_EMIT aboutToReset();
    disconnect(m_connectionClosing);
    m_store.reset();
    m_snapshot.Clear();
    m_state = DatasetState::Inactive;
    m_modified = false;
    m_row = -1;
    m_insertRow = -1;
    m_stored = {};
    m_valuePending = false;
    m_retryRead.stop();
    m_name = {};
    m_value = {};
    Q_EMIT reset();
    Q_EMIT stateChanged(m_state);
    Q_EMIT currentRowChanged(-1);
    Q_EMIT fieldsChanged();
}

int TTableDataset::RecordCount() const
{
    return m_snapshot.Count() + (m_state == DatasetState::Insert ? 1 : 0);
}

int TTableDataset::SnapshotIndex(int row) const
{
    return (m_state == DatasetState::Insert && row > m_insertRow) ? row - 1 : row;
}

QString TTableDataset::NameAt(int row) const
{
    if (row < 0 || row >= RecordCount())
        return {};
    if (row == m_row && (m_state == DatasetState::Insert || m_state == DatasetState::Edit))
        return Name();
    return SnapshotNameText(SnapshotIndex(row));
}

QString TTableDataset::SnapshotNameText(int row) const
{
    const std::string_view name = m_snapshot.NameAt(row);
    return DecodeStored(QByteArrayView(name.data(), qsizetype(name.size())), StoredEncoding::Utf8);
}

void TTableDataset::SetState(DatasetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void TTableDataset::LoadCurrent(int row)
{
    // Read first: a read that fails leaves the dataset on the row it was on, whole, so no
    // later store or delete can reach one row with another row's copy. A file locked by
    // another program is not waited for: the row becomes current with its value to follow,
    // so moving and searching, which need only the names, never hold the window up.
    std::optional<StoredEntry> stored = StoredEntry {};
    if (row >= 0)
        stored = m_store->TryRead(m_snapshot.KeyAt(row), m_snapshot.NameAt(row));
    m_row = row;
    m_modified = false;
    m_valuePending = !stored.has_value();
    m_stored = stored.value_or(StoredEntry {});
    // A row deleted by another program since the snapshot still shows its old name;
    // storing or deleting it is then refused as a conflict.
    m_name = m_stored.found ? m_stored.name : (row >= 0 ? QVariant(SnapshotNameText(row)) : QVariant());
    m_value = m_stored.value;
    if (m_valuePending)
        m_retryRead.start();
    else
        m_retryRead.stop();
    Q_EMIT currentRowChanged(m_row);
    Q_EMIT fieldsChanged();
}

void TTableDataset::RetryPendingRead()
{
    if (!m_valuePending || m_row < 0)
        return;
    std::optional<StoredEntry> stored;
    try {
        stored = m_store->TryRead(m_snapshot.KeyAt(m_row), m_snapshot.NameAt(m_row));
    } catch (const DatabaseError& error) {
        // Not a lock, so trying again will not help. The value stays unread; whatever needs
        // it next (a copy, a store, a delete) reads it and reports the error to the user.
        qCWarning(lcDataset).noquote() << "entry value not read:" << error.message();
        return;
    }
    if (stored)
        TakePendingRead(*stored);
    else
        m_retryRead.start();
}

void TTableDataset::LoadPendingValue()
{
    if (!m_valuePending || m_row < 0)
        return;
    TakePendingRead(m_store->Read(m_snapshot.KeyAt(m_row), m_snapshot.NameAt(m_row)));
}

void TTableDataset::TakePendingRead(const StoredEntry& stored)
{
    m_retryRead.stop();
    m_valuePending = false;
    m_stored = stored;
    // A name typed meanwhile stays; the value could not be changed before it was read.
    if (m_state == DatasetState::Browse && stored.found)
        m_name = stored.name;
    m_value = stored.value;
    Q_EMIT rowChanged(m_row);
    Q_EMIT fieldsChanged();
}

void TTableDataset::MoveTo(int row)
{
    CheckActive();
    if (row == m_row || row < 0 || row >= RecordCount())
        return;
    // Remember the target by identity: storing the pending change may re-sort the rows,
    // and discarding a new row shifts the ones after it.
    const int target = SnapshotIndex(row);
    const NameSnapshot::RowKey key = m_snapshot.KeyAt(target);
    const std::string name(m_snapshot.NameAt(target));
    CheckBrowseMode();
    const int found = m_snapshot.Find(name, key);
    if (found >= 0 && found != m_row)
        LoadCurrent(found);
}

void TTableDataset::First()
{
    CheckActive();
    CheckBrowseMode();
    if (m_snapshot.Count() > 0 && m_row != 0)
        LoadCurrent(0);
}

void TTableDataset::Last()
{
    CheckActive();
    CheckBrowseMode();
    const int last = m_snapshot.Count() - 1;
    if (last >= 0 && m_row != last)
        LoadCurrent(last);
}

void TTableDataset::Prior()
{
    CheckActive();
    if (m_row <= 0)
        CheckBrowseMode();
    else
        MoveTo(m_row - 1);
}

void TTableDataset::Next()
{
    CheckActive();
    // Past the last row nothing happens: moving on never starts a new entry.
    if (m_row + 1 >= RecordCount())
        CheckBrowseMode();
    else
        MoveTo(m_row + 1);
}

bool TTableDataset::Locate(const QString& prefix)
{
    CheckActive();
    CheckBrowseMode();
    const int found = m_snapshot.FindPrefix(Utf8(prefix));
    if (found < 0)
        return false;
    if (found != m_row)
        LoadCurrent(found);
    return true;
}
