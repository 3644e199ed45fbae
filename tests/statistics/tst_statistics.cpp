// The statistics of a catalogue: shares, the most frequent people, ratings,
// seen, tapes and their free minutes, loans; for the whole catalogue or the
// records of a filter; and `quelto --statistics`, which writes nothing.
#include "catalog/ArchiveKeys.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "catalog/TablePageReader.h"
#include "loans/LoanStore.h"
#include "statistics/CommandLineStatistics.h"
#include "statistics/KeptStatistics.h"
#include "statistics/StatisticsCollector.h"
#include "statistics/StatisticsJson.h"
#include "statistics/StatisticsTally.h"
#include "TestCatalog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

using namespace quelto;
using quelto::test::TestCatalog;
using statistics::Share;
using statistics::StatisticsCollector;
using statistics::StatisticsFigures;

namespace {

const QDate Today(2026, 12, 20);

TestCatalog::Row movie(const QString& title, const QString& catalog, const QString& medium,
                       const QString& genre, const QString& year, const QString& director)
{
    TestCatalog::Row row = TestCatalog::record(title, catalog);
    row[QStringLiteral("md_type")] = medium;
    row[QStringLiteral("mv_genre")] = genre;
    row[QStringLiteral("mv_year")] = year;
    row[QStringLiteral("mv_country")] = QStringLiteral("USA");
    row[QStringLiteral("mv_director")] = director;
    return row;
}

QStringList listed(const std::vector<Share>& shares)
{
    QStringList out;
    for (const Share& s : shares)
        out << QStringLiteral("%1=%2").arg(s.name).arg(s.count);
    return out;
}

// Many records, with names long enough for overflow pages, texts and
// numbers in the personal columns.
void addMovies(const QString& path, int count)
{
    auto db = catalog::Database::open(path);
    db->connection()->exec(
        QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
            "insert into archive (title, catalog, md_type, mv_genre, mv_year, mv_country, mv_director, "
            "  mv_cast1, mv_cast2, mv_cast3, mv_cast4, mv_cast5, mv_cast6, quelto_running_time, quelto_speed, "
            "  quelto_seen, quelto_my_rating) "
            "select 'Movie ' || i, 'T' || (i / 3), case i % 3 when 0 then 'VHS' when 1 then 'DVD' else 'vhs' end, "
            "  case i % 4 when 0 then 'Drama' when 1 then 'Comedy / Drama' end, 1930 + i % 90, "
            "  case i % 5 when 0 then 'USA' else 'Österreich' end, "
            "  case when i % 1000 = 7 then printf('%.9000c', 'D') else 'Director ' || (i % 97) end, "
            "  'Actor ' || (i % 1000), 'Actor ' || (i * 7 % 1000), "
            "  case when i % 777 = 5 then 'Long ' || printf('%.5000c', 'x') end, 'actor ' || (i % 13), null, "
            "  'Actor ' || (i % 1000), case i % 3 when 0 then i % 200 when 1 then (i % 150) || ' min' end, "
            "  case i % 4 when 0 then 'LP' else 'SP' end, i % 2, case when i % 6 = 0 then 4.5 else i % 11 end "
            "from n")
            .arg(count));
}

