// Keeping a refused change as an entry of its own, so that what the user typed survives a
// conflict with another program, a taken name or a missing one.

#include "library/TableDataset.h"

#include "common/Errors.h"

#include <string>

QString TTableDataset::FreeEntryName(const QString& wanted) const
{
    const QString base = wanted.trimmed().isEmpty() ? QStringLiteral("Untitled") : wanted;
    // The pending row itself does not count: for a conflict its name is the stored one.
    const auto taken = [this](const QString& name) { return NameTaken(Utf8(name)); };
    if (!taken(base))
        return base;
    for (int number = 2;; ++number) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(base).arg(number);
        if (!taken(candidate))
            return candidate;
    }
}

QString TTableDataset::KeepPendingAsNewEntry()
{
    CheckActive();
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        return {};
    // A rename refused while another program held the file leaves the text unread; it must be
    // read before it is kept, or the new entry would hold nothing.
    LoadPendingValue();
    const QString name = FreeEntryName(m_name.toString());
    const QVariant value = m_value.isNull() ? QVariant(QStringLiteral("")) : m_value;
    // Written before anything pending is dropped: a refusal here loses nothing.
    const LoadPause pause(*this);
    const NameSnapshot::RowKey key = m_store->Insert(name, value, m_nextLocalKey);
    if (!m_store->KeyedByRowid())
        --m_nextLocalKey;

    Cancel();
    const std::string stored = Utf8(name);
    const int row = m_snapshot.InsertPosition(stored);
    Q_EMIT rowAboutToBeInserted(row);
    m_snapshot.InsertSorted(key, stored);
    NoteChangedRow(row);
    Q_EMIT rowInserted(row);
    LoadCurrent(row);
    return name;
}
