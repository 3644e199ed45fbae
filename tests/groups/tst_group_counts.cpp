// Grouping the records by a field: the counts, the filter of each group
// (which must find exactly the records counted), and the counts following
// single changes through the change log.
#include "catalog/ArchiveKeys.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "groups/GroupChangeLog.h"
#include "groups/GroupCounter.h"
#include "groups/GroupFilter.h"
#include "groups/GroupKeying.h"
#include "groups/RawQuery.h"
#include "loans/LoanStore.h"
#include "TestCatalog.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using groups::Group;
using groups::GroupCounts;
using groups::GroupField;
using quelto::test::TestCatalog;

namespace {

TestCatalog::Row movie(const QString& title, const QString& catalog, const QString& genre,
                       const QString& year, const QStringList& cast = {})
{
    TestCatalog::Row row = TestCatalog::record(title, catalog);
    row[QStringLiteral("mv_genre")] = genre;
    row[QStringLiteral("mv_year")] = year;
    const QStringList columns = {QStringLiteral("mv_cast6"), QStringLiteral("mv_cast1"),
                                 QStringLiteral("mv_cast2"), QStringLiteral("mv_cast3"),
                                 QStringLiteral("mv_cast4"), QStringLiteral("mv_cast5")};
    for (int i = 0; i < columns.size(); ++i)
        row[columns[i]] = i < cast.size() ? cast[i] : QStringLiteral(" ");
    return row;
}

const GroupField& field(const char* id)
{
    return *groups::GroupField::byId(QString::fromLatin1(id));
}

QStringList shown(const GroupCounts& counts,
                  groups::GroupCounts::Order order = groups::GroupCounts::Order::ByName)
{
    QStringList out;
    for (const Group& group : counts.sorted(order))
        out << QStringLiteral("%1=%2").arg(groups::GroupFilter::shownName(group)).arg(group.count);
    return out;
}

} // namespace

