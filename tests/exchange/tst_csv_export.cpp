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
#include "exchange/CsvColumns.h"
#include "exchange/CsvExport.h"
#include "exchange/OrderedLines.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <random>

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
