// PDF files as the user gets them: `quelto --export-pdf` on a real catalogue,
// and the printer honouring a page range, read back with poppler's tools.
#include "TestCatalog.h"
#include "catalog/SqliteConnection.h"
#include "printing/CatalogueLists.h"
#include "printing/PrintDevices.h"

#include <QBuffer>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto;
using quelto::test::TestCatalog;

namespace {

const QString Strangelove = QStringLiteral("Dr. Strangelove or: How I Learned to Stop Worrying and Love the Bomb");

struct Word
{
    int page;
    double left, top, right, bottom; // mm from the paper's corner
    QString text;
};

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr, QString* errors = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    if (exitCode)
        *exitCode = process.exitCode();
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<Word> wordsOf(const QString& pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression word(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Word> words;
    int page = 0;
    const double toMm = 25.4 / 72;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page "))) {
            ++page;
            continue;
        }
        words << Word{page, m.captured(1).toDouble() * toMm, m.captured(2).toDouble() * toMm,
                      m.captured(3).toDouble() * toMm, m.captured(4).toDouble() * toMm, m.captured(5)};
    }
    return words;
}

QString infoOf(const QString& pdf, const char* field)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

// The words of a page between two heights, in reading order.
QList<Word> between(const QList<Word>& words, int page, double top, double bottom)
{
    QList<Word> out;
    for (const Word& w : words) {
        if (w.page == page && w.top >= top && w.top < bottom)
            out << w;
    }
    return out;
}

TestCatalog::Row movie(const QString& title, const QString& catalog, const QString& type)
{
    TestCatalog::Row r = TestCatalog::record(title, catalog);
    r[QStringLiteral("title")] = title;
    r[QStringLiteral("md_type")] = type;
    r[QStringLiteral("mv_director")] = QStringLiteral("Stanley Kubrick");
    r[QStringLiteral("mv_genre")] = QStringLiteral("Comedy, War");
    return r;
}

} // namespace

class TestPrintExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void longListFromTheCommandLineStopsTitlesBeforeTheMediaId();
    void labelsFromTheCommandLineFitTheirFrames();
    void commandLineRefusesWhatItCannotExport();
    void titlesInEveryScriptAreDrawnAndRead();
    void longListWithCoversHasEachRecordsPictureBesideItsBlock();
    void printerPrintsOnlyTheChosenPagesUnderTheTitle();

private:
    QTemporaryDir m_dir;
    QString m_catalogue;
};

void TestPrintExport::initTestCase()
{
    for (const char* tool : {"pdftotext", "pdfinfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("poppler's tools are not installed");
    }
    // Kept for a look at the pages when asked for.
    m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("QUELTO_KEEP_TEST_FILES"));
    m_catalogue = m_dir.filePath(QStringLiteral("c.mdb"));
    QList<TestCatalog::Row> rows{movie(Strangelove, QStringLiteral("V001"), QStringLiteral("VHS")),
                                 movie(QStringLiteral("Alien"), QStringLiteral("V002"), QStringLiteral("VHS"))};
    for (int i = 1; i <= 5; ++i)
        rows << movie(QStringLiteral("Tape Two Movie %1 of a Long Evening").arg(i), QStringLiteral("V001"),
                      QStringLiteral("VHS"));
    rows << movie(Strangelove, QStringLiteral("E001"), QStringLiteral("Video 8"));
    for (int i = 1; i <= 4; ++i)
        rows << movie(QStringLiteral("Holiday %1").arg(i), QStringLiteral("E001"), QStringLiteral("Video 8"));
    TestCatalog::create(m_catalogue, rows);
}

