// What a grab reads from pages of sites that no profile names: labels in many
// languages, in the markup or only in the page's text; values checked before
// they are trusted; the running time and the poster. Without a browser.
#include "weblookup/GrabReport.h"
#include "weblookup/LabelDictionary.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/RunningTime.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"
#include "weblookup/TextLabels.h"
#include "weblookup/ValueCheck.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto::weblookup;

namespace {

// A page of a site no profile knows, as the collector script reports it.
PageSnapshot page(QJsonObject o)
{
    if (!o.contains(QLatin1String("url")))
        o.insert(QLatin1String("url"), QStringLiteral("https://films.example.net/film/42"));
    o.insert(QLatin1String("hasBody"), true);
    std::optional<PageSnapshot> p = PageSnapshot::fromJson(QJsonDocument(o).toJson(QJsonDocument::Compact));
    Q_ASSERT(p);
    return *p;
}

QJsonObject labelled(const QString& label, const QStringList& values, const QString& text = {})
{
    return {{QStringLiteral("label"), label},
            {QStringLiteral("values"), QJsonArray::fromStringList(values)},
            {QStringLiteral("text"), text}};
}

QString ld(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QJsonObject person(const QString& name)
{
    return {{QStringLiteral("@type"), QStringLiteral("Person")}, {QStringLiteral("name"), name}};
}

QStringList cast(const LookupFields& f)
{
    QStringList names;
    for (const ComboField& c : f.mvCast)
        names.append(c.text);
    return names;
}

} // namespace

class TestLabelReading : public QObject
{
    Q_OBJECT

private slots:
    void readsLabelsInManyLanguages_data();
    void readsLabelsInManyLanguages();
    void readsLabelsInThePageText();
    void userProfilesAddLabels();
    void refusesValuesNotToBeTrusted();
    void readsRunningTimes_data();
    void readsRunningTimes();
    void findsThePoster();

private:
    SiteProfileRegistry m_registry{QString()};
    const SiteProfile& anySite() const { return *m_registry.find(QStringLiteral("any site")); }
};

void TestLabelReading::readsLabelsInManyLanguages_data()
{
    // label for director, writer, music, country, genre, cast, running time
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("German") << QStringList{"Regie", "Drehbuch", "Musik", "Produktionsland", "Genre", "Besetzung", "Länge"};
    QTest::newRow("French") << QStringList{"Réalisation", "Scénario", "Musique", "Pays de production", "Genre",
                                           "Acteurs principaux", "Durée"};
    QTest::newRow("Spanish") << QStringList{"Dirección", "Guion", "Música", "País", "Género", "Reparto", "Duración"};
    QTest::newRow("Italian") << QStringList{"Regia", "Sceneggiatura", "Musiche", "Paese di produzione", "Genere",
                                            "Interpreti e personaggi", "Durata"};
    QTest::newRow("Portuguese") << QStringList{"Direção", "Roteiro", "Música", "País de origem", "Gênero", "Elenco", "Duração"};
    QTest::newRow("Dutch") << QStringList{"Regie", "Scenario", "Muziek", "Land", "Genre", "Hoofdrollen", "Speelduur"};
    QTest::newRow("Polish") << QStringList{"Reżyseria", "Scenariusz", "Muzyka", "Kraj produkcji", "Gatunek", "Obsada",
                                           "Czas trwania"};
    QTest::newRow("Czech") << QStringList{"Režie:", "Scénář:", "Hudba:", "Země", "Žánr", "Hrají:", "Délka"};
    QTest::newRow("Hungarian") << QStringList{"Rendező", "Forgatókönyvíró", "Zene", "Ország", "Műfaj", "Szereplők", "Játékidő"};
    QTest::newRow("Russian") << QStringList{"Режиссёр", "Сценарий", "Композитор", "Страна", "Жанр", "В главных ролях:",
                                            "Время"};
    QTest::newRow("Chinese") << QStringList{"导演", "编剧", "音乐", "制片国家/地区:", "类型:", "主演", "片长:"};
    QTest::newRow("Japanese") << QStringList{"監督", "脚本", "音楽", "製作国", "ジャンル", "出演者", "上映時間"};
    QTest::newRow("Korean") << QStringList{"감독", "각본", "음악", "국가", "장르", "출연", "상영 시간"};
    QTest::newRow("Turkish") << QStringList{"Yönetmen", "Senaryo", "Müzik", "Ülke", "Tür", "Oyuncular", "Süre"};
}

void TestLabelReading::readsLabelsInManyLanguages()
{
    QFETCH(QStringList, labels);
    const QStringList values[] = {{"Ana Director"},
                                  {"Ben Writer", "Cy Writer"},
                                  {"Dee Composer"},
                                  {"Iceland", "Norway"},
                                  {"Drama", "Crime"},
                                  {"Eve One", "Fay Two", "Gus Three"},
                                  {"112 min"}};
    QJsonArray items;
    for (qsizetype i = 0; i < labels.size(); ++i)
        items.append(labelled(labels[i], values[i]));
    const PageSnapshot p = page({{QStringLiteral("title"), QStringLiteral("Film (2001)")}, {QStringLiteral("labelled"), items}});

    const SiteProfile& profile = m_registry.recognise(p);
    QCOMPARE(profile.name(), QStringLiteral("any site"));
    StructuredGrab grab(profile, m_registry.labels());
    grab.readTitlePage(p);
    const LookupFields& f = grab.fields();
    QCOMPARE(f.title, QStringLiteral("Film (2001)"));
    QCOMPARE(f.mvDirector.text, QStringLiteral("Ana Director"));
    QCOMPARE(f.mvBook.text, QStringLiteral("Ben Writer"));
    QCOMPARE(f.mvMusic.text, QStringLiteral("Dee Composer"));
    QCOMPARE(f.mv_country.text, QStringLiteral("Iceland / Norway"));
    QCOMPARE(f.mvGenre.text, QStringLiteral("Drama / Crime"));
    QCOMPARE(cast(f).mid(0, 4), (QStringList{"Eve One", "Fay Two", "Gus Three", ""}));
    QCOMPARE(f.runningTime, QStringLiteral("112"));
    // The summary's details name the label each field was read under.
    QCOMPARE(grab.sources().value(QStringLiteral("mv_director")),
             QStringLiteral("label %1 (title page)").arg(labels[0]));
}

void TestLabelReading::readsLabelsInThePageText()
{
    // What only the page's text ties together: "Label: value" lines, a table
    // row's cells, a label over the lines of its value; a line with a colon
    // that is no label stays out; the page's buttons are no values.
    const QString text = QStringLiteral(
        "Home | Films | People\n"
        "Tip: the times are local.\n"
        "导演: 郭帆\n"
        "Scénario\tFrédéric Auteur / Gil Plume\n"
        "Hrají\n"
        "Edit\n"
        "Jan Novák\n"
        "Eva Malá ... Marie\n"
        "\n"
        "Country of origin： Japan\n"
        "Runtime 2h 5m\n");
    const std::vector<LabelledItem> items =
        TextLabels::read(text, [this](const QString& n) { return m_registry.labels().isLabel(n); });
    QStringList seen;
    for (const LabelledItem& item : items)
        seen.append(item.label + u'=' + item.values.join(u'|'));
    QCOMPARE(seen, (QStringList{QStringLiteral("导演=郭帆"), QStringLiteral("Scénario=Frédéric Auteur|Gil Plume"),
                                QStringLiteral("Hrají=Jan Novák|Eva Malá ... Marie"),
                                QStringLiteral("Country of origin=Japan")}));

    // The grab reads the text when the markup gives nothing.
    StructuredGrab grab(anySite(), m_registry.labels());
    grab.readTitlePage(page({{QStringLiteral("text"), text}}));
    QCOMPARE(grab.fields().mvDirector.text, QStringLiteral("郭帆"));
    QCOMPARE(grab.fields().mvBook.text, QStringLiteral("Frédéric Auteur"));
    QCOMPARE(cast(grab.fields()).mid(0, 3), (QStringList{"Jan Novák", "Eva Malá", ""}));
    QCOMPARE(grab.fields().mv_country.text, QStringLiteral("Japan"));
}

void TestLabelReading::userProfilesAddLabels()
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("esperanto.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"name": "Esperanto labels", "labels": {"mv_director": ["Reĝisoro"], "mv_cast": ["Rolantoj"]}})");
    file.close();
    const SiteProfileRegistry registry(folder.path());
    QVERIFY2(registry.errors().isEmpty(), qPrintable(registry.errors().join(u'\n')));
    QVERIFY(registry.labels().labels(QStringLiteral("mv_director")).contains(QStringLiteral("Reĝisoro")));
    // The shipped dictionary is not changed by it.
    QVERIFY(!LabelDictionary::shipped().labels(QStringLiteral("mv_director")).contains(QStringLiteral("Reĝisoro")));
    QVERIFY(registry.snapshotScript().contains(QStringLiteral("reĝisoro")));

