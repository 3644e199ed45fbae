// Texts fitted into the room they have: the longest titles of a real
// collection on every list and label, checked as placed items.
#include "printing/CatalogueLists.h"
#include "printing/PageFitter.h"
#include "printing/TapeLabels.h"
#include "printing/TextMetrics.h"

#include <QtTest>

using namespace quelto::printing;

namespace {

constexpr double Width = 190; // A4 with 10 mm margins
constexpr double Height = 277;

const QString Strangelove = QStringLiteral("Dr. Strangelove or: How I Learned to Stop Worrying and Love the Bomb");

struct Movie
{
    const char* title;
    const char* director;
    const char* genre;
    const char* country;
};

const Movie Collection[] = {
    {"Dr. Strangelove or: How I Learned to Stop Worrying and Love the Bomb", "Stanley Kubrick", "Comedy, War",
     "United Kingdom, United States"},
    {"The Persecution and Assassination of Jean-Paul Marat as Performed by the Inmates of the Asylum of Charenton",
     "Peter Brook", "Drama, History, Music", "United Kingdom"},
    {"Borat: Cultural Learnings of America for Make Benefit Glorious Nation of Kazakhstan", "Larry Charles",
     "Comedy", "United States, United Kingdom"},
    {"The Assassination of Jesse James by the Coward Robert Ford", "Andrew Dominik",
     "Biography, Crime, Drama, History, Western", "United States, Canada"},
    {"The Life and Death of Colonel Blimp", "Michael Powell, Emeric Pressburger", "Drama, Romance, War",
     "United Kingdom"},
    {"Uncle Boonmee Who Can Recall His Past Lives", "Apichatpong Weerasethakul", "Drama, Fantasy",
     "Thailand, United Kingdom, France, Germany, Spain, Netherlands"},
    {"Das Leben der Anderen", "Florian Henckel von Donnersmarck", "Drama, Thriller", "Germany"},
};

ListRow listRow(const Movie& m, int i)
{
    ListRow r;
    r.insert(QStringLiteral("title"), QString::fromUtf8(m.title));
    r.insert(QStringLiteral("catalog"), QStringLiteral("VHS-LP-%1").arg(1000 + i));
    r.insert(QStringLiteral("mv_director"), QString::fromUtf8(m.director));
    r.insert(QStringLiteral("mv_genre"), QString::fromUtf8(m.genre));
    r.insert(QStringLiteral("mv_country"), QString::fromUtf8(m.country));
    r.insert(QStringLiteral("mv_year"), QStringLiteral("1964"));
    r.insert(QStringLiteral("mv_producer"),
             QStringLiteral("Columbia Pictures Corporation, Hawk Films, British Lion Film Corporation"));
    r.insert(QStringLiteral("mv_color"), QStringLiteral("Black and White"));
    r.insert(QStringLiteral("mv_sound"), QStringLiteral("Dolby Digital Surround EX"));
    r.insert(QStringLiteral("md_sound"), QStringLiteral("Hi-Fi Stereo Dolby Surround"));
    r.insert(QStringLiteral("mv_language"), QStringLiteral("English, Russian, German, French"));
    r.insert(QStringLiteral("md_language"), QStringLiteral("English with German subtitles"));
    r.insert(QStringLiteral("mv_rating"), QStringLiteral("8.4"));
    r.insert(QStringLiteral("md_type"), QStringLiteral("VHS 240 min long play"));
    r.insert(QStringLiteral("md_format"), QStringLiteral("PAL widescreen 16:9 letterbox"));
    r.insert(QStringLiteral("md_image"), QStringLiteral("Excellent, recorded from broadcast"));
    r.insert(QStringLiteral("mv_book"), QStringLiteral("Peter George (novel \"Red Alert\"), Terry Southern"));
    r.insert(QStringLiteral("mv_music"), QStringLiteral("Laurie Johnson, Vera Lynn (song \"We'll Meet Again\")"));
    for (int c = 1; c <= 6; ++c)
        r.insert(QStringLiteral("mv_cast%1").arg(c), QStringLiteral("Maximilian Schwarzenberger-Whitfield %1").arg(c));
    return r;
}

QList<ListRow> listRows()
{
    QList<ListRow> rows;
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < std::size(Collection); ++i)
            rows << listRow(Collection[i], int(i));
    }
    return rows;
}

std::vector<LabelEntry> labelEntries(int n)
{
    std::vector<LabelEntry> out;
    for (int i = 0; i < n; ++i) {
        const Movie& m = Collection[size_t(i) % std::size(Collection)];
        out.push_back({QString::fromUtf8(m.title), QString::fromUtf8(m.country) + QStringLiteral("/1964"),
                       QString::fromUtf8(m.genre), QString::fromUtf8(m.director), QStringLiteral("8.4")});
    }
    return out;
}

