// The lists as printed: laid out, every text fitted into its room, and
// painted into a PDF file.
#include "printing/CatalogueLists.h"
#include "printing/PageFitter.h"
#include "printing/PdfPartJoin.h"
#include "printing/PdfPartPainters.h"
#include "printing/PrintCanvas.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <algorithm>
#include <sys/resource.h>
#include <benchmark/benchmark.h>

using namespace quelto::printing;

namespace {

QList<ListRow> rows(int count)
{
    QList<ListRow> out;
    for (int i = 0; i < count; ++i) {
        ListRow r;
        for (const char* column : {"md_type", "md_format", "md_image", "md_sound", "md_language", "mv_country",
                                   "mv_year", "mv_rating", "mv_language", "mv_color", "mv_sound", "mv_genre",
                                   "mv_producer", "mv_book", "mv_music", "mv_cast1", "mv_cast2", "mv_cast3",
                                   "mv_cast4", "mv_cast5", "mv_cast6"})
            r.insert(QString::fromLatin1(column), QStringLiteral("%1 value of record %2").arg(QLatin1String(column)).arg(i));
        // Every third title is too long for its place.
        r.insert(QStringLiteral("title"), i % 3 ? QStringLiteral("Movie %1").arg(i)
                                                : QStringLiteral("Dr. Strangelove or: How I Learned to Stop Worrying "
                                                                 "and Love the Bomb, part %1").arg(i));
        r.insert(QStringLiteral("catalog"), QStringLiteral("V%1").arg(i, 5, 10, QLatin1Char('0')));
        r.insert(QStringLiteral("mv_director"), QStringLiteral("Florian Henckel von Donnersmarck"));
        out << r;
    }
    return out;
}

void BM_LongListFitted(benchmark::State& state)
{
    const QList<ListRow> input = rows(int(state.range(0)));
    for (auto _ : state) {
        PrintDocument document = CatalogueLists::longList(input, QStringLiteral("Quelto Long List on 1/1/25"), 277);
        PageFitter::fit(document, 190);
        benchmark::DoNotOptimize(document.pages.data());
    }
}
BENCHMARK(BM_LongListFitted)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ShortListFitted(benchmark::State& state)
{
    const QList<ListRow> input = rows(int(state.range(0)));
    for (auto _ : state) {
        PrintDocument document = CatalogueLists::shortList(input, QStringLiteral("Quelto Short List on 1/1/25"), 277);
        PageFitter::fit(document, 190);
        benchmark::DoNotOptimize(document.pages.data());
    }
}
BENCHMARK(BM_ShortListFitted)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LongListPdf(benchmark::State& state)
{
    const QList<ListRow> input = rows(int(state.range(0)));
    PdfCanvas pdf(QDir::temp().filePath(QStringLiteral("quelto-bench-long.pdf")));
    const PrintDocument document = CatalogueLists::longList(input, QStringLiteral("Quelto Long List on 1/1/25"), 277);
    for (auto _ : state)
        benchmark::DoNotOptimize(pdf.print(document, CatalogueLists::LongTitle));
    QFile::remove(QDir::temp().filePath(QStringLiteral("quelto-bench-long.pdf")));
}
BENCHMARK(BM_LongListPdf)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The join of a list's parts: the PDF file named by QUELTO_BENCH_PDF (a list
// written by Quelto) taken twice, as two parts, in runs of pages as the
// painters take them.
void BM_PdfPartJoin(benchmark::State& state)
{
    const QString part = qEnvironmentVariable("QUELTO_BENCH_PDF");
    if (part.isEmpty()) {
        state.SkipWithError("QUELTO_BENCH_PDF names no PDF file");
        return;
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {part});
    info.waitForFinished();
    const int pages = QString::fromUtf8(info.readAllStandardOutput()).section(QStringLiteral("Pages:"), 1).trimmed()
                          .section(QLatin1Char('\n'), 0, 0).toInt();
    std::vector<PdfPartJoin::Run> runs;
    for (int taken = 0; taken < pages; taken += PdfPartPainters::RunLength) {
        const int n = std::min(PdfPartPainters::RunLength, pages - taken);
        runs.push_back({0, n});
        runs.push_back({1, n});
    }
    const QString joined = QDir::temp().filePath(QStringLiteral("quelto-bench-joined.pdf"));
    for (auto _ : state) {
        QFile out(joined);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        const QString error = PdfPartJoin::join({part, part}, runs, out);
        if (!error.isEmpty())
            state.SkipWithError(qPrintable(error));
    }
    state.counters["pages"] = 2.0 * pages;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024;
    QFile::remove(joined);
}
BENCHMARK(BM_PdfPartJoin)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
