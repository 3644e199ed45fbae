// Each format's own file imported into a new catalogue with every field in
// its place: archive fields, personal fields, cover, loans, links; and each
// format recognised by its content whatever the file is called.
#include "ImportTestSupport.h"
#include "catalog/EngineError.h"
#include "importing/CatalogueReader.h"
#include "importing/FormatDetector.h"
#include "importing/LegacyText.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using namespace quelto::test;
using importing::CatalogueFormat;

namespace {

QString text(const StoredRecord& record, const char* column) { return record.value(QString::fromLatin1(column)).toString(); }

// Compares stored text fields with the expected ones and names every one that differs.
void expectFields(const StoredRecord& record, std::initializer_list<std::pair<const char*, QString>> expected)
{
    QStringList differing;
    for (const auto& [column, value] : expected) {
        if (text(record, column) != value)
            differing << QStringLiteral("%1: \"%2\", expected \"%3\"").arg(QString::fromLatin1(column), text(record, column), value);
    }
    QVERIFY2(differing.isEmpty(), qPrintable(differing.join(QStringLiteral("; "))));
}

} // namespace

class ImportFormats : public QObject
{
    Q_OBJECT

private slots:
    void detectsByContent_data();
    void detectsByContent();
    void tellico();
    void letterboxd();
    void imdb();
    void kodiNfo();
    void gcstar();
    void dvdProfiler();
    void collectorz();
    void antMovieCatalogAndGriffith();
    void dataCrow();
    void deliciousLibrary();
    void onMyShelf();
    void antMovieCatalogFile();
    void legacyText();
};

void ImportFormats::detectsByContent_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::newRow("tellico zip") << "tellico/collection.tc" << int(CatalogueFormat::Tellico);
    QTest::newRow("tellico xml") << "tellico/bare.xml" << int(CatalogueFormat::Tellico);
    QTest::newRow("tellico named .csv") << "tellico/tellico-named.csv" << int(CatalogueFormat::Tellico);
    QTest::newRow("letterboxd zip") << "letterboxd/letterboxd-export.zip" << int(CatalogueFormat::Letterboxd);
    QTest::newRow("letterboxd csv") << "letterboxd/diary.csv" << int(CatalogueFormat::Letterboxd);
    QTest::newRow("imdb today") << "imdb/ratings.csv" << int(CatalogueFormat::Imdb);
    QTest::newRow("imdb 2012") << "imdb/ratings-2012.csv" << int(CatalogueFormat::Imdb);
    QTest::newRow("imdb list") << "imdb/list.csv" << int(CatalogueFormat::Imdb);
    QTest::newRow("kodi file") << "kodi/Heat (1995)/Heat.nfo" << int(CatalogueFormat::KodiNfo);
    QTest::newRow("kodi folder") << "kodi" << int(CatalogueFormat::KodiNfo);
    QTest::newRow("gcstar") << "gcstar/movies.gcs" << int(CatalogueFormat::Gcstar);
    QTest::newRow("dvd profiler") << "dvdprofiler/Collection.xml" << int(CatalogueFormat::DvdProfiler);
    QTest::newRow("collectorz") << "collectorz/movies.xml" << int(CatalogueFormat::Collectorz);
    QTest::newRow("ant movie catalog") << "amc/catalog.xml" << int(CatalogueFormat::AntMovieCatalog);
    QTest::newRow("griffith") << "griffith/export.xml" << int(CatalogueFormat::Griffith);
    QTest::newRow("data crow") << "datacrow/export.xml" << int(CatalogueFormat::DataCrow);
    QTest::newRow("delicious library 1") << "delicious/Library Media Data.xml" << int(CatalogueFormat::DeliciousLibrary);
    QTest::newRow("delicious library 2") << "delicious/library2.plist" << int(CatalogueFormat::DeliciousLibrary);
    QTest::newRow("onmyshelf") << "onmyshelf/items.json" << int(CatalogueFormat::OnMyShelf);
    QTest::newRow("ant movie catalog 3.5") << "amcfile/catalog35.amc" << int(CatalogueFormat::AntMovieCatalog);
    QTest::newRow("ant movie catalog 4.1") << "amcfile/catalog41.amc" << int(CatalogueFormat::AntMovieCatalog);
    QTest::newRow("a picture") << "amc/brazil.png" << int(CatalogueFormat::Unknown);
}