// Damage to the pages of archive: its first interior page's last child out
// of range, a cell of a leaf past the page, an overflow chain that loops,
// the file cut in half.
void damage(const QString& path, const QString& kind)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (kind == QLatin1String("truncated")) {
        QVERIFY(file.resize(file.size() / 2));
        return;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* pages = nullptr;
    sqlite3_prepare_v2(db, "select pageno, pagetype from dbstat where name = 'archive' order by path", -1, &pages,
                       nullptr);
    QMap<QString, QList<qint64>> byType;
    while (sqlite3_step(pages) == SQLITE_ROW)
        byType[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(pages, 1)))]
            << sqlite3_column_int64(pages, 0);
    sqlite3_finalize(pages);
    sqlite3_close(db);
    const qint64 pageSize = 4096;
    const auto put32 = [&file](qint64 at, quint32 value) {
        const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        file.seek(at);
        file.write(bytes, 4);
    };
    if (kind == QLatin1String("child")) {
        put32((byType[QStringLiteral("internal")].value(0) - 1) * pageSize + 8, 0x7fffffff);
    } else if (kind == QLatin1String("cell")) {
        file.seek((byType[QStringLiteral("leaf")].value(5) - 1) * pageSize + 8);
        file.write("\xff\xff", 2);
    } else if (kind == QLatin1String("loop")) {
        const qint64 page = byType[QStringLiteral("overflow")].value(0);
        put32((page - 1) * pageSize, quint32(page));
    }
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void initTestCase() { statistics::KeptStatistics::setLocation(m_dir.filePath(QStringLiteral("kept"))); }

    void init()
    {
        const QString row = QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-');
        m_path = m_dir.filePath(QStringLiteral("stats-%1%2.mdb").arg(QTest::currentTestFunction(), row));
        TestCatalog::create(
            m_path,
            {movie(QStringLiteral("Key Largo"), QStringLiteral("T1"), QStringLiteral("VHS"),
                   QStringLiteral("Film noir"), QStringLiteral("1948"), QStringLiteral("John Huston")),
             movie(QStringLiteral("Dark Passage"), QStringLiteral("T1"), QStringLiteral("VHS"),
                   QStringLiteral("Film noir"), QStringLiteral("1947"), QStringLiteral("Delmer Daves")),
             movie(QStringLiteral("The Maltese Falcon"), QStringLiteral("T2"), QStringLiteral("vhs"),
                   QStringLiteral("Film noir"), QStringLiteral("1941"), QStringLiteral("john huston")),
             movie(QStringLiteral("Big"), QStringLiteral("D1"), QStringLiteral("DVD"),
                   QStringLiteral("Comedy"), QStringLiteral("1988"), QStringLiteral("Penny Marshall"))});
        auto db = catalog::Database::open(m_path);
        db->connection()->exec(
            QStringLiteral("alter table archive add column quelto_running_time INTEGER;"
                           "alter table archive add column quelto_speed TEXT;"
                           "alter table archive add column quelto_seen INTEGER;"
                           "alter table archive add column quelto_my_rating INTEGER;"
                           "update archive set quelto_running_time = 100, quelto_speed = 'SP', quelto_seen = "
                           "1, quelto_my_rating = 5 "
                           "  where title = 'Key Largo';"
                           "update archive set quelto_running_time = 106, quelto_speed = 'LP', quelto_seen = "
                           "0 where title = 'Dark Passage';"
                           "update archive set quelto_my_rating = 3 where title = 'Big';"
                           "create table quelto_tapes (catalog TEXT, length_minutes INTEGER);"
                           "insert into quelto_tapes values ('t1', 240), ('T2', 180), ('Gone', 120);"));
        loans::LoanStore loans(*db);
        loans.lend(
            {QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 12, 1), QDate(2026, 12, 15), {}},
            Today);
        loans.lend({QStringLiteral("D1"), QStringLiteral("Ben"), QDate(2026, 11, 1), {}, {}}, Today);
        loans.giveBack(QStringLiteral("D1"), QDate(2026, 11, 9), Today);
        loans.lend(
            {QStringLiteral("D1"), QStringLiteral("anna"), QDate(2026, 12, 10), QDate(2026, 12, 24), {}},
            Today);
    }

    void figuresOfTheWholeCatalogue()
    {
        auto db = catalog::Database::open(m_path);
        const StatisticsFigures f = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(f.records, 4);
        QCOMPARE(listed(f.byMedium), (QStringList{QStringLiteral("VHS=3"), QStringLiteral("DVD=1")}));
        QCOMPARE(f.byMedium.front().share, 0.75);
        QCOMPARE(listed(f.byGenre), (QStringList{QStringLiteral("Film noir=3"), QStringLiteral("Comedy=1")}));
        QCOMPARE(listed(f.byDecade), (QStringList{QStringLiteral("1940s=3"), QStringLiteral("1980s=1")}));
        QCOMPARE(listed(f.byCountry), QStringList{QStringLiteral("USA=4")});
        QCOMPARE(listed(f.topDirectors).first(), QStringLiteral("John Huston=2"));
        QCOMPARE(int(f.topDirectors.size()), 3);
        QCOMPARE(listed(f.myRating),
                 (QStringList{QStringLiteral("3=1"), QStringLiteral("5=1"), QStringLiteral("(none)=2")}));
        QCOMPARE(f.seen, 1);
        QCOMPARE(f.notSeen, 3);
        // Tapes: T1 (240 min) holds 100 min at SP and 106 min at LP (53 min of tape).
        QCOMPARE(f.tapes.tapes, 3);
        QCOMPARE(f.tapes.withLength, 2);
        QCOMPARE(f.tapes.lengthMinutes, 420);
        QCOMPARE(f.tapes.usedMinutes, 153);
        // T2 (180 min) holds The Maltese Falcon of unknown running time: what is left there is unknown, not free.
        QCOMPARE(f.tapes.freeMinutes, 240 - 153);
        QCOMPARE(f.tapes.moviesWithoutRunningTime, 1);
        QCOMPARE(f.tapes.unknownRoom, 1);
        QCOMPARE(f.tapes.untimedMovies, QStringList{QStringLiteral("T2: The Maltese Falcon")});
        QCOMPARE(f.tapes.runningMinutes, 206);
        // Loans: Anna twice (one of them overdue), Ben once, returned.
        QCOMPARE(int(f.loansPerBorrower.size()), 2);
        QCOMPARE(f.loansPerBorrower[0].borrower, QStringLiteral("Anna"));
        QCOMPARE(f.loansPerBorrower[0].loans, 2);
        QCOMPARE(f.loansPerBorrower[0].current, 2);
        QCOMPARE(f.loansPerBorrower[0].overdue, 1);
        QCOMPARE(f.loansPerBorrower[1].current, 0);
        QCOMPARE(f.tapesOnLoan, 2);
        QCOMPARE(f.tapesOverdue, 1);

        // A catalogue whose rows lie far apart is read on two threads at once (the people
        // on one, the rest on the other): the same figures. So too with the key column of
        // older catalogues, whose sort key of "T1" is not the key the tapes are found by.
        db->connection()->exec(
            QStringLiteral("update archive set rowid = rowid + 100000 where title like '*e*'"));
        catalog::ArchiveKeys::install(*db);
        const StatisticsFigures halves = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(statistics::StatisticsJson::toJson(halves), statistics::StatisticsJson::toJson(f));
        db->connection()->exec(
            QStringLiteral("alter table archive add column quelto_key_catalog BLOB;"
                           "update archive set quelto_key_catalog = quelto_sortkey(catalog)"));
        const StatisticsFigures keyed = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(statistics::StatisticsJson::toJson(keyed), statistics::StatisticsJson::toJson(f));

        // The records of a filter only.
        const StatisticsFigures noir = statistics::StatisticsCollector::collect(
            *db->connection(), Today, QStringLiteral("where mv_genre = 'Film noir' "));
        QCOMPARE(noir.records, 3);
        QCOMPARE(listed(noir.byMedium), QStringList{QStringLiteral("VHS=3")});
        QCOMPARE(noir.tapes.tapes, 2);
        QCOMPARE(int(noir.loansPerBorrower.size()), 1);
        QCOMPARE(noir.loansPerBorrower[0].loans, 1);
    }

    void theProgramPrintsThemWithoutADisplay()
    {
        // The program itself, with no display: the figures, help before any
        // command, and a command line in error.
        const auto run = [this](const QStringList& arguments, QByteArray& out) {
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                environment.remove(QString::fromLatin1(name));
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(QUELTO_PROGRAM), arguments);
            if (!program.waitForFinished(60000)) {
                program.kill();
                program.waitForFinished();
                return -1;
            }
            out = program.readAllStandardOutput();
            return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        };
        QByteArray out;
        QCOMPARE(run({QStringLiteral("--statistics"), m_path}, out), 0);
        QCOMPARE(QJsonDocument::fromJson(out).object().value(QStringLiteral("records")).toInt(), 4);
        QCOMPARE(run({QStringLiteral("--help"), QStringLiteral("--statistics"), m_path}, out), 0);
        QVERIFY(out.startsWith("Usage: quelto"));
        QCOMPARE(run({QStringLiteral("--version"), QStringLiteral("--lookup"), QStringLiteral("http://h/")}, out), 0);
        QVERIFY(out.startsWith("quelto "));
        QCOMPARE(run({QStringLiteral("--statistics")}, out), 2);
        QVERIFY(out.isEmpty());
    }

    void commandLinePrintsJsonAndWritesNothing()
    {
        const QByteArray before = TestCatalog::fileBytes(m_path);
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(statistics::CommandLineStatistics::run(m_path, o, e, Today), 0);
        QCOMPARE(TestCatalog::fileBytes(m_path), before);
        QVERIFY(err.isEmpty());
        const QJsonObject json = QJsonDocument::fromJson(out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("records")).toInt(), 4);
        QCOMPARE(json.value(QStringLiteral("byGenre"))
                     .toArray()
                     .at(0)
                     .toObject()
                     .value(QStringLiteral("name"))
                     .toString(),
                 QStringLiteral("Film noir"));
        const QJsonObject tapes = json.value(QStringLiteral("tapes")).toObject();
        QCOMPARE(tapes.value(QStringLiteral("freeMinutes")).toInt(), 87);
        QCOMPARE(tapes.value(QStringLiteral("unknownRoomTapes")).toInt(), 1);
        QCOMPARE(tapes.value(QStringLiteral("untimedMovies")).toArray().at(0).toString(),
                 QStringLiteral("T2: The Maltese Falcon"));
        QCOMPARE(json.value(QStringLiteral("loans")).toObject().value(QStringLiteral("tapesOverdue")).toInt(),
                 1);
        QCOMPARE(json.value(QStringLiteral("date")).toString(), QStringLiteral("2026-12-20"));

        // A catalogue without Quelto's own columns and tables: everything counts as empty.
        const QString plain = m_dir.filePath(QStringLiteral("plain.mdb"));
        TestCatalog::create(plain, {TestCatalog::record(QStringLiteral("A"))});
        out.clear();
        QCOMPARE(statistics::CommandLineStatistics::run(plain, o, e, Today), 0);
        const QJsonObject bare = QJsonDocument::fromJson(out.toUtf8()).object();
        QCOMPARE(bare.value(QStringLiteral("seen")).toObject().value(QStringLiteral("notSeen")).toInt(), 1);
        QCOMPARE(bare.value(QStringLiteral("tapes")).toObject().value(QStringLiteral("withLength")).toInt(),
                 0);

        // Not a catalogue: a clear message and exit code 1.
        const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("just some notes\n");
        file.close();
        QCOMPARE(statistics::CommandLineStatistics::run(text, o, e, Today), 1);
        QVERIFY(err.startsWith(QStringLiteral("quelto: ")));
    }

    void peopleBeyondTheTopListAreCounted()
    {
        // Director i directs i movies (1..30), "Dir 30" spelt two ways; the cast is six
        // boxes of which two hold the same name: it counts once a record.
        {
            auto db = catalog::Database::open(m_path);
            db->connection()->exec(QStringLiteral(
                "delete from archive;"
                "with recursive d(i) as (select 1 union all select i + 1 from d where i < 30),"
                " m(i, k) as (select i, 1 from d union all select i, k + 1 from m where k < i) "
                "insert into archive (catalog, title, mv_director, mv_cast1, mv_cast2, mv_cast3) "
                "select 'T' || i || '-' || k, 'Movie ' || i || '-' || k,"
                " case when i = 30 and k % 2 = 0 then 'DIR 30' else 'Dir ' || i end,"
                " 'Actor ' || i, 'Actor ' || i, 'Actor ' || (i % 5) from m"));
        }
        auto db = catalog::Database::open(m_path);
        const StatisticsFigures f = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(f.records, 465);
        QCOMPARE(int(f.topDirectors.size()), StatisticsFigures::TopPeople);
        QCOMPARE(listed(f.topDirectors).first(), QStringLiteral("Dir 30=30"));
        QCOMPARE(listed(f.topDirectors).last(), QStringLiteral("Dir 11=11"));
        // Ten directors beyond the top 20, with 1 + 2 + ... + 10 records.
        QCOMPARE(f.otherDirectors.names, 10);
        QCOMPARE(f.otherDirectors.credits, 55);
        // Actor i is in the first two boxes of director i's movies (once a record), and the
        // third box names Actor (i % 5): 31 names, 465 + 455 credits (the movies of
        // i = 1..4 name their own actor there again).
        qint64 credits = 0;
        for (const Share& share : f.topCast)
            credits += share.count;
        QCOMPARE(f.otherCast.names, 31 - StatisticsFigures::TopPeople);
        QCOMPARE(credits + f.otherCast.credits, qint64(465 + 455));
        const QJsonObject json = statistics::StatisticsJson::toJson(f);
        QCOMPARE(json.value(QStringLiteral("otherDirectors")).toObject().value(QStringLiteral("names")).toInt(), 10);
    }

    void borrowersAreATopListAndAPipeIsRefusedAtOnce()
    {
        // 60 borrowers: the 20 with most loans are listed, the rest counted.
        {
            auto db = catalog::Database::open(m_path);
            db->connection()->exec(QStringLiteral(
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < 60) "
                "insert into quelto_loans (catalog, borrower, lent, returned) "
                "select 'T' || i, 'Friend ' || i, '2026-01-01', '2026-01-02' from n"));
        }
        auto db = catalog::Database::open(m_path);
        const StatisticsFigures f = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(int(f.loansPerBorrower.size()), StatisticsFigures::TopPeople);
        QCOMPARE(f.loansPerBorrower[0].borrower, QStringLiteral("Anna"));
        QCOMPARE(f.otherBorrowers, 62 - StatisticsFigures::TopPeople);
        QCOMPARE(f.otherBorrowersLoans, 62 - StatisticsFigures::TopPeople);
        const QJsonObject loans = statistics::StatisticsJson::toJson(f).value(QStringLiteral("loans")).toObject();
        QCOMPARE(loans.value(QStringLiteral("perBorrower")).toArray().size(), StatisticsFigures::TopPeople);
        QCOMPARE(loans.value(QStringLiteral("otherBorrowers")).toInt(), 42);

        // A pipe in the catalogue's place is refused without waiting for a writer.
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.mdb"));
        QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(statistics::CommandLineStatistics::run(pipe, o, e, Today), 1);
        QVERIFY2(err.contains(QLatin1String("no regular file")), qPrintable(err));
        QCOMPARE(statistics::CommandLineStatistics::run(m_dir.path(), o, e, Today), 1);
    }

    void wholeNumbersCountAsTheirText()
    {
        // Ratings, seen and running times stored as numbers or as text count alike.
        {
            auto db = catalog::Database::open(m_path);
            db->connection()->exec(QStringLiteral(
                "update archive set quelto_my_rating = '5' where title = 'Big';"
                "update archive set quelto_seen = 2, quelto_running_time = '106 min' where title = 'Dark Passage';"
                "update archive set quelto_running_time = -5 where title = 'Big';"
                "update archive set quelto_running_time = 1234567, quelto_my_rating = 1000 "
                "  where title = 'The Maltese Falcon';"));
        }
        auto db = catalog::Database::open(m_path);
        const StatisticsFigures f = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(listed(f.myRating),
                 (QStringList{QStringLiteral("5=2"), QStringLiteral("1000=1"), QStringLiteral("(none)=1")}));
        QCOMPARE(f.seen, 2);
        QCOMPARE(f.tapes.withRunningTime, 2);
        QCOMPARE(f.tapes.runningMinutes, 206);
    }

    // A grab's lists count each value: every genre, country and director of
    // "A / B", a value named twice in one record once.
    void listsCountEachValue()
    {
        {
            auto db = catalog::Database::open(m_path);
            db->connection()->exec(QStringLiteral(
                "update archive set mv_genre = 'Comedy / Drama / comedy', mv_country = 'USA / France', "
                "  mv_director = 'Penny Marshall / John Huston / penny marshall' where title = 'Big';"));
        }
        auto db = catalog::Database::open(m_path);
        const StatisticsFigures f = statistics::StatisticsCollector::collect(*db->connection(), Today);
        QCOMPARE(listed(f.byGenre), (QStringList{QStringLiteral("Film noir=3"), QStringLiteral("Comedy=1"),
                                                 QStringLiteral("Drama=1")}));
        QCOMPARE(listed(f.byCountry), (QStringList{QStringLiteral("USA=4"), QStringLiteral("France=1")}));
        QCOMPARE(listed(f.topDirectors), (QStringList{QStringLiteral("John Huston=3"), QStringLiteral("Delmer Daves=1"),
                                                      QStringLiteral("Penny Marshall=1")}));
    }

    // The whole catalogue is read from the file's pages; a filter that lets
    // every record through is read with SQL: the same figures, on one
    // thread and on two, and on files the pages are not read from.
    void pagesGiveWhatSqlGives_data()
    {
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("change");
        QTest::newRow("small") << 300 << QString();
        QTest::newRow("two threads") << 30000 << QString();
        QTest::newRow("write-ahead log") << 30000 << QStringLiteral("wal");
        QTest::newRow("child page out of range") << 30000 << QStringLiteral("child");
        QTest::newRow("cell past its page") << 30000 << QStringLiteral("cell");
        QTest::newRow("overflow loop") << 30000 << QStringLiteral("loop");
        QTest::newRow("truncated") << 30000 << QStringLiteral("truncated");
    }
    void pagesGiveWhatSqlGives()
    {
        QFETCH(int, added);
        QFETCH(QString, change);
        addMovies(m_path, added);
        {
            // The pages of this catalogue can be read: the figures below come from them.
            auto connection = catalog::SqliteConnection::open(m_path, catalog::SqliteConnection::Mode::OpenReadOnly);
            catalog::TablePageReader rows(*connection, QStringLiteral("archive"),
                                          statistics::StatisticsTally::columnNames());
            int count = 0;
            while (rows.step())
                ++count;
            QCOMPARE(count, added + 4);
        }
        if (change == QLatin1String("wal")) {
            auto db = catalog::Database::open(m_path);
            db->connection()->exec(QStringLiteral("pragma journal_mode = wal"));
        } else if (!change.isEmpty()) {
            damage(m_path, change);
        }
        const auto figures = [this](const QString& condition) {
            try {
                auto connection =
                    catalog::SqliteConnection::open(m_path, catalog::SqliteConnection::Mode::OpenReadOnly);
                return QJsonDocument(statistics::StatisticsJson::toJson(
                                         StatisticsCollector::collect(*connection, Today, condition)))
                    .toJson();
            } catch (const catalog::EngineError& error) {
                return QByteArray("error: ") + error.message().toUtf8();
            }
        };
        const QByteArray pages = figures({});
        QCOMPARE(pages, figures(QStringLiteral("1 = 1")));
        if (change.isEmpty() || change == QLatin1String("wal") || change == QLatin1String("loop"))
            QVERIFY(!pages.startsWith("error"));
    }

    // An interrupt at any moment, on either thread's part, ends the pass
    // with the engine's error; a pass it misses gives the whole figures.
    void anInterruptStopsThePass()
    {
        addMovies(m_path, 60000);
        auto connection = catalog::SqliteConnection::open(m_path, catalog::SqliteConnection::Mode::OpenReadOnly);
        const QByteArray whole =
            QJsonDocument(statistics::StatisticsJson::toJson(StatisticsCollector::collect(*connection, Today)))
                .toJson();
        // Interrupts at moments spread over a pass, each a fraction of the
        // last whole pass's time (that time changes with the machine's
        // load), until some have stopped a pass; every pass not stopped
        // gives the whole figures.
        QElapsedTimer timer;
        timer.start();
        StatisticsCollector::collect(*connection, Today);
        qint64 passMs = std::max<qint64>(timer.elapsed(), 4);
        int interrupted = 0;
        for (int attempt = 0; attempt < 80 && interrupted < 3; ++attempt) {
            const qint64 delayMs = passMs * (attempt % 13) / 12;
            std::atomic<bool> done = false;
            std::thread stopper([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                if (!done)
                    StatisticsCollector::interrupt(*connection);
            });
            timer.restart();
            try {
                const StatisticsFigures f = StatisticsCollector::collect(*connection, Today);
                QCOMPARE(QJsonDocument(statistics::StatisticsJson::toJson(f)).toJson(), whole);
                passMs = std::max<qint64>(timer.elapsed(), 4);
            } catch (const catalog::EngineError& error) {
                QVERIFY2(error.message().contains(QLatin1String("interrupt"), Qt::CaseInsensitive),
                         qPrintable(error.message()));
                ++interrupted;
            }
            done = true;
            stopper.join();
        }
        QVERIFY(interrupted > 0);
    }

    void speedsAndRunningTimes()
    {
        QCOMPARE(statistics::StatisticsCollector::standardPlayMinutes(120, QStringLiteral("lp")), 60.0);
        QCOMPARE(statistics::StatisticsCollector::standardPlayMinutes(120, QStringLiteral(" EP ")), 40.0);
        QCOMPARE(statistics::StatisticsCollector::standardPlayMinutes(120, QString()), 120.0);
        QCOMPARE(statistics::StatisticsCollector::minutesOf(QStringLiteral(" 105 min")), 105);
        QCOMPARE(statistics::StatisticsCollector::minutesOf(QStringLiteral("unknown")), -1);
        QVERIFY(statistics::StatisticsCollector::isSeen(QStringLiteral("1")));
        QVERIFY(!statistics::StatisticsCollector::isSeen(QStringLiteral("0")));
        QVERIFY(!statistics::StatisticsCollector::isSeen(QStringLiteral(" ")));
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
