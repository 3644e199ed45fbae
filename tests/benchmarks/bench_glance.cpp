// Groups and statistics on large catalogues: counting the records by a field,
// choosing a group as the list's filter, the statistics with their charts,
// and following one saved record; against one bare scan of archive in the
// same run. The catalogues carry the program's keys, the personal columns,
// tape lengths and loans.
#include "BenchCatalog.h"
#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "groups/GroupChangeLog.h"
#include "groups/GroupCounter.h"
#include "groups/GroupFilter.h"
#include "groups/GroupKeying.h"
#include "groups/RawQuery.h"
#include "search/SearchQuery.h"
#include "statistics/StatisticsCharts.h"
#include "statistics/KeptStatistics.h"
#include "statistics/KeptStatisticsRefresher.h"
#include "statistics/StatisticsCollector.h"
#include "statistics/StatisticsTally.h"
#include "catalog/TablePageReader.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <thread>
#include <QApplication>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace quelto;

namespace {

const QDate Today(2026, 12, 20);

// A copy of the benchmark catalogue with everything the group pane and the
// statistics read; made once and kept beside it.
catalog::Database& glanceCatalog(int records)
{
    static std::map<int, std::unique_ptr<catalog::Database>> open;
    auto& db = open[records];
    if (db)
        return *db;
    const QString source = bench::catalogFile(records);
    const QString path =
        QFileInfo(source).absoluteDir().filePath(QStringLiteral("quelto-glance%1-%2.mdb").arg(bench::kindSuffix()).arg(records));
    if (!QFileInfo::exists(path)) {
        QFile::copy(source, path + QStringLiteral(".part"));
        {
            auto made = catalog::Database::open(path + QStringLiteral(".part"));
            catalog::ArchiveKeys::install(*made);
            made->connection()->exec(QStringLiteral(
                "begin;"
                "alter table archive add column quelto_location TEXT;"
                "alter table archive add column quelto_condition TEXT;"
                "alter table archive add column quelto_my_rating INTEGER;"
                "alter table archive add column quelto_seen INTEGER;"
                "alter table archive add column quelto_running_time INTEGER;"
                "alter table archive add column quelto_speed TEXT;"
                "update archive set quelto_location = case when abs(random()) % 10 = 0 then null "
                "  else 'Shelf ' || char(65 + abs(random()) % 12) end,"
                " quelto_condition = case abs(random()) % 4 when 0 then 'good' when 1 then 'worn' when 2 "
                "then 'poor' end,"
                " quelto_my_rating = case when abs(random()) % 3 = 0 then null else 1 + abs(random()) % 5 "
                "end,"
                " quelto_seen = abs(random()) % 2, quelto_running_time = 80 + abs(random()) % 100,"
                " quelto_speed = case abs(random()) % 3 when 0 then 'SP' when 1 then 'LP' else 'EP' end;"
                "create table quelto_tapes (catalog TEXT, length_minutes INTEGER);"
                "insert into quelto_tapes select distinct catalog, 180 from archive where rowid % 7 = 0;"
                "create table quelto_loans (id INTEGER PRIMARY KEY, catalog TEXT COLLATE NOCASE NOT NULL, "
                "  borrower TEXT COLLATE NOCASE NOT NULL, lent TEXT NOT NULL, due TEXT, returned TEXT, note "
                "TEXT);"
                "insert into quelto_loans (catalog, borrower, lent, due, returned) "
                "  select catalog, 'Borrower ' || (rowid % 17), '2026-11-01', '2026-11-15', "
                "  case when rowid % 4 = 0 then null else '2026-11-10' end from archive where rowid % 997 = "
                "0;"
                "commit;"));
        }
        QFile::rename(path + QStringLiteral(".part"), path);
    }
    db = catalog::Database::open(path);
    catalog::ArchiveKeys::install(*db); // the TEMP triggers, as the window has them
    return *db;
}

// One pass over every row of archive, no column read: the floor any count stands on.
void BM_BareScan(benchmark::State& state)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    for (auto _ : state) {
        groups::RawQuery scan(*db.connection(), QStringLiteral("select * from archive"));
        int rows = 0;
        while (scan.step())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}

void BM_GroupCount(benchmark::State& state, const char* id)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    const groups::GroupField& field = *groups::GroupField::byId(QString::fromLatin1(id));
    int groups = 0;
    for (auto _ : state) {
        const groups::GroupCounts counts = groups::GroupCounter::count(*db.connection(), field);
        benchmark::DoNotOptimize(counts.sorted(groups::GroupCounts::Order::ByName)); // as the pane shows them
        groups = counts.groupCount();
    }
    state.counters["groups"] = groups;
}

