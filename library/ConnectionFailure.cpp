#include "library/ConnectionFailure.h"

#include <QRegularExpression>

#include <array>
#include <utility>

namespace {

// Checked in order: a server that refuses the database or the user answers from behind a
// "connection to server ... failed:" prefix, so the host patterns come last.
const std::array<std::pair<ConnectionFailure, const char*>, 7> Patterns {{
    {ConnectionFailure::AddressUnusable, R"(The library address is not usable)"},
    {ConnectionFailure::NoDriver, R"(no PostgreSQL driver)"},
    {ConnectionFailure::NoSuchSchema, R"(the database has no schema)"},
    {ConnectionFailure::NoSuchDatabase, R"(database "[^"]*" does not exist)"},
    {ConnectionFailure::Authentication,
        R"(authentication failed|no password supplied|role "[^"]*" does not exist|no pg_hba\.conf entry)"
        R"(|permission denied for database|password authentication|SCRAM authentication)"},
    {ConnectionFailure::HostUnreachable,
        R"(could not translate host name|could not connect to server|connection to server .* failed)"
        R"(|Connection refused|No route to host|Network is unreachable|timeout expired)"
        R"(|server closed the connection unexpectedly|No such file or directory)"},
    {ConnectionFailure::NotALibraryFile, R"(unable to open database file|file is not a database)"},
}};

} // namespace

ConnectionFailure ClassifyConnectionFailure(const QString& message)
{
    for (const auto& [failure, pattern] : Patterns) {
        const QRegularExpression expression(QString::fromLatin1(pattern));
        if (expression.match(message).hasMatch())
            return failure;
    }
    return ConnectionFailure::Other;
}

QString ExplainConnectionFailure(const QString& message)
{
    QString cause;
    switch (ClassifyConnectionFailure(message)) {
    case ConnectionFailure::AddressUnusable:
        cause = QStringLiteral("The address is not a usable PostgreSQL address.");
        break;
    case ConnectionFailure::NoDriver:
        cause = QStringLiteral("This system cannot talk to PostgreSQL: Qt's PostgreSQL driver is missing.");
        break;
    case ConnectionFailure::HostUnreachable:
        cause = QStringLiteral("The server could not be reached: check the host, the port, and that the "
                               "server is running and accepts connections.");
        break;
    case ConnectionFailure::Authentication:
        cause = QStringLiteral("The server did not let the user in: check the user name, and that "
                               "~/.pgpass or the service file holds its password.");
        break;
    case ConnectionFailure::NoSuchDatabase:
        cause = QStringLiteral("The server has no database of that name.");
        break;
    case ConnectionFailure::NoSuchSchema:
        cause = QStringLiteral("The database has no schema of that name (\"schema=\" in the address; "
                               "\"pastewise\" when it names none).");
        break;
    case ConnectionFailure::NotALibraryFile:
        cause = QStringLiteral("The library file is missing or is not a library.");
        break;
    case ConnectionFailure::Other:
        cause = QStringLiteral("The library could not be opened.");
        break;
    }
    return cause + QStringLiteral("\n\n") + message;
}
