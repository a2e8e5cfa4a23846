#pragma once
// The entry names of the open table as a one-column model for the grid. It reads the
// table dataset row by row on demand, so a view only ever asks for the rows it shows.

#include <QAbstractTableModel>

#include <exception>
#include <utility>

class TTableDataset;

class TEntryListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TEntryListModel(TTableDataset& dataset, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The indicator column: the current row's mark shows browse, edit or insert.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The error of the last setData that failed, once. setData is called from inside Qt's
    // item views, which must not see an exception; the view takes it from here.
    std::exception_ptr TakeFailure() { return std::exchange(m_failure, nullptr); }

private:
    void refreshIndicator();
    TTableDataset& m_dataset;
    int m_pendingMoveFrom = -1;
    int m_indicatorRow = -1;
    std::exception_ptr m_failure;
};