// A click on a group: the filter's key query as the worker runs it (title
// order), the record set over its keys, and the first record's fields.
void BM_ChooseGroup(benchmark::State& state, const char* id, const char* value)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    const groups::GroupField& field = *groups::GroupField::byId(QString::fromLatin1(id));
    groups::Group group;
    const groups::GroupCounts counts = groups::GroupCounter::count(*db.connection(), field);
    for (const groups::Group& g : counts.sorted(groups::GroupCounts::Order::ByCount)) {
        if (g.label == QString::fromUtf8(value) || (!*value && g.isNone()))
            group = g;
    }
    const QString condition =
        groups::GroupFilter::restriction(groups::GroupFilter::condition(field, group, true, true));
    const QString sql = search::SearchQuery::sortQuery(QStringLiteral("where (%1) ").arg(condition),
                                                       QStringLiteral(" ORDER by title"));
    const QString keyQuery = catalog::RecordSet::keyQueryFor(db.translate(sql));
    int found = 0;
    for (auto _ : state) {
        std::vector<qint64> keys;
        auto query = db.connection()->prepare(keyQuery);
        while (query->step())
            keys.push_back(query->int64(0));
        auto set = db.openRecordSet(sql, std::move(keys));
        found = set->recordCount();
        if (found > 0) {
            set->moveFirst();
            for (const QString& column : catalog::CatalogSchema::archiveColumns())
                benchmark::DoNotOptimize(set->value(column));
        }
    }
    state.counters["found"] = found;
}

// The Statistics window's work on the worker: the figures.
void BM_Statistics(benchmark::State& state)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    int records = 0;
    for (auto _ : state)
        records = statistics::StatisticsCollector::collect(*db.connection(), Today).records;
    state.counters["records"] = records;
}

// The same through the kept figures, as a new run of the program meets them:
// "first", the catalogue changed since they were kept (no kept file: the pass,
// with the stamp taken before and after it, and the file written); "kept",
// the catalogue as it was (the stamp taken, the file read, the loans counted).
void BM_StatisticsKept(benchmark::State& state, bool kept)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    using statistics::KeptStatistics;
    KeptStatistics::setLocation(QFileInfo(bench::catalogFile(int(state.range(0)))).absoluteDir().filePath(
        QStringLiteral("kept-statistics")));
    KeptStatistics::forgetMemory();
    KeptStatistics::collect(*db.connection(), Today);
    KeptStatistics::Source source = KeptStatistics::Source::Pass;
    int records = 0;
    for (auto _ : state) {
        KeptStatistics::forgetMemory();
        if (!kept)
            QFile::remove(KeptStatistics::fileFor(db.connection()->path()));
        records = KeptStatistics::collect(*db.connection(), Today, &source).records;
    }
    state.counters["records"] = records;
    state.counters["from_file"] = source == KeptStatistics::Source::File;
}

// A write of the window's own while the kept figures are made again in the
// background: how long it waits for the pass to let go of the file, when it
// comes the given number of milliseconds into the pass (-1: the whole pass
// to its end, with the file kept).
void BM_StatisticsGiveWay(benchmark::State& state)
{
    const int records = 1000000;
    const QString path = glanceCatalog(records).connection()->path();
    using statistics::KeptStatistics;
    KeptStatistics::setLocation(QFileInfo(bench::catalogFile(records)).absoluteDir().filePath(
        QStringLiteral("kept-statistics")));
    catalog::CatalogState window;
    window.database = catalog::Database::open(path);
    statistics::KeptStatisticsRefresher refresher(window, [] { return false; });
    for (auto _ : state) {
        state.PauseTiming();
        KeptStatistics::forgetMemory();
        QFile::remove(KeptStatistics::fileFor(path));
        refresher.refreshNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max<int64_t>(0, state.range(0))));
        state.ResumeTiming();
        if (state.range(0) < 0)
            refresher.waitFor(-1); // the whole pass, at the lowest priority
        refresher.stop();
    }
    state.counters["kept"] = QFileInfo::exists(KeptStatistics::fileFor(path));
}

// ... and on the window's thread: every chart drawn from the figures.
void BM_StatisticsCharts(benchmark::State& state)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    const statistics::StatisticsFigures figures =
        statistics::StatisticsCollector::collect(*db.connection(), Today);
    for (auto _ : state) {
        for (const auto& chart : statistics::StatisticsCharts::all())
            delete statistics::StatisticsCharts::build(chart.id, figures);
    }
}