    const PageSnapshot p = page({{QStringLiteral("labelled"), QJsonArray{labelled(QStringLiteral("Reĝisoro:"), {"Zamenhof"})}},
                                 {QStringLiteral("text"), QStringLiteral("Rolantoj: Ada, Bo")}});
    StructuredGrab grab(*registry.find(QStringLiteral("any site")), registry.labels());
    grab.readTitlePage(p);
    QCOMPARE(grab.fields().mvDirector.text, QStringLiteral("Zamenhof"));
    QCOMPARE(cast(grab.fields()).mid(0, 3), (QStringList{"Ada", "Bo", ""}));
}

void TestLabelReading::refusesValuesNotToBeTrusted()
{
    // Structured data full of placeholders, markup and a person as the
    // company; the page's labels show the real values.
    const QJsonObject movie{
        {QStringLiteral("@type"), QStringLiteral("Movie")},
        {QStringLiteral("name"), QStringLiteral("Night Shift")},
        {QStringLiteral("director"), QJsonArray{person(QStringLiteral("NA"))}},
        {QStringLiteral("author"), QJsonArray{person(QStringLiteral("N/A"))}},
        {QStringLiteral("actor"), QJsonArray{person(QStringLiteral("NA")), person(QStringLiteral("null"))}},
        {QStringLiteral("genre"), QStringLiteral("<b>Thriller</b>")},
        {QStringLiteral("productionCompany"), QJsonArray{person(QStringLiteral("Pat Producer"))}},
        {QStringLiteral("aggregateRating"),
         QJsonObject{{QStringLiteral("ratingValue"), 0}, {QStringLiteral("ratingCount"), 0}}}};
    const QJsonArray items{
        labelled(QStringLiteral("Directed by"), {"The Wachowskis[lower-alpha 1]"}),
        labelled(QStringLiteral("Writer"), {"-", "Lilly Wachowski[1]"}),
        labelled(QStringLiteral("Cast"), {"Keanu Reeves", "unknown", "Carrie-Anne Moss"}),
        labelled(QStringLiteral("Genre"), {"Action"}),
        labelled(QStringLiteral("Sound"), {"Simon Sounds"}),
        labelled(QStringLiteral("Sound format"), {"Dolby Digital"}),
        labelled(QStringLiteral("Color"), {"Technicolor"}),
        labelled(QStringLiteral("Producer"), {"Scott Rudin", "Silver Pictures"}),
        labelled(QStringLiteral("Studio"), {"The Wachowskis"}),
        labelled(QStringLiteral("User rating"), {"8,7"}, QStringLiteral("8,7 / 10 1.234 votes"))};
    StructuredGrab grab(anySite(), m_registry.labels());
    grab.readTitlePage(page({{QStringLiteral("jsonLd"), QJsonArray{ld(movie)}}, {QStringLiteral("labelled"), items}}));
    const LookupFields& f = grab.fields();
    QCOMPARE(f.mvDirector.text, QStringLiteral("The Wachowskis"));
    QCOMPARE(f.mvBook.text, QStringLiteral("Lilly Wachowski"));
    QCOMPARE(cast(f).mid(0, 3), (QStringList{"Keanu Reeves", "Carrie-Anne Moss", ""}));
    QCOMPARE(f.mvGenre.text, QStringLiteral("Action"));
    QCOMPARE(f.mvSound.text, QStringLiteral("Dolby Digital"));
    QCOMPARE(f.mvColor.text, QStringLiteral("Technicolor"));
    // A person is no company, however the page labels it.
    QCOMPARE(f.mvProducer.text, QStringLiteral("Silver Pictures"));
    QCOMPARE(f.mvRanking, QStringLiteral("8.7/10 (1,234 votes)"));

    // Each passed-over value is in the report, with why.
    const QString refused = grab.refusals().join(u'\n');
    for (const char* why : {"mv_director: structured director (title page) gave \"NA\", a placeholder",
                            "gave \"<b>Thriller</b>\", markup left in the text",
                            "gave \"Pat Producer\", a person, not a company",
                            "gave \"The Wachowskis\", a person, not a company",
                            "gave \"Scott Rudin\", a person, not a company",
                            "gave \"Simon Sounds\", not a sound format"})
        QVERIFY2(refused.contains(QLatin1String(why)), qPrintable(refused));
    QCOMPARE(grab.sources().value(QStringLiteral("mv_director")), QStringLiteral("label Directed by (title page)"));

    // The checks on their own.
    QCOMPARE(ValueCheck::cleaned(QStringLiteral(" Ann\u200e  Lee[12] [note 3][a][citation needed]")), QStringLiteral("Ann Lee"));
    for (const char* placeholder : {"N/A", "n.a.", "-", "—", "null", "Unknown", "0", "TBA", "?", "unbekannt", "неизвестно", "(none)"})
        QVERIFY2(ValueCheck::isPlaceholder(QString::fromUtf8(placeholder)), placeholder);
    for (const char* name : {"Nan", "0 Hour", "Na Hong-jin", "Tom & Jerry", "M"})
        QVERIFY2(!ValueCheck::isPlaceholder(QString::fromUtf8(name)), name);
    QVERIFY(ValueCheck::hasMarkup(QStringLiteral("Bob</a>")));
    QVERIFY(ValueCheck::hasMarkup(QStringLiteral("Tom &amp; Jerry")));
    QVERIFY(!ValueCheck::hasMarkup(QStringLiteral("Tom & Jerry <3")));
}

