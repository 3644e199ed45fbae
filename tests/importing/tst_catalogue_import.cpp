// Writing into a catalogue: a ratings or watched list updates the records it
// matches (by links, then title and year) without adding duplicates, adds the
// others only when asked; media IDs; the preview; Cancel, a read-only and a
// barred catalogue leave the file as it was; the command line.
#include "ImportTestSupport.h"
#include "TestCatalog.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "importing/CatalogueImport.h"
#include "importing/CatalogueReader.h"
#include "importing/CommandLineImport.h"
#include "importing/ImportPreview.h"
#include "tasks/BackgroundTask.h"
#include "tasks/TaskControl.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace quelto;
using namespace quelto::test;

namespace {

// A catalogue with The Matrix and Stalker typed in by hand (no links, no identity).
QString handMadeCatalogue(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("c.mdb"));
    TestCatalog::Row matrix = TestCatalog::record(QStringLiteral("The Matrix"), QStringLiteral("T-1"));
    matrix.insert(QStringLiteral("title"), QStringLiteral("the  matrix"));
    matrix.insert(QStringLiteral("mv_year"), QStringLiteral("1999"));
    TestCatalog::Row stalker = TestCatalog::record(QStringLiteral("Stalker"), QStringLiteral("T-2"));
    stalker.insert(QStringLiteral("title"), QStringLiteral("Stalker"));
    stalker.insert(QStringLiteral("mv_year"), QStringLiteral("1979"));
    TestCatalog::Row remake = TestCatalog::record(QStringLiteral("Stalker"), QStringLiteral("T-3"));
    remake.insert(QStringLiteral("title"), QStringLiteral("Solaris"));
    remake.insert(QStringLiteral("mv_year"), QStringLiteral("2002")); // not the 1972 film
    TestCatalog::create(path, {matrix, stalker, remake});
    return path;
}

} // namespace

class CatalogueImportTest : public QObject
{
    Q_OBJECT

private slots:
    void watchListUpdatesWithoutDuplicates();
    void collectionLeavesMatchesOut();
    void previewCountsWithoutWriting();
    void previewCountsInOnePassWhatTheImportReads();
    void cancelAndRefusalsLeaveTheFileAsItWas();
    void cancelMidwayOnAnotherThread();
    void commandLine();
};

void CatalogueImportTest::watchListUpdatesWithoutDuplicates()
{
    QTemporaryDir dir;
    const QString catalogue = handMadeCatalogue(dir);
    const QString export_ = dataPath(QStringLiteral("letterboxd/letterboxd-export.zip"));

    // Only the matching records change; Parisé and Solaris (1972) are left out.
    importing::ImportSummary summary = importInto(export_, catalogue, false);
    QCOMPARE(summary.read, 4);
    QCOMPARE(summary.updated, 2);
    QCOMPARE(summary.added, 0);
    QCOMPARE(summary.leftOutCount, 2);
    auto records = recordsByTitle(catalogue);
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.value(QStringLiteral("the  matrix")).value(QStringLiteral("quelto_my_rating")).toDouble(), 4.5);
    QCOMPARE(records.value(QStringLiteral("the  matrix")).value(QStringLiteral("quelto_seen")).toString(),
             QStringLiteral("2024-05-30"));
    QCOMPARE(records.value(QStringLiteral("Stalker")).value(QStringLiteral("quelto_my_rating")).toDouble(), 5.0);
    QVERIFY(records.value(QStringLiteral("Solaris")).value(QStringLiteral("quelto_seen")).isNull());

    // Again, now matched by the Letterboxd links kept the first time: nothing
    // changes, nothing is added; asked to, it adds the two it lacks, once.
    summary = importInto(export_, catalogue, false);
    QCOMPARE(summary.updated, 0);
    QCOMPARE(summary.added, 0);
    summary = importInto(export_, catalogue, true);
    QCOMPARE(summary.added, 2);
    summary = importInto(export_, catalogue, true);
    QCOMPARE(summary.added, 0);
    records = recordsByTitle(catalogue);
    QCOMPARE(TestCatalog::rowCount(catalogue, QStringLiteral("archive")), 5);
    QCOMPARE(records.value(QStringLiteral("Parisé")).value(QStringLiteral("catalog")).toString(), QStringLiteral("I-1"));

    // IMDb's rating of the same Matrix (matched by title and year): the same
    // rating and an earlier date change nothing and add nothing.
    summary = importInto(dataPath(QStringLiteral("imdb/ratings.csv")), catalogue, false);
    QCOMPARE(summary.updated, 0);
    QCOMPARE(summary.added, 0);
    QCOMPARE(summary.leftOutCount, 2);
    QCOMPARE(TestCatalog::rowCount(catalogue, QStringLiteral("archive")), 5);
    QCOMPARE(recordsByTitle(catalogue).value(QStringLiteral("the  matrix")).value(QStringLiteral("quelto_seen")).toString(),
             QStringLiteral("2024-05-30")); // a later date stays
}

