#pragma once
// The table dataset `tbl`: the open table's entries in name order with one current row and
// at most one pending change. Names live in a compact snapshot taken at open (for a large
// table the first names at once and the rest on a thread of its own, see WaitForNames); an entry's
// value is read when it becomes current; while another program holds the file locked, the
// entry becomes current all the same and its value follows as soon as it can be read. Rows
// are written back one at a time with a check that nobody changed them since they were read.
//
// Row numbers below are the rows a grid shows: while a new entry is being inserted it is a
// row of its own at its insert position.

#include "library/EntryStore.h"
#include "library/NameSnapshot.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class BackgroundNames;
class TLibraryConnection;

enum class DatasetState { Inactive, Browse, Edit, Insert };

class TTableDataset final : public QObject {
    Q_OBJECT
public:
    explicit TTableDataset(QObject* parent = nullptr);
    ~TTableDataset() override;

    // Closes first (a pending change is dropped: ADOUtil's CloseTable posts it). On failure
    // the dataset stays closed.
    void Open(TLibraryConnection& connection, const QString& tableName);
    void Close();
    bool Active() const { return m_state != DatasetState::Inactive; }
    QString TableName() const { return m_tableName; }

    DatasetState State() const { return m_state; }
    bool Modified() const { return m_modified; }

    // Grid access. CurrentRow() is -1 when there is no row.
    int RecordCount() const;
    int CurrentRow() const { return m_row; }
    QString NameAt(int row) const;
    bool IsEmpty() const { return RecordCount() == 0; }

    // Fields of the current row, pending values included.
    QString Name() const { return m_name.toString(); }
    QString Value() const { return m_value.toString(); }
    // The current entry could not be read yet because another program holds the file
    // locked: Value() is empty until it can, and fieldsChanged() tells when it arrives.
    bool ValuePending() const { return m_valuePending; }
    // Reads a pending value now, waiting for the lock as long as the engine allows; throws
    // when it still cannot be read. Storing, deleting and setting the value do this first.
    void LoadPendingValue();
    // Enter Edit from Browse (Insert on an empty table); the pending value is kept in Insert.
    void SetName(const QString& name);
    void SetValue(const QString& value);
    void Edit();

    // Starts a new row before the current one (check-browse-mode first).
    void Insert();
    // Starts a new row after the last one (check-browse-mode first).
    void Append();
    // Add Entry: stores a new entry at once and makes it current. When the engine refuses
    // it the new row is dropped again, so nothing is added and nothing stays pending.
    void InsertAndPost(const QString& name, const QString& value);
    void Post();
    void Cancel();
    // Post a pending change; an untouched new row is discarded instead.
    void CheckBrowseMode();
    // For a pending change the engine refused: stores its name and text as a new entry (under
    // the pending name while that is free, else with " (2)", " (3)"... added; "Untitled" for
    // no name), drops the pending change and makes the new entry current. When that store
    // fails too it throws and the pending change stays as it was. Returns the name used.
    QString KeepPendingAsNewEntry();

    void First();
    void Prior();
    void Next();
    void Last();
    void MoveTo(int row);
    // First entry whose name begins with `prefix` (same case rule as the order); an empty
    // prefix only finds an empty name. Moves there and returns true when found.
    bool Locate(const QString& prefix);

    // Deletes the current row at once; the next row (or the new last one) becomes current.
    void Delete();

    std::size_t SnapshotMemoryBytes() const { return m_snapshot.MemoryBytes(); }

    // Live updates of a table on a server: when another program commits a change to the open
    // table, the names are read again soon after (Refresh). The current entry stays current
    // while it exists, a pending change stays pending as it was (its store is checked against
    // the entry as it was read, as always), and a deleted current entry gives way to its
    // neighbour. Not while the user is answering a question: the change waits for the answer.
    // While the server is away the snapshot stays: moving and searching work, an entry read
    // before shows its text, one not read yet shows it once the server is back.
    void Refresh();
    // Why the open server table gets no live updates, empty when it does (and for a file).
    QString LiveUpdatesOff() const { return m_liveUpdatesOff; }
    // The open server table's object id, which a rename keeps; 0 for a file.
    qint64 TableOid() const { return m_tableOid; }