void TestLabelReading::readsRunningTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes"); // 0: none
    QTest::newRow("ISO hours and minutes") << "PT2H16M" << 136;
    QTest::newRow("ISO minutes") << "PT136M" << 136;
    QTest::newRow("ISO with days and seconds") << "P0DT1H30M30S" << 91;
    QTest::newRow("ISO nothing") << "PT0M" << 0;
    QTest::newRow("minutes") << "136 min" << 136;
    QTest::newRow("hours and minutes") << "2h 16m" << 136;
    QTest::newRow("words") << "1 hour 55 minutes" << 115;
    QTest::newRow("German") << "1 Std. 55 Min." << 115;
    QTest::newRow("German minutes") << "136 Minuten" << 136;
    QTest::newRow("Russian") << "101 мин. / 01:41" << 101;
    QTest::newRow("Chinese") << "91 分钟 / 88 分钟(Director's cut)" << 91;
    QTest::newRow("Japanese") << "2時間16分" << 136;
    QTest::newRow("Korean") << "2시간 16분" << 136;
    QTest::newRow("Turkish") << "136 dk" << 136;
    QTest::newRow("Hungarian") << "142 perc" << 142;
    QTest::newRow("clock") << "2:16" << 136;
    QTest::newRow("bare number") << "91" << 91;
    QTest::newRow("a year is no time") << "1999" << 0;
    QTest::newRow("too long") << "5000 min" << 0;
    QTest::newRow("text") << "about two hours" << 0;
}

