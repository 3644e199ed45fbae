// The lists and labels as placed items, and one document painted to PDF and
// read back.
#include "printing/CatalogueLists.h"
#include "printing/ListLayout.h"
#include "printing/PrintCanvas.h"
#include "tasks/TaskControl.h"
#include "printing/TapeLabels.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace quelto::printing;

namespace {

ListRow row(const QString& title, const QString& catalog = QStringLiteral("A1"))
{
    ListRow r;
    for (const char* column : {"md_type", "md_format", "md_image", "md_sound", "md_language", "mv_country",
                               "mv_year", "mv_rating", "mv_language", "mv_color", "mv_sound", "mv_genre",
                               "mv_director", "mv_producer", "mv_book", "mv_music", "mv_cast1", "mv_cast2",
                               "mv_cast3", "mv_cast4", "mv_cast5", "mv_cast6"})
        r.insert(QString::fromLatin1(column), QString::fromLatin1(column));
    r.insert(QStringLiteral("title"), title);
    r.insert(QStringLiteral("catalog"), catalog);
    return r;
}

QList<ListRow> rows(int count)
{
    QList<ListRow> out;
    for (int i = 1; i <= count; ++i)
        out << row(QStringLiteral("Movie %1").arg(i), QStringLiteral("T%1").arg(i));
    return out;
}

// The tops of the texts that are exactly text, page by page.
QList<QList<double>> topsOf(const PrintDocument& document, const std::function<bool(const TextItem&)>& which)
{
    QList<QList<double>> out;
    for (const PrintPage& page : document.pages) {
        QList<double> tops;
        for (const TextItem& item : page.texts) {
            if (which(item))
                tops << item.y;
        }
        out << tops;
    }
    return out;
}

bool isTitle(const TextItem& item) { return item.text.startsWith(QLatin1String("Movie ")); }

const TextFont Regular10{QStringLiteral("Arial"), 10, false};

TextFont arial(double size, bool bold) { return TextFont{QStringLiteral("Arial"), size, bold}; }

std::vector<LabelEntry> entries(int count)
{
    std::vector<LabelEntry> out;
    for (int i = 1; i <= count; ++i) {
        const QString k = QString::number(i);
        out.push_back({QStringLiteral("Title ") + k, QStringLiteral("USA/19") + k, QStringLiteral("Genre ") + k,
                       QStringLiteral("Director ") + k, QStringLiteral("7.") + k});
    }
    return out;
}

// The texts of a page that start with a prefix, as (x, y) and font.
std::vector<TextItem> starting(const PrintPage& page, const QString& prefix)
{
    std::vector<TextItem> out;
    for (const TextItem& item : page.texts) {
        if (item.text.startsWith(prefix))
            out.push_back(item);
    }
    return out;
}

QList<double> tops(const std::vector<TextItem>& items)
{
    QList<double> out;
    for (const TextItem& item : items)
        out << item.y;
    return out;
}

std::vector<LineItem> frame(double x1, double y1, double x2, double y2)
{
    return {{x1, y1, x2, y1}, {x1, y2, x2, y2}, {x1, y1, x1, y2}, {x2, y1, x2, y2}};
}

LabelChoice vhs(bool back, bool face, bool box) { return {FormFactor::Vhs, back, face, box}; }
LabelChoice eightMm(bool back, bool box) { return {FormFactor::EightMm, back, false, box}; }

} // namespace

class TestPrintLayout : public QObject
{
    Q_OBJECT

private slots:
    void headingsNameTheSearch();
    void longListBlocksAndPageBreaks();
    void longListBlockPlacesEveryField();
    void longListHeadingOnEveryPage();
    void longListNamesRunningTimeAndLocationAndPlacesCovers();
    void shortListRowsAndContinuationPages();
    void longListNamesTheCharactersOfTheCast();
    void listsOfNoRowsHaveNoPages();
    void longListsAreHandedOnAPageAtATime();
    void paintedPdfHasTheTextsWhereTheyWerePlaced();
    void pdfIsWrittenAPageAtATimeAndCancelKeepsTheOldFile();

    void labelQueriesQuoteAndMatchTitlesLiterally();
    void formFactorFollowsTheMediaType();
    void titlesMoveUpAndDownWithinTheList();
    void vhsBackLabelFitsOneToFourTitles();
    void vhsFaceLabelListsTheEntriesThatFit();
    void vhsBoxCoverGoesOnAPageOfItsOwn();
    void eightMmBackLabelAndBoxInsertShareAPage();
    void labelsWithoutAFormFactorOrChoiceAreEmpty();
};

