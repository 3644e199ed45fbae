// Web lookup extraction steps on page texts of about one million characters
// (2 MB as UTF-16), with the markers near the end of the text.
#include "weblookup/FieldExtraction.h"

#include <benchmark/benchmark.h>

using namespace quelto::weblookup;

namespace {

constexpr qsizetype kPageChars = 1 << 20;

// Page text without any of the markers, ending in a line break.
QString filler(qsizetype chars)
{
    static const QString line =
        QStringLiteral("Lorem ipsum dolor sit amet (1999), consectetur adipiscing elit, sed "
                       "do eiusmod tempor incididunt ut labore et dolore magna aliqua.\n");
    QString text;
    text.reserve(chars + line.size());
    while (text.size() < chars)
        text += line;
    return text;
}

QString withTail(const char* tail)
{
    const QString end = QString::fromUtf8(tail);
    return filler(kPageChars - end.size()) + end;
}

const char* const kTitleTail = "Directed by\nMichael Curtiz\nGenre: Drama / Romance / War\nCountry: USA\n"
                               "Language: English\nColor: Black and White\nSound Mix: Mono\n"
                               "User Rating: 8.6/10 (98765 votes)\n";
const char* const kCreditsTail = "Written by\nJulius J. Epstein\nCast (in credits order)\n"
                                 "Humphrey Bogart .... Rick Blaine\nIngrid Bergman .... Ilsa Lund\n"
                                 "Paul Henreid .... Victor Laszlo\nProduced by\nHal B. Wallis\n"
                                 "Original Music by\nMax Steiner\n";
const char* const kCompaniesTail = "Production Companies\nWarner Bros.\nDistributors\nParamount\n";

void BM_TitlePage(benchmark::State& state)
{
    const QString page = withTail(kTitleTail);
    LookupFields f;
    for (auto _ : state) {
        extractTitlePage(f, QStringLiteral("Casablanca (1942)"), page);
        benchmark::DoNotOptimize(f);
    }
    if (f.mvRanking != u"8.6/10 (98765 votes)")
        state.SkipWithError("wrong rating");
}
BENCHMARK(BM_TitlePage)->Unit(benchmark::kMillisecond);

void BM_CreditsPage(benchmark::State& state)
{
    const QString page = withTail(kCreditsTail);
    LookupFields f;
    for (auto _ : state) {
        grabit_pt2(f, [&] { return std::optional<QString>(page); });
        benchmark::DoNotOptimize(f);
    }
    if (f.mvMusic.text != u"Max Steiner" || f.mvCast[2].text != u"Paul Henreid ")
        state.SkipWithError("wrong credits");
}
BENCHMARK(BM_CreditsPage)->Unit(benchmark::kMillisecond);

void BM_CompaniesPage(benchmark::State& state)
{
    const QString page = withTail(kCompaniesTail);
    LookupFields f;
    for (auto _ : state) {
        grabit_pt3(f, page);
        benchmark::DoNotOptimize(f);
    }
    if (f.mvProducer.text != u"Warner Bros.")
        state.SkipWithError("wrong producer");
}
BENCHMARK(BM_CompaniesPage)->Unit(benchmark::kMillisecond);

// Worst cases: no marker at all, so every search runs to the end of the page;
// the credits page is then read the full number of times.
void BM_TitlePageNoMarkers(benchmark::State& state)
{
    const QString page = filler(kPageChars);
    LookupFields f;
    for (auto _ : state) {
        extractTitlePage(f, QStringLiteral("Casablanca (1942)"), page);
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_TitlePageNoMarkers)->Unit(benchmark::kMillisecond);

void BM_CreditsPageNoCast(benchmark::State& state)
{
    const QString page = filler(kPageChars);
    LookupFields f;
    for (auto _ : state) {
        grabit_pt2(f, [&] { return std::optional<QString>(page); });
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_CreditsPageNoCast)->Unit(benchmark::kMillisecond);

// A value preceded by a million "(" with no ")" anywhere after them.
void BM_UnclosedNotes(benchmark::State& state)
{
    const QString page = QStringLiteral("Companies: ") + QString(kPageChars, u'(');
    LookupFields f;
    for (auto _ : state) {
        grabit_pt3(f, page);
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_UnclosedNotes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
