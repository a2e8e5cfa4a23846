#pragma once
// Shared by the benchmarks that drive the program on a real X server: waiting at a fine
// grain, the percentiles of the report, and a private library and settings folder.

#include "common/MessageBoxes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

// QTest::qWaitFor sleeps in 10 ms steps, too coarse here: wake on every event instead, with
// a 1 ms timer so a condition that changes without an event of ours is still seen soon.
inline bool waitUntil(const std::function<bool()>& ready, int timeoutMs)
{
    QTimer tick;
    tick.start(1);
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

// Settings go to `folder`; the library "pastewise.mdb" in it holds one table "Mail" with the
// given (name, value) entries. Returns the library's path.
inline QString preparePrivateLibrary(
    const QString& folder, const std::vector<std::pair<QString, QString>>& entries)
{
    qputenv("XDG_CONFIG_HOME", folder.toUtf8());
    const QString library = folder + QStringLiteral("/pastewise.mdb");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(library);
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral(
            "CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"));
        for (const auto& [name, value] : entries) {
            query.prepare(QStringLiteral("INSERT INTO \"Mail\" VALUES (?, ?)"));
            query.addBindValue(name);
            query.addBindValue(value);
            query.exec();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return library;
}

// Boxes are answered at once and printed, so a benchmark never waits on one.
inline void PrintBoxesInsteadOfShowing()
{
    SetBoxObserver([](BoxKind, const QString&, const QString& text) {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return true;
    });
}