void TestPrintExport::longListFromTheCommandLineStopsTitlesBeforeTheMediaId()
{
    const QString pdf = m_dir.filePath(QStringLiteral("long.pdf"));
    int code = -1;
    QString errors;
    run(QStringLiteral(QUELTO_BINARY),
        {QStringLiteral("--export-pdf"), QStringLiteral("long"), pdf, QStringLiteral("--database"), m_catalogue},
        &code, &errors);
    QVERIFY2(code == 0, qPrintable(errors));
    QCOMPARE(infoOf(pdf, "Title"), QStringLiteral("Quelto Long List"));

    const QList<Word> words = wordsOf(pdf);
    QVERIFY(!words.isEmpty());
    // By title: Alien first; the Strangelove block's title line ends before
    // the media ID at 140 mm (150 mm on paper), which prints whole.
    const QList<Word> heading = between(words, 1, 24, 30);
    QCOMPARE(heading.first().text, QStringLiteral("Quelto"));
    QCOMPARE(between(words, 1, 39, 44).first().text, QStringLiteral("Alien"));
    const QList<Word> line = between(words, 1, 39 + 41, 44 + 41);
    QVERIFY(line.size() >= 3);
    QCOMPARE(line.first().text, QStringLiteral("Dr."));
    QCOMPARE(line.last().text, QStringLiteral("V001"));
    QVERIFY(qAbs(line.last().left - 151.1) < 1);
    for (qsizetype i = 0; i + 1 < line.size(); ++i)
        QVERIFY2(line[i].right < 150, qPrintable(line[i].text));
    QVERIFY(line[line.size() - 2].text.endsWith(QChar(0x2026)) || line.size() - 1 == Strangelove.count(QLatin1Char(' ')) + 1);
    for (const Word& w : words)
        QVERIFY2(w.right <= 200 && w.bottom <= 287, qPrintable(w.text));

    // The short list: the title stops before the director at 140 mm.
    const QString shortPdf = m_dir.filePath(QStringLiteral("short.pdf"));
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("short"), shortPdf,
                                        QStringLiteral("--database=") + m_catalogue}, &code);
    QCOMPARE(code, 0);
    QCOMPARE(infoOf(shortPdf, "Title"), QStringLiteral("Quelto Short List"));
    for (const Word& w : wordsOf(shortPdf)) {
        if (w.left > 55 && w.left < 148)
            QVERIFY2(w.right < 150, qPrintable(w.text));
    }
}

void TestPrintExport::titlesInEveryScriptAreDrawnAndRead()
{
    // Accents, Japanese (a fallback font), Arabic (shaped, right to left) and
    // a combining mark, in both lists.
    const QStringList titles{QStringLiteral("Amélie à Łódź"), QStringLiteral("七人の侍"), QStringLiteral("الرسالة"),
                             QStringLiteral("Zoe\u0308 Brat Брат")};
    const QString catalogue = m_dir.filePath(QStringLiteral("scripts.mdb"));
    QList<TestCatalog::Row> rows;
    for (qsizetype i = 0; i < titles.size(); ++i)
        rows << movie(titles[i], QStringLiteral("S%1").arg(i + 1, 3, 10, QLatin1Char('0')), QStringLiteral("DVD"));
    TestCatalog::create(catalogue, rows);
    for (const QString& list : {QStringLiteral("short"), QStringLiteral("long")}) {
        const QString pdf = m_dir.filePath(QStringLiteral("scripts-%1.pdf").arg(list));
        int code = -1;
        QString errors;
        run(QStringLiteral(QUELTO_BINARY),
            {QStringLiteral("--export-pdf"), list, pdf, QStringLiteral("--database"), catalogue}, &code, &errors);
        QVERIFY2(code == 0, qPrintable(errors));
        // Shaped Arabic reads as its letters' presentation forms, in the
        // order they are written; compatibility folding gives the letters.
        const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, nullptr, &errors)
                                 .normalized(QString::NormalizationForm_KC);
        QCOMPARE(errors, QString());
        for (const QString& title : titles)
            QVERIFY2(text.contains(title.normalized(QString::NormalizationForm_KC)), qPrintable(list + QLatin1Char(' ') + title));
        const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(fonts.count(QStringLiteral(" yes yes yes ")) >= 3, qPrintable(fonts)); // embedded, subset, mapped
        QVERIFY2(!fonts.contains(QStringLiteral(" no ")), qPrintable(fonts));
    }
}