void CatalogueImportTest::collectionLeavesMatchesOut()
{
    QTemporaryDir dir;
    const QString catalogue = handMadeCatalogue(dir);
    // GCstar's number 12 is free and becomes the media ID; Brazil has none of
    // its own that is free ("2" is), the Matrix is in the catalogue already.
    const importing::ImportSummary summary = importInto(dataPath(QStringLiteral("gcstar/movies.gcs")), catalogue);
    QCOMPARE(summary.added, 1);
    QCOMPARE(summary.leftOutCount, 1);
    QCOMPARE(summary.leftOut.front().title, QStringLiteral("The Matrix"));
    QVERIFY(summary.text().contains(QStringLiteral("already in the catalogue")));
    QCOMPARE(TestCatalog::rowCount(catalogue, QStringLiteral("archive")), 4);
    QCOMPARE(summary.loans, 0); // the Matrix's loans stay out with it

    // The source's own number when taken gives way to the prefix and a number;
    // Brazil (1985) came from GCstar already.
    importing::CatalogueImport::Options options;
    options.mediaIdPrefix = QStringLiteral("TC-");
    importing::CatalogueImport import(dataPath(QStringLiteral("tellico/bare.xml")), options);
    TestCatalog::Row taken = TestCatalog::record(QStringLiteral("X"), QStringLiteral("1"));
    TestCatalog::addRows(catalogue, {taken});
    auto db = catalog::Database::open(catalogue);
    tasks::TaskControl control;
    const importing::ImportSummary second = import.run(*db, control);
    db->close();
    QCOMPARE(second.added, 1);
    QCOMPARE(second.leftOutCount, 1);
    const auto records = recordsByTitle(catalogue);
    QCOMPARE(records.value(QStringLiteral("Dune")).value(QStringLiteral("catalog")).toString(), QStringLiteral("TC-1"));
    QCOMPARE(records.value(QStringLiteral("Brazil")).value(QStringLiteral("catalog")).toString(), QStringLiteral("2"));
}

void CatalogueImportTest::previewCountsWithoutWriting()
{
    QTemporaryDir dir;
    const QString catalogue = handMadeCatalogue(dir);
    const QByteArray before = checksum(catalogue);
    tasks::TaskControl control;
    const importing::ImportPreview preview =
        importing::ImportPreview::of(dataPath(QStringLiteral("tellico/collection.tc")), catalogue, control);
    QCOMPARE(preview.formatName(), QStringLiteral("Tellico"));
    QCOMPARE(preview.movies, 2);
    QCOMPARE(preview.covers, 1); // Amélie's names no picture of the zip
    QCOMPARE(preview.loans, 1);
    QCOMPARE(preview.matching, 1);
    QVERIFY(!preview.isWatchList);
    QCOMPARE(checksum(catalogue), before);
    QVERIFY(importing::ImportPreview::of(dataPath(QStringLiteral("imdb/ratings.csv")), {}, control).isWatchList);
}

