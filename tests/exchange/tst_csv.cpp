// CSV in and out: the reader's quoting rules and line numbers, the header
// matching and row checks of an import, a round trip of every column, rows
// that are in the catalogue already, and an import that goes through the
// catalogue's write checks or is cancelled.
#include "TestCatalog.h"
#include "catalog/ArchiveReader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvReader.h"
#include "catalog/SqliteConnection.h"
#include "exchange/CsvColumns.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "collection/SourceStore.h"
#include "collection/TapeStore.h"
#include "exchange/CsvCoverFolder.h"
#include "tasks/TaskControl.h"

#include <QImage>

#include <QBuffer>
#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using catalog::EngineError;
using exchange::CsvImport;
using exchange::CsvReader;

namespace {

const QString Null = QStringLiteral("<Null>");

// Records as "line: field|field", Null fields as <Null>.
QStringList flatten(const std::vector<exchange::CsvRecord>& records)
{
    QStringList lines;
    for (const exchange::CsvRecord& record : records) {
        QStringList fields;
        for (const QVariant& field : record.fields)
            fields << (field.isValid() ? field.toString() : Null);
        lines << QStringLiteral("%1: %2").arg(record.line).arg(fields.join(QLatin1Char('|')));
    }
    return lines;
}

std::vector<std::vector<QVariant>> archiveRows(const QString& path)
{
    auto db = catalog::Database::open(path);
    auto set = db->openRecordSet(catalog::CatalogSchema::ArchiveQuery);
    std::vector<std::vector<QVariant>> rows;
    for (; !set->eof(); set->moveNext()) {
        std::vector<QVariant> row;
        for (const QString& column : catalog::CatalogSchema::archiveColumns())
            row.push_back(set->value(column));
        rows.push_back(row);
    }
    return rows;
}

QVariant column(const std::vector<QVariant>& row, const char* name)
{
    return row[size_t(catalog::CatalogSchema::archiveColumns().indexOf(QString::fromLatin1(name)))];
}

// An import of a text, checked against the catalogue at path (none when empty).
CsvImport checked(const QByteArray& csv, const QString& path = {})
{
    CsvImport import = CsvImport::fromBytes(csv);
    import.check(path);
    return import;
}

qint64 appendTo(const QString& path, CsvImport& import, CsvImport::Duplicates duplicates = CsvImport::Duplicates::Skip)
{
    auto db = catalog::Database::open(path);
    return import.append(*db, duplicates);
}

QByteArray exportAll(const QString& path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    auto db = catalog::Database::open(path);
    catalog::ArchiveReader rows(path, exchange::CsvColumns::namesIn(*db->connection()));
    rows.readAll();
    exchange::CsvExport::write(rows, buffer);
    return buffer.data();
}

QByteArray checksum(const QString& path)
{
    return QCryptographicHash::hash(test::TestCatalog::fileBytes(path), QCryptographicHash::Sha256);
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT

private slots:
    void readerQuotingAndLines_data();
    void readerQuotingAndLines();
    void readerRefusesMalformedFiles_data();
    void readerRefusesMalformedFiles();
    void roundTripOfEveryColumnWithHostileTexts();
    void headerMatchesNamesAndCaptions();
    void refusedRowsAreListedAndOnlyGoodOnesStored();
    void readerStreamsLargeFilesInBlocks();
    void nulCharactersAreNeverStored();
    void rowsAlreadyStoredAreFoundAndSkipped();
    void importGoesThroughTheWriteChecks();
    void cancelledOrChangedImportStoresNothing();
    void duplicatesAmongManyRowsAreComparedWhole();
    void personalFieldsAndCoversMakeTheRoundTrip();
    void badPersonalValuesAndStrayCoversAreReported();
    void blankFieldsAreWrittenEmptyAndComeBackBlank();
    void pageAddressesAndBilledCastsMakeTheRoundTrip();

private:
    QTemporaryDir m_dir;
};

void TestCsv::readerQuotingAndLines_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("records");
    QTest::newRow("CR LF") << QByteArray("a,b\r\nc,d\r\n") << QStringList{"1: a|b", "2: c|d"};
    QTest::newRow("quotes and commas") << QByteArray("\"a \"\"q\"\" b\",\"x,y\"\n")
                                       << QStringList{"1: a \"q\" b|x,y"};
    QTest::newRow("line breaks in fields") << QByteArray("\"l1\r\nl2\",z\r\n\"m\nn\",1\nlast,2")
                                           << QStringList{"1: l1\r\nl2|z", "3: m\nn|1", "5: last|2"};
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF\"a\",b\n") << QStringList{"1: a|b"};
    QTest::newRow("Null and empty text") << QByteArray(",\"\",x,\n")
                                         << QStringList{QStringLiteral("1: %1||x|%1").arg(Null)};
    QTest::newRow("spaces kept") << QByteArray(" a , b ,\"  \"\n") << QStringList{"1:  a | b |  "};
    QTest::newRow("blank lines and lone CR") << QByteArray("a\n\n\r\nb\rc\r") << QStringList{"1: a", "4: b", "5: c"};
    QTest::newRow("UTF-8") << QByteArray("\xC3\x96sterreich,\xE2\x82\xAC\n") << QStringList{u"1: Österreich|€"_qs};
}

