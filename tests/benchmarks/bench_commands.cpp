// Every command the window runs on the catalogue, timed as the window runs
// it: the rows found (off the window's thread, on a connection of their own),
// the record set opened over them, MoveLast and MoveFirst, and the first
// record's 24 fields read. Next to each, one bare SQLite scan of archive
// ("select *", every row stepped) is timed in the same run: the counters
// "scans" (wall time) and "scans_cpu" are the command's time in such scans.
//
// "first" runs start from nothing the engine has kept (after a change, or the
// first command of a run); "again" runs follow the same command. "sqlite"
// runs leave the rows to SQLite's own evaluation with the catalogue's like and
// collation, as the engine did before it answered these queries itself.
#include "BenchCatalog.h"
#include "catalog/ArchiveKeys.h"
#include "catalog/BackgroundQuery.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/OrderCache.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "search/QuickFilter.h"
#include "search/RecordListModel.h"
#include "search/SearchQuery.h"
#include "search/SortOrder.h"
#include "tasks/TaskControl.h"

#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

using namespace quelto;
using quelto::search::SearchQuery;

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
    int runs = 0;
};

// One bare scan of archive: every row of "select *" stepped.
Timing bareScan(catalog::Database& db)
{
    Timing t;
    const double w = wallSeconds(), c = cpuSeconds();
    auto statement = db.connection()->prepare(QStringLiteral("select * from archive"));
    qint64 rows = 0;
    while (statement->step())
        ++rows;
    benchmark::DoNotOptimize(rows);
    t.wall = wallSeconds() - w;
    t.cpu = cpuSeconds() - c;
    return t;
}

// Times each run of a command and, after the runs, one bare scan.
class Measured
{
public:
    Measured(benchmark::State& state, catalog::Database& db) : m_state(state), m_db(db) {}
    ~Measured()
    {
        if (m_timing.runs == 0)
            return;
        const Timing scan = bareScan(m_db);
        m_state.counters["scans"] = (m_timing.wall / m_timing.runs) / scan.wall;
        m_state.counters["scans_cpu"] = (m_timing.cpu / m_timing.runs) / scan.cpu;
        m_state.counters["scan_ms"] = scan.wall * 1000;
    }
    template <typename Command> void run(Command command)
    {
        const double w = wallSeconds(), c = cpuSeconds();
        command();
        m_timing.wall += wallSeconds() - w;
        m_timing.cpu += cpuSeconds() - c;
        ++m_timing.runs;
    }

private:
    benchmark::State& m_state;
    catalog::Database& m_db;
    Timing m_timing;
};

void showFirstRecord(catalog::RecordSet& set)
{
    try {
        set.moveLast();
        set.moveFirst();
    } catch (const catalog::EngineError&) {
        return;
    }
    for (const QString& column : catalog::CatalogSchema::archiveColumns())
        benchmark::DoNotOptimize(set.value(column));
}

// A search or sort as the window runs it.
int runCommand(catalog::Database& db, const QString& sql)
{
    tasks::TaskControl control;
    std::vector<qint64> keys = catalog::BackgroundQuery::keys(db.path(), db.translate(sql), control);
    auto set = db.openRecordSet(sql, std::move(keys));
    showFirstRecord(*set);
    return set->recordCount();
}

void BM_Command(benchmark::State& state, QString sql, bool first)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    int found = 0;
    {
        Measured measured(state, db);
        if (!first)
            runCommand(db, sql);
        for (auto _ : state) {
            if (first)
                catalog::OrderCache::shared().clear();
            measured.run([&] { found = runCommand(db, sql); });
        }
    }
    state.counters["found"] = found;
}

// The same query answered by SQLite alone.
void BM_Sqlite(benchmark::State& state, QString sql)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    const QString keyQuery = catalog::RecordSet::keyQueryFor(db.translate(sql));
    int found = 0;
    {
        Measured measured(state, db);
        for (auto _ : state) {
            measured.run([&] {
                auto statement = db.connection()->prepare(keyQuery);
                std::vector<qint64> keys;
                while (statement->step())
                    keys.push_back(statement->int64(0));
                auto set = db.openRecordSet(sql, std::move(keys));
                showFirstRecord(*set);
                found = set->recordCount();
            });
        }
    }
    state.counters["found"] = found;
}

// The genre search: the list of genres, then the first one's records.
void BM_GenreSearch(benchmark::State& state, bool first)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    Measured measured(state, db);
    for (auto _ : state) {
        if (first)
            catalog::OrderCache::shared().clear();
        measured.run([&] {
            tasks::TaskControl control;
            const std::vector<QVariant> genres = catalog::BackgroundQuery::values(
                db.path(), db.translate(QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre")),
                control);
            runCommand(db, SearchQuery::sortQuery(SearchQuery::genreFilter(genres.at(0).toString()),
                                                  QStringLiteral("order by title")));
        });
    }
}

// Opening, to the first record shown, as a new run does it.
void BM_Open(benchmark::State& state)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    const QString path = db.path();
    Measured measured(state, db);
    for (auto _ : state) {
        catalog::OrderCache::shared().clear();
        catalog::CatalogState catalogState;
        catalogState.databasePath = path;
        measured.run([&] {
            catalog::CatalogLoader::open(catalogState);
            for (const QString& column : catalog::CatalogSchema::archiveColumns())
                benchmark::DoNotOptimize(catalogState.current->value(column));
        });
        state.PauseTiming();
        catalogState = {};
        state.ResumeTiming();
    }
}

