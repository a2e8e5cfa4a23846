#pragma once

#include "common/DesignScale.h"

#include <QPersistentModelIndex>
#include <QStringList>
#include <QTableWidget>

class QLineEdit;

// Two-column name/value grid: the names are fixed, and the editor of the current row's
// value stays open, also while the focus is elsewhere in the dialog.
class ValueGrid final : public QTableWidget {
    Q_OBJECT
public:
    explicit ValueGrid(QWidget* parent = nullptr);

    // Column width and row height, grown from the design's for the desktop's font.
    void SetDesignScale(const TDesignScale& scale);
    void setNames(const QStringList& names);
    QString value(int row) const;
    QLineEdit* valueEditor() const;
    void commitValue();
    bool editorKeyPress(QObject* watched, QEvent* event);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void followCurrent(const QModelIndex& current);
    void leaveGrid(bool forward);
    bool ownsFocus() const;

    QPersistentModelIndex m_editIndex;
};