void ImportFormats::detectsByContent()
{
    QFETCH(QString, file);
    QFETCH(int, format);
    const importing::FormatDetector::Result found = importing::FormatDetector::detect(dataPath(file));
    QCOMPARE(int(found.format), format);
    QCOMPARE(found.problem.isEmpty(), format != int(CatalogueFormat::Unknown));
}

void ImportFormats::tellico()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("tellico/collection.tc")), catalogue);
    QCOMPARE(summary.format, CatalogueFormat::Tellico);
    QCOMPARE(summary.added, 2);
    QCOMPARE(summary.covers, 1);
    QCOMPARE(summary.loans, 1);
    QCOMPARE(summary.leftOutCoverCount, 1); // "../../etc/passwd" is no member of the zip
    const auto records = recordsByTitle(catalogue);
    const StoredRecord matrix = records.value(QStringLiteral("The Matrix"));
    expectFields(matrix, {
        {"catalog", QStringLiteral("7")},
        {"md_type", QStringLiteral("DVD")},
        {"mv_year", QStringLiteral("1999")},
        {"mv_rating", QStringLiteral("8.7")},
        {"mv_genre", QStringLiteral("Action / Science Fiction")},
        {"mv_country", QStringLiteral("USA / Australia")},
        {"mv_director", QStringLiteral("Lana Wachowski / Lilly Wachowski")},
        {"mv_book", QStringLiteral("Lana Wachowski / Lilly Wachowski")},
        {"mv_music", QStringLiteral("Don Davis")},
        {"mv_producer", QStringLiteral("Warner Bros.")},
        {"mv_language", QStringLiteral("English")},
        {"mv_cast1", QStringLiteral("Keanu Reeves")},
        {"mv_cast6", QStringLiteral("Joe Pantoliano")},
        {"mv_color", QStringLiteral(" ")}
    });
    QVERIFY(matrix.value(QStringLiteral("md_format")).isNull());
    QCOMPARE(matrix.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.0); // 4 of 5
    expectFields(matrix, {
        {"quelto_seen", QStringLiteral("seen")},
        {"quelto_purchased", QStringLiteral("2001-03-15")}
    });
    QCOMPARE(matrix.value(QStringLiteral("quelto_price")).toDouble(), 19.99);
    QCOMPARE(text(matrix, "quelto_location"), QStringLiteral("Shelf A"));
    QCOMPARE(matrix.value(QStringLiteral("quelto_running_time")).toInt(), 136);
    const QString notes = text(matrix, "quelto_notes");
    QVERIFY(notes.startsWith(QStringLiteral("Bought at the mall.\n")));
    QVERIFY(notes.contains(QStringLiteral("\nCertification: R (USA)")));
    QVERIFY(notes.contains(QStringLiteral("\nCast: Marcus Chong")));
    QVERIFY(coverOf(catalogue, QStringLiteral("The Matrix")).startsWith("\x89PNG"));
    QCOMPARE(tableLines(catalogue, QStringLiteral("select catalog, borrower, lent, due, returned, note from quelto_loans")),
             QStringList{QStringLiteral("7|Jane Doe|2024-02-01|2024-03-01|<Null>|Careful with the case")});
    QCOMPARE(tableLines(catalogue, QStringLiteral("select kind, value from quelto_import_links l join archive a on "
                                                  "a.quelto_id = l.record_id where a.title = 'The Matrix' order by kind")),
             (QStringList{QStringLiteral("imdb|tt0133093"), QStringLiteral("web|https://www.imdb.com/title/tt0133093/")}));
    QCOMPARE(records.value(QStringLiteral("Amélie")).value(QStringLiteral("quelto_my_rating")).toDouble(), 5.0);

    // The bare XML: a picture in the "_files" folder beside it and one written into the file.
    const QString second = dir.filePath(QStringLiteral("d.mdb"));
    const importing::ImportSummary bare = importInto(dataPath(QStringLiteral("tellico/bare.xml")), second);
    QCOMPARE(bare.added, 2);
    QCOMPARE(bare.covers, 2);
    QVERIFY(coverOf(second, QStringLiteral("Brazil")).startsWith("\x89PNG"));
}