void TestCsv::readerQuotingAndLines()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, records);
    QCOMPARE(flatten(CsvReader::parse(csv)), records);
}

void TestCsv::readerRefusesMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("message");
    QTest::newRow("quote inside a bare field") << QByteArray("a,b\nc,d\"e\n") << QStringLiteral("Line 2");
    QTest::newRow("text after a closing quote") << QByteArray("a\n\"b\"c\n") << QStringLiteral("Line 2");
    QTest::newRow("unclosed quote") << QByteArray("a\n\"b,\nc\n") << QStringLiteral("line 2");
    QTest::newRow("not UTF-8") << QByteArray("a\nb\n\xD6sterreich\n") << QStringLiteral("Line 3");
}

void TestCsv::readerRefusesMalformedFiles()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    try {
        CsvReader::parse(csv);
        QFAIL("a malformed file was read");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestCsv::roundTripOfEveryColumnWithHostileTexts()
{
    const QStringList hostile = {
        QStringLiteral("\"quoted\""), QStringLiteral("a,b"), QStringLiteral("one\r\ntwo"), QStringLiteral("one\ntwo"),
        QStringLiteral("cr\ronly"), QStringLiteral(" "), QStringLiteral("  spaced  "), QStringLiteral("=1+2"),
        QStringLiteral(u"\uFEFFmark"), QStringLiteral("\"\""), QStringLiteral(","), QStringLiteral("\""),
        QStringLiteral(u"Österreich ō € 😀"), QString(255, QLatin1Char('x')), QStringLiteral("tab\there"),
        QStringLiteral("semi;colon"), QStringLiteral("'apostrophe'"), QStringLiteral("\\back\\slash"),
        QStringLiteral("<b>&amp;</b>"), QStringLiteral("NULL"), QStringLiteral("trailing\n"),
        QStringLiteral("\"a\",\"b\""), QStringLiteral("#comment"), QStringLiteral("last"),
    };
    const QStringList& columns = catalog::CatalogSchema::archiveColumns();
    QList<test::TestCatalog::Row> rows;
    for (int shift = 0; shift < 3; ++shift) {
        test::TestCatalog::Row row;
        for (qsizetype c = 0; c < columns.size(); ++c)
            row[columns.at(c)] = hostile.at((c + shift * 7) % hostile.size());
        rows << row;
    }
    test::TestCatalog::Row sparse; // a record with Nulls, as converted catalogues have
    sparse[QStringLiteral("catalog")] = QStringLiteral("H006");
    sparse[QStringLiteral("md_type")] = QStringLiteral("Hi8");
    sparse[QStringLiteral("title")] = QStringLiteral("Sparse");
    rows << sparse;
    const QString source = m_dir.filePath(QStringLiteral("source.mdb"));
    test::TestCatalog::create(source, rows);

    const QByteArray csv = exportAll(source);
    QVERIFY(csv.startsWith("\"catalog\",\"md_type\","));
    QCOMPARE(CsvReader::parse(csv)[0].fields.size(), size_t(24)); // a catalogue without own data: the 24
    QVERIFY(csv.contains(",,,"));
    QCOMPARE(CsvReader::parse(csv).size(), size_t(5));

    const QString copy = m_dir.filePath(QStringLiteral("copy.mdb"));
    test::TestCatalog::create(copy);
    CsvImport import = checked(csv, copy);
    QVERIFY2(import.refusedRows().empty(), qPrintable(CsvImport::describe(import.refusedRows())));
    QVERIFY(import.ignoredColumns().isEmpty());
    QCOMPARE(import.duplicateCount(), 0);
    QCOMPARE(appendTo(copy, import), 4);
    const auto expected = archiveRows(source);
    const auto actual = archiveRows(copy);
    QCOMPARE(actual.size(), expected.size());
    for (size_t r = 0; r < actual.size(); ++r) {
        for (size_t c = 0; c < actual[r].size(); ++c) {
            QCOMPARE(actual[r][c].isValid(), expected[r][c].isValid());
            QCOMPARE(actual[r][c].toString(), expected[r][c].toString());
        }
    }
}

void TestCsv::headerMatchesNamesAndCaptions()
{
    const QByteArray csv = "Title,CATALOG, Director ,Sound,Sound,Cast,Cast,IMDb-Rating,Year,Remarks\r\n"
                           "\"T1\",\"C1\",\"Dir\",\"Stereo\",\"Mono\",\"Lead\",\"Second\",\"\",,\"x\"\r\n";
    CsvImport import = checked(csv);
    QCOMPARE(import.ignoredColumns(), QStringList{QStringLiteral("Remarks")});
    QCOMPARE(import.acceptedCount(), 1);
    const QString path = m_dir.filePath(QStringLiteral("captions.mdb"));
    test::TestCatalog::create(path);
    appendTo(path, import);
    const std::vector<QVariant> row = archiveRows(path).at(0);
    QCOMPARE(column(row, "title").toString(), QStringLiteral("T1"));
    QCOMPARE(column(row, "catalog").toString(), QStringLiteral("C1"));
    QCOMPARE(column(row, "mv_director").toString(), QStringLiteral("Dir"));
    QCOMPARE(column(row, "md_sound").toString(), QStringLiteral("Stereo"));
    QCOMPARE(column(row, "mv_sound").toString(), QStringLiteral("Mono"));
    // The window's first cast box shows mv_cast6.
    QCOMPARE(column(row, "mv_cast6").toString(), QStringLiteral("Lead"));
    QCOMPARE(column(row, "mv_cast1").toString(), QStringLiteral("Second"));
    // An empty rating becomes "unknown" as in the window; a bare empty field and
    // a column the file lacks stay Null.
    QCOMPARE(column(row, "mv_rating").toString(), QStringLiteral("unknown"));
    QVERIFY(!column(row, "mv_year").isValid());
    QVERIFY(!column(row, "md_type").isValid());
    QVERIFY(!column(row, "mv_cast2").isValid());

    QVERIFY_THROWS_EXCEPTION(EngineError, checked("catalog,director\n\"A\",\"B\"\n"));
    QVERIFY_THROWS_EXCEPTION(EngineError, checked("title,genre\n\"A\",\"B\"\n"));
    QVERIFY_THROWS_EXCEPTION(EngineError, checked("title,catalog,Title\n"));
    QVERIFY_THROWS_EXCEPTION(EngineError, checked(""));
}

void TestCsv::refusedRowsAreListedAndOnlyGoodOnesStored()
{
    const QByteArray csv = "catalog,title,mv_genre,mv_director\n"
                           "\"A1\",\"Good one\",\"\",\"Lang\"\n"         // 2
                           "\"A2\",,\"Drama\",\"Wilder\"\n"              // 3: no title
                           "\"A3\",\"Multi\nline\",\"Drama\",\"x\"\n"    // 4-5: good
                           "\"A4\",\"Short\",\"Drama\"\n"                // 6: a field short
                           ",\"No ID\",\"Drama\",\"x\"\n"                // 7: no catalogue ID
                           "\"A5\",\"Long\",\"" +
                           QByteArray(256, 'g') +
                           "\",\"x\"\n"                                  // 8: too long
                           "\"A6\",\"Good two\",,\n";                    // 9
    CsvImport import = checked(csv);
    QCOMPARE(import.acceptedCount(), 3);
    const std::vector<exchange::RefusedRow>& refused = import.refusedRows();
    QCOMPARE(refused.size(), size_t(4));
    QCOMPARE(refused[0].line, 3);
    QCOMPARE(refused[0].reason, QStringLiteral("no title"));
    QCOMPARE(refused[1].line, 6);
    QVERIFY(refused[1].reason.contains(QStringLiteral("3 fields")));
    QCOMPARE(refused[2].line, 7);
    QCOMPARE(refused[3].line, 8);
    QVERIFY(refused[3].reason.contains(QStringLiteral("mv_genre is 256 characters")));
    QVERIFY(CsvImport::describe(refused, 2).endsWith(QStringLiteral("... and 2 more.")));

    const QString path = m_dir.filePath(QStringLiteral("refused.mdb"));
    test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Already there"))});
    QCOMPARE(appendTo(path, import), 3);
    const auto rows = archiveRows(path);
    QCOMPARE(rows.size(), size_t(4));
    QCOMPARE(column(rows[1], "mv_genre").toString(), QStringLiteral(" "));
    QCOMPARE(column(rows[2], "title").toString(), QStringLiteral("Multi\nline"));
    QCOMPARE(column(rows[3], "title").toString(), QStringLiteral("Good two"));
    QVERIFY(!column(rows[3], "mv_genre").isValid());
}

void TestCsv::readerStreamsLargeFilesInBlocks()
{
    // Rows of 100 bytes; the CR LF of one row falls across the first block's end.
    QByteArray csv = "a,b\r\n";
    const QByteArray filler(93, 'x');
    int rows = 1; // the filler rows and the one whose CR ends the block
    for (; csv.size() < 65535 - 200; ++rows)
        csv += "\"" + filler + "\",1\r\n";
    csv += QByteArray(65533 - csv.size(), 'y') + ",2\r\n"; // the CR is the block's last byte
    QCOMPARE(csv.size(), 65537);
    QCOMPARE(csv.at(65535), '\r');
    csv += "\"over\r\nthe edge\",3\r\nlast,4";
    const std::vector<exchange::CsvRecord> records = CsvReader::parse(csv);
    QCOMPARE(int(records.size()), 1 + rows + 2);
    QCOMPARE(records[size_t(rows)].fields.at(1).toString(), QStringLiteral("2"));
    QCOMPARE(records[size_t(rows) + 1].line, rows + 2);
    QCOMPARE(records[size_t(rows) + 1].fields.at(0).toString(), QStringLiteral("over\r\nthe edge"));
    QCOMPARE(records.back().line, rows + 4);

    // A quote never closed does not make the reader hold the rest of a large file.
    QByteArray open = "a,b\n1,\"" + QByteArray(3 << 20, 'z');
    try {
        CsvReader::parse(open);
        QFAIL("an endless field was read");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("line 2")) && error.message().contains(QStringLiteral("1 MB")),
                 qPrintable(error.message()));
    }
    try {
        CsvReader::parse(QByteArray("\xFF\xFEt\0i\0", 6));
        QFAIL("UTF-16 was read");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("UTF-16")), qPrintable(error.message()));
    }
}