struct Box
{
    double left, top, right, bottom;
};

// Where a text's ink lies: its advance across, capitals to descenders down.
Box inkOf(const TextItem& t)
{
    return {t.x, PageFitter::inkTop(t), t.x + TextMetrics::width(t.font, t.text), PageFitter::inkBottom(t)};
}

QString describe(const TextItem& t) { return QStringLiteral("\"%1\" at (%2, %3)").arg(t.text).arg(t.x).arg(t.y); }

// No two texts' ink meets; each text stays inside its frame and the
// printable area. Returns the first fault found.
QString faultIn(const PrintDocument& document)
{
    for (size_t p = 0; p < document.pages.size(); ++p) {
        const PrintPage& page = document.pages[p];
        for (size_t i = 0; i < page.texts.size(); ++i) {
            const TextItem& a = page.texts[i];
            if (!PageFitter::hasInk(a))
                continue;
            const Box box = inkOf(a);
            const double lineBottom = a.y + TextMetrics::height(a.font);
            if (box.right > Width || lineBottom > Height)
                return QStringLiteral("page %1: %2 leaves the printable area").arg(p + 1).arg(describe(a));
            for (const FrameItem& f : page.frames) {
                if (f.contains(a.x, a.y) && (box.right > f.x2 || lineBottom > f.y2))
                    return QStringLiteral("page %1: %2 leaves its frame").arg(p + 1).arg(describe(a));
            }
            for (size_t j = i + 1; j < page.texts.size(); ++j) {
                const TextItem& b = page.texts[j];
                if (!PageFitter::hasInk(b))
                    continue;
                const Box other = inkOf(b);
                if (box.left < other.right && other.left < box.right && box.top < other.bottom &&
                    other.top < box.bottom)
                    return QStringLiteral("page %1: %2 meets %3").arg(p + 1).arg(describe(a), describe(b));
            }
        }
    }
    return {};
}

PrintDocument fitted(PrintDocument document)
{
    PageFitter::fit(document, Width);
    return document;
}

const TextItem* find(const PrintPage& page, double x, double y)
{
    for (const TextItem& t : page.texts) {
        if (t.x == x && t.y == y)
            return &t;
    }
    return nullptr;
}

} // namespace

class TestPrintFit : public QObject
{
    Q_OBJECT

private slots:
    void longestTitlesFitEveryListAndLabel();
    void textsThatFitAreLeftAsPlaced();
    void tooLongTextTakesASmallerFontThenAnEllipsis();
    void textsStopBeforeTheNextTextOnTheirLineOnly();
    void roomFoundAmongTheBandsIsRoomFoundAmongAllTexts();
    void quickFitAgreesWithTheShapedWidth();
    void faceLabelAndSpineBandListOnlyWhatFits();
};

void TestPrintFit::longestTitlesFitEveryListAndLabel()
{
    const QList<ListRow> rows = listRows();
    const QString heading =
        QStringLiteral("Quelto Long List of Query <Title: the assassination of the persecution [21]> on 12/31/2024");
    QString fault = faultIn(fitted(CatalogueLists::longList(rows, heading, Height)));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    fault = faultIn(fitted(CatalogueLists::shortList(rows, heading, Height)));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    const QString mediaId = QStringLiteral("VHS-LP-1042");
    for (int n = 1; n <= 11; ++n) {
        for (const LabelChoice& choice : {LabelChoice{FormFactor::Vhs, true, true, true},
                                          LabelChoice{FormFactor::Vhs, false, true, false},
                                          LabelChoice{FormFactor::EightMm, true, false, true}}) {
            fault = faultIn(fitted(TapeLabels::layout(labelEntries(n), mediaId, choice)));
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("%1 titles: %2").arg(n).arg(fault)));
        }
    }
}

void TestPrintFit::textsThatFitAreLeftAsPlaced()
{
    std::vector<LabelEntry> entries;
    for (const char* title : {"Alien", "Heat", "Brazil", "Fargo", "Ran"})
        entries.push_back({QString::fromLatin1(title), QStringLiteral("USA/1979"), QStringLiteral("Horror"),
                           QStringLiteral("Ridley Scott"), QStringLiteral("8.5")});
    for (const LabelChoice& choice :
         {LabelChoice{FormFactor::Vhs, true, true, true}, LabelChoice{FormFactor::EightMm, true, false, true}}) {
        const PrintDocument placed = TapeLabels::layout(entries, QStringLiteral("V001"), choice);
        QCOMPARE(fitted(placed).pages, placed.pages);
    }
    ListRow row = listRow(Collection[6], 0);
    row.insert(QStringLiteral("mv_director"), QStringLiteral("Fritz Lang"));
    const PrintDocument list = CatalogueLists::shortList({row, row}, QStringLiteral("Quelto Short List on 1/2/24"), Height);
    QCOMPARE(fitted(list).pages, list.pages);
}

