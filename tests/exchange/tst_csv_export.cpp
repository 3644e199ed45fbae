// CSV export in the window's order: the records read in the file's order and
// put back in the order asked for give the very bytes that reading them one
// by one gives, whether the file is read in one pass or by key, with rows
// gone meanwhile, and with the lines spilled to a temporary file on the way.
#include "TestCatalog.h"
#include "catalog/ArchiveReader.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/TapeStore.h"
#include "exchange/CommandLineExchange.h"
#include "collection/CoverPicture.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvCoverFolder.h"
#include "exchange/CsvExport.h"
#include "exchange/OrderedLines.h"

#include <QBuffer>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quelto;

namespace {

QStringList columnsOf(const QString& path)
{
    auto db = catalog::Database::open(path);
    return exchange::CsvColumns::namesIn(*db->connection());
}

// The records read one at a time, each by its key, in the order given.
QByteArray oneByOne(const QString& path, const std::vector<qint64>& keys)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    catalog::ArchiveReader rows(path, columnsOf(path));
    rows.readKeys(keys);
    exchange::CsvExport::write(rows, buffer);
    return buffer.data();
}

QByteArray inOrder(const QString& path, const std::vector<qint64>& keys)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    catalog::ArchiveReader rows(path, columnsOf(path));
    exchange::CsvExport::write(rows, keys, buffer);
    return buffer.data();
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT

private slots:
    void exportKeepsTheOrderAskedForByteForByte();
    void exportBeyondTheFileSizeLimitSaysSo();
    void killedExportsCoverFolderGoesAtTheNextStart();

private:
    QTemporaryDir m_dir;
};

void TestCsvExport::exportKeepsTheOrderAskedForByteForByte()
{
    const QStringList hostile = {QStringLiteral("\"quoted\""), QStringLiteral("a,b"), QStringLiteral("one\r\ntwo"),
                                 QStringLiteral(u"Österreich ō € 😀"), QStringLiteral("\"\""),
                                 QStringLiteral("  spaced  "), QStringLiteral("plain")};
    QList<test::TestCatalog::Row> rows;
    for (int i = 0; i < 40; ++i) {
        test::TestCatalog::Row row = test::TestCatalog::record(QStringLiteral("Movie %1").arg(i, 2, 10, QLatin1Char('0')),
                                                               QStringLiteral("T%1").arg(i % 7));
        row[QStringLiteral("mv_director")] = hostile.at(i % hostile.size());
        row[QStringLiteral("mv_cast3")] = hostile.at((i * 3) % hostile.size());
        if (i % 5 == 0)
            row.remove(QStringLiteral("mv_book")); // Null
        rows << row;
    }
    test::TestCatalog::Row sparse;
    sparse[QStringLiteral("catalog")] = QStringLiteral("H006");
    sparse[QStringLiteral("md_type")] = QStringLiteral("Hi8");
    sparse[QStringLiteral("title")] = QStringLiteral("Sparse");
    rows << sparse;
    const QString path = m_dir.filePath(QStringLiteral("order.mdb"));
    test::TestCatalog::create(path, rows);
    {
        // Own columns (a price as a number, a tape's length), and a row gone.
        auto db = catalog::Database::open(path);
        catalog::SqliteConnection& connection = *db->connection();
        catalog::WriteTransaction transaction(connection);
        QVERIFY(collection::CollectorSchema::ensure(*db));
        connection.exec(QStringLiteral("update archive set quelto_price = 12.5, quelto_running_time = 95 where rowid % 3 = 0"));
        collection::TapeStore::setLength(connection, QStringLiteral("T2"), 180);
        connection.exec(QStringLiteral("delete from archive where rowid = 17"));
        transaction.commit();
    }

    // Every key, shuffled, the gone one among them: read in one pass.
    std::vector<qint64> keys;
    for (qint64 key = 1; key <= 41; ++key)
        keys.push_back(key);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(24));
    const QByteArray expected = oneByOne(path, keys);
    QCOMPARE(inOrder(path, keys), expected);
    QVERIFY(expected.startsWith("\"catalog\",\"md_type\","));
    QVERIFY(expected.contains("\"12.5\""));
    QVERIFY(expected.contains(",\"180\""));
    QVERIFY(expected.contains("\"Sparse\","));
    QVERIFY(expected.contains(",\"\"\"\"\"\","));  // a text of two quotes
    QCOMPARE(expected.count("\r\n\"T") + expected.count("\r\n\"H"), 40); // 41 keys, one row gone
    QVERIFY(expected.endsWith("\r\n"));

    // A few keys (under a sixteenth of the rows): read each by its key, in the file's order.
    const std::vector<qint64> few = {33, 17}; // the second one gone
    QCOMPARE(inOrder(path, few), oneByOne(path, few));
    QCOMPARE(inOrder(path, {}), oneByOne(path, {}));

    // Into a file: the same bytes, and nothing left beside it.
    const QString folder = m_dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(folder));
    const QString csv = QDir(folder).filePath(QStringLiteral("order.csv"));
    {
        catalog::ArchiveReader reader(path, columnsOf(path));
        QCOMPARE(exchange::CsvExport::writeFile(reader, keys, csv), 40);
    }
    QCOMPARE(test::TestCatalog::fileBytes(csv), expected);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("order.csv")});

    // Many records: the lines go through a temporary file part by part and
    // come back in order; a place without a line is passed over.
    const QString spill = m_dir.filePath(QStringLiteral("spill"));
    QVERIFY(QDir().mkpath(spill));
    std::vector<qint64> places;
    for (qint64 place = 0; place < 11; ++place) {
        if (place != 4)
            places.push_back(place);
    }
    std::shuffle(places.begin(), places.end(), std::mt19937(7));
    const auto lineOf = [](qint64 place) { return QByteArray(1100000 + int(place), char('a' + place)); };
    {
        exchange::OrderedLines lines(11, m_dir.filePath(QStringLiteral("no such folder")), 3);
        QVERIFY_THROWS_EXCEPTION(catalog::EngineError, for (const qint64 place : places) lines.add(place, lineOf(place)));
    }
    QList<QByteArray> handed;
    {
        exchange::OrderedLines lines(11, spill, 3);
        for (const qint64 place : places)
            lines.add(place, lineOf(place));
        QCOMPARE(lines.handOut([&handed](QByteArrayView line) { handed << line.toByteArray(); }, nullptr), 10);
    }
    QCOMPARE(handed.size(), 10);
    for (qsizetype i = 0; i < handed.size(); ++i)
        QCOMPARE(handed.at(i), lineOf(i < 4 ? i : i + 1));
    QVERIFY(QDir(spill).entryList(QDir::Files).isEmpty());
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csv_export.moc"

