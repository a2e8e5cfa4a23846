#include "library/LibrarySession.h"

#include "library/ADOUtil.h"
#include "library/ChangeNotice.h"
#include "library/LibraryConnection.h"
#include "library/TableDataset.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcLibrary, "pastewise.library")
} // namespace

LibrarySession::LibrarySession(TLibraryConnection& connection, TTableDataset& dataset, QObject* parent)
    : QObject(parent)
    , m_connection(connection)
    , m_dataset(dataset)
{
    setObjectName(QStringLiteral("librarySession"));
}

void LibrarySession::loadTableNames()
{
    m_tables.Assign(m_connection.TableNames());
}

QString LibrarySession::reloadTableNames()
{
    loadTableNames();
    if (!m_dataset.Active())
        return {};
    if (m_tables.Contains(m_dataset.TableName()) || m_dataset.TableOid() == 0)
        return m_tables.Contains(m_dataset.TableName()) ? m_dataset.TableName() : QString();
    QSqlDatabase db = m_connection.Database();
    return ServerTableName(db, m_dataset.TableOid());
}

QString LibrarySession::startTable(const QString& remembered) const
{
    if (m_tables.IsEmpty())
        return {};
    if (!remembered.isEmpty() && m_tables.Contains(remembered))
        return remembered;
    return m_tables.At(0);
}

void LibrarySession::openTable(const QString& name)
{
    if (m_dataset.Active())
        CloseTable(m_dataset);
    m_dataset.Open(m_connection, name);
    m_curTable = name;
}

void LibrarySession::createTable(const QString& name)
{
    m_connection.CreateTable(name);
    m_tables.Append(name);
}

void LibrarySession::closeCurrent(const QString& name)
{
    if (isCurrent(name))
        CloseTable(m_dataset);
}

int LibrarySession::dropTable(const QString& name)
{
    closeCurrent(name);
    try {
        m_connection.DropTable(name);
    } catch (...) {
        if (isCurrent(name))
            reopenAfterRefusal(name);
        throw;
    }
    const int index = m_tables.IndexOf(name);
    if (index >= 0)
        m_tables.RemoveAt(index);
    return index;
}

int LibrarySession::renameTable(const QString& oldName, const QString& newName)
{
    const int index = m_tables.IndexOf(oldName);
    closeCurrent(oldName);
    try {
        m_connection.RenameTable(oldName, newName);
    } catch (...) {
        if (isCurrent(oldName))
            reopenAfterRefusal(oldName);
        throw;
    }
    if (index >= 0)
        m_tables.Set(index, newName);
    return index;
}

void LibrarySession::reopenAfterRefusal(const QString& name)
{
    try {
        openTable(name);
    } catch (const std::exception& e) {
        qCWarning(lcLibrary) << "table" << name << "not reopened after a refused change:" << e.what();
    }
}