void ImportFormats::letterboxd()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary =
        importInto(dataPath(QStringLiteral("letterboxd/letterboxd-export.zip")), catalogue);
    QCOMPARE(summary.format, CatalogueFormat::Letterboxd);
    QCOMPARE(summary.read, 4); // the rows of five files, one movie each
    QCOMPARE(summary.added, 4);
    const auto records = recordsByTitle(catalogue);
    const StoredRecord matrix = records.value(QStringLiteral("The Matrix"));
    QCOMPARE(matrix.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    expectFields(matrix, {
        {"quelto_seen", QStringLiteral("2024-05-30")}, // the latest diary entry
        {"catalog", QStringLiteral("I-1")}
    });
    QVERIFY(text(matrix, "quelto_notes").contains(QStringLiteral("Tags: cyberpunk, rewatch")));
    const StoredRecord stalker = records.value(QStringLiteral("Stalker"));
    QCOMPARE(stalker.value(QStringLiteral("quelto_my_rating")).toDouble(), 5.0);
    QVERIFY(text(stalker, "quelto_notes").startsWith(QStringLiteral("The zone, slow and \"unforgettable\".")));
    QCOMPARE(text(records.value(QStringLiteral("Parisé")), "mv_year"), QStringLiteral("2022"));
    const StoredRecord solaris = records.value(QStringLiteral("Solaris"));
    QVERIFY(solaris.value(QStringLiteral("quelto_seen")).isNull());
    QCOMPARE(tableLines(catalogue, QStringLiteral("select value from quelto_import_links where kind = 'letterboxd' "
                                                  "order by value")).size(),
             4);
}

void ImportFormats::imdb()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    QCOMPARE(importInto(dataPath(QStringLiteral("imdb/ratings.csv")), catalogue).added, 3);
    auto records = recordsByTitle(catalogue);
    const StoredRecord matrix = records.value(QStringLiteral("The Matrix"));
    QCOMPARE(matrix.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5); // 9 of 10
    expectFields(matrix, {
        {"quelto_seen", QStringLiteral("2024-01-15")},
        {"mv_genre", QStringLiteral("Action / Sci-Fi")},
        {"mv_director", QStringLiteral("Lana Wachowski / Lilly Wachowski")},
        {"mv_rating", QStringLiteral("8.7")}
    });
    QCOMPARE(matrix.value(QStringLiteral("quelto_running_time")).toInt(), 136);
    QVERIFY(text(records.value(QStringLiteral("Breaking Bad")), "quelto_notes").contains(QStringLiteral("Title type: TV Series")));
    QVERIFY(text(records.value(QStringLiteral("Amélie")), "quelto_notes")
                .contains(QStringLiteral("Original title: Le fabuleux destin d'Amélie Poulain")));

    // The older export in ISO-8859-1 matches the same Amélie by its IMDb ID and
    // updates her; Stalker is new, its Windows-1252 apostrophe read as such.
    const importing::ImportSummary old = importInto(dataPath(QStringLiteral("imdb/ratings-2012.csv")), catalogue);
    QCOMPARE(old.added, 1);
    QCOMPARE(old.updated, 1);
    records = recordsByTitle(catalogue);
    QCOMPARE(records.size(), 4);
    QCOMPARE(records.value(QStringLiteral("Amélie")).value(QStringLiteral("quelto_my_rating")).toDouble(), 3.5);
    QCOMPARE(text(records.value(QStringLiteral("Amélie")), "quelto_seen"), QStringLiteral("2023-11-02")); // the later date stays
    QCOMPARE(text(records.value(QStringLiteral("Stalker")), "quelto_notes"), QStringLiteral("Tarkovsky\u2019s best"));
    QCOMPARE(text(records.value(QStringLiteral("Stalker")), "quelto_seen"), QStringLiteral("2012-03-14"));

    // A list without ratings: nothing seen, nothing rated.
    QCOMPARE(importInto(dataPath(QStringLiteral("imdb/list.csv")), catalogue).added, 1);
    const StoredRecord bladeRunner = recordsByTitle(catalogue).value(QStringLiteral("Blade Runner"));
    QVERIFY(bladeRunner.value(QStringLiteral("quelto_seen")).isNull());
    QCOMPARE(text(bladeRunner, "catalog"), QStringLiteral("1")); // its position in the list
}

