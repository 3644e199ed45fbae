// Converting old Access catalogues: every value as mdb-export reads it, the
// recovery and seeding rules, refusal of files that are no catalogue, an old
// file that is never written to, the converter process that a damaged file
// cannot take further than its limits, and what an interrupted conversion
// leaves behind.
#include "TestCatalog.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "exchange/AccessConversion.h"
#include "exchange/AccessConversionProcess.h"
#include "exchange/CommandLineExchange.h"
#include "exchange/ConversionLeftovers.h"
#include "tasks/TaskControl.h"
#include "exchange/CsvReader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <thread>

using namespace quelto;
using catalog::EngineError;
using exchange::AccessConversion;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(QUELTO_TEST_DATA "/access/") + QString::fromLatin1(name);
}

QByteArray checksum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

// The rows of a table of the new file, in the order they were copied.
std::vector<std::vector<QVariant>> rowsOf(const QString& path, const QString& table)
{
    auto db = catalog::Database::open(path);
    auto statement = db->connection()->prepare(QStringLiteral("select * from \"%1\" order by rowid").arg(table));
    std::vector<std::vector<QVariant>> rows;
    while (statement->step()) {
        std::vector<QVariant> row;
        for (int c = 0; c < statement->columnCount(); ++c)
            row.push_back(statement->value(c));
        rows.push_back(row);
    }
    return rows;
}

QString show(const QVariant& v) { return v.isValid() ? QLatin1Char('"') + v.toString() + QLatin1Char('"') : QStringLiteral("Null"); }

// Runs the converter stand-in that misbehaves as mode says, for as long as one holds.
class FakeConverter
{
public:
    explicit FakeConverter(const QByteArray& mode) : m_helper(qgetenv("QUELTO_CONVERT_HELPER"))
    {
        qputenv("QUELTO_CONVERT_HELPER", QUELTO_FAKE_CONVERTER);
        qputenv("QUELTO_FAKE_CONVERTER", mode);
    }
    ~FakeConverter()
    {
        qputenv("QUELTO_CONVERT_HELPER", m_helper);
        qunsetenv("QUELTO_FAKE_CONVERTER");
    }

private:
    QByteArray m_helper;
};

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

// Damage done to a Jet 4 file at its structures, found as a reader finds them.
class JetPatcher
{
public:
    static constexpr int Page = 4096;
    explicit JetPatcher(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    QByteArray& bytes() { return m_bytes; }

    quint32 u32(qint64 at) const { return qFromLittleEndian<quint32>(m_bytes.constData() + at); }
    quint16 u16(qint64 at) const { return qFromLittleEndian<quint16>(m_bytes.constData() + at); }
    void put32(qint64 at, quint32 value) { qToLittleEndian(value, m_bytes.data() + at); }
    void put16(qint64 at, quint16 value) { qToLittleEndian(value, m_bytes.data() + at); }

    // The definition page of the table with this many columns (the archive has 24).
    qint64 definitionWithColumns(int columns) const
    {
        for (qint64 p = 3; p < m_bytes.size() / Page; ++p) {
            if (m_bytes.at(p * Page) == 0x02 && u16(p * Page + 45) == columns)
                return p * Page;
        }
        qFatal("no table of %d columns", columns);
    }
    // The bytes of the map of a table's pages: where they begin and end.
    std::pair<qint64, qint64> usageMap(qint64 definition) const
    {
        const quint32 reference = u32(definition + 55);
        const qint64 page = qint64(reference >> 8) * Page;
        const int slot = int(reference & 0xff);
        const qint64 start = page + (u16(page + 14 + slot * 2) & 0x1fff);
        const qint64 end = slot == 0 ? page + Page : page + (u16(page + 14 + (slot - 1) * 2) & 0x1fff);
        return {start, end};
    }

private:
    QByteArray m_bytes;
};

} // namespace

