#include "library/ServerAddress.h"

#include "common/Errors.h"

#include <QUrl>
#include <QUrlQuery>

namespace {

// Options handed to libpq as they are; a value must be one plain word there.
const QStringList PassedOptions {QStringLiteral("sslmode"), QStringLiteral("sslrootcert"),
    QStringLiteral("sslcert"), QStringLiteral("sslkey"), QStringLiteral("connect_timeout"),
    QStringLiteral("service"), QStringLiteral("application_name"), QStringLiteral("keepalives_idle"),
    QStringLiteral("keepalives_interval"), QStringLiteral("keepalives_count"),
    QStringLiteral("tcp_user_timeout")};

// A dropped network shows as an error within seconds rather than the system's many minutes:
// a statement waits at most this long for the server's answer, an idle connection is probed.
// libpq ignores them for a Unix socket.
const QStringList DeadNetworkDefaults {QStringLiteral("tcp_user_timeout=10000"),
    QStringLiteral("keepalives_idle=10"), QStringLiteral("keepalives_interval=5"),
    QStringLiteral("keepalives_count=3")};

// Without a bound, an unreachable host would keep the window frozen for minutes.
constexpr int DefaultConnectTimeoutSeconds = 10;

[[noreturn]] void Refuse(const QString& why)
{
    throw DatabaseError(QStringLiteral("The library address is not usable: %1").arg(why));
}

bool PlainWord(const QString& value)
{
    for (const QChar c : value) {
        if (c.isSpace() || c == QLatin1Char('\'') || c == QLatin1Char('\\') || c == QLatin1Char(';'))
            return false;
    }
    return !value.isEmpty();
}

} // namespace

QString ServerAddress::Display() const
{
    QString where = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        where += QLatin1Char(':') + QString::number(port);
    return QStringLiteral("%1/%2, schema %3").arg(where, database, schema);
}

ServerAddress ParseServerAddress(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid())
        Refuse(url.errorString());
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        Refuse(QStringLiteral("it does not begin with postgresql://"));
    if (!url.password().isEmpty())
        Refuse(QStringLiteral("it holds a password; put the password in ~/.pgpass instead"));

    ServerAddress address;
    address.host = url.host();
    address.port = url.port(0);
    address.user = url.userName();
    address.database = url.path().mid(1);
    bool timeoutGiven = false;
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host")) {
            address.host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            address.port = value.toInt(&ok);
            if (!ok || address.port <= 0 || address.port > 65535)
                Refuse(QStringLiteral("the port \"%1\" is not a port number").arg(value));
        } else if (key == QLatin1String("user")) {
            address.user = value;
        } else if (key == QLatin1String("dbname")) {
            address.database = value;
        } else if (key == QLatin1String("schema")) {
            address.schema = value;
        } else if (key == QLatin1String("password")) {
            Refuse(QStringLiteral("it holds a password; put the password in ~/.pgpass instead"));
        } else if (PassedOptions.contains(key)) {
            if (!PlainWord(value))
                Refuse(QStringLiteral("the value of \"%1\" must be one word").arg(key));
            address.options << key + QLatin1Char('=') + value;
            timeoutGiven = timeoutGiven || key == QLatin1String("connect_timeout");
        } else {
            Refuse(QStringLiteral("the option \"%1\" is not known").arg(key));
        }
    }
    if (address.database.isEmpty())
        Refuse(QStringLiteral("it names no database"));
    if (address.schema.isEmpty())
        Refuse(QStringLiteral("the schema is empty"));
    if (!timeoutGiven)
        address.options << QStringLiteral("connect_timeout=%1").arg(DefaultConnectTimeoutSeconds);
    for (const QString& option : DeadNetworkDefaults) {
        const QString key = option.section(QLatin1Char('='), 0, 0);
        if (!query.hasQueryItem(key))
            address.options << option;
    }
    return address;
}
