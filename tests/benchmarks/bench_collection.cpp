// The collector's own data at scale: opening a catalogue whose 10,000 records
// each have a 150 KB cover, the Covers view's first screen, its scrolling and
// its memory, the file's growth; and the personal fields in the quick filter
// and the header sort at 100,000 records beside the columns every catalogue has.
#include "BenchCatalog.h"
#include "collection/CoverCardDelegate.h"
#include "collection/CoversPane.h"
#include "catalog/ArchiveKeys.h"
#include "catalog/ArchiveQuery.h"
#include "catalog/CatalogLoader.h"
#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/OrderCache.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverGridModel.h"
#include "collection/CoverThumbnails.h"
#include "collection/RecordIdentity.h"
#include "search/QuickFilter.h"
#include "search/SearchQuery.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QListView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace quelto;

namespace {

constexpr int kCoverRecords = 10000;
constexpr int kCoverBytes = 150 * 1024;

QString benchDir() { return qEnvironmentVariable("QUELTO_BENCH_DIR", QDir::tempPath()); }

// A poster-like JPEG of about 150 KB: noise over gradients, then padded to the
// size with a comment segment so that each record's picture is its own.
QByteArray poster(int serial)
{
    static QByteArray base;
    if (base.isEmpty()) {
        QImage image(600, 900, QImage::Format_RGB32);
        QRandomGenerator r(99);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb((x / 3 + int(r.bounded(40))) % 256, (y / 4 + int(r.bounded(40))) % 256,
                               (x + y) / 6 % 256);
        }
        QBuffer buffer(&base);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(70);
        writer.write(image);
    }
    QByteArray bytes = base;
    if (bytes.size() + 8 < kCoverBytes) {
        const int pad = std::min(kCoverBytes - int(bytes.size()) - 4, 65533 - 2);
        QByteArray comment("\xFF\xFE", 2);
        comment.append(char((pad + 2) >> 8)).append(char((pad + 2) & 0xff));
        QByteArray text = QByteArray::number(serial).leftJustified(pad, '.');
        comment += text;
        bytes.insert(2, comment);
    }
    return bytes;
}