class TestAccessConversion : public QObject
{
    Q_OBJECT

private slots:
    void everyValueAsMdbExportReadsIt_data();
    void everyValueAsMdbExportReadsIt();
    void olderLayoutGainsItsListsSeeded();
    void fileWithoutArchiveGainsAnEmptyOne();
    void refusedValuesBecomeNull();
    void fileThatIsNoCatalogueIsRefused();
    void neverOverwritesAndCancelLeavesNoFile();
    void largeFileConvertsAndOpens();
    void commandLine();
    void converterProcessReadsAndWrites();
    void damagedFileIsBoundedInTimeAndMemory_data();
    void damagedFileIsBoundedInTimeAndMemory();
    void damagedStructuresAreRefusedBeforeReading_data();
    void damagedStructuresAreRefusedBeforeReading();
    void damagedPropertiesAreNeverFollowed();
    void cancelStopsTheConverterAndLeavesNothing();
    void leftoversOfInterruptedConversionsAreRemoved();

private:
    QTemporaryDir m_dir;
};

void TestAccessConversion::everyValueAsMdbExportReadsIt_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Jet 4") << fixture("jet4-catalogue.mdb");
    QTest::newRow("Access 2002-2003") << fixture("access2003-catalogue.mdb");
}

void TestAccessConversion::everyValueAsMdbExportReadsIt()
{
    QFETCH(QString, file);
    const QByteArray before = checksum(file);
    const QString target = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' ')) + ".mdb");

    AccessConversion conversion(file);
    QVERIFY(conversion.refusedValues().empty());
    QVERIFY(conversion.write(target));
    QCOMPARE(checksum(file), before);
    const exchange::ConversionSummary& summary = conversion.summary();
    QVERIFY(summary.leftOutTables.isEmpty() && summary.created.isEmpty() && summary.seeded.isEmpty());
    QCOMPARE(summary.copied.size(), size_t(15));

    const QStringList tables = QString::fromUtf8(run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), file}))
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(tables.size(), 15);
    for (const QString& table : tables) {
        std::vector<exchange::CsvRecord> expected =
            exchange::CsvReader::parse(run(QStringLiteral("mdb-export"), {file, table}));
        expected.erase(expected.begin()); // the header
        const auto actual = rowsOf(target, table);
        QCOMPARE(actual.size(), expected.size());
        for (size_t r = 0; r < actual.size(); ++r) {
            QCOMPARE(actual[r].size(), expected[r].fields.size());
            for (size_t c = 0; c < actual[r].size(); ++c) {
                const QVariant& want = expected[r].fields[c];
                const QVariant& got = actual[r][c];
                QVERIFY2(want.isValid() == got.isValid() && want.toString() == got.toString(),
                         qPrintable(QStringLiteral("%1 row %2 column %3: %4, mdb-export %5")
                                        .arg(table)
                                        .arg(r + 1)
                                        .arg(c + 1)
                                        .arg(show(got), show(want))));
            }
        }
    }
    // A few values read back by hand, so that a shared decoding fault cannot hide.
    const auto archive = rowsOf(target, QStringLiteral("archive"));
    QCOMPARE(archive[8][23].toString(), QStringLiteral(u"Das \"Boot\" \u2013 Director\u2019s Cut \u20ac (1981)"));
    QVERIFY(!archive[8][2].isValid());
    QCOMPARE(archive[1][19].toString(), QStringLiteral(" "));
    QCOMPARE(archive[0][12].toString(), QStringLiteral("Drama "));
    QCOMPARE(archive[3][22].toString(), QStringLiteral(u"Toshir\u014d Mifune"));
    const auto genre = rowsOf(target, QStringLiteral("genre"));
    QCOMPARE(genre[0][0].toString(), QStringLiteral("Film noir"));
    QCOMPARE(genre[0][1].toInt(), 1);
}

void TestAccessConversion::olderLayoutGainsItsListsSeeded()
{
    const QString target = m_dir.filePath(QStringLiteral("old-layout.mdb"));
    AccessConversion conversion(fixture("jet4-old-layout.mdb"));
    QVERIFY(conversion.write(target));
    const QStringList lists = {QStringLiteral("produce"), QStringLiteral("book"), QStringLiteral("music"),
                               QStringLiteral("cast")};
    QCOMPARE(conversion.summary().created, lists);
    QCOMPARE(conversion.summary().seeded, lists);
    for (const QString& list : lists) {
        const auto rows = rowsOf(target, list);
        const auto& seeds = catalog::CatalogSchema::optionList(list).seeds;
        QCOMPARE(rows.size(), seeds.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i][0].toString(), seeds[i].text);
            QCOMPARE(rows[i][1].toInt(), seeds[i].ordinal);
        }
    }
    QCOMPARE(test::TestCatalog::rowCount(target, QStringLiteral("archive")), 10);
    QVERIFY(conversion.summary().text().contains(QStringLiteral("produce, book, music, cast")));
}

