// Site profiles, the registry with its user folder, the reading of snapshot
// JSON and the structured grab's rules, without a browser.
#include "weblookup/GrabReport.h"
#include "weblookup/HtmlEntities.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/ProfileList.h"
#include "weblookup/SiteBoundary.h"
#include "weblookup/SiteProfileReader.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto::weblookup;

namespace {

QByteArray json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// A snapshot as the collector script would report it.
PageSnapshot snapshot(QJsonObject o)
{
    if (!o.contains(QLatin1String("url")))
        o.insert(QLatin1String("url"), QStringLiteral("http://127.0.0.1:8080/title/tt0000001/"));
    std::optional<PageSnapshot> page = PageSnapshot::fromJson(json(o));
    Q_ASSERT(page);
    return *page;
}

QJsonObject labelled(const QString& label, const QStringList& values)
{
    return {{QStringLiteral("label"), label}, {QStringLiteral("values"), QJsonArray::fromStringList(values)}};
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

class TestSiteProfiles : public QObject
{
    Q_OBJECT

private slots:
    void rejectsBadProfiles_data();
    void rejectsBadProfiles();
    void userFolderAddsAndReplaces();
    void recognisesPages();
    void buildsAddresses();
    void readsSnapshotJson();
    void matchesLabels();
    void decodesEntities();
    void formatsRatings_data();
    void formatsRatings();
    void titleAndYearAsShown();
    void laterPagesNeverEmptyAField();
    void listFieldsTakeEveryValue();
    void summarises();
    void keepsToTheTitlePagesSite();
    void reportsBrokenProfiles();

private:
    SiteProfileRegistry m_registry{QString()};
    const SiteProfile& imdb() const { return *m_registry.find(QStringLiteral("imdb")); }
};

void TestSiteProfiles::rejectsBadProfiles_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<QString>("why");
    QTest::newRow("not JSON") << QByteArray("{\"name\": ") << QStringLiteral("not valid JSON");
    QTest::newRow("a list") << QByteArray("[]") << QStringLiteral("one JSON object");
    QTest::newRow("no name") << QByteArray(R"({"kind": "classic"})") << QStringLiteral("missing \"name\"");
    QTest::newRow("kind") << QByteArray(R"({"name": "x", "kind": "magic"})") << QStringLiteral("\"kind\" must be");
    QTest::newRow("no fields") << QByteArray(R"({"name": "x"})") << QStringLiteral("needs \"fields\"");
    QTest::newRow("unknown field") << QByteArray(R"({"name": "x", "fields": {"mv_budget": ["heading"]}})")
                                   << QStringLiteral("\"fields.mv_budget\": unknown field");
    QTest::newRow("unknown source") << QByteArray(R"({"name": "x", "fields": {"title": ["xpath://h1"]}})")
                                    << QStringLiteral("unknown source \"xpath://h1\"");
    QTest::newRow("source not text") << QByteArray(R"({"name": "x", "fields": {"title": [1]}})")
                                     << QStringLiteral("must list texts");
    QTest::newRow("bad pattern") << QByteArray(R"({"name": "x", "kind": "classic", "idPattern": "(tt"})")
                                 << QStringLiteral("\"idPattern\"");
    QTest::newRow("page without address")
        << QByteArray(R"({"name": "x", "kind": "classic", "pages": [{"name": "credits"}]})")
        << QStringLiteral("\"pages[0]\" needs \"links\" or \"address\"");
    QTest::newRow("page fills unknown")
        << QByteArray(R"({"name": "x", "kind": "classic", "pages": [{"name": "c", "address": "/c", "fills": ["cast"]}]})")
        << QStringLiteral("unknown field \"cast\"");
}

void TestSiteProfiles::rejectsBadProfiles()
{
    QFETCH(QByteArray, profile);
    QFETCH(QString, why);
    QString error;
    QVERIFY(!SiteProfileReader::fromJson(profile, &error));
    QVERIFY2(error.contains(why), qPrintable(error));
}

void TestSiteProfiles::userFolderAddsAndReplaces()
{
    QCOMPARE(m_registry.names(), (QStringList{QStringLiteral("classic"), QStringLiteral("IMDb"), QStringLiteral("Wikipedia"),
                                              QStringLiteral("schema.org"), QStringLiteral("any site")}));
    QVERIFY(m_registry.errors().isEmpty());

    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath(QStringLiteral("mysite.json")),
                      R"({"name": "My site", "recognise": {"hosts": ["example.org"]},
                          "fields": {"title": ["heading"]}})"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("imdb-local.json")),
                      R"({"name": "imdb", "recognise": {"hosts": ["imdb.example"]}, "fields": {"title": ["heading"]}})"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("broken.json")), "{ not json"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("classic.json")), R"({"name": "Classic", "fields": {"title": ["heading"]}})"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("notes.txt")), "not a profile"));

    const SiteProfileRegistry registry(folder.path());
    QCOMPARE(registry.names().size(), 6);
    QVERIFY(registry.find(QStringLiteral("my site")));
    QVERIFY(registry.find(QStringLiteral("IMDb"))->recognisesHost(QStringLiteral("imdb.example")));
    QVERIFY(!registry.find(QStringLiteral("IMDb"))->recognisesHost(QStringLiteral("www.imdb.com")));
    QCOMPARE(registry.classic().kind(), SiteProfile::Kind::Classic);
    QCOMPARE(registry.errors().size(), 2);
    QVERIFY(registry.errors().at(0).contains(QLatin1String("broken.json: not valid JSON")));
    QVERIFY(registry.errors().at(1).contains(QLatin1String("classic.json: the profile \"classic\" must be")));

    // A folder that does not exist is no error.
    QVERIFY(SiteProfileRegistry(folder.filePath(QStringLiteral("missing"))).errors().isEmpty());
}

