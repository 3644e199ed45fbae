#include "BenchCatalog.h"
#include "RealisticCatalog.h"

#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace quelto::bench {
namespace {

using namespace quelto::catalog;

const char* const kFirst[] = {"Humphrey", "Ingrid", "Marlene", "Cary", "Grace", "James", "Audrey", "Peter",
                              "Lauren", "Orson", "Émile", "Jürgen", "Sophia", "Marcello", "Greta", "Max"};
const char* const kLast[] = {"Bogart", "Bergman", "Dietrich", "Grant", "Kelly", "Stewart", "Hepburn", "Lorre",
                             "Bacall", "Welles", "Zola", "Prochnow", "Loren", "Mastroianni", "Garbo", "Marsh"};
const char* const kWords[] = {"Big", "Sleep", "Maltese", "Falcon", "Night", "City", "Third", "Man", "Rear",
                              "Window", "Casablanca", "Notorious", "Vertigo", "Metropolis", "Stalker", "Alien",
                              "Über", "Marshal", "Return", "Empire", "Lady", "Shanghai", "Touch", "Evil"};
const char* const kGenres[] = {"Comedy", "Drama", "Sci-Fi", "Action", "Thriller", "Film noir", "Western"};
const char* const kMedia[] = {"LaserDisk", "DVD", "Hi8", "Video8", "S-VHS", "VHS"};

template <size_t N> QString pick(const char* const (&list)[N], QRandomGenerator& r)
{
    return QString::fromUtf8(list[r.bounded(int(N))]);
}

QString person(QRandomGenerator& r) { return pick(kFirst, r) + QLatin1Char(' ') + pick(kLast, r); }

QString catalogPath(int records)
{
    const QString dir = qEnvironmentVariable("QUELTO_BENCH_DIR", QDir::tempPath());
    const QString name = kindSuffix().isEmpty() ? QStringLiteral("quelto-bench-%1.mdb") : QStringLiteral("quelto-real-%1.mdb");
    return QDir(dir).filePath(name.arg(records));
}

void generate(const QString& path, int records)
{
    auto db = Database::create(path);
    CatalogSchema::createCatalogTables(*db);
    for (const OptionListDef& list : CatalogSchema::optionLists())
        CatalogSchema::openOptionList(*db, list);
    auto connection = db->connection();
    if (!kindSuffix().isEmpty()) {
        RealisticCatalog::fill(*connection, records);
        return;
    }
    connection->exec(QStringLiteral("begin"));
    QStringList marks;
    for (int i = 0; i < 24; ++i)
        marks << QStringLiteral("?");
    auto insert = connection->prepare(QStringLiteral("insert into archive (%1) values (%2)")
                                          .arg(CatalogSchema::archiveColumns().join(QLatin1Char(',')),
                                               marks.join(QLatin1Char(','))));
    QRandomGenerator r(4711);
    for (int i = 0; i < records; ++i) {
        QString title = pick(kWords, r);
        for (int w = r.bounded(1, 4); w > 0; --w)
            title += QLatin1Char(' ') + pick(kWords, r);
        const QStringList values = {
            QStringLiteral("T%1").arg(i / 3, 6, 10, QLatin1Char('0')), pick(kMedia, r), QStringLiteral("PAL"),
            QStringLiteral("Widescreen"), QStringLiteral("Stereo"), QStringLiteral("English"), QStringLiteral("USA"),
            QString::number(1920 + r.bounded(90)), QStringLiteral("7.%1/10 (%2 votes)").arg(r.bounded(10)).arg(r.bounded(90000)),
            QStringLiteral("English"), QStringLiteral("Color"), QStringLiteral("Mono"), pick(kGenres, r), person(r),
            QStringLiteral("Paramount"), person(r), person(r), person(r), person(r), person(r), person(r), person(r),
            person(r), title};
        insert->reset();
        for (int c = 0; c < 24; ++c)
            insert->bind(c + 1, values[c]);
        insert->step();
    }
    connection->exec(QStringLiteral("commit"));
}

} // namespace

QString kindSuffix()
{
    return qEnvironmentVariable("QUELTO_BENCH_KIND") == QLatin1String("realistic") ? QStringLiteral("-real") : QString();
}

QString catalogFile(int records)
{
    catalog(records);
    return catalogPath(records);
}

Database& catalog(int records)
{
    static std::map<int, std::unique_ptr<Database>> open;
    auto& db = open[records];
    if (!db) {
        const QString path = catalogPath(records);
        if (!QFileInfo::exists(path))
            generate(path, records);
        db = Database::open(path);
        // QUELTO_BENCH_MMAP=1 reads through a 64 MiB memory map, as the
        // engine once did, to compare with the page reads in use now.
        if (qEnvironmentVariableIntValue("QUELTO_BENCH_MMAP") == 1)
            db->connection()->exec(QStringLiteral("PRAGMA mmap_size = 67108864"));
    }
    return *db;
}

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

} // namespace quelto::bench
