// Documents painted into parts on several threads and joined, read back with
// poppler's tools: the pages in order, the parts removed whatever happens.
#include "printing/PdfPartJoin.h"
#include "printing/PdfPartPainters.h"
#include "printing/PrintCanvas.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

using namespace quelto::printing;

namespace {

struct Cancelled : std::runtime_error
{
    Cancelled() : std::runtime_error("cancelled") {}
};

// A page with its name at the top and a few lines below it.
PrintPage page(const QString& name)
{
    PrintPage p;
    p.texts.push_back({15, 15, name, TextFont{QStringLiteral("Arial"), 10, true}});
    for (int i = 0; i < 5; ++i)
        p.texts.push_back({15, 25.0 + 5 * i, QStringLiteral("%1 line %2").arg(name).arg(i + 1), TextFont{}});
    p.lines.push_back({15, 20, 150, 20});
    return p;
}

PrintDocument document(const QString& prefix, int pages)
{
    PrintDocument d;
    for (int i = 1; i <= pages; ++i)
        d.pages.push_back(page(QStringLiteral("%1%2").arg(prefix).arg(i)));
    return d;
}

// Each page's first line of text; errors gets what the tool complained of.
QStringList pageNames(const QString& pdf, QString* errors = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    process.waitForFinished(60000);
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    QStringList names;
    const QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    for (const QString& text : pages) {
        const QString first = text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
        if (!first.isEmpty())
            names << first;
    }
    return names;
}

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList partFiles(const QString& directory)
{
    return QDir(directory).entryList({QStringLiteral(".quelto-part-*")}, QDir::Files | QDir::Hidden);
}

QString write(PdfCanvas& canvas, const PrintDocument& d)
{
    return canvas.print(d, QStringLiteral("Parts")) ? QString() : canvas.error() + QStringLiteral(" (failed)");
}

} // namespace

class TestPrintParts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void joinTakesEachPartsPagesInTheRunsOrder();
    void joinRefusesRunsThatMissOrRepeatPages();
    void joinRefusesPartsItCannotRead();
    void threadsMakeTheDocumentOneThreadMakes();
    void cancelledDocumentLeavesNoPartAndNoFile();
    void failedPartFailsTheDocumentWithItsReason();

private:
    QTemporaryDir m_dir;
};

void TestPrintParts::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler's tools are not installed");
    QVERIFY(m_dir.isValid());
}

void TestPrintParts::joinTakesEachPartsPagesInTheRunsOrder()
{
    // Three parts of different lengths, taken in interleaved runs.
    QStringList parts;
    const QList<QPair<QString, int>> made{{QStringLiteral("A"), 5}, {QStringLiteral("B"), 3}, {QStringLiteral("C"), 4}};
    for (const auto& [prefix, pages] : made) {
        const QString path = m_dir.filePath(prefix + QStringLiteral(".pdf"));
        PdfCanvas canvas(path);
        canvas.setDirect(false); // painted by Qt, in parts
        canvas.setPainters(1);
        QCOMPARE(write(canvas, document(prefix, pages)), QString());
        parts << path;
    }
    const QString joined = m_dir.filePath(QStringLiteral("joined.pdf"));
    QFile out(joined);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(PdfPartJoin::join(parts, {{0, 2}, {1, 3}, {0, 3}, {2, 4}}, out), QString());
    out.close();

    QString errors;
    QCOMPARE(pageNames(joined, &errors), QStringList({"A1", "A2", "B1", "B2", "B3", "A3", "A4", "A5", "C1", "C2",
                                                       "C3", "C4"}));
    QCOMPARE(errors, QString()); // poppler found nothing to repair
    // Each page keeps all its text, the last page of each part too.
    const QStringList pages = pdfText(joined).split(QLatin1Char('\f'));
    QVERIFY(pages[4].contains(QLatin1String("B3 line 5")));
    QVERIFY(pages[7].contains(QLatin1String("A5 line 5")));
    QVERIFY(pages[11].contains(QLatin1String("C4 line 5")));

    // One part joined alone is the document it was.
    QFile alone(m_dir.filePath(QStringLiteral("alone.pdf")));
    QVERIFY(alone.open(QIODevice::WriteOnly));
    QCOMPARE(PdfPartJoin::join({parts[1]}, {{0, 3}}, alone), QString());
    alone.close();
    QCOMPARE(pdfText(alone.fileName()), pdfText(parts[1]));
}

