// The engine's own answers to the searches, sorts and the quick filter: the
// same rows in the same order as SQLite gives them with the catalogue's like
// and collation, whatever the values, the columns and the changes since the
// last answer.
#include "catalog/ArchiveQuery.h"
#include "catalog/ArchiveScan.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/KeptOrder.h"
#include "catalog/OrderCache.h"
#include "catalog/OrderKeys.h"
#include "catalog/SqliteConnection.h"
#include "tasks/TaskControl.h"
#include "../support/OrderStamp.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto::catalog;

class TestArchiveQuery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<Database> m_db;

    // What SQLite itself answers, equal rows in the order of their keys.
    static std::vector<qint64> sqliteKeys(SqliteConnection& c, const QString& where, const QString& order)
    {
        QString sql = QStringLiteral("select rowid from archive ") + where;
        sql += order.isEmpty() ? QStringLiteral(" order by rowid") : QStringLiteral(" order by %1, rowid").arg(order);
        auto statement = c.prepare(sql);
        std::vector<qint64> keys;
        while (statement->step())
            keys.push_back(statement->int64(0));
        return keys;
    }

    void compare(const QString& where, const QString& order)
    {
        SqliteConnection& c = *m_db->connection();
        const QString sql = QStringLiteral("select * from archive ") + where +
                            (order.isEmpty() ? QString() : QStringLiteral(" order by ") + order);
        const std::optional<std::vector<qint64>> ours = ArchiveQuery::keys(c, m_db->translate(sql));
        QVERIFY2(ours.has_value(), qPrintable(sql));
        const std::vector<qint64> expected = sqliteKeys(c, m_db->translate(where), order);
        if (*ours != expected) {
            QString at;
            for (size_t i = 0; i < std::min(ours->size(), expected.size()); ++i) {
                if ((*ours)[i] != expected[i]) {
                    at = QStringLiteral(" first difference at %1").arg(i);
                    break;
                }
            }
            QFAIL(qPrintable(QStringLiteral("%1: %2 rows, SQLite %3%4").arg(sql).arg(ours->size()).arg(expected.size()).arg(at)));
        }
    }

    static QVariant pick(QRandomGenerator& r, const QVariantList& pool) { return pool.at(r.bounded(int(pool.size()))); }