void ImportFormats::kodiNfo()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("kodi")), catalogue);
    QCOMPARE(summary.format, CatalogueFormat::KodiNfo);
    QCOMPARE(summary.added, 2); // the tvshow.nfo is no movie
    QCOMPARE(summary.covers, 2);
    const auto records = recordsByTitle(catalogue);
    const StoredRecord heat = records.value(QStringLiteral("Heat"));
    expectFields(heat, {
        {"mv_cast1", QStringLiteral("Al Pacino")}, // by <order>
        {"mv_cast2", QStringLiteral("Robert De Niro")},
        {"mv_rating", QStringLiteral("8.3")}, // the default rating
        {"mv_producer", QStringLiteral("Warner Bros. / Regency Enterprises")},
        {"mv_book", QStringLiteral("Michael Mann")}
    });
    QCOMPARE(heat.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    QCOMPARE(text(heat, "quelto_seen"), QStringLiteral("2023-08-19"));
    QCOMPARE(heat.value(QStringLiteral("quelto_running_time")).toInt(), 170);
    QVERIFY(text(heat, "quelto_notes").contains(QStringLiteral("Certification: Rated R")));
    QVERIFY(text(heat, "quelto_notes").contains(QStringLiteral("Set: Mann Crime")));
    const StoredRecord ran = records.value(QStringLiteral("Ran"));
    expectFields(ran, {
        {"mv_country", QStringLiteral("Japan / France")},
        {"mv_rating", QStringLiteral("8.2")}
    });
    QVERIFY(ran.value(QStringLiteral("quelto_seen")).isNull());
    QCOMPARE(tableLines(catalogue, QStringLiteral("select value from quelto_import_links where kind = 'imdb'")),
             QStringList{QStringLiteral("tt0113277")});
}

void ImportFormats::gcstar()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("gcstar/movies.gcs")), catalogue);
    QCOMPARE(summary.added, 2);
    QCOMPARE(summary.covers, 1);
    QCOMPARE(summary.leftOutCoverCount, 1); // an absolute path
    QVERIFY(summary.leftOutCovers.front().reason.contains(QStringLiteral("absolute")));
    const StoredRecord matrix = recordsByTitle(catalogue).value(QStringLiteral("The Matrix"));
    expectFields(matrix, {
        {"catalog", QStringLiteral("12")},
        {"mv_year", QStringLiteral("1999")},
        {"mv_cast2", QStringLiteral("Laurence Fishburne")},
        {"mv_genre", QStringLiteral("Action / Science-Fiction")},
        {"mv_director", QStringLiteral("Lana Wachowski / Lilly Wachowski")},
        {"mv_language", QStringLiteral("English")},
        {"md_type", QStringLiteral("DVD")}
    });
    QCOMPARE(matrix.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.0);
    expectFields(matrix, {
        {"quelto_location", QStringLiteral("Living room")},
        {"quelto_purchased", QStringLiteral("2005-01-02")}
    });
    QCOMPARE(tableLines(catalogue, QStringLiteral("select catalog, borrower, lent, returned from quelto_loans order by id")),
             (QStringList{QStringLiteral("12|Anna|2020-02-01|2020-02-15"), QStringLiteral("12|Paul|2024-01-10|<Null>")}));
    QCOMPARE(text(recordsByTitle(catalogue).value(QStringLiteral("Brazil")), "catalog"), QStringLiteral("2"));
}

void ImportFormats::dvdProfiler()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("dvdprofiler/Collection.xml")), catalogue);
    QCOMPARE(summary.added, 1);
    QCOMPARE(summary.covers, 1);
    const StoredRecord alien = recordsByTitle(catalogue).value(QStringLiteral("Alien"));
    expectFields(alien, {
        {"catalog", QStringLiteral("42")},
        {"mv_director", QStringLiteral("Ridley Scott")},
        {"mv_book", QStringLiteral("Dan O'Bannon")},
        {"mv_music", QStringLiteral("Jerry Goldsmith")},
        {"mv_cast2", QStringLiteral("Sigourney Weaver")},
        {"mv_country", QStringLiteral("United Kingdom / United States")},
        {"md_type", QStringLiteral("DVD")}
    });
    QCOMPARE(alien.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    QCOMPARE(text(alien, "quelto_seen"), QStringLiteral("2019-10-31"));
    QCOMPARE(alien.value(QStringLiteral("quelto_price")).toDouble(), 12.5);
    QVERIFY(text(alien, "quelto_notes").contains(QStringLiteral("Bought at: Café Shop")));
    QCOMPARE(tableLines(catalogue, QStringLiteral("select borrower, lent, due, returned from quelto_loans order by id")),
             (QStringList{QStringLiteral("Sam Hill|2021-01-02|<Null>|2021-01-20"),
                          QStringLiteral("Kim Lee|2024-04-01|2024-05-01|<Null>")}));
}