void TestPrintFit::tooLongTextTakesASmallerFontThenAnEllipsis()
{
    const TextItem title{15, 30, Strangelove, TextFont{QStringLiteral("Arial"), 11, true}};
    const double full = TextMetrics::width(title.font, title.text);

    // A little too long: the same text, half a point or more smaller.
    TextItem t = PageFitter::shortened(title, full * 0.96);
    QCOMPARE(t.text, Strangelove);
    QVERIFY(t.font.pointSize <= 10.5 && t.font.pointSize >= 8.8);
    QVERIFY(TextMetrics::width(t.font, t.text) <= full * 0.96);
    QCOMPARE(t.font.bold, true);
    QCOMPARE(t.y, 30.0);

    // Far too long: the floor size, cut with an ellipsis.
    t = PageFitter::shortened(title, 60);
    QCOMPARE(t.font.pointSize, 8.8);
    QVERIFY2(t.text.endsWith(QChar(0x2026)) && t.text.startsWith(QLatin1String("Dr. Strangelove")), qPrintable(t.text));
    QVERIFY(TextMetrics::width(t.font, t.text) <= 60);

    // Small fonts are not shrunk below six points; no room prints nothing.
    t = PageFitter::shortened(TextItem{0, 0, Strangelove, TextFont{QStringLiteral("Arial"), 6, true}}, 30);
    QCOMPARE(t.font.pointSize, 6.0);
    QVERIFY(t.text.endsWith(QChar(0x2026)));
    QVERIFY(PageFitter::shortened(title, 0).text.isEmpty());
}

void TestPrintFit::textsStopBeforeTheNextTextOnTheirLineOnly()
{
    ListRow row = listRow(Collection[0], 0);
    const PrintPage page = fitted(CatalogueLists::longList({row}, QStringLiteral("H"), Height)).pages.at(0);

    // The title stops a gap before the media ID, which stays whole.
    const TextItem* title = find(page, 15, 30);
    const TextItem* id = find(page, 140, 30);
    QVERIFY(title && id);
    QCOMPARE(id->text, QStringLiteral(" VHS-LP-1000"));
    QVERIFY(title->x + TextMetrics::width(title->font, title->text) <= 140 - PageFitter::Gap);
    QVERIFY(title->text.startsWith(QLatin1String("Dr. Strangelove")));

    // The producer has the line to itself, up to the printable area's edge.
    const TextItem* producer = find(page, 17, 39);
    QVERIFY(producer);
    QCOMPARE(producer->text, row.value(QStringLiteral("mv_producer")));

    // On the VHS back label only the title whose ink shares a height with the
    // media ID gives way to it; the others run to the frame.
    const std::vector<LabelEntry> longest(4, labelEntries(2).back());
    const PrintPage back = fitted(TapeLabels::layout(longest, QStringLiteral("V001"),
                                                     LabelChoice{FormFactor::Vhs, true, false, false}))
                               .pages.at(0);
    const auto rightOf = [&back](double y) {
        const TextItem* t = find(back, 17, y);
        return t ? t->x + TextMetrics::width(t->font, t->text) : -1;
    };
    QVERIFY(rightOf(24) <= 140 - PageFitter::Gap);
    for (double y : {16, 20, 28})
        QVERIFY(rightOf(y) > 140 && rightOf(y) <= 162 - PageFitter::Gap);
}

