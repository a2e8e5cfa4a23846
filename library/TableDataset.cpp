#include "library/TableDataset.h"

#include "common/Errors.h"
#include "library/LibraryConnection.h"

#include <string>

namespace {

std::string Utf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

TTableDataset::TTableDataset(QObject* parent)
    : QObject(parent)
{
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
    const std::string_view name = m_snapshot.NameAt(SnapshotIndex(row));
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
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
    // later store or delete can reach one row with another row's copy.
    StoredEntry stored;
    QVariant name;
    if (row >= 0) {
        const std::string_view snapshotName = m_snapshot.NameAt(row);
        stored = m_store->Read(m_snapshot.KeyAt(row), snapshotName);
        // A row deleted by another program since the snapshot still shows its old name;
        // storing or deleting it is then refused as a conflict.
        name = stored.found
            ? stored.name
            : QVariant(QString::fromUtf8(snapshotName.data(), qsizetype(snapshotName.size())));
    }
    m_row = row;
    m_modified = false;
    m_stored = stored;
    m_name = name;
    m_value = stored.value;
    Q_EMIT currentRowChanged(m_row);
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
