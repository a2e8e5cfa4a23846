#include "library/TableDataset.h"

#include "common/Errors.h"
#include "library/BackgroundNames.h"
#include "library/LibraryConnection.h"
#include "library/NameOrder.h"
#include "library/StoredText.h"

#include <QLoggingCategory>

#include <malloc.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {
Q_LOGGING_CATEGORY(lcDataset, "pastewise.library")

// Another program's lock is usually short; a few tries a second show the value soon after
// it ends without keeping the engine busy meanwhile.
constexpr int RetryReadMs = 150;

// Names read at once when a table opens: well over a screenful, and a whole table of this
// size reads in about a millisecond, less than starting a thread and a connection for it.
constexpr int FirstReadRows = 2000;

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
    m_retryRead.setInterval(RetryReadMs);
    connect(&m_retryRead, &QTimer::timeout, this, &TTableDataset::RetryPendingRead);
    m_refreshSoon.setSingleShot(true);
    connect(&m_refreshSoon, &QTimer::timeout, this, &TTableDataset::RefreshWhenFree);
}

TTableDataset::~TTableDataset()
{
    m_load.reset();
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
    if (connection.Lost())
        throw DatabaseError(QStringLiteral("The library server cannot be reached; trying again"));
    if (!connection.Connected())
        throw DatabaseError(QStringLiteral("The library is not open"));

    auto store = std::make_unique<EntryStore>(connection.Database(), tableName);
    // Listening starts before the names are read, so no change after the read goes unseen.
    if (store->OnServer())
        ListenForChanges(connection, tableName);
    NameSnapshot snapshot;
    const bool partial = store->LoadFirstNames(snapshot, FirstReadRows);

    Q_EMIT aboutToReset();
    m_store = std::move(store);
    std::swap(m_snapshot, snapshot);
    m_tableName = tableName;
    m_state = DatasetState::Browse;
    m_modified = false;
    m_row = -1;
    m_insertRow = -1;
    m_partial = partial;
    m_knownRows = m_snapshot.Count();
    m_connectionClosing
        = connect(&connection, &TLibraryConnection::aboutToClose, this, &TTableDataset::Close);
    Q_EMIT reset();
    Q_EMIT stateChanged(m_state);
    try {
        LoadCurrent(m_snapshot.Count() > 0 ? 0 : -1);
        StartLoad();
    } catch (...) {
        Close();
        throw;
    }
}

void TTableDataset::Close()
{
    if (!Active())
        return;
    StopLoad();
    m_partial = false;
    Q_EMIT aboutToReset();
    disconnect(m_connectionClosing);
    disconnect(m_tableChanged);
    disconnect(m_reconnected);
    m_refreshSoon.stop();
    m_tableOid = 0;
    m_liveUpdatesOff.clear();
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
    ShowRow(row, stored);
}

void TTableDataset::ShowRow(int row, const std::optional<StoredEntry>& stored)
{
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
    if (m_partial && m_knownRows < 1)
        WaitForNames();
    CheckBrowseMode();
    if (m_snapshot.Count() > 0 && m_row != 0)
        LoadCurrent(0);
}

void TTableDataset::Last()
{
    CheckActive();
    WaitForNames();
    CheckBrowseMode();
    const int last = m_snapshot.Count() - 1;
    if (last >= 0 && m_row != last)
        LoadCurrent(last);
}

void TTableDataset::Prior()
{
    CheckActive();
    if (NeedsWholeOrder(m_row))
        WaitForNames();
    if (m_row <= 0)
        CheckBrowseMode();
    else
        MoveTo(m_row - 1);
}

void TTableDataset::Next()
{
    CheckActive();
    if (NeedsWholeOrder(m_row))
        WaitForNames();
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
    const std::string wanted = Utf8(prefix);
    const int found = m_partial ? LocateThroughIndex(wanted) : m_snapshot.FindPrefix(wanted);
    if (found < 0)
        return false;
    if (found != m_row)
        LoadCurrent(found);
    return true;
}

bool TTableDataset::NeedsWholeOrder(int row) const
{
    // The first rows follow each other as in the table; past them a neighbour may be missing.
    return m_partial && (m_state == DatasetState::Insert || row + 1 >= m_knownRows);
}

void TTableDataset::NoteChangedRow(int row)
{
    m_knownRows = std::min(m_knownRows, row);
}

int TTableDataset::LocateThroughIndex(const std::string& prefix)
{
    // The same rule as the snapshot's: the first name not less than the prefix, which must
    // begin with it (an empty prefix only finds an empty name).
    const std::optional<FoundName> found = m_store->FirstNameFrom(prefix);
    if (!found || (prefix.empty() ? !found->name.empty() : !NameStartsWith(found->name, prefix)))
        return -1;
    int row = m_snapshot.Find(found->name, found->key);
    if (row >= 0)
        return row;
    // Shown among the first names until the rest arrive; the browse state means no new row
    // stands in the grid at the moment.
    row = m_snapshot.InsertPosition(found->name);
    Q_EMIT rowAboutToBeInserted(row);
    m_snapshot.InsertSorted(found->key, found->name);
    NoteChangedRow(row);
    if (m_row >= row)
        ++m_row;
    Q_EMIT rowInserted(row);
    return row;
}