void TestAccessConversion::fileWithoutArchiveGainsAnEmptyOne()
{
    const QString target = m_dir.filePath(QStringLiteral("no-archive.mdb"));
    AccessConversion conversion(fixture("jet4-no-archive.mdb"));
    QVERIFY(conversion.write(target));
    QCOMPARE(conversion.summary().created, QStringList{QStringLiteral("archive")});
    catalog::CatalogState state;
    state.databasePath = target;
    catalog::CatalogLoader::open(state);
    QVERIFY(state.current->bof() && state.current->eof());
    QCOMPARE(state.optionSet(QStringLiteral("genre")).recordCount(), 7);
}

void TestAccessConversion::refusedValuesBecomeNull()
{
    exchange::AccessTable genre;
    genre.columns = QStringList{QStringLiteral("Text"), QStringLiteral("Ordinal"), QStringLiteral("Remark")};
    genre.rows = {{QStringLiteral("Drama"), QStringLiteral(" 2"), QString()},
                  {QString(), 40000, QStringLiteral("x")},
                  {QString(256, QLatin1Char('y')), QVariant(), QVariant()},
                  {QString(255, QLatin1Char('z')), QStringLiteral("two"), QVariant()},
                  {QStringLiteral("Dra") + QChar(0) + QStringLiteral("ma"), 5, QVariant()}};
    const auto refused = AccessConversion::refuseInvalidValues(QStringLiteral("genre"), genre);
    QStringList seen;
    for (const exchange::RefusedValue& v : refused)
        seen << QStringLiteral("%1 %2 %3: %4").arg(v.table).arg(v.row).arg(v.column, v.reason);
    QCOMPARE(seen, (QStringList{QStringLiteral("genre 2 Text: empty text"),
                                QStringLiteral("genre 2 Ordinal: \"40000\" is no whole number from -32768 to 32767"),
                                QStringLiteral("genre 3 Text: text of 256 characters, more than 255"),
                                QStringLiteral("genre 4 Ordinal: \"two\" is no whole number from -32768 to 32767"),
                                QStringLiteral("genre 5 Text: a NUL character in the text")}));
    QCOMPARE(genre.rows[0][1], QVariant(qlonglong(2)));
    QVERIFY(!genre.rows[1][0].isValid() && !genre.rows[1][1].isValid());
    QVERIFY(!genre.rows[2][0].isValid());
    QCOMPARE(genre.rows[3][0].toString().size(), 255);
    QCOMPARE(genre.rows[0][2], QVariant(QString())); // a column left out is not judged
    QVERIFY(exchange::ConversionSummary::describe(refused, 1).contains(QStringLiteral("genre, row 2, column Text")));
}

void TestAccessConversion::fileThatIsNoCatalogueIsRefused()
{
    const QString file = fixture("jet3-not-a-catalogue.mdb");
    const QByteArray before = checksum(file);
    try {
        AccessConversion conversion(file);
        QFAIL("a file without catalogue tables was accepted");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("not a Quelto catalogue")) &&
                     error.message().contains(QStringLiteral("Table1")),
                 qPrintable(error.message()));
    }
    QCOMPARE(checksum(file), before);
    QVERIFY_THROWS_EXCEPTION(EngineError, AccessConversion(m_dir.filePath(QStringLiteral("none.mdb"))));
}

