#pragma once
// A library on a PostgreSQL server, named by a connection URI:
//   postgresql://[user@][host][:port]/database[?sslmode=...&schema=...&host=/socket/folder]
// The tables of the schema (default "pastewise") are the library's tables. A password is
// never taken from the URI, which lives in the settings file; libpq's own ~/.pgpass or
// service file supplies it.

#include <QString>
#include <QStringList>

struct ServerAddress {
    QString host; // a name, an address, or a socket folder; empty for libpq's default
    int port = 0; // 0 for libpq's default
    QString database;
    QString user;
    QString schema = QStringLiteral("pastewise");
    // libpq options as key=value, for the driver's connect options.
    QStringList options;

    // For messages: where the library is, without anything secret.
    QString Display() const;
};

// Throws DatabaseError saying what is wrong with the URI.
ServerAddress ParseServerAddress(const QString& uri);
