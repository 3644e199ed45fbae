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

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using namespace quelto::catalog;

// The engine's sort keys and folded text, its record counter, and the helper
// columns an older version left in archive.
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

    static QByteArray fileHash(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    static QString schemaOf(const QString& path)
    {
        auto db = Database::open(path);
        auto statement = db->connection()->prepare(QStringLiteral("select group_concat(sql, ';') from sqlite_master"));
        statement->step();
        return statement->value(0).toString();
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
        const QString pool = QString::fromUtf8("aAeEsSzZ éÉèüÜßæÆœøØ0ıİΣσ-'1290");
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
            const std::string ka = TextKeys::orderKey(utf8(a));
            const std::string plainA = TextKeys::sortKey(utf8(a));
            for (const QString& b : texts) {
                const int expected = sign(WesternCollation::compare(a, b));
                const int got = sign(ka.compare(TextKeys::orderKey(utf8(b))));
                // The plain key (digits as characters) tells the same texts apart.
                QCOMPARE(plainA == TextKeys::sortKey(utf8(b)), got == 0);
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

    void openingAddsNoHelperColumnsNorAnyByte()
    {
        const QString path = plainCatalogue(QStringLiteral("plain.mdb"), {QStringLiteral("b"), QStringLiteral("a")});
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state); // the first start seeds the option lists
        const QByteArray before = fileHash(path);
        CatalogLoader::open(state);
        QCOMPARE(titlesOf(*state.database, CatalogLoader::currentQuery(state)), (QStringList{"a", "b"}));
        QCOMPARE(fileHash(path), before);
        // A change stores the change, not helper columns.
        RecordSet& set = *state.current;
        set.edit();
        set.setValue(QStringLiteral("title"), QStringLiteral("c"));
        set.update();
        QVERIFY(!ArchiveKeys::hasLegacyKeys(*state.database->connection()));
        const QString schema = schemaOf(path);
        QVERIFY2(!schema.contains(ArchiveKeys::Prefix), qPrintable(schema));
    }

    // Quelto 1.2.0 kept sort keys and a search text in archive and read them;
    // every change here keeps them right, so that version still sorts and
    // filters the file correctly, and a huge value gives a key of bounded size.
    void helperColumnsOfTheOlderVersionAreKeptRight()
    {
        const QString path = plainCatalogue(QStringLiteral("older.mdb"), {QStringLiteral("Beta"), QStringLiteral("alpha")});
        {
            auto db = Database::open(path);
            SqliteConnection& c = *db->connection();
            for (const char* column : {"title", "mv_director", "mv_year", "mv_genre", "catalog"})
                c.exec(QStringLiteral("alter table archive add column quelto_key_%1 BLOB").arg(QLatin1String(column)));
            c.exec(QStringLiteral("alter table archive add column quelto_search TEXT;"
                                  "create index quelto_order_title on archive (quelto_key_title, quelto_search)"));
        }
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        QVERIFY(ArchiveKeys::hasLegacyKeys(*state.database->connection()));
        RecordSet& set = *state.current; // alpha, Beta
        set.edit();
        set.setValue(QStringLiteral("title"), QString::fromUtf8("Über"));
        set.setValue(QStringLiteral("mv_cast6"), QStringLiteral("Humphrey BOGART"));
        set.update();
        set.addNew();
        set.setValue(QStringLiteral("title"), QStringLiteral("Gamma"));
        set.update();
        // A title far beyond what the window takes, from another program.
        const QString huge(2000000, QLatin1Char('Z'));
        {
            auto other = Database::open(path);
            auto statement = other->connection()->prepare(QStringLiteral("update archive set title = ? where title = 'Beta'"));
            statement->bind(1, huge);
            statement->step();
        }
        set.requery();
        for (; !set.eof(); set.moveNext()) {
            if (set.text(QStringLiteral("title")) == huge) {
                set.edit();
                set.setValue(QStringLiteral("mv_year"), QStringLiteral("1999"));
                set.update();
            }
        }

        auto check = state.database->connection()->prepare(
            QStringLiteral("select title, hex(quelto_key_title), quelto_search from archive order by rowid"));
        int rows = 0;
        while (check->step()) {
            ++rows;
            const std::string title = check->value(0).toString().toStdString();
            const std::string limited = title.substr(0, ArchiveKeys::KeyTextLimit);
            QCOMPARE(check->value(1).toString().toLatin1(),
                     QByteArray::fromStdString(TextKeys::sortKey(limited)).toHex().toUpper());
            QVERIFY(check->value(2).toString().startsWith(QString::fromStdString(TextKeys::folded(limited))));
        }
        QCOMPARE(rows, 3);
        auto search = state.database->connection()->prepare(
            QStringLiteral("select count(*) from archive where instr(quelto_search, 'humphrey bogart') > 0"));
        search->step();
        QCOMPARE(search->int64(0), 1);
        QCOMPARE(integrityCheck(path), QStringLiteral("ok"));
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
        // Another program adds a row: the count follows.
        {
            auto other = Database::open(path);
            other->connection()->exec(QStringLiteral("insert into archive (title) values ('0 first')"));
        }
        QCOMPARE(ArchiveKeys::count(connection), 3);
        CatalogLoader::open(state);
        QCOMPARE(titlesOf(*state.database, CatalogLoader::currentQuery(state)).first(), QStringLiteral("0 first"));
        QCOMPARE(ArchiveKeys::count(*state.database->connection()), 3);
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