void ImportFormats::collectorz()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("collectorz/movies.xml")), catalogue);
    QCOMPARE(summary.added, 1);
    QCOMPARE(summary.covers, 1);
    QCOMPARE(summary.loans, 1);
    const StoredRecord alien = recordsByTitle(catalogue).value(QStringLiteral("Alien"));
    expectFields(alien, {
        {"catalog", QStringLiteral("101")},
        {"mv_year", QStringLiteral("1979")},
        {"md_type", QStringLiteral("Blu-ray")},
        {"mv_genre", QStringLiteral("Horror / Sci-Fi")},
        {"mv_cast1", QStringLiteral("Sigourney Weaver")},
        {"mv_director", QStringLiteral("Ridley Scott")},
        {"mv_country", QStringLiteral("United Kingdom")}
    });
    QCOMPARE(alien.value(QStringLiteral("quelto_my_rating")).toDouble(), 3.5);
    expectFields(alien, {
        {"quelto_seen", QStringLiteral("2022-10-31")},
        {"quelto_condition", QStringLiteral("Good")},
        {"quelto_location", QStringLiteral("Box 3")},
        {"quelto_purchased", QStringLiteral("2015-12-24")}
    });
}

void ImportFormats::antMovieCatalogAndGriffith()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary amc = importInto(dataPath(QStringLiteral("amc/catalog.xml")), catalogue);
    QCOMPARE(amc.added, 2);
    QCOMPARE(amc.covers, 1);
    QCOMPARE(amc.leftOutCoverCount, 1); // "..\outside.jpg"
    const auto records = recordsByTitle(catalogue);
    const StoredRecord brazil = records.value(QStringLiteral("Brazil"));
    expectFields(brazil, {
        {"catalog", QStringLiteral("5")},
        {"mv_cast3", QStringLiteral("Katherine Helmond")},
        {"mv_book", QStringLiteral("Terry Gilliam / Tom Stoppard")},
        {"mv_rating", QStringLiteral("8.0")}
    });
    QCOMPARE(brazil.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    QCOMPARE(tableLines(catalogue, QStringLiteral("select borrower from quelto_loans")), QStringList{QStringLiteral("Chris")});
    QVERIFY(text(records.value(QStringLiteral("Contempt")), "quelto_notes").contains(QStringLiteral("Original title: Le Mépris")));

    const QString second = dir.filePath(QStringLiteral("g.mdb"));
    const importing::ImportSummary griffith = importInto(dataPath(QStringLiteral("griffith/export.xml")), second);
    QCOMPARE(griffith.added, 1);
    QCOMPARE(griffith.covers, 1);
    const StoredRecord samurai = recordsByTitle(second).value(QStringLiteral("Seven Samurai"));
    expectFields(samurai, {
        {"mv_cast2", QStringLiteral("Takashi Shimura")},
        {"mv_genre", QStringLiteral("Action / Drama")}
    });
    QCOMPARE(samurai.value(QStringLiteral("quelto_my_rating")).toDouble(), 5.0);
    QCOMPARE(text(samurai, "quelto_seen"), QStringLiteral("seen"));
}

void ImportFormats::dataCrow()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("datacrow/export.xml")), catalogue);
    QCOMPARE(summary.format, CatalogueFormat::DataCrow);
    QCOMPARE(summary.added, 2);
    QCOMPARE(summary.covers, 1);
    QCOMPARE(summary.leftOutCoverCount, 1); // an absolute path
    const auto records = recordsByTitle(catalogue);
    const StoredRecord metropolis = records.value(QStringLiteral("Metropolis"));
    expectFields(metropolis, {{"catalog", QStringLiteral("I-1")},
                              {"md_type", QStringLiteral("Blu-ray")},
                              {"mv_year", QStringLiteral("1927")},
                              {"mv_director", QStringLiteral("Fritz Lang")},
                              {"mv_book", QStringLiteral("Thea von Harbou")},
                              {"mv_cast3", QStringLiteral("Gustav Fröhlich")},
                              {"mv_genre", QStringLiteral("Drama / Sci-Fi")},
                              {"mv_language", QStringLiteral("German")},
                              {"mv_rating", QStringLiteral("8.3")},
                              {"quelto_seen", QStringLiteral("seen")},
                              {"quelto_location", QStringLiteral("Shelf 2")},
                              {"quelto_condition", QStringLiteral("Mint")},
                              {"quelto_purchased", QStringLiteral("2010-06-12")},
                              {"quelto_running_time", QStringLiteral("153")}});
    QCOMPARE(metropolis.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    QVERIFY(text(metropolis, "quelto_notes").contains(QStringLiteral("Certification: PG")));
    QCOMPARE(records.value(QStringLiteral("Nosferatu")).value(QStringLiteral("quelto_running_time")).toInt(), 94);
    QCOMPARE(tableLines(catalogue, QStringLiteral("select catalog, borrower, lent from quelto_loans")),
             QStringList{QStringLiteral("I-1|Uli|2024-03-03")});
}

