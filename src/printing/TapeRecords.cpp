#include "printing/TapeRecords.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/Database.h"
#include "catalog/LikePattern.h"
#include "search/SearchQuery.h"

#include <algorithm>

namespace quelto::printing {
namespace {

const QStringList& columns()
{
    static const QStringList names = {QStringLiteral("title"),    QStringLiteral("md_type"),
                                      QStringLiteral("mv_country"), QStringLiteral("mv_year"),
                                      QStringLiteral("mv_genre"), QStringLiteral("mv_director"),
                                      QStringLiteral("mv_rating")};
    return names;
}

TapeRecords::Tape tapeOf(const QString& mediaId, const std::vector<QVariantList>& rows)
{
    TapeRecords::Tape tape;
    tape.mediaId = mediaId;
    for (const QVariantList& row : rows) {
        tape.rows.push_back({row.at(0).toString(), row.at(1).toString(), row.at(2).toString(), row.at(3).toString(),
                             row.at(4).toString(), row.at(5).toString(), row.at(6).toString()});
    }
    return tape;
}

} // namespace

TapeRecords::Tape TapeRecords::read(catalog::Database& database, const QString& mediaId)
{
    const QString sql = database.translate(TapeLabels::mediaIdQuery(mediaId));
    return tapeOf(mediaId, catalog::BackgroundQuery::rows(*database.connection(), sql, columns()));
}

TapeRecords::Tape TapeRecords::read(const QString& path, const QString& mediaId, tasks::TaskControl& control)
{
    // The query needs no names translated: archive and its columns are no keywords.
    return tapeOf(mediaId, catalog::BackgroundQuery::rows(path, TapeLabels::mediaIdQuery(mediaId), columns(), control));
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
                break;
            }
        }
        entries.push_back(entry);
    }
    return entries;
}

} // namespace quelto::printing