void TestPrintExport::labelsFromTheCommandLineFitTheirFrames()
{
    const QString pdf = m_dir.filePath(QStringLiteral("labels.pdf"));
    int code = -1;
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("labels"), QStringLiteral("V001"),
                                        pdf, QStringLiteral("--database"), m_catalogue},
        &code);
    QCOMPARE(code, 0);
    QCOMPARE(infoOf(pdf, "Title"), QStringLiteral("Tape labels V001"));
    QCOMPARE(infoOf(pdf, "Pages"), QStringLiteral("1")); // the medium's type: VHS back and face label

    const QList<Word> words = wordsOf(pdf);
    // Back label 25..44 mm on paper, face label 50..97 mm: every word inside.
    for (const Word& w : words) {
        const bool back = w.top < 45;
        QVERIFY2(w.left >= 25 && w.right <= (back ? 172 : 103), qPrintable(w.text));
        QVERIFY2(w.bottom <= (back ? 44 : 97), qPrintable(w.text));
    }
    // Six titles on the tape; five entries fit the face label.
    int entries = 0;
    for (const Word& w : words)
        entries += w.top > 50 && w.left < 28 && (w.text == QLatin1String("Dr.") || w.text == QLatin1String("Tape"));
    QCOMPARE(entries, 5);

    // 8 mm, box insert only: three titles in the spine band, above its fold.
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("labels"), QStringLiteral("E001"),
                                        pdf, QStringLiteral("--8mm"), QStringLiteral("--box"),
                                        QStringLiteral("--database"), m_catalogue},
        &code);
    QCOMPARE(code, 0);
    const QList<Word> band = between(wordsOf(pdf), 1, 107, 123);
    int titles = 0;
    for (const Word& w : band) {
        titles += w.text == QLatin1String("Dr.") || w.text == QLatin1String("Holiday");
        QVERIFY2(w.bottom <= 123, qPrintable(w.text));
        if (w.text != QLatin1String("E001"))
            QVERIFY2(w.right < 105 || w.top < 109, qPrintable(w.text)); // clear of the media ID at 105 mm
    }
    QCOMPARE(titles, 3);
}

void TestPrintExport::commandLineRefusesWhatItCannotExport()
{
    const QString pdf = m_dir.filePath(QStringLiteral("none.pdf"));
    int code = -1;
    QString errors;
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("labels"), QStringLiteral("Z9"),
                                        pdf, QStringLiteral("--database"), m_catalogue},
        &code, &errors);
    QCOMPARE(code, 1);
    QVERIFY2(errors.contains(QLatin1String("No record found with Media-ID Z9")), qPrintable(errors));
    QVERIFY(!QFile::exists(pdf));

    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("wide"), pdf}, &code, &errors);
    QCOMPARE(code, 2);
    QVERIFY(errors.contains(QLatin1String("long, short or labels")));
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("long"), pdf,
                                        QStringLiteral("--vhs"), QStringLiteral("--database"), m_catalogue},
        &code, &errors);
    QCOMPARE(code, 2);
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("long"), pdf,
                                        QStringLiteral("--database"), m_dir.filePath(QStringLiteral("missing.mdb"))},
        &code, &errors);
    QCOMPARE(code, 1);
    QVERIFY(errors.contains(QLatin1String("no catalogue")));
}

