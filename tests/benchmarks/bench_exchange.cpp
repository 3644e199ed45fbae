// Catalogues in and out: converting the 5,000-record Access catalogue, and a
// CSV export and import of 10,000 records.
#include "BenchCatalog.h"
#include "catalog/ArchiveReader.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "exchange/AccessConversion.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

using namespace quelto;

namespace {

const QString kLargeAccess = QStringLiteral(QUELTO_TEST_DATA "/access/jet4-5000.mdb");

void removeFile(const QString& path) { QFile::remove(path); }

// Reading the old file, checking every value and writing the new file.
void BM_ConvertAccess5000(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("converted.mdb"));
    for (auto _ : state) {
        exchange::AccessConversion conversion(kLargeAccess);
        conversion.write(target);
        state.PauseTiming();
        removeFile(target);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConvertAccess5000)->Unit(benchmark::kMillisecond);

QByteArray exportAll(const QString& path)
{
    QByteArray csv;
    QBuffer buffer(&csv);
    buffer.open(QIODevice::WriteOnly);
    catalog::ArchiveReader rows(path, exchange::CsvColumns::names());
    rows.readAll();
    exchange::CsvExport::write(rows, buffer);
    return csv;
}

void BM_ExportCsv10000(benchmark::State& state)
{
    const QString path = bench::catalogFile(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(exportAll(path));
}
BENCHMARK(BM_ExportCsv10000)->Unit(benchmark::kMillisecond);

void BM_ImportCsv10000(benchmark::State& state)
{
    const QByteArray csv = exportAll(bench::catalogFile(10000));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("import.mdb"));
    for (auto _ : state) {
        state.PauseTiming();
        removeFile(target);
        catalog::CatalogLoader::createCatalogFile(target);
        auto db = catalog::Database::open(target);
        state.ResumeTiming();
        exchange::CsvImport import = exchange::CsvImport::fromBytes(csv);
        import.check(target);
        benchmark::DoNotOptimize(import.append(*db));
    }
}
BENCHMARK(BM_ImportCsv10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
