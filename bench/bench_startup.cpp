// Launch of the real program until its main window is mapped, beside two light pickers fed the
// same names (`rofi -dmenu -sync`, `dmenu`), on generated libraries; plus resident memory
// 1.5 s after the launch. The map is seen as an X event (MapNotify of a new top-level window
// on the root), not by polling.
//
//   pw_bench_startup [--runs N] [--sizes 1000,100000,...] [--pastewise PATH]...
//   (DISPLAY must name a server; with a window manager the frame's map is the one seen)
// Several --pastewise builds (an older one beside the new) run side by side in one table.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::milli>(end - start).count();
}

bool check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "%s\n", what);
    return ok;
}

// One table "Mail" of `count` entries: two or three words and a unique tag (15 to 40
// characters, mixed case, a few non-ASCII words) and a value of 300 characters. The names
// also go to `namesFile`, one a line in name order, for the pickers.
bool makeLibrary(const QString& path, const QString& namesFile, int count)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        const auto run = [&q](const QString& sql) {
            if (!q.exec(sql))
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
            return q.lastError().type() == QSqlError::NoError;
        };
        ok = db.open() && run(QStringLiteral("PRAGMA journal_mode = OFF"))
            && run(QStringLiteral("PRAGMA synchronous = OFF"))
            && run(QStringLiteral(
                "CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"))
            && run(QStringLiteral("CREATE TEMP TABLE w (id INTEGER PRIMARY KEY, word TEXT)"))
            && run(QString::fromUtf8(
                "INSERT INTO w (id, word) VALUES (0,'Alpha'),(1,'bravo'),(2,'Charlie'),(3,'delta'),"
                "(4,'Echo'),(5,'foxtrot'),(6,'Golf'),(7,'hotel'),(8,'India'),(9,'juliett'),"
                "(10,'Kilo'),(11,'lima'),(12,'Mike'),(13,'november'),(14,'Oscar'),(15,'papa'),"
                "(16,'Größe'),(17,'café'),(18,'Naïve'),(19,'sierra'),(20,'Tango'),(21,'uniform'),"
                "(22,'Victor'),(23,'whiskey')"))
            && run(QStringLiteral("BEGIN"))
            && run(QStringLiteral(
                "WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i + 1 < %1) "
                "INSERT INTO \"Mail\" (name, value) "
                "SELECT a.word || ' ' || b.word || CASE WHEN i % 3 = 0 THEN ' ' || ("
                "SELECT word FROM w WHERE id = (i * 5 + 7) % 24) ELSE '' END "
                "|| ' ' || printf('%08x', (i * 2654435761) % 4294967296), "
                "printf('%d ', i) || substr(replace(hex(zeroblob(150)), '0', 'v'), 1, 295) "
                "FROM c JOIN w AS a ON a.id = (i * 37) % 24 JOIN w AS b ON b.id = (i / 24 * 11 + i) % 24")
                       .arg(count))
            && run(QStringLiteral("COMMIT"));
        if (ok) {
            QFile out(namesFile);
            ok = out.open(QIODevice::WriteOnly)
                && q.exec(QStringLiteral("SELECT name FROM \"Mail\" ORDER BY name"));
            while (ok && q.next()) {
                out.write(q.value(0).toString().toUtf8());
                out.write("\n", 1);
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    return ok;
}

struct Sample {
    double mapMs = -1;
    double rssMiB = -1;
};

double residentMiB(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

class XWatch {
public:
    bool Connect()
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            return false;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_request_check(m_c, xcb_change_window_attributes_checked(m_c, m_root, XCB_CW_EVENT_MASK, &mask));
        return true;
    }
    ~XWatch()
    {
        if (m_c != nullptr)
            xcb_disconnect(m_c);
    }
    void Drain()
    {
        xcb_flush(m_c);
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_c))
            free(e);
        m_created.clear();
    }
    // Waits for a top-level window created since Drain() to be mapped; returns its time.
    bool WaitForNewMap(Clock::time_point deadline, Clock::time_point& mappedAt)
    {
        pollfd fd {xcb_get_file_descriptor(m_c), POLLIN, 0};
        for (;;) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
                const auto type = e->response_type & 0x7f;
                bool mapped = false;
                if (type == XCB_CREATE_NOTIFY) {
                    m_created.insert(reinterpret_cast<xcb_create_notify_event_t*>(e)->window);
                } else if (type == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    mapped = map->event == m_root && m_created.count(map->window) > 0;
                }
                free(e);
                if (mapped) {
                    mappedAt = Clock::now();
                    return true;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || xcb_connection_has_error(m_c))
                return false;
            poll(&fd, 1, int(left.count()));
        }
    }

