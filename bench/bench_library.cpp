// The table snapshot under load: opening a table, one search step, one move, one store,
// on libraries of a thousand, a hundred thousand and a million entries, in a file and (with
// PW_BENCH_POSTGRES) on a PostgreSQL server.

#include "library/ADOUtil.h"
#include "library/LibraryConnection.h"
#include "library/TableDataset.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <utility>

namespace {

const QString Table = QStringLiteral("General");

const char* const Words[] = {"address", "answer", "apology", "booking", "business", "closing", "contract",
    "customer", "delivery", "discount", "email", "follow", "greeting", "holiday", "invoice", "job", "kind",
    "letter", "meeting", "notice", "office", "order", "payment", "price", "question", "quote", "refund",
    "reminder", "reply", "request", "sales", "schedule", "shipping", "signature", "status", "support",
    "thanks", "ticket", "update", "warranty", "welcome", "Zurich", "Ärger", "über"};

// Names look like what people type: two or three words, a capital now and then, and a tag
// that keeps them unique. Deterministic, so every run measures the same library.
QString MakeName(std::mt19937& random, int index)
{
    constexpr int count = sizeof(Words) / sizeof(Words[0]);
    std::uniform_int_distribution<int> pick(0, count - 1);
    QString name = QString::fromUtf8(Words[pick(random)]);
    if (random() % 3 == 0)
        name[0] = name[0].toUpper();
    name += QLatin1Char(' ') + QString::fromUtf8(Words[pick(random)]);
    if (random() % 2 == 0)
        name += QLatin1Char(' ') + QString::fromUtf8(Words[pick(random)]);
    return name + QLatin1Char(' ') + QString::number(index, 36);
}

QString MakeValue(int index)
{
    return QStringLiteral(
        "Dear %name%,\n\nthank you for your message of %date%. We have looked into request %1 "
        "and will come back to you within two working days. In the meantime you can follow "
        "the status online at any time.\n\nKind regards,\nThe support team\n")
        .arg(index);
}

// The server the library benchmarks also run on: a postgresql:// address whose database the
// benchmark may make schemas in (PW_BENCH_POSTGRES); without it they run on files only.
QString BenchServer()
{
    return qEnvironmentVariable("PW_BENCH_POSTGRES");
}

enum Engine { File = 0, Server = 1 };

class BenchLibrary final {
public:
    BenchLibrary(int entries, Engine engine)
        : m_path(m_dir.filePath(QStringLiteral("pastewise.mdb")))
    {
        if (engine == Server) {
            // A schema of its own, made and dropped through a second connection.
            const QString schema = QStringLiteral("bench_%1").arg(entries);
            m_admin.SetDataSource(BenchServer() + QStringLiteral("&schema=public"));
            m_admin.Open();
            QSqlQuery(m_admin.Database())
                .exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
            QSqlQuery(m_admin.Database()).exec(QStringLiteral("CREATE SCHEMA %1").arg(schema));
            m_schema = schema;
            connection.SetDataSource(BenchServer() + QStringLiteral("&schema=") + schema);
        } else {
            QFile(m_path).open(QIODevice::WriteOnly);
            connection.SetDataSource(m_path);
        }
        connection.Open();
        connection.CreateTable(Table);
        Fill(entries);
    }

    ~BenchLibrary()
    {
        connection.Close();
        if (!m_schema.isEmpty())
            QSqlQuery(m_admin.Database()).exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(m_schema));
    }

    TLibraryConnection connection;

private:
    void Fill(int entries)
    {
        QSqlDatabase db = connection.Database();
        db.transaction();
        {
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO \"General\" (name, value) VALUES (?, ?)"));
            std::mt19937 random(entries);
            for (int i = 0; i < entries; ++i) {
                insert.bindValue(0, MakeName(random, i));
                insert.bindValue(1, MakeValue(i));
                insert.exec();
            }
        }
        db.commit();
    }

    QTemporaryDir m_dir;
    QString m_path;
    TLibraryConnection m_admin;
    QString m_schema;
};

