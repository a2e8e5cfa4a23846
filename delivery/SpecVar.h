#pragma once

#include "delivery/VarList.h"

#include <QDialog>

class QPushButton;
class ValueGrid;

class TfrmSpecVar final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSpecVar(QWidget* parent = nullptr);

    void LoadVarList(const QStringList& lines);
    void LoadVarList(const QString& text);
    // Rows already scanned from the text; their values are ignored.
    void LoadVarList(const VarList& rows);
    int rowCount() const;
    VarList Vars() const;
    QString ReplaceVars(const QString& text) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void btnOkClick();

    ValueGrid* ValueListEditor1;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    VarList m_vars;
};
