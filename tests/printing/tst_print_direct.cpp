// PDF written directly (DirectPdfExport) read back with poppler's tools, and
// set beside what Qt's PDF writer makes of the same pages.
#include "printing/DirectPdfExport.h"
#include "printing/PrintCanvas.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
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

struct Tool
{
    QString out;
    QString errors;
    QByteArray bytes;
};

Tool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    Tool tool;
    tool.bytes = process.readAllStandardOutput();
    tool.out = QString::fromUtf8(tool.bytes);
    tool.errors = QString::fromUtf8(process.readAllStandardError());
    return tool;
}

QString layoutText(const QString& pdf) { return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).out; }

struct Word
{
    QString text;
    QRectF box; // points
};

QList<Word> words(const QString& pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).out;
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Word> out;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out << Word{m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                          QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))};
    }
    return out;
}

QImage raster(const QString& pdf, int page, QString* errors = nullptr)
{
    const Tool tool = run(QStringLiteral("pdftoppm"), {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("72"),
                                                       QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                       QString::number(page), pdf});
    if (errors)
        *errors = tool.errors;
    return QImage::fromData(tool.bytes);
}

int darkPixels(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y) {
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    return dark;
}

// Lists' usual texts: sizes, bold, kerning pairs, accents, a frame and rules.
PrintDocument latinDocument()
{
    PrintDocument d;
    for (int p = 0; p < 3; ++p) {
        PrintPage page;
        page.texts.push_back({0, 0, QStringLiteral("Catalogue page %1").arg(p + 1), TextFont{QStringLiteral("Arial"), 14, true}});
        page.lines.push_back({0, 8, 190, 8});
        for (int i = 0; i < 30; ++i) {
            const double y = 10 + i * 5;
            page.texts.push_back({0, y, QStringLiteral("T%1").arg(p * 100 + i, 5, 10, QLatin1Char('0')), TextFont{}});
            page.texts.push_back({20, y, i % 3 ? QStringLiteral("AVATAR: WAVY Tolkien's \"Yo-yo\" %1").arg(i)
                                               : QStringLiteral("Amélie, Łódź, Ærøskøbing, Straße, Ça va? naïve"),
                                  TextFont{QStringLiteral("Arial"), 9, i % 2 == 0}});
            page.texts.push_back({120, y, QStringLiteral("1999  VHS  € 12,50 – “quoted”"), TextFont{QStringLiteral("Arial"), 8, false}});
        }
        page.texts.push_back({105, 170, QStringLiteral("Framed"), TextFont{}});
        page.lines.push_back({100, 165, 150, 165});
        page.lines.push_back({100, 180, 150, 180});
        page.lines.push_back({100, 165, 100, 180});
        page.lines.push_back({150, 165, 150, 180});
        page.frames.push_back({100, 165, 150, 180});
        d.pages.push_back(page);
    }
    return d;
}

QString print(const QString& path, const PrintDocument& d, bool direct, int threads = 0)
{
    PdfCanvas canvas(path);
    canvas.setDirect(direct);
    canvas.setPainters(threads);
    return canvas.print(d, QStringLiteral("Direct")) ? QString() : canvas.error() + QStringLiteral(" (failed)");
}

PrintPage named(const QString& name)
{
    PrintPage p;
    p.texts.push_back({15, 15, name, TextFont{QStringLiteral("Arial"), 10, true}});
    p.texts.push_back({15, 25, name + QStringLiteral(" line"), TextFont{}});
    return p;
}

} // namespace

class TestPrintDirect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void latinPagesReadAsQtPaintsThem();
    void nonLatinTextIsDrawnAndExtracted();
    void picturesAreDrawnInTheirPlace();
    void workersKeepThePagesInOrder();
    void cancelledOrFailedDocumentLeavesTheFileAsItWas();

private:
    QTemporaryDir m_dir;
};

void TestPrintDirect::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler's tools are not installed");
    QVERIFY(m_dir.isValid());
}

