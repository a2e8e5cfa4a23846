#include "library/ServerProbe.h"

#include "library/SqlSupport.h"

#include <QPromise>
#include <QSqlError>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace {
QString NextProbeName()
{
    static std::atomic<int> counter {0};
    return QStringLiteral("pastewise-server-probe-%1").arg(++counter);
}

QString Probe(const ServerAddress& address, int connectTimeoutSeconds)
{
    const QString name = NextProbeName();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isValid()) {
            failure = QStringLiteral("this system has no PostgreSQL driver for Qt");
        } else {
            ApplyServerAddress(db, address, connectTimeoutSeconds);
            if (db.open())
                db.close();
            else
                failure = EngineMessage(db.lastError());
        }
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}
} // namespace

void ApplyServerAddress(QSqlDatabase& db, const ServerAddress& address, int connectTimeoutSeconds)
{
    db.setHostName(address.host);
    if (address.port > 0)
        db.setPort(address.port);
    db.setDatabaseName(address.database);
    db.setUserName(address.user);
    db.setPassword(QString());
    QStringList options = address.options;
    // libpq takes the last value given for an option.
    if (connectTimeoutSeconds > 0)
        options << QStringLiteral("connect_timeout=%1").arg(connectTimeoutSeconds);
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

QFuture<QString> ProbeServer(const ServerAddress& address, int connectTimeoutSeconds)
{
    // The pool takes a copyable task; the promise is not.
    auto promise = std::make_shared<QPromise<QString>>();
    QFuture<QString> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, address, connectTimeoutSeconds] {
        promise->addResult(Probe(address, connectTimeoutSeconds));
        promise->finish();
    });
    return future;
}
