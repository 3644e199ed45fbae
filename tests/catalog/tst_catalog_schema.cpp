#include "catalog/CatalogFileCheck.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/resource.h>

using namespace quelto::catalog;

// New catalogues, their seed rows, older files gaining their later tables, and
// files that are no catalogue at all.
class TestCatalogSchema : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;

    QString newPath() { return m_dir.filePath(QStringLiteral("cat%1.mdb").arg(++m_serial)); }

    static QStringList texts(RecordSet& set)
    {
        QStringList out;
        if (set.recordCount() == 0)
            return out;
        for (set.moveFirst(); !set.eof(); set.moveNext())
            out << set.text(QStringLiteral("text"));
        set.moveFirst();
        return out;
    }
    static QList<int> ordinals(RecordSet& set)
    {
        QList<int> out;
        for (set.moveFirst(); !set.eof(); set.moveNext())
            out << set.value(QStringLiteral("ordinal")).toInt();
        set.moveFirst();
        return out;
    }
    static void openAllLists(Database& db)
    {
        for (const OptionListDef& list : CatalogSchema::optionLists())
            CatalogSchema::openOptionList(db, list);
    }
    static QByteArray fileHash(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }

private slots:
    void newCatalogIsSeeded()
    {
        auto db = Database::create(newPath());
        CatalogSchema::createCatalogTables(*db);
        QCOMPARE(db->tableNames(), CatalogSchema::creationOrder() + QStringList{QStringLiteral("archive")});

        const QList<int> expectedCounts = {4, 6, 4, 3, 4, 4, 2, 3, 6, 5, 5, 2, 2, 5};
        QList<int> counts;
        for (const OptionListDef& list : CatalogSchema::optionLists()) {
            auto set = CatalogSchema::openOptionList(*db, list);
            counts << set->recordCount();
            QVERIFY(set->hasCurrentRow());
        }
        QCOMPARE(counts, expectedCounts);

        auto media = CatalogSchema::openOptionList(*db, CatalogSchema::optionList(QStringLiteral("mediatype")));
        QCOMPARE(texts(*media), QStringList({"LaserDisk", "DVD", "Hi8", "Video8", "S-VHS", "VHS"}));
        QCOMPARE(ordinals(*media), QList<int>({1, 2, 3, 4, 5, 6}));
        auto producers = CatalogSchema::openOptionList(*db, CatalogSchema::optionList(QStringLiteral("produce")));
        QCOMPARE(texts(*producers).first(), QStringLiteral("Bavaria Film"));
        QCOMPARE(producers->value(QStringLiteral("ordinal")).toInt(), 4);

        auto archive = db->openRecordSet(CatalogSchema::ArchiveQuery);
        QCOMPARE(archive->recordCount(), 0);
        QCOMPARE(archive->fieldNames(), CatalogSchema::archiveColumns());
        QCOMPARE(archive->fieldNames().size(), 24);
    }

    void ordinalOrderIsTheUsersOrder()
    {
        auto db = Database::create(newPath());
        CatalogSchema::createCatalogTables(*db);
        openAllLists(*db);
        auto genre = db->openRecordSet(QStringLiteral("select * from genre"));
        for (; !genre->eof(); genre->moveNext()) {
            genre->edit();
            genre->setValue(QStringLiteral("ordinal"), 7 - genre->value(QStringLiteral("ordinal")).toInt());
            genre->update();
        }
        auto list = CatalogSchema::openOptionList(*db, CatalogSchema::optionList(QStringLiteral("genre")));
        QCOMPARE(texts(*list).first(), QStringLiteral("Film noir"));
        QCOMPARE(texts(*list).last(), QStringLiteral("Comedy"));
    }

    void emptiedListIsSeededAgainButNotAListWithOneRow()
    {
        const QString path = newPath();
        {
            auto db = Database::create(path);
            CatalogSchema::createCatalogTables(*db);
            openAllLists(*db);
            auto country = db->openRecordSet(QStringLiteral("select * from country order by ordinal"));
            while (country->recordCount() > 0) {
                country->moveFirst();
                country->deleteRecord();
                country->requery();
            }
            auto genre = db->openRecordSet(QStringLiteral("select * from genre order by ordinal"));
            while (genre->recordCount() > 1) {
                genre->moveLast();
                genre->deleteRecord();
                genre->requery();
            }
        }
        auto db = Database::open(path);
        auto country = CatalogSchema::openOptionList(*db, CatalogSchema::optionList(QStringLiteral("country")));
        QCOMPARE(texts(*country), QStringList({"USA", "Germany", "UK", "France"}));
        auto genre = CatalogSchema::openOptionList(*db, CatalogSchema::optionList(QStringLiteral("genre")));
        QCOMPARE(texts(*genre), QStringList({"Comedy"}));
    }

    void olderFileGainsTheLaterLists()
    {
        const QString path = newPath();
        {
            auto db = Database::create(path);
            for (const QString& table : CatalogSchema::creationOrder().mid(0, 10))
                CatalogSchema::createOptionTable(*db, table);
            CatalogSchema::createArchiveTable(*db);
            auto archive = db->openRecordSet(CatalogSchema::ArchiveQuery);
            archive->addNew();
            archive->setValue(QStringLiteral("title"), QStringLiteral(" Old record "));
            archive->setValue(QStringLiteral("mv_producer"), QStringLiteral("Ufa"));
            archive->update();
        }
        auto db = Database::open(path);
        openAllLists(*db);
        for (const QString& table : {QStringLiteral("produce"), QStringLiteral("book"), QStringLiteral("music"),
                                     QStringLiteral("cast")}) {
            QVERIFY2(db->hasTable(table), qPrintable(table));
            auto set = db->openRecordSet(QStringLiteral("select * from ") + table);
            QCOMPARE(set->recordCount(), int(CatalogSchema::optionList(table).seeds.size()));
        }
        auto archive = db->openRecordSet(CatalogSchema::ArchiveQuery);
        QCOMPARE(archive->recordCount(), 1);
        QCOMPARE(archive->text(QStringLiteral("title")), QStringLiteral(" Old record "));
        QCOMPARE(archive->text(QStringLiteral("mv_producer")), QStringLiteral("Ufa"));
    }

    void missingArchiveIsCreatedButNotAMissingDirectorList()
    {
        auto db = Database::create(newPath());
        for (const QString& table : CatalogSchema::creationOrder().mid(0, 9))
            CatalogSchema::createOptionTable(*db, table);
        auto archive = CatalogSchema::openWithRecovery(*db, CatalogSchema::ArchiveQuery, QStringLiteral("archive"),
                                                       [&] { CatalogSchema::createArchiveTable(*db); });
        QCOMPARE(archive->recordCount(), 0);
        QVERIFY(db->hasTable(QStringLiteral("archive")));
        QVERIFY_THROWS_EXCEPTION(
            EngineError, CatalogSchema::openOptionList(*db, CatalogSchema::optionList(QStringLiteral("director"))));
        QVERIFY(!db->hasTable(QStringLiteral("director")));
    }

    void recoveryDoesNotMaskOtherErrors()
    {
        auto db = Database::create(newPath());
        CatalogSchema::createArchiveTable(*db);
        bool created = false;
        QVERIFY_THROWS_EXCEPTION(EngineError,
                                 CatalogSchema::openWithRecovery(*db, QStringLiteral("select * from archive where"),
                                                                 QStringLiteral("archive"), [&] { created = true; }));
        QVERIFY(!created);
    }

    void fileReadableByTheStockTool()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("sqlite3 is not installed");
        const QString path = newPath();
        {
            auto db = Database::create(path);
            CatalogSchema::createCatalogTables(*db);
            auto archive = db->openRecordSet(CatalogSchema::ArchiveQuery);
            for (const char* title : {"b", "A", "c"}) {
                archive->addNew();
                archive->setValue(QStringLiteral("title"), QString::fromLatin1(title));
                archive->update();
            }
        }
        QProcess tool;
        tool.start(QStringLiteral("sqlite3"), {path, QStringLiteral("select title from archive order by title")});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"A", "b", "c"}));
    }

    // The desktop recognises a catalogue by the SQLite header and this
    // program's id in it (big-endian at offset 68), whatever the file's name.
    void catalogueCarriesTheApplicationId()
    {
        const auto header = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.read(72) : QByteArray();
        };
        const auto setId = [](const QString& path, int id) {
            auto db = Database::open(path);
            db->connection()->exec(QStringLiteral("PRAGMA application_id = %1").arg(id));
        };
        // Opens the catalogue, then stores a change unless told not to.
        const auto idAfter = [](const QString& path, bool change) {
            CatalogState state;
            state.databasePath = path;
            CatalogLoader::open(state);
            if (change) {
                state.current->addNew();
                state.current->setValue(QStringLiteral("title"), QStringLiteral("New"));
                state.current->update();
            }
            return state.database->applicationId();
        };

        const QString path = newPath();
        CatalogLoader::createCatalogFile(path);
        QVERIFY(header(path).startsWith(QByteArray("SQLite format 3\0", 16)));
        QCOMPARE(header(path).mid(68, 4), QByteArray("QELT"));

        // A catalogue made before the mark (its lists seeded by an earlier
        // start) gains it with its first change, not by being opened;
        // another program's id stays.
        idAfter(path, false);
        setId(path, 0);
        const QByteArray unmarked = fileHash(path);
        QCOMPARE(idAfter(path, false), 0);
        QCOMPARE(fileHash(path), unmarked);
        QCOMPARE(idAfter(path, true), Database::ApplicationId);
        QCOMPARE(header(path).mid(68, 4), QByteArray("QELT"));
        setId(path, 0x12345678);
        QCOMPARE(idAfter(path, true), 0x12345678);
    }

    // A change that is not stored takes the id back with it; the first one
    // that is stored brings it.
    void applicationIdComesOnlyWithAStoredChange()
    {
        const QString path = newPath();
        CatalogLoader::createCatalogFile(path);
        Database::open(path)->connection()->exec(QStringLiteral("PRAGMA application_id = 0"));
        auto db = Database::open(path);
        auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
        // Over the file size limit the change fails when it is committed,
        // after the id went into its transaction.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tight = saved;
        tight.rlim_cur = 1;
        setrlimit(RLIMIT_FSIZE, &tight);
        set->addNew();
        set->setValue(QStringLiteral("title"), QStringLiteral("Lost"));
        EngineError::Kind kind = EngineError::Kind::Other;
        try {
            set->update();
        } catch (const EngineError& error) {
            kind = error.kind();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(kind, EngineError::Kind::DiskFull);
        set->cancelUpdate();
        QCOMPARE(Database::open(path)->applicationId(), 0);
        QVERIFY(!db->connection()->changeStored());

        set->addNew();
        set->setValue(QStringLiteral("title"), QStringLiteral("Kept"));
        set->update();
        QVERIFY(db->connection()->changeStored());
        QCOMPARE(Database::open(path)->applicationId(), Database::ApplicationId);
    }

    void filesThatAreNoCatalogue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says");
        QByteArray jet(2048, '\0');
        jet.replace(4, 15, "Standard Jet DB");
        QByteArray ace(2048, '\0');
        ace.replace(4, 15, "Standard ACE DB");
        QTest::newRow("empty") << QByteArray() << "empty";
        QTest::newRow("text") << QByteArray("title;year\nCasablanca;1942\n") << "not a database";
        QTest::newRow("access") << jet << "Access";
        QTest::newRow("access 2007") << ace << "Access";
    }
    void filesThatAreNoCatalogue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        const QString path = newPath();
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QByteArray before = fileHash(path);
        try {
            Database::open(path);
            QFAIL("the file was opened");
        } catch (const EngineError& error) {
            QVERIFY2(error.message().contains(QFileInfo(path).fileName()), qPrintable(error.message()));
            QVERIFY2(error.message().contains(says), qPrintable(error.message()));
        }
        QCOMPARE(fileHash(path), before);
        QCOMPARE(QFileInfo(path).size(), content.size());
    }

    void truncatedDatabaseIsRefusedUntouched()
    {
        const QString path = newPath();
        {
            auto db = Database::create(path);
            CatalogSchema::createCatalogTables(*db);
            openAllLists(*db);
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.size() > 8192);
        f.resize(f.size() / 2 + 100);
        f.close();
        const QByteArray before = fileHash(path);
        try {
            Database::open(path);
            QFAIL("the file was opened");
        } catch (const EngineError& error) {
            QCOMPARE(error.kind(), EngineError::Kind::Damaged);
            QVERIFY2(error.message().contains(QFileInfo(path).fileName()), qPrintable(error.message()));
        }
        QCOMPARE(fileHash(path), before);
    }

    void createRefusesAnExistingFileAndLeavesNothingOnFailure()
    {
        const QString path = newPath();
        Database::create(path);
        QVERIFY_THROWS_EXCEPTION(EngineError, Database::create(path));
        const QString inMissingFolder = m_dir.filePath(QStringLiteral("no/such/folder/quelto.mdb"));
        QVERIFY_THROWS_EXCEPTION(EngineError, Database::create(inMissingFolder));
        QVERIFY(!QFileInfo::exists(inMissingFolder));
    }
};

QTEST_GUILESS_MAIN(TestCatalogSchema)
#include "tst_catalog_schema.moc"
