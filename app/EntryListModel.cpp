#include "app/EntryListModel.h"

#include "library/TableDataset.h"

TEntryListModel::TEntryListModel(TTableDataset& dataset, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dataset(dataset)
{
    connect(&m_dataset, &TTableDataset::aboutToReset, this, [this] { beginResetModel(); });
    connect(&m_dataset, &TTableDataset::reset, this, [this] {
        endResetModel();
        refreshIndicator();
    });
    connect(&m_dataset, &TTableDataset::rowAboutToBeInserted, this,
        [this](int row) { beginInsertRows(QModelIndex(), row, row); });
    connect(&m_dataset, &TTableDataset::rowInserted, this, [this](int) { endInsertRows(); });
    connect(&m_dataset, &TTableDataset::rowAboutToBeRemoved, this,
        [this](int row) { beginRemoveRows(QModelIndex(), row, row); });
    connect(&m_dataset, &TTableDataset::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(&m_dataset, &TTableDataset::rowAboutToMove, this, [this](int from, int to) {
        // Qt names the destination by the row it goes in front of, counted before the move.
        const int destination = to > from ? to + 1 : to;
        m_pendingMoveFrom = beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination) ? from : -2;
        if (m_pendingMoveFrom == -2)
            beginResetModel();
    });
    connect(&m_dataset, &TTableDataset::rowMoved, this, [this](int, int) {
        if (m_pendingMoveFrom == -2)
            endResetModel();
        else
            endMoveRows();
        m_pendingMoveFrom = -1;
    });
    connect(&m_dataset, &TTableDataset::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, 0));
    });
    connect(&m_dataset, &TTableDataset::currentRowChanged, this, [this](int) { refreshIndicator(); });
    connect(&m_dataset, &TTableDataset::stateChanged, this, [this](DatasetState) { refreshIndicator(); });
}

int TEntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_dataset.Active() ? 0 : m_dataset.RecordCount();
}

int TEntryListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant TEntryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_dataset.NameAt(index.row());
}

bool TEntryListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_dataset.Active())
        return false;
    try {
        if (index.row() != m_dataset.CurrentRow())
            m_dataset.MoveTo(index.row());
        m_dataset.SetName(value.toString());
    } catch (...) {
        m_failure = std::current_exception();
        return false;
    }
    return true;
}

Qt::ItemFlags TEntryListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant TEntryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Vertical || role != Qt::DisplayRole || section != m_dataset.CurrentRow())
        return orientation == Qt::Vertical && role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    switch (m_dataset.State()) {
    case DatasetState::Edit:
        return QStringLiteral("I");
    case DatasetState::Insert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("\u25B8");
    }
}

void TEntryListModel::refreshIndicator()
{
    const int old = m_indicatorRow;
    m_indicatorRow = m_dataset.Active() ? m_dataset.CurrentRow() : -1;
    if (old >= 0 && old < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, old, old);
    if (m_indicatorRow >= 0)
        Q_EMIT headerDataChanged(Qt::Vertical, m_indicatorRow, m_indicatorRow);
}
