#include "TestCatalog.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogIntegrity.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverCheck.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "collection/RecordIdentity.h"
#include "collection/TapeStore.h"
#include "search/QuickFilter.h"
#include "search/SearchQuery.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using namespace quelto::catalog;
using collection::CollectorSchema;
using test::TestCatalog;

// Where the collector's own data lives in the catalogue file: added only by
// the first store that needs it, kept by VACUUM and the stock tool, never
// written to a file that refuses writes.
class TestCollectorStorage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;

    QString catalogue(int records = 3)
    {
        const QString path = m_dir.filePath(QStringLiteral("c%1.mdb").arg(++m_serial));
        QList<TestCatalog::Row> rows;
        for (int i = 0; i < records; ++i)
            rows << TestCatalog::record(QStringLiteral("Movie %1").arg(i), QStringLiteral("T%1").arg(i / 2));
        TestCatalog::create(path, rows);
        // Once opened by the program, as every catalogue in use has been.
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        return path;
    }

    static QByteArray hash(const QString& path)
    {
        return QCryptographicHash::hash(TestCatalog::fileBytes(path), QCryptographicHash::Sha1);
    }

    static QStringList titles(Database& db, const QString& sql)
    {
        QStringList out;
        auto set = db.openRecordSet(sql);
        for (; !set->eof(); set->moveNext())
            out << set->text(QStringLiteral("title"));
        return out;
    }

    static QByteArray jpeg(QSize size, int quality = 90)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 13) % 256, (x ^ y) % 256));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        writer.write(image);
        return bytes;
    }