// A save that moves one record to another genre, and the counts following it
// through the change log.
void BM_FollowOneSave(benchmark::State& state)
{
    catalog::Database& db = glanceCatalog(int(state.range(0)));
    catalog::SqliteConnection& c = *db.connection();
    const groups::GroupField& field = *groups::GroupField::byId(QStringLiteral("genre"));
    groups::GroupChangeLog::install(c, field, groups::RawQuery::tableColumns(c, QStringLiteral("archive")));
    groups::GroupCounts counts = groups::GroupCounter::count(c, field);
    const groups::GroupKeying keying(field);
    auto update = c.prepare(QStringLiteral("update archive set mv_genre = ?1 where rowid = 1"));
    bool flip = false;
    std::vector<groups::Group> groups;
    for (auto _ : state) {
        state.PauseTiming();
        update->reset();
        update->bind(1, (flip = !flip) ? QStringLiteral("Western") : QStringLiteral("Drama"));
        update->step();
        state.ResumeTiming();
        const auto changes = groups::GroupChangeLog::take(c);
        for (const auto& change : *changes) {
            for (const auto* value : {&change.before, &change.after}) {
                groups.clear();
                keying.groupsOf({value->text.constData(), size_t(value->text.size())}, value->isNull, groups);
                for (const groups::Group& group : groups)
                    counts.add(group, value == &change.before ? -1 : 1);
            }
        }
    }
    groups::GroupChangeLog::remove(c);
}

} // namespace

#define SIZES ->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)

// What a pass over every row costs before anything is counted: the columns
// the statistics read, from the pages, on one thread or on two each taking
// half of the leaves; with "tallied", each half also counted as one thread
// counts everything (the two halves' names not joined).
void BM_RowsRead(benchmark::State& state, bool tallied)
{
    catalog::Database& db = glanceCatalog(int(state.range(1)));
    const size_t threads = size_t(state.range(0));
    using Part = statistics::StatisticsTally::Part;
    const QStringList columns = statistics::StatisticsTally::columnNames(Part::All);
    std::vector<size_t> read(threads);
    for (auto _ : state) {
        std::vector<std::shared_ptr<catalog::SqliteConnection>> connections;
        for (size_t t = 0; t < threads; ++t)
            connections.push_back(catalog::SqliteConnection::open(db.connection()->path(),
                                                                  catalog::SqliteConnection::Mode::OpenReadOnly));
        std::vector<std::thread> readers;
        for (size_t t = 0; t < threads; ++t) {
            readers.emplace_back([&, t] {
                catalog::TablePageReader rows(*connections[t], QStringLiteral("archive"), columns);
                const size_t leaves = rows.leafCount();
                rows.keepLeaves(leaves * t / threads, leaves * (t + 1) / threads);
                if (tallied) {
                    statistics::StatisticsTally tally;
                    tally.scan(rows, Part::All);
                    read[t] = size_t(tally.records);
                    return;
                }
                size_t bytes = 0;
                while (rows.step()) {
                    for (int c = 0; c < columns.size(); ++c) {
                        if (const std::optional<std::string_view> text = rows.value(c))
                            bytes += text->size();
                    }
                }
                read[t] = bytes;
            });
        }
        for (std::thread& reader : readers)
            reader.join();
        benchmark::DoNotOptimize(read.data());
    }
}
BENCHMARK_CAPTURE(BM_RowsRead, read, false)->ArgsProduct({{1, 2}, {1000000}})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RowsRead, tallied, true)->ArgsProduct({{1, 2}, {1000000}})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareScan) SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, medium, "medium") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, genre, "genre") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, director, "director") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, decade, "decade") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, year, "year") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, country, "country") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, language, "language") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, location, "location") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, condition, "condition") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, myrating, "myrating") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, borrower, "borrower") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, cast, "cast") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, media_id, "tape") SIZES;
BENCHMARK_CAPTURE(BM_GroupCount, rating, "rating") SIZES;
BENCHMARK_CAPTURE(BM_ChooseGroup, genre_western, "genre", "Western") SIZES;
BENCHMARK_CAPTURE(BM_ChooseGroup, decade_1950s, "decade", "1950s") SIZES;
BENCHMARK_CAPTURE(BM_ChooseGroup, director, "director", "Humphrey Bogart") SIZES;
BENCHMARK_CAPTURE(BM_ChooseGroup, location_none, "location", "") SIZES;
BENCHMARK_CAPTURE(BM_ChooseGroup, borrower, "borrower", "Borrower 3") SIZES;
BENCHMARK(BM_Statistics)->MeasureProcessCPUTime()->UseRealTime() SIZES;
BENCHMARK_CAPTURE(BM_StatisticsKept, first, false)->MeasureProcessCPUTime()->UseRealTime() SIZES;
BENCHMARK_CAPTURE(BM_StatisticsKept, kept, true)->MeasureProcessCPUTime()->UseRealTime() SIZES;
BENCHMARK(BM_StatisticsGiveWay)->Arg(-1)->Arg(300)->Arg(1500)->Arg(2500)->Arg(3500)->Arg(4500)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsCharts)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FollowOneSave)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // the charts are graphics items
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