void TestCsvExport::exportBeyondTheFileSizeLimitSaysSo()
{
    QList<test::TestCatalog::Row> rows;
    for (int i = 0; i < 400; ++i)
        rows << test::TestCatalog::record(QStringLiteral("Movie %1").arg(i), QStringLiteral("T%1").arg(i));
    const QString path = m_dir.filePath(QStringLiteral("limit.mdb"));
    test::TestCatalog::create(path, rows);
    const QString csv = m_dir.filePath(QStringLiteral("limit.csv"));
    const QString said = m_dir.filePath(QStringLiteral("said.txt"));

    // A child under a file size limit of 32 KB exports; it tells what it said.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{32 * 1024, 32 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = exchange::CommandLineExchange::exportCsv(path, csv, o, e);
        e.flush();
        FILE* file = std::fopen(said.toLocal8Bit().constData(), "w");
        if (file) {
            std::fputs(err.toUtf8().constData(), file);
            std::fclose(file);
        }
        _exit(code);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 1);
    const QString message = QString::fromUtf8(test::TestCatalog::fileBytes(said));
    QVERIFY2(message.contains(QLatin1String("larger than the largest file")), qPrintable(message));
    QVERIFY2(!message.contains(QLatin1String("Unknown error")), qPrintable(message));
    QVERIFY(!QFileInfo::exists(csv));
}

void TestCsvExport::killedExportsCoverFolderGoesAtTheNextStart()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("QueltoTest"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_csv_export"));
    QSettings().clear();
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::optional<collection::CoverPicture> picture = collection::CoverPicture::fromImage(image, nullptr);
    QVERIFY(picture);
    const QString folder = m_dir.filePath(QStringLiteral("killed"));
    QVERIFY(QDir().mkpath(folder));
    const QString csv = QDir(folder).filePath(QStringLiteral("movies.csv"));
    const QString partial = QDir(folder).filePath(QStringLiteral("movies-covers.partial"));

    // An export killed after its first picture leaves its folder behind.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        exchange::CsvCoverFolder covers(csv);
        covers.write(7, *picture);
        std::_Exit(0); // as a kill would: nothing tidied
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(QFileInfo(partial).isDir());

    // An export under way in this process is left alone; the killed one's folder goes.
    exchange::CsvCoverFolder running(QDir(folder).filePath(QStringLiteral("other.csv")));
    running.write(8, *picture);
    QCOMPARE(exchange::CsvCoverFolder::removeLeftovers(), 1);
    QVERIFY(!QFileInfo::exists(partial));
    QVERIFY(QFileInfo(QDir(folder).filePath(QStringLiteral("other-covers.partial"))).isDir());
    running.commit();
    QVERIFY(QFileInfo(QDir(folder).filePath(QStringLiteral("other-covers"))).isDir());
    QCOMPARE(exchange::CsvCoverFolder::removeLeftovers(), 0);
    QVERIFY(!QSettings().contains(QStringLiteral("Exchange/UnfinishedCoverFolders")));
}
