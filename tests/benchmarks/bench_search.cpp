// A search or sort as the window runs it, up to its first record shown: the
// query opened, moved to its last and first record, and the 24 fields read.
#include "BenchCatalog.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "search/SearchQuery.h"
#include "search/SortOrder.h"

#include <benchmark/benchmark.h>

using namespace quelto;
using quelto::search::SearchQuery;

namespace {

void BM_SubstringSearch(benchmark::State& state, const QString& column)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    const QString sql = SearchQuery::substringQuery(SearchQuery::substringFilter(column, QStringLiteral("marsh")),
                                                    QStringLiteral(" ORDER by title"));
    int found = 0;
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        bench::showFirstRecord(*set);
        found = set->recordCount();
    }
    state.counters["found"] = found;
}

void BM_Sort(benchmark::State& state, int order)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    const QString sql = SearchQuery::sortQuery(QString(), search::SortOrder::all().at(order).clause);
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        bench::showFirstRecord(*set);
    }
}

void BM_GenreSearch(benchmark::State& state)
{
    catalog::Database& db = bench::catalog(int(state.range(0)));
    for (auto _ : state) {
        auto genres = db.openRecordSet(QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre"));
        const QString genre = genres->text(QStringLiteral("mv_genre"));
        auto set = db.openRecordSet(SearchQuery::sortQuery(SearchQuery::genreFilter(genre), QStringLiteral("order by title")));
        bench::showFirstRecord(*set);
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_SubstringSearch, title, QStringLiteral("title"))->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SubstringSearch, director, QStringLiteral("mv_director"))->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SubstringSearch, cast, SearchQuery::CastColumn)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, title, 0)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, director_year, 1)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, genre, 2)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, catalog, 3)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenreSearch)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
