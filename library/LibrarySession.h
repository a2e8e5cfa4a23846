#pragma once
// The library as the window works with it: the table list (one name per tab, in tab order),
// the current table and the database side of opening, creating, dropping and renaming
// tables. Every change reaches the engine first; the list follows only once the engine
// agreed, so a refusal leaves the tables, the list and the open table as they were.

#include "library/TableList.h"

#include <QObject>
#include <QString>

class TLibraryConnection;
class TTableDataset;

class LibrarySession final : public QObject {
    Q_OBJECT
public:
    // Works on the window's connection and dataset, which outlive it.
    LibrarySession(TLibraryConnection& connection, TTableDataset& dataset, QObject* parent = nullptr);

    const TTableList& TableList() const { return m_tables; }
    // The name most recently opened, spelled as it was passed; empty until a table opened.
    // It is not cleared when its table goes.
    QString CurTable() const { return m_curTable; }
    // Whether `name` is the current table: the spelling must match exactly.
    bool isCurrent(const QString& name) const { return name == m_curTable; }

    // Fills the list with the library's tables, in catalogue order.
    void loadTableNames();
    // The table start-up opens: the remembered one (as remembered) while the library still
    // has it, else the first; empty when there is no table.
    QString startTable(const QString& remembered) const;

    // Stores the open table's pending change and closes it, then opens `name`. On failure
    // no table is open and CurTable keeps the previous name.
    void openTable(const QString& name);
    // Creates an empty entry table and lists it last.
    void createTable(const QString& name);
    // Drops the table and takes it off the list; returns the position it had there (-1 when
    // it was not listed). The current table is closed first and reopened on a refusal.
    int dropTable(const QString& name);
    // Renames the table and its list entry; returns its position (-1 when not listed). The
    // current table is closed first and reopened on a refusal; on success it stays closed
    // for the caller to open under the new name.
    int renameTable(const QString& oldName, const QString& newName);
    // Reads the table list again after another copy added, dropped or renamed tables.
    // Returns the name the open table has now (its new name after a rename), empty when it
    // was dropped or no table is open.
    QString reloadTableNames();
    // Opens a table again after the engine refused to change it. The refusal is what the user
    // needs to read, so a failure to reopen is only logged.
    void reopenAfterRefusal(const QString& name);

private:
    void closeCurrent(const QString& name);

    TLibraryConnection& m_connection;
    TTableDataset& m_dataset;
    TTableList m_tables;
    QString m_curTable;
};
