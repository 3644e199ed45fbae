// A whole collection from another program: a Tellico file of the 10,000
// records of the benchmark catalogue, written the way Tellico writes it,
// imported into a new catalogue (and read alone, as the preview reads it),
// against a CSV import of the same records.
//
// With QUELTO_BENCH_LARGE=1: a generated Tellico file of 100,000 movies, 5,000
// of them with a cover in the "_files" folder beside it, imported, previewed,
// and against the CSV import of the same records and covers; each with the
// peak resident size of the run (the process's high-water mark is reset first).
#include "BenchCatalog.h"
#include "catalog/CatalogLoader.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "exchange/CsvImport.h"
#include "importing/CatalogueImport.h"
#include "importing/ImportPreview.h"
#include "tasks/TaskControl.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

using namespace quelto;

namespace {

struct Files
{
    QString tellico;
    QByteArray csv;
};

// The records of the benchmark catalogue as Tellico XML and as CSV.
Files filesOf(const QString& catalogue, const QString& folder)
{
    auto connection = catalog::SqliteConnection::open(catalogue, catalog::SqliteConnection::Mode::OpenReadOnly);
    auto rows = connection->prepare(QStringLiteral(
        "select catalog, title, mv_year, mv_genre, mv_director, mv_country, mv_cast1, mv_cast2, md_type from archive"));
    Files files;
    files.tellico = folder + QStringLiteral("/collection.xml");
    QFile file(files.tellico);
    file.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&file);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("tellico"));
    xml.writeAttribute(QStringLiteral("syntaxVersion"), QStringLiteral("11"));
    xml.writeStartElement(QStringLiteral("collection"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("3"));
    files.csv = "catalog,md_type,title,mv_year,mv_genre,mv_director,mv_country,mv_cast1,mv_cast2\n";
    const auto quoted = [](const QString& text) {
        return '"' + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")).toUtf8() + '"';
    };
    int id = 0;
    while (rows->step()) {
        const auto value = [&](int c) { return rows->value(c).toString(); };
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(++id));
        xml.writeTextElement(QStringLiteral("title"), value(1));
        xml.writeTextElement(QStringLiteral("medium"), value(8));
        xml.writeTextElement(QStringLiteral("year"), value(2));
        xml.writeStartElement(QStringLiteral("genres"));
        xml.writeTextElement(QStringLiteral("genre"), value(3));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("directors"));
        xml.writeTextElement(QStringLiteral("director"), value(4));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("nationalitys"));
        xml.writeTextElement(QStringLiteral("nationality"), value(5));
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("casts"));
        for (int c : {6, 7}) {
            xml.writeStartElement(QStringLiteral("cast"));
            xml.writeTextElement(QStringLiteral("column"), value(c));
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndElement();
        files.csv += QByteArray::number(id) + ',' + quoted(value(8)) + ',' + quoted(value(1)) + ',' + quoted(value(2)) +
                     ',' + quoted(value(3)) + ',' + quoted(value(4)) + ',' + quoted(value(5)) + ',' +
                     quoted(value(6)) + ',' + quoted(value(7)) + '\n';
    }
    xml.writeEndDocument();
    return files;
}

// A new catalogue opened for each run, made while the clock is stopped.
std::unique_ptr<catalog::Database> freshCatalogue(benchmark::State& state, const QTemporaryDir& dir)
{
    state.PauseTiming();
    const QString target = dir.filePath(QStringLiteral("import.mdb"));
    QFile::remove(target);
    catalog::CatalogLoader::createCatalogFile(target);
    auto db = catalog::Database::open(target);
    state.ResumeTiming();
    return db;
}

void BM_ImportTellico10000(benchmark::State& state)
{
    QTemporaryDir dir;
    const Files files = filesOf(bench::catalogFile(10000), dir.path());
    for (auto _ : state) {
        const auto db = freshCatalogue(state, dir);
        importing::CatalogueImport import(files.tellico);
        tasks::TaskControl control;
        benchmark::DoNotOptimize(import.run(*db, control).added);
    }
}
BENCHMARK(BM_ImportTellico10000)->Unit(benchmark::kMillisecond);

