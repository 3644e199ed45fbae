// The web catalogue against the CSV export of the same records and covers:
// 100,000 records, 10,000 of them with a cover (300 x 450 JPEG), both with
// covers, title order. The folders are kept in QUELTO_BENCH_DIR for the
// browser timings (tests/webcatalogue/check_web_catalogue.py --measure).
#include "WebFixture.h"
#include "catalog/ArchiveReader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvCoverFolder.h"
#include "exchange/CsvExport.h"
#include "webcatalogue/WebCatalogueExport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace quelto;

namespace {

constexpr int Records = 100000;
constexpr int CoverEvery = 10;

QString benchDir()
{
    const QString dir = qEnvironmentVariable("QUELTO_BENCH_DIR", QDir::tempPath());
    QDir().mkpath(dir);
    return dir;
}

QString catalogue()
{
    const QString path = QDir(benchDir()).filePath(QStringLiteral("web-%1.qdb").arg(Records));
    if (!QFileInfo::exists(path))
        test::WebFixture::create(path, Records, CoverEvery);
    return path;
}

QString titleOrder(const QString& path)
{
    auto db = catalog::Database::open(path);
    return db->translate(catalog::CatalogSchema::ArchiveQuery + catalog::CatalogState::InitialFilter +
                         catalog::CatalogState::InitialOrder);
}

qint64 bytesBelow(const QString& path)
{
    if (QFileInfo(path).isFile())
        return QFileInfo(path).size();
    qint64 bytes = 0;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        bytes += QFileInfo(it.next()).size();
    return bytes;
}

void BM_WebCatalogue100kWith10kCovers(benchmark::State& state)
{
    const QString path = catalogue();
    webcatalogue::WebCatalogueRequest request;
    request.cataloguePath = path;
    request.folder = QDir(benchDir()).filePath(QStringLiteral("web-%1").arg(Records));
    request.covers = true;
    request.query = titleOrder(path);
    qint64 movies = 0;
    for (auto _ : state)
        movies = webcatalogue::WebCatalogueExport::write(request).movies;
    state.counters["movies"] = double(movies);
    state.counters["folder_MiB"] = double(bytesBelow(request.folder)) / (1024 * 1024);
    state.counters["covers_MiB"] = double(bytesBelow(request.folder + QStringLiteral("/covers"))) / (1024 * 1024);
}
BENCHMARK(BM_WebCatalogue100kWith10kCovers)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Csv100kWith10kCovers(benchmark::State& state)
{
    const QString path = catalogue();
    const QString csv = QDir(benchDir()).filePath(QStringLiteral("web-%1.csv").arg(Records));
    QStringList columns;
    {
        auto db = catalog::Database::open(path);
        columns = exchange::CsvColumns::namesIn(*db->connection());
    }
    const QString query = titleOrder(path);
    qint64 records = 0;
    for (auto _ : state) {
        catalog::ArchiveReader rows(path, columns);
        rows.readQuery(query);
        exchange::CsvCoverFolder covers(csv);
        records = exchange::CsvExport::writeFile(rows, csv, nullptr, &covers);
    }
    state.counters["records"] = double(records);
    state.counters["csv_MiB"] = double(bytesBelow(csv)) / (1024 * 1024);
    state.counters["covers_MiB"] = double(bytesBelow(exchange::CsvCoverFolder::besideExport(csv))) / (1024 * 1024);
}
BENCHMARK(BM_Csv100kWith10kCovers)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts for the generated covers
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