void TestCsv::nulCharactersAreNeverStored()
{
    const char raw[] = "catalog,title,mv_director\n"
                       "\"A1\",\"Ti\0tle\",\"x\"\n"
                       "\"A2\",\"Good\",\"d\0\"\n"
                       "A3,Fine,y\n"
                       "\"A\0\",,\n";
    const QByteArray csv(raw, sizeof raw - 1);
    CsvImport import = checked(csv);
    QCOMPARE(import.acceptedCount(), 1);
    const std::vector<exchange::RefusedRow>& refused = import.refusedRows();
    QCOMPARE(refused.size(), size_t(3));
    QCOMPARE(refused[0].line, 2);
    QCOMPARE(refused[0].reason, QStringLiteral("title holds a NUL character"));
    QCOMPARE(refused[1].line, 3);
    QCOMPARE(refused[1].reason, QStringLiteral("mv_director holds a NUL character"));
    QCOMPARE(refused[2].line, 5);
    QCOMPARE(refused[2].reason, QStringLiteral("no title; catalog holds a NUL character"));

    const QString path = m_dir.filePath(QStringLiteral("nul.mdb"));
    test::TestCatalog::create(path);
    QCOMPARE(appendTo(path, import), 1);
    auto db = catalog::Database::open(path);
    auto statement = db->connection()->prepare(QStringLiteral(
        "select count(*) from archive where instr(title, char(0)) or instr(mv_director, char(0)) or instr(catalog, char(0))"));
    QVERIFY(statement->step());
    QCOMPARE(statement->value(0).toInt(), 0);
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("archive")), 1);

    // A UTF-16 file without a byte order mark: every other byte is NUL.
    const QByteArray utf16("t\0i\0t\0l\0e\0,\0c\0a\0t\0a\0l\0o\0g\0\n\0", 28);
    try {
        checked(utf16);
        QFAIL("a UTF-16 header was taken");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("UTF-16")), qPrintable(error.message()));
    }
}

