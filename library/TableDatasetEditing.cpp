// The pending change of the table dataset: entering edit and insert, storing, discarding
// and deleting.

#include "library/TableDataset.h"

#include "common/Errors.h"

#include <algorithm>
#include <string>

namespace {

// Text typed by the user is never NULL: a cleared name is the empty text, which the engine
// refuses as a name, and a cleared value stays an empty text.
QString NotNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

void TTableDataset::Edit()
{
    CheckActive();
    if (m_state != DatasetState::Browse)
        return;
    // Typing into an empty table starts its first entry.
    if (m_snapshot.Count() == 0) {
        Insert();
        return;
    }
    SetState(DatasetState::Edit);
}

void TTableDataset::SetName(const QString& name)
{
    CheckActive();
    if (m_state == DatasetState::Browse && m_row >= 0 && m_name.toString() == name)
        return;
    Edit();
    m_name = NotNull(name);
    m_modified = true;
    Q_EMIT rowChanged(m_row);
    Q_EMIT fieldsChanged();
}

void TTableDataset::SetValue(const QString& value)
{
    CheckActive();
    if (m_state == DatasetState::Browse && m_row >= 0 && !m_valuePending && m_value.toString() == value)
        return;
    // A value set before the stored one was read would replace text nobody has seen.
    LoadPendingValue();
    Edit();
    m_value = NotNull(value);
    m_modified = true;
    Q_EMIT fieldsChanged();
}

void TTableDataset::Insert()
{
    CheckActive();
    CheckBrowseMode();
    StartInsertAt(m_row < 0 ? 0 : m_row);
}

void TTableDataset::Append()
{
    CheckActive();
    CheckBrowseMode();
    StartInsertAt(m_snapshot.Count());
}

void TTableDataset::StartInsertAt(int row)
{
    Q_EMIT rowAboutToBeInserted(row);
    m_state = DatasetState::Insert;
    m_insertRow = row;
    m_row = row;
    m_modified = false;
    m_valuePending = false;
    m_retryRead.stop();
    // A name never typed stays NULL, so storing it is refused by the engine.
    m_stored = {};
    m_name = {};
    m_value = {};
    Q_EMIT rowInserted(row);
    Q_EMIT stateChanged(m_state);
    Q_EMIT currentRowChanged(m_row);
    Q_EMIT fieldsChanged();
}

void TTableDataset::InsertAndPost(const QString& name, const QString& value)
{
    Insert();
    // Whoever reacted to the new row (a view handing over an open cell editor, say) must not
    // have moved the dataset on: the name and value below belong to the new row only.
    if (m_state != DatasetState::Insert || m_modified)
        throw DatabaseError(QStringLiteral("The entry was not added: another change came first"));
    m_name = NotNull(name);
    m_value = NotNull(value);
    m_modified = true;
    try {
        Post();
    } catch (const DatabaseError& e) {
        // Left pending, the refused row would be stored again (and refused again) on every
        // move; Add Entry means "add it now or not at all". Nothing typed is lost with it:
        // the name is still in the search box.
        DiscardInsert();
        throw DatabaseError(e.message());
    }
}

void TTableDataset::Post()
{
    CheckActive();
    try {
        if (m_state == DatasetState::Insert) {
            PostInsert();
        } else if (m_state == DatasetState::Edit) {
            if (m_modified)
                PostEdit();
            else
                SetState(DatasetState::Browse);
        }
    } catch (const StoreRefusedError&) {
        throw;
    } catch (const DatabaseError& e) {
        // Typed text is still pending; telling it apart lets the window offer to keep it.
        if (m_modified)
            throw StoreRefusedError(e.message());
        throw;
    }
}

void TTableDataset::PostInsert()
{
    const LoadPause pause(*this);
    const NameSnapshot::RowKey key = m_store->Insert(m_name, m_value, m_nextLocalKey);
    if (!m_store->KeyedByRowid())
        --m_nextLocalKey;
    // From here on the row is stored: what follows only brings the snapshot in line.
    const StoredEntry stored = ReadBackStored(key, m_store->Written(m_name, m_value));
    const std::string name = m_store->SnapshotName(stored);
    const int from = m_insertRow;
    const int to = m_snapshot.InsertPosition(name);
    if (from != to)
        Q_EMIT rowAboutToMove(from, to);
    m_snapshot.InsertSorted(key, name);
    NoteChangedRow(std::min(from, to));
    m_insertRow = -1;
    FinishStore(from, to, stored);
}

void TTableDataset::PostEdit()
{
    // The check needs the row as it was read.
    LoadPendingValue();
    const LoadPause pause(*this);
    const NameSnapshot::RowKey key = m_snapshot.KeyAt(m_row);
    const StoredEntry written = m_store->Update(key, m_stored, m_name, m_value);
    const StoredEntry stored = ReadBackStored(key, written);
    const std::string name = m_store->SnapshotName(stored);
    const int from = m_row;
    int to = from;
    if (name != m_snapshot.NameAt(from)) {
        to = m_snapshot.InsertPosition(name);
        if (to > from)
            --to;
        if (from != to)
            Q_EMIT rowAboutToMove(from, to);
        m_snapshot.Rename(from, name);
        NoteChangedRow(std::min(from, to));
    }
    FinishStore(from, to, stored);
}

StoredEntry TTableDataset::ReadBackStored(NameSnapshot::RowKey key, const StoredEntry& written) const
{
    // The file's copy is what the next store is checked against. When it cannot be read at
    // once (another program took the file in between), the copy as written stands in; the
    // next read of the row shows the file's.
    try {
        const std::optional<StoredEntry> reread = m_store->TryRead(key, m_store->SnapshotName(written));
        if (reread && reread->found)
            return *reread;
    } catch (const DatabaseError&) {
    }
    return written;
}

void TTableDataset::FinishStore(int from, int to, const StoredEntry& stored)
{
    m_state = DatasetState::Browse;
    m_valuePending = false;
    m_retryRead.stop();
    m_row = to;
    m_modified = false;
    m_stored = stored;
    m_name = stored.name;
    m_value = stored.value;
    if (from != to)
        Q_EMIT rowMoved(from, to);
    Q_EMIT stateChanged(m_state);
    Q_EMIT rowChanged(to);
    if (from != to)
        Q_EMIT currentRowChanged(to);
    Q_EMIT fieldsChanged();
}

void TTableDataset::DiscardInsert()
{
    const int row = m_insertRow;
    Q_EMIT rowAboutToBeRemoved(row);
    m_state = DatasetState::Browse;
    m_insertRow = -1;
    m_modified = false;
    Q_EMIT rowRemoved(row);
    Q_EMIT stateChanged(m_state);
    // The row that was current before the insert sits at the insert position again.
    const int count = m_snapshot.Count();
    LoadCurrent(count == 0 ? -1 : std::min(row, count - 1));
}

void TTableDataset::Cancel()
{
    CheckActive();
    if (m_state == DatasetState::Insert) {
        DiscardInsert();
    } else if (m_state == DatasetState::Edit) {
        m_name = m_stored.found ? m_stored.name : QVariant(SnapshotNameText(m_row));
        m_value = m_stored.value;
        m_modified = false;
        SetState(DatasetState::Browse);
        Q_EMIT rowChanged(m_row);
        Q_EMIT fieldsChanged();
    }
}

void TTableDataset::CheckBrowseMode()
{
    CheckActive();
    if (m_state == DatasetState::Insert && !m_modified)
        DiscardInsert();
    else if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        Post();
}

void TTableDataset::Delete()
{
    CheckActive();
    if (m_state == DatasetState::Insert) {
        DiscardInsert();
        return;
    }
    if (m_snapshot.Count() == 0)
        throw DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    // A pending edit is dropped with the row; the check is against what was read.
    LoadPendingValue();
    const LoadPause pause(*this);
    m_store->Remove(m_snapshot.KeyAt(m_row), m_stored);
    const int row = m_row;
    Q_EMIT rowAboutToBeRemoved(row);
    m_snapshot.RemoveAt(row);
    NoteChangedRow(row);
    Q_EMIT rowRemoved(row);
    SetState(DatasetState::Browse);
    const int count = m_snapshot.Count();
    LoadCurrent(count == 0 ? -1 : std::min(row, count - 1));
}