// The preview's single pass over a Tellico file finds what the whole read
// (which makes every movie) finds: the same values to match by, the same
// covers and loans, whether pictures and borrowers come before or after the
// entries; and the matching count against a catalogue is the same.
void CatalogueImportTest::previewCountsInOnePassWhatTheImportReads()
{
    QTemporaryDir dir;
    const QString generated = dir.filePath(QStringLiteral("films.xml"));
    QDir(dir.path()).mkpath(QStringLiteral("films_files"));
    QFile picture(dir.filePath(QStringLiteral("films_files/on-disk.png")));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write(QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP4z8AAAAMBAQDJ/pLvAAAAAElFTkSuQmCC"));
    picture.close();
    QFile outside(dir.filePath(QStringLiteral("outside.png")));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.close();
    const QByteArray image = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP4z8AAAAMBAQDJ/pLvAAAAAElFTkSuQmCC";
    const auto write = [&](bool sideDataFirst) {
        QFile file(generated);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray side =
            "<images><image id=\"inline.png\">" + image + "</image><image id=\"blank.png\">  </image></images>"
            "<borrowers><borrower name=\"Ann\"><loan entryRef=\"1\" loanDate=\"2026-01-02\">x</loan>"
            "<loan entryRef=\"3\"/><loan entryRef=\"99\"/></borrower>"
            "<borrower name=\"Bob\"><loan entryRef=\"1\"/></borrower></borrowers>";
        file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tellico syntaxVersion=\"11\"><collection type=\"3\">"
                   "<fields><field name=\"title\"/><field name=\"rating\"><prop name=\"maximum\">10</prop></field></fields>");
        if (sideDataFirst)
            file.write(side);
        file.write("<entry id=\"1\"><title>  The   MATRIX </title><year>1999</year><cover>inline.png</cover>"
                   "<casts><cast><column>Keanu Reeves</column></cast></casts></entry>"
                   "<entry id=\"2\"><year>1979 (restored)</year><title>Stalker</title><cover>on-disk.png</cover>"
                   "<imdb>https://www.imdb.com/title/tt0079944/</imdb><title>Not this one</title></entry>"
                   "<entry id=\"3\"><title>Solaris</title><year>1972</year><cover>blank.png</cover></entry>"
                   "<entry><title>Untitled <b>bold</b></title><cover>missing.png</cover></entry>"
                   "<entry id=\"5\"><title>Escape</title><cover>../outside.png</cover></entry>"
                   "<entry id=\"1\"><title>Same number again</title><cover>on-disk.png</cover></entry>");
        if (!sideDataFirst)
            file.write(side);
        file.write("</collection></tellico>\n");
    };
    const QString catalogue = handMadeCatalogue(dir);
    const QStringList files{generated, dataPath(QStringLiteral("tellico/bare.xml")),
                            dataPath(QStringLiteral("tellico/collection.tc"))};
    for (int round = 0; round < 4; ++round) {
        const QString source = files.at(std::max(0, round - 1));
        if (round < 2)
            write(round == 0);
        const auto reader = importing::CatalogueReader::open(source);
        QStringList counted, read;
        const auto keyOf = [](QStringList& into) {
            return [&into](const importing::ImportedMovie& movie) {
                into << QStringList{movie.sourceNumber, movie.title, movie.year, movie.webAddress, movie.imdbId,
                                    movie.letterboxdUri}
                            .join(QLatin1Char('|'));
            };
        };
        const auto fast = reader->count(keyOf(counted), nullptr);
        const auto whole = reader->importing::CatalogueReader::count(keyOf(read), nullptr);
        QCOMPARE(counted, read);
        QCOMPARE(fast.covers, whole.covers);
        QCOMPARE(fast.loans, whole.loans);
        if (round < 2) {
            QCOMPARE(counted.size(), 6);
            QCOMPARE(fast.covers, 3); // inline, on disk twice; not the blank, missing or outside one
            QCOMPARE(fast.loans, 5);  // two for each entry numbered 1, one for Solaris
            tasks::TaskControl control;
            const importing::ImportPreview preview = importing::ImportPreview::of(source, catalogue, control);
            QCOMPARE(preview.movies, 6);
            QCOMPARE(preview.covers, 3);
            QCOMPARE(preview.loans, 5);
            QCOMPARE(preview.matching, 2); // by title and year: the matrix, and Stalker of "1979 (restored)"
            QCOMPARE(preview.unnumbered, 1);
        }
    }
}