void TestAccessConversion::neverOverwritesAndCancelLeavesNoFile()
{
    AccessConversion conversion(fixture("jet4-catalogue.mdb"));
    const QString existing = m_dir.filePath(QStringLiteral("existing.mdb"));
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    QVERIFY_THROWS_EXCEPTION(EngineError, conversion.write(existing));
    QCOMPARE(test::TestCatalog::fileBytes(existing), QByteArray("keep me"));

    const QString target = m_dir.filePath(QStringLiteral("cancelled.mdb"));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    int calls = 0;
    QVERIFY(!conversion.write(target, [&](int done, int total) {
        ++calls;
        return done < total;
    }));
    QVERIFY(calls >= 2);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);

    const QString suggested = AccessConversion::suggestedTarget(existing);
    QCOMPARE(QFileInfo(suggested).absolutePath(), QFileInfo(existing).absolutePath());
    QVERIFY(!QFileInfo::exists(suggested));
    QVERIFY(conversion.write(suggested));
    QVERIFY(AccessConversion::suggestedTarget(existing) != suggested);
}

void TestAccessConversion::largeFileConvertsAndOpens()
{
    const QString target = m_dir.filePath(QStringLiteral("large.mdb"));
    AccessConversion conversion(fixture("jet4-5000.mdb"));
    QCOMPARE(conversion.totalRows(), 5069);
    QVERIFY(conversion.write(target));
    catalog::CatalogState state;
    state.databasePath = target;
    catalog::CatalogLoader::open(state);
    QCOMPARE(state.current->recordCount(), 5010);
}

void TestAccessConversion::commandLine()
{
    QString output;
    QString errors;
    QTextStream out(&output);
    QTextStream err(&errors);
    const QString target = m_dir.filePath(QStringLiteral("command-line.mdb"));
    using exchange::CommandLineExchange;
    QCOMPARE(CommandLineExchange::importAccess(fixture("jet4-old-layout.mdb"), target, false, out, err), 0);
    QVERIFY(output.contains(QStringLiteral("archive 10")));
    const QByteArray made = checksum(target);

    // A second run refuses to touch the file it made; so do files that are no catalogue.
    QCOMPARE(CommandLineExchange::importAccess(fixture("jet4-catalogue.mdb"), target, false, out, err), 1);
    QVERIFY(errors.contains(QStringLiteral("exists already")));
    QCOMPARE(checksum(target), made);
    const QString other = m_dir.filePath(QStringLiteral("other.mdb"));
    QCOMPARE(CommandLineExchange::importAccess(fixture("jet3-not-a-catalogue.mdb"), other, false, out, err), 1);
    QCOMPARE(CommandLineExchange::importAccess(target, other, false, out, err), 1);
    QVERIFY(!QFileInfo::exists(other));

    const QString csv = m_dir.filePath(QStringLiteral("all.csv"));
    QCOMPARE(CommandLineExchange::exportCsv(target, csv, out, err), 0);
    const auto records = exchange::CsvReader::parse(test::TestCatalog::fileBytes(csv));
    QCOMPARE(records.size(), size_t(11));
    QCOMPARE(records[1].fields[23].toString(), QStringLiteral("Casablanca (1942)")); // ordered by title
    QCOMPARE(CommandLineExchange::exportCsv(fixture("jet4-catalogue.mdb"), csv, out, err), 1);
}

void TestAccessConversion::converterProcessReadsAndWrites()
{
    const QString file = fixture("jet4-catalogue.mdb");
    const QByteArray before = checksum(file);
    exchange::AccessConversionProcess converter(file);
    tasks::TaskControl progress;
    const exchange::ConversionPlan plan = converter.plan(&progress);
    QCOMPARE(plan.format, QStringLiteral("Jet 4"));
    QCOMPARE(plan.totalRows, AccessConversion(file).totalRows());
    QCOMPARE(plan.refusedCount, 0);

    const QString folder = m_dir.filePath(QStringLiteral("process"));
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(QStringLiteral("new.mdb"));
    const exchange::ConversionSummary summary = converter.write(target, &progress);
    QCOMPARE(summary.newPath, target);
    QCOMPARE(summary.copied.size(), size_t(15));
    QCOMPARE(progress.snapshot().done, plan.totalRows);
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("new.mdb")});
    QCOMPARE(test::TestCatalog::rowCount(target, QStringLiteral("archive")), 10);
    QCOMPARE(checksum(file), before);
    // Never over an existing file; a file that is no catalogue is refused with the reader's reason.
    QVERIFY_THROWS_EXCEPTION(EngineError, converter.write(target));
    try {
        exchange::AccessConversionProcess(fixture("jet3-not-a-catalogue.mdb")).plan();
        QFAIL("a file without catalogue tables was accepted");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("not a Quelto catalogue")), qPrintable(error.message()));
    }
}

