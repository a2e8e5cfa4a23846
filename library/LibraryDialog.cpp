#include "library/LibraryDialog.h"

#include "common/Errors.h"
#include "library/ConnectionFailure.h"
#include "library/LibraryConnection.h"
#include "library/ServerAddress.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

// Opens the library on a connection of its own and closes it again; the result in words.
QString TryLibrary(const QString& source)
{
    try {
        TLibraryConnection connection;
        connection.SetDataSource(source);
        connection.Open();
        const qsizetype tables = connection.TableNames().size();
        connection.Close();
        return tables == 1 ? QStringLiteral("Connected: the library holds 1 table.")
                           : QStringLiteral("Connected: the library holds %1 tables.").arg(tables);
    } catch (const std::exception& e) {
        return QStringLiteral("Connection failed. ") + ExplainConnectionFailure(QString::fromUtf8(e.what()));
    }
}

} // namespace

LibraryDialog::LibraryDialog(
    const QString& library, const QString& filePath, Switch switchTo, QWidget* parent)
    : QDialog(parent)
    , m_filePath(filePath)
    , m_switch(std::move(switchTo))
    , m_file(new QRadioButton(QStringLiteral("&File: %1").arg(QDir::toNativeSeparators(filePath)), this))
    , m_server(new QRadioButton(QStringLiteral("&Server (PostgreSQL):"), this))
    , m_address(new QLineEdit(this))
    , m_test(new QPushButton(QStringLiteral("&Test Connection"), this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("frmLibrary"));
    setWindowTitle(QStringLiteral("Library"));
    m_file->setObjectName(QStringLiteral("rbFile"));
    m_server->setObjectName(QStringLiteral("rbServer"));
    m_address->setObjectName(QStringLiteral("txtAddress"));
    m_address->setPlaceholderText(QStringLiteral("postgresql://user@host/database?schema=pastewise"));
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance(m_address->placeholderText()) + 24);
    m_test->setObjectName(QStringLiteral("btnTest"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* note = new QLabel(QStringLiteral("A password is never kept here: put it in ~/.pgpass or in a "
                                           "PostgreSQL service file."),
        this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(m_test, QDialogButtonBox::ActionRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_file);
    layout->addWidget(m_server);
    layout->addWidget(m_address);
    layout->addWidget(note);
    layout->addWidget(m_status);
    layout->addStretch();
    layout->addWidget(buttons);

    (library.isEmpty() ? m_file : m_server)->setChecked(true);
    m_address->setText(library);
    updateControls();

    connect(m_server, &QRadioButton::toggled, this, [this] { updateControls(); });
    connect(m_address, &QLineEdit::textEdited, this, [this] { m_status->clear(); });
    connect(m_test, &QPushButton::clicked, this, &LibraryDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &LibraryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LibraryDialog::reject);
}

LibraryDialog::~LibraryDialog()
{
    // The test connection lives on its thread; it ends within the connect timeout.
    if (m_testing)
        m_testing->wait();
}

QString LibraryDialog::library() const
{
    return m_server->isChecked() ? m_address->text().trimmed() : QString();
}

void LibraryDialog::updateControls()
{
    m_address->setEnabled(m_server->isChecked());
    m_status->clear();
}

void LibraryDialog::showStatus(const QString& text)
{
    m_status->setText(text);
    // The engine's own words follow the explanation; the dialog grows to show them.
    adjustSize();
}

void LibraryDialog::testConnection()
{
    if (m_testing)
        return;
    const QString source = m_server->isChecked() ? library() : m_filePath;
    if (source.isEmpty()) {
        showStatus(QStringLiteral("Type the server's address first."));
        return;
    }
    showStatus(QStringLiteral("Connecting..."));
    m_test->setEnabled(false);
    // A server that does not answer keeps the attempt waiting for the connect timeout; the
    // dialog stays usable meanwhile.
    auto result = std::make_shared<QString>();
    m_testing = QThread::create([source, result] { *result = TryLibrary(source); });
    connect(m_testing, &QThread::finished, this, [this, result] {
        showStatus(*result);
        m_test->setEnabled(true);
    });
    connect(m_testing, &QThread::finished, m_testing, &QObject::deleteLater);
    m_testing->start();
}

void LibraryDialog::accept()
{
    const QString chosen = library();
    if (m_server->isChecked()) {
        if (chosen.isEmpty()) {
            showStatus(QStringLiteral("Type the server's address, or choose the file."));
            m_address->setFocus();
            return;
        }
        try {
            ParseServerAddress(chosen);
        } catch (const AppError& e) {
            showStatus(ExplainConnectionFailure(e.message()));
            m_address->setFocus();
            return;
        }
    }
    try {
        if (!m_switch(chosen))
            return;
    } catch (const std::exception& e) {
        showStatus(QStringLiteral("The library was not changed. ")
            + ExplainConnectionFailure(QString::fromUtf8(e.what())));
        return;
    }
    QDialog::accept();
}
