#pragma once
// A library file in a temporary folder, or a fresh schema on the test server, plus a second
// connection that plays "another program" working on the same library.

#include "library/LibraryConnection.h"
#include "library/ServerAddress.h"
#include "library/SqlSupport.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>

// The test server's address, empty when the suite runs without one.
inline QString TestServer()
{
    return qEnvironmentVariable("PW_TEST_POSTGRES");
}

// For suites whose cases run on both engines: a global data row per engine.
inline void AddEngineRows()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("file") << false;
    if (!TestServer().isEmpty())
        QTest::newRow("server") << true;
    else
        qInfo("PW_TEST_POSTGRES is not set: the server cases do not run");
}

class LibraryFixture final {
public:
    explicit LibraryFixture(bool server = false)
        : m_server(server)
        , m_path(m_dir.filePath(QStringLiteral("pastewise.mdb")))
    {
        if (m_server) {
            m_schema = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
            QCOMPARE(Other(QStringLiteral("CREATE SCHEMA %1").arg(m_schema)), QString());
            QCOMPARE(Other(QStringLiteral("SET search_path TO %1").arg(m_schema)), QString());
            connection.SetDataSource(TestServer() + QStringLiteral("&schema=") + m_schema);
        } else {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            connection.SetDataSource(m_path);
        }
        connection.Open();
    }

    ~LibraryFixture()
    {
        connection.Close();
        if (m_otherOpen) {
            if (m_server)
                Other(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(m_schema));
            QSqlDatabase::database(OtherName, false).close();
            QSqlDatabase::removeDatabase(OtherName);
        }
    }

    bool Server() const { return m_server; }
    // The server's schema in a URI: the library another copy of the program would open.
    QString Source() const { return connection.DataSource(); }

    QString Path() const { return m_path; }
    QString Dir() const { return m_dir.path(); }

    // Runs SQL as another program would; returns the engine's error text, empty on success.
    QString Other(const QString& sql, const QVariantList& values = {})
    {
        if (!m_otherOpen) {
            QSqlDatabase db = QSqlDatabase::addDatabase(
                m_server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), OtherName);
            if (m_server) {
                const ServerAddress address = ParseServerAddress(TestServer());
                db.setHostName(address.host);
                db.setDatabaseName(address.database);
                db.setUserName(address.user);
            } else {
                db.setDatabaseName(m_path);
            }
            db.open();
            m_otherOpen = true;
        }
        QSqlQuery query(QSqlDatabase::database(OtherName, false));
        // A server prepares only queries and changes of rows, not schema statements.
        bool done = false;
        if (values.isEmpty()) {
            done = query.exec(sql);
        } else {
            query.prepare(sql);
            for (const QVariant& value : values)
                query.addBindValue(value);
            done = query.exec();
        }
        if (!done)
            return EngineMessage(query.lastError());
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
    bool m_server = false;
    QTemporaryDir m_dir;
    QString m_path;
    QString m_schema;
    bool m_otherOpen = false;
};