void TestCsv::rowsAlreadyStoredAreFoundAndSkipped()
{
    test::TestCatalog::Row sparse;
    sparse[QStringLiteral("catalog")] = QStringLiteral("H006");
    sparse[QStringLiteral("title")] = QStringLiteral("Sparse");
    const QString path = m_dir.filePath(QStringLiteral("twice.mdb"));
    test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Casablanca"), QStringLiteral("V001")),
                                     test::TestCatalog::record(QStringLiteral("Vertigo"), QStringLiteral("V002")),
                                     sparse});
    QByteArray csv = exportAll(path);
    // Not the same: another case, a trailing blank, an empty text where Null is stored.
    const QByteArray nulls(22, ',');
    csv += "\"V001\"," + nulls + "\"casablanca\"\r\n";
    csv += "\"V003\"," + nulls + "\"Vertigo \"\r\n";
    csv += "\"H006\",,,,,,\"\"," + QByteArray(16, ',') + "\"Sparse\"\r\n"; // mv_country " ", not Null

    CsvImport first = checked(csv, path);
    QCOMPARE(first.acceptedCount(), 6);
    QCOMPARE(first.duplicateCount(), 3);
    QCOMPARE(first.toStore(CsvImport::Duplicates::Skip), 3);
    QCOMPARE(appendTo(path, first), 3);
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("archive")), 6);
    QCOMPARE(first.lastStoredKey() - first.firstStoredKey(), 2);

    // The same file again: every row is in the catalogue now.
    CsvImport again = checked(csv, path);
    QCOMPARE(again.duplicateCount(), 6);
    QCOMPARE(appendTo(path, again), 0);
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("archive")), 6);
    // ... unless the user wants them all.
    QCOMPARE(appendTo(path, again, CsvImport::Duplicates::Add), 6);
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("archive")), 12);
    // Without a catalogue to compare with, nothing counts as stored already.
    QCOMPARE(checked(csv).duplicateCount(), 0);
}

void TestCsv::importGoesThroughTheWriteChecks()
{
    const QByteArray csv = "catalog,title\nN1,New one\nN2,New two\n";
    const QString path = m_dir.filePath(QStringLiteral("checked.mdb"));
    test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Stored"))});

    // Writes barred (a foreign trigger the user kept, a damaged file): not one byte changes.
    QByteArray before = checksum(path);
    {
        auto db = catalog::Database::open(path);
        db->connection()->refuseWrites(EngineError(EngineError::Kind::Hostile, QStringLiteral("barred")));
        CsvImport import = checked(csv, path);
        try {
            import.append(*db);
            QFAIL("the import wrote to a barred catalogue");
        } catch (const EngineError& error) {
            QCOMPARE(error.kind(), EngineError::Kind::Hostile);
        }
    }
    QCOMPARE(checksum(path), before);

    // A read-only file.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    {
        CsvImport import = checked(csv, path);
        auto db = catalog::Database::open(path);
        QVERIFY_THROWS_EXCEPTION(EngineError, import.append(*db));
    }
    QCOMPARE(checksum(path), before);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    // The backup (the first-write hook) runs once, before anything is stored.
    int hookRuns = 0;
    int rowsAtHook = -1;
    {
        auto db = catalog::Database::open(path);
        db->connection()->setFirstWriteHook([&] {
            ++hookRuns;
            rowsAtHook = test::TestCatalog::rowCount(path, QStringLiteral("archive"));
        });
        CsvImport import = checked(csv, path);
        QCOMPARE(import.append(*db), 2);
    }
    QCOMPARE(hookRuns, 1);
    QCOMPARE(rowsAtHook, 1);
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("archive")), 3);
}