void TestPrintLayout::headingsNameTheSearch()
{
    const QString date = QStringLiteral("05/03/2024");
    QCOMPARE(CatalogueLists::longHeading(false, QStringLiteral("ignored"), date),
             QStringLiteral("Quelto Long List on 05/03/2024"));
    QCOMPARE(CatalogueLists::longHeading(true, QStringLiteral("Director: marsh [5]"), date),
             QStringLiteral("Quelto Long List of Query <Director: marsh [5]> on 05/03/2024"));
    QCOMPARE(CatalogueLists::shortHeading(false, QString(), date), QStringLiteral("Quelto Short List on 05/03/2024"));
    QCOMPARE(CatalogueLists::shortHeading(true, QStringLiteral("Genre: Drama [2]"), date),
             QStringLiteral("Quelto List of Query <Genre: Drama [2]> on 05/03/2024"));
}

void TestPrintLayout::longListBlocksAndPageBreaks()
{
    using Tops = QList<QList<double>>;
    const Tops six{{30, 71, 112, 153, 194, 235}};
    // Six blocks fill a 280 mm page; a seventh opens a second page, and a
    // break right after the last block leaves no empty page behind.
    QCOMPARE(topsOf(CatalogueLists::longList(rows(6), QStringLiteral("H"), 280), isTitle), six);
    QCOMPARE(topsOf(CatalogueLists::longList(rows(7), QStringLiteral("H"), 280), isTitle), (Tops{six[0], {30}}));
    QCOMPARE(topsOf(CatalogueLists::longList(rows(12), QStringLiteral("H"), 280), isTitle), (Tops{six[0], six[0]}));
    // The break test: a next top of 235 still fits on 276 mm (276 - 41 = 235),
    // not on 275.9 mm.
    QCOMPARE(topsOf(CatalogueLists::longList(rows(6), QStringLiteral("H"), 276), isTitle).size(), 1);
    QCOMPARE(topsOf(CatalogueLists::longList(rows(6), QStringLiteral("H"), 275.9), isTitle),
             (Tops{{30, 71, 112, 153, 194}, {30}}));
}

void TestPrintLayout::longListBlockPlacesEveryField()
{
    ListRow r = row(QStringLiteral("Key Largo"), QStringLiteral("B2"));
    r.insert(QStringLiteral("mv_rating"), QString()); // a field without a value prints empty
    const PrintDocument document = CatalogueLists::longList({r}, QStringLiteral("H"), 280);
    QCOMPARE(document.pages.size(), size_t(1));
    const std::vector<TextItem>& texts = document.pages[0].texts;

    const TextFont bold11{QStringLiteral("Arial"), 11, true};
    const std::vector<TextItem> expected = {
        {15, 15, QStringLiteral("H"), TextFont{QStringLiteral("Arial"), 14, true}},
        {15, 30, QStringLiteral("Key Largo"), bold11},
        {140, 30, QStringLiteral(" B2"), bold11},
        {17, 35, QStringLiteral("mv_genre"), Regular10},
        {58, 35, QStringLiteral(" mv_country , mv_year"), Regular10},
        {100, 35, QStringLiteral(" Director: mv_director"), Regular10},
        {17, 39, QStringLiteral("mv_producer"), Regular10},
        {17, 43, QStringLiteral("mv_color"), Regular10},
        {58, 43, QStringLiteral(" mv_sound [md_sound]"), Regular10},
        {100, 43, QStringLiteral(" mv_language [md_language]"), Regular10},
        {17, 47, QStringLiteral("IMdb Rating: "), Regular10},
        {100, 47, QStringLiteral(" Media: md_type / md_format / md_image"), Regular10},
        {17, 51, QStringLiteral("Book: mv_book"), Regular10},
        {100, 51, QStringLiteral(" Music: mv_music"), Regular10},
        {17, 55, QStringLiteral("Cast:"), Regular10},
        {18, 59, QStringLiteral("mv_cast1"), Regular10},
        {58, 59, QStringLiteral(" mv_cast2"), Regular10},
        {100, 59, QStringLiteral(" mv_cast3"), Regular10},
        {18, 63, QStringLiteral("mv_cast4"), Regular10},
        {58, 63, QStringLiteral(" mv_cast5"), Regular10},
        {100, 63, QStringLiteral(" mv_cast6"), Regular10},
    };
    QCOMPARE(texts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(texts[i].text, expected[i].text);
        QCOMPARE(texts[i].x, expected[i].x);
        QCOMPARE(texts[i].y, expected[i].y);
        QVERIFY2(texts[i].font == expected[i].font, qPrintable(texts[i].text));
    }
    QCOMPARE(document.pages[0].lines, (std::vector<LineItem>{{15, 21, 170, 21}, {15, 22, 170, 22}}));
}