void TestPrintExport::longListWithCoversHasEachRecordsPictureBesideItsBlock()
{
    // Eight records over two pages; all but the last have a cover, a JPEG
    // far larger than its printed place, and a running time and location.
    const QString catalogue = m_dir.filePath(QStringLiteral("covers.mdb"));
    QList<TestCatalog::Row> rows;
    for (int i = 1; i <= 8; ++i)
        rows << movie(QStringLiteral("Movie %1").arg(i), QStringLiteral("C%1").arg(i), QStringLiteral("VHS"));
    TestCatalog::create(catalogue, rows);
    QImage poster(1000, 1500, QImage::Format_RGB32);
    poster.fill(Qt::darkGreen);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(poster.save(&buffer, "JPEG"));
    {
        auto connection = catalog::SqliteConnection::open(catalogue, catalog::SqliteConnection::Mode::OpenExisting);
        connection->exec(QStringLiteral(
            "alter table archive add column quelto_id INTEGER; "
            "alter table archive add column quelto_running_time INTEGER; "
            "alter table archive add column quelto_location TEXT; "
            "update archive set quelto_id = rowid, quelto_running_time = 90 + rowid, quelto_location = 'Box ' || rowid; "
            "create table quelto_covers (record_id INTEGER PRIMARY KEY, picture BLOB NOT NULL, format TEXT, "
            "width INTEGER, height INTEGER)"));
        auto insert = connection->prepare(QStringLiteral(
            "insert into quelto_covers select quelto_id, ?, 'jpeg', 1000, 1500 from archive where title <> 'Movie 8'"));
        insert->bind(1, jpeg);
        insert->step();
    }
    const QByteArray before = TestCatalog::fileBytes(catalogue);

    const QString pdf = m_dir.filePath(QStringLiteral("covers.pdf"));
    int code = -1;
    QString errors;
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("long"), pdf,
                                        QStringLiteral("--covers"), QStringLiteral("--database"), catalogue},
        &code, &errors);
    QVERIFY2(code == 0, qPrintable(errors));
    QCOMPARE(TestCatalog::fileBytes(catalogue), before); // only read
    QCOMPARE(infoOf(pdf, "Pages"), QStringLiteral("2"));

    // Seven pictures, each scaled down to what its place needs at 200 dpi.
    const QString list = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    const QStringList lines = list.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    QCOMPARE(lines.size(), 7);
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        QVERIFY2(fields.value(3).toInt() <= 190 && fields.value(4).toInt() <= 284, qPrintable(line));
    }

    // The texts stand right of the covers (10 mm margin + 42 mm); the running
    // time and location are on every block.
    const QList<Word> words = wordsOf(pdf);
    int minutes = 0;
    int boxes = 0;
    for (const Word& w : words) {
        if (w.top > 35) // below the heading
            QVERIFY2(w.left > 51, qPrintable(w.text));
        minutes += w.text == QLatin1String("min");
        boxes += w.text == QLatin1String("Box");
    }
    QCOMPARE(minutes, 8);
    QCOMPARE(boxes, 8);

    // --covers belongs to the long list.
    run(QStringLiteral(QUELTO_BINARY), {QStringLiteral("--export-pdf"), QStringLiteral("short"), pdf,
                                        QStringLiteral("--covers"), QStringLiteral("--database"), catalogue},
        &code, &errors);
    QCOMPARE(code, 2);
    QVERIFY2(errors.contains(QLatin1String("--covers goes with --export-pdf long")), qPrintable(errors));
}

void TestPrintExport::printerPrintsOnlyTheChosenPagesUnderTheTitle()
{
    QList<printing::ListRow> rows;
    for (int i = 1; i <= 60; ++i)
        rows << printing::ListRow{{QStringLiteral("catalog"), QStringLiteral("C%1").arg(i)},
                                  {QStringLiteral("title"), QStringLiteral("Movie %1").arg(i)}};
    printing::PrinterCanvas canvas;
    QPrinter& printer = canvas.printer();
    const QString pdf = m_dir.filePath(QStringLiteral("range.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QCOMPARE(canvas.outputFile(), pdf);
    QVERIFY(canvas.printerName().isEmpty()); // a file keeps no offsets

    const printing::PrintDocument document =
        printing::CatalogueLists::shortList(rows, QStringLiteral("Quelto Short List on X"), canvas.printableHeight());
    QVERIFY(document.pages.size() >= 2);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setPageRanges(QPageRanges::fromString(QStringLiteral("2")));
    QVERIFY(canvas.print(document, QStringLiteral("Quelto Short List")));
    QCOMPARE(infoOf(pdf, "Pages"), QStringLiteral("1"));
    QCOMPARE(infoOf(pdf, "Title"), QStringLiteral("Quelto Short List"));
    const QList<Word> words = wordsOf(pdf);
    QVERIFY(!words.isEmpty());
    QVERIFY(std::none_of(words.begin(), words.end(), [](const Word& w) { return w.text == QLatin1String("C1"); }));

    // A range past the document prints nothing.
    printer.setPageRanges(QPageRanges::fromString(QStringLiteral("7-9")));
    QVERIFY(!canvas.print(document, QStringLiteral("Quelto Short List")));
}

QTEST_MAIN(TestPrintExport)
#include "tst_print_export.moc"