void CatalogueImportTest::cancelAndRefusalsLeaveTheFileAsItWas()
{
    QTemporaryDir dir;
    const QString catalogue = handMadeCatalogue(dir);
    const QByteArray before = checksum(catalogue);
    const QString source = dataPath(QStringLiteral("kodi"));

    // Cancel while the movies are being read: the transaction goes back.
    {
        importing::CatalogueImport import(source);
        auto db = catalog::Database::open(catalogue);
        tasks::TaskControl control;
        control.cancel();
        QVERIFY_THROWS_EXCEPTION(tasks::TaskCancelled, import.run(*db, control));
    }
    QCOMPARE(checksum(catalogue), before);

    // Writes barred (a damaged or foreign-made file).
    {
        importing::CatalogueImport import(source);
        auto db = catalog::Database::open(catalogue);
        db->connection()->refuseWrites(catalog::EngineError(catalog::EngineError::Kind::Hostile, QStringLiteral("barred")));
        tasks::TaskControl control;
        QVERIFY_THROWS_EXCEPTION(catalog::EngineError, import.run(*db, control));
    }
    QCOMPARE(checksum(catalogue), before);

    // A read-only file.
    QFile::setPermissions(catalogue, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    {
        importing::CatalogueImport import(source);
        auto db = catalog::Database::open(catalogue);
        tasks::TaskControl control;
        QVERIFY_THROWS_EXCEPTION(catalog::EngineError, import.run(*db, control));
    }
    QFile::setPermissions(catalogue, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(checksum(catalogue), before);
    QVERIFY(!QFile::exists(catalogue + QStringLiteral("-journal")));
}

void CatalogueImportTest::cancelMidwayOnAnotherThread()
{
    // A Tellico file of 30,000 entries, imported as the window would run it;
    // Cancel comes once the first movies are being stored.
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("large.xml"));
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?>\n<tellico syntaxVersion=\"11\"><collection type=\"3\">\n");
        for (int i = 1; i <= 30000; ++i)
            file.write(QStringLiteral("<entry id=\"%1\"><title>Movie %1</title><year>1990</year></entry>\n").arg(i).toUtf8());
        file.write("</collection></tellico>\n");
    }
    const QString catalogue = handMadeCatalogue(dir);
    const QByteArray before = checksum(catalogue);
    auto db = catalog::Database::open(catalogue);
    importing::CatalogueImport import(source);
    std::shared_ptr<tasks::BackgroundTask> task =
        tasks::BackgroundTask::start([&](tasks::TaskControl& control) { import.run(*db, control); });
    QTRY_VERIFY_WITH_TIMEOUT(
        (task->control().step().startsWith(QStringLiteral("Importing")) && task->control().done() > 0) || task->waitFor(0),
        30000);
    task->cancel();
    QVERIFY(task->waitFor(60000));
    QCOMPARE(task->outcome(), tasks::BackgroundTask::Outcome::Cancelled);
    db->close();
    QCOMPARE(checksum(catalogue), before);
    QCOMPARE(TestCatalog::rowCount(catalogue, QStringLiteral("archive")), 3);
}

void CatalogueImportTest::commandLine()
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("new.mdb"));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(importing::CommandLineImport::run(dataPath(QStringLiteral("collectorz/movies.xml")), catalogue, out, err), 0);
    out.flush();
    QVERIFY2(outText.contains(QStringLiteral("1 added")), qPrintable(outText));
    QCOMPARE(TestCatalog::rowCount(catalogue, QStringLiteral("archive")), 1);

    // An unknown file: refused, and no new catalogue is left behind.
    const QString other = dir.filePath(QStringLiteral("other.mdb"));
    QCOMPARE(importing::CommandLineImport::run(dataPath(QStringLiteral("amc/brazil.png")), other, out, err), 1);
    err.flush();
    QVERIFY(errText.startsWith(QStringLiteral("quelto: ")));
    QVERIFY(!QFile::exists(other));

    // Movies without a number take the prefix given; a prefix that cannot be
    // used is refused before a catalogue is made.
    errText.clear();
    QCOMPARE(importing::CommandLineImport::run(dataPath(QStringLiteral("kodi")), other, out, err,
                                               QStringLiteral("  bad  ")),
             1);
    err.flush();
    QVERIFY2(errText.contains(QStringLiteral("begins or ends with a space")), qPrintable(errText));
    QVERIFY(!QFile::exists(other));
    QCOMPARE(importing::CommandLineImport::run(dataPath(QStringLiteral("kodi")), other, out, err,
                                               QStringLiteral("NFO-")),
             0);
    QCOMPARE(tableLines(other, QStringLiteral("select catalog from archive order by rowid")),
             (QStringList{QStringLiteral("NFO-1"), QStringLiteral("NFO-2")}));
    // Each movie keeps its page; the cast keeps the characters the file names, in billing order.
    QCOMPARE(tableLines(other, QStringLiteral("select s.address, s.cast_roles from archive a join quelto_sources s "
                                              "on s.record_id = a.quelto_id where a.title = 'Heat'")),
             QStringList{QStringLiteral("https://www.imdb.com/title/tt0113277/|Al Pacino\tVincent Hanna\n"
                                        "Robert De Niro\tNeil McCauley\nVal Kilmer\tChris Shiherlis")});
    QVERIFY(importing::CatalogueImport::prefixProblem(QString(21, QLatin1Char('x'))).contains(QStringLiteral("longer")));
    QVERIFY(importing::CatalogueImport::prefixProblem(QStringLiteral("a\tb")).contains(QStringLiteral("control")));
    QVERIFY(importing::CatalogueImport::prefixProblem(QString()).isEmpty());
}

QTEST_GUILESS_MAIN(CatalogueImportTest)
#include "tst_catalogue_import.moc"
