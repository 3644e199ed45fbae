#include "printing/TapeRecords.h"

#include "catalog/Database.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverPicture.h"
#include "collection/CoverStore.h"
#include "collection/PersonalFormat.h"

#include <algorithm>

namespace quelto::printing {
namespace {

QString field(const catalog::RecordSet& set, const char* column)
{
    return set.value(QString::fromLatin1(column)).toString();
}

} // namespace

TapeRecords::Lookup TapeRecords::lookup(catalog::Database& database, const QString& mediaId)
{
    Lookup result;
    std::unique_ptr<catalog::RecordSet> set = database.openRecordSet(TapeLabels::mediaIdQuery(mediaId));
    if (set->bof() && set->eof())
        return result;
    set->moveFirst();
    result.mediaType = field(*set, "md_type");
    for (; !set->eof(); set->moveNext())
        result.titles << field(*set, "title");
    set->close();
    return result;
}

std::vector<LabelEntry> TapeRecords::entries(catalog::Database& database, const QString& mediaId,
                                             const QStringList& titles)
{
    std::vector<LabelEntry> entries;
    bool coverFound = false;
    const qsizetype n = std::min<qsizetype>(titles.size(), TapeLabels::MaxTitles);
    for (qsizetype k = 0; k < n; ++k) {
        LabelEntry entry;
        std::unique_ptr<catalog::RecordSet> set = database.openRecordSet(TapeLabels::titleQuery(mediaId, titles[k]));
        if (!(set->bof() && set->eof())) {
            set->moveFirst();
            entry.title = field(*set, "title");
            entry.countryYear = field(*set, "mv_country") + QLatin1Char('/') + field(*set, "mv_year");
            entry.genre = field(*set, "mv_genre");
            entry.director = field(*set, "mv_director");
            entry.rating = field(*set, "mv_rating");
            if (set->hasField(QStringLiteral("quelto_running_time"))) {
                const QVariant minutes = set->value(QStringLiteral("quelto_running_time"));
                if (!minutes.isNull() && minutes.isValid())
                    entry.runningTime =
                        collection::PersonalFormat::runningTimeText(minutes) + QStringLiteral(" min");
            }
            if (!coverFound && set->hasField(QStringLiteral("quelto_id"))) {
                // The box cover's front shows the first cover of the tape,
                // decoded at most at 300 dpi across the front.
                const qint64 id = set->value(QStringLiteral("quelto_id")).toLongLong();
                if (id > 0) {
                    if (auto cover = collection::CoverStore::load(*database.connection(), id))
                        entry.cover = collection::CoverPicture::decode(cover->bytes(), QSize(2200, 2200));
                    coverFound = !entry.cover.isNull();
                }
            }
        }
        set->close();
        entries.push_back(entry);
    }
    return entries;
}

} // namespace quelto::printing
