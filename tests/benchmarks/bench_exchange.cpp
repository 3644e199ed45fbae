// Catalogues in and out. The small cases: converting the 5,000-record Access
// catalogue, and a CSV export and import of 10,000 records. At a million
// records, each figure is also given as a ratio to one bare SQLite scan of
// archive measured in the same run: a CSV import of 100,000 new records into
// the catalogue of 1,000,000, a CSV export of the 1,000,000 against the stock
// sqlite3 tool's, and the short list of 1,000,000 as PDF with its memory.
#include "BenchCatalog.h"
#include "BenchExchangeFiles.h"
#include "catalog/ArchiveReader.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "exchange/AccessConversion.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "printing/ListLayout.h"
#include "printing/ListPrintJob.h"
#include "printing/PrintCanvas.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <sys/resource.h>
#include <QTemporaryDir>

using namespace quelto;

namespace {

const QString kLargeAccess = QStringLiteral(QUELTO_TEST_DATA "/access/jet4-5000.mdb");
const QString kTitleOrder = QStringLiteral("select * from archive  ORDER by title");

double seconds(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e9; }

// The keys of the record set the window shows at start: every record by title.
std::vector<qint64> keysByTitle(catalog::Database& db)
{
    auto set = db.openRecordSet(kTitleOrder);
    std::vector<qint64> keys(size_t(set->recordCount()));
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = set->keyAt(int(i));
    return keys;
}

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

// Reading the old file, checking every value and writing the new file.
void BM_ConvertAccess5000(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("converted.mdb"));
    for (auto _ : state) {
        exchange::AccessConversion conversion(kLargeAccess);
        conversion.write(target);
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConvertAccess5000)->Unit(benchmark::kMillisecond);

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
        QFile::remove(target);
        catalog::CatalogLoader::createCatalogFile(target);
        auto db = catalog::Database::open(target);
        state.ResumeTiming();
        exchange::CsvImport import = exchange::CsvImport::fromBytes(csv);
        import.check(target);
        benchmark::DoNotOptimize(import.append(*db));
    }
}
BENCHMARK(BM_ImportCsv10000)->Unit(benchmark::kMillisecond);

// The CPU time (user and system) of this process, both threads, or of the
// programs it started and waited for.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto secs = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return secs(usage.ru_utime) + secs(usage.ru_stime);
}

// One bare scan of archive at 1,000,000 records: the unit of the figures below.
void BM_BareScan1M(benchmark::State& state)
{
    const QString path = bench::catalogFile(1000000);
    for (auto _ : state)
        state.SetIterationTime(bench::bareScanSeconds(path));
}
BENCHMARK(BM_BareScan1M)->UseManualTime()->Unit(benchmark::kMillisecond);

