// A whole collection from another program: a Tellico file of the 10,000
// records of the benchmark catalogue, written the way Tellico writes it,
// imported into a new catalogue (and read alone, as the preview reads it),
// against a CSV import of the same records.
#include "BenchCatalog.h"
#include "catalog/CatalogLoader.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "exchange/CsvImport.h"
#include "importing/CatalogueImport.h"
#include "importing/ImportPreview.h"
#include "tasks/TaskControl.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