void TestPrintLayout::longListHeadingOnEveryPage()
{
    const PrintDocument document = CatalogueLists::longList(rows(8), QStringLiteral("Quelto Long List on X"), 280);
    QCOMPARE(document.pages.size(), size_t(2));
    for (const PrintPage& page : document.pages) {
        QCOMPARE(page.texts.front().text, QStringLiteral("Quelto Long List on X"));
        QCOMPARE(page.texts.front().y, 15.0);
        QVERIFY(page.texts.front().font.bold);
        QCOMPARE(page.lines.size(), size_t(2));
    }
}

void TestPrintLayout::longListNamesRunningTimeAndLocationAndPlacesCovers()
{
    ListRow known = row(QStringLiteral("Movie 1"), QStringLiteral("T1"));
    known.insert(QStringLiteral("quelto_running_time"), QStringLiteral("136"));
    known.insert(QStringLiteral("quelto_location"), QStringLiteral("Shelf 3"));
    const ListRow unknown = row(QStringLiteral("Movie 2"), QStringLiteral("T2"));
    const auto textAt = [](const PrintPage& page, const QString& text) -> const TextItem* {
        for (const TextItem& item : page.texts) {
            if (item.text == text)
                return &item;
        }
        return nullptr;
    };

    // Without covers: the classic block, the two fields where the block has
    // room, and nothing for a record without them.
    ListLayout plain(ListKind::Long, QStringLiteral("H"), 280);
    plain.add(known, QImage(10, 10, QImage::Format_RGB32)); // ignored without covers
    plain.add(unknown);
    const PrintPage page = plain.finish().pages.at(0);
    QVERIFY(page.images.empty());
    const TextItem* minutes = textAt(page, QStringLiteral(" Running time: 136 min"));
    const TextItem* shelf = textAt(page, QStringLiteral(" Location: Shelf 3"));
    QVERIFY(minutes && shelf);
    QCOMPARE((std::pair{minutes->x, minutes->y}), (std::pair{58.0, 30.0 + 25}));
    QCOMPARE((std::pair{shelf->x, shelf->y}), (std::pair{100.0, 30.0 + 25}));
    QCOMPARE(starting(page, QStringLiteral(" Running time")).size(), size_t(1));
    QCOMPARE(starting(page, QStringLiteral(" Location")).size(), size_t(1));
    QCOMPARE(textAt(page, QStringLiteral("Movie 1"))->x, 15.0);

    // With covers: a tall and a wide picture keep their aspect at the block's
    // left within the fixed height; the texts move right of them, keeping
    // their order; a record without a cover leaves its place blank.
    QImage tall(200, 300, QImage::Format_RGB32);
    tall.fill(Qt::darkBlue);
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::darkRed);
    ListLayout covered(ListKind::Long, QStringLiteral("H"), 280, true);
    covered.add(known, tall);
    covered.add(unknown);
    covered.add(row(QStringLiteral("Movie 3"), QStringLiteral("T3")), wide);
    const PrintPage withCovers = covered.finish().pages.at(0);
    QCOMPARE(withCovers.images.size(), size_t(2));
    const ImageItem& first = withCovers.images[0];
    QCOMPARE(first.height, ListLayout::CoverHeight);
    QCOMPARE(first.width, ListLayout::CoverHeight * 2 / 3);
    QCOMPARE(first.y, 30 + ListLayout::CoverTop);
    QVERIFY(first.x >= ListLayout::CoverLeft && first.x + first.width <= ListLayout::CoverLeft + ListLayout::CoverWidth);
    QCOMPARE(first.image, tall);
    const ImageItem& third = withCovers.images[1];
    QCOMPARE(third.width, ListLayout::CoverWidth);
    QCOMPARE(third.height, ListLayout::CoverWidth / 3);
    QVERIFY(third.y > 30 + 2 * ListLayout::BlockHeight && third.y + third.height < 30 + 3 * ListLayout::BlockHeight);
    for (const TextItem& item : withCovers.texts) {
        if (item.y >= 30) // every block's text, not the heading
            QVERIFY2(item.x >= ListLayout::CoveredTextLeft, qPrintable(item.text));
    }
    const double title = textAt(withCovers, QStringLiteral("Movie 1"))->x;
    const double genre = textAt(withCovers, QStringLiteral("mv_genre"))->x;
    const double time = textAt(withCovers, QStringLiteral(" Running time: 136 min"))->x;
    const double media = textAt(withCovers, QStringLiteral(" T1"))->x;
    QVERIFY(title == ListLayout::CoveredTextLeft && title < genre && genre < time && time < media && media < 170);
    // Laid out a page at a time as before: the same page breaks.
    QCOMPARE(topsOf(CatalogueLists::longList(rows(7), QStringLiteral("H"), 280), isTitle),
             [] {
                 ListLayout l(ListKind::Long, QStringLiteral("H"), 280, true);
                 for (const ListRow& r : rows(7))
                     l.add(r, QImage());
                 return topsOf(l.finish(), isTitle);
             }());
}

