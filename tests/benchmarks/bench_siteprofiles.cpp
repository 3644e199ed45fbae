// Reading a page snapshot and grabbing from it, on a snapshot as large as the
// biggest movie pages give: a body text of a million characters, 3,000
// labelled items, 4,000 links and a movie description of 200 people.
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfileRegistry.h"
#include "weblookup/StructuredGrab.h"
#include "weblookup/TextLabels.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

using namespace quelto::weblookup;

namespace {

QJsonArray people(const char* prefix, int count)
{
    QJsonArray list;
    for (int i = 0; i < count; ++i)
        list.append(QJsonObject{{QStringLiteral("@type"), QStringLiteral("Person")},
                                {QStringLiteral("name"), QStringLiteral("%1 %2").arg(QLatin1String(prefix)).arg(i)}});
    return list;
}

QByteArray largeSnapshot()
{
    static const QByteArray json = [] {
        const QJsonObject movie{{QStringLiteral("@type"), QStringLiteral("Movie")},
                                {QStringLiteral("name"), QStringLiteral("Big &amp; Long")},
                                {QStringLiteral("genre"), QJsonArray{QStringLiteral("Drama"), QStringLiteral("War")}},
                                {QStringLiteral("actor"), people("Actor", 150)},
                                {QStringLiteral("director"), people("Director", 2)},
                                {QStringLiteral("creator"), people("Writer", 48)},
                                {QStringLiteral("aggregateRating"), QJsonObject{{QStringLiteral("ratingValue"), 8.5},
                                                                                {QStringLiteral("bestRating"), 10},
                                                                                {QStringLiteral("ratingCount"), 123456}}}};
        QJsonArray labelled;
        for (int i = 0; i < 3000; ++i)
            labelled.append(QJsonObject{{QStringLiteral("label"), QStringLiteral("Label number %1").arg(i)},
                                        {QStringLiteral("values"), QJsonArray{QStringLiteral("one"), QStringLiteral("two")}}});
        labelled.append(QJsonObject{{QStringLiteral("label"), QStringLiteral("Sound mix")},
                                    {QStringLiteral("values"), QJsonArray{QStringLiteral("Dolby Digital")}}});
        QJsonArray links;
        for (int i = 0; i < 4000; ++i)
            links.append(QJsonObject{{QStringLiteral("text"), QStringLiteral("Link %1").arg(i)},
                                     {QStringLiteral("href"), QStringLiteral("https://www.imdb.com/name/nm%1/").arg(i, 7, 10, QLatin1Char('0'))}});
        links.append(QJsonObject{{QStringLiteral("text"), QStringLiteral("All cast")},
                                 {QStringLiteral("href"), QStringLiteral("https://www.imdb.com/title/tt0000001/fullcredits")}});
        const QJsonObject page{{QStringLiteral("url"), QStringLiteral("https://www.imdb.com/title/tt0000001/")},
                               {QStringLiteral("title"), QStringLiteral("Big & Long (1999) - IMDb")},
                               {QStringLiteral("text"), QString(1 << 20, u'x')},
                               {QStringLiteral("siteName"), QStringLiteral("IMDb")},
                               {QStringLiteral("headings"), QJsonArray{QStringLiteral("Big & Long")}},
                               {QStringLiteral("jsonLd"), QJsonArray{QString::fromUtf8(QJsonDocument(movie).toJson())}},
                               {QStringLiteral("labelled"), labelled},
                               {QStringLiteral("links"), links}};
        return QJsonDocument(page).toJson(QJsonDocument::Compact);
    }();
    return json;
}

void BM_ReadSnapshot(benchmark::State& state)
{
    const QByteArray json = largeSnapshot();
    for (auto _ : state) {
        std::optional<PageSnapshot> page = PageSnapshot::fromJson(json);
        benchmark::DoNotOptimize(page);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * json.size());
}
BENCHMARK(BM_ReadSnapshot)->Unit(benchmark::kMillisecond);

void BM_GrabTitlePage(benchmark::State& state)
{
    const SiteProfileRegistry registry{QString()};
    const PageSnapshot page = *PageSnapshot::fromJson(largeSnapshot());
    const SiteProfile& profile = registry.recognise(page);
    for (auto _ : state) {
        StructuredGrab grab(profile);
        grab.readTitlePage(page);
        if (grab.fields().mvSound.text != u"Dolby Digital")
            state.SkipWithError("wrong sound");
        for (const SecondaryPage& secondary : profile.secondaryPages())
            benchmark::DoNotOptimize(profile.secondaryPageAddress(secondary, page, grab.title()));
    }
}
BENCHMARK(BM_GrabTitlePage)->Unit(benchmark::kMillisecond);

// A page of a site no profile knows, as large as the biggest: 3,000 labelled
// items that name no field, and a body text of a million characters in
// 40,000 "Label: value" lines, the fields' labels among the last of them.
QByteArray unknownSiteSnapshot()
{
    static const QByteArray json = [] {
        QJsonArray labelled;
        for (int i = 0; i < 3000; ++i)
            labelled.append(QJsonObject{{QStringLiteral("label"), QStringLiteral("Label number %1").arg(i)},
                                        {QStringLiteral("values"), QJsonArray{QStringLiteral("one"), QStringLiteral("two")}}});
        QString text;
        text.reserve(1 << 20);
        for (int i = 0; text.size() < (1 << 20) - 400; ++i)
            text += QStringLiteral("Line %1: a value that is no field of a movie\n").arg(i);
        text += QStringLiteral("Regie: Ana Director\nDrehbuch: Ben Writer\nBesetzung: Eve One, Fay Two\nLänge: 112 Minuten\n");
        const QJsonObject page{{QStringLiteral("url"), QStringLiteral("https://films.example.net/film/42")},
                               {QStringLiteral("title"), QStringLiteral("Big & Long (1999)")},
                               {QStringLiteral("hasBody"), true},
                               {QStringLiteral("text"), text},
                               {QStringLiteral("labelled"), labelled}};
        return QJsonDocument(page).toJson(QJsonDocument::Compact);
    }();
    return json;
}

void BM_GrabUnknownSite(benchmark::State& state)
{
    const SiteProfileRegistry registry{QString()};
    const PageSnapshot page = *PageSnapshot::fromJson(unknownSiteSnapshot());
    const SiteProfile& profile = registry.recognise(page);
    for (auto _ : state) {
        StructuredGrab grab(profile, registry.labels());
        grab.readTitlePage(page);
        if (grab.fields().mvDirector.text != u"Ana Director" || grab.fields().runningTime != u"112")
            state.SkipWithError("wrong fields");
    }
}
BENCHMARK(BM_GrabUnknownSite)->Unit(benchmark::kMillisecond);

void BM_ReadTextLabels(benchmark::State& state)
{
    const SiteProfileRegistry registry{QString()};
    const PageSnapshot page = *PageSnapshot::fromJson(unknownSiteSnapshot());
    for (auto _ : state) {
        const std::vector<LabelledItem> items =
            TextLabels::read(page.bodyText, [&](const QString& n) { return registry.labels().isLabel(n); });
        if (items.size() != 4)
            state.SkipWithError("wrong items");
    }
}
BENCHMARK(BM_ReadTextLabels)->Unit(benchmark::kMillisecond);

void BM_LoadProfiles(benchmark::State& state)
{
    for (auto _ : state) {
        SiteProfileRegistry registry{QString()};
        benchmark::DoNotOptimize(registry);
    }
}
BENCHMARK(BM_LoadProfiles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
