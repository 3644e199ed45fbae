// Where a record came from: the billed cast kept as text the stock tool
// shows, the table of sources in the catalogue file (added only by a store,
// kept by VACUUM, never written to a refused file), what a fresh read would
// change, and where a text typed into the address field leads.
#include "TestCatalog.h"

#include "catalog/CatalogLoader.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CastRoles.h"
#include "collection/CollectorSchema.h"
#include "collection/SourceStore.h"
#include "refresh/FieldChanges.h"
#include "weblookup/TitleAddress.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using namespace quelto::catalog;
using collection::CastRole;
using collection::CastRoles;
using collection::RecordSource;
using collection::SourceStore;
using refresh::FieldChanges;
using test::TestCatalog;
using weblookup::LookupFields;

class TestRecordSources : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;

    QString catalogue()
    {
        const QString path = m_dir.filePath(QStringLiteral("s%1.mdb").arg(++m_serial));
        TestCatalog::create(path, {TestCatalog::record(QStringLiteral("Movie 1"), QStringLiteral("T1")),
                                   TestCatalog::record(QStringLiteral("Movie 2"), QStringLiteral("T2"))});
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        return path;
    }

    static QByteArray hash(const QString& path)
    {
        return QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha1);
    }

    static QString sqlite(const QString& path, const QString& sql)
    {
        QProcess tool;
        tool.start(QStringLiteral("sqlite3"), {path, sql});
        if (!tool.waitForFinished() || tool.exitCode() != 0)
            return QStringLiteral("failed: ") + QString::fromUtf8(tool.readAllStandardError());
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

private slots:
    void castRolesKeepBillingOrderAndNeverMixLines()
    {
        const QList<CastRole> roles = {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")},
                                       {QStringLiteral("Heath Ledger"), QStringLiteral("Joker")},
                                       {QStringLiteral("  "), QStringLiteral("Nobody")},
                                       {QStringLiteral("Tab\tin name"), QStringLiteral("Two\nlines")},
                                       {QStringLiteral("Extra One"), QString()}};
        const QString text = CastRoles::encode(roles);
        QCOMPARE(text.count(u'\n'), 3); // the member without a person is left out
        const QList<CastRole> back = CastRoles::decode(text);
        QCOMPARE(back.size(), 4);
        QCOMPARE(back[0], roles[0]);
        QCOMPARE(back[1], roles[1]);
        QCOMPARE(back[2], (CastRole{QStringLiteral("Tab in name"), QStringLiteral("Two lines")}));
        QCOMPARE(back[3], (CastRole{QStringLiteral("Extra One"), QString()}));
        QCOMPARE(CastRoles::characterOf(back, QStringLiteral(" heath  ledger")), QStringLiteral("Joker"));
        QVERIFY(CastRoles::characterOf(back, QStringLiteral("Extra One")).isEmpty());
        QVERIFY(CastRoles::characterOf(back, QString()).isEmpty());
        QCOMPARE(CastRoles::asLines(back.mid(0, 1) + back.mid(3)),
                 QStringLiteral("Christian Bale as Bruce Wayne\nExtra One"));
        QVERIFY(CastRoles::hasCharacters(back));
        QVERIFY(!CastRoles::hasCharacters({{QStringLiteral("A"), {}}}));
        // A huge cast is cut at the limit.
        QList<CastRole> crowd;
        for (int i = 0; i < CastRoles::MaxRoles + 50; ++i)
            crowd.append({QStringLiteral("Person %1").arg(i), QStringLiteral("Role %1").arg(i)});
        QCOMPARE(CastRoles::decode(CastRoles::encode(crowd)).size(), CastRoles::MaxRoles);
    }

    void onlyWebAddressesAreKept()
    {
        QCOMPARE(SourceStore::keptAddress(QStringLiteral(" https://www.imdb.com/title/tt0468569/ ")),
                 QStringLiteral("https://www.imdb.com/title/tt0468569/"));
        QCOMPARE(SourceStore::keptAddress(QStringLiteral("http://127.0.0.1:8642/title/tt9000101/")),
                 QStringLiteral("http://127.0.0.1:8642/title/tt9000101/"));
        for (const char* refused : {"javascript:alert(1)", "file:///etc/passwd", "www.imdb.com/title/tt1", "",
                                    "https://", "data:text/html,x"})
            QVERIFY2(SourceStore::keptAddress(QString::fromLatin1(refused)).isEmpty(), refused);
        QVERIFY(SourceStore::keptAddress(QStringLiteral("https://a.example/") + QString(3000, u'x')).isEmpty());
    }

    void sourcesLiveInTheirOwnTableKeyedByIdentity()
    {
        const QString path = catalogue();
        const QByteArray before = hash(path);
        {
            auto db = Database::open(path);
            SqliteConnection& connection = *db->connection();
            // Reading a file without the table reads nothing and writes nothing.
            QVERIFY(SourceStore::load(connection, 1).isEmpty());
            QVERIFY(SourceStore::all(connection).isEmpty());
        }
        QCOMPARE(hash(path), before);

        auto db = Database::open(path);
        SqliteConnection& connection = *db->connection();
        const RecordSource source{QStringLiteral("https://www.imdb.com/title/tt0468569/"),
                                  {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")},
                                   {QStringLiteral("Heath Ledger"), QStringLiteral("Joker")}}};
        {
            // Rolled back with the transaction: not even the table stays.
            connection.beginWrite();
            WriteTransaction transaction(connection);
            SourceStore::store(connection, 7, source);
        }
        QVERIFY(!TestCatalog::tables(path).contains(SourceStore::Table));
        {
            connection.beginWrite();
            WriteTransaction transaction(connection);
            collection::CollectorSchema::ensure(*db);
            connection.exec(QStringLiteral("update archive set quelto_id = 7 where title = 'Movie 2'"));
            SourceStore::store(connection, 7, source);
            SourceStore::store(connection, 8, {QStringLiteral("javascript:x"), {}}); // nothing worth keeping
            transaction.commit();
        }
        QCOMPARE(SourceStore::load(connection, 7), source);
        QCOMPARE(SourceStore::all(connection).size(), 1);
        QVERIFY_THROWS_EXCEPTION(EngineError, SourceStore::store(connection, 0, source));
        db.reset();

        // The stock tool reads it, and its VACUUM keeps it with the record.
        QCOMPARE(sqlite(path, QStringLiteral("select a.title, s.address from archive a join quelto_sources s "
                                             "on s.record_id = a.quelto_id;")),
                 QStringLiteral("Movie 2|https://www.imdb.com/title/tt0468569/"));
        QCOMPARE(sqlite(path, QStringLiteral("VACUUM;")), QString());
        QCOMPARE(sqlite(path, QStringLiteral("select count(*) from archive;")), QStringLiteral("2"));
        db = Database::open(path);
        QCOMPARE(SourceStore::load(*db->connection(), 7), source);

        // An empty source removes the row.
        {
            db->connection()->beginWrite();
            WriteTransaction transaction(*db->connection());
            SourceStore::store(*db->connection(), 7, {});
            transaction.commit();
        }
        QVERIFY(SourceStore::load(*db->connection(), 7).isEmpty());
    }

    void aRefusedFileIsNeverWritten()
    {
        const QString path = catalogue();
        const QByteArray before = hash(path);
        auto db = Database::open(path);
        SqliteConnection& connection = *db->connection();
        connection.refuseWrites(EngineError(EngineError::Kind::ReadOnly, QStringLiteral("read-only")));
        QVERIFY_THROWS_EXCEPTION(EngineError, SourceStore::store(connection, 3, {QStringLiteral("https://x.example/"), {}}));
        QVERIFY_THROWS_EXCEPTION(EngineError, SourceStore::ensureTable(connection));
        db.reset();
        QCOMPARE(hash(path), before);
    }

    void changesAreFieldByFieldAndNeverEmptyAField()
    {
        LookupFields shown;
        shown.title = QStringLiteral("The Dark Knight");
        shown.mv_year = QStringLiteral("2008");
        shown.mvDirector.set(QStringLiteral("Christopher Nolan"));
        shown.mvGenre.set(QStringLiteral("action"));
        shown.mvMusic.set(QStringLiteral("Hans Zimmer"));
        shown.mvCast[0].set(QStringLiteral("Christian Bale"));
        shown.mvCast[1].set(QStringLiteral("Heath Ledger"));

        LookupFields grabbed;
        grabbed.title = QStringLiteral("The Dark Knight (2008)");
        grabbed.mv_year = QStringLiteral("2008");
        grabbed.mvDirector.set(QStringLiteral("christopher  nolan")); // case and blanks: no change
        grabbed.mvGenre.set(QStringLiteral("Action / Crime / Drama"));
        // mvMusic not given by the page: stays
        grabbed.mvCast[0].set(QStringLiteral("Christian Bale"));
        grabbed.mvCast[1].set(QStringLiteral("Heath Ledger"));
        grabbed.mvCast[2].set(QStringLiteral("Aaron Eckhart"));
        grabbed.mvProducer.set(QStringLiteral("Warner Bros."));

        const QList<refresh::FieldChange> changes = FieldChanges::between(shown, grabbed);
        QStringList columns;
        for (const refresh::FieldChange& change : changes)
            columns << change.column;
        QCOMPARE(columns, (QStringList{"title", "mv_genre", "mv_cast2", "mv_producer"}));
        QCOMPARE(changes[0].before, QStringLiteral("The Dark Knight"));
        QCOMPARE(changes[0].after, QStringLiteral("The Dark Knight (2008)"));
        QCOMPARE(changes[2].caption, QStringLiteral("Cast 3"));
        QVERIFY(changes[2].before.isEmpty());

        // Some taken: only those change; an untaken one and the rest stay.
        const LookupFields taken =
            FieldChanges::applied(shown, grabbed, {QStringLiteral("mv_genre"), QStringLiteral("mv_cast2"),
                                                   QStringLiteral("mv_music")});
        QCOMPARE(taken.title, shown.title);
        QCOMPARE(taken.mvGenre.text, QStringLiteral("Action / Crime / Drama"));
        QCOMPARE(taken.mvCast[2].text, QStringLiteral("Aaron Eckhart"));
        QCOMPARE(taken.mvMusic.text, QStringLiteral("Hans Zimmer")); // the page gave none: never emptied
        QVERIFY(taken.mvProducer.text.isEmpty());
        QCOMPARE(FieldChanges::applied(shown, grabbed, {}), shown);

        // The first cast slot is stored in mv_cast6.
        LookupFields first = shown;
        first.mvCast[0].set(QStringLiteral("Someone Else"));
        QCOMPARE(FieldChanges::between(shown, first).value(0).column, QStringLiteral("mv_cast6"));
        QCOMPARE(FieldChanges::between(shown, first).value(0).caption, QStringLiteral("Cast 1"));

        // The billed cast is a change of its own, only when the page bills one that differs.
        const QList<CastRole> kept = {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")}};
        QVERIFY(FieldChanges::castChange(kept, {}).column.isEmpty());
        QVERIFY(FieldChanges::castChange(kept, kept).column.isEmpty());
        const refresh::FieldChange cast =
            FieldChanges::castChange({}, kept + QList<CastRole>{{QStringLiteral("Heath Ledger"), QStringLiteral("Joker")}});
        QCOMPARE(cast.column, FieldChanges::CharactersColumn);
        QCOMPARE(cast.after, QStringLiteral("Christian Bale as Bruce Wayne\nHeath Ledger as Joker"));
    }

    void typedTextLeadsToTheTitlePage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("expected");
        QTest::newRow("IMDb ID, public site") << "tt0468569" << "" << "https://www.imdb.com/title/tt0468569/";
        QTest::newRow("IMDb ID with blanks, upper case") << "  TT0468569 " << "https://www.imdb.com"
                                                          << "https://www.imdb.com/title/tt0468569/";
        QTest::newRow("IMDb ID, the settings' site") << "tt9000101" << "http://127.0.0.1:8642"
                                                      << "http://127.0.0.1:8642/title/tt9000101/";
        QTest::newRow("eight digits") << "tt10872600" << "" << "https://www.imdb.com/title/tt10872600/";
        QTest::newRow("address without scheme") << "www.imdb.com/title/tt0062622" << ""
                                                << "http://www.imdb.com/title/tt0062622";
        QTest::newRow("full address") << "https://letterboxd.com/film/parasite-2019/" << ""
                                      << "https://letterboxd.com/film/parasite-2019/";
        QTest::newRow("too few digits") << "tt123" << "" << "";
        QTest::newRow("ID inside words") << "see tt0468569" << "" << "";
        QTest::newRow("script") << "javascript:alert(1)" << "" << "";
        QTest::newRow("local file") << "file:///etc/passwd" << "" << "";
    }

    void typedTextLeadsToTheTitlePage()
    {
        QFETCH(QString, typed);
        QFETCH(QString, site);
        QFETCH(QString, expected);
        QCOMPARE(weblookup::TitleAddress::fromTyped(typed, QUrl(site)).toString(), expected);
    }
};

QTEST_GUILESS_MAIN(TestRecordSources)
#include "tst_record_sources.moc"
