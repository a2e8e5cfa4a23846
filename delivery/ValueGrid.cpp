#include "delivery/ValueGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace {

constexpr int NameColumn = 0;
constexpr int ValueColumn = 1;
constexpr int NameColumnWidth = 120;
constexpr int RowHeight = 18;

// The view installs its delegate as the editor's event filter, and the delegate would close
// the editor on Enter, Esc and Tab; the grid's own key rules must run before that.
class ValueDelegate final : public QStyledItemDelegate {
public:
    explicit ValueDelegate(ValueGrid* grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Only key presses: other events still reach the editor while the grid is destroyed.
        if (event->type() == QEvent::KeyPress && m_grid->editorKeyPress(watched, event))
            return true;
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    ValueGrid* m_grid;
};

} // namespace

ValueGrid::ValueGrid(QWidget* parent)
    : QTableWidget(0, 2, parent)
{
    setHorizontalHeaderLabels({QStringLiteral("Variable"), QStringLiteral("Value")});
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(true);
    SetDesignScale({});
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab must leave the grid for the buttons instead of walking its cells.
    setTabKeyNavigation(false);
    setItemDelegateForColumn(ValueColumn, new ValueDelegate(this));
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { followCurrent(current); });
}

void ValueGrid::SetDesignScale(const TDesignScale& scale)
{
    verticalHeader()->setMinimumSectionSize(scale(RowHeight));
    verticalHeader()->setDefaultSectionSize(scale(RowHeight));
    setColumnWidth(NameColumn, scale(NameColumnWidth));
}

void ValueGrid::setNames(const QStringList& names)
{
    if (m_editIndex.isValid())
        QAbstractItemView::closePersistentEditor(m_editIndex);
    m_editIndex = QPersistentModelIndex();
    clearContents();
    setRowCount(int(names.size()));
    for (int row = 0; row < rowCount(); ++row) {
        auto* name = new QTableWidgetItem(names.at(row));
        name->setFlags(Qt::ItemIsEnabled);
        name->setBackground(palette().button());
        name->setForeground(palette().buttonText());
        setItem(row, NameColumn, name);
        auto* value = new QTableWidgetItem(QString());
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        setItem(row, ValueColumn, value);
    }
    if (rowCount() > 0)
        setCurrentCell(0, ValueColumn);
}

QString ValueGrid::value(int row) const
{
    if (row == m_editIndex.row()) {
        if (QLineEdit* editor = valueEditor())
            return editor->text();
    }
    const QTableWidgetItem* cell = item(row, ValueColumn);
    return cell ? cell->text() : QString();
}

QLineEdit* ValueGrid::valueEditor() const
{
    return m_editIndex.isValid() ? qobject_cast<QLineEdit*>(indexWidget(m_editIndex)) : nullptr;
}

void ValueGrid::commitValue()
{
    if (QLineEdit* editor = valueEditor())
        model()->setData(m_editIndex, editor->text());
}

void ValueGrid::followCurrent(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    if (current.column() != ValueColumn) {
        setCurrentIndex(model()->index(current.row(), ValueColumn));
        return;
    }
    if (current == m_editIndex)
        return;

    const bool hadFocus = ownsFocus();
    const QPersistentModelIndex previous = m_editIndex;
    commitValue();
    m_editIndex = current;
    QAbstractItemView::openPersistentEditor(m_editIndex);
    QLineEdit* editor = valueEditor();
    if (editor) {
        // Move the focus before the old editor goes, or Qt would pass it on to the buttons.
        if (hadFocus)
            editor->setFocus(Qt::OtherFocusReason);
    }
    if (previous.isValid())
        QAbstractItemView::closePersistentEditor(previous);
}

bool ValueGrid::editorKeyPress(QObject* watched, QEvent* event)
{
    QLineEdit* editor = valueEditor();
    if (!editor || watched != editor || event->type() != QEvent::KeyPress)
        return false;

    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter belongs to the cell, not to the dialog's default button.
        if (editor->hasSelectedText())
            editor->deselect();
        else
            editor->selectAll();
        return true;
    case Qt::Key_Escape:
        editor->setText(model()->data(m_editIndex).toString());
        editor->selectAll();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            break;
        commitValue();
        leaveGrid(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
        return true;
    default:
        break;
    }
    return false;
}

void ValueGrid::focusInEvent(QFocusEvent* event)
{
    if (QLineEdit* editor = valueEditor()) {
        editor->setFocus(event->reason());
        return;
    }
    QTableWidget::focusInEvent(event);
}

void ValueGrid::leaveGrid(bool forward)
{
    // The editors are created late and so sit at the end of the focus chain; walking it
    // from the grid itself and skipping the grid's own children finds the real neighbour.
    QWidget* candidate = this;
    for (;;) {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == this)
            return;
        if (isAncestorOf(candidate) || candidate->focusProxy())
            continue;
        if ((candidate->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && candidate->isEnabled()
            && candidate->isVisibleTo(window())) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool ValueGrid::ownsFocus() const
{
    // The window's own focus child, so the answer holds while the window is not active.
    const QWidget* focus = window()->focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}
