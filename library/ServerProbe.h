#pragma once
// Whether a library server can be reached, asked off the window's thread: on a dropped network
// a connect waits for its timeout, and the window must not wait with it.

#include "library/ServerAddress.h"

#include <QFuture>
#include <QSqlDatabase>
#include <QString>

// Sets a server connection to the address; a connect timeout above 0 replaces the address's.
void ApplyServerAddress(QSqlDatabase& db, const ServerAddress& address, int connectTimeoutSeconds);

// Connects once through a connection of its own, made, used and removed on a pool thread, and
// gives why it failed, or an empty string when the server answered. The pool's threads are
// waited for when the application ends, so a probe still running then is bounded by the
// timeout; one whose asker went away just finishes unheard.
QFuture<QString> ProbeServer(const ServerAddress& address, int connectTimeoutSeconds);
