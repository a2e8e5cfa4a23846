#include "app/EntryGrid.h"

#include "app/EntryListModel.h"
#include "common/Handled.h"
#include "common/MessageBoxes.h"
#include "library/TableDataset.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {
// The editor opens with the caret after the name and nothing selected, and takes no more
// than a name may hold.
class TNameDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(255);
        return editor;
    }
    bool eventFilter(QObject* object, QEvent* event) override
    {
        // The grid's keys reach the window also while the editor is open. Left to the view,
        // Tab would close the editor and open one on the next row instead of going to the
        // memo; the editor keeps what was typed when the focus leaves it.
        if (event->type() == QEvent::FocusIn) {
            // The view selects the whole name right before it hands the editor the focus;
            // a key typed at once must add to the name, not replace it.
            if (auto* line = qobject_cast<QLineEdit*>(object)) {
                line->deselect();
                line->end(false);
            }
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            auto* grid = qobject_cast<TEntryGrid*>(parent());
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && grid != nullptr
                && grid->OnKeyDown && grid->OnKeyDown(key))
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            // The view selects all once the editor is shown; undo that afterwards.
            QTimer::singleShot(0, line, [line] {
                line->deselect();
                line->end(false);
            });
        }
    }
};
} // namespace

TEntryGrid::TEntryGrid(QWidget* parent)
    : QTableView(parent)
{
    setItemDelegate(new TNameDelegate(this));
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setSectionsClickable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setShowGrid(true);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TEntryGrid::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

bool TEntryGrid::Active() const
{
    return m_dataset != nullptr && m_dataset->Active();
}

void TEntryGrid::FollowDataset()
{
    if (model() == nullptr)
        return;
    setColumnWidth(0, 400);
    const QScopedValueRollback guard(m_following, true);
    const int row = Active() ? m_dataset->CurrentRow() : -1;
    if (row < 0) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    if (currentIndex() != index)
        setCurrentIndex(index);
    scrollTo(index);
}

void TEntryGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !Active() || !current.isValid() || current.row() == m_dataset->CurrentRow())
        return;
    // A click or key moved the view: the dataset moves first, storing a pending change. A
    // refused store keeps the current entry, so the view goes back to it.
    try {
        m_dataset->MoveTo(current.row());
    } catch (...) {
        QTimer::singleShot(0, this, [this] { FollowDataset(); });
        ReportException(std::current_exception());
        return;
    }
    FollowDataset();
}

void TEntryGrid::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The view picks a neighbour when its current row goes away. The dataset is in the
    // middle of removing that row and names the new current one itself; moving it from
    // here would store the refused new entry a second time and report the refusal twice.
    const QScopedValueRollback guard(m_following, true);
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void TEntryGrid::MoveBy(int rows)
{
    const int count = m_dataset->RecordCount();
    if (count == 0)
        return;
    const int target = qBound(0, m_dataset->CurrentRow() + rows, count - 1);
    m_dataset->MoveTo(target);
}

bool TEntryGrid::event(QEvent* event)
{
    // Tab reaches QWidget's focus chain before keyPressEvent; the window's handler wants it.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && OnKeyDown && OnKeyDown(key))
            return true;
    }
    return QTableView::event(event);
}

void TEntryGrid::keyPressEvent(QKeyEvent* event)
{
    RunHandled([&] { KeyDown(event); });
}

