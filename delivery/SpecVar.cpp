#include "delivery/SpecVar.h"

#include "common/DesignFont.h"
#include "delivery/ValueGrid.h"

#include <QPushButton>

TfrmSpecVar::TfrmSpecVar(QWidget* parent)
    : QDialog(parent)
    , ValueListEditor1(new ValueGrid(this))
    , btnOk(new QPushButton(QStringLiteral("OK"), this))
    , btnCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmSpecVar"));
    setWindowTitle(QStringLiteral("Please specify variable values"));
    // A fixed dialog frame: a close box, but neither resizing nor minimise and maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Grown from the design's pixels for the desktop's font, so no text is cut off.
    const TDesignScale scale = DesignScaleOf(font());
    setFixedSize(scale(QSize(378, 251)));

    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->setGeometry(scale(QRect(2, 2, 375, 199)));
    ValueListEditor1->SetDesignScale(scale);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(scale(QRect(88, 215, 75, 25)));
    btnOk->setDefault(true);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(scale(QRect(212, 216, 75, 25)));

    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, ValueListEditor1);

    connect(btnOk, &QPushButton::clicked, this, &TfrmSpecVar::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSpecVar::reject);
}

void TfrmSpecVar::LoadVarList(const QStringList& lines)
{
    LoadVarList(ScanVarList(lines));
}

void TfrmSpecVar::LoadVarList(const VarList& rows)
{
    m_vars = rows;
    QStringList names;
    names.reserve(m_vars.size());
    for (const VarRow& row : std::as_const(m_vars))
        names.append(row.name);
    ValueListEditor1->setNames(names);
}

void TfrmSpecVar::LoadVarList(const QString& text)
{
    LoadVarList(SplitLines(text));
}

int TfrmSpecVar::rowCount() const
{
    return ValueListEditor1->rowCount();
}

VarList TfrmSpecVar::Vars() const
{
    VarList rows = m_vars;
    for (int row = 0; row < rows.size(); ++row)
        rows[row].value = ValueListEditor1->value(row);
    return rows;
}

QString TfrmSpecVar::ReplaceVars(const QString& text) const
{
    return SubstituteVars(text, Vars());
}

void TfrmSpecVar::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmSpecVar::FormShow()
{
    ValueListEditor1->setFocus(Qt::OtherFocusReason);
}

void TfrmSpecVar::btnOkClick()
{
    ValueListEditor1->commitValue();
    accept();
}
