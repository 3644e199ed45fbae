// Catalogue engine benchmarks on generated catalogues of 10,000 to 1,000,000
// records.
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "BenchCatalog.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <string>

using namespace quelto::catalog;
using quelto::bench::catalog;

namespace {

// A line of /proc/self/status in KiB: VmRSS, RssAnon (heap) or RssFile (mapped file pages).
long statusKiB(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == key + ":") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}
long residentKiB() { return statusKiB("VmRSS"); }

const QString kSorted = QStringLiteral("select * from archive  ORDER by title");

void BM_OpenSortedByTitle(benchmark::State& state)
{
    Database& db = catalog(int(state.range(0)));
    for (auto _ : state) {
        auto set = db.openRecordSet(kSorted);
        benchmark::DoNotOptimize(set->recordCount());
    }
}

void BM_MoveLastThenFirst(benchmark::State& state)
{
    auto set = catalog(int(state.range(0))).openRecordSet(kSorted);
    for (auto _ : state) {
        set->moveLast();
        set->moveFirst();
        benchmark::DoNotOptimize(set->text(QStringLiteral("title")));
    }
}

void BM_MoveNextReadingAllFields(benchmark::State& state)
{
    auto set = catalog(int(state.range(0))).openRecordSet(kSorted);
    const QStringList columns = CatalogSchema::archiveColumns();
    for (auto _ : state) {
        set->moveNext();
        if (set->eof())
            set->moveFirst();
        for (const QString& column : columns)
            benchmark::DoNotOptimize(set->value(column));
    }
}

void BM_SubstringSearchTitle(benchmark::State& state)
{
    Database& db = catalog(int(state.range(0)));
    const QString sql = QStringLiteral("select * from archive where title like \"*[Mm][Aa][Rr][Ss][Hh]*\"  ORDER by title");
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        benchmark::DoNotOptimize(set->recordCount());
    }
}

void BM_SubstringSearchCast(benchmark::State& state)
{
    Database& db = catalog(int(state.range(0)));
    QStringList terms;
    for (int i = 1; i <= 6; ++i)
        terms << QStringLiteral("mv_cast%1 like \"*[Mm][Aa][Rr][Ss][Hh]*\"").arg(i);
    const QString sql = QStringLiteral("select * from archive where ") + terms.join(QStringLiteral(" OR ")) +
                        QStringLiteral("  ORDER by title");
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        benchmark::DoNotOptimize(set->recordCount());
    }
}

void BM_AddNewAndUpdate(benchmark::State& state)
{
    auto set = catalog(int(state.range(0))).openRecordSet(kSorted);
    const QStringList columns = CatalogSchema::archiveColumns();
    int n = 0;
    for (auto _ : state) {
        set->addNew();
        for (const QString& column : columns)
            set->setValue(column, QStringLiteral("bench %1").arg(n));
        set->update();
        ++n;
    }
    catalog(int(state.range(0))).connection()->exec(QStringLiteral("delete from archive where title like 'bench *'"));
}

// Save of an existing record: the row read again under the write lock and
// compared with the 24 values shown, then written.
void BM_EditCheckedAndUpdate(benchmark::State& state)
{
    auto set = catalog(int(state.range(0))).openRecordSet(kSorted);
    const QStringList columns = CatalogSchema::archiveColumns();
    set->move(set->recordCount() / 2);
    const QString year = set->text(QStringLiteral("mv_year"));
    int n = 0;
    for (auto _ : state) {
        QHash<QString, QVariant> shown;
        for (const QString& column : columns)
            shown.insert(column, set->value(column));
        set->edit();
        set->setValue(QStringLiteral("mv_year"), QString::number(n++));
        set->expect(shown);
        set->update();
    }
    set->edit();
    set->setValue(QStringLiteral("mv_year"), year);
    set->update();
}

// The engine's quick check, run when a catalogue is opened.
void BM_QuickCheck(benchmark::State& state)
{
    Database& db = catalog(int(state.range(0)));
    for (auto _ : state) {
        auto check = db.connection()->prepare(QStringLiteral("pragma quick_check"));
        check->step();
        benchmark::DoNotOptimize(check->value(0));
    }
}

void BM_RecordCountLabel(benchmark::State& state)
{
    Database& db = catalog(int(state.range(0)));
    for (auto _ : state) {
        auto set = db.openRecordSet(CatalogSchema::ArchiveQuery);
        int count = 0;
        if (!(set->bof() && set->eof())) {
            set->moveLast();
            count = set->recordCount();
        }
        benchmark::DoNotOptimize(count);
    }
}

void BM_MemoryOfAnOpenSet(benchmark::State& state)
{
    Database& db = catalog(int(state.range(0)));
    long grown = 0;
    for (auto _ : state) {
        const long before = residentKiB();
        auto set = db.openRecordSet(kSorted);
        set->moveLast();
        set->moveFirst();
        grown = residentKiB() - before;
        benchmark::DoNotOptimize(set->recordCount());
    }
    state.counters["set_MiB"] = double(grown) / 1024.0;
    state.counters["process_MiB"] = double(residentKiB()) / 1024.0;
    state.counters["heap_MiB"] = double(statusKiB("RssAnon")) / 1024.0;
    state.counters["mapped_MiB"] = double(statusKiB("RssFile")) / 1024.0;
}

} // namespace

#define QUELTO_SIZES ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_OpenSortedByTitle) QUELTO_SIZES;
BENCHMARK(BM_MoveLastThenFirst) QUELTO_SIZES;
BENCHMARK(BM_MoveNextReadingAllFields)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubstringSearchTitle) QUELTO_SIZES;
BENCHMARK(BM_SubstringSearchCast) QUELTO_SIZES;
BENCHMARK(BM_AddNewAndUpdate) QUELTO_SIZES;
BENCHMARK(BM_EditCheckedAndUpdate)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickCheck) QUELTO_SIZES;
BENCHMARK(BM_RecordCountLabel) QUELTO_SIZES;
BENCHMARK(BM_MemoryOfAnOpenSet)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