void TestPrintLayout::shortListRowsAndContinuationPages()
{
    // 25, 30 ... 265: 49 rows fit on a 280 mm page.
    QList<double> firstPage;
    for (int y = 25; y <= 265; y += 5)
        firstPage << y;
    const auto isCatalog = [](const TextItem& item) { return item.x == 15 && item.text.startsWith(QLatin1Char('T')); };

    PrintDocument document = CatalogueLists::shortList(rows(49), QStringLiteral("Short"), 280);
    QCOMPARE(topsOf(document, isCatalog), QList<QList<double>>{firstPage});

    document = CatalogueLists::shortList(rows(51), QStringLiteral("Short"), 280);
    QCOMPARE(topsOf(document, isCatalog), (QList<QList<double>>{firstPage, {25, 30}}));

    const PrintPage& first = document.pages[0];
    QCOMPARE(first.texts[0], (TextItem{15, 15, QStringLiteral("Short"), TextFont{QStringLiteral("Arial"), 10, true}}));
    QCOMPARE(first.lines, (std::vector<LineItem>{{15, 20, 150, 20}}));
    const std::vector<TextItem> row1(first.texts.begin() + 1, first.texts.begin() + 4);
    QCOMPARE(row1, (std::vector<TextItem>{{15, 25, QStringLiteral("T1"), Regular10},
                                          {45, 25, QStringLiteral("Movie 1"), Regular10},
                                          {140, 25, QStringLiteral("mv_director"), Regular10}}));

    // Later pages: the heading in the regular weight, and no rule.
    const PrintPage& second = document.pages[1];
    QCOMPARE(second.texts[0], (TextItem{15, 15, QStringLiteral("Short"), Regular10}));
    QVERIFY(second.lines.empty());
    QCOMPARE(second.texts.size(), size_t(1 + 2 * 3));
}

void TestPrintLayout::listsOfNoRowsHaveNoPages()
{
    QVERIFY(CatalogueLists::longList({}, QStringLiteral("H"), 280).pages.empty());
    QVERIFY(CatalogueLists::shortList({}, QStringLiteral("H"), 280).pages.empty());
}

void TestPrintLayout::longListsAreHandedOnAPageAtATime()
{
    for (ListKind kind : {ListKind::Long, ListKind::Short}) {
        const QList<ListRow> list = rows(kind == ListKind::Long ? 40 : 300);
        const PrintDocument whole = CatalogueLists::layout(kind, list, QStringLiteral("H"), 280);
        QVERIFY(whole.pages.size() >= 6);
        ListLayout layout(kind, QStringLiteral("H"), 280);
        std::vector<PrintPage> streamed;
        for (const ListRow& r : list) {
            layout.add(r);
            for (PrintPage& page : layout.takeCompletePages())
                streamed.push_back(std::move(page));
        }
        // Only the page being filled was held back.
        QCOMPARE(streamed.size(), whole.pages.size() - 1);
        PrintDocument rest = layout.finish();
        QCOMPARE(rest.pages.size(), size_t(1));
        streamed.push_back(rest.pages.front());
        QVERIFY(streamed == whole.pages);
    }
}