void TestCsv::cancelledOrChangedImportStoresNothing()
{
    QByteArray csv = "catalog,title\n";
    for (int i = 0; i < 3000; ++i)
        csv += "C" + QByteArray::number(i) + ",Title " + QByteArray::number(i) + "\n";
    const QString path = m_dir.filePath(QStringLiteral("cancel.mdb"));
    test::TestCatalog::create(path, {test::TestCatalog::record(QStringLiteral("Stored"))});
    const QByteArray before = checksum(path);

    CsvImport import = checked(csv, path);
    QCOMPARE(import.acceptedCount(), 3000);
    tasks::TaskControl progress;
    progress.cancel();
    {
        auto db = catalog::Database::open(path);
        QVERIFY_THROWS_EXCEPTION(tasks::TaskCancelled, import.append(*db, CsvImport::Duplicates::Skip, &progress));
        QVERIFY(!db->connection()->inTransaction());
    }
    QCOMPARE(checksum(path), before);

    // A file that changes between reading and storing is not half imported.
    const QString file = m_dir.filePath(QStringLiteral("changing.csv"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(csv);
    }
    CsvImport fromFile(file);
    fromFile.check(path);
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::Append));
        out.write("Z1,One more\n");
    }
    try {
        appendTo(path, fromFile);
        QFAIL("a changed file was imported");
    } catch (const EngineError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("changed")), qPrintable(error.message()));
    }
    QCOMPARE(checksum(path), before);
}

void TestCsv::duplicatesAmongManyRowsAreComparedWhole()
{
    const QByteArray header = "catalog,mv_director,title\r\n";
    const auto line = [](int i, const char* director) {
        return "M" + QByteArray::number(i) + "," + director + ",Title " + QByteArray::number(i) + "\r\n";
    };
    // Stored: every tenth of the rows below, half of them with another director.
    QByteArray stored = header;
    for (int i = 0; i < 2000; i += 10)
        stored += line(i, i % 20 == 0 ? "Same" : "Other");
    const QString path = m_dir.filePath(QStringLiteral("many.mdb"));
    test::TestCatalog::create(path, {});
    CsvImport first = checked(stored, path);
    QCOMPARE(appendTo(path, first), 200);

    // 2,000 rows over several batches, a refused one (no title) every 97th:
    // the stored ones with the same director are skipped, the others are new
    // although media ID and title are those of a stored record.
    QByteArray csv = header;
    int refused = 0;
    for (int i = 0; i < 2000; ++i) {
        if (i % 97 == 5) {
            csv += "X" + QByteArray::number(i) + ",Nobody,\r\n";
            ++refused;
        }
        csv += line(i, "Same");
    }
    CsvImport import = checked(csv, path);
    QCOMPARE(import.refusedCount(), refused);
    QCOMPARE(import.acceptedCount(), 2000);
    QCOMPARE(import.duplicateCount(), 100); // the stored records directed by "Same"
    QCOMPARE(appendTo(path, import), 1900);
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("archive")), 2100);
    auto db = catalog::Database::open(path);
    const auto copies = [&db](const char* media) {
        auto count = db->connection()->prepare(QStringLiteral("select count(*) from archive where catalog = ?"));
        count->bind(1, QString::fromLatin1(media));
        return count->step() ? count->int64(0) : -1;
    };
    QCOMPARE(copies("M20"), 1);   // stored with "Same" already
    QCOMPARE(copies("M30"), 2);   // stored with "Other": the file's row is another record
    QCOMPARE(copies("M1999"), 1); // the last row
    db.reset();

    // A file that breaks off in a malformed line is refused as a whole.
    CsvImport broken = CsvImport::fromBytes(csv + "M1,\"unclosed\r\n");
    QVERIFY_THROWS_EXCEPTION(EngineError, broken.check(path));
    // Cancel while the stored records are being read.
    tasks::TaskControl progress;
    progress.cancel();
    CsvImport cancelled = CsvImport::fromBytes(csv);
    QVERIFY_THROWS_EXCEPTION(tasks::TaskCancelled, cancelled.check(path, &progress));
}