// Reading alone: the preview of the same file (no catalogue to match).
void BM_PreviewTellico10000(benchmark::State& state)
{
    QTemporaryDir dir;
    const Files files = filesOf(bench::catalogFile(10000), dir.path());
    for (auto _ : state) {
        tasks::TaskControl control;
        benchmark::DoNotOptimize(importing::ImportPreview::of(files.tellico, {}, control).movies);
    }
}
BENCHMARK(BM_PreviewTellico10000)->Unit(benchmark::kMillisecond);

void BM_ImportSameCsv10000(benchmark::State& state)
{
    QTemporaryDir dir;
    const Files files = filesOf(bench::catalogFile(10000), dir.path());
    for (auto _ : state) {
        const auto db = freshCatalogue(state, dir);
        exchange::CsvImport import = exchange::CsvImport::fromBytes(files.csv);
        import.check(db->connection()->path());
        benchmark::DoNotOptimize(import.append(*db));
    }
}
BENCHMARK(BM_ImportSameCsv10000)->Unit(benchmark::kMillisecond);

// --- 100,000 movies, 5,000 covers ---

constexpr int LargeMovies = 100000;
constexpr int LargeCovers = 5000;

struct LargeFiles
{
    QString tellico;
    QString csv;
    QString folder;
};

// A cover of 200 x 300 pixels, a different one for each number.
QByteArray coverPng(int n)
{
    QImage image(200, 300, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(n * 37 % 360, 160, 200));
    QPainter painter(&image); // shapes only: text would need the fonts of a GUI application
    for (int band = 0; band < 12; ++band)
        painter.fillRect(0, band * 25, 20 + (n * (band + 3)) % 180, 12, QColor::fromHsv((n + band * 29) % 360, 200, 120));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Written once into QUELTO_BENCH_DIR (or the temporary folder) and kept.
const LargeFiles& largeFiles()
{
    static const LargeFiles files = [] {
        LargeFiles made;
        made.folder = qEnvironmentVariable("QUELTO_BENCH_DIR", QDir::tempPath()) + QStringLiteral("/import-100k");
        made.tellico = made.folder + QStringLiteral("/collection.xml");
        made.csv = made.folder + QStringLiteral("/collection.csv");
        if (QFile::exists(made.tellico) && QFile::exists(made.csv))
            return made;
        QDir().mkpath(made.folder + QStringLiteral("/collection_files"));
        QDir().mkpath(made.folder + QStringLiteral("/collection-covers"));
        static const char* genres[] = {"Drama", "Comedy", "Western", "Horror", "Science Fiction", "Documentary"};
        static const char* countries[] = {"USA", "France", "Italy", "Japan", "Germany", "India"};
        static const char* media[] = {"VHS", "DVD", "Blu-ray"};
        QFile xmlFile(made.tellico);
        xmlFile.open(QIODevice::WriteOnly);
        QXmlStreamWriter xml(&xmlFile);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("tellico"));
        xml.writeAttribute(QStringLiteral("syntaxVersion"), QStringLiteral("11"));
        xml.writeStartElement(QStringLiteral("collection"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("3"));
        QFile csvFile(made.csv);
        csvFile.open(QIODevice::WriteOnly);
        csvFile.write("catalog,md_type,title,mv_year,mv_genre,mv_director,mv_country,mv_cast1,mv_cast2,cover\n");
        for (int i = 1; i <= LargeMovies; ++i) {
            const QString title = QStringLiteral("Generated Movie %1").arg(i);
            const QString year = QString::number(1930 + i % 90);
            const QString genre = QString::fromLatin1(genres[i % 6]);
            const QString director = QStringLiteral("Director %1").arg(i % 7919);
            const QString country = QString::fromLatin1(countries[i % 6]);
            const QString cast1 = QStringLiteral("Actor %1").arg(i % 10007);
            const QString cast2 = QStringLiteral("Actress %1").arg(i % 9973);
            const QString medium = QString::fromLatin1(media[i % 3]);
            QString cover;
            if (i % (LargeMovies / LargeCovers) == 0) {
                cover = QStringLiteral("cover%1.png").arg(i);
                const QByteArray png = coverPng(i);
                for (const QString& where : {QStringLiteral("/collection_files/"), QStringLiteral("/collection-covers/")}) {
                    QFile picture(made.folder + where + cover);
                    picture.open(QIODevice::WriteOnly);
                    picture.write(png);
                }
            }
            xml.writeStartElement(QStringLiteral("entry"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(i));
            xml.writeTextElement(QStringLiteral("title"), title);
            xml.writeTextElement(QStringLiteral("medium"), medium);
            xml.writeTextElement(QStringLiteral("year"), year);
            xml.writeStartElement(QStringLiteral("genres"));
            xml.writeTextElement(QStringLiteral("genre"), genre);
            xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("directors"));
            xml.writeTextElement(QStringLiteral("director"), director);
            xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("nationalitys"));
            xml.writeTextElement(QStringLiteral("nationality"), country);
            xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("casts"));
            for (const QString& member : {cast1, cast2}) {
                xml.writeStartElement(QStringLiteral("cast"));
                xml.writeTextElement(QStringLiteral("column"), member);
                xml.writeEndElement();
            }
            xml.writeEndElement();
            if (!cover.isEmpty())
                xml.writeTextElement(QStringLiteral("cover"), cover);
            xml.writeEndElement();
            csvFile.write(QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,")
                              .arg(i)
                              .arg(medium, title, year, genre, director, country, cast1, cast2)
                              .toUtf8() +
                          (cover.isEmpty() ? QByteArray() : "collection-covers/" + cover.toUtf8()) + '\n');
        }
        xml.writeEndDocument();
        return made;
    }();
    return files;
}

