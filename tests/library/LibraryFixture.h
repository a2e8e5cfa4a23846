#pragma once
// A library file in a temporary folder, plus a second connection that plays "another
// program" working on the same file.

#include "library/LibraryConnection.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class LibraryFixture final {
public:
    LibraryFixture()
        : m_path(m_dir.filePath(QStringLiteral("pastewise.mdb")))
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        connection.SetDataSource(m_path);
        connection.Open();
    }

    ~LibraryFixture()
    {
        if (m_otherOpen) {
            QSqlDatabase::database(OtherName, false).close();
            QSqlDatabase::removeDatabase(OtherName);
        }
    }

    QString Path() const { return m_path; }
    QString Dir() const { return m_dir.path(); }

    // Runs SQL as another program would; returns the engine's error text, empty on success.
    QString Other(const QString& sql, const QVariantList& values = {})
    {
        if (!m_otherOpen) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), OtherName);
            db.setDatabaseName(m_path);
            db.open();
            m_otherOpen = true;
        }
        QSqlQuery query(QSqlDatabase::database(OtherName, false));
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            return query.lastError().databaseText();
        return {};
    }

    // First column of every row of a query on the other connection.
    QStringList Column(const QString& sql)
    {
        Other(QStringLiteral("SELECT 1"));
        QSqlQuery query(QSqlDatabase::database(OtherName, false));
        QStringList values;
        if (query.exec(sql)) {
            while (query.next())
                values.append(query.value(0).isNull() ? QStringLiteral("<null>") : query.value(0).toString());
        }
        return values;
    }

    void AddEntries(const QString& table, const QStringList& names)
    {
        for (const QString& name : names) {
            const QString error
                = Other(QStringLiteral("INSERT INTO \"%1\" (name, value) VALUES (?, ?)").arg(table),
                    {name, QStringLiteral("text of ") + name});
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
    }

    TLibraryConnection connection;

private:
    static constexpr const char* OtherName = "other-program";
    QTemporaryDir m_dir;
    QString m_path;
    bool m_otherOpen = false;
};