// Each size on each engine is built once and kept for every benchmark of the run.
std::map<std::pair<int, int>, std::unique_ptr<BenchLibrary>>& Libraries()
{
    static std::map<std::pair<int, int>, std::unique_ptr<BenchLibrary>> libraries;
    return libraries;
}

BenchLibrary& Library(const benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    const auto engine = static_cast<Engine>(state.range(1));
    auto& library = Libraries()[{entries, engine}];
    if (!library)
        library = std::make_unique<BenchLibrary>(entries, engine);
    return *library;
}

void BM_OpenTable(benchmark::State& state)
{
    BenchLibrary& library = Library(state);
    TTableDataset tbl;
    for (auto _ : state) {
        tbl.Open(library.connection, Table);
        tbl.WaitForNames();
        benchmark::DoNotOptimize(tbl.RecordCount());
    }
    state.counters["snapshot_MiB"] = static_cast<double>(tbl.SnapshotMemoryBytes()) / (1 << 20);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Prefixes as a user types them: the first letters of names that exist, in any case.
std::vector<QString> TypedPrefixes(TTableDataset& tbl)
{
    std::vector<QString> prefixes;
    std::mt19937 random(7);
    for (int i = 0; i < 256; ++i) {
        const QString name
            = tbl.NameAt(static_cast<int>(random() % static_cast<unsigned>(tbl.RecordCount())));
        const QString prefix = name.left(1 + static_cast<int>(random() % 8));
        prefixes.push_back(i % 2 ? prefix.toUpper() : prefix);
    }
    return prefixes;
}

void BM_LocateStep(benchmark::State& state)
{
    BenchLibrary& library = Library(state);
    TTableDataset tbl;
    tbl.Open(library.connection, Table);
    tbl.WaitForNames();
    const std::vector<QString> prefixes = TypedPrefixes(tbl);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tbl.Locate(prefixes[next]));
        next = (next + 1) % prefixes.size();
    }
}

// The search alone: prefixes that match nothing leave the current entry, so no value is read.
void BM_LocateNoMatch(benchmark::State& state)
{
    BenchLibrary& library = Library(state);
    TTableDataset tbl;
    tbl.Open(library.connection, Table);
    tbl.WaitForNames();
    std::vector<QString> prefixes = TypedPrefixes(tbl);
    for (QString& prefix : prefixes)
        prefix += QStringLiteral("~~");
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tbl.Locate(prefixes[next]));
        next = (next + 1) % prefixes.size();
    }
}

void BM_NextWithValue(benchmark::State& state)
{
    BenchLibrary& library = Library(state);
    TTableDataset tbl;
    tbl.Open(library.connection, Table);
    tbl.WaitForNames();
    for (auto _ : state) {
        if (tbl.CurrentRow() + 1 >= tbl.RecordCount()) {
            state.PauseTiming();
            tbl.First();
            state.ResumeTiming();
        }
        tbl.Next();
        benchmark::DoNotOptimize(tbl.Value());
    }
}

void BM_StoreEditedEntry(benchmark::State& state)
{
    BenchLibrary& library = Library(state);
    TTableDataset tbl;
    tbl.Open(library.connection, Table);
    tbl.WaitForNames();
    tbl.MoveTo(tbl.RecordCount() / 2);
    const QString original = tbl.Value();
    bool flip = false;
    for (auto _ : state) {
        tbl.SetValue(flip ? original : original + QStringLiteral(" (edited)"));
        tbl.Post();
        flip = !flip;
    }
    CloseTable(tbl);
}

// Sizes on files; on the server too when there is one (without the million, whose filling
// through single inserts takes minutes).
void Sizes(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"entries", "server"});
    for (const int entries : {1000, 100000, 1000000})
        bench->Args({entries, File});
    if (!BenchServer().isEmpty()) {
        for (const int entries : {1000, 100000})
            bench->Args({entries, Server});
    }
}

} // namespace

BENCHMARK(BM_OpenTable)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateStep)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateNoMatch)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextWithValue)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreEditedEntry)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Server schemas are dropped while the application still exists.
    Libraries().clear();
    return 0;
}