bool TTableDataset::NameTaken(const std::string& name) const
{
    if (m_partial) {
        const std::optional<FoundName> found = m_store->FirstNameFrom(name);
        return found && CompareNames(found->name, name) == 0;
    }
    const int row = m_snapshot.FindPrefix(name);
    return row >= 0 && CompareNames(m_snapshot.NameAt(row), name) == 0;
}

void TTableDataset::StartLoad()
{
    if (!m_partial || m_load)
        return;
    const quint64 serial = ++m_loadSerial;
    BackgroundNames::Source source;
    source.fileUri = m_store->ReadOnlyFile();
    source.statement = m_store->NamesStatement();
    source.countStatement = m_store->CountStatement();
    source.bytesPerName
        = m_snapshot.Count() > 0 ? m_snapshot.NameBytes() / std::size_t(m_snapshot.Count()) + 1 : 0;
    source.busyTimeoutMs = m_store->BusyTimeoutMs();
    // The notice crosses to this object's thread; a load stopped meanwhile has a stale serial.
    m_load = std::make_unique<BackgroundNames>(std::move(source), [this, serial] {
        QMetaObject::invokeMethod(
            this, [this, serial] { OnLoadFinished(serial); }, Qt::QueuedConnection);
    });
}

void TTableDataset::StopLoad()
{
    ++m_loadSerial;
    m_load.reset();
}

void TTableDataset::OnLoadFinished(quint64 serial)
{
    if (serial != m_loadSerial || !m_load)
        return;
    // Handing over a typed name may store it, which starts the reading again.
    Q_EMIT aboutToCompleteNames();
    if (serial != m_loadSerial || !m_load)
        return;
    const QString error = TakeLoad();
    if (error.isEmpty())
        return;
    if (m_state == DatasetState::Browse)
        Close();
    Q_EMIT namesFailed(error);
}

void TTableDataset::WaitForNames()
{
    if (!m_partial)
        return;
    Q_EMIT aboutToCompleteNames();
    if (!m_partial)
        return;
    // After a failure nothing reads; this is the next try.
    StartLoad();
    m_load->Wait();
    const QString error = TakeLoad();
    if (error.isEmpty())
        return;
    if (m_state == DatasetState::Browse)
        Close();
    throw DatabaseError(error);
}

QString TTableDataset::TakeLoad()
{
    const std::unique_ptr<BackgroundNames> load = std::move(m_load);
    ++m_loadSerial;
    load->Wait();
    if (load->Failed())
        return load->Error();
    ReplaceSnapshot(load->TakeNames());
    // The first names, the reading's connection and its thread are gone; what they held in
    // the allocator's free lists goes back to the system rather than staying with the window.
    malloc_trim(0);
    return {};
}

void TTableDataset::PostLoadFailure(const QString& message)
{
    QMetaObject::invokeMethod(
        this, [this, message] { Q_EMIT namesFailed(message); }, Qt::QueuedConnection);
}

void TTableDataset::ReplaceSnapshot(NameSnapshot names)
{
    // The current row, or for a new row the row it stands before, is followed by identity.
    const bool inserting = m_state == DatasetState::Insert;
    const int anchor = inserting ? m_insertRow : m_row;
    const bool anchored = anchor >= 0 && anchor < m_snapshot.Count();
    const NameSnapshot::RowKey key = anchored ? m_snapshot.KeyAt(anchor) : 0;
    const std::string name = anchored ? std::string(m_snapshot.NameAt(anchor)) : std::string();

    Q_EMIT aboutToReset();
    std::swap(m_snapshot, names);
    m_partial = false;
    m_knownRows = m_snapshot.Count();
    int row = anchored ? FindRow(name, key) : -1;
    if (anchored && row < 0) {
        // Another program deleted it since the first names were read. The current entry
        // stays on screen as it was; storing or deleting it is refused as a conflict.
        if (inserting)
            row = m_snapshot.InsertPosition(name);
        else
            row = m_snapshot.InsertSorted(key, name);
    }
    if (inserting) {
        m_insertRow = anchored ? row : m_snapshot.Count();
        m_row = m_insertRow;
    } else {
        m_row = row;
    }
    Q_EMIT reset();
}

// Around a store or delete while only the first names are known: the reading stops first,
// so it holds no lock the store would wait for and cannot hand over names from before the
// change; it starts again afterwards, also after a refusal.
TTableDataset::LoadPause::LoadPause(TTableDataset& dataset)
    : m_dataset(dataset)
    , m_paused(dataset.m_partial)
{
    if (m_paused)
        m_dataset.StopLoad();
}

TTableDataset::LoadPause::~LoadPause()
{
    if (!m_paused || !m_dataset.Active())
        return;
    try {
        m_dataset.StartLoad();
    } catch (const std::exception& error) {
        m_dataset.PostLoadFailure(QString::fromUtf8(error.what()));
    }
}