void TestLabelReading::readsRunningTimes()
{
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QCOMPARE(RunningTime::minutes(text).value_or(0), minutes);
}

void TestLabelReading::findsThePoster()
{
    const QJsonObject movie{{QStringLiteral("@type"), QStringLiteral("Movie")},
                            {QStringLiteral("image"), QJsonObject{{QStringLiteral("@type"), QStringLiteral("ImageObject")},
                                                                  {QStringLiteral("url"), QStringLiteral("/img/poster-42.jpg")}}},
                            {QStringLiteral("duration"), QStringLiteral("PT1H42M")}};
    StructuredGrab grab(anySite(), m_registry.labels());
    grab.readTitlePage(page({{QStringLiteral("jsonLd"), QJsonArray{ld(movie)}}}));
    QCOMPARE(grab.fields().cover, QStringLiteral("https://films.example.net/img/poster-42.jpg"));
    QCOMPARE(grab.fields().runningTime, QStringLiteral("102"));
    QCOMPARE(grab.sources().value(QStringLiteral("cover")), QStringLiteral("structured image (title page)"));
    QCOMPARE(grab.sources().value(QStringLiteral("quelto_running_time")), QStringLiteral("structured duration (title page)"));

    // A banner, the site's logo and a data address are no poster: og:image
    // and then the picture in the poster's box come next.
    const QJsonObject banner{{QStringLiteral("@type"), QStringLiteral("Movie")},
                             {QStringLiteral("image"), QStringLiteral("https://cdn.example.net/740x290/still.jpg")}};
    StructuredGrab second(anySite(), m_registry.labels());
    second.readTitlePage(page({{QStringLiteral("jsonLd"), QJsonArray{ld(banner)}},
                               {QStringLiteral("metas"), QJsonArray{QJsonArray{"og:image", "https://films.example.net/logo.png"}}},
                               {QStringLiteral("posterImages"), QJsonArray{"data:image/png;base64,AAAA",
                                                                           "https://cdn.example.net/206x305/poster.jpg"}}}));
    QCOMPARE(second.fields().cover, QStringLiteral("https://cdn.example.net/206x305/poster.jpg"));
    QCOMPARE(second.sources().value(QStringLiteral("cover")), QStringLiteral("poster picture (title page)"));
    QVERIFY(grabSummary(QStringLiteral("any site"), second.fields()).endsWith(QLatin1String("Cast 6, Running time")));
}

QTEST_GUILESS_MAIN(TestLabelReading)
#include "tst_label_reading.moc"