void TestAccessConversion::damagedFileIsBoundedInTimeAndMemory_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("crash") << QByteArray("crash") << QStringLiteral("stop abnormally (signal 11)");
    QTest::newRow("endless") << QByteArray("hang") << QStringLiteral("took longer than 2 seconds");
    QTest::newRow("stuck") << QByteArray("silent") << QStringLiteral("made no progress for 1 seconds");
    QTest::newRow("memory") << QByteArray("grow") << QStringLiteral("more than the 256 MB of memory");
    QTest::newRow("no answer") << QByteArray("mute") << QStringLiteral("without an answer");
    QTest::newRow("scratch") << QByteArray("scratch") << QStringLiteral("took longer than 2 seconds");
}

void TestAccessConversion::damagedFileIsBoundedInTimeAndMemory()
{
    QFETCH(QByteArray, mode);
    QFETCH(QString, reason);
    const FakeConverter fake(mode);
    const QString folder = m_dir.filePath(QStringLiteral("damaged-") + QString::fromLatin1(mode));
    QDir().mkpath(folder);
    exchange::ConversionLeftovers::setLocation(QDir(folder).filePath(QStringLiteral("notes")));
    exchange::ConversionLimits limits;
    limits.seconds = mode == "grow" ? 60 : 2; // filling memory takes a while on a busy machine
    limits.stallSeconds = mode == "silent" ? 1 : limits.seconds;
    limits.memoryBytes = 256LL << 20;
    exchange::AccessConversionProcess converter(fixture("jet4-catalogue.mdb"), limits);
    const QString target = QDir(folder).filePath(QStringLiteral("new.mdb"));
    for (int step = 0; step < 2; ++step) {
        try {
            if (step == 0)
                converter.plan();
            else
                converter.write(target);
            QFAIL("a misbehaving converter was taken at its word");
        } catch (const EngineError& error) {
            QCOMPARE(error.kind(), EngineError::Kind::Damaged);
            QVERIFY2(error.message().contains(QStringLiteral("appears to be damaged")) && error.message().contains(reason),
                     qPrintable(error.message()));
        }
    }
    // Nothing at the target, no scratch file, no note of a conversion under way.
    QCOMPARE(filesIn(folder), QStringList());
    QCOMPARE(filesIn(QDir(folder).filePath(QStringLiteral("notes"))), QStringList());
}

void TestAccessConversion::damagedStructuresAreRefusedBeforeReading_data()
{
    QTest::addColumn<QByteArray>("damage");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut inside a page") << QByteArray("cut-inside") << QStringLiteral("cut short");
    QTest::newRow("cut at a page, the archive's data gone") << QByteArray("cut-at-page")
                                                            << QStringLiteral("lies outside the file");
    QTest::newRow("a row count past what the pages hold") << QByteArray("rows") << QStringLiteral("records 2147483647 rows");
    QTest::newRow("the map of pages lost: rows would go missing") << QByteArray("map-cleared")
                                                                   << QStringLiteral("records 10 rows, but its pages hold 0");
    QTest::newRow("the map of pages past the end") << QByteArray("map-past") << QStringLiteral("lies outside the file");
    QTest::newRow("a map page past the end") << QByteArray("map-page-past") << QStringLiteral("past the end of the file");
    QTest::newRow("a definition that continues past the end") << QByteArray("next-past")
                                                              << QStringLiteral("continues past the end");
    QTest::newRow("a definition that continues on itself") << QByteArray("next-self") << QStringLiteral("runs in a circle");
    QTest::newRow("more columns than the definition holds") << QByteArray("columns")
                                                            << QStringLiteral("more columns and indexes");
    QTest::newRow("the list of tables wiped") << QByteArray("table-list") << QStringLiteral("holds no table definition");
    QTest::newRow("the list of tables' row count") << QByteArray("table-list-rows") << QStringLiteral("records 4294967295 rows");
    QTest::newRow("an unknown version") << QByteArray("version") << QStringLiteral("no known version");
}