void TestPrintLayout::paintedPdfHasTheTextsWhereTheyWerePlaced()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    PdfCanvas canvas(pdf); // A4, 10 mm margins
    QCOMPARE(canvas.printableHeight(), 277.0);
    QVERIFY(canvas.print(CatalogueLists::longList(rows(7), QStringLiteral("Quelto Long List on X"),
                                                  canvas.printableHeight()),
                         QStringLiteral("Quelto Long List")));

    QProcess process;
    process.start(pdftotext, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(30000));
    const QString html = QString::fromUtf8(process.readAllStandardOutput());

    // Each word's box in points from the page's corner: the printable area
    // starts 10 mm in, and a text's top is the top of its line.
    const QRegularExpression word(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re"));
    struct Word
    {
        int page;
        double x, top, bottom;
        QString text;
    };
    QList<Word> words;
    int page = 0;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page "))) {
            ++page;
            continue;
        }
        const double toMm = 25.4 / 72;
        words << Word{page, m.captured(1).toDouble() * toMm - 10, m.captured(2).toDouble() * toMm - 10,
                      m.captured(3).toDouble() * toMm - 10, m.captured(4)};
    }
    const auto find = [&words](int page, const QString& text, double nearY) -> const Word* {
        for (const Word& w : words) {
            if (w.page == page && w.text == text && qAbs(w.top - nearY) < 3)
                return &w;
        }
        return nullptr;
    };
    QCOMPARE(page, 2);
    const struct
    {
        int page;
        const char* text;
        double x, y;
    } expected[] = {{1, "Quelto", 15, 15}, {1, "Movie", 15, 30},     {1, "T1", 141.1, 30},
                    {1, "Cast:", 17, 55},  {1, "mv_cast1", 18, 59},  {1, "mv_cast3", 101, 59},
                    {1, "Movie", 15, 235}, {2, "Quelto", 15, 15},    {2, "T7", 141.1, 30}};
    for (const auto& e : expected) {
        const Word* w = find(e.page, QString::fromLatin1(e.text), e.y);
        QVERIFY2(w, e.text);
        // A leading blank moves the word a blank's width right of its item.
        QVERIFY2(qAbs(w->x - e.x) < 0.8, qPrintable(QStringLiteral("%1 x %2").arg(QString::fromLatin1(e.text)).arg(w->x)));
        QVERIFY2(qAbs(w->top - e.y) < 0.8, qPrintable(QStringLiteral("%1 y %2").arg(QString::fromLatin1(e.text)).arg(w->top)));
    }
}

void TestPrintLayout::pdfIsWrittenAPageAtATimeAndCancelKeepsTheOldFile()
{
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty())
        QSKIP("pdfinfo is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("many.pdf"));
    PdfCanvas canvas(pdf);
    int made = 0;
    const auto pages = [&made](int count, int cancelAt) {
        return [&made, count, cancelAt](const PageSink& sink) {
            ListLayout layout(ListKind::Short, QStringLiteral("H"), 280);
            for (int i = 0; i < count; ++i) {
                if (i == cancelAt)
                    throw quelto::tasks::TaskCancelled();
                layout.add(row(QStringLiteral("Movie %1").arg(i)));
                for (PrintPage& page : layout.takeCompletePages()) {
                    ++made;
                    if (!sink(std::move(page)))
                        return false;
                }
            }
            for (PrintPage& page : layout.finish().pages)
                sink(std::move(page));
            return true;
        };
    };
    QVERIFY(canvas.printPages(pages(4900, -1), QStringLiteral("Quelto Short List")));
    QProcess info;
    info.start(pdfinfo, {pdf});
    QVERIFY(info.waitForFinished(30000));
    const QByteArray facts = info.readAllStandardOutput();
    QVERIFY2(QRegularExpression(QStringLiteral("Pages: +100\\n")).match(QString::fromLatin1(facts)).hasMatch(),
             facts.constData()); // 4,900 rows, 49 a page
    QCOMPARE(made, 99);

    // Cancelled half-way: the file written before stays as it was.
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QVERIFY_THROWS_EXCEPTION(quelto::tasks::TaskCancelled, canvas.printPages(pages(4900, 2000), QStringLiteral("X")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("many.pdf")});
}

void TestPrintLayout::labelQueriesQuoteAndMatchTitlesLiterally()
{
    QCOMPARE(TapeLabels::mediaIdQuery(QStringLiteral("A*")), QStringLiteral("select * from archive where catalog like'A*'"));
    QCOMPARE(TapeLabels::mediaIdQuery(QStringLiteral("O'B")),
             QStringLiteral("select * from archive where catalog like'O''B'"));
    QCOMPARE(TapeLabels::titleQuery(QStringLiteral("K'1"), QStringLiteral("Ocean's [11] #1?*")),
             QStringLiteral("select * from archive where catalog like 'K''1' and title like 'Ocean''s [[]11] [#]1[?][*]'"));
}