void TestPrintFit::roomFoundAmongTheBandsIsRoomFoundAmongAllTexts()
{
    // The fitter looks only at the texts whose band can meet a text's; on
    // full pages of both lists, and with texts of every height and line out
    // of order, it finds the room that looking at every text finds.
    QList<ListRow> rows;
    for (int i = 0; i < 120; ++i)
        rows << listRow(Collection[size_t(i) % std::size(Collection)], i);
    std::vector<PrintPage> pages;
    for (const PrintDocument& document :
         {CatalogueLists::longList(rows, QStringLiteral("H"), Height), CatalogueLists::shortList(rows, QStringLiteral("H"), Height)})
        pages.insert(pages.end(), document.pages.begin(), document.pages.end());
    PrintPage mixed;
    for (int i = 0; i < 60; ++i)
        mixed.texts.push_back({double((i * 37) % 150), double((i * 53) % 200) + (i % 3) * 0.4, QStringLiteral("Text %1").arg(i),
                               TextFont{QStringLiteral("Arial"), 6.0 + (i % 5) * 4, i % 2 == 0}});
    pages.push_back(mixed);
    int compared = 0;
    for (const PrintPage& page : pages) {
        std::vector<PageFitter::Band> bands;
        std::vector<size_t> order;
        double tallest = 0;
        for (const TextItem& item : page.texts) {
            bands.push_back({PageFitter::hasInk(item), PageFitter::inkTop(item), PageFitter::inkBottom(item)});
            tallest = std::max(tallest, bands.back().bottom - bands.back().top);
            order.push_back(order.size());
        }
        std::stable_sort(order.begin(), order.end(), [&bands](size_t a, size_t b) { return bands[a].top < bands[b].top; });
        for (size_t i = 0; i < page.texts.size(); ++i) {
            QCOMPARE(PageFitter::roomEnd(page, bands, i, Width, order, tallest), PageFitter::roomEnd(page, bands, i, Width));
            ++compared;
        }
    }
    QVERIFY(compared > 500);
}

void TestPrintFit::faceLabelAndSpineBandListOnlyWhatFits()
{
    const auto startingWith = [](const PrintPage& page, const QString& prefix, double minY, double maxY) {
        int count = 0;
        for (const TextItem& t : page.texts)
            count += t.text.startsWith(prefix) && t.y >= minY && t.y < maxY;
        return count;
    };
    std::vector<LabelEntry> entries;
    for (int i = 1; i <= 7; ++i)
        entries.push_back({QStringLiteral("T%1").arg(i), QStringLiteral("D/1"), QStringLiteral("G"),
                           QStringLiteral("R"), QStringLiteral("1")});

    // Six 6-point entries 8 mm apart would end below the 47 mm frame: five fit.
    PrintDocument d = TapeLabels::layout(entries, QStringLiteral("V1"), LabelChoice{FormFactor::Vhs, true, true, false});
    QCOMPARE(startingWith(d.pages[0], QStringLiteral("T"), 40, 87), 5);
    // Three entries at 9 points fit as before.
    entries.resize(3);
    d = TapeLabels::layout(entries, QStringLiteral("V1"), LabelChoice{FormFactor::Vhs, false, true, false});
    QCOMPARE(startingWith(d.pages[0], QStringLiteral("T"), 15, 62), 3);

    // The 8 mm spine band: a fourth title at Y0 + 75 would reach the fold at Y0 + 78.
    entries.resize(4, entries.front());
    d = TapeLabels::layout(entries, QStringLiteral("E1"), LabelChoice{FormFactor::EightMm, false, false, true});
    QCOMPARE(startingWith(d.pages[0], QStringLiteral("T"), 97, 113), 3);
    QVERIFY(110 + TextMetrics::height(TextFont{QStringLiteral("Arial"), 9, true}) > 113);
}

void TestPrintFit::quickFitAgreesWithTheShapedWidth()
{
    // Texts measured from their glyphs (kerning pairs, accents, Cyrillic)
    // and texts that must be shaped (a mark, Arabic, Japanese): the answer is
    // the shaped width's at every width near it, and well clear of it.
    const QStringList texts{QStringLiteral("AVATAR: WAVY Tolkien's \"Yo-yo\" To Ty Vo"), QStringLiteral("Amélie, Łódź, Ærøskøbing"),
                            QStringLiteral("Брат 2 – “quoted” € 12,50"), QStringLiteral("Zoe\u0308"), QStringLiteral("الرسالة"),
                            QStringLiteral("七人の侍"), QStringLiteral("fi fl ffi"), QString()};
    for (const TextFont& font : {TextFont{}, TextFont{QStringLiteral("Arial"), 9, true}, TextFont{QStringLiteral("Arial"), 14, false}}) {
        for (const QString& text : texts) {
            const double exact = TextMetrics::width(font, text);
            for (double delta : {-5.0, -0.5, -0.01, 0.0, 0.01, 0.5, 5.0}) {
                const double width = exact + delta;
                QVERIFY2(TextMetrics::fits(font, text, width) == (exact <= width),
                         qPrintable(QStringLiteral("%1 at %2 mm").arg(text).arg(width)));
            }
        }
    }
}

QTEST_MAIN(TestPrintFit)
#include "tst_print_fit.moc"
