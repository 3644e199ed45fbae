#include "printing/TapeRecords.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/Database.h"
#include "catalog/LikePattern.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "collection/PersonalFormat.h"
#include "search/SearchQuery.h"

#include <algorithm>

namespace quelto::printing {
namespace {

// Covers are read for the tape's first records only: a pattern that matches
// half the catalogue must not load half its pictures.
constexpr size_t CoversRead = 2 * TapeLabels::MaxTitles;

TapeRecords::Tape readOn(catalog::SqliteConnection& connection, const QString& mediaId, const QString& sql,
                         tasks::TaskControl* control)
{
    QStringList columns = {QStringLiteral("title"),    QStringLiteral("md_type"),     QStringLiteral("mv_country"),
                           QStringLiteral("mv_year"),  QStringLiteral("mv_genre"),    QStringLiteral("mv_director"),
                           QStringLiteral("mv_rating")};
    // The collector's columns when the file has them.
    const bool hasTime = collection::CollectorSchema::hasColumn(connection, QStringLiteral("quelto_running_time"));
    const bool hasId = collection::CollectorSchema::hasColumn(connection, QStringLiteral("quelto_id"))
                       && collection::CollectorSchema::hasTable(connection, QStringLiteral("quelto_covers"));
    if (hasTime)
        columns << QStringLiteral("quelto_running_time");
    if (hasId)
        columns << QStringLiteral("quelto_id");

    TapeRecords::Tape tape;
    tape.mediaId = mediaId;
    for (const QVariantList& row : catalog::BackgroundQuery::rows(connection, sql, columns, control)) {
        TapeRecords::Row r{row.at(0).toString(), row.at(1).toString(), row.at(2).toString(), row.at(3).toString(),
                           row.at(4).toString(), row.at(5).toString(), row.at(6).toString(), {}, {}};
        int next = 7;
        if (hasTime)
            r.runningTime = row.at(next++);
        if (hasId && tape.rows.size() < CoversRead) {
            if (auto cover = collection::CoverStore::load(connection, row.at(next).toLongLong()))
                r.cover = cover->bytes();
        }
        tape.rows.push_back(std::move(r));
    }
    return tape;
}

} // namespace

TapeRecords::Tape TapeRecords::read(catalog::Database& database, const QString& mediaId)
{
    return readOn(*database.connection(), mediaId, database.translate(TapeLabels::mediaIdQuery(mediaId)), nullptr);
}

TapeRecords::Tape TapeRecords::read(const QString& path, const QString& mediaId, tasks::TaskControl& control)
{
    // The query needs no names translated: archive and its columns are no keywords.
    Tape tape;
    catalog::BackgroundQuery::run(path, control, [&](catalog::SqliteConnection& connection) {
        tape = readOn(connection, mediaId, TapeLabels::mediaIdQuery(mediaId), &control);
    });
    return tape;
}

TapeRecords::Lookup TapeRecords::lookup(const Tape& tape)
{
    Lookup result;
    if (tape.rows.empty())
        return result;
    result.mediaType = tape.rows.front().mediaType;
    for (const Row& row : tape.rows)
        result.titles << row.title;
    return result;
}

std::vector<LabelEntry> TapeRecords::entries(const Tape& tape, const QStringList& titles)
{
    std::vector<LabelEntry> entries;
    bool coverFound = false;
    const qsizetype n = std::min<qsizetype>(titles.size(), TapeLabels::MaxTitles);
    for (qsizetype k = 0; k < n; ++k) {
        // The title as a like pattern that matches it literally, as the
        // catalogue compares it.
        const QByteArray pattern = search::SearchQuery::literalPattern(titles[k]).toUtf8();
        const catalog::LikePattern like({pattern.constData(), size_t(pattern.size())});
        LabelEntry entry;
        for (const Row& row : tape.rows) {
            const QByteArray title = row.title.toUtf8();
            if (like.matches({title.constData(), size_t(title.size())})) {
                entry.title = row.title;
                entry.countryYear = row.country + QLatin1Char('/') + row.year;
                entry.genre = row.genre;
                entry.director = row.director;
                entry.rating = row.rating;
                if (!row.runningTime.isNull() && row.runningTime.isValid())
                    entry.runningTime =
                        collection::PersonalFormat::runningTimeText(row.runningTime) + QStringLiteral(" min");
                // The box cover's front shows the first cover of the tape,
                // decoded at most at 300 dpi across the front.
                if (!coverFound && !row.cover.isEmpty()) {
                    entry.cover = collection::CoverPicture::decode(row.cover, QSize(2200, 2200));
                    coverFound = !entry.cover.isNull();
                }
                break;
            }
        }
        entries.push_back(entry);
    }
    return entries;
}

} // namespace quelto::printing