void ImportFormats::deliciousLibrary()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    // Version 1: the book is no movie; no item numbers, so media IDs come from the prefix.
    const importing::ImportSummary first =
        importInto(dataPath(QStringLiteral("delicious/Library Media Data.xml")), catalogue, true, QStringLiteral("DL-"));
    QCOMPARE(first.format, CatalogueFormat::DeliciousLibrary);
    QCOMPARE(first.read, 2);
    QCOMPARE(first.added, 2);
    QCOMPARE(first.covers, 1); // Vertigo's "UUID" leads out of the folder: no cover
    auto records = recordsByTitle(catalogue);
    const StoredRecord chinatown = records.value(QStringLiteral("Chinatown"));
    expectFields(chinatown, {{"catalog", QStringLiteral("DL-1")},
                             {"md_type", QStringLiteral("DVD")},
                             {"mv_year", QStringLiteral("1974")},
                             {"mv_director", QStringLiteral("Roman Polanski")},
                             {"mv_cast1", QStringLiteral("Jack Nicholson")},
                             {"mv_cast3", QStringLiteral("John Huston")},
                             {"mv_genre", QStringLiteral("Mystery & Suspense / Drama")},
                             {"mv_producer", QStringLiteral("Paramount")},
                             {"mv_country", QStringLiteral("USA")},
                             {"mv_language", QStringLiteral("English")},
                             {"quelto_location", QStringLiteral("Living room")},
                             {"quelto_condition", QStringLiteral("Like new")},
                             {"quelto_purchased", QStringLiteral("2005-11-03")},
                             {"quelto_running_time", QStringLiteral("130")}});
    QCOMPARE(chinatown.value(QStringLiteral("quelto_my_rating")).toDouble(), 5.0);
    QCOMPARE(chinatown.value(QStringLiteral("quelto_price")).toDouble(), 14.98);
    const QString notes = text(chinatown, "quelto_notes");
    QVERIFY2(notes.startsWith(QStringLiteral("Forget it, Jake.\n")), qPrintable(notes));
    for (const QString& line : {QStringLiteral("Certification: R"), QStringLiteral("ASIN: B00003CXB4"),
                                QStringLiteral("Description: A private detective is hired to expose an adulterer.")})
        QVERIFY2(notes.contains(line), qPrintable(notes));
    QVERIFY(coverOf(catalogue, QStringLiteral("Chinatown")).startsWith("\x89PNG"));
    QCOMPARE(text(records.value(QStringLiteral("Vertigo")), "catalog"), QStringLiteral("DL-2"));
    QCOMPARE(records.value(QStringLiteral("Vertigo")).value(QStringLiteral("quelto_my_rating")).toDouble(), 3.0);

    // Version 2: a property list, lists one name a line, dates as dates.
    const importing::ImportSummary second = importInto(dataPath(QStringLiteral("delicious/library2.plist")), catalogue);
    QCOMPARE(second.read, 1);
    QCOMPARE(second.added, 1);
    QCOMPARE(second.covers, 1);
    QCOMPARE(second.loans, 1);
    const StoredRecord samurai = recordsByTitle(catalogue).value(QStringLiteral("Le Samouraï"));
    expectFields(samurai, {{"catalog", QStringLiteral("I-1")},
                           {"md_type", QStringLiteral("Blu-ray")},
                           {"mv_year", QStringLiteral("1967")},
                           {"mv_director", QStringLiteral("Jean-Pierre Melville")},
                           {"mv_cast2", QStringLiteral("François Périer")},
                           {"mv_genre", QStringLiteral("Crime / Thriller")},
                           {"mv_country", QStringLiteral("France / Italy")},
                           {"mv_producer", QStringLiteral("Criterion")},
                           {"quelto_seen", QStringLiteral("seen")},
                           {"quelto_purchased", QStringLiteral("2012-02-29")},
                           {"quelto_running_time", QStringLiteral("105")}});
    QCOMPARE(samurai.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.0);
    QCOMPARE(samurai.value(QStringLiteral("quelto_price")).toDouble(), 29.95);
    QVERIFY(text(samurai, "quelto_notes").startsWith(QStringLiteral("The Criterion edition.\nASIN: B001AQT0Z4")));
    QVERIFY(coverOf(catalogue, QStringLiteral("Le Samouraï")).startsWith("\x89PNG"));
    QCOMPARE(tableLines(catalogue, QStringLiteral("select catalog, borrower, lent, due from quelto_loans")),
             QStringList{QStringLiteral("I-1|Jeanne|2024-06-01|2024-07-01")});
}

