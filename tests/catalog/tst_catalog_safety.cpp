// The catalogue outside the happy path: rows changed or deleted by another
// connection, failures told apart by cause, files that shrink, vanish or come
// with a hot journal, foreign triggers and indexes, damage, backups and the
// lock beside the file.
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogIntegrity.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogLock.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quelto::catalog;
using Kind = EngineError::Kind;

namespace {

// Runs SQL on a file through a plain connection, as another program would.
void runSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

Kind kindOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EngineError& error) {
        return error.kind();
    }
    return Kind::Other;
}

// Whole files in and out.
struct TestFiles
{
    static QByteArray bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool write(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
    }
};

QStringList titles(Database& db)
{
    auto set = db.openRecordSet(QStringLiteral("select * from archive order by title"));
    QStringList out;
    for (; !set->eof(); set->moveNext())
        out << set->text(QStringLiteral("title"));
    return out;
}

} // namespace

class TestCatalogSafety : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;

    // A catalogue with records titled as given, every other column filled.
    QString catalogue(const QStringList& titles)
    {
        const QString path = m_dir.filePath(QStringLiteral("c%1.mdb").arg(++m_serial));
        CatalogLoader::createCatalogFile(path);
        auto db = Database::open(path);
        auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
        for (const QString& title : titles) {
            set->addNew();
            for (const QString& column : CatalogSchema::archiveColumns())
                set->setValue(column, title + QLatin1Char('.') + column);
            set->setValue(QStringLiteral("title"), title);
            set->update();
        }
        return path;
    }

    static void edit(RecordSet& set, const QString& column, const QString& value,
                     const QHash<QString, QVariant>& shown = {})
    {
        set.edit();
        set.setValue(column, value);
        if (!shown.isEmpty())
            set.expect(shown);
        set.update();
    }

    static QHash<QString, QVariant> shownRow(RecordSet& set)
    {
        QHash<QString, QVariant> row;
        for (const QString& column : CatalogSchema::archiveColumns())
            row.insert(column, set.value(column));
        return row;
    }

