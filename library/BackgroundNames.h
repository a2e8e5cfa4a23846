#pragma once
// Reads every name of a large table on a thread of its own, through a read-only connection
// of its own, so the window can show the first names and take typing while the rest
// arrives. Nothing here touches the dataset: the owner takes the result on its own thread.

#include "library/NameSnapshot.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

class BackgroundNames final {
public:
    struct Source {
        // Opens the library file for reading.
        std::string fileUri;
        // Yields (rowid, name) rows; gives their number.
        std::string statement;
        std::string countStatement;
        // The average size of a name so far, to size the storage before reading.
        std::size_t bytesPerName = 0;
        int busyTimeoutMs = 0;
    };
    // `finished` runs on the reading thread once the result is ready, not after Stop().
    BackgroundNames(Source source, std::function<void()> finished);
    ~BackgroundNames();
    BackgroundNames(const BackgroundNames&) = delete;
    BackgroundNames& operator=(const BackgroundNames&) = delete;

    // Ends a read in progress at once and waits for the thread; the result is dropped.
    void Stop();
    // Waits until the result is ready.
    void Wait();
    bool Finished() const { return m_finished.load(); }

    // After Finished(): the names in name order, or why they could not be read.
    bool Failed() const { return !m_error.isEmpty(); }
    QString Error() const { return m_error; }
    NameSnapshot TakeNames() { return std::move(m_names); }

    // For tests: while a step is held, every load waits there (a stop still ends it), so a
    // test can act while a load is known to be at that point.
    enum class Step { Open, HandOver };
    static void Hold(Step step, bool hold);
    // Loads whose thread has not ended yet.
    static int Running();

private:
    void Run();
    void Read();
    bool WaitAt(Step step);
    static int OnBusy(void* self, int attempts);

    const Source m_source;
    std::function<void()> m_finishedCallback;

    std::mutex m_engineMutex;
    sqlite3* m_engine = nullptr;
    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_finished {false};
    NameSnapshot m_names;
    QString m_error;
    std::thread m_thread;
};

// The file of an open connection as a URI that opens it read-only; empty for a database
// without a file of its own (in memory or temporary).
std::string ReadOnlyUri(const char* fileName);
