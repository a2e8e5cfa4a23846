#pragma once
// What went wrong when a library would not open, said in the user's terms. The server's own
// words (libpq's, in English) are read for the few causes a user can act on; anything else
// keeps the engine's message as it is.

#include <QString>

enum class ConnectionFailure {
    AddressUnusable, // the address itself: a password in it, no database named, an unknown option
    NoDriver, // this system lacks Qt's PostgreSQL driver
    HostUnreachable, // no server answered at that host, port or socket
    Authentication, // the server answered but did not let the user in
    NoSuchDatabase,
    NoSuchSchema,
    NotALibraryFile, // a file that is missing or not a database
    Other,
};

ConnectionFailure ClassifyConnectionFailure(const QString& message);

// One plain sentence naming the cause and what to check, followed by the engine's message.
QString ExplainConnectionFailure(const QString& message);