// The 10,000-record catalogue, copied, with a cover for every record.
QString coversCatalogue(bool withCovers)
{
    const QString plain = bench::catalogFile(kCoverRecords);
    const QString path = QDir(benchDir()).filePath(withCovers ? QStringLiteral("quelto-bench-covers-10000.mdb")
                                                              : QStringLiteral("quelto-bench-nocovers-10000.mdb"));
    if (QFileInfo::exists(path))
        return path;
    QFile::copy(plain, path);
    auto db = catalog::Database::open(path);
    catalog::SqliteConnection& connection = *db->connection();
    connection.beginWrite();
    catalog::WriteTransaction transaction(connection);
    collection::CollectorSchema::ensure(*db);
    collection::RecordIdentity::assignMissing(connection);
    if (withCovers) {
        auto insert = connection.prepare(QStringLiteral(
            "insert into quelto_covers (record_id, picture, format, width, height) values (?, ?, 'jpeg', 600, 900)"));
        for (int id = 1; id <= kCoverRecords; ++id) {
            insert->reset();
            insert->bindInt64(1, id);
            insert->bind(2, poster(id));
            insert->step();
        }
    }
    transaction.commit();
    return path;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

void BM_OpenCatalogue(benchmark::State& state, bool withCovers)
{
    const QString path = coversCatalogue(withCovers);
    for (auto _ : state) {
        catalog::CatalogState opened;
        opened.databasePath = path;
        catalog::CatalogLoader::open(opened);
        benchmark::DoNotOptimize(opened.current->recordCount());
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / (1024 * 1024);
}

// What the file gains: its size with the covers minus without, over the
// pictures' own bytes.
void BM_FileGrowth(benchmark::State& state)
{
    const qint64 with = QFileInfo(coversCatalogue(true)).size();
    const qint64 without = QFileInfo(coversCatalogue(false)).size();
    qint64 pictures = 0;
    {
        auto db = catalog::Database::open(coversCatalogue(true));
        auto query = db->connection()->prepare(QStringLiteral("select sum(length(picture)) from quelto_covers"));
        query->step();
        pictures = query->int64(0);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(with);
    state.counters["growth_over_pictures"] = double(with - without) / double(pictures);
    state.counters["pictures_MB"] = double(pictures) / (1024 * 1024);
}

struct CoversWindow
{
    catalog::CatalogState state;
    collection::CoversPane pane;
    collection::CoverGridModel model{state};
    std::unique_ptr<collection::CoverThumbnails> thumbnails;

    explicit CoversWindow(const QString& path)
    {
        state.databasePath = path;
        catalog::CatalogLoader::open(state);
        pane.resize(1000, 720);
        pane.grid()->setModel(&model);
        const QSize picture = pane.delegate()->pictureSize();
        thumbnails = std::make_unique<collection::CoverThumbnails>(path, QSize(160, 240).expandedTo(picture));
        model.setThumbnails(thumbnails.get());
        pane.show();
        model.refresh();
        QCoreApplication::processEvents();
        pane.grid()->doItemsLayout();
    }
    ~CoversWindow() { model.setThumbnails(nullptr); }

    // Paints the grid now; returns when every card on screen has its cover
    // (the covers come from the worker while the event loop runs).
    void paintUntilComplete()
    {
        QListView* grid = pane.grid();
        grid->viewport()->repaint();
        while (thumbnails->pending() > 0) {
            QEventLoop wait;
            QTimer::singleShot(2, &wait, &QEventLoop::quit);
            wait.exec();
            grid->viewport()->repaint();
        }
    }
};

// From an empty cache to every card of the first screen painted with its cover.
void BM_CoversFirstScreen(benchmark::State& state)
{
    const QString path = coversCatalogue(true);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        CoversWindow window(path);
        window.paintUntilComplete();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.counters["covers_on_screen"] = double(window.thumbnails->cachedBytes()) > 0
                                                 ? double(window.thumbnails->cachedBytes()) / (160.0 * 240 * 4)
                                                 : 0;
    }
}

// Scrolling a page at a time through the whole set: the longest frame (one
// repaint after a scroll step, the covers still coming in painted as cards).
void BM_CoversScrolling(benchmark::State& state)
{
    const QString path = coversCatalogue(true);
    CoversWindow window(path);
    window.paintUntilComplete();
    QScrollBar* bar = window.pane.grid()->verticalScrollBar();
    double worst = 0;
    int frames = 0;
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep() / 2 >= bar->maximum() ? 0 : bar->value() + bar->pageStep() / 2);
        QElapsedTimer clock;
        clock.start();
        window.pane.grid()->viewport()->repaint();
        QCoreApplication::processEvents();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        worst = std::max(worst, ms);
        ++frames;
        state.SetIterationTime(ms / 1000);
    }
    state.counters["worst_frame_ms"] = worst;
    state.counters["frames"] = frames;
}

// Resident memory the Covers view adds after every cover has been shown once.
void BM_CoversMemory(benchmark::State& state)
{
    const QString path = coversCatalogue(true);
    const long before = residentKb();
    long after = before;
    for (auto _ : state) {
        CoversWindow window(path);
        QScrollBar* bar = window.pane.grid()->verticalScrollBar();
        for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
            bar->setValue(value);
            window.paintUntilComplete();
        }
        after = std::max(after, residentKb());
    }
    state.counters["added_MB"] = double(after - before) / 1024;
}

// The 100,000-record catalogue with the personal columns filled.
catalog::Database& personalCatalogue()
{
    static std::unique_ptr<catalog::Database> db;
    if (db)
        return *db;
    const QString path = QDir(benchDir()).filePath(QStringLiteral("quelto-bench-personal-100000.mdb"));
    if (!QFileInfo::exists(path)) {
        QFile::copy(bench::catalogFile(100000), path);
        auto fresh = catalog::Database::open(path);
        catalog::ArchiveKeys::install(*fresh);
        catalog::SqliteConnection& connection = *fresh->connection();
        connection.beginWrite();
        catalog::WriteTransaction transaction(connection);
        collection::CollectorSchema::ensure(*fresh);
        catalog::ArchiveKeys::columnsAdded(*fresh);
        collection::RecordIdentity::assignMissing(connection);
        connection.exec(QStringLiteral(
            "update archive set quelto_my_rating = (rowid % 10 + 1) / 2.0, "
            "quelto_location = 'Shelf ' || (rowid % 40), quelto_condition = 'Good', "
            "quelto_running_time = 60 + rowid % 120, quelto_price = (rowid % 3000) / 100.0, "
            "quelto_notes = case when rowid % 50 = 0 then 'Recorded off air, ads cut at ' || rowid "
            "else 'Bought at a flea market' end"));
        transaction.commit();
    }
    db = catalog::Database::open(path);
    catalog::ArchiveKeys::install(*db);
    return *db;
}