    // A large table opens with its first names only; the rest are read in the background and
    // take their place in one reset once complete. Until then a search asks the file's name
    // index, so it finds what it will find afterwards, and a move that needs the whole order
    // waits for the rest. A store or delete meanwhile stops the reading and starts it again
    // once done, so the names read always include it.
    bool NamesComplete() const { return !m_partial; }
    // Waits for the rest of the names. When they cannot be read the table closes (a pending
    // change stays open instead) and the engine's message is thrown.
    void WaitForNames();

Q_SIGNALS:
    // Pairs in the manner of a Qt item model's begin/end notifications.
    void aboutToReset();
    void reset();
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    // `to` is the row's index once the move is done.
    void rowAboutToMove(int from, int to);
    void rowMoved(int from, int to);
    // The name shown for a row changed without a move (pending edit, stored rename).
    void rowChanged(int row);
    // Another entry became current, or the current one was read again.
    void currentRowChanged(int row);
    // The current row's fields changed (set, stored or reverted).
    void fieldsChanged();
    void stateChanged(DatasetState state);
    // The names read in the background are about to replace the first ones (a reset follows):
    // a view hands over a name still being typed in a cell first.
    void aboutToCompleteNames();
    // Another program changed the open table; a view hands over a name being typed in a cell
    // before the names are read again.
    void aboutToRefresh();
    // The names read in the background could not be read. The table is closed as after a
    // failed open, unless a change is pending, which stays open with the names read so far.
    void namesFailed(const QString& message);

private:
    // Stops the background reading around a store or delete and starts it again afterwards.
    class LoadPause final {
    public:
        explicit LoadPause(TTableDataset& dataset);
        ~LoadPause();
        LoadPause(const LoadPause&) = delete;
        LoadPause& operator=(const LoadPause&) = delete;

    private:
        TTableDataset& m_dataset;
        bool m_paused;
    };
    void StartLoad();
    void StopLoad();
    void OnLoadFinished(quint64 serial);
    // Takes the finished load's result; returns the failure message, empty on success.
    QString TakeLoad();
    void ReplaceSnapshot(NameSnapshot names);
    void PostLoadFailure(const QString& message);
    // Whether a move from `row` to a neighbour needs the names not read yet.
    bool NeedsWholeOrder(int row) const;
    // A snapshot row changed while only the first names are known: rows from there on are no
    // longer known to follow each other as in the table.
    void NoteChangedRow(int row);
    int LocateThroughIndex(const std::string& prefix);
    bool NameTaken(const std::string& name) const;

    // A name as the snapshot holds it.
    static std::string Utf8(const QString& text);
    void CheckActive() const;
    int SnapshotIndex(int row) const;
    void SetState(DatasetState state);
    QString SnapshotNameText(int row) const;
    void LoadCurrent(int row);
    // Makes `row` current with the entry as read (empty: not readable yet).
    void ShowRow(int row, const std::optional<StoredEntry>& stored);
    // Row of a name and key, or for rows keyed by name, of the name alone.
    int FindRow(std::string_view name, NameSnapshot::RowKey key) const;
    void RefreshWhenFree();
    void ListenForChanges(TLibraryConnection& connection, const QString& tableName);
    // The server is back after an outage: statements are prepared anew and the names read
    // again; a change made meanwhile is still pending, to be stored as usual.
    void Reattach(TLibraryConnection& connection);
    void RetryPendingRead();
    void TakePendingRead(const StoredEntry& stored);
    void PostInsert();
    void StartInsertAt(int row);
    void PostEdit();
    // After a store: the row as the file now holds it, and the dataset back in browse on it.
    StoredEntry ReadBackStored(NameSnapshot::RowKey key, const StoredEntry& written) const;
    void FinishStore(int from, int to, const StoredEntry& stored);
    void MoveSnapshotRow(int from, const QVariant& storedName);
    void DiscardInsert();
    QString FreeEntryName(const QString& wanted) const;

    std::unique_ptr<EntryStore> m_store;
    NameSnapshot m_snapshot;
    std::unique_ptr<BackgroundNames> m_load;
    // Only the first names are known; m_knownRows of them are the table's first rows in order.
    bool m_partial = false;
    int m_knownRows = 0;
    // Tells a finished load's notice from one of a load since stopped.
    quint64 m_loadSerial = 0;
    QString m_tableName;
    DatasetState m_state = DatasetState::Inactive;
    bool m_modified = false;
    int m_row = -1;
    int m_insertRow = -1;
    // Key for rows of tables keyed by name; runs downwards so it never meets a loaded one.
    NameSnapshot::RowKey m_nextLocalKey = -1;
    QMetaObject::Connection m_connectionClosing;
    QMetaObject::Connection m_tableChanged;
    QMetaObject::Connection m_reconnected;
    qint64 m_tableOid = 0;
    QString m_liveUpdatesOff;
    // Notices come in bursts (one a statement); one read of the names answers them all.
    QTimer m_refreshSoon;
    StoredEntry m_stored;
    bool m_valuePending = false;
    QTimer m_retryRead;
    QVariant m_name;
    QVariant m_value;
};