void TestPrintLayout::formFactorFollowsTheMediaType()
{
    QCOMPARE(TapeLabels::formFactorFor(QStringLiteral("Video 8")), std::optional(FormFactor::EightMm));
    QCOMPARE(TapeLabels::formFactorFor(QStringLiteral("VHS")), std::optional(FormFactor::Vhs));
    QCOMPARE(TapeLabels::formFactorFor(QStringLiteral("s-vhs")), std::optional(FormFactor::Vhs));
    QCOMPARE(TapeLabels::formFactorFor(QStringLiteral("VHS 180 min")), std::optional(FormFactor::Vhs)); // the later test wins
    QVERIFY(!TapeLabels::formFactorFor(QStringLiteral("Vhs")));           // case matters
    QVERIFY(!TapeLabels::formFactorFor(QStringLiteral("DVD")));
    QVERIFY(!TapeLabels::formFactorFor(QString()));
}

void TestPrintLayout::titlesMoveUpAndDownWithinTheList()
{
    QStringList titles{"A", "B", "C"};
    QCOMPARE(TapeLabels::moveTitle(titles, 0, -1), 0);
    QCOMPARE(TapeLabels::moveTitle(titles, 2, +1), 2);
    QCOMPARE(TapeLabels::moveTitle(titles, -1, +1), -1); // nothing selected
    QCOMPARE(titles, (QStringList{"A", "B", "C"}));
    QCOMPARE(TapeLabels::moveTitle(titles, 2, -1), 1);
    QCOMPARE(titles, (QStringList{"A", "C", "B"}));
    QCOMPARE(TapeLabels::moveTitle(titles, 0, +1), 1);
    QCOMPARE(titles, (QStringList{"C", "A", "B"}));
}

void TestPrintLayout::vhsBackLabelFitsOneToFourTitles()
{
    const auto back = [](int n) {
        const PrintDocument d = TapeLabels::layout(entries(n), QStringLiteral("V-7"), vhs(true, false, false));
        return d.pages.at(0);
    };
    PrintPage page = back(1);
    QCOMPARE(page.lines, frame(15, 15, 162, 34));
    QCOMPARE(page.texts, (std::vector<TextItem>{{17, 23, QStringLiteral("Title 1"), arial(12, true)},
                                                {140, 23, QStringLiteral("V-7"), arial(12, true)}}));
    QCOMPARE(tops(starting(back(2), QStringLiteral("Title"))), (QList<double>{19, 25}));
    QCOMPARE(tops(starting(back(3), QStringLiteral("Title"))), (QList<double>{16, 22, 28}));
    const std::vector<TextItem> many = starting(back(7), QStringLiteral("Title"));
    QCOMPARE(tops(many), (QList<double>{16, 20, 24, 28}));
    QCOMPARE(many.front().font, arial(9, true));
    QCOMPARE(many.front().x, 17.0);
}

void TestPrintLayout::vhsFaceLabelListsTheEntriesThatFit()
{
    // Below a back label the face label starts 25 mm lower, at Y0 = 40.
    PrintDocument d = TapeLabels::layout(entries(11), QStringLiteral("V-7"), vhs(true, true, true));
    QCOMPARE(d.pages.size(), size_t(2));
    const PrintPage& page = d.pages[0];
    std::vector<LineItem> frames = frame(15, 15, 162, 34);
    for (const LineItem& l : frame(15, 40, 93, 87))
        frames.push_back(l);
    QCOMPARE(page.lines, frames);
    std::vector<TextItem> titles = starting(page, QStringLiteral("Title "));
    titles.erase(titles.begin(), titles.begin() + 4); // the back label's
    // A sixth entry at 82 would end below the frame at 87: five fit.
    QCOMPARE(tops(titles), (QList<double>{42, 50, 58, 66, 74}));
    QCOMPARE(titles.back().text, QStringLiteral("Title 5"));
    QCOMPARE(titles.back().font, arial(6, true));
    QCOMPARE(starting(page, QStringLiteral("Genre 5")),
             (std::vector<TextItem>{{18, 76, QStringLiteral("Genre 5  USA/195"), arial(6, false)}}));
    QCOMPARE(starting(page, QStringLiteral("Director 5")),
             (std::vector<TextItem>{{18, 78, QStringLiteral("Director 5   7.5"), arial(6, false)}}));

    // Up to three titles: 9 points with 2 mm more room, alone at Y0 = 15.
    d = TapeLabels::layout(entries(3), QStringLiteral("V-7"), vhs(false, true, false));
    QCOMPARE(d.pages.size(), size_t(1));
    QCOMPARE(d.pages[0].lines, frame(15, 15, 93, 62));
    QCOMPARE(starting(d.pages[0], QStringLiteral("Title 2")),
             (std::vector<TextItem>{{17, 31, QStringLiteral("Title 2"), arial(9, true)}}));
    QCOMPARE(tops(starting(d.pages[0], QStringLiteral("Genre"))), (QList<double>{21, 35, 49}));
    QCOMPARE(tops(starting(d.pages[0], QStringLiteral("Director"))), (QList<double>{25, 39, 53}));
}