void TestPrintDirect::latinPagesReadAsQtPaintsThem()
{
    const PrintDocument d = latinDocument();
    const QString direct = m_dir.filePath(QStringLiteral("direct.pdf"));
    const QString qt = m_dir.filePath(QStringLiteral("qt.pdf"));
    QCOMPARE(print(direct, d, true), QString());
    QCOMPARE(print(qt, d, false), QString());

    const Tool info = run(QStringLiteral("pdfinfo"), {direct});
    QCOMPARE(info.errors, QString());
    QVERIFY2(info.out.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))), qPrintable(info.out));
    QVERIFY(info.out.contains(QRegularExpression(QStringLiteral("Title:\\s+Direct\\n"))));
    QVERIFY(info.out.contains(QStringLiteral("595 x 842 pts (A4)")));
    const Tool fonts = run(QStringLiteral("pdffonts"), {direct});
    QCOMPARE(fonts.errors, QString());
    QVERIFY(fonts.out.contains(QStringLiteral("CID TrueType")));
    QVERIFY(!fonts.out.contains(QRegularExpression(QStringLiteral(" no\\s+(yes|no)\\s+(yes|no)\\s+\\d+")))); // all embedded

    QCOMPARE(layoutText(direct), layoutText(qt));
    // Every word where Qt puts it, to a tenth of a point.
    const QList<Word> ours = words(direct);
    const QList<Word> theirs = words(qt);
    QCOMPARE(ours.size(), theirs.size());
    for (qsizetype i = 0; i < ours.size(); ++i) {
        QCOMPARE(ours[i].text, theirs[i].text);
        const QRectF a = ours[i].box, b = theirs[i].box;
        QVERIFY2(qAbs(a.left() - b.left()) < 0.1 && qAbs(a.right() - b.right()) < 0.1 && qAbs(a.top() - b.top()) < 0.1,
                 qPrintable(QStringLiteral("%1 at %2,%3-%4 against %5,%6-%7").arg(ours[i].text).arg(a.left()).arg(a.top())
                                .arg(a.right()).arg(b.left()).arg(b.top()).arg(b.right())));
    }

    // The ink is in the same places: text, rules and the frame.
    QString errors;
    const QImage mine = raster(direct, 1, &errors);
    QCOMPARE(errors, QString());
    const QImage reference = raster(qt, 1);
    QCOMPARE(mine.size(), reference.size());
    int differing = 0, inked = 0;
    for (int y = 0; y < mine.height(); ++y) {
        for (int x = 0; x < mine.width(); ++x) {
            inked += qGray(reference.pixel(x, y)) < 200;
            differing += qAbs(qGray(mine.pixel(x, y)) - qGray(reference.pixel(x, y))) > 96;
        }
    }
    QVERIFY(inked > 1000);
    QVERIFY2(differing < inked / 50, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(inked)));
    // Only the glyphs shown are embedded: the fonts are far below their files.
    QVERIFY(QFileInfo(direct).size() < 120 * 1024);
}

void TestPrintDirect::nonLatinTextIsDrawnAndExtracted()
{
    const QStringList titles{QStringLiteral("七人の侍"), QStringLiteral("الرسالة"), QStringLiteral("Zoe\u0308 and Chloé"),
                             QStringLiteral("Брат 2"), QStringLiteral("Ἰλιάς")};
    PrintDocument d;
    PrintPage page;
    for (qsizetype i = 0; i < titles.size(); ++i)
        page.texts.push_back({10, 10 + 10.0 * double(i), titles[i], TextFont{QStringLiteral("Arial"), 12, i == 0}});
    d.pages.push_back(page);
    const QString path = m_dir.filePath(QStringLiteral("scripts.pdf"));
    QCOMPARE(print(path, d, true), QString());

    // Shaped Arabic reads as its letters' presentation forms (as from Qt's
    // writer); compatibility folding gives the letters. The rest reads as
    // it was given, the combining mark too.
    const Tool text = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    QCOMPARE(text.errors, QString());
    const QString read = text.out.normalized(QString::NormalizationForm_KC);
    for (const QString& title : titles)
        QVERIFY2(read.contains(title.normalized(QString::NormalizationForm_KC)), qPrintable(title + QStringLiteral(" in ") + text.out));
    QVERIFY(text.out.contains(titles[3]));
    const Tool fonts = run(QStringLiteral("pdffonts"), {path});
    QVERIFY2(fonts.out.count(QStringLiteral("CID TrueType")) >= 2, qPrintable(fonts.out)); // a fallback font too

    // Each title is drawn: ink where its line is.
    QString errors;
    const QImage image = raster(path, 1, &errors);
    QCOMPARE(errors, QString());
    const double toPixels = 72 / 25.4;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const QRect line(int(20 * toPixels), int((20 + 10.0 * double(i)) * toPixels), int(60 * toPixels), int(6 * toPixels));
        QVERIFY2(darkPixels(image, line) > 10, qPrintable(titles[i]));
    }
}