void TEntryGrid::KeyDown(QKeyEvent* event)
{
    if (OnKeyDown && OnKeyDown(event))
        return;
    if (!Active()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const int pageRows = qMax(1, viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()));
    if (m_readOnly && event->key() == Qt::Key_Down && m_dataset->CurrentRow() + 1 >= m_dataset->RecordCount())
        return;
    if (m_readOnly && (event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete))
        return;
    switch (event->key()) {
    case Qt::Key_Up:
        m_dataset->Prior();
        return;
    case Qt::Key_Down:
        // Down on the last entry starts a new one after it; a new one nobody typed into is
        // not followed by another.
        if (m_dataset->CurrentRow() + 1 >= m_dataset->RecordCount()) {
            if (m_dataset->State() != DatasetState::Insert || m_dataset->Modified())
                m_dataset->Append();
            return;
        }
        m_dataset->Next();
        return;
    case Qt::Key_PageUp:
        MoveBy(-pageRows);
        return;
    case Qt::Key_PageDown:
        MoveBy(pageRows);
        return;
    case Qt::Key_Home:
        m_dataset->First();
        return;
    case Qt::Key_End:
        m_dataset->Last();
        return;
    case Qt::Key_Insert:
        m_dataset->Insert();
        return;
    case Qt::Key_Delete:
        if (event->modifiers() & Qt::ControlModifier) {
            if (m_dataset->RecordCount() > 0)
                ConfirmAndDeleteCurrent(*m_dataset, QStringLiteral("Delete record?"), this);
            return;
        }
        break;
    case Qt::Key_Escape:
        // The cell's own change is dropped by its editor; with no editor open, Esc drops
        // the entry's pending change.
        if (m_dataset->State() == DatasetState::Edit || m_dataset->State() == DatasetState::Insert) {
            m_dataset->Cancel();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void TEntryGrid::CommitEdit()
{
    if (!IsEditingCell())
        return;
    for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        if (!editor->isVisible())
            continue;
        std::exception_ptr failure;
        {
            const QScopedValueRollback collect(m_commitFailure, &failure);
            commitData(editor);
        }
        // A refused name stays in the open editor, and the command that asked stops.
        if (failure)
            std::rethrow_exception(failure);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        return;
    }
}

void TEntryGrid::commitData(QWidget* editor)
{
    QTableView::commitData(editor);
    auto* entries = qobject_cast<TEntryListModel*>(model());
    std::exception_ptr failure = entries != nullptr ? entries->TakeFailure() : nullptr;
    if (!failure)
        return;
    if (m_commitFailure != nullptr) {
        *m_commitFailure = failure;
        return;
    }
    // Qt commits on its own when the editor loses the focus or takes Enter; the box waits
    // until Qt is done with the editor, so that showing it cannot commit a second time.
    QTimer::singleShot(0, this, [failure] { ReportException(failure); });
}

void TEntryGrid::EditCurrentName()
{
    if (m_readOnly || !Active() || m_dataset->CurrentRow() < 0)
        return;
    if (!hasFocus()) {
        m_editOnFocus = true;
        return;
    }
    FollowDataset();
    edit(currentIndex());
}

void TEntryGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    if (m_editOnFocus) {
        m_editOnFocus = false;
        QTimer::singleShot(0, this, [this] { EditCurrentName(); });
    }
}

void TEntryGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    // Leaving the grid for another control drops a new row nobody typed into. Its own
    // editor taking the focus is not leaving, and neither is a box, a menu or another
    // program taking it for a while: the row is still there when the user comes back.
    if (state() == QAbstractItemView::EditingState || !Active())
        return;
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && isAncestorOf(focus))
        return;
    RunHandled([this] {
        if (m_dataset->State() == DatasetState::Insert && !m_dataset->Modified())
            m_dataset->Cancel();
    });
}

void TEntryGrid::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    // The click's move may shift the rows (a new row dropped, a stored name sorted into
    // place) before the view selects the row under the mouse; the highlight follows the
    // entry that became current instead.
    if (!Active() || m_dataset->CurrentRow() < 0)
        return;
    const QModelIndex current = model()->index(m_dataset->CurrentRow(), 0);
    if (currentIndex() != current) {
        const QScopedValueRollback guard(m_following, true);
        setCurrentIndex(current);
    }
    selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TEntryGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (OnDoubleClick && indexAt(event->position().toPoint()).isValid()) {
        OnDoubleClick();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void ConfirmAndDeleteCurrent(TTableDataset& dataset, const QString& question, QWidget* parent)
{
    const bool newRow = dataset.State() == DatasetState::Insert;
    if (!Confirm(question, parent))
        return;
    if (newRow && dataset.State() != DatasetState::Insert)
        return;
    dataset.Delete();
}
