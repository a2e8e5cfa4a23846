#include "library/BackgroundNames.h"

#include "common/Errors.h"
#include "library/NameRead.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>

namespace {

// The test holds are shared by every load of the process.
std::mutex holdMutex;
std::condition_variable holdChanged;
bool held[2] = {false, false};
std::atomic<int> running {0};

// Each wait for another program's lock is short, so a stop is never kept waiting long.
constexpr int BusyPauseMs = 5;

constexpr int BackgroundNice = 10;

} // namespace

std::string ReadOnlyUri(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0')
        return {};
    // Every byte but the plain ones is escaped, so '?', '#' and '%' in a folder name stay
    // part of the path.
    std::string uri = "file:";
    static const char hex[] = "0123456789ABCDEF";
    for (const char* p = fileName; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 0xf];
        }
    }
    return uri + "?mode=ro";
}

BackgroundNames::BackgroundNames(Source source, std::function<void()> finished)
    : m_source(std::move(source))
    , m_finishedCallback(std::move(finished))
{
    ++running;
    try {
        m_thread = std::thread([this] {
            Run();
            --running;
        });
    } catch (...) {
        --running;
        throw;
    }
}

int BackgroundNames::Running()
{
    return running.load();
}

BackgroundNames::~BackgroundNames()
{
    Stop();
}

void BackgroundNames::Hold(Step step, bool hold)
{
    {
        const std::lock_guard lock(holdMutex);
        held[static_cast<int>(step)] = hold;
    }
    holdChanged.notify_all();
}

bool BackgroundNames::WaitAt(Step step)
{
    std::unique_lock lock(holdMutex);
    holdChanged.wait(lock, [this, step] { return m_stop.load() || !held[static_cast<int>(step)]; });
    return !m_stop.load();
}

void BackgroundNames::Stop()
{
    {
        const std::lock_guard engineLock(m_engineMutex);
        m_stop = true;
        if (m_engine != nullptr)
            sqlite3_interrupt(m_engine);
    }
    {
        // Taking the lock orders the flag before a hold's check, so the wake-up is not lost.
        const std::lock_guard lock(holdMutex);
    }
    holdChanged.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundNames::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

int BackgroundNames::OnBusy(void* self, int attempts)
{
    const auto* load = static_cast<const BackgroundNames*>(self);
    if (load->m_stop.load() || attempts * BusyPauseMs >= load->m_source.busyTimeoutMs)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(BusyPauseMs));
    return 1;
}

void BackgroundNames::Run()
{
    // The window being shown at the same time comes first; this only lowers the thread's
    // share of the processor, so a refusal changes nothing else.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), BackgroundNice);
    try {
        if (WaitAt(Step::Open))
            Read();
    } catch (const DatabaseError& error) {
        m_error = error.message();
    } catch (const std::bad_alloc&) {
        m_error = QStringLiteral("Out of memory reading the entry names");
    } catch (const std::exception& error) {
        m_error = QString::fromUtf8(error.what());
    }
    {
        const std::lock_guard engineLock(m_engineMutex);
        if (m_engine != nullptr)
            sqlite3_close_v2(m_engine);
        m_engine = nullptr;
    }
    if (m_stop.load() || !WaitAt(Step::HandOver))
        return;
    m_finished = true;
    if (m_finishedCallback)
        m_finishedCallback();
}

void BackgroundNames::Read()
{
    sqlite3* engine = nullptr;
    const int opened = sqlite3_open_v2(m_source.fileUri.c_str(), &engine,
        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    {
        const std::lock_guard engineLock(m_engineMutex);
        m_engine = engine;
        // A stop that came before the handle was known interrupts nothing; catch it here.
        if (m_stop.load())
            return;
    }
    if (opened != SQLITE_OK)
        throw DatabaseError(engine != nullptr ? QString::fromUtf8(sqlite3_errmsg(engine))
                                              : QStringLiteral("Out of memory reading the entry names"));
    sqlite3_busy_handler(engine, &BackgroundNames::OnBusy, this);
    // Every page is read once, in order: a cache would only hold memory.
    sqlite3_exec(engine, "PRAGMA cache_size = -256", nullptr, nullptr, nullptr);
    NameSnapshot names;
    // Sized once from the count, which the engine takes from the index without reading the
    // names: growing while reading would copy them again and again, and the copies left
    // behind would stay in the process.
    const auto rows
        = static_cast<std::size_t>(std::max<qint64>(0, ReadInteger(engine, m_source.countStatement)));
    names.Reserve(rows, rows * m_source.bytesPerName + rows / 8 * m_source.bytesPerName);
    ReadNames(engine, m_source.statement, true, names);
    names.SortIfNeeded();
    m_names = std::move(names);
}