// The process's peak resident size, reset to what it holds now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

void BM_ImportTellico100k(benchmark::State& state)
{
    const LargeFiles& files = largeFiles();
    QTemporaryDir dir;
    for (auto _ : state) {
        const auto db = freshCatalogue(state, dir);
        resetPeak();
        importing::CatalogueImport import(files.tellico);
        tasks::TaskControl control;
        const importing::ImportSummary summary = import.run(*db, control);
        if (summary.added != LargeMovies || summary.covers != LargeCovers)
            state.SkipWithError("not every movie or cover was stored");
        state.counters["peak_MiB"] = peakMiB();
    }
}

void BM_PreviewTellico100k(benchmark::State& state)
{
    const LargeFiles& files = largeFiles();
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("empty.mdb"));
    catalog::CatalogLoader::createCatalogFile(catalogue);
    for (auto _ : state) {
        resetPeak();
        tasks::TaskControl control;
        const importing::ImportPreview preview = importing::ImportPreview::of(files.tellico, catalogue, control);
        if (preview.movies != LargeMovies || preview.covers != LargeCovers)
            state.SkipWithError("the preview counted wrong");
        state.counters["peak_MiB"] = peakMiB();
    }
}

void BM_ImportSameCsv100k(benchmark::State& state)
{
    const LargeFiles& files = largeFiles();
    QTemporaryDir dir;
    for (auto _ : state) {
        const auto db = freshCatalogue(state, dir);
        resetPeak();
        exchange::CsvImport import(files.csv);
        import.check(db->connection()->path());
        if (import.append(*db) != LargeMovies)
            state.SkipWithError("not every record was stored");
        state.counters["peak_MiB"] = peakMiB();
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsEmpty("QUELTO_BENCH_LARGE")) {
        benchmark::RegisterBenchmark("BM_ImportTellico100k", BM_ImportTellico100k)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_PreviewTellico100k", BM_PreviewTellico100k)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_ImportSameCsv100k", BM_ImportSameCsv100k)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
