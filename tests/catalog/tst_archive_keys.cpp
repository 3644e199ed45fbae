#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/KeyQueryRunner.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "catalog/TextKeys.h"
#include "catalog/WesternCollation.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using namespace quelto::catalog;

// The engine's own sort keys, search text and record counter on archive.
class TestArchiveKeys : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static std::string utf8(const QString& s) { return s.toStdString(); }
    static int sign(int v) { return (v > 0) - (v < 0); }

    // A catalogue written without the program's keys, as an older version or
    // the stock sqlite3 tool leaves it.
    QString plainCatalogue(const QString& name, const QStringList& titles)
    {
        const QString path = m_dir.filePath(name);
        CatalogLoader::createCatalogFile(path);
        auto db = Database::open(path);
        auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
        int n = 0;
        for (const QString& title : titles) {
            set->addNew();
            for (const QString& column : CatalogSchema::archiveColumns())
                set->setValue(column, QStringLiteral("x"));
            set->setValue(QStringLiteral("title"), title);
            set->setValue(QStringLiteral("catalog"), QStringLiteral("C%1").arg(n++));
            set->update();
        }
        return path;
    }

    static QStringList titlesOf(Database& db, const QString& sql)
    {
        QStringList titles;
        auto set = db.openRecordSet(sql);
        for (; !set->eof(); set->moveNext())
            titles << set->text(QStringLiteral("title"));
        return titles;
    }

    // What the stock sqlite3 tool says about the file.
    static QString integrityCheck(const QString& path)
    {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(raw, "pragma integrity_check", -1, &statement, nullptr);
        QStringList lines;
        while (sqlite3_step(statement) == SQLITE_ROW)
            lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        sqlite3_close(raw);
        return lines.join(u'\n');
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sortKeysOrderLikeTheCollation()
    {
        // Texts built from letters where the levels and expansions meet.
        const QString pool = QString::fromUtf8("aAeEsSzZ éÉèüÜßæÆœøØ0ıİΣσ-'");
        QRandomGenerator random(17);
        QStringList texts = {QString(), QStringLiteral("a"), QStringLiteral("A"), QString::fromUtf8("ä"),
                             QStringLiteral("ss"), QString::fromUtf8("ß"), QStringLiteral("ae"),
                             QString::fromUtf8("æ"), QString::fromUtf8("Émile"), QStringLiteral("Emile"),
                             QStringLiteral("Emilf"), QString::fromUtf8("Über"), QStringLiteral("Uber")};
        for (int i = 0; i < 400; ++i) {
            QString text;
            for (int n = random.bounded(1, 6); n > 0; --n)
                text += pool.at(random.bounded(int(pool.size())));
            texts << text;
        }
        for (const QString& a : texts) {
            const std::string ka = TextKeys::sortKey(utf8(a));
            for (const QString& b : texts) {
                const int expected = sign(WesternCollation::compare(a, b));
                const int got = sign(ka.compare(TextKeys::sortKey(utf8(b))));
                // Texts the collation calls equal may be told apart by their
                // keys, never put in the opposite order.
                if (expected != 0 && got != expected)
                    QFAIL(qPrintable(QStringLiteral("\"%1\" vs \"%2\": collation %3, keys %4")
                                         .arg(a, b)
                                         .arg(expected)
                                         .arg(got)));
                if (expected == 0 && a.toLower() == b.toLower())
                    QCOMPARE(got, 0);
            }
        }
    }

    void foldedTextIgnoresCaseOnly()
    {
        QCOMPARE(TextKeys::folded(utf8(QString::fromUtf8("BoGART Émile ß"))),
                 utf8(QString::fromUtf8("bogart émile ß")));
    }

    void orderClausesUseTheKeyColumns_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title") << "select * from archive   ORDER by title"
                               << "select * from archive   ORDER by quelto_key_title";
        QTest::newRow("director and year") << "select * from archive where x like 'a' order by mv_director,mv_year"
                                           << "select * from archive where x like 'a' order by "
                                              "quelto_key_mv_director,quelto_key_mv_year";
        QTest::newRow("column without key") << "select * from archive order by mv_country"
                                            << "select * from archive order by mv_country";
        QTest::newRow("grouped") << "select mv_genre from archive group by mv_genre order by mv_genre"
                                 << "select mv_genre from archive group by mv_genre order by mv_genre";
        QTest::newRow("other table") << "select * from genre order by title" << "select * from genre order by title";
        QTest::newRow("expression") << "select * from archive order by lower(title)"
                                    << "select * from archive order by lower(title)";
    }

    void orderClausesUseTheKeyColumns()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QSet<QString> names = {QStringLiteral("archive"), QStringLiteral("title"), ArchiveKeys::SearchColumn};
        for (const QString& column : ArchiveKeys::keyedColumns())
            names << ArchiveKeys::keyColumn(column);
        QCOMPARE(ArchiveKeys::useKeyColumns(sql, names), expected);
        // A catalogue without keys sorts as before.
        QCOMPARE(ArchiveKeys::useKeyColumns(sql, {QStringLiteral("archive"), QStringLiteral("title")}), sql);
    }

    void olderFileIsUpgradedAndStaysCorrectForTheStockTool()
    {
        const QStringList titles = {QStringLiteral("zebra"), QString::fromUtf8("Émile"), QStringLiteral("emile"),
                                    QStringLiteral("Alpha"), QString::fromUtf8("Über"), QStringLiteral("uber")};
        const QString path = plainCatalogue(QStringLiteral("old.mdb"), titles);

        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        Database& db = *state.database;
        QVERIFY(ArchiveKeys::hasKeys(db));
        QVERIFY(db.translate(CatalogLoader::currentQuery(state)).contains(QLatin1String("quelto_key_title")));
        // The keyed order is the collation's order.
        QStringList sorted = titles;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const QString& a, const QString& b) { return WesternCollation::compare(a, b) < 0; });
        const QStringList shown = titlesOf(db, CatalogLoader::currentQuery(state));
        QCOMPARE(shown.size(), sorted.size());
        for (int i = 0; i < shown.size(); ++i)
            QCOMPARE(WesternCollation::compare(shown[i], sorted[i]), 0);

        // Writes through the program keep the keys and the file sound.
        RecordSet& set = *state.current;
        set.addNew();
        for (const QString& column : CatalogSchema::archiveColumns())
            set.setValue(column, QStringLiteral("y"));
        set.setValue(QStringLiteral("title"), QStringLiteral("Aardvark"));
        set.update();
        set.moveLast();
        set.edit();
        set.setValue(QStringLiteral("title"), QStringLiteral("Beta"));
        set.update();
        set.moveFirst();
        set.deleteRecord();
        // The added row, renamed, sorts by its new title and is found by it.
        QCOMPARE(titlesOf(db, QStringLiteral("select * from archive order by title")).first(),
                 QStringLiteral("Beta"));
        QCOMPARE(titlesOf(db, QStringLiteral("select * from archive where instr(quelto_search, 'beta') > 0"))
                     .size(),
                 1);
        QVERIFY(titlesOf(db, QStringLiteral("select * from archive where instr(quelto_search, 'aardvark') > 0"))
                    .isEmpty());
        QCOMPARE(integrityCheck(path), QStringLiteral("ok"));

        // Every index of the file is the program's own and on its own columns.
        auto indexes = db.connection()->prepare(
            QStringLiteral("select i.name, c.name from sqlite_master i, pragma_index_info(i.name) c "
                           "where i.type = 'index' and i.tbl_name = 'archive'"));
        int count = 0;
        while (indexes->step()) {
            QVERIFY(indexes->value(0).toString().startsWith(ArchiveKeys::Prefix));
            QVERIFY(indexes->value(1).toString().startsWith(ArchiveKeys::Prefix));
            ++count;
        }
        QCOMPARE(count, 7);
    }

    void recordCountIsKeptAndSeesOtherWriters()
    {
        const QString path = plainCatalogue(QStringLiteral("count.mdb"), {QStringLiteral("a"), QStringLiteral("b")});
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        SqliteConnection& connection = *state.database->connection();
        QCOMPARE(ArchiveKeys::count(connection), 2);
        connection.exec(QStringLiteral("insert into archive (title) values ('c')"));
        QCOMPARE(ArchiveKeys::count(connection), 3);
        connection.exec(QStringLiteral("delete from archive where title = 'a'"));
        QCOMPARE(ArchiveKeys::count(connection), 2);
        // Another program adds a row: the count follows, and the row gets its
        // keys at the next opening.
        {
            auto other = Database::open(path);
            other->connection()->exec(QStringLiteral("insert into archive (title) values ('0 first')"));
        }
        QCOMPARE(ArchiveKeys::count(connection), 3);
        CatalogLoader::open(state);
        QCOMPARE(titlesOf(*state.database, CatalogLoader::currentQuery(state)).first(), QStringLiteral("0 first"));
    }

    void runnerAnswersOnlyTheNewestRequest()
    {
        const QString path = plainCatalogue(QStringLiteral("runner.mdb"),
                                            {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")});
        KeyQueryRunner runner(path);
        QSignalSpy failures(&runner, &KeyQueryRunner::failed);
        QList<quint64> answers;
        std::vector<qint64> received;
        connect(&runner, &KeyQueryRunner::answered, this, [&](quint64 ticket, std::vector<qint64>& keys) {
            answers << ticket;
            received = keys;
        });
        runner.request(QStringLiteral("select rowid from archive order by title"));
        const quint64 last = runner.request(QStringLiteral("select rowid from archive where title <> 'a' order by title"));
        // The first may have finished before the second came; nothing comes
        // after the newest.
        QTRY_VERIFY(!answers.isEmpty() && answers.last() == last);
        QTest::qWait(50);
        QCOMPARE(answers.last(), last);
        QCOMPARE(received, (std::vector<qint64>{1, 3}));

        runner.request(QStringLiteral("select nonsense"));
        QTRY_COMPARE(failures.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestArchiveKeys)
#include "tst_archive_keys.moc"