void TestPrintParts::joinRefusesRunsThatMissOrRepeatPages()
{
    QStringList parts;
    for (const QString& prefix : {QStringLiteral("D"), QStringLiteral("E")}) {
        const QString path = m_dir.filePath(prefix + QStringLiteral(".pdf"));
        PdfCanvas canvas(path);
        canvas.setDirect(false); // painted by Qt, in parts
        canvas.setPainters(1);
        QCOMPARE(write(canvas, document(prefix, 3)), QString());
        parts << path;
    }
    const std::vector<std::vector<PdfPartJoin::Run>> wrong{
        {{0, 3}, {1, 2}}, // a page left out
        {{0, 3}, {1, 4}}, // more pages than the part has
        {{0, 3}, {2, 3}}, // no such part
    };
    for (const auto& runs : wrong) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY(!PdfPartJoin::join(parts, runs, out).isEmpty());
    }
}

void TestPrintParts::joinRefusesPartsItCannotRead()
{
    const QString whole = m_dir.filePath(QStringLiteral("F.pdf"));
    PdfCanvas canvas(whole);
    canvas.setDirect(false); // painted by Qt, in parts
    canvas.setPainters(1);
    QCOMPARE(write(canvas, document(QStringLiteral("F"), 2)), QString());
    QFile file(whole);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    const QList<QByteArray> broken{
        bytes.left(bytes.size() - 200),                                         // cut short
        QByteArray(bytes).replace("/Kids", "/Kinds"),                           // no pages
        QByteArray(bytes).replace("\n4 0 obj", "\n8 0 obj"),                 // an object out of place
        QByteArray("%PDF-1.4\nnot a document\n"),
    };
    for (const QByteArray& content : broken) {
        const QString path = m_dir.filePath(QStringLiteral("broken.pdf"));
        QFile part(path);
        QVERIFY(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(content);
        part.close();
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const QString error = PdfPartJoin::join({whole, path}, {{0, 2}, {1, 2}}, out);
        QVERIFY2(error.contains(QLatin1String("broken.pdf")), qPrintable(error));
    }
}

void TestPrintParts::threadsMakeTheDocumentOneThreadMakes()
{
    // Enough pages for runs on each of three painters, the last run short.
    const PrintDocument d = document(QStringLiteral("P"), 3 * PdfPartPainters::RunLength + 5);
    const QString one = m_dir.filePath(QStringLiteral("one.pdf"));
    const QString three = m_dir.filePath(QStringLiteral("three.pdf"));
    PdfCanvas single(one);
    single.setDirect(false); // painted by Qt, in parts
    single.setPainters(1);
    QCOMPARE(write(single, d), QString());
    PdfCanvas threaded(three);
    threaded.setDirect(false); // painted by Qt, in parts
    threaded.setPainters(3);
    QCOMPARE(write(threaded, d), QString());

    QString errors;
    const QStringList names = pageNames(three, &errors);
    QCOMPARE(errors, QString());
    QCOMPARE(names.size(), int(d.pages.size()));
    QCOMPARE(names, pageNames(one));
    QCOMPARE(pdfText(three), pdfText(one));
    // Each part brings its own fonts, which are small beside the pages.
    QVERIFY(QFileInfo(three).size() < QFileInfo(one).size() * 3);
    QCOMPARE(partFiles(m_dir.path()), QStringList());
}

void TestPrintParts::cancelledDocumentLeavesNoPartAndNoFile()
{
    const QString path = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    PdfCanvas canvas(path);
    canvas.setDirect(false); // painted by Qt, in parts
    canvas.setPainters(2);
    int made = 0;
    const auto producer = [&made](const PageSink& sink) {
        for (;;) {
            if (made == 3 * PdfPartPainters::RunLength)
                throw Cancelled();
            if (!sink(page(QStringLiteral("X%1").arg(++made))))
                return false;
        }
    };
    QVERIFY_THROWS_EXCEPTION(Cancelled, canvas.printPages(producer, QStringLiteral("Parts")));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(partFiles(m_dir.path()), QStringList());
}

void TestPrintParts::failedPartFailsTheDocumentWithItsReason()
{
    // The painters cannot make their parts where there is no folder.
    const QString nowhere = m_dir.filePath(QStringLiteral("no/such/folder"));
    PdfPartPainters painters(nowhere, PdfCanvas::defaultLayout(), QStringLiteral("Parts"), 2);
    int added = 0;
    while (added < 4 * PdfPartPainters::RunLength && painters.add(page(QStringLiteral("Y"))))
        ++added;
    QVERIFY(added < 4 * PdfPartPainters::RunLength); // the producer was stopped
    {
        // A producer that stops on the refusal hears why.
        PdfPartPainters stopped(nowhere, PdfCanvas::defaultLayout(), QStringLiteral("Parts"), 1);
        while (stopped.add(page(QStringLiteral("Z")))) {
        }
        QVERIFY(stopped.abandon().contains(QLatin1String("Cannot write a part")));
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const QString error = painters.finish(out);
    QVERIFY2(error.contains(QLatin1String("Cannot write a part")), qPrintable(error));
    QCOMPARE(out.size(), 0);
}

QTEST_MAIN(TestPrintParts)
#include "tst_print_parts.moc"