private slots:
    void openingLeavesAnOlderCatalogueAsItWas()
    {
        const QString path = catalogue();
        const QByteArray before = hash(path);
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        // The own lists are offered, in memory.
        RecordSet& conditions = state.optionSet(QStringLiteral("quelto_ocondition"));
        QCOMPARE(conditions.recordCount(), 4);
        QCOMPARE(conditions.text(QStringLiteral("text")), QStringLiteral("New"));
        QVERIFY(CatalogSchema::isHeldInMemory(*state.database, QStringLiteral("quelto_olocation")));
        // Readers take the missing columns and tables as empty.
        SqliteConnection& connection = *state.database->connection();
        QCOMPARE(collection::CoverStore::load(connection, 1).has_value(), false);
        QCOMPARE(collection::TapeStore::length(connection, QStringLiteral("T0")).has_value(), false);
        QCOMPARE(collection::RecordIdentity::of(connection, 1), 0);
        QVERIFY(!CollectorSchema::isPresent(connection));
        state = CatalogState();
        QCOMPARE(hash(path), before);
        QVERIFY(!TestCatalog::tables(path).contains(QStringLiteral("quelto_covers")));
    }

    void theFirstStoreAddsEverythingAtOnceAndARollbackTakesItBack()
    {
        const QString path = catalogue();
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        Database& db = *state.database;
        SqliteConnection& connection = *db.connection();
        // An edit of an own list made before the file has the list is kept.
        connection.exec(QStringLiteral("insert into temp.quelto_olocation (text, ordinal) values ('Attic', 7)"));
        {
            WriteTransaction transaction(connection);
            QVERIFY(CollectorSchema::ensure(db));
            state.current->columnsChanged();
            QVERIFY(state.current->hasField(QStringLiteral("quelto_notes")));
            // Rolled back here.
        }
        db.schemaChanged();
        state.current->columnsChanged();
        QVERIFY(!CollectorSchema::isPresent(connection));
        QVERIFY(!state.current->hasField(QStringLiteral("quelto_notes")));
        // The key triggers still work after the rollback.
        state.current->moveFirst();
        state.current->edit();
        state.current->setValue(QStringLiteral("title"), QStringLiteral("Renamed"));
        state.current->update();

        {
            WriteTransaction transaction(connection);
            QVERIFY(CollectorSchema::ensure(db));
            transaction.commit();
        }
        QVERIFY(!CollectorSchema::ensure(db));
        const QStringList tables = TestCatalog::tables(path);
        for (const char* table : {"quelto_covers", "quelto_tapes", "quelto_olocation", "quelto_ocondition",
                                  "quelto_otapelength"})
            QVERIFY2(tables.contains(QString::fromLatin1(table)), table);
        QVERIFY(!CatalogSchema::isHeldInMemory(db, QStringLiteral("quelto_olocation")));
        auto locations = db.openRecordSet(QStringLiteral("select * from quelto_olocation order by ordinal"));
        locations->moveLast();
        QCOMPARE(locations->text(QStringLiteral("text")), QStringLiteral("Attic"));
        // The file stays clean for the program's own check.
        auto reopened = Database::open(path);
        QVERIFY(CollectorSchema::isPresent(*reopened->connection()));
    }

    void notesAndLocationAreFoundByTheQuickFilter()
    {
        const QString path = catalogue(4);
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        Database& db = *state.database;
        SqliteConnection& connection = *db.connection();
        {
            connection.beginWrite();
            WriteTransaction transaction(connection);
            CollectorSchema::ensure(db);
            transaction.commit();
        }
        connection.exec(QStringLiteral("update archive set quelto_notes = 'Recorded off air, ads cut' where title = 'Movie 1'"));
        connection.exec(QStringLiteral("update archive set quelto_location = 'Shelf Ñ' where title = 'Movie 2'"));
        const auto found = [&](const QString& text) {
            return titles(db, search::SearchQuery::sortQuery(
                                  search::QuickFilter::clause(text, ArchiveKeys::searchedColumns(connection)),
                                  QStringLiteral("order by title")));
        };
        QCOMPARE(found(QStringLiteral("ADS CUT")), QStringList{QStringLiteral("Movie 1")});
        QCOMPARE(found(QStringLiteral("shelf ñ")), QStringList{QStringLiteral("Movie 2")});
        QCOMPARE(found(QStringLiteral("Movie 3")), QStringList{QStringLiteral("Movie 3")});
        // A file without the columns searches the columns every catalogue has.
        const QString plain = catalogue(2);
        auto other = Database::open(plain);
        QCOMPARE(ArchiveKeys::searchedColumns(*other->connection()).size(), 9);
        QCOMPARE(titles(*other, search::SearchQuery::sortQuery(search::QuickFilter::clause(QStringLiteral("movie 1")),
                                                               QStringLiteral("order by title"))),
                 QStringList{QStringLiteral("Movie 1")});
    }

    void identitiesSurviveVacuumAndCopiesAreToldApart()
    {
        const QString path = catalogue(5);
        auto db = Database::open(path);
        SqliteConnection& connection = *db->connection();
        {
            WriteTransaction transaction(connection);
            CollectorSchema::ensure(*db);
            transaction.commit();
        }
        connection.exec(QStringLiteral("update archive set quelto_id = 40 where title = 'Movie 2'"));
        QCOMPARE(collection::RecordIdentity::assignMissing(connection), 4);
        QCOMPARE(collection::RecordIdentity::next(connection), 45);
        const qint64 row = collection::RecordIdentity::rowOf(connection, 40);
        collection::CoverStore::store(connection, 40, collection::CoverPicture(jpeg({20, 30}), QStringLiteral("jpeg"), {20, 30}));
        // The stock tool's VACUUM, then a dump read into a new file, which
        // numbers the implicit rowids afresh; the identity stays.
        connection.exec(QStringLiteral("delete from archive where title in ('Movie 0', 'Movie 1')"));
        db.reset();
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {path, QStringLiteral("VACUUM;")});
        QVERIFY(sqlite.waitForFinished());
        QCOMPARE(sqlite.exitCode(), 0);
        const QString rebuilt = m_dir.filePath(QStringLiteral("rebuilt%1.mdb").arg(m_serial));
        QProcess dump;
        QProcess load;
        dump.setStandardOutputProcess(&load);
        dump.start(QStringLiteral("sqlite3"), {path, QStringLiteral(".dump")});
        load.start(QStringLiteral("sqlite3"), {rebuilt});
        QVERIFY(dump.waitForFinished() && load.waitForFinished());
        QCOMPARE(load.exitCode(), 0);
        db = Database::open(rebuilt);
        SqliteConnection& again = *db->connection();
        const qint64 movedRow = collection::RecordIdentity::rowOf(again, 40);
        QVERIFY(movedRow != row);
        auto set = db->openRecordSet(QStringLiteral("select * from archive where quelto_id = 40"));
        QCOMPARE(set->text(QStringLiteral("title")), QStringLiteral("Movie 2"));
        QVERIFY(collection::CoverStore::load(again, 40).has_value());
        // A row copied with the stock tool shares the identity; the first keeps it.
        again.exec(QStringLiteral("insert into archive select * from archive where quelto_id = 40"));
        const qint64 copy = again.lastInsertRowId();
        QVERIFY(collection::RecordIdentity::isCopy(again, copy, 40));
        QVERIFY(!collection::RecordIdentity::isCopy(again, movedRow, 40));
    }

    void coversAndTapeLengthsAreStoredRemovedAndTidied()
    {
        const QString path = catalogue(3);
        auto db = Database::open(path);
        SqliteConnection& connection = *db->connection();
        {
            WriteTransaction transaction(connection);
            CollectorSchema::ensure(*db);
            collection::RecordIdentity::assignMissing(connection);
            transaction.commit();
        }
        const QByteArray picture = jpeg({120, 180});
        collection::CoverStore::store(connection, 2, collection::CoverPicture(picture, QStringLiteral("jpeg"), {120, 180}));
        const auto loaded = collection::CoverStore::load(connection, 2);
        QVERIFY(loaded);
        QCOMPARE(loaded->bytes(), picture);
        QCOMPARE(loaded->size(), QSize(120, 180));
        QCOMPARE(collection::CoverStore::withCovers(connection), QSet<qint64>{2});
        // The stock tool sees a blob of the picture's size.
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {path, QStringLiteral("select typeof(picture), length(picture) from quelto_covers;")});
        QVERIFY(sqlite.waitForFinished());
        QCOMPARE(QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed(),
                 QStringLiteral("blob|%1").arg(picture.size()));
        // A record deleted by another tool leaves its cover behind until tidied.
        connection.exec(QStringLiteral("delete from archive where quelto_id = 2"));
        QCOMPARE(collection::CoverStore::removeOrphans(connection), 1);
        QVERIFY(!collection::CoverStore::has(connection, 2));

        collection::TapeStore::setLength(connection, QStringLiteral("T0"), 180);
        collection::TapeStore::setLength(connection, QStringLiteral("T0"), 240);
        QCOMPARE(collection::TapeStore::length(connection, QStringLiteral("T0")), std::optional<int>(240));
        QCOMPARE(collection::TapeStore::lengths(connection).size(), 1);
        collection::TapeStore::setLength(connection, QStringLiteral("T0"), std::nullopt);
        QVERIFY(!collection::TapeStore::length(connection, QStringLiteral("T0")));
    }

    void coversAreCheckedAfterOpeningNotWhileOpening()
    {
        const QString path = catalogue(2);
        {
            auto db = Database::open(path);
            SqliteConnection& connection = *db->connection();
            connection.beginWrite();
            WriteTransaction transaction(connection);
            CollectorSchema::ensure(*db);
            collection::RecordIdentity::assignMissing(connection);
            collection::CoverStore::store(connection, 1, collection::CoverPicture(QByteArray(200000, 'x'), "jpeg", {1, 1}));
            transaction.commit();
        }
        // A sound file passes both checks.
        {
            collection::CoverCheck check(path);
            QSignalSpy done(&check, &collection::CoverCheck::finished);
            QVERIFY(done.wait(10000));
            QCOMPARE(done.first().first().toString(), QString());
        }
        // Break the chain of the picture's overflow pages.
        qint64 page = 0;
        int pageSize = 0;
        {
            auto db = Database::open(path);
            auto query = db->connection()->prepare(
                QStringLiteral("select pageno from dbstat where name = 'quelto_covers' and pagetype = 'overflow' "
                               "order by pageno limit 1"));
            QVERIFY(query->step());
            page = query->int64(0);
            auto size = db->connection()->prepare(QStringLiteral("pragma page_size"));
            size->step();
            pageSize = int(size->int64(0));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek((page - 1) * pageSize);
        file.write(QByteArray("\x7f\xff\xff\xff", 4));
        file.close();

        // Opening does not read the covers, so it finds nothing and stays quick ...
        auto db = Database::open(path);
        QVERIFY(!CatalogIntegrity::quickCheck(*db->connection()).isEmpty());
        QVERIFY(CatalogIntegrity::quickCheck(*db->connection(), CatalogIntegrity::checkedLater()).isEmpty());
        // ... and the check afterwards does.
        collection::CoverCheck check(path);
        QSignalSpy done(&check, &collection::CoverCheck::finished);
        QVERIFY(done.wait(10000));
        QVERIFY2(!done.first().first().toString().isEmpty(), "the damage went unnoticed");
    }

    void aFileThatRefusesWritesIsNotTouched()
    {
        const QString path = catalogue(2);
        const QByteArray before = hash(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        SqliteConnection& connection = *state.database->connection();
        QVERIFY(connection.writesRefused());
        // The own lists are still offered.
        QCOMPARE(state.optionSet(QStringLiteral("quelto_otapelength")).recordCount(), 14);
        try {
            connection.beginWrite();
            WriteTransaction transaction(connection);
            CollectorSchema::ensure(*state.database);
            transaction.commit();
            QFAIL("a read-only catalogue gained the own columns");
        } catch (const EngineError& error) {
            QCOMPARE(error.kind(), EngineError::Kind::ReadOnly);
        }
        state = CatalogState();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(hash(path), before);
    }
};

QTEST_GUILESS_MAIN(TestCollectorStorage)
#include "tst_collector_storage.moc"
