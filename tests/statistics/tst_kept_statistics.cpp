// The statistics kept between runs: shown again only while the catalogue is
// the file they were counted from, whoever wrote to it and however; a kept
// file that is damaged, foreign or of another format is never trusted; a
// read-only catalogue stays untouched.
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "loans/LoanStore.h"
#include "statistics/CatalogueStamp.h"
#include "statistics/CommandLineStatistics.h"
#include "statistics/KeptStatistics.h"
#include "statistics/KeptStatisticsRefresher.h"
#include "statistics/StatisticsCollector.h"
#include "statistics/StatisticsJson.h"
#include "TestCatalog.h"

#include <QDateTime>
#include <algorithm>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace quelto;
using quelto::test::TestCatalog;
using statistics::CatalogueStamp;
using statistics::KeptStatistics;
using statistics::StatisticsFigures;
using Source = KeptStatistics::Source;

namespace {

const QDate Today(2026, 12, 20);

TestCatalog::Row movie(const QString& title, const QString& tape, const QString& genre, const QString& director)
{
    TestCatalog::Row row = TestCatalog::record(title, tape);
    row[QStringLiteral("mv_genre")] = genre;
    row[QStringLiteral("mv_year")] = QStringLiteral("1948");
    row[QStringLiteral("mv_director")] = director;
    return row;
}

std::shared_ptr<catalog::SqliteConnection> reader(const QString& path)
{
    return catalog::SqliteConnection::open(path, catalog::SqliteConnection::Mode::OpenReadOnly);
}

// The figures as a new run of the program finds them: nothing in memory.
StatisticsFigures opened(const QString& path, Source& source, const QDate& today = Today)
{
    KeptStatistics::forgetMemory();
    return KeptStatistics::collect(*reader(path), today, &source);
}

StatisticsFigures counted(const QString& path, const QDate& today = Today)
{
    return statistics::StatisticsCollector::collect(*reader(path), today);
}

CatalogueStamp stampOf(const QString& path)
{
    const auto stamp = CatalogueStamp::take(*reader(path));
    return stamp ? *stamp : CatalogueStamp{};
}

// Writes through a connection of the stock SQLite library, as another program would.
void writeElsewhere(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

qint64 modified(const QString& path)
{
    QFileInfo info(path);
    info.setCaching(false);
    return info.lastModified().toMSecsSinceEpoch();
}

void setModified(const QString& path, qint64 ms)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::fromMSecsSinceEpoch(ms), QFileDevice::FileModificationTime));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestKeptStatistics : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        KeptStatistics::setLocation(m_dir.filePath(QStringLiteral("kept-%1").arg(QTest::currentTestFunction())));
        m_path = m_dir.filePath(QStringLiteral("kept-%1.mdb").arg(QTest::currentTestFunction()));
        TestCatalog::create(m_path, {movie(QStringLiteral("Key Largo"), QStringLiteral("T1"), QStringLiteral("Film noir"),
                                           QStringLiteral("John Huston")),
                                     movie(QStringLiteral("Dark Passage"), QStringLiteral("T1"), QStringLiteral("Film noir"),
                                           QStringLiteral("Delmer Daves")),
                                     movie(QStringLiteral("Big"), QStringLiteral("D1"), QStringLiteral("Comedy"),
                                           QStringLiteral("Penny Marshall"))});
        auto db = catalog::Database::open(m_path);
        db->connection()->exec(QStringLiteral("alter table archive add column quelto_running_time INTEGER;"
                                              "update archive set quelto_running_time = 100 where title = 'Big';"
                                              "create table quelto_tapes (catalog TEXT, length_minutes INTEGER);"
                                              "insert into quelto_tapes values ('T1', 240), ('D1', 180);"));
        loans::LoanStore loans(*db);
        loans.lend({QStringLiteral("T1"), QStringLiteral("Anna"), QDate(2026, 12, 1), QDate(2026, 12, 25), {}},
                   Today);
    }

    void keptFiguresEqualThePass()
    {
        const StatisticsFigures pass = counted(m_path);
        const auto read = statistics::StatisticsJson::fromJson(statistics::StatisticsJson::toJson(pass));
        QVERIFY(read);
        QVERIFY(*read == pass);

        Source source;
        QVERIFY(opened(m_path, source) == pass);
        QCOMPARE(source, Source::Pass);
        QVERIFY(QFileInfo::exists(KeptStatistics::fileFor(m_path)));
        QVERIFY(KeptStatistics::collect(*reader(m_path), Today, &source) == pass);
        QCOMPARE(source, Source::Memory);
        QVERIFY(opened(m_path, source) == pass);
        QCOMPARE(source, Source::File);
        // The file is named from the catalogue's real path, however it is reached.
        const QString link = m_dir.filePath(QStringLiteral("link.mdb"));
        QVERIFY(QFile::link(m_path, link));
        QCOMPARE(KeptStatistics::fileFor(link), KeptStatistics::fileFor(m_path));
        QVERIFY(opened(link, source) == pass);
        QCOMPARE(source, Source::File);

        // Overdue depends on the day: a later day counts the loans afresh.
        const QDate later(2027, 1, 5);
        const StatisticsFigures afterDue = opened(m_path, source, later);
        QCOMPARE(source, Source::File);
        QCOMPARE(afterDue.tapesOverdue, 1);
        QVERIFY(afterDue == counted(m_path, later));
    }

    void anyWriteMakesThemStale()
    {
        Source source;
        opened(m_path, source);
        QCOMPARE(source, Source::Pass);

        // A save of the program's own.
        {
            auto db = catalog::Database::open(m_path);
            db->connection()->exec(QStringLiteral("update archive set mv_genre = 'Western' where title = 'Big'"));
        }
        QCOMPARE(opened(m_path, source).byGenre.front().name, QStringLiteral("Film noir"));
        QCOMPARE(source, Source::Pass);
        QVERIFY(opened(m_path, source) == counted(m_path));
        QCOMPARE(source, Source::File);

        // Another program's write that leaves size, time and records as they were:
        // the header's change counter tells.
        const CatalogueStamp before = stampOf(m_path);
        const qint64 time = modified(m_path);
        writeElsewhere(m_path, "update archive set mv_genre = 'Drama' where title = 'Big'");
        setModified(m_path, time);
        const CatalogueStamp after = stampOf(m_path);
        QCOMPARE(after.size, before.size);
        QCOMPARE(after.modified, before.modified);
        QCOMPARE(after.records, before.records);
        QCOMPARE(after.records, qint64(counted(m_path).records)); // from the leaves' cell counts
        QCOMPARE(after.changeCounter, before.changeCounter + 1);
        const StatisticsFigures drama = opened(m_path, source);
        QCOMPARE(source, Source::Pass);
        QVERIFY(drama == counted(m_path));
        QVERIFY(std::any_of(drama.byGenre.begin(), drama.byGenre.end(),
                            [](const auto& s) { return s.name == QLatin1String("Drama"); }));
        QCOMPARE(stampOf(m_path), after);

        // A file put back from an older copy, even one whose counter, size and
        // time match the file counted: its records tell.
        const QString older = m_path + QStringLiteral(".older");
        QVERIFY(QFile::copy(m_path, older));
        writeElsewhere(m_path, "delete from archive where title = 'Dark Passage'");
        QCOMPARE(opened(m_path, source).records, 2);
        QCOMPARE(source, Source::Pass);
        const CatalogueStamp newer = stampOf(m_path);
        QByteArray bytes = TestCatalog::fileBytes(older);
        QCOMPARE(bytes.size(), newer.size);
        for (int i = 0; i < 4; ++i)
            bytes[24 + i] = char(newer.changeCounter >> (24 - 8 * i));
        QVERIFY(QFile::remove(m_path));
        writeFile(m_path, bytes);
        setModified(m_path, newer.modified);
        const CatalogueStamp forged = stampOf(m_path);
        QCOMPARE(forged.changeCounter, newer.changeCounter);
        QCOMPARE(forged.modified, newer.modified);
        QCOMPARE(forged.size, newer.size);
        QCOMPARE(opened(m_path, source).records, 3);
        QCOMPARE(source, Source::Pass);
    }

    void untrustedKeptFilesAreIgnoredAndReplaced()
    {
        Source source;
        const StatisticsFigures pass = opened(m_path, source);
        const QString kept = KeptStatistics::fileFor(m_path);
        const QByteArray good = TestCatalog::fileBytes(kept);
        QJsonObject json = QJsonDocument::fromJson(good).object();

        // Another catalogue, identical in every byte, whose kept file is copied in.
        const QString twin = m_dir.filePath(QStringLiteral("twin.mdb"));
        QVERIFY(QFile::copy(m_path, twin));
        setModified(twin, modified(m_path));
        QCOMPARE(stampOf(twin), stampOf(m_path));
        QVERIFY(QFile::copy(kept, KeptStatistics::fileFor(twin)));

        QJsonObject otherFormat = json;
        otherFormat[QStringLiteral("format")] = KeptStatistics::Format + 1;
        QJsonObject wrongType = json;
        QJsonObject figures = json.value(QStringLiteral("figures")).toObject();
        figures[QStringLiteral("records")] = QStringLiteral("3");
        wrongType[QStringLiteral("figures")] = figures;
        QJsonObject noStamp = json;
        noStamp.remove(QStringLiteral("stamp"));
        const QList<QByteArray> untrusted{QByteArray("not a kept file"), good.left(good.size() / 2),
                                          QByteArray(), QJsonDocument(otherFormat).toJson(),
                                          QJsonDocument(wrongType).toJson(), QJsonDocument(noStamp).toJson()};
        for (const QByteArray& bytes : untrusted) {
            writeFile(kept, bytes);
            QVERIFY(opened(m_path, source) == pass);
            QCOMPARE(source, Source::Pass);
            QCOMPARE(TestCatalog::fileBytes(kept), good); // replaced
        }
        opened(twin, source);
        QCOMPARE(source, Source::Pass);

        // Where the cache cannot be written, the figures still come.
        KeptStatistics::setLocation(kept + QStringLiteral("/inside-a-file"));
        QVERIFY(opened(m_path, source) == pass);
        QCOMPARE(source, Source::Pass);
        QVERIFY(!QFileInfo::exists(KeptStatistics::fileFor(m_path)));
    }

    void readOnlyCatalogueStaysUntouched()
    {
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = TestCatalog::fileBytes(m_path);
        const qint64 time = modified(m_path);
        QString first, second, err;
        QTextStream a(&first), b(&second), e(&err);
        KeptStatistics::forgetMemory();
        QCOMPARE(statistics::CommandLineStatistics::run(m_path, a, e, Today), 0);
        QVERIFY(QFileInfo::exists(KeptStatistics::fileFor(m_path)));
        KeptStatistics::forgetMemory();
        QCOMPARE(statistics::CommandLineStatistics::run(m_path, b, e, Today), 0);
        QVERIFY2(err.isEmpty(), qPrintable(err));
        QCOMPARE(first, second);
        QCOMPARE(QJsonDocument::fromJson(second.toUtf8()).object().value(QStringLiteral("records")).toInt(), 3);
        QCOMPARE(TestCatalog::fileBytes(m_path), before);
        QCOMPARE(modified(m_path), time);
        const QStringList beside = QDir(m_dir.path()).entryList({QFileInfo(m_path).fileName() + QLatin1Char('*')});
        QCOMPARE(beside, QStringList{QFileInfo(m_path).fileName()});
    }

    void walCataloguesAreNotKept()
    {
        const QString beside = m_path + QStringLiteral("-wal");
        writeFile(beside, QByteArray());
        QVERIFY(!CatalogueStamp::take(*reader(m_path)));
        QVERIFY(QFile::remove(beside));
        QVERIFY(CatalogueStamp::take(*reader(m_path)));

        writeElsewhere(m_path, "pragma journal_mode = wal");
        Source source;
        QVERIFY(opened(m_path, source) == counted(m_path));
        QCOMPARE(source, Source::Pass);
        opened(m_path, source);
        QCOMPARE(source, Source::Pass);
        QVERIFY(!QFileInfo::exists(KeptStatistics::fileFor(m_path)));
    }

    void windowsChangesAreCountedAgainInTheBackground()
    {
        catalog::CatalogState state;
        state.database = catalog::Database::open(m_path);
        catalog::SqliteConnection& window = *state.database->connection();
        statistics::KeptStatisticsRefresher refresher(state, [] { return false; });
        refresher.fileMayHaveChanged();
        // A catalogue whose statistics were never asked for is left alone.
        window.exec(QStringLiteral("update archive set mv_genre = 'Western' where title = 'Big'"));
        refresher.fileMayHaveChanged();
        QVERIFY(!refresher.isWaiting());

        Source source;
        opened(m_path, source);
        refresher.fileMayHaveChanged(); // a command that changed nothing
        QVERIFY(!refresher.isWaiting());
        window.exec(QStringLiteral("update archive set mv_genre = 'Drama' where title = 'Big'"));
        refresher.fileMayHaveChanged();
        QVERIFY(refresher.isWaiting());
        refresher.refreshNow();
        QVERIFY(refresher.waitFor(20000));
        QVERIFY(opened(m_path, source) == counted(m_path));
        QCOMPARE(source, Source::File);

        // The kept orders written as a run ends change no figure: the kept ones
        // are carried over that one commit, and over nothing more.
        auto carried = KeptStatistics::beforeOwnWrite(window);
        QVERIFY(carried);
        window.exec(QStringLiteral("create table quelto_kept_orders (name TEXT)"));
        KeptStatistics::afterOwnWrite(window, *carried);
        QVERIFY(opened(m_path, source) == counted(m_path));
        QCOMPARE(source, Source::File);
        carried = KeptStatistics::beforeOwnWrite(window);
        QVERIFY(carried);
        window.exec(QStringLiteral("insert into quelto_kept_orders values ('a')"));
        window.exec(QStringLiteral("update archive set mv_genre = 'Western' where title = 'Big'"));
        KeptStatistics::afterOwnWrite(window, *carried);
        QVERIFY(opened(m_path, source) == counted(m_path));
        QCOMPARE(source, Source::Pass);
    }

    void anotherProgramsChangesAreCountedWhenTheCatalogueOpens()
    {
        Source source;
        opened(m_path, source); // the statistics were asked for once
        writeElsewhere(m_path, "update archive set mv_genre = 'Horror' where title = 'Big'");
        {
            catalog::CatalogState state;
            state.database = catalog::Database::open(m_path);
            statistics::KeptStatisticsRefresher refresher(state, [] { return false; });
            refresher.fileMayHaveChanged(); // the catalogue shown
            QVERIFY(refresher.isWaiting());
            refresher.refreshNow();
            QVERIFY(refresher.waitFor(20000));
        }
        QVERIFY(opened(m_path, source) == counted(m_path));
        QCOMPARE(source, Source::File);

        // A catalogue whose statistics were never asked for is not counted on opening.
        QVERIFY(QFile::remove(KeptStatistics::fileFor(m_path)));
        catalog::CatalogState state;
        state.database = catalog::Database::open(m_path);
        statistics::KeptStatisticsRefresher refresher(state, [] { return false; });
        refresher.fileMayHaveChanged();
        QVERIFY(!refresher.isWaiting());
    }
};

QTEST_GUILESS_MAIN(TestKeptStatistics)
#include "tst_kept_statistics.moc"