namespace {

QByteArray pngOf(QColor colour)
{
    QImage image(40, 60, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

QVariant ownValue(const QString& path, const QString& title, const char* column)
{
    auto db = catalog::Database::open(path);
    auto query = db->connection()->prepare(QStringLiteral("select %1 from archive where title = ?").arg(QLatin1String(column)));
    query->bind(1, title);
    return query->step() ? query->value(0) : QVariant();
}

} // namespace

void TestCsv::personalFieldsAndCoversMakeTheRoundTrip()
{
    const QString source = m_dir.filePath(QStringLiteral("personal.mdb"));
    test::TestCatalog::create(source, {test::TestCatalog::record(QStringLiteral("Rated"), QStringLiteral("P1")),
                                       test::TestCatalog::record(QStringLiteral("Plain"), QStringLiteral("P2"))});
    const QByteArray picture = pngOf(Qt::darkRed);
    {
        auto db = catalog::Database::open(source);
        catalog::SqliteConnection& connection = *db->connection();
        catalog::WriteTransaction transaction(connection);
        QVERIFY(collection::CollectorSchema::ensure(*db));
        connection.exec(QStringLiteral(
            "update archive set quelto_id = 7, quelto_my_rating = 3.5, quelto_seen = 'seen', "
            "quelto_notes = 'first line, \"quoted\"' || char(10) || 'second', quelto_location = 'Shelf 2', "
            "quelto_purchased = '2019-03-01', quelto_price = 12.5, quelto_condition = 'Worn', "
            "quelto_running_time = 95, quelto_speed = 'LP' where title = 'Rated'"));
        connection.exec(QStringLiteral("update archive set quelto_id = 8, quelto_seen = '2024-05-31', quelto_my_rating = 4 where title = 'Plain'"));
        collection::CoverStore::store(connection, 7, *collection::CoverPicture::prepare(picture, nullptr));
        collection::TapeStore::setLength(connection, QStringLiteral("P1"), 240);
        transaction.commit();
    }
    // Exported with covers: the 24, the own columns, the tape's length, then the cover's file.
    const QString csvPath = m_dir.filePath(QStringLiteral("out/personal.csv"));
    QDir().mkpath(QFileInfo(csvPath).absolutePath());
    {
        auto db = catalog::Database::open(source);
        catalog::ArchiveReader rows(source, exchange::CsvColumns::namesIn(*db->connection()));
        rows.readAll();
        exchange::CsvCoverFolder covers(csvPath);
        QCOMPARE(exchange::CsvExport::writeFile(rows, csvPath, nullptr, &covers), 2);
        QCOMPARE(covers.written(), 1);
    }
    const std::vector<exchange::CsvRecord> written = CsvReader::parse(test::TestCatalog::fileBytes(csvPath));
    QCOMPARE(written[0].fields.size(), size_t(24 + 10 + 1 + 1));
    QCOMPARE(written[0].fields[24].toString(), QStringLiteral("quelto_id"));
    QCOMPARE(written[1].fields[34].toString(), QStringLiteral("240"));
    QCOMPARE(written[0].fields.back().toString(), QStringLiteral("cover"));
    QCOMPARE(written[1].fields.back().toString(), QStringLiteral("personal-covers/7.png"));
    QVERIFY(!written[2].fields.back().isValid());
    QCOMPARE(test::TestCatalog::fileBytes(m_dir.filePath(QStringLiteral("out/personal-covers/7.png"))), picture);
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("out/personal-covers.partial"))));

    // Into a catalogue that never held own data: it gains the storage, the
    // values, the identities and the cover.
    const QString copy = m_dir.filePath(QStringLiteral("personal-copy.mdb"));
    test::TestCatalog::create(copy, {test::TestCatalog::record(QStringLiteral("Older"), QStringLiteral("O1"))});
    CsvImport import(csvPath);
    import.check(copy);
    QVERIFY2(import.refusedRows().empty(), qPrintable(CsvImport::describe(import.refusedRows())));
    QCOMPARE(appendTo(copy, import), 2);
    QVERIFY(import.changedSchema());
    QCOMPARE(import.storedCovers(), 1);
    for (const char* column : {"quelto_id", "quelto_my_rating", "quelto_seen", "quelto_notes", "quelto_location",
                               "quelto_purchased", "quelto_price", "quelto_condition", "quelto_running_time",
                               "quelto_speed"})
        QCOMPARE(ownValue(copy, QStringLiteral("Rated"), column).toString(),
                 ownValue(source, QStringLiteral("Rated"), column).toString());
    QCOMPARE(ownValue(copy, QStringLiteral("Plain"), "quelto_seen").toString(), QStringLiteral("2024-05-31"));
    QVERIFY(!ownValue(copy, QStringLiteral("Plain"), "quelto_price").isValid());
    {
        auto db = catalog::Database::open(copy);
        QCOMPARE(collection::CoverStore::load(*db->connection(), 7)->bytes(), picture);
        QCOMPARE(collection::TapeStore::length(*db->connection(), QStringLiteral("P1")), 240);
        QVERIFY(!collection::TapeStore::length(*db->connection(), QStringLiteral("P2")));
    }
    QCOMPARE(checked("catalog,title,Tape length\nT1,Too long,5000\n").refusedCount(), 1);
    // Again into the same catalogue: identical rows; added all the same, they
    // get identities of their own, and the cover goes with the new one.
    CsvImport again(csvPath);
    again.check(copy);
    QCOMPARE(again.duplicateCount(), 2);
    QCOMPARE(appendTo(copy, again, CsvImport::Duplicates::Add), 2);
    auto db = catalog::Database::open(copy);
    auto ids = db->connection()->prepare(QStringLiteral("select count(distinct quelto_id) from archive where title = 'Rated'"));
    QVERIFY(ids->step());
    QCOMPARE(ids->int64(0), 2);
    QCOMPARE(test::TestCatalog::rowCount(copy, QStringLiteral("quelto_covers")), 2);
}