// A file whose structures lie is refused by the converter before the reading
// library follows them, as damaged, with nothing left behind, the file untouched.
void TestAccessConversion::damagedStructuresAreRefusedBeforeReading()
{
    QFETCH(QByteArray, damage);
    QFETCH(QString, reason);
    JetPatcher file(test::TestCatalog::fileBytes(fixture("jet4-catalogue.mdb")));
    const qint64 archive = file.definitionWithColumns(24);
    const auto [mapStart, mapEnd] = file.usageMap(archive);
    QCOMPARE(file.bytes().at(mapStart), char(1)); // a map of map pages in this file
    if (damage == "cut-inside")
        file.bytes().chop(1000);
    else if (damage == "cut-at-page")
        file.bytes().truncate(archive + JetPatcher::Page);
    else if (damage == "rows")
        file.put32(archive + 16, 0x7fffffff);
    else if (damage == "map-cleared")
        std::fill(file.bytes().begin() + mapStart + 1, file.bytes().begin() + mapEnd, '\0');
    else if (damage == "map-past")
        file.put32(archive + 55, 0x00ffff00);
    else if (damage == "map-page-past")
        file.put32(mapStart + 1, 0x00ffffff);
    else if (damage == "next-past")
        file.put32(archive + 4, 0x00ffffff);
    else if (damage == "next-self")
        file.put32(archive + 4, quint32(archive / JetPatcher::Page));
    else if (damage == "columns")
        file.put16(archive + 45, 0xffff);
    else if (damage == "table-list")
        std::fill(file.bytes().begin() + 2 * JetPatcher::Page, file.bytes().begin() + 3 * JetPatcher::Page, '\0');
    else if (damage == "table-list-rows")
        file.put32(2 * JetPatcher::Page + 16, 0xffffffff);
    else if (damage == "version")
        file.put32(0x14, 77);
    const QString folder = m_dir.filePath(QStringLiteral("structure-") + QString::fromLatin1(damage));
    QDir().mkpath(folder);
    exchange::ConversionLeftovers::setLocation(QDir(folder).filePath(QStringLiteral("notes")));
    const QString old = QDir(folder).filePath(QStringLiteral("old.mdb"));
    {
        QFile out(old);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.bytes());
    }
    const QByteArray before = checksum(old);
    exchange::AccessConversionProcess converter(old);
    for (int step = 0; step < 2; ++step) {
        try {
            if (step == 0)
                converter.plan();
            else
                converter.write(QDir(folder).filePath(QStringLiteral("new.mdb")));
            QFAIL("a damaged file was converted");
        } catch (const EngineError& error) {
            QCOMPARE(error.kind(), EngineError::Kind::Damaged);
            QVERIFY2(error.message().contains(QStringLiteral("appears to be damaged")) && error.message().contains(reason),
                     qPrintable(error.message()));
        }
    }
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("old.mdb")});
    QCOMPARE(checksum(old), before);
}

// The objects' property blobs are no part of a table's rows: a blob whose
// record claims length 0 (on which mdbtools' reading of the table list loops
// for ever) leaves the conversion as it was.
void TestAccessConversion::damagedPropertiesAreNeverFollowed()
{
    JetPatcher file(test::TestCatalog::fileBytes(fixture("jet4-catalogue.mdb")));
    int blobs = 0;
    for (qsizetype at = 0; (at = file.bytes().indexOf(QByteArray("MR2\0", 4), at)) >= 0; at += 4, ++blobs)
        file.put32(at + 4, 0);
    QVERIFY(blobs > 0);
    const QString old = m_dir.filePath(QStringLiteral("properties.mdb"));
    {
        QFile out(old);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.bytes());
    }
    exchange::ConversionLimits limits;
    limits.seconds = 20;
    limits.stallSeconds = 20;
    limits.memoryBytes = 512LL << 20;
    const exchange::ConversionPlan plan = exchange::AccessConversionProcess(old, limits).plan();
    QCOMPARE(plan.totalRows, AccessConversion(fixture("jet4-catalogue.mdb")).totalRows());
    QCOMPARE(plan.refusedCount, 0);
}