private:
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0;
    std::set<xcb_window_t> m_created;
};

bool stopChild(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

Sample launch(XWatch& x, const std::vector<std::string>& argv, const std::string& stdinFile)
{
    Sample s;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, stdinFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    x.Drain();
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, args[0], &files, nullptr, args.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&files);
        return s;
    }
    posix_spawn_file_actions_destroy(&files);
    Clock::time_point mapped;
    if (x.WaitForNewMap(start + std::chrono::seconds(20), mapped))
        s.mapMs = msSince(start, mapped);
    std::this_thread::sleep_until(start + std::chrono::milliseconds(1500));
    s.rssMiB = residentMiB(pid);
    stopChild(pid);
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int runs = 7;
    QList<int> sizes {1000, 100000, 1000000};
    QStringList builds;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--pastewise"))
            builds << args[i + 1];
        else if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& n : args[i + 1].split(QLatin1Char(',')))
                sizes << n.toInt();
        }
    }
    if (builds.isEmpty())
        builds << QStringLiteral(PW_PASTEWISE_BINARY);
    XWatch x;
    if (!check(x.Connect(), "cannot connect to the X server named by DISPLAY"))
        return 1;
    QTemporaryDir dir;
    // A private settings folder and no user library, so the copy beside the binary is used.
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toUtf8());

    std::printf("| entries | program | median | min | max | memory (median) |\n|---|---|---|---|---|---|\n");
    for (const int size : sizes) {
        // A portable folder: the program beside its library.
        const QString folder = dir.path() + QStringLiteral("/%1").arg(size);
        QDir().mkpath(folder);
        const QString names = folder + QStringLiteral("/names.txt");
        const auto made = Clock::now();
        if (!check(makeLibrary(folder + QStringLiteral("/pastewise.mdb"), names, size),
                "cannot make the library"))
            return 1;
        std::fprintf(
            stderr, "library of %d entries made in %.1f s\n", size, msSince(made, Clock::now()) / 1000);

        struct Program {
            const char* label;
            std::vector<std::string> argv;
            std::string input;
            std::vector<double> ms, mib;
            int missed = 0;
        };
        std::vector<std::string> labels;
        for (int b = 0; b < builds.size(); ++b) {
            // Each build is copied beside the library; the copies share the settings folder.
            const QString binary = folder + QStringLiteral("/pastewise-%1").arg(b);
            if (!check(QFile::copy(builds[b], binary), "cannot copy the program (--pastewise PATH)"))
                return 1;
            labels.push_back(builds.size() == 1 ? std::string("Pastewise")
                                                : "Pastewise (" + builds[b].toStdString() + ")");
        }
        std::vector<Program> programs;
        for (int b = 0; b < builds.size(); ++b)
            programs.push_back({labels[std::size_t(b)].c_str(),
                {(folder + QStringLiteral("/pastewise-%1").arg(b)).toStdString()}, "/dev/null", {}, {}, 0});
        std::vector<Program> pickers {
            {"rofi -dmenu -sync", {"/usr/bin/rofi", "-dmenu", "-sync"}, names.toStdString(), {}, {}, 0},
            {"dmenu", {"/usr/bin/dmenu"}, names.toStdString(), {}, {}, 0},
        };
        programs.insert(programs.end(), pickers.begin(), pickers.end());
        // One unrecorded round warms the file cache; then the programs take turns.
        for (int round = -1; round < runs; ++round) {
            for (Program& p : programs) {
                const Sample s = launch(x, p.argv, p.input);
                if (round < 0)
                    continue;
                if (s.mapMs < 0) {
                    ++p.missed;
                    continue;
                }
                p.ms.push_back(s.mapMs);
                p.mib.push_back(s.rssMiB);
            }
        }
        for (const Program& p : programs) {
            if (p.ms.empty()) {
                std::printf("| %d | %s | no window mapped | | | |\n", size, p.label);
                continue;
            }
            std::printf("| %d | %s | %.1f ms | %.1f ms | %.1f ms | %.1f MiB |%s\n", size, p.label,
                median(p.ms), *std::min_element(p.ms.begin(), p.ms.end()),
                *std::max_element(p.ms.begin(), p.ms.end()), median(p.mib),
                p.missed > 0 ? qPrintable(QStringLiteral(" (%1 missed)").arg(p.missed)) : "");
        }
        std::fflush(stdout);
        QFile::remove(names);
    }
    return 0;
}