void TestCsv::badPersonalValuesAndStrayCoversAreReported()
{
    QDir folder(m_dir.filePath(QStringLiteral("stray")));
    QVERIFY(folder.mkpath(QStringLiteral("covers")));
    QFile good(folder.filePath(QStringLiteral("covers/good.png")));
    QVERIFY(good.open(QIODevice::WriteOnly));
    good.write(pngOf(Qt::darkBlue));
    good.close();
    QFile text(folder.filePath(QStringLiteral("covers/notes.png")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    QFile outside(m_dir.filePath(QStringLiteral("outside.png")));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write(pngOf(Qt::black));
    outside.close();

    const QString csvPath = folder.filePath(QStringLiteral("bad.csv"));
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("catalog,title,My rating,Seen,Purchased,Price,Running time,Play speed,cover\n"
              "B1,Seven stars,7,,,,,,\n"                 // 2
              "B2,No such day,,2024-02-31,,,,,\n"         // 3
              "B3,Negative,,,,-3,,,\n"                    // 4
              "B4,Too long,,,,,5000,,\n"                  // 5
              "B5,Odd speed,,,,,,XP,\n"                   // 6
              "B6,Fine,4.5,seen,31.12.2001,\"1,234.50\",1:35,lp,covers/good.png\n" // 7
              "B7,Escapes,,,,,,,../outside.png\n"         // 8
              "B8,Absolute,,,,,,,/etc/hostname\n"         // 9
              "B9,Missing,,,,,,,covers/none.png\n"        // 10
              "B10,Not a picture,,,,,,,covers/notes.png\n");
    csv.close();

    const QString path = m_dir.filePath(QStringLiteral("bad.mdb"));
    test::TestCatalog::create(path);
    CsvImport import(csvPath);
    import.check(path);
    const std::vector<exchange::RefusedRow>& refused = import.refusedRows();
    QCOMPARE(refused.size(), size_t(5));
    const QStringList expected = {QStringLiteral("quelto_my_rating"), QStringLiteral("quelto_seen"),
                                  QStringLiteral("quelto_price"), QStringLiteral("quelto_running_time"),
                                  QStringLiteral("quelto_speed")};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(refused[size_t(i)].line, i + 2);
        QVERIFY2(refused[size_t(i)].reason.startsWith(expected[i] + QStringLiteral(": ")),
                 qPrintable(refused[size_t(i)].reason));
    }
    QCOMPARE(appendTo(path, import), 5);
    QCOMPARE(import.storedCovers(), 1);
    QCOMPARE(import.leftOutCoverCount(), 4);
    const std::vector<exchange::RefusedRow>& covers = import.leftOutCovers();
    QCOMPARE(covers[0].line, 8);
    QVERIFY(covers[0].reason.contains(QStringLiteral("outside")));
    QCOMPARE(covers[1].line, 9);
    QVERIFY(covers[1].reason.contains(QStringLiteral("relative")));
    QCOMPARE(covers[2].line, 10);
    QCOMPARE(covers[3].line, 11);
    QVERIFY(covers[3].reason.contains(QStringLiteral("not a picture")));
    // The good row's values as the window stores them.
    QCOMPARE(ownValue(path, QStringLiteral("Fine"), "quelto_my_rating").toDouble(), 4.5);
    QCOMPARE(ownValue(path, QStringLiteral("Fine"), "quelto_seen").toString(), QStringLiteral("seen"));
    QCOMPARE(ownValue(path, QStringLiteral("Fine"), "quelto_purchased").toString(), QStringLiteral("2001-12-31"));
    QCOMPARE(ownValue(path, QStringLiteral("Fine"), "quelto_price").toDouble(), 1234.5);
    QCOMPARE(ownValue(path, QStringLiteral("Fine"), "quelto_running_time").toInt(), 95);
    QCOMPARE(ownValue(path, QStringLiteral("Fine"), "quelto_speed").toString(), QStringLiteral("LP"));
    // Every stored row has an identity, the one with the cover among them.
    QCOMPARE(test::TestCatalog::rowCount(path, QStringLiteral("quelto_covers")), 1);
    auto db = catalog::Database::open(path);
    auto missing = db->connection()->prepare(QStringLiteral("select count(*) from archive where quelto_id is null"));
    QVERIFY(missing->step());
    QCOMPARE(missing->int64(0), 0);

    // A file of the 24 leaves a catalogue without own data as it was.
    const QString plain = m_dir.filePath(QStringLiteral("plain.mdb"));
    test::TestCatalog::create(plain);
    CsvImport only24 = checked("catalog,title\nC1,Plain\n", plain);
    QCOMPARE(appendTo(plain, only24), 1);
    QVERIFY(!only24.changedSchema());
    QVERIFY(!test::TestCatalog::tables(plain).contains(QStringLiteral("quelto_covers")));
}

// The form stores an empty movie field as one space: the file shows it as
// an empty field, and an import stores the space again. Null stays Null, and
// a space in a field that is no movie field stays a space.
void TestCsv::blankFieldsAreWrittenEmptyAndComeBackBlank()
{
    const QString source = m_dir.filePath(QStringLiteral("blank.mdb"));
    test::TestCatalog::Row row = test::TestCatalog::record(QStringLiteral("Blank"), QStringLiteral("B1"));
    row[QStringLiteral("mv_genre")] = QStringLiteral(" ");
    row[QStringLiteral("mv_director")] = QStringLiteral(" ");
    row[QStringLiteral("mv_rating")] = QStringLiteral(" ");
    row[QStringLiteral("md_language")] = QStringLiteral(" ");
    test::TestCatalog::create(source, {row});
    const QByteArray csv = exportAll(source);
    const std::vector<exchange::CsvRecord> records = CsvReader::parse(csv);
    QStringList header;
    for (const QVariant& name : records[0].fields)
        header << name.toString();
    const auto field = [&](const char* name) { return records[1].fields[size_t(header.indexOf(QLatin1String(name)))]; };
    QCOMPARE(field("mv_genre").toString(), QString());
    QVERIFY(field("mv_genre").isValid()); // the empty text, not Null
    QCOMPARE(field("mv_director").toString(), QString());
    QCOMPARE(field("mv_rating").toString(), QStringLiteral(" ")); // an empty rating would come back "unknown"
    QCOMPARE(field("md_language").toString(), QStringLiteral(" "));

    const QString copy = m_dir.filePath(QStringLiteral("blank-copy.mdb"));
    test::TestCatalog::create(copy);
    CsvImport import = checked(csv, copy);
    QCOMPARE(appendTo(copy, import), 1);
    const auto expected = archiveRows(source);
    const auto actual = archiveRows(copy);
    for (size_t c = 0; c < actual[0].size(); ++c) {
        QCOMPARE(actual[0][c].isValid(), expected[0][c].isValid());
        QCOMPARE(actual[0][c].toString(), expected[0][c].toString());
    }
}

void TestCsv::pageAddressesAndBilledCastsMakeTheRoundTrip()
{
    const QString source = m_dir.filePath(QStringLiteral("sources.mdb"));
    test::TestCatalog::create(source, {test::TestCatalog::record(QStringLiteral("Grabbed"), QStringLiteral("S1")),
                                       test::TestCatalog::record(QStringLiteral("Typed"), QStringLiteral("S2"))});
    const collection::RecordSource kept{QStringLiteral("https://www.imdb.com/title/tt0468569/"),
                                        {{QStringLiteral("Christian Bale"), QStringLiteral("Bruce Wayne")},
                                         {QStringLiteral("Heath Ledger"), QStringLiteral("Joker, \"the\" clown")},
                                         {QStringLiteral("Extra"), QString()}}};
    {
        auto db = catalog::Database::open(source);
        catalog::SqliteConnection& connection = *db->connection();
        catalog::WriteTransaction transaction(connection);
        QVERIFY(collection::CollectorSchema::ensure(*db));
        connection.exec(QStringLiteral("update archive set quelto_id = 3 where title = 'Grabbed'"));
        connection.exec(QStringLiteral("update archive set quelto_id = 4 where title = 'Typed'"));
        collection::SourceStore::store(connection, 3, kept);
        transaction.commit();
    }
    // The address and the billed cast follow the tape's length; a record without a page has them empty.
    const QByteArray csv = exportAll(source);
    const std::vector<exchange::CsvRecord> written = CsvReader::parse(csv);
    const auto& header = written[0].fields;
    const auto at = [&](const QString& name) {
        for (size_t i = 0; i < header.size(); ++i) {
            if (header[i].toString() == name)
                return int(i);
        }
        return -1;
    };
    const int address = at(exchange::CsvColumns::SourceColumn);
    const int cast = at(exchange::CsvColumns::CastRolesColumn);
    QCOMPARE(address, at(exchange::CsvColumns::TapeLengthColumn) + 1);
    QCOMPARE(cast, address + 1);
    QCOMPARE(written[1].fields[size_t(address)].toString(), kept.address);
    QCOMPARE(written[1].fields[size_t(cast)].toString(),
             QStringLiteral("Christian Bale\tBruce Wayne\nHeath Ledger\tJoker, \"the\" clown\nExtra"));
    QVERIFY(!written[2].fields[size_t(address)].isValid());

    // Into a catalogue that never held own data: the records keep them by their new identity.
    const QString csvPath = m_dir.filePath(QStringLiteral("sources.csv"));
    {
        QFile file(csvPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(csv);
    }
    const QString copy = m_dir.filePath(QStringLiteral("sources-copy.mdb"));
    test::TestCatalog::create(copy, {test::TestCatalog::record(QStringLiteral("Older"), QStringLiteral("O1"))});
    CsvImport import(csvPath);
    import.check(copy);
    QVERIFY2(import.refusedRows().empty(), qPrintable(CsvImport::describe(import.refusedRows())));
    QCOMPARE(appendTo(copy, import), 2);
    {
        auto db = catalog::Database::open(copy);
        const qint64 id = ownValue(copy, QStringLiteral("Grabbed"), "quelto_id").toLongLong();
        QCOMPARE(collection::SourceStore::load(*db->connection(), id), kept);
        QCOMPARE(collection::SourceStore::all(*db->connection()).size(), 1);
    }

    // An address that is no web page refuses its row; a file without the columns stores none.
    QCOMPARE(checked("catalog,title,quelto_source\nT1,Script,javascript:alert(1)\nT2,Fine,https://x.example/f\n").refusedCount(), 1);
    const QString plain = m_dir.filePath(QStringLiteral("sources-plain.mdb"));
    test::TestCatalog::create(plain, {});
    CsvImport plainImport = checked("catalog,title\nT1,Plain\n", plain);
    QCOMPARE(appendTo(plain, plainImport), 1);
    QVERIFY(!test::TestCatalog::tables(plain).contains(collection::SourceStore::Table));
}

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