void ImportFormats::onMyShelf()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("onmyshelf/items.json")), catalogue);
    QCOMPARE(summary.format, CatalogueFormat::OnMyShelf);
    QCOMPARE(summary.added, 2);
    QCOMPARE(summary.covers, 1);
    QCOMPARE(summary.leftOutCoverCount, 1); // "media://2/../../../etc/passwd"
    QCOMPARE(summary.loans, 2);
    const auto records = recordsByTitle(catalogue);
    const StoredRecord paris = records.value(QStringLiteral("Paris, Texas"));
    expectFields(paris, {{"catalog", QStringLiteral("17")},
                         {"md_type", QStringLiteral("Blu-ray")},
                         {"mv_year", QStringLiteral("1984")},
                         {"mv_director", QStringLiteral("Wim Wenders")},
                         {"mv_cast1", QStringLiteral("Harry Dean Stanton")},
                         {"mv_cast3", QStringLiteral("Dean Stockwell")},
                         {"mv_genre", QStringLiteral("Drama")},
                         {"mv_country", QStringLiteral("West Germany / France")},
                         {"mv_language", QStringLiteral("English")},
                         {"mv_producer", QStringLiteral("Road Movies")},
                         {"mv_book", QStringLiteral("Sam Shepard / L. M. Kit Carson")},
                         {"mv_music", QStringLiteral("Ry Cooder")},
                         {"quelto_seen", QStringLiteral("2021-07-04")},
                         {"quelto_location", QStringLiteral("Shelf C")},
                         {"quelto_purchased", QStringLiteral("2019-12-01")},
                         {"quelto_condition", QStringLiteral("Good")},
                         {"quelto_running_time", QStringLiteral("147")}});
    QCOMPARE(paris.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    QCOMPARE(paris.value(QStringLiteral("quelto_price")).toDouble(), 12.5);
    QCOMPARE(text(paris, "quelto_notes"), QStringLiteral("Restored print.\nBox set: true\nEdition: Criterion"));
    QVERIFY(coverOf(catalogue, QStringLiteral("Paris, Texas")).startsWith("\x89PNG"));
    QCOMPARE(tableLines(catalogue, QStringLiteral("select catalog, borrower, lent, due, returned from quelto_loans order by id")),
             (QStringList{QStringLiteral("17|Nina|2024-01-05|<Null>|2024-01-20"),
                          QStringLiteral("17|Theo|2024-09-01|2024-10-01|<Null>")}));
    QCOMPARE(tableLines(catalogue, QStringLiteral("select value from quelto_import_links where kind = 'imdb'")),
             QStringList{QStringLiteral("tt0087884")});
    const StoredRecord wings = records.value(QStringLiteral("Wings of Desire"));
    QCOMPARE(wings.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5); // 9 of 10
    QCOMPARE(text(wings, "quelto_seen"), QStringLiteral("seen"));
}