void TestPrintLayout::vhsBoxCoverGoesOnAPageOfItsOwn()
{
    PrintDocument d = TapeLabels::layout(entries(1), QStringLiteral("V-7"), vhs(false, false, true));
    QCOMPARE(d.pages.size(), size_t(1)); // no label before it: no new page
    const PrintPage& one = d.pages[0];
    QCOMPARE(one.lines, frame(3, 3, 198, 261));
    QCOMPARE(starting(one, QStringLiteral("Title 1")),
             (std::vector<TextItem>{{13, 128, QStringLiteral("Title 1"), arial(12, true)},
                                    {8, 155, QStringLiteral("Title 1"), arial(10, true)}}));
    const double line = PageBuilder::lineHeight(10);
    QCOMPARE(line, 10 * 2355.0 / 2048 * 25.4 / 72);
    QCOMPARE(starting(one, QStringLiteral("Genre 1")),
             (std::vector<TextItem>{{8, 155 + line, QStringLiteral("Genre 1   USA/191"), arial(10, false)}}));
    const std::vector<TextItem> rating = starting(one, QStringLiteral("7.1"));
    QCOMPARE(rating.size(), size_t(1));
    QVERIFY(qAbs(rating[0].y - (155 + 3 * line)) < 1e-9);
    QCOMPARE(starting(one, QStringLiteral("V-7")),
             (std::vector<TextItem>{{168, 133, QStringLiteral("V-7"), arial(12, true)}}));

    d = TapeLabels::layout(entries(2), QStringLiteral("V-7"), vhs(true, false, true));
    QCOMPARE(d.pages.size(), size_t(2));
    QCOMPARE(tops(starting(d.pages[1], QStringLiteral("Title"))), (QList<double>{126, 155, 132, 155}));

    d = TapeLabels::layout(entries(5), QStringLiteral("V-7"), vhs(false, true, true));
    QCOMPARE(d.pages.size(), size_t(2));
    const std::vector<TextItem> cover = starting(d.pages[1], QStringLiteral("Title"));
    QCOMPARE(cover.size(), size_t(8)); // four titles, each on the spine and in a corner
    QList<QPointF> corners;
    for (size_t i = 1; i < cover.size(); i += 2)
        corners << QPointF(cover[i].x, cover[i].y);
    QCOMPARE(corners, (QList<QPointF>{{8, 155}, {108, 155}, {8, 195}, {108, 195}}));
    QCOMPARE((QList<double>{cover[0].y, cover[2].y, cover[4].y, cover[6].y}), (QList<double>{121, 127, 133, 139}));
}

