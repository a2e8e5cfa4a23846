#pragma once
// Shows and edits which keys paste in which program: one row per rule, window class and keys,
// the first matching row winning. The class of the window last pasted into is offered for a
// new row, so adding the program the user works in takes one click.

#include "platform/Platform.h"

#include <QDialog>
#include <QStringList>

class QTableWidget;

class PasteKeysDialog final : public QDialog {
    Q_OBJECT
public:
    PasteKeysDialog(const QStringList& rules, const WindowClass& target, QWidget* parent = nullptr);

    // The rules as "class=keys" texts, in the order shown; valid once the dialog is accepted.
    QStringList rules() const { return m_rules; }

    void accept() override;

private:
    void showRules(const QStringList& rules);
    void addRow(const QString& windowClass, const QString& keys);
    void addRule();
    void removeRule();

    QTableWidget* m_table;
    WindowClass m_target;
    QStringList m_rules;
};