void TestSiteProfiles::recognisesPages()
{
    auto name = [this](const QJsonObject& o) { return m_registry.recognise(snapshot(o)).name(); };
    const QJsonObject movie{{QStringLiteral("@type"), QStringLiteral("Movie")}, {QStringLiteral("name"), QStringLiteral("M")}};
    const QJsonArray movieLd{QString::fromUtf8(json(movie))};

    QCOMPARE(name({{QStringLiteral("url"), QStringLiteral("https://m.imdb.com/title/tt1/")}}), QStringLiteral("IMDb"));
    // A mirror by the site's addresses; a page of any other site by the profile for any page.
    QCOMPARE(name({{QStringLiteral("url"), QStringLiteral("https://notimdb.com/title/tt1/")}}), QStringLiteral("IMDb"));
    QCOMPARE(name({{QStringLiteral("url"), QStringLiteral("https://notimdb.com/film/1/")}}), QStringLiteral("any site"));
    QCOMPARE(name({{QStringLiteral("canonical"), QStringLiteral("https://www.imdb.com/title/tt1/")}}), QStringLiteral("IMDb"));
    QCOMPARE(name({{QStringLiteral("siteName"), QStringLiteral("imdb")}}), QStringLiteral("IMDb"));
    QCOMPARE(name({{QStringLiteral("jsonLd"), movieLd}}), QStringLiteral("schema.org"));
    // The site's own profile wins over the generic one.
    QCOMPARE(name({{QStringLiteral("jsonLd"), movieLd}, {QStringLiteral("siteName"), QStringLiteral("IMDb")}}),
             QStringLiteral("IMDb"));
    // A microdata item counts too; another type does not.
    QCOMPARE(name({{QStringLiteral("microdata"), QJsonArray{QJsonObject{{QStringLiteral("@type"), QJsonArray{QStringLiteral("http://schema.org/TVSeries")}}}}}}),
             QStringLiteral("schema.org"));
    QCOMPARE(name({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/book/1")},
                   {QStringLiteral("jsonLd"), QJsonArray{QStringLiteral(R"({"@type": "Book"})")}}}),
             QStringLiteral("any site"));

    QCOMPARE(m_registry.forAddress(QUrl(QStringLiteral("https://www.imdb.com/"))).name(), QStringLiteral("IMDb"));
    QCOMPARE(m_registry.forAddress(QUrl(QStringLiteral("http://127.0.0.1:8080/"))).name(), QStringLiteral("classic"));

    // The classic layout by its markers, in their order, with no link to the
    // credits page: over the IMDb addresses, but not over IMDb's own links.
    const QString classicText = QStringLiteral("Directed by\nA\nGenre: Drama\nCountry: Italy\nLanguage: Italian\n"
                                               "Color: Black and White\nSound Mix: Mono\n");
    QCOMPARE(name({{QStringLiteral("text"), classicText}}), QStringLiteral("classic"));
    QCOMPARE(name({{QStringLiteral("text"), QStringLiteral("Sound Mix: Mono\n") + classicText.section(u'\n', 0, 5)}}),
             QStringLiteral("IMDb"));
    const QJsonArray imdbLinks{QJsonObject{{QStringLiteral("text"), QStringLiteral("Full credits")},
                                           {QStringLiteral("href"), QStringLiteral("http://127.0.0.1:8080/title/tt0000001/fullcredits")}}};
    QCOMPARE(name({{QStringLiteral("text"), classicText}, {QStringLiteral("links"), imdbLinks}}), QStringLiteral("IMDb"));

    // A page on the movie site of the settings with some of the markers, in
    // any order, is classic unless a profile knows that site by its host, or
    // the page by more than its address.
    const QUrl movieSite(QStringLiteral("http://127.0.0.1:8080"));
    const QString someMarkers = QStringLiteral("Country: Italy\nDirected by\nA\n");
    const PageSnapshot plain = snapshot({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/title/tt1/")},
                                         {QStringLiteral("text"), someMarkers}});
    QCOMPARE(m_registry.recognise(plain, movieSite).name(), QStringLiteral("classic"));
    QCOMPARE(m_registry.recognise(plain, QUrl(QStringLiteral("http://127.0.0.1:8081"))).name(), QStringLiteral("IMDb"));
    const PageSnapshot other = snapshot({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/film/1")},
                                         {QStringLiteral("text"), someMarkers}});
    QCOMPARE(m_registry.recognise(other, movieSite).name(), QStringLiteral("classic"));
    QCOMPARE(m_registry.recognise(other, {}).name(), QStringLiteral("any site"));
    // Another site's page kept on the movie site: read as that site's.
    const PageSnapshot foreign = snapshot({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/film/1")},
                                           {QStringLiteral("text"), QStringLiteral("Режиссёр\nМейв Дойл\nСтрана\n")}});
    QCOMPARE(m_registry.recognise(foreign, movieSite).name(), QStringLiteral("any site"));
    const PageSnapshot described = snapshot({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/film/1")},
                                             {QStringLiteral("text"), someMarkers}, {QStringLiteral("jsonLd"), movieLd}});
    QCOMPARE(m_registry.recognise(described, movieSite).name(), QStringLiteral("schema.org"));
    const PageSnapshot imdbPage = snapshot({{QStringLiteral("url"), QStringLiteral("https://www.imdb.com/title/tt1/")}});
    QCOMPARE(m_registry.recognise(imdbPage, QUrl(QStringLiteral("https://www.imdb.com"))).name(), QStringLiteral("IMDb"));
}