void TestPrintLayout::eightMmBackLabelAndBoxInsertShareAPage()
{
    PrintDocument d = TapeLabels::layout(entries(2), QStringLiteral("E-1"), eightMm(true, false));
    QCOMPARE(d.pages.size(), size_t(1));
    QCOMPARE(d.pages[0].lines, frame(15, 15, 90, 25));
    QCOMPARE(d.pages[0].texts, (std::vector<TextItem>{{17, 17, QStringLiteral("Title 1"), arial(8, true)},
                                                      {17, 21, QStringLiteral("Title 2"), arial(8, true)},
                                                      {76, 19, QStringLiteral("E-1"), arial(8, true)}}));

    d = TapeLabels::layout(entries(4), QStringLiteral("E-1"), eightMm(true, true));
    QCOMPARE(d.pages.size(), size_t(1));
    const PrintPage& page = d.pages[0];
    std::vector<LineItem> lines = frame(15, 15, 90, 25);
    for (const LineItem& l : frame(15, 35, 110, 125))
        lines.push_back(l);
    lines.push_back({15, 97, 110, 97});
    lines.push_back({15, 113, 110, 113});
    QCOMPARE(page.lines, lines);

    const std::vector<TextItem> titles = starting(page, QStringLiteral("Title"));
    QCOMPARE(tops(titles), (QList<double>{16, 19, 22,        // back label, 6 points
                                          40, 54, 68,        // upper panel: three fit
                                          98, 102, 106})); // spine band: three end above the fold
    QCOMPARE(titles[0].font, arial(6, true));
    QCOMPARE(titles[3], (TextItem{20, 40, QStringLiteral("Title 1"), arial(9, true)}));
    QCOMPARE(titles[8], (TextItem{17, 106, QStringLiteral("Title 3"), arial(9, true)}));
    QCOMPARE(starting(page, QStringLiteral("Genre 1")),
             (std::vector<TextItem>{{21, 44, QStringLiteral("Genre 1  USA/191"), arial(9, false)}}));
    QCOMPARE(starting(page, QStringLiteral("Director 3")),
             (std::vector<TextItem>{{21, 76, QStringLiteral("Director 3   7.3"), arial(9, false)}}));
    QCOMPARE(starting(page, QStringLiteral("E-1")),
             (std::vector<TextItem>{{76, 19, QStringLiteral("E-1"), arial(8, true)},
                                    {95, 104, QStringLiteral("E-1"), arial(9, true)}}));

    // One or two titles sit lower in the spine band.
    d = TapeLabels::layout(entries(1), QStringLiteral("E-1"), eightMm(false, true));
    QCOMPARE(tops(starting(d.pages[0], QStringLiteral("Title"))), (QList<double>{40, 104}));
    d = TapeLabels::layout(entries(2), QStringLiteral("E-1"), eightMm(false, true));
    QCOMPARE(tops(starting(d.pages[0], QStringLiteral("Title"))), (QList<double>{40, 54, 101, 105}));
}

void TestPrintLayout::labelsWithoutAFormFactorOrChoiceAreEmpty()
{
    QVERIFY(TapeLabels::layout(entries(2), QStringLiteral("X"), {FormFactor::None, true, true, true}).isEmpty());
    QVERIFY(TapeLabels::layout(entries(2), QStringLiteral("X"), vhs(false, false, false)).isEmpty());
    // 8 mm has no face label.
    QVERIFY(TapeLabels::layout(entries(2), QStringLiteral("X"), {FormFactor::EightMm, false, true, false}).isEmpty());
}

void TestPrintLayout::longListNamesTheCharactersOfTheCast()
{
    ListRow movie = row(QStringLiteral("Movie 1"), QStringLiteral("T1"));
    movie[QStringLiteral("mv_cast1")] = QStringLiteral("Heath Ledger");
    movie[QStringLiteral("mv_cast2")] = QStringLiteral("Michael Caine");
    movie[QStringLiteral("mv_cast3")] = QStringLiteral("Nobody Billed");
    movie[ListLayout::CastRolesKey] = QStringLiteral("heath ledger\tJoker\nMichael Caine\tAlfred Pennyworth, the butler "
                                                     "of the Wayne family for many years\nNobody Billed");
    ListLayout layout(ListKind::Long, QStringLiteral("H"), 280);
    layout.add(movie);
    layout.add(row(QStringLiteral("Movie 2"), QStringLiteral("T2"))); // no billed cast: names alone
    const PrintPage page = layout.finish().pages.at(0);
    QStringList texts;
    for (const auto& item : page.texts)
        texts << item.text;
    QVERIFY(texts.contains(QStringLiteral("Heath Ledger (Joker)")));
    QVERIFY(texts.contains(QStringLiteral(" Nobody Billed")));
    const QStringList caine = texts.filter(QStringLiteral("Michael Caine ("));
    QCOMPARE(caine.size(), 1);
    QVERIFY(caine[0].endsWith(QStringLiteral("\u2026)")));
    QVERIFY(caine[0].size() <= ListLayout::MaxCastText + 5);
    QVERIFY(texts.filter(QStringLiteral("(")).size() == 2);
}

QTEST_MAIN(TestPrintLayout)
#include "tst_print_layout.moc"