private slots:
    void initTestCase()
    {
        m_path = m_dir.filePath(QStringLiteral("q.mdb"));
        CatalogLoader::createCatalogFile(m_path);
        m_db = Database::open(m_path);
        SqliteConnection& c = *m_db->connection();
        // Columns other parts of the program add: a number, a text compared bytewise.
        c.exec(QStringLiteral("alter table archive add column quelto_my_rating INTEGER;"
                              "alter table archive add column quelto_notes TEXT"));
        const QVariantList titles = {QStringLiteral("Alien"), QStringLiteral("alien"), QStringLiteral("ALIENS"),
                                     QString::fromUtf8("Émile"), QStringLiteral("Emile"), QStringLiteral("emile"),
                                     QString::fromUtf8("Straße"), QStringLiteral("Strasse"), QString::fromUtf8("Über"),
                                     QStringLiteral("Uber"), QString::fromUtf8("ΣΟΦΙΑ"), QString::fromUtf8("σοφίας"),
                                     QString::fromUtf8("İstanbul"), QStringLiteral("istanbul"), QStringLiteral("M*A*S*H"),
                                     QStringLiteral("[REC]"), QStringLiteral("Zulu"), QStringLiteral(" "),
                                     QStringLiteral("Big Sleep, The"), QStringLiteral("Big sleep"), QVariant(),
                                     QString::fromUtf8("Æon Flux"), QStringLiteral("Aeon"), QString::fromUtf8("Ødegaard")};
        const QVariantList people = {QStringLiteral("Humphrey Bogart"), QStringLiteral("Ann Marsh"),
                                     QStringLiteral("Penny Marshall"), QString::fromUtf8("Jürgen Prochnow"),
                                     QString::fromUtf8("MARŠH Ödön"), QStringLiteral("Kelvin \u212Aay"), QVariant(),
                                     QStringLiteral(" ")};
        const QVariantList ratings = {QVariant(), QVariant(qlonglong(3)), QVariant(qlonglong(-2)), QVariant(2.5),
                                      QVariant(qlonglong(10)), QStringLiteral("7"), QStringLiteral("n/a"),
                                      QVariant(QByteArray("\x01\x02"))};
        QRandomGenerator r(2468);
        c.exec(QStringLiteral("begin"));
        auto insert = c.prepare(QStringLiteral(
            "insert into archive (title, catalog, mv_genre, mv_director, mv_year, mv_cast1, mv_cast6, "
            "quelto_my_rating, quelto_notes) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < 700; ++i) {
            insert->reset();
            insert->bind(1, pick(r, titles));
            insert->bind(2, QStringLiteral("T%1").arg(r.bounded(60), 3, 10, QLatin1Char('0')));
            insert->bind(3, pick(r, {QStringLiteral("Drama"), QStringLiteral("drama"), QStringLiteral("Film noir"),
                                     QStringLiteral("Sci-Fi"), QVariant(), QStringLiteral("Drama  "),
                                     QStringLiteral(" drama"), QStringLiteral("\tDrama"), QStringLiteral("  ")}));
            insert->bind(4, pick(r, people));
            insert->bind(5, QString::number(1940 + r.bounded(12)));
            insert->bind(6, pick(r, people));
            insert->bind(7, pick(r, people));
            const QVariant rating = pick(r, ratings);
            if (rating.typeId() == QMetaType::QByteArray) { // a blob, bound as one
                insert->bind(8, QVariant());
            } else {
                insert->bind(8, rating);
            }
            insert->bind(9, pick(r, titles));
            insert->step();
        }
        insert.reset();
        c.exec(QStringLiteral("update archive set quelto_my_rating = x'0102' where rowid % 97 = 0; commit"));
    }

    void answersExactlyAsSqliteDoes_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("order");
        const QString marsh = QStringLiteral("'*[Mm][Aa][Rr][Ss][Hh]*'");
        QTest::newRow("all, title order") << "" << "title";
        QTest::newRow("all, table order") << "" << "";
        QTest::newRow("director and year") << "" << "mv_director,mv_year";
        QTest::newRow("catalogue id descending") << "" << "catalog desc";
        QTest::newRow("numbers, texts and blobs") << "" << "quelto_my_rating";
        QTest::newRow("numbers descending, title") << "" << "quelto_my_rating desc, title";
        QTest::newRow("bytewise text column") << "" << "quelto_notes";
        QTest::newRow("title search") << "where title like '*[Aa][Ll]*'" << "title";
        QTest::newRow("cast search, six columns") << QStringLiteral("where mv_cast1 like %1 OR mv_cast6 like %1").arg(marsh)
                                                  << "mv_genre";
        QTest::newRow("sharp s") << QString::fromUtf8("where title like '*[ßß][Ee]*'") << "title";
        QTest::newRow("final sigma and dotted I")
            << QString::fromUtf8("where title like '*[Σς]*' OR title like '*[İi][Ss]*'") << "title";
        QTest::newRow("Kelvin sign folds to k") << "where mv_cast1 like '*[Kk][Aa]*'" << "";
        QTest::newRow("genre, exactly") << "where mv_genre like 'Drama'" << "title";
        QTest::newRow("genre search, spaces around the stored genre")
            << "where trim(mv_genre) like 'Drama'" << "title";
        QTest::newRow("nothing but spaces trims to empty") << "where trim(mv_genre) like ''" << "";
        QTest::newRow("trimmed genre and the quick filter")
            << "where (trim(mv_genre) like 'drama') and (title like '*[Ee]*' OR mv_cast6 like '*[Ee]*')" << "catalog";
        QTest::newRow("and, parentheses") << "where (mv_genre like 'drama' or mv_genre like 'sci-fi') and title like '*[Ee]*'"
                                          << "catalog";
        QTest::newRow("label lookup") << "where catalog like 'T007' and title like 'Alien'" << "";
        QTest::newRow("a filter SQLite evaluates") << "where mv_year > '1945' and title like '*[Ee]*'" << "title desc";
        QTest::newRow("a group's condition and the quick filter")
            << "where (catalog in (select catalog from archive where mv_year < '1946')) and (title like '*[Ll]*' OR "
               "mv_cast6 like '*[Ll]*')"
            << "title";
        QTest::newRow("SQLite's alone") << "where mv_year > '1949' or title like 'Zulu'" << "catalog";
        QTest::newRow("AND binds before OR") << "where title like '*a*' and mv_year > '1949' or title like 'Zulu'"
                                             << "catalog";
        QTest::newRow("the AND of a BETWEEN") << "where title like '*e*' and mv_year between '1940' and '1950'"
                                              << "title";
        QTest::newRow("Null rows never match") << "where mv_genre like '*'" << "mv_year";
    }
    void answersExactlyAsSqliteDoes()
    {
        QFETCH(QString, where);
        QFETCH(QString, order);
        // A large table is read in two halves at once, many keys are sorted
        // by radix, and a filter letting few rows through orders only those:
        // here from 2 rows on.
        for (const qint64 from : {qint64(1) << 40, qint64(2)}) {
            ArchiveScan::setHalvesFrom(from);
            ArchiveScan::setPassingSample(from);
            OrderKeys::setRadixFrom(size_t(std::min<qint64>(from, 1 << 20)));
            OrderCache::shared().clear();
            compare(where, order); // a pass of its own
            compare(where, order); // from what the pass kept
        }
        ArchiveScan::setHalvesFrom(50000);
        ArchiveScan::setPassingSample(4096);
        OrderKeys::setRadixFrom(256);
    }

    void keptOrdersFollowEveryChange()
    {
        SqliteConnection& c = *m_db->connection();
        compare(QString(), QStringLiteral("title"));
        compare(QStringLiteral("where title like '*[Ll]*'"), QStringLiteral("title"));
        // Another program adds, changes and deletes rows.
        {
            auto other = Database::open(m_path);
            other->connection()->exec(QStringLiteral("insert into archive (title) values ('Aardvark');"
                                                     "update archive set title = 'Zzz' where rowid = 5;"
                                                     "delete from archive where rowid = 7"));
        }
        compare(QStringLiteral("where title like '*[Ll]*'"), QStringLiteral("title"));
        compare(QString(), QStringLiteral("title"));
        // A change under way on this connection is seen, and not kept for others.
        c.exec(QStringLiteral("begin immediate; update archive set title = 'Aaa' where rowid = 9"));
        compare(QString(), QStringLiteral("title"));
        c.exec(QStringLiteral("rollback"));
        compare(QString(), QStringLiteral("title"));
    }

    // The order a run leaves in the file opens the next run without a sort,
    // as long as nobody has changed the file since.
    void keptOrderServesOnlyTheUnchangedFile()
    {
        SqliteConnection& c = *m_db->connection();
        OrderCache::shared().clear();
        QVERIFY(!KeptOrder::keep(c, {KeptOrder::openingSignature()})); // nothing found yet
        const QString byTitle = QStringLiteral("select * from archive order by title");
        const std::vector<qint64> expected = *ArchiveQuery::keys(c, byTitle);
        QVERIFY(KeptOrder::keep(c, {KeptOrder::openingSignature(), QStringLiteral("mv_year asc")}));

        const auto stampNow = [&] { return quelto::test::stampNow(c); };
        OrderCache::shared().clear();
        KeptOrder::restore(c);
        QVERIFY(OrderCache::shared().order(stampNow(), KeptOrder::openingSignature()));
        QVERIFY(!OrderCache::shared().order(stampNow(), QStringLiteral("mv_year asc"))); // never found, never kept
        QCOMPARE(*ArchiveQuery::keys(c, byTitle), expected);
        compare(QStringLiteral("where title like '*[Ee]*'"), QStringLiteral("title"));

        // Changed by another program: what was kept no longer counts.
        {
            auto other = Database::open(m_path);
            other->connection()->exec(QStringLiteral("update archive set title = 'AAA' where rowid = 11"));
        }
        OrderCache::shared().clear();
        KeptOrder::restore(c);
        QVERIFY(!OrderCache::shared().order(stampNow(), KeptOrder::openingSignature()));
        compare(QString(), QStringLiteral("title"));

        // A file whose writes are refused keeps nothing.
        c.refuseWrites(EngineError(EngineError::Kind::ReadOnly, QStringLiteral("read-only")));
        QVERIFY_THROWS_EXCEPTION(EngineError, KeptOrder::keep(c, {KeptOrder::openingSignature()}));
        c.allowWrites();
    }

    void groupValuesAreOnePerGroupInOrder()
    {
        SqliteConnection& c = *m_db->connection();
        const auto values = ArchiveQuery::groupValues(
            c, QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre"));
        QVERIFY(values.has_value());
        QStringList shown;
        for (const QVariant& v : *values)
            shown << (v.isNull() ? QStringLiteral("<null>") : v.toString().toLower());
        // Spaces around a genre make a group of their own, as in SQLite.
        QStringList expected;
        auto sqlite = c.prepare(m_db->translate(QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre")));
        while (sqlite->step())
            expected << (sqlite->value(0).isNull() ? QStringLiteral("<null>") : sqlite->value(0).toString().toLower());
        QCOMPARE(shown, expected);
        QCOMPARE(shown.mid(0, 1) + shown.mid(shown.size() - 2),
                 (QStringList{"<null>", "film noir", "sci-fi"}));
    }

    void otherQueriesAreLeftToSqlite()
    {
        SqliteConnection& c = *m_db->connection();
        for (const char* sql : {"select * from archive order by lower(title)", "select * from archive limit 3",
                                "select title from archive", "select * from genre order by text",
                                "select * from archive a, genre g"}) {
            QVERIFY2(!ArchiveQuery::keys(c, QString::fromLatin1(sql)), sql);
        }
        // An unknown column is SQLite's to report, and so is what its like
        // refuses.
        QVERIFY(!ArchiveQuery::keys(c, QStringLiteral("select * from archive order by nonsense")));
        QVERIFY_THROWS_EXCEPTION(EngineError, ArchiveQuery::keys(c, QStringLiteral("select * from archive where title like 'a' escape '!'")));
    }

    // A catalogue written where another was (a copy put back over the file,
    // a new file taking the number of one just removed) is read afresh, even
    // with as many changes and pages as the one read before.
    void aFileInPlaceOfAnotherIsReadAfresh()
    {
        QTemporaryDir dir;
        const auto make = [&](const QString& name, const QStringList& titles) {
            const QString path = dir.filePath(name);
            CatalogLoader::createCatalogFile(path);
            auto db = Database::open(path);
            SqliteConnection& c = *db->connection();
            c.exec(QStringLiteral("begin"));
            for (const QString& title : titles)
                c.exec(QStringLiteral("insert into archive (title, catalog) values ('%1', 'X')").arg(title));
            c.exec(QStringLiteral("commit"));
            return path;
        };
        // The change counter and the page count of a catalogue file's header.
        const auto header = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.read(32).mid(24, 8) : QByteArray();
        };
        const QString path = make(QStringLiteral("first.mdb"), {QStringLiteral("Kept")});
        const QString byTitle = QStringLiteral("select * from archive order by title");
        {
            auto db = Database::open(path);
            QCOMPARE(*ArchiveQuery::keys(*db->connection(), byTitle), (std::vector<qint64>{1}));
        }
        const QString other = make(QStringLiteral("other.mdb"), {QStringLiteral("Zulu"), QStringLiteral("Alien")});
        QCOMPARE(header(other), header(path)); // the same change counter and size
        QFile from(other);
        QFile to(path);
        QVERIFY(from.open(QIODevice::ReadOnly) && to.open(QIODevice::ReadWrite));
        const QByteArray bytes = from.readAll();
        QVERIFY(to.resize(0) && to.write(bytes) == bytes.size()); // in place: the same file number
        // The copy's own time, as a copy keeps it.
        QVERIFY(to.setFileTime(QFileInfo(path).lastModified().addSecs(-3600), QFileDevice::FileModificationTime));
        to.close();
        auto db = Database::open(path);
        QCOMPARE(*ArchiveQuery::keys(*db->connection(), byTitle), (std::vector<qint64>{2, 1}));
    }

    void cancelStopsTheWork()
    {
        quelto::tasks::TaskControl control;
        control.cancel();
        OrderCache::shared().clear();
        QVERIFY_THROWS_EXCEPTION(quelto::tasks::TaskCancelled,
                                 ArchiveQuery::keys(*m_db->connection(),
                                                    QStringLiteral("select * from archive order by title"), &control));
    }
};

QTEST_GUILESS_MAIN(TestArchiveQuery)
#include "tst_archive_query.moc"