void BM_PersonalQuickFilter(benchmark::State& state, QString text)
{
    catalog::Database& db = personalCatalogue();
    const QString clause = search::QuickFilter::clause(text, catalog::ArchiveKeys::searchedColumns(*db.connection()));
    // As the window asks it: the engine's own pass over the archive.
    const QString sql = db.translate(search::SearchQuery::sortQuery(clause, QStringLiteral(" ORDER by title")));
    for (auto _ : state) {
        const auto keys = catalog::ArchiveQuery::keys(*db.connection(), sql, nullptr);
        if (!keys)
            state.SkipWithError("the engine does not answer this query");
        state.counters["rows"] = keys ? double(keys->size()) : 0.0;
    }
}

// The same search on the catalogue as it was before any personal data.
void BM_PlainQuickFilter(benchmark::State& state, QString text)
{
    catalog::Database& db = bench::catalog(100000);
    static bool keyed = false;
    if (!keyed) {
        catalog::ArchiveKeys::install(db);
        keyed = true;
    }
    const QString clause = search::QuickFilter::clause(text, catalog::ArchiveKeys::searchedColumns(*db.connection()));
    // As the window asks it: the engine's own pass over the archive.
    const QString sql = db.translate(search::SearchQuery::sortQuery(clause, QStringLiteral(" ORDER by title")));
    for (auto _ : state) {
        const auto keys = catalog::ArchiveQuery::keys(*db.connection(), sql, nullptr);
        if (!keys)
            state.SkipWithError("the engine does not answer this query");
        state.counters["rows"] = keys ? double(keys->size()) : 0.0;
    }
}

void BM_PersonalHeaderSort(benchmark::State& state, QString column)
{
    catalog::Database& db = personalCatalogue();
    const QString sql = search::SearchQuery::sortQuery(QString(), QStringLiteral("order by ") + column);
    for (auto _ : state) {
        auto set = db.openRecordSet(sql);
        set->moveLast();
        set->moveFirst();
        benchmark::DoNotOptimize(set->value(QStringLiteral("title")));
    }
}

// The same on a file the engine has not sorted yet in this run: the order's
// keys are read and sorted afresh.
void BM_PersonalHeaderSortCold(benchmark::State& state, QString column)
{
    catalog::Database& db = personalCatalogue();
    const QString sql = search::SearchQuery::sortQuery(QString(), QStringLiteral("order by ") + column);
    for (auto _ : state) {
        state.PauseTiming();
        catalog::OrderCache::shared().clear();
        state.ResumeTiming();
        auto set = db.openRecordSet(sql);
        set->moveLast();
        set->moveFirst();
        benchmark::DoNotOptimize(set->value(QStringLiteral("title")));
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_OpenCatalogue, without_covers, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenCatalogue, with_covers, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileGrowth)->Iterations(1);
BENCHMARK(BM_CoversFirstScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CoversScrolling)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_CoversMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
// The quick filter: a title word (in the title column) against a word only notes hold.
BENCHMARK_CAPTURE(BM_PersonalQuickFilter, title_word, QStringLiteral("falcon"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalQuickFilter, notes_word, QStringLiteral("ads cut"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalQuickFilter, location, QStringLiteral("shelf 17"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalQuickFilter, title_word_a, QStringLiteral("alien"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainQuickFilter, title_word, QStringLiteral("falcon"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainQuickFilter, title_word_a, QStringLiteral("alien"))->Unit(benchmark::kMillisecond);
// Header sort: columns every catalogue has, without and with a key, against the personal ones.
BENCHMARK_CAPTURE(BM_PersonalHeaderSort, mv_country, QStringLiteral("mv_country"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSort, mv_genre_keyed, QStringLiteral("mv_genre"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSort, quelto_location, QStringLiteral("quelto_location"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSort, quelto_my_rating, QStringLiteral("quelto_my_rating"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSort, quelto_running_time, QStringLiteral("quelto_running_time"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, title, QStringLiteral("title"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, mv_country, QStringLiteral("mv_country"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, mv_year, QStringLiteral("mv_year"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, quelto_location, QStringLiteral("quelto_location"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, quelto_my_rating, QStringLiteral("quelto_my_rating"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, quelto_running_time, QStringLiteral("quelto_running_time"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PersonalHeaderSortCold, quelto_notes, QStringLiteral("quelto_notes"))->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