// File > Import > CSV of 100,000 new records into the catalogue of 1,000,000,
// opened as the window opens it: both passes (checking every row and looking
// for records stored already, then storing through the write checks), against
// the stock tool's "sqlite3 FILE '.import --csv --skip 1 CSV archive'" after it.
void BM_ImportCsv100kInto1M(benchmark::State& state)
{
    const QString csv = bench::importCsv();
    catalog::CatalogState window;
    window.databasePath = bench::importTarget();
    catalog::CatalogLoader::open(window);
    catalog::SqliteConnection& connection = *window.database->connection();
    const auto maxKey = [&connection] {
        auto statement = connection.prepare(QStringLiteral("select max(rowid) from archive"));
        statement->step();
        return statement->value(0).toLongLong();
    };
    const qint64 original = maxKey();
    double scan = 0;
    double checking = 0;
    double stock = 0;
    // What the imports add to the peak resident size of the process that
    // holds the catalogue open.
    const double peakBefore = bench::peakMiB();
    for (auto _ : state) {
        scan = bench::bareScanSeconds(window.databasePath);
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        exchange::CsvImport import(csv);
        import.check(window.databasePath);
        checking = seconds(clock);
        const qint64 stored = import.append(*window.database);
        const double took = seconds(clock);
        const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        state.SetIterationTime(took);
        state.counters["scans"] = took / scan;
        if (stored != 100000)
            state.SkipWithError("not every record was stored");
        connection.exec(QStringLiteral("delete from archive where rowid > %1").arg(original));
        // The stock tool's ".import" of the same file into the same table
        // (which has the file's columns once the import above added them).
        QElapsedTimer stockClock;
        stockClock.start();
        const double stockCpuBefore = cpuSeconds(RUSAGE_CHILDREN);
        QProcess tool;
        tool.start(QStringLiteral("sqlite3"), {window.databasePath,
                                               QStringLiteral(".import --csv --skip 1 %1 archive").arg(csv)});
        tool.waitForFinished(-1);
        stock = seconds(stockClock);
        const double stockCpu = cpuSeconds(RUSAGE_CHILDREN) - stockCpuBefore;
        if (maxKey() != original + 100000)
            state.SkipWithError("the stock tool did not import every record");
        connection.exec(QStringLiteral("delete from archive where rowid > %1").arg(original));
        state.counters["stock_ms"] = stock * 1000;
        state.counters["vs_stock"] = took / stock;
        state.counters["cpu_ms"] = cpu * 1000;
        state.counters["stock_cpu_ms"] = stockCpu * 1000;
        state.counters["cpu_vs_stock"] = cpu / stockCpu;
    }
    state.counters["scan_ms"] = scan * 1000;
    state.counters["check_ms"] = checking * 1000;
    state.counters["peak_added_MiB"] = bench::peakMiB() - peakBefore;
}
BENCHMARK(BM_ImportCsv100kInto1M)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// File > Export > CSV of every record by title, against the stock tool's
// "sqlite3 -csv FILE 'select ... from archive'" written to a file too.
void BM_ExportCsv1MAgainstStockTool(benchmark::State& state)
{
    const QString path = bench::catalogFile(1000000);
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours.csv"));
    const QString theirs = dir.filePath(QStringLiteral("stock.csv"));
    const std::vector<qint64> keys = keysByTitle(bench::catalog(1000000));
    double scan = 0;
    double stock = 0;
    for (auto _ : state) {
        scan = bench::bareScanSeconds(path);
        QElapsedTimer clock;
        clock.start();
        QProcess tool;
        tool.setStandardOutputFile(theirs);
        tool.start(QStringLiteral("sqlite3"),
                   {QStringLiteral("-csv"), path,
                    QStringLiteral("select %1 from archive").arg(catalog::CatalogSchema::archiveColumns().join(QLatin1Char(',')))});
        tool.waitForFinished(-1);
        stock = seconds(clock);
        clock.restart();
        catalog::ArchiveReader rows(path, exchange::CsvColumns::names());
        exchange::CsvExport::writeFile(rows, keys, ours);
        const double took = seconds(clock);
        state.SetIterationTime(took);
        state.counters["stock_ms"] = stock * 1000;
        state.counters["vs_stock"] = took / stock;
        state.counters["scans"] = took / scan;
    }
    state.counters["scan_ms"] = scan * 1000;
}
BENCHMARK(BM_ExportCsv1MAgainstStockTool)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// File > Export > Short List as PDF of every record by title. Run it in a
// process of its own for the memory figure (the process's peak resident size).
void BM_PdfShortList1M(benchmark::State& state)
{
    const QString path = bench::catalogFile(1000000);
    QTemporaryDir dir;
    const std::vector<qint64> keys = keysByTitle(bench::catalog(1000000));
    double scan = 0;
    for (auto _ : state) {
        scan = bench::bareScanSeconds(path);
        printing::PdfCanvas pdf(dir.filePath(QStringLiteral("short.pdf")));
        QElapsedTimer clock;
        clock.start();
        catalog::ArchiveReader rows(path, printing::ListLayout::columns(printing::ListKind::Short));
        rows.readKeys(keys);
        if (!printing::ListPrintJob::print(printing::ListKind::Short, rows, QStringLiteral("Quelto Short List on 12/8/26"),
                                           pdf, QStringLiteral("Quelto Short List")))
            state.SkipWithError("no PDF");
        const double took = seconds(clock);
        state.SetIterationTime(took);
        state.counters["scans"] = took / scan;
        state.counters["pdf_MiB"] = double(QFileInfo(dir.filePath(QStringLiteral("short.pdf"))).size()) / 1048576.0;
    }
    state.counters["peak_MiB"] = bench::peakMiB();
}
BENCHMARK(BM_PdfShortList1M)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Fonts for the printed lists; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
