#pragma once
// The grid of entry names (grdName): one editable column, an indicator column at the left
// and no title row. Moves go through the table dataset so a pending change is stored (or
// an untouched new row discarded) before another entry becomes current.

#include <QTableView>

#include <exception>
#include <functional>

class TTableDataset;

// Asks the question and, on OK, deletes the current entry (a new one never stored is
// discarded instead). A new row that vanished while the box was open is not followed by
// a deletion of whichever entry took its place.
void ConfirmAndDeleteCurrent(TTableDataset& dataset, const QString& question, QWidget* parent);

class TEntryGrid final : public QTableView {
    Q_OBJECT
public:
    explicit TEntryGrid(QWidget* parent = nullptr);

    void SetDataset(TTableDataset* dataset) { m_dataset = dataset; }
    // A library that can only be read: no cell editor, no new or deleted rows.
    void SetReadOnly(bool readOnly);
    bool IsEditingCell() const { return state() == QAbstractItemView::EditingState; }
    // Hands a name typed into the open cell editor to the dataset and closes the editor, for
    // commands that move or close the table while the editor keeps the focus.
    void CommitEdit();
    // Opens the in-place editor on the current name now, or when the grid gets the focus.
    void EditCurrentName();
    // Keeps the view's current row on the dataset's current row.
    void FollowDataset();

    // Handlers the main window provides; a handler returns true when it used the key.
    std::function<bool(QKeyEvent*)> OnKeyDown;
    std::function<void()> OnDoubleClick;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    bool Active() const;
    void KeyDown(QKeyEvent* event);
    void MoveBy(int rows);
    // Where CommitEdit collects a name the dataset would not take; null when Qt commits.
    std::exception_ptr* m_commitFailure = nullptr;
    TTableDataset* m_dataset = nullptr;
    bool m_following = false;
    bool m_editOnFocus = false;
    bool m_readOnly = false;
};