private slots:
    void saveChecksTheRowStillHoldsWhatWasShown()
    {
        const QString path = catalogue({"Alien", "Brazil"});
        auto a = Database::open(path);
        auto b = Database::open(path);
        auto setA = a->openRecordSet(QStringLiteral("select * from archive order by title"));
        auto setB = b->openRecordSet(QStringLiteral("select * from archive order by title"));
        const auto shownB = shownRow(*setB);

        edit(*setA, QStringLiteral("mv_director"), QStringLiteral("Scott"), shownRow(*setA));
        QCOMPARE(kindOf([&] { edit(*setB, QStringLiteral("title"), QStringLiteral("Alien 2"), shownB); }), Kind::Changed);
        setB->cancelUpdate();
        // Nothing of B's was written; A's change stands.
        setB->reread();
        QCOMPARE(setB->text(QStringLiteral("title")), QStringLiteral("Alien"));
        QCOMPARE(setB->text(QStringLiteral("mv_director")), QStringLiteral("Scott"));
        // Shown afresh, B's change goes in; without expected values it overwrites.
        edit(*setB, QStringLiteral("title"), QStringLiteral("Alien 2"), shownRow(*setB));
        edit(*setA, QStringLiteral("mv_year"), QStringLiteral("1979"));
        QCOMPARE(titles(*a), (QStringList{"Alien 2", "Brazil"}));

        setA->deleteRecord();
        QCOMPARE(kindOf([&] { edit(*setB, QStringLiteral("title"), QStringLiteral("X"), shownRow(*setB)); }),
                 Kind::Deleted);
    }

    void failuresAreToldApartByCause()
    {
        const QString path = catalogue({"Alien"});
        auto db = Database::open(path);
        auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
        QCOMPARE(kindOf([&] { edit(*set, QStringLiteral("title"), QString()); }), Kind::Refused);
        QCOMPARE(kindOf([&] { edit(*set, QStringLiteral("title"), QString(256, QLatin1Char('x'))); }), Kind::Refused);

        // Another program holds the write lock: a short wait, then Locked.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
        db->connection()->setOtherHolder(QStringLiteral("Quelto, process 42 on elsewhere"));
        try {
            edit(*set, QStringLiteral("title"), QStringLiteral("Aliens"));
            QFAIL("stored under another program's lock");
        } catch (const EngineError& error) {
            QCOMPARE(error.kind(), Kind::Locked);
            QVERIFY2(error.message().contains(QLatin1String("process 42")), qPrintable(error.message()));
        }
        sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        edit(*set, QStringLiteral("title"), QStringLiteral("Aliens"));

        // Over the file size limit, as on a full disk; fine again once lifted.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = saved;
        tight.rlim_cur = 1;
        setrlimit(RLIMIT_FSIZE, &tight);
        const Kind full = kindOf([&] { edit(*set, QStringLiteral("title"), QStringLiteral("Alien 3")); });
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(full, Kind::DiskFull);
        edit(*set, QStringLiteral("title"), QStringLiteral("Alien 3"));
        QCOMPARE(titles(*db), QStringList{"Alien 3"});
        QCOMPARE(db->openRecordSet(QStringLiteral("select * from archive"))->recordCount(), 1);
    }

    void readOnlyFileOpensAndRefusesWrites()
    {
        const QString path = catalogue({"Alien"});
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
        CatalogState state;
        state.databasePath = path;
        CatalogLoader::open(state);
        QVERIFY(state.database->isReadOnly());
        QVERIFY(!state.lock); // no lock file for a file nobody writes
        QCOMPARE(kindOf([&] { edit(*state.current, QStringLiteral("title"), QStringLiteral("X")); }), Kind::ReadOnly);
        QCOMPARE(kindOf([&] { state.current->deleteRecord(); }), Kind::ReadOnly);
        QCOMPARE(titles(*state.database), QStringList{"Alien"});
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void fileThatShrinksOrVanishesGivesErrorsNotCrashes()
    {
        QStringList many;
        for (int i = 0; i < 400; ++i)
            many << QStringLiteral("Movie %1").arg(i, 3, 10, QLatin1Char('0'));
        const QString path = catalogue(many);
        const QString copy = path + QStringLiteral(".copy");
        QVERIFY(QFile::copy(path, copy));
        auto db = Database::open(path);
        auto set = db->openRecordSet(QStringLiteral("select * from archive order by title"));

        QFile file(path);
        QVERIFY(file.resize(file.size() / 3));
        // Reading rows beyond the new end: errors, never a signal.
        int failures = 0;
        for (set->moveFirst(); !set->eof(); set->moveNext()) {
            try {
                set->value(QStringLiteral("title"));
            } catch (const EngineError&) {
                ++failures;
            }
        }
        Q_UNUSED(failures)
        QVERIFY(file.resize(0));
        set->moveFirst();
        QCOMPARE(kindOf([&] { edit(*set, QStringLiteral("title"), QStringLiteral("X")); }), Kind::Vanished);

        // Deleted, then put back: the next write goes to the file that is there.
        QVERIFY(QFile::remove(path));
        QCOMPARE(kindOf([&] { edit(*set, QStringLiteral("title"), QStringLiteral("X")); }), Kind::Vanished);
        QVERIFY(QFile::copy(copy, path));
        set->requery();
        edit(*set, QStringLiteral("title"), QStringLiteral("Back again"));
        auto fresh = Database::open(path);
        QVERIFY(titles(*fresh).contains(QStringLiteral("Back again")));
        QCOMPARE(titles(*fresh).size(), 400);
    }

    void hotJournalIsRolledBackBeforeAnyCheck()
    {
        QStringList many;
        for (int i = 0; i < 300; ++i)
            many << QStringLiteral("Title %1").arg(i);
        const QString path = catalogue(many);
        // Another program dies in the middle of a big change, its pages partly
        // written to the file: the journal beside it is hot.
        const pid_t child = fork();
        if (child == 0) {
            sqlite3* db = nullptr;
            sqlite3_open(path.toUtf8().constData(), &db);
            sqlite3_exec(db, "pragma cache_size = 2; begin; delete from archive; "
                             "insert into archive (title) select hex(randomblob(200)) from genre, genre, genre;",
                         nullptr, nullptr, nullptr);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(QFileInfo(path + QStringLiteral("-journal")).size() > 0);

        auto db = Database::open(path);
        QCOMPARE(titles(*db).size(), 300);
        QVERIFY(CatalogIntegrity::quickCheck(*db->connection()).isEmpty());
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")) ||
                QFileInfo(path + QStringLiteral("-journal")).size() == 0);
    }

    void foreignObjectsAreReportedAndRemovedOnlyWhenAllowed()
    {
        const QString path = catalogue({"Alien", "Brazil"});
        runSql(path, "create trigger wipe after update on archive begin delete from archive; end;"
                     "create view titles as select title from archive;"
                     "create index by_title on archive(title);"
                     "create index quelto_title_key on archive(title collate binary);"
                     "create index by_ordinal on genre(ordinal);");
        {
            auto db = Database::open(path);
            QStringList names;
            for (const auto& object : CatalogIntegrity::foreignObjects(*db->connection()))
                names << object.name;
            QCOMPARE(names, (QStringList{"wipe", "titles", "by_title"}));
        }

        CatalogState refused;
        refused.databasePath = path;
        CatalogLoader::Questions no;
        QString asked;
        no.removeForeignObjects = [&asked](const QString& report) {
            asked = report;
            return false;
        };
        CatalogLoader::open(refused, no);
        QVERIFY(asked.contains(QLatin1String("trigger \"wipe\" on archive")));
        QCOMPARE(kindOf([&] { edit(*refused.current, QStringLiteral("title"), QStringLiteral("X")); }), Kind::Hostile);
        QCOMPARE(titles(*refused.database), (QStringList{"Alien", "Brazil"}));
        refused = {};

        CatalogState allowed;
        allowed.databasePath = path;
        CatalogLoader::Questions yes;
        yes.removeForeignObjects = [](const QString&) { return true; };
        CatalogLoader::open(allowed, yes);
        edit(*allowed.current, QStringLiteral("title"), QStringLiteral("Aliens"));
        QCOMPARE(titles(*allowed.database), (QStringList{"Aliens", "Brazil"}));
        QVERIFY(CatalogIntegrity::foreignObjects(*allowed.database->connection()).empty());
    }

    void damagedFileIsNotWrittenUnlessAllowed()
    {
        const QString path = catalogue({"Alien", "Brazil"});
        // Damage where Quelto does not read: only the check finds it.
        runSql(path, "create table notes (x); insert into notes select hex(randomblob(900)) from genre, genre;");
        int root = 0;
        int pageSize = 0;
        {
            auto db = Database::open(path);
            auto s = db->connection()->prepare(
                QStringLiteral("select rootpage from sqlite_master where name = 'notes'"));
            s->step();
            root = int(s->int64(0));
            auto p = db->connection()->prepare(QStringLiteral("pragma page_size"));
            p->step();
            pageSize = int(p->int64(0));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(qint64(root - 1) * pageSize);
        file.write(QByteArray(64, '\x7f'));
        file.close();

        for (const bool allow : {false, true}) {
            CatalogState state;
            state.databasePath = path;
            CatalogLoader::Questions questions;
            QString report;
            questions.writeToDamagedFile = [&](const QString& found) {
                report = found;
                return allow;
            };
            CatalogLoader::open(state, questions);
            // The check runs beside the opening; the first write waits for
            // it and for the answer.
            const Kind kind = kindOf([&] { edit(*state.current, QStringLiteral("mv_year"), QStringLiteral("1")); });
            QVERIFY(!report.isEmpty());
            QCOMPARE(kind == Kind::Damaged, !allow);
        }
    }

    void backupsAreDatedAndKeptByTheRule()
    {
        const QString path = catalogue({"Alien", "Brazil"});
        const QDateTime day(QDate(2026, 12, 7), QTime(18, 1, 2));
        QCOMPARE(QFileInfo(CatalogBackup::nameFor(path, day)).fileName(),
                 QFileInfo(path).completeBaseName() + QStringLiteral(".backup-2026-12-07-180102.mdb"));
        // One copy a day for ten days, two on one of them, then three quick
        // restarts today.
        for (int i = 10; i >= 1; --i)
            CatalogBackup::make(path, day.addDays(-i));
        CatalogBackup::make(path, day.addDays(-2).addSecs(3600));
        for (int k = 0; k < 3; ++k)
            CatalogBackup::make(path, day.addSecs(20 * k));
        // Kept: the three newest, and the newest of each of the last seven days.
        const auto name = [&](const QDateTime& when) { return CatalogBackup::nameFor(path, when); };
        QStringList expected = {name(day.addSecs(40)), name(day.addSecs(20)), name(day)};
        expected << name(day.addDays(-1)) << name(day.addDays(-2).addSecs(3600));
        for (int i = 3; i <= 6; ++i)
            expected << name(day.addDays(-i));
        QCOMPARE(CatalogBackup::existing(path), expected);
        auto restored = Database::open(expected.first());
        QCOMPARE(titles(*restored), (QStringList{"Alien", "Brazil"}));

        // A second copy in the same second gets a name of its own, and
        // replaces the copy it is told to.
        const QString again = CatalogBackup::make(path, day.addSecs(40), expected.at(1));
        QVERIFY(again.endsWith(QLatin1String("-180142-2.mdb")));
        QCOMPARE(CatalogBackup::existing(path).first(), again);
        QVERIFY(!QFile::exists(expected.at(1)));
        QVERIFY(QFile::exists(expected.at(0)));

        // The hook runs before the first write, copying the state before it.
        auto db = Database::open(path);
        int runs = 0;
        db->connection()->setFirstWriteHook([&] {
            ++runs;
            CatalogBackup::make(path, day.addDays(10));
        });
        auto set = db->openRecordSet(QStringLiteral("select * from archive order by title"));
        edit(*set, QStringLiteral("title"), QStringLiteral("Aliens"));
        edit(*set, QStringLiteral("title"), QStringLiteral("Aliens 2"));
        QCOMPARE(runs, 1);
        auto copy = Database::open(CatalogBackup::nameFor(path, day.addDays(10)));
        QCOMPARE(titles(*copy), (QStringList{"Alien", "Brazil"}));
    }

    void dailyCopiesOutlastHundredsOfSessionsInADay()
    {
        const QString path = catalogue({"Alien"});
        const QDateTime first(QDate(2026, 12, 1), QTime(9, 0));
        // A session a day for a week, then 300 sessions on one day, each of
        // them with a copy of its own, some in the same second.
        for (int d = 0; d < 7; ++d)
            CatalogBackup::make(path, first.addDays(d));
        const QDateTime busy = first.addDays(7);
        QString last;
        for (int k = 0; k < 300; ++k)
            last = CatalogBackup::make(path, busy.addSecs(k / 2));
        const QStringList copies = CatalogBackup::existing(path);
        QCOMPARE(copies.first(), last);
        // The three newest, and one of each of the six days before.
        QCOMPARE(copies.size(), 3 + 6);
        for (int d = 1; d < 7; ++d)
            QVERIFY2(copies.contains(CatalogBackup::nameFor(path, first.addDays(d))), qPrintable(QString::number(d)));
        // A stale half copy with its journal, as a killed copy leaves them, goes with the leftovers.
        const QString stale = CatalogBackup::nameFor(path, busy) + QStringLiteral(".4242.partial");
        QVERIFY(TestFiles::write(stale, "half a copy"));
        QVERIFY(TestFiles::write(stale + QStringLiteral("-journal"), "its journal"));
        QCOMPARE(CatalogBackup::removeLeftovers(path), 2);
        QVERIFY(!QFile::exists(stale + QStringLiteral("-journal")));
    }

    void copyOfAFileEmptiedOrCutShortIsNoBackup()
    {
        QStringList many;
        for (int i = 0; i < 300; ++i)
            many << QStringLiteral("Movie %1").arg(i, 3, 10, QLatin1Char('0'));
        const QString path = catalogue(many);
        const QDateTime day(QDate(2026, 12, 7), QTime(9, 0));
        const QString good = CatalogBackup::make(path, day);
        const QByteArray whole = TestFiles::bytes(path);
        // What an older version left: an empty "copy", newer than the good one.
        const QString empty = CatalogBackup::nameFor(path, day.addSecs(60));
        sqlite3* made = nullptr;
        sqlite3_open(empty.toUtf8().constData(), &made);
        sqlite3_exec(made, "pragma user_version = 1", nullptr, nullptr, nullptr);
        sqlite3_close(made);

        QFile file(path);
        for (const qint64 size : {whole.size() / 2, qint64(0)}) {
            QVERIFY(file.resize(size));
            bool refused = false;
            try {
                CatalogBackup::make(path, day.addSecs(120));
            } catch (const EngineError& error) {
                refused = error.message().contains(QLatin1String("No backup copy"));
            }
            QVERIFY(refused);
            QCOMPARE(CatalogBackup::existing(path), (QStringList{empty, good}));
        }
        QVERIFY(TestFiles::write(path, whole));
        for (int k = 1; k <= 3; ++k)
            CatalogBackup::make(path, day.addSecs(300 * k));
        // Three good ones are the three newest; the empty one was never one.
        const QStringList copies = CatalogBackup::existing(path);
        QCOMPARE(copies.size(), 3);
        QVERIFY(!copies.contains(empty));
        QVERIFY(!QFile::exists(empty));
        const QStringList leftovers = QFileInfo(path).dir().entryList({QStringLiteral("*.partial")});
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u' ')));
        QCOMPARE(CatalogBackup::checkCopy(copies.first()), QString());
    }

    // A first change that fails does not use up the run's copy: the hook
    // runs again for the next one, and no more once a change is stored.
    void firstWriteHookRunsUntilAChangeIsStored()
    {
        const QString path = catalogue({"Alien"});
        auto db = Database::open(path);
        int runs = 0;
        db->connection()->setFirstWriteHook([&] { ++runs; });
        auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tight = saved;
        tight.rlim_cur = 1;
        setrlimit(RLIMIT_FSIZE, &tight);
        const Kind full = kindOf([&] { edit(*set, QStringLiteral("title"), QStringLiteral("Alien 2")); });
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(full, Kind::DiskFull);
        set->cancelUpdate();
        QCOMPARE(runs, 1);
        QVERIFY(!db->connection()->changeStored());
        edit(*set, QStringLiteral("title"), QStringLiteral("Alien 3"));
        QCOMPARE(runs, 2);
        edit(*set, QStringLiteral("title"), QStringLiteral("Alien 4"));
        set->addNew();
        set->setValue(QStringLiteral("title"), QStringLiteral("Brazil"));
        set->update();
        QCOMPARE(runs, 2);
        QCOMPARE(titles(*db), (QStringList{"Alien 4", "Brazil"}));
    }

    void unfinishedCopiesOfEndedRunsAreRemoved()
    {
        const QString path = catalogue({"Alien"});
        const QString stale = CatalogBackup::nameFor(path, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))) +
                              QStringLiteral(".4242.partial");
        QVERIFY(TestFiles::write(stale, "half a copy"));
        QVERIFY(CatalogBackup::existing(path).isEmpty());
        QCOMPARE(CatalogBackup::removeLeftovers(path), 1);
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(path));
    }

    void lockTellsASecondProgramAndOutlivesNoHolder()
    {
        const QString path = catalogue({});
        {
            CatalogLock first(path);
            QVERIFY(first.held());
            CatalogLock second(path);
            QVERIFY(!second.held());
            QVERIFY2(second.otherHolder().contains(QString::number(QCoreApplication::applicationPid())),
                     qPrintable(second.otherHolder()));
        }
        QVERIFY(CatalogLock(path).held());
        // A lock left by a process that has ended is taken over.
        QFile stale(CatalogLock::lockPath(path));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        stale.write("999999\nquelto\n" + QByteArray(host) + "\n");
        stale.close();
        QVERIFY(CatalogLock(path).held());
    }
};

QTEST_GUILESS_MAIN(TestCatalogSafety)
#include "tst_catalog_safety.moc"