class TestGroupCounts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    // Every group's filter finds exactly the records it counts.
    static void verifyFilters(catalog::Database& db, const GroupField& f)
    {
        const GroupCounts counts = groups::GroupCounter::count(*db.connection(), f);
        const QStringList columns =
            groups::RawQuery::tableColumns(*db.connection(), QStringLiteral("archive"));
        bool present = true;
        for (const QString& column : f.columns())
            present = present && columns.contains(column);
        for (const Group& group : counts.sorted(groups::GroupCounts::Order::ByName)) {
            const QString condition =
                groups::GroupFilter::condition(f, group, present, db.hasTable(loans::LoanStore::Table));
            auto set = db.openRecordSet(
                QStringLiteral("select * from archive where %1 order by title").arg(condition));
            QVERIFY2(set->recordCount() == group.count,
                     qPrintable(QStringLiteral("%1 %2: %3 found, %4 counted")
                                    .arg(f.caption, groups::GroupFilter::shownName(group))
                                    .arg(set->recordCount())
                                    .arg(group.count)));
        }
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("groups-%1.mdb").arg(QTest::currentTestFunction()));
        TestCatalog::create(
            m_path, {movie(QStringLiteral("Key Largo"), QStringLiteral("T1"), QStringLiteral("Film noir"),
                           QStringLiteral("1948"),
                           {QStringLiteral("Humphrey Bogart"), QStringLiteral("Lauren Bacall")}),
                     movie(QStringLiteral("Dark Passage"), QStringLiteral("t1"), QStringLiteral("film NOIR "),
                           QStringLiteral("1947"),
                           {QStringLiteral(" Lauren Bacall"), QStringLiteral("HUMPHREY BOGART"),
                            QStringLiteral("Humphrey Bogart")}),
                     movie(QStringLiteral("Casablanca"), QStringLiteral("T2"), QStringLiteral("Drama"),
                           QStringLiteral("1942"), {QStringLiteral("Humphrey Bogart")}),
                     movie(QStringLiteral("Big"), QStringLiteral("T3"), QStringLiteral(" "),
                           QStringLiteral("1988/I")),
                     movie(QStringLiteral("Metropolis"), QStringLiteral("T4"), QStringLiteral("Sci-Fi"),
                           QStringLiteral("unknown")),
                     movie(QStringLiteral("O'Hara's Day"), QStringLiteral("T5"),
                           QStringLiteral("Rock'n'Roll"), QStringLiteral(" "))});
        // A row another program left without a genre at all.
        auto db = catalog::Database::open(m_path);
        db->connection()->exec(QStringLiteral(
            "insert into archive (title, catalog, md_type) values ('Nothing', 'T6', 'VHS');"
            "update archive set mv_rating = '7.8/10 (12,345 votes)' where title = 'Key Largo';"
            "update archive set mv_rating = ' 7.8/10  (99 votes)' where title = 'Dark Passage';"
            "update archive set mv_rating = '7.8/10' where title = 'Casablanca';"
            "update archive set mv_rating = '7.8/10 x (5 votes)' where title = 'Big';"
            "update archive set mv_rating = '7.8/10(5 votes)' where title = 'Metropolis';"));
    }

    void countsMergeCaseAndBlankValues() // and blanks at the ends, as older rows have
    {
        auto db = catalog::Database::open(m_path);
        catalog::SqliteConnection& c = *db->connection();
        const GroupCounts genres = groups::GroupCounter::count(c, field("genre"));
        QCOMPARE(genres.records(), 7);
        QCOMPARE(shown(genres), (QStringList{QStringLiteral("Drama=1"), QStringLiteral("Film noir=2"),
                                             QStringLiteral("Rock'n'Roll=1"), QStringLiteral("Sci-Fi=1"),
                                             QStringLiteral("(none)=2")}));
        QCOMPARE(shown(genres, groups::GroupCounts::Order::ByCount).first(), QStringLiteral("Film noir=2"));
        QCOMPARE(
            shown(groups::GroupCounter::count(c, field("decade"))),
            (QStringList{QStringLiteral("1940s=3"), QStringLiteral("1980s=1"), QStringLiteral("(none)=3")}));
        // A record counts once in each cast member's group, and "(none)" holds records without cast.
        QCOMPARE(shown(groups::GroupCounter::count(c, field("cast")), groups::GroupCounts::Order::ByCount),
                 (QStringList{QStringLiteral("(none)=4"), QStringLiteral("Humphrey Bogart=3"),
                              QStringLiteral("Lauren Bacall=2")}));
        // A rating is grouped without its votes.
        QCOMPARE(shown(groups::GroupCounter::count(c, field("rating")), groups::GroupCounts::Order::ByCount)
                     .first(),
                 QStringLiteral("7.8/10=3"));
        // The tape "T1" and "t1" are one.
        QCOMPARE(groups::GroupCounter::count(c, field("tape")).groupCount(), 6);
        // Until the catalogue has a location column, every record is in "(none)".
        QCOMPARE(shown(groups::GroupCounter::count(c, field("location"))),
                 QStringList{QStringLiteral("(none)=7")});
        QCOMPARE(shown(groups::GroupCounter::count(c, field("borrower"))),
                 QStringList{QStringLiteral("(none)=7")});
        for (const GroupField& f : groups::GroupField::all())
            verifyFilters(*db, f);
    }

    void filtersFindWhatIsCountedWithOwnColumnsAndLoans()
    {
        auto db = catalog::Database::open(m_path);
        db->connection()->exec(
            QStringLiteral("alter table archive add column quelto_location TEXT;"
                           "alter table archive add column quelto_my_rating REAL;"
                           "alter table archive add column quelto_seen TEXT;"
                           "update archive set quelto_seen = '2026-11-02' where catalog = 'T1';"
                           "update archive set quelto_seen = 'seen' where catalog = 'T2';"
                           "update archive set quelto_seen = ' No ' where catalog = 'T3';"
                           "update archive set quelto_seen = '0' where catalog = 'T4';"
                           "update archive set quelto_location = 'Shelf A' where catalog = 'T1';"
                           "update archive set quelto_location = 'shelf a ' where catalog = 'T2';"
                           "update archive set quelto_my_rating = 4 where title like 'C*' or title like 'B*';"
                           "update archive set quelto_my_rating = 10 where catalog = 'T4';"));
        loans::LoanStore loans(*db);
        loans.lend({QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 1, 1), {}, {}},
                   QDate(2026, 2, 1));
        loans.lend({QStringLiteral("T3"), QStringLiteral("anna"), QDate(2026, 1, 1), {}, {}},
                   QDate(2026, 2, 1));
        loans.lend({QStringLiteral("T4"), QStringLiteral("Ben"), QDate(2026, 1, 1), {}, {}},
                   QDate(2026, 2, 1));
        loans.giveBack(QStringLiteral("T4"), QDate(2026, 1, 5), QDate(2026, 2, 1));
        catalog::SqliteConnection& c = *db->connection();
        QCOMPARE(shown(groups::GroupCounter::count(c, field("borrower"))),
                 (QStringList{QStringLiteral("Anna=3"), QStringLiteral("(none)=4")}));
        // With the engine's key columns, the tapes out are found through the index.
        catalog::ArchiveKeys::install(*db);
        QCOMPARE(shown(groups::GroupCounter::count(c, field("borrower"))),
                 (QStringList{QStringLiteral("Anna=3"), QStringLiteral("(none)=4")}));
        // Ratings kept as real numbers read without a needless ".0".
        QCOMPARE(shown(groups::GroupCounter::count(c, field("myrating"))),
                 (QStringList{QStringLiteral("4=2"), QStringLiteral("10=1"), QStringLiteral("(none)=4")}));
        // A date, "seen" or 1 is seen; nothing, 0, "no" or "false" is not.
        QCOMPARE(shown(groups::GroupCounter::count(c, field("seen"))),
                 (QStringList{QStringLiteral("Seen=3"), QStringLiteral("(none)=4")}));
        QCOMPARE(shown(groups::GroupCounter::count(c, field("location"))),
                 (QStringList{QStringLiteral("Shelf A=3"), QStringLiteral("(none)=4")}));
        for (const GroupField& f : groups::GroupField::all())
            verifyFilters(*db, f);
    }

    // A grab fills several genres, directors or countries at once; the record
    // is in the group of each, counted once, and each group's filter finds it.
    void listsPutARecordInTheGroupOfEachEntry()
    {
        auto db = catalog::Database::open(m_path);
        db->connection()->exec(QStringLiteral(
            "update archive set mv_genre = 'Drama / Film noir / drama' where title = 'Casablanca';"
            "update archive set mv_genre = 'Sci-Fi /  ' where title = 'Metropolis';"
            "update archive set mv_genre = 'Rock''n''Roll / AC/DC' where title = 'O''Hara''s Day';"
            "update archive set mv_country = 'Österreich / USA' where title = 'Key Largo';"
            "update archive set mv_country = 'ÖSTERREICH' where title = 'Dark Passage';"
            "update archive set mv_country = 'usa / Italia' where title = 'Big';"
            "update archive set mv_director = 'Ethan Coen / Joel Coen' where title = 'Big';"
            "update archive set md_format = 'A / B' where title = 'Big';"));
        catalog::SqliteConnection& c = *db->connection();
        QCOMPARE(shown(groups::GroupCounter::count(c, field("genre"))),
                 (QStringList{QStringLiteral("AC/DC=1"), QStringLiteral("Drama=1"), QStringLiteral("Film noir=3"),
                              QStringLiteral("Rock'n'Roll=1"), QStringLiteral("Sci-Fi=1"),
                              QStringLiteral("(none)=2")}));
        QCOMPARE(shown(groups::GroupCounter::count(c, field("country"))),
                 (QStringList{QStringLiteral("Casablanca.mv_country=1"), QStringLiteral("Italia=1"),
                              QStringLiteral("Metropolis.mv_country=1"), QStringLiteral("O'Hara's Day.mv_country=1"),
                              QStringLiteral("ÖSTERREICH=2"), QStringLiteral("USA=2"), QStringLiteral("(none)=1")}));
        const QStringList directors = shown(groups::GroupCounter::count(c, field("director")));
        QVERIFY(directors.contains(QStringLiteral("Ethan Coen=1")) && directors.contains(QStringLiteral("Joel Coen=1")));
        // A field no grab fills with lists keeps the value whole.
        QVERIFY(shown(groups::GroupCounter::count(c, field("format"))).contains(QStringLiteral("A / B=1")));
        for (const char* id : {"genre", "country", "director", "format"})
            verifyFilters(*db, field(id));
    }

    void countsFollowSinglesChangesThroughTheLog()
    {
        auto db = catalog::Database::open(m_path);
        catalog::SqliteConnection& c = *db->connection();
        for (const char* id : {"genre", "cast", "decade"}) {
            const GroupField& f = field(id);
            groups::GroupChangeLog::install(c, f,
                                            groups::RawQuery::tableColumns(c, QStringLiteral("archive")));
            GroupCounts counts = groups::GroupCounter::count(c, f);
            c.exec(QStringLiteral("update archive set mv_genre = 'Drama / Film noir', mv_year = '1950', mv_cast1 = "
                                  "'Peter Lorre' where title = 'Big';"
                                  "delete from archive where title = 'Key Largo';"
                                  "insert into archive (title, catalog, mv_genre, mv_cast6) values ('M', "
                                  "'T9', 'drama', 'peter lorre');"
                                  "update archive set title = 'Untouched' where title = 'Metropolis';"));
            const std::optional<std::vector<groups::GroupChangeLog::Change>> changes =
                groups::GroupChangeLog::take(c);
            QVERIFY(changes);
            if (f.id == QLatin1String("genre"))
                QCOMPARE(int(changes->size()), 3); // the title alone is not noted
            const groups::GroupKeying keying(f);
            std::vector<Group> groups;
            for (const auto& change : *changes) {
                for (const auto* value : {&change.before, &change.after}) {
                    if (!value->present)
                        continue;
                    groups.clear();
                    keying.groupsOf({value->text.constData(), size_t(value->text.size())}, value->isNull,
                                    groups);
                    for (const Group& group : groups)
                        counts.add(group, value == &change.before ? -1 : 1);
                }
            }
            QCOMPARE(shown(counts), shown(groups::GroupCounter::count(c, f)));
            // Undo the changes for the next field.
            c.exec(QStringLiteral("delete from archive where title = 'M';"));
            groups::GroupChangeLog::take(c);
        }
        // More changes than the log keeps: the counts must be made afresh.
        c.exec(QStringLiteral("begin"));
        for (int i = 0; i < groups::GroupChangeLog::Capacity + 5; ++i)
            c.exec(QStringLiteral("insert into archive (title, catalog) values ('n%1', 'X')").arg(i));
        c.exec(QStringLiteral("commit"));
        QVERIFY(!groups::GroupChangeLog::take(c));
        QVERIFY(groups::GroupChangeLog::take(c)); // empty again
        groups::GroupChangeLog::remove(c);
    }
};

QTEST_GUILESS_MAIN(TestGroupCounts)
#include "tst_group_counts.moc"