// Delete of the record on show in a set of all records in title order: the
// row goes, the set follows without finding its rows again, the next record
// shows, and the count is told.
void BM_Delete(benchmark::State& state)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    catalog::ArchiveKeys::install(db);
    auto set = db.openRecordSet(QStringLiteral("select * from archive  ORDER by title"));
    Measured measured(state, db);
    for (auto _ : state) {
        state.PauseTiming();
        set->addNew();
        set->setValue(QStringLiteral("title"), QStringLiteral("Zz benchmark record"));
        set->setValue(QStringLiteral("catalog"), QStringLiteral("ZZ"));
        set->update();
        set->setBookmark(set->lastModified());
        state.ResumeTiming();
        measured.run([&] {
            const int position = set->absolutePosition();
            set->deleteRecord();
            if (set->changedElsewhere())
                set->requery();
            set->moveFirst();
            if (position > 0)
                set->move(position);
            if (set->eof())
                set->moveLast();
            for (const QString& column : catalog::CatalogSchema::archiveColumns())
                benchmark::DoNotOptimize(set->value(column));
            benchmark::DoNotOptimize(catalog::ArchiveKeys::count(*db.connection()));
        });
    }
}

void BM_RecordCount(benchmark::State& state)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    catalog::ArchiveKeys::install(db);
    int count = 0;
    Measured measured(state, db);
    for (auto _ : state)
        measured.run([&] { count = catalog::ArchiveKeys::count(*db.connection()); });
    state.counters["count"] = count;
}

// The file against the data it holds: the engine adds nothing to it.
void BM_FileSize(benchmark::State& state)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(QFileInfo(db.path()).size());
    auto pages = db.connection()->prepare(QStringLiteral("select sum(pgsize) from dbstat where name = 'archive'"));
    const double data = pages->step() ? double(pages->int64(0)) : 0;
    state.counters["file_MB"] = double(QFileInfo(db.path()).size()) / 1e6;
    state.counters["archive_MB"] = data / 1e6;
}

const QString Marsh = QStringLiteral("marsh");

QString substring(const QString& column, const QString& text)
{
    return SearchQuery::substringQuery(SearchQuery::substringFilter(column, text), QStringLiteral(" ORDER by title"));
}

QString sorted(const QString& clause) { return SearchQuery::sortQuery(QString(), clause); }

QString quick(const QString& text, const QString& order)
{
    return SearchQuery::sortQuery(search::QuickFilter::clause(text), order);
}

void registerAll()
{
    const auto sizes = [](benchmark::internal::Benchmark* b) {
        b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    const auto add = [&](const std::string& name, const QString& sql) {
        sizes(benchmark::RegisterBenchmark(("first/" + name).c_str(), BM_Command, sql, true));
        sizes(benchmark::RegisterBenchmark(("again/" + name).c_str(), BM_Command, sql, false));
    };
    const auto before = [&](const std::string& name, const QString& sql) {
        sizes(benchmark::RegisterBenchmark(("sqlite/" + name).c_str(), BM_Sqlite, sql));
    };
    before("search/title", substring(QStringLiteral("title"), Marsh));
    before("search/cast", substring(SearchQuery::CastColumn, Marsh));
    before("sort/mnOrdTitle", sorted(QStringLiteral("order by title")));
    before("list_sort/md_type", sorted(QStringLiteral("order by md_type")));
    before("quick/bogart/mv_year", quick(QStringLiteral("bogart"), QStringLiteral("order by mv_director,mv_year")));
    sizes(benchmark::RegisterBenchmark("open", BM_Open));
    add("search/title", substring(QStringLiteral("title"), Marsh));
    add("search/director", substring(QStringLiteral("mv_director"), Marsh));
    add("search/cast", substring(SearchQuery::CastColumn, Marsh));
    add("search/media_id", substring(QStringLiteral("catalog"), QStringLiteral("t00012")));
    add("search/nothing_found", substring(QStringLiteral("title"), QStringLiteral("qqqq")));
    add("label_lookup", QStringLiteral("select * from archive where catalog like 'T000123'"));
    sizes(benchmark::RegisterBenchmark("first/search/genre", BM_GenreSearch, true));
    sizes(benchmark::RegisterBenchmark("again/search/genre", BM_GenreSearch, false));
    for (const search::SortOrder& order : search::SortOrder::all())
        add("sort/" + order.actionName.toStdString(), sorted(order.clause));
    for (const search::RecordListModel::Column& column : search::RecordListModel::columns())
        add("list_sort/" + column.name.toStdString(), sorted(QStringLiteral("order by ") + column.name));
    add("all_data", sorted(QStringLiteral(" ORDER by title")));
    for (const QString& order : {QStringLiteral(" ORDER by title"), QStringLiteral("order by mv_director,mv_year"),
                                 QStringLiteral("order by md_type")}) {
        const std::string suffix = order.section(QLatin1Char(' '), -1).toStdString();
        add("quick/bogart/" + suffix, quick(QStringLiteral("bogart"), order));
        add("quick/t00012/" + suffix, quick(QStringLiteral("t00012"), order));
        add("quick/a/" + suffix, quick(QStringLiteral("a"), order));
    }
    sizes(benchmark::RegisterBenchmark("delete", BM_Delete));
    benchmark::RegisterBenchmark("record_count", BM_RecordCount)
        ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("file_size", BM_FileSize)->Arg(1000000)->Iterations(1);
}

} // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
