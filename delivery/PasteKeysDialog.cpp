#include "delivery/PasteKeysDialog.h"

#include "common/MessageBoxes.h"
#include "common/ShortcutValue.h"
#include "delivery/PasteKeyRules.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { ClassColumn, KeysColumn };
} // namespace

PasteKeysDialog::PasteKeysDialog(const QStringList& rules, const WindowClass& target, QWidget* parent)
    : QDialog(parent)
    , m_table(new QTableWidget(0, 2, this))
    , m_target(target)
{
    setObjectName(QStringLiteral("frmPasteKeys"));
    setWindowTitle(QStringLiteral("Paste Keys"));

    auto* intro
        = new QLabel(QStringLiteral("Keys that paste into the windows of a program, by window class. The "
                                    "first matching row wins; other windows get Ctrl+V."),
            this);
    intro->setWordWrap(true);
    auto* targetLabel = new QLabel(this);
    targetLabel->setObjectName(QStringLiteral("lblTarget"));
    targetLabel->setText(target.isEmpty() ? QStringLiteral("Last paste target: unknown")
                                          : QStringLiteral("Last paste target: class %1, instance %2")
                                                .arg(target.className, target.instance));

    m_table->setObjectName(QStringLiteral("grdRules"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Window class"), QStringLiteral("Keys")});
    m_table->horizontalHeader()->setSectionResizeMode(ClassColumn, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(KeysColumn, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false);

    auto* btnAdd = new QPushButton(QStringLiteral("&Add"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    auto* btnRemove = new QPushButton(QStringLiteral("&Remove"), this);
    btnRemove->setObjectName(QStringLiteral("btnRemove"));
    auto* btnBuiltIn = new QPushButton(QStringLiteral("&Built-in Rules"), this);
    btnBuiltIn->setObjectName(QStringLiteral("btnBuiltIn"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(btnAdd);
    rowButtons->addWidget(btnRemove);
    rowButtons->addWidget(btnBuiltIn);
    rowButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(targetLabel);
    layout->addWidget(m_table);
    layout->addLayout(rowButtons);
    layout->addWidget(buttons);
    resize(sizeHint().width(), fontMetrics().height() * 24);

    connect(btnAdd, &QPushButton::clicked, this, &PasteKeysDialog::addRule);
    connect(btnRemove, &QPushButton::clicked, this, &PasteKeysDialog::removeRule);
    connect(btnBuiltIn, &QPushButton::clicked, this, [this] { showRules(BuiltInPasteKeyRules()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &PasteKeysDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasteKeysDialog::reject);

    showRules(rules);
    // The rule that decides for the last target, if one does, is where the user starts.
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const std::optional<PasteKeyRule> rule = ParsePasteKeyRule(m_table->item(row, ClassColumn)->text()
            + QLatin1Char('=') + m_table->item(row, KeysColumn)->text());
        if (rule && PasteKeyRuleMatches(*rule, target)) {
            m_table->setCurrentCell(row, KeysColumn);
            break;
        }
    }
}

void PasteKeysDialog::showRules(const QStringList& rules)
{
    m_table->setRowCount(0);
    for (const QString& text : rules) {
        // A rule the program cannot read is still shown as stored, so it can be mended.
        const qsizetype divider = text.indexOf(QLatin1Char('='));
        addRow(divider < 0 ? text : text.left(divider), divider < 0 ? QString() : text.mid(divider + 1));
    }
}

void PasteKeysDialog::addRow(const QString& windowClass, const QString& keys)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setItem(row, ClassColumn, new QTableWidgetItem(windowClass));
    m_table->setItem(row, KeysColumn, new QTableWidgetItem(keys));
}

void PasteKeysDialog::addRule()
{
    // New rows go first, so they win over a built-in rule for the same program.
    m_table->insertRow(0);
    const QString windowClass = m_target.instance.isEmpty() ? m_target.className : m_target.instance;
    m_table->setItem(0, ClassColumn, new QTableWidgetItem(windowClass));
    m_table->setItem(0, KeysColumn, new QTableWidgetItem(QStringLiteral("Shift+Ctrl+V")));
    m_table->setFocus();
    m_table->setCurrentCell(0, windowClass.isEmpty() ? ClassColumn : KeysColumn);
    m_table->editItem(m_table->currentItem());
}

void PasteKeysDialog::removeRule()
{
    const int row = m_table->currentRow();
    if (row >= 0)
        m_table->removeRow(row);
}

void PasteKeysDialog::accept()
{
    QStringList rules;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QString windowClass = m_table->item(row, ClassColumn)->text().trimmed();
        const QString keys = m_table->item(row, KeysColumn)->text().trimmed();
        if (windowClass.isEmpty() && keys.isEmpty())
            continue;
        const std::optional<PasteKeyRule> rule = ParsePasteKeyRule(windowClass + QLatin1Char('=') + keys);
        if (!rule) {
            const int column = windowClass.isEmpty() ? ClassColumn : KeysColumn;
            ShowNotice(windowClass.isEmpty()
                    ? QStringLiteral("Please enter the window class of row %1.").arg(row + 1)
                    : QStringLiteral("\"%1\" in row %2 is not a key combination such as Shift+Ctrl+V.")
                          .arg(keys)
                          .arg(row + 1),
                this);
            m_table->setFocus();
            m_table->setCurrentCell(row, column);
            return;
        }
        rules << PasteKeyRuleText(*rule);
    }
    m_rules = rules;
    QDialog::accept();
}
