// The record list: sorting and the quick filter on the keyed catalogue, the
// record count, and the rows a list view reads when it shows a screenful.
#include "BenchCatalog.h"
#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "search/QuickFilter.h"
#include "search/RecordListModel.h"
#include "search/SearchQuery.h"
#include "search/SortOrder.h"

#include <benchmark/benchmark.h>

using namespace quelto;
using quelto::search::SearchQuery;

namespace {

// The catalogue with the program's keys, as the window opens it.
catalog::Database& keyedCatalog(int records)
{
    catalog::Database& db = bench::catalog(records);
    static std::map<int, bool> installed;
    if (!installed[records]) {
        catalog::ArchiveKeys::install(db);
        installed[records] = true;
    }
    return db;
}

void BM_ListSort(benchmark::State& state, QString clause)
{
    catalog::Database& db = keyedCatalog(int(state.range(0)));
    const QString sql = SearchQuery::sortQuery(QString(), clause);
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        bench::showFirstRecord(*set);
    }
}

// The filter's key query, as the worker runs it, in title order.
void BM_QuickFilter(benchmark::State& state, QString text)
{
    catalog::Database& db = keyedCatalog(int(state.range(0)));
    const QString sql = SearchQuery::sortQuery(search::QuickFilter::clause(text), QStringLiteral(" ORDER by title"));
    int found = 0;
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        bench::showFirstRecord(*set);
        found = set->recordCount();
    }
    state.counters["found"] = found;
}

void BM_RecordCount(benchmark::State& state)
{
    catalog::Database& db = keyedCatalog(int(state.range(0)));
    int count = 0;
    for (auto _ : state)
        count = catalog::ArchiveKeys::count(*db.connection());
    state.counters["count"] = count;
}

// 40 rows of six columns from the middle of the set, read afresh.
void BM_ListScreenful(benchmark::State& state)
{
    const int records = int(state.range(0));
    keyedCatalog(records);
    catalog::CatalogState catalogState;
    catalogState.database = catalog::Database::open(bench::catalogFile(records));
    catalogState.current = catalogState.database->openRecordSet(QStringLiteral("select * from archive  ORDER by title"));
    int top = 0;
    for (auto _ : state) {
        search::RecordListModel model(catalogState);
        model.refresh();
        top = (top + 7919) % std::max(1, model.rowCount() - 40);
        for (int row = top; row < top + 40; ++row) {
            for (int column = 0; column < search::RecordListModel::DefaultColumnCount; ++column)
                benchmark::DoNotOptimize(model.data(model.index(row, column)));
        }
    }
}

const QString kOrders[] = {QStringLiteral("order by title"), QStringLiteral("order by mv_director,mv_year"),
                           QStringLiteral("order by mv_genre"), QStringLiteral("order by catalog"),
                           QStringLiteral("order by mv_year"), QStringLiteral("order by md_type")};

} // namespace

#define SIZES ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK_CAPTURE(BM_ListSort, title, kOrders[0]) SIZES;
BENCHMARK_CAPTURE(BM_ListSort, director_year, kOrders[1]) SIZES;
BENCHMARK_CAPTURE(BM_ListSort, genre, kOrders[2]) SIZES;
BENCHMARK_CAPTURE(BM_ListSort, catalog, kOrders[3]) SIZES;
BENCHMARK_CAPTURE(BM_ListSort, year, kOrders[4]) SIZES;
BENCHMARK_CAPTURE(BM_ListSort, media_unkeyed, kOrders[5]) SIZES;
BENCHMARK_CAPTURE(BM_QuickFilter, bogart, QStringLiteral("bogart")) SIZES;
BENCHMARK_CAPTURE(BM_QuickFilter, rare, QStringLiteral("t00012")) SIZES;
BENCHMARK_CAPTURE(BM_QuickFilter, one_letter, QStringLiteral("a")) SIZES;
BENCHMARK(BM_RecordCount)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListScreenful)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