void ImportFormats::antMovieCatalogFile()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("c.mdb"));
    const importing::ImportSummary old = importInto(dataPath(QStringLiteral("amcfile/catalog35.amc")), catalogue);
    QCOMPARE(old.format, CatalogueFormat::AntMovieCatalog);
    QCOMPARE(old.added, 2);
    QCOMPARE(old.covers, 1); // the picture inside the file
    QCOMPARE(old.loans, 1);
    auto records = recordsByTitle(catalogue);
    const StoredRecord bladeRunner = records.value(QStringLiteral("Blade Runner"));
    expectFields(bladeRunner, {{"catalog", QStringLiteral("3")},
                               {"md_type", QStringLiteral("DVD")},
                               {"mv_year", QStringLiteral("1982")},
                               {"mv_director", QStringLiteral("Ridley Scott")},
                               {"mv_producer", QStringLiteral("The Ladd Company")},
                               {"mv_country", QStringLiteral("USA")},
                               {"mv_genre", QStringLiteral("Sci-Fi / Thriller")},
                               {"mv_cast2", QStringLiteral("Rutger Hauer")},
                               {"mv_language", QStringLiteral("English")},
                               {"mv_rating", QStringLiteral("unknown")},
                               {"quelto_seen", QStringLiteral("seen")},
                               {"quelto_location", QStringLiteral("Box 7")},
                               {"quelto_purchased", QStringLiteral("2004-05-01")},
                               {"quelto_running_time", QStringLiteral("117")}});
    QCOMPARE(bladeRunner.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5); // 8.5 of 10
    const QString notes = text(bladeRunner, "quelto_notes");
    QVERIFY2(notes.startsWith(QStringLiteral("Director's cut\n")), qPrintable(notes));
    for (const QString& line : {QStringLiteral("Video format: MPEG-2"), QStringLiteral("Source: Shop"),
                                QStringLiteral("Subtitles: French"),
                                QStringLiteral("Description: A blade runner must pursue four replicants.")})
        QVERIFY2(notes.contains(line), qPrintable(notes));
    QVERIFY(coverOf(catalogue, QStringLiteral("Blade Runner")).startsWith("\x89PNG"));
    QCOMPARE(tableLines(catalogue, QStringLiteral("select catalog, borrower from quelto_loans")),
             QStringList{QStringLiteral("3|Alex")});
    const StoredRecord contempt = records.value(QStringLiteral("Contempt"));
    expectFields(contempt, {{"catalog", QStringLiteral("4")},
                            {"md_type", QStringLiteral("VHS")},
                            {"mv_country", QStringLiteral("France / Italy")},
                            {"mv_cast1", QStringLiteral("Brigitte Bardot")},
                            {"mv_cast3", QStringLiteral("Jack Palance")}});
    QVERIFY(contempt.value(QStringLiteral("quelto_seen")).isNull());
    QVERIFY(text(contempt, "quelto_notes").contains(QStringLiteral("Original title: Le Mépris"))); // Windows-1252
    QVERIFY(text(contempt, "quelto_notes").contains(QStringLiteral("Discs: 2")));

    // 4.1: own rating beside the public one, the date watched, writer,
    // composer, certification, a custom field, the picture beside the file.
    const QString second = dir.filePath(QStringLiteral("d.mdb"));
    const importing::ImportSummary four = importInto(dataPath(QStringLiteral("amcfile/catalog41.amc")), second);
    QCOMPARE(four.added, 1);
    QCOMPARE(four.covers, 1);
    const StoredRecord fifth = recordsByTitle(second).value(QStringLiteral("The Fifth Element"));
    expectFields(fifth, {{"catalog", QStringLiteral("10")},
                         {"md_type", QStringLiteral("Blu-ray")},
                         {"mv_rating", QStringLiteral("8.1")},
                         {"mv_book", QStringLiteral("Luc Besson / Robert Mark Kamen")},
                         {"mv_music", QStringLiteral("Éric Serra")},
                         {"mv_cast3", QStringLiteral("Gary Oldman")},
                         {"quelto_seen", QStringLiteral("2023-02-14")},
                         {"quelto_purchased", QStringLiteral("2019-03-02")},
                         {"quelto_running_time", QStringLiteral("126")}});
    QCOMPARE(fifth.value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    const QString fifthNotes = text(fifth, "quelto_notes");
    for (const QString& line : {QStringLiteral("Multipass!"), QStringLiteral("Certification: PG-13"),
                                QStringLiteral("Edition: Collector's"), QStringLiteral("File: D:\\Films\\fifth.mkv")})
        QVERIFY2(fifthNotes.contains(line), qPrintable(fifthNotes));
    QVERIFY(coverOf(second, QStringLiteral("The Fifth Element")).startsWith("\x89PNG"));
    QCOMPARE(tableLines(second, QStringLiteral("select value from quelto_import_links where kind = 'imdb'")),
             QStringList{QStringLiteral("tt0119116")});
}

void ImportFormats::legacyText()
{
    QCOMPARE(importing::LegacyText::decode("Am\xc3\xa9lie"), QStringLiteral("Amélie"));
    QCOMPARE(importing::LegacyText::decode("Am\xe9lie"), QStringLiteral("Amélie"));
    QCOMPARE(importing::LegacyText::decode("\x93quoted\x94 \x80"), QStringLiteral("\u201Cquoted\u201D \u20AC"));
    QCOMPARE(importing::LegacyText::decode("\xEF\xBB\xBFmark"), QStringLiteral("mark"));
}

QTEST_GUILESS_MAIN(ImportFormats)
#include "tst_import_formats.moc"
