// CSV in and out: the reader's quoting rules and line numbers, the header
// matching and row checks of an import, and a round trip of every column.
#include "TestCatalog.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvReader.h"

#include <QBuffer>
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

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        auto db = catalog::Database::open(source);
        QCOMPARE(exchange::CsvExport::write(*db, catalog::CatalogSchema::ArchiveQuery, buffer), 4);
    }
    QVERIFY(buffer.data().startsWith("\"catalog\",\"md_type\","));
    QVERIFY(buffer.data().contains(",,,"));

    const QString copy = m_dir.filePath(QStringLiteral("copy.mdb"));
    test::TestCatalog::create(copy);
    CsvImport import(buffer.data());
    QVERIFY2(import.refusedRows().empty(), qPrintable(CsvImport::describe(import.refusedRows())));
    QVERIFY(import.ignoredColumns().isEmpty());
    {
        auto db = catalog::Database::open(copy);
        QCOMPARE(import.append(*db), 4);
    }
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
    const QByteArray csv = "Title,CATALOG, Director ,Sound,Sound,Cast,Cast,IMDb-Rating,Year,Notes\r\n"
                           "\"T1\",\"C1\",\"Dir\",\"Stereo\",\"Mono\",\"Lead\",\"Second\",\"\",,\"x\"\r\n";
    CsvImport import(csv);
    QCOMPARE(import.ignoredColumns(), QStringList{QStringLiteral("Notes")});
    QCOMPARE(import.acceptedCount(), 1);
    const QString path = m_dir.filePath(QStringLiteral("captions.mdb"));
    test::TestCatalog::create(path);
    {
        auto db = catalog::Database::open(path);
        import.append(*db);
    }
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

    QVERIFY_THROWS_EXCEPTION(EngineError, CsvImport("catalog,director\n\"A\",\"B\"\n"));
    QVERIFY_THROWS_EXCEPTION(EngineError, CsvImport("title,genre\n\"A\",\"B\"\n"));
    QVERIFY_THROWS_EXCEPTION(EngineError, CsvImport("title,catalog,Title\n"));
    QVERIFY_THROWS_EXCEPTION(EngineError, CsvImport(""));
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
    CsvImport import(csv);
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
    {
        auto db = catalog::Database::open(path);
        QCOMPARE(import.append(*db), 3);
    }
    const auto rows = archiveRows(path);
    QCOMPARE(rows.size(), size_t(4));
    QCOMPARE(column(rows[1], "mv_genre").toString(), QStringLiteral(" "));
    QCOMPARE(column(rows[2], "title").toString(), QStringLiteral("Multi\nline"));
    QCOMPARE(column(rows[3], "title").toString(), QStringLiteral("Good two"));
    QVERIFY(!column(rows[3], "mv_genre").isValid());
}

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