void TestAccessConversion::cancelStopsTheConverterAndLeavesNothing()
{
    const FakeConverter fake("scratch");
    const QString folder = m_dir.filePath(QStringLiteral("cancel"));
    QDir().mkpath(folder);
    exchange::ConversionLeftovers::setLocation(QDir(folder).filePath(QStringLiteral("notes")));
    exchange::AccessConversionProcess converter(fixture("jet4-catalogue.mdb"));
    tasks::TaskControl progress;
    std::thread cancel([&progress, folder] {
        // Cancel once the converter has begun its scratch file.
        for (int i = 0; i < 1000 && !QFileInfo::exists(QDir(folder).filePath(QStringLiteral("new.mdb.converting"))); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        progress.cancel();
    });
    QVERIFY_THROWS_EXCEPTION(tasks::TaskCancelled, converter.write(QDir(folder).filePath(QStringLiteral("new.mdb")), &progress));
    cancel.join();
    QCOMPARE(filesIn(folder), QStringList());
    QCOMPARE(filesIn(QDir(folder).filePath(QStringLiteral("notes"))), QStringList());
}

void TestAccessConversion::leftoversOfInterruptedConversionsAreRemoved()
{
    const QString folder = m_dir.filePath(QStringLiteral("killed"));
    const QString data = QDir(folder).filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    exchange::ConversionLeftovers::setLocation(QDir(data).filePath(QStringLiteral("quelto/conversions")));

    // A conversion killed half-way, as by a power cut: the program and its converter die.
    const QString old = QDir(folder).filePath(QStringLiteral("big.mdb"));
    QVERIFY(QFile::copy(fixture("jet4-5000.mdb"), old));
    const QString target = QDir(folder).filePath(QStringLiteral("new.mdb"));
    const QString scratch = target + QStringLiteral(".converting");
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUELTO_PROGRAM), {QStringLiteral("--import-access"), old, target});
    QVERIFY(program.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(scratch) && clock.elapsed() < 60000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QVERIFY2(QFileInfo::exists(scratch), "the conversion never began its scratch file");
    ::kill(pid_t(program.processId()), SIGKILL);
    program.waitForFinished();
    QVERIFY(!QFileInfo::exists(target));

    // Another conversion still running, and a note that names a file no conversion makes.
    const QString running = QDir(folder).filePath(QStringLiteral("other.mdb.converting"));
    test::TestCatalog::create(running);
    const QString precious = QDir(folder).filePath(QStringLiteral("precious.mdb"));
    test::TestCatalog::create(precious);
    {
        exchange::ConversionLeftovers forged(precious);
        QDir notes(exchange::ConversionLeftovers::location());
        QFile::copy(notes.filePath(notes.entryList({QStringLiteral("*.note")}).first()),
                    notes.filePath(QStringLiteral("forged.note")));
    }
    const exchange::ConversionLeftovers underWay(running);

    const QStringList removed = exchange::ConversionLeftovers::removeStale();
    QVERIFY2(removed.contains(scratch), qPrintable(removed.join(QLatin1Char(' '))));
    QVERIFY(!QFileInfo::exists(scratch) && !QFileInfo::exists(scratch + QStringLiteral("-journal")));
    QVERIFY(QFileInfo::exists(running));
    QVERIFY(QFileInfo::exists(precious));
    QCOMPARE(QDir(exchange::ConversionLeftovers::location()).entryList({QStringLiteral("*.note")}).size(), 1);
    // The next conversion to the same name goes ahead as if nothing had happened.
    QString output;
    QString errors;
    QTextStream out(&output);
    QTextStream err(&errors);
    QCOMPARE(exchange::CommandLineExchange::importAccess(old, target, false, out, err), 0);
    QCOMPARE(test::TestCatalog::rowCount(target, QStringLiteral("archive")), 5010);
}

QTEST_GUILESS_MAIN(TestAccessConversion)
#include "tst_access_conversion.moc"