void TestSiteProfiles::buildsAddresses()
{
    const QUrl server(QStringLiteral("http://127.0.0.1:8080/whatever?x=1"));
    const QString title = QStringLiteral("Romeo & Juliet (1968) #1 + 100%");
    QCOMPARE(imdb().titleSearch(server, title).toString(QUrl::FullyEncoded),
             QStringLiteral("http://127.0.0.1:8080/find/?q=Romeo%20%26%20Juliet%20%281968%29%20%231%20%2B%20100%25&s=tt"));
    QCOMPARE(m_registry.classic().titleSearch(server, title).toString(QUrl::FullyEncoded),
             QStringLiteral("http://127.0.0.1:8080/M/title-substring?title=Romeo%20%26%20Juliet%20(1968)%20%231%20%2B%20100%25&tv=both"));
    QCOMPARE(m_registry.classic().home(server).toString(), QStringLiteral("http://127.0.0.1:8080/"));

    const SecondaryPage& credits = imdb().secondaryPages().at(0);
    QCOMPARE(credits.name, QStringLiteral("credits"));
    // No link on the page: the address template, on the page's own server.
    PageSnapshot page = snapshot({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/title/tt0111161/?ref_=x")}});
    QCOMPARE(imdb().secondaryPageAddress(credits, page, title).toString(),
             QStringLiteral("http://127.0.0.1:8080/title/tt0111161/fullcredits"));
    // A link of the page comes first; one to the public site is brought onto the page's server.
    page.links = {{QStringLiteral("Other"), QUrl(QStringLiteral("https://www.imdb.com/title/tt0000002/fullcredits"))},
                  {QStringLiteral("Cast"), QUrl(QStringLiteral("https://www.imdb.com/title/tt0111161/fullcredits/?ref_=tt_cl_sm#cast"))}};
    QCOMPARE(imdb().secondaryPageAddress(credits, page, title).toString(),
             QStringLiteral("http://127.0.0.1:8080/title/tt0111161/fullcredits/?ref_=tt_cl_sm"));
    // Without an id and without a link there is no address.
    page = snapshot({{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/film/x/")}});
    QVERIFY(imdb().secondaryPageAddress(credits, page, title).isEmpty());
}

void TestSiteProfiles::readsSnapshotJson()
{
    QVERIFY(!PageSnapshot::fromJson("[1, 2]"));
    QVERIFY(!PageSnapshot::fromJson("garbage"));
    QVERIFY(!PageSnapshot::fromScriptResult(QVariant(42)));

    const QJsonArray blocks{
        QStringLiteral("\n/* <![CDATA[ */\n{\"@type\": \"Movie\", \"name\": \"Schindler&apos;s List\"}\n/* ]]> */\n"),
        QStringLiteral("<!-- {\"@context\": \"https://schema.org\", \"@graph\": [{\"@type\": \"Person\"}, "
                       "{\"@type\": \"TVSeries\", \"name\": \"Two\nLines\"}]} -->"),
        QStringLiteral("[{\"@type\": \"TVEpisode\"}, 7, \"text\"]"),
        QStringLiteral("{ broken"),
        QString()};
    const PageSnapshot page = snapshot({{QStringLiteral("jsonLd"), blocks},
                                        {QStringLiteral("labelled"), QJsonArray{labelled(QString(), {QStringLiteral("x")}), 5}},
                                        {QStringLiteral("links"), QJsonArray{QJsonObject{{QStringLiteral("href"), 3}}}}});
    QCOMPARE(page.items.size(), 4);
    const QList<QJsonObject> movies = page.itemsOfType({QStringLiteral("Movie"), QStringLiteral("TVSeries")});
    QCOMPARE(movies.size(), 2);
    QCOMPARE(movies.at(0).value(QLatin1String("name")).toString(), QStringLiteral("Schindler's List"));
    QCOMPARE(movies.at(1).value(QLatin1String("name")).toString().simplified(), QStringLiteral("Two Lines"));
    QVERIFY(page.labelled.empty());
    QVERIFY(page.links.empty());
}

void TestSiteProfiles::matchesLabels()
{
    PageSnapshot page;
    page.labelled = {{QStringLiteral("Casting By"), {QStringLiteral("A")}},
                     {QStringLiteral("Cast (in credits order) verified as complete"), {QStringLiteral("B")}},
                     {QStringLiteral("Country of origin:"), {QStringLiteral("C")}},
                     {QStringLiteral("Writers Writers"), {QStringLiteral("D")}},
                     {QStringLiteral("Directors2"), {QStringLiteral("E")}},
                     {QStringLiteral("Top 250"), {QStringLiteral("F")}}};
    QCOMPARE(page.labelValues(QStringLiteral("Cast*")), QStringList{QStringLiteral("B")});
    QCOMPARE(page.labelValues(QStringLiteral("cast")), QStringList());
    QCOMPARE(page.labelValues(QStringLiteral("Country")), QStringList());
    QString matched;
    QCOMPARE(page.labelValues(QStringLiteral("COUNTRY OF ORIGIN"), &matched), QStringList{QStringLiteral("C")});
    QCOMPARE(matched, QStringLiteral("Country of origin:"));
    QCOMPARE(page.labelValues(QStringLiteral("Writers")), QStringList{QStringLiteral("D")});
    QCOMPARE(page.labelValues(QStringLiteral("*")), QStringList());
    // A count shown with a label is not part of it; a number standing apart is.
    QCOMPARE(page.labelValues(QStringLiteral("Directors")), QStringList{QStringLiteral("E")});
    QCOMPARE(page.labelValues(QStringLiteral("Top")), QStringList());
}

void TestSiteProfiles::decodesEntities()
{
    QCOMPARE(decodeHtmlEntities(u"Tom &amp; Jerry &#39;&#x41;&apos; &eacute;t&eacute; &mdash;&nbsp;x"),
             QStringLiteral("Tom & Jerry 'A' été —\u00a0x"));
    // Unknown names, bad numbers and a lone ampersand stay as written.
    QCOMPARE(decodeHtmlEntities(u"&bogus; &#xD800; &#0; &#99999999999; & &amp"),
             QStringLiteral("&bogus; &#xD800; &#0; &#99999999999; & &amp"));
    QCOMPARE(decodeHtmlEntities(u"&#128512;"), QString::fromUtf8("\xF0\x9F\x98\x80"));
}

void TestSiteProfiles::formatsRatings_data()
{
    QTest::addColumn<QJsonObject>("rating");
    QTest::addColumn<QString>("shown");
    auto r = [](QVariant value, QVariant best, QVariant count) {
        QJsonObject o{{QStringLiteral("@type"), QStringLiteral("AggregateRating")}};
        if (value.isValid())
            o.insert(QStringLiteral("ratingValue"), QJsonValue::fromVariant(value));
        if (best.isValid())
            o.insert(QStringLiteral("bestRating"), QJsonValue::fromVariant(best));
        if (count.isValid())
            o.insert(QStringLiteral("ratingCount"), QJsonValue::fromVariant(count));
        return o;
    };
    QTest::newRow("ten with votes") << r(9, 10, 2371641) << QStringLiteral("9.0/10 (2,371,641 votes)");
    QTest::newRow("five stars") << r(4.38, 5, QVariant()) << QStringLiteral("4.4/5");
    QTest::newRow("percent") << r(90, QStringLiteral("100"), QVariant()) << QStringLiteral("90/100");
    QTest::newRow("texts with commas") << r(QStringLiteral("8,5"), QVariant(), QStringLiteral("1,234")) << QStringLiteral("8.5/10 (1,234 votes)");
    QTest::newRow("no scale, small") << r(3.5, QVariant(), QVariant()) << QStringLiteral("3.5/5");
    QTest::newRow("no value") << r(QVariant(), 10, 5) << QString();
    QTest::newRow("not a number") << r(QStringLiteral("n/a"), 10, 5) << QString();
}

void TestSiteProfiles::formatsRatings()
{
    QFETCH(QJsonObject, rating);
    QFETCH(QString, shown);
    const QJsonObject movie{{QStringLiteral("@type"), QStringLiteral("Movie")}, {QStringLiteral("aggregateRating"), rating}};
    StructuredGrab grab(imdb());
    grab.readTitlePage(snapshot({{QStringLiteral("jsonLd"), QJsonArray{QString::fromUtf8(json(movie))}}}));
    QCOMPARE(grab.fields().mvRanking, shown);
}

void TestSiteProfiles::titleAndYearAsShown()
{
    const SiteProfile& generic = *m_registry.find(QStringLiteral("schema.org"));
    struct Case
    {
        const SiteProfile* profile;
        QString documentTitle;
        QStringList headings;
        QString title;
        QString year;
    };
    const Case cases[] = {
        // Series: the first year of the run; the site's suffix never shows.
        {&imdb(), QStringLiteral("House (TV Series 2004–2012) - IMDb"), {QStringLiteral("House")}, QStringLiteral("House (2004)"), QStringLiteral("2004")},
        // A logo heading first; direction marks and text after the year.
        {&generic, QStringLiteral("\u200eDune: Part Two (2024) directed by Denis Villeneuve • Letterboxd"),
         {QStringLiteral("Letterboxd — Your life in film"), QStringLiteral("Dune: Part Two")},
         QStringLiteral("Dune: Part Two (2024)"), QStringLiteral("2024")},
        // A heading that carries the year itself.
        {&imdb(), QStringLiteral("Ant-Man (2015) - IMDb"), {QStringLiteral("Ant-Man\u00a0(2015)")}, QStringLiteral("Ant-Man (2015)"), QStringLiteral("2015")},
        // No heading: the document title without suffix.
        {&imdb(), QStringLiteral("Alien 3 - IMDb"), {}, QStringLiteral("Alien 3"), QString()},
    };
    for (const Case& c : cases) {
        StructuredGrab grab(*c.profile);
        grab.readTitlePage(snapshot({{QStringLiteral("title"), c.documentTitle},
                                     {QStringLiteral("headings"), QJsonArray::fromStringList(c.headings)}}));
        QCOMPARE(grab.fields().title, c.title);
        QCOMPARE(grab.fields().mv_year, c.year);
    }
}

void TestSiteProfiles::listFieldsTakeEveryValue()
{
    // Genres, countries and directors as the catalogue writes lists: each
    // once, a list given as one text taken apart, a number passed over, no
    // more than a film has.
    QStringList directors;
    for (int i = 1; i <= 8; ++i)
        directors << QStringLiteral("Director %1").arg(i);
    const PageSnapshot page = snapshot(
        {{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/film/1")},
         {QStringLiteral("title"), QStringLiteral("Film (1990)")},
         {QStringLiteral("labelled"),
          QJsonArray{labelled(QStringLiteral("Directed by"), directors),
                     labelled(QStringLiteral("Genres"), {QStringLiteral("Genres: Action | Crime"), QStringLiteral("crime"),
                                                         QStringLiteral("Drama")}),
                     labelled(QStringLiteral("Country"), {QStringLiteral("Italy"), QStringLiteral("France"),
                                                          QStringLiteral("104 min"), QStringLiteral("Italy")}),
                     labelled(QStringLiteral("Music by"), {QStringLiteral("Composer One"), QStringLiteral("Composer Two")})}}});
    const SiteProfile& profile = m_registry.recognise(page);
    QCOMPARE(profile.name(), QStringLiteral("any site"));
    StructuredGrab grab(profile, m_registry.labels());
    grab.readTitlePage(page);
    QCOMPARE(grab.fields().mvGenre.text, QStringLiteral("Action / Crime / Drama"));
    QCOMPARE(grab.fields().mvGenre.toolTip, QStringLiteral("Action / Crime / Drama"));
    QCOMPARE(grab.fields().mv_country.text, QStringLiteral("Italy / France"));
    QCOMPARE(grab.fields().mvDirector.text, directors.mid(0, 6).join(QLatin1String(" / ")));
    QCOMPARE(grab.fields().mvMusic.text, QStringLiteral("Composer One")); // one composer, as before
}

void TestSiteProfiles::laterPagesNeverEmptyAField()
{
    const QJsonObject movie{{QStringLiteral("@type"), QStringLiteral("Movie")},
                            {QStringLiteral("actor"), QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Star One")}},
                                                                 QJsonObject{{QStringLiteral("name"), QStringLiteral("Star Two")}}}},
                            {QStringLiteral("creator"), QJsonArray{QJsonObject{{QStringLiteral("@type"), QStringLiteral("Organization")}},
                                                                   QJsonObject{{QStringLiteral("@type"), QStringLiteral("Person")},
                                                                               {QStringLiteral("name"), QStringLiteral("Writer One")}}}}};
    StructuredGrab grab(imdb());
    grab.readTitlePage(snapshot({{QStringLiteral("title"), QStringLiteral("Film (1990) - IMDb")},
                                 {QStringLiteral("jsonLd"), QJsonArray{QString::fromUtf8(json(movie))}},
                                 {QStringLiteral("labelled"), QJsonArray{labelled(QStringLiteral("Country of origin"), {QStringLiteral("Italy"), QStringLiteral("France")})}}}));
    QCOMPARE(grab.fields().mvBook.text, QStringLiteral("Writer One"));
    QCOMPARE(grab.fields().mv_country.text, QStringLiteral("Italy / France"));
    QCOMPARE(grab.fields().mvCast[1].toolTip, QStringLiteral("Star Two"));

    const SecondaryPage& credits = imdb().secondaryPages().at(0);
    QVERIFY(grab.needs(credits));
    // A credits page without a writer keeps the writer; its longer cast replaces the stars.
    grab.readSecondaryPage(credits, snapshot({{QStringLiteral("title"), QStringLiteral("Full Cast & Crew - IMDb")},
                                              {QStringLiteral("headings"), QJsonArray{QStringLiteral("Full Cast & Crew")}},
                                              {QStringLiteral("labelled"), QJsonArray{labelled(QStringLiteral("Cast (in credits order)"),
                                                                                               {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}),
                                                                                      labelled(QStringLiteral("Music by"), {QStringLiteral("Composer One")})}}}));
    QCOMPARE(grab.fields().title, QStringLiteral("Film (1990)"));
    QCOMPARE(grab.fields().mvBook.text, QStringLiteral("Writer One"));
    QCOMPARE(grab.fields().mvCast[2].text, QStringLiteral("C"));
    QCOMPARE(grab.fields().mvMusic.text, QStringLiteral("Composer One"));
    QCOMPARE(grab.sources().value(QStringLiteral("mv_music")), QStringLiteral("label Music by (credits page)"));
    QCOMPARE(grab.sources().value(QStringLiteral("mv_book")), QStringLiteral("structured creator@Person (title page)"));

    // A page that fails to show anything changes nothing.
    const LookupFields before = grab.fields();
    grab.readSecondaryPage(credits, snapshot({}));
    QCOMPARE(grab.fields(), before);
}

void TestSiteProfiles::summarises()
{
    LookupFields f;
    f.title = QStringLiteral("T (1999)");
    f.mv_year = QStringLiteral("1999");
    f.mvRanking = QStringLiteral("No rating");
    f.mvCast[0].set(QStringLiteral("A"));
    f.mvCast[1].set(QStringLiteral("B"));
    QCOMPARE(grabSummary(QStringLiteral("classic"), f),
             QStringLiteral("classic: filled 4 of 20; not found: Country, IMDb-Rating, Orig. Language, Color, Sound, "
                            "Genre, Director, Produced by, Book, Music, Cast 3, Cast 4, Cast 5, Cast 6, Running time, Cover"));
    QCOMPARE(grabFields().size(), 20);
}

void TestSiteProfiles::keepsToTheTitlePagesSite()
{
    auto u = [](const char* text) { return QUrl(QString::fromLatin1(text)); };
    // The same site: its www. and m. forms, and from http to https.
    QVERIFY(SiteBoundary::sameSite(u("https://www.imdb.com/title/tt1/"), u("https://m.imdb.com/title/tt1/fullcredits")));
    QVERIFY(SiteBoundary::sameSite(u("https://en.wikipedia.org/wiki/X"), u("https://en.m.wikipedia.org/wiki/X")));
    QVERIFY(SiteBoundary::sameSite(u("http://imdb.com/title/tt1/"), u("https://www.imdb.com/title/tt1/")));
    QVERIFY(SiteBoundary::sameSite(u("http://127.0.0.1:8642/a"), u("http://127.0.0.1:8642/b")));
    // Another host, port or scheme is another site.
    QVERIFY(!SiteBoundary::sameSite(u("https://www.imdb.com/"), u("https://evil.com/")));
    QVERIFY(!SiteBoundary::sameSite(u("https://www.imdb.com/"), u("https://imdb.com.evil.com/")));
    QVERIFY(!SiteBoundary::sameSite(u("https://www.imdb.com/"), u("http://www.imdb.com/")));
    QVERIFY(!SiteBoundary::sameSite(u("http://127.0.0.1:8642/"), u("http://127.0.0.1:9000/")));
    QVERIFY(!SiteBoundary::sameSite(u("https://de.wikipedia.org/"), u("https://en.wikipedia.org/")));
    QVERIFY(!SiteBoundary::sameSite(u("https://www.imdb.com/"), u("file:///etc/passwd")));

    for (const char* local : {"localhost", "printer.localhost", "127.0.0.1", "127.1.2.3", "10.0.0.8", "172.20.1.1",
                              "192.168.1.1", "169.254.169.254", "100.64.0.1", "0.0.0.0", "::1", "[::1]", "fe80::1",
                              "fd00::5", "::ffff:127.0.0.1", "::ffff:192.168.0.1", "nas", "router.lan", "box.local",
                              "intranet.internal", "2130706433", "0x7f.1"})
        QVERIFY2(SiteBoundary::isLocalHost(QString::fromLatin1(local)), local);
    for (const char* open : {"www.imdb.com", "8.8.8.8", "172.32.0.1", "2606:4700::1111", "::ffff:8.8.8.8", "a.b.example"})
        QVERIFY2(!SiteBoundary::isLocalHost(QString::fromLatin1(open)), open);
    QVERIFY(!SiteBoundary::mayFollow(u("https://movies.example.org/"), u("http://127.0.0.1/")));

    // A further page's link to another host is not followed: the profile's
    // own address on the title page's server is read instead. A link to the
    // site's public address on a page served elsewhere stays on that server.
    const PageSnapshot page = snapshot(
        {{QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8080/title/tt0000001/")},
         {QStringLiteral("links"),
          QJsonArray{QJsonObject{{QStringLiteral("href"), QStringLiteral("http://127.0.0.1:9999/title/tt0000001/fullcredits")}},
                     QJsonObject{{QStringLiteral("href"), QStringLiteral("https://www.imdb.com/title/tt0000001/companycredits")}}}}});
    const QList<SecondaryPage>& pages = imdb().secondaryPages();
    QCOMPARE(imdb().secondaryPageAddress(pages.at(0), page, QString()).toString(),
             QStringLiteral("http://127.0.0.1:8080/title/tt0000001/fullcredits"));
    QCOMPARE(imdb().secondaryPageAddress(pages.at(1), page, QString()).toString(),
             QStringLiteral("http://127.0.0.1:8080/title/tt0000001/companycredits"));
}

void TestSiteProfiles::reportsBrokenProfiles()
{
    QTemporaryDir folder;
    const QList<QPair<const char*, QByteArray>> files = {
        {"a-broken.json", "{ \"name\": "},
        {"b-extends.json", R"({"name": "Mine", "extends": "Nowhere"})"},
        {"c-labels.json", R"({"name": "Labels", "labels": {"mv_budget": ["Budget"]}})"},
        {"d-good.json", R"({"name": "Good", "extends": "schema.org", "recognise": {"hosts": ["films.example"]},
                            "labels": {"mv_director": ["Regisseerd door"]}})"},
        {"e-derived.json", R"({"name": "Derived", "extends": "Good", "fields": {"mv_genre": ["label:Kind"]}})"}};
    for (const auto& [name, text] : files)
        QVERIFY(writeFile(folder.filePath(QLatin1String(name)), text));
    const SiteProfileRegistry registry(folder.path());

    const QStringList errors = registry.errors();
    QCOMPARE(errors.size(), 3);
    QVERIFY2(errors.at(0).contains(QLatin1String("a-broken.json: not valid JSON")), qPrintable(errors.at(0)));
    QVERIFY2(errors.at(1).contains(QLatin1String("b-extends.json: \"extends\": there is no profile \"Nowhere\"")),
             qPrintable(errors.at(1)));
    QVERIFY2(errors.at(2).contains(QLatin1String("c-labels.json: \"labels.mv_budget\": not a field")), qPrintable(errors.at(2)));

    // A profile that extends another reads its fields, with its own on top.
    const SiteProfile* derived = registry.find(QStringLiteral("Derived"));
    QVERIFY(derived);
    QCOMPARE(derived->sources(QStringLiteral("mv_director")).size(), 3);
    QCOMPARE(derived->sources(QStringLiteral("mv_genre")).value(0).labels, QStringList{QStringLiteral("Kind")});
    QVERIFY(!derived->recognisesHost(QStringLiteral("films.example")));
    QVERIFY(registry.labels().labels(QStringLiteral("mv_director")).contains(QStringLiteral("Regisseerd door")));

    // The help lists the profiles and, with their reasons, the files left out.
    const QString html = profileListHtml(registry);
    QVERIFY(html.contains(QLatin1String("<b>Wikipedia</b> (shipped with Quelto)")));
    QVERIFY(html.contains(QLatin1String("<b>Derived</b> (from <code>")));
    for (const QString& error : errors)
        QVERIFY2(html.contains(error.toHtmlEscaped()), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSiteProfiles)
#include "tst_site_profiles.moc"