void TestPrintDirect::picturesAreDrawnInTheirPlace()
{
    QImage opaque(40, 20, QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QImage clear(40, 20, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    // A photograph: a grey ramp with grain, which JPEG keeps small.
    QImage photo(300, 150, QImage::Format_RGB32);
    QRandomGenerator grain(7);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x) {
            const int grey = qBound(0, 255 * x / photo.width() + grain.bounded(-12, 13), 255);
            photo.setPixel(x, y, qRgb(grey, grey, grey / 2));
        }
    }
    PrintDocument d;
    PrintPage page;
    page.images.push_back({20, 20, 40, 20, opaque});
    page.images.push_back({20, 60, 40, 20, clear});
    page.images.push_back({20, 120, 60, 30, photo});
    page.texts.push_back({20, 100, QStringLiteral("Cover"), TextFont{}});
    d.pages.push_back(page);
    const QString path = m_dir.filePath(QStringLiteral("pictures.pdf"));
    QCOMPARE(print(path, d, true), QString());

    QString errors;
    const QImage image = raster(path, 1, &errors);
    QCOMPARE(errors, QString());
    const double toPixels = 72 / 25.4;
    auto area = [toPixels](double x, double y, double w, double h) {
        // Inside by a point, from the paper's corner (10 mm margins).
        return QRect(int((10 + x) * toPixels) + 1, int((10 + y) * toPixels) + 1, int(w * toPixels) - 2, int(h * toPixels) - 2);
    };
    const QRect black = area(20, 20, 40, 20);
    QCOMPARE(darkPixels(image, black), black.width() * black.height());
    QCOMPARE(darkPixels(image, area(20, 60, 40, 20)), 0); // the alpha is kept
    QCOMPARE(darkPixels(image, area(70, 20, 40, 20)), 0);
    // The photograph runs from dark on the left to light on the right.
    QVERIFY(darkPixels(image, area(20, 120, 15, 30)) > 0.9 * area(20, 120, 15, 30).width() * area(20, 120, 15, 30).height());
    QCOMPARE(darkPixels(image, area(65, 120, 15, 30)), 0);
    const Tool images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    QVERIFY2(images.out.contains(QRegularExpression(QStringLiteral("300\\s+150\\s+rgb\\s+3\\s+8\\s+jpeg"))), qPrintable(images.out));
    QVERIFY2(images.out.contains(QRegularExpression(QStringLiteral("smask"))), qPrintable(images.out));
}

void TestPrintDirect::workersKeepThePagesInOrder()
{
    PrintDocument d;
    const int count = 3 * DirectPdfExport::RunLength + 5;
    for (int i = 1; i <= count; ++i)
        d.pages.push_back(named(QStringLiteral("P%1").arg(i)));
    const QString path = m_dir.filePath(QStringLiteral("order.pdf"));
    QCOMPARE(print(path, d, true, 3), QString());
    const QStringList pages = layoutText(path).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(pages[i].trimmed().section(QLatin1Char('\n'), 0, 0).trimmed(), QStringLiteral("P%1").arg(i + 1));
}

void TestPrintDirect::cancelledOrFailedDocumentLeavesTheFileAsItWas()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.pdf"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the document before");
    }
    PdfCanvas canvas(path);
    canvas.setPainters(2);
    int made = 0;
    const auto producer = [&made](const PageSink& sink) {
        for (;;) {
            if (made == 3 * DirectPdfExport::RunLength)
                throw Cancelled();
            if (!sink(named(QStringLiteral("X%1").arg(++made))))
                return false;
        }
    };
    QVERIFY_THROWS_EXCEPTION(Cancelled, canvas.printPages(producer, QStringLiteral("Direct")));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("the document before"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.pdf")});

    // A device that takes nothing stops the pages and fails the document.
    QBuffer full;
    full.open(QIODevice::ReadOnly);
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
    DirectPdfExport pdf(full, PdfCanvas::defaultLayout(), QStringLiteral("Direct"), 2);
    int added = 0;
    while (added < 10 * DirectPdfExport::RunLength && pdf.add(named(QStringLiteral("Y"))))
        ++added;
    QVERIFY(added < 10 * DirectPdfExport::RunLength);
    QVERIFY(!pdf.finish().isEmpty());
    // No pages at all is no document.
    QBuffer empty;
    empty.open(QIODevice::WriteOnly);
    DirectPdfExport none(empty, PdfCanvas::defaultLayout(), QStringLiteral("Direct"), 1);
    QVERIFY(!none.finish().isEmpty());
}

QTEST_MAIN(TestPrintDirect)
#include "tst_print_direct.moc"
