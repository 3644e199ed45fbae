#include "printing/TapeRecords.h"

#include "catalog/Database.h"
#include "catalog/RecordSet.h"

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
        }
        set->close();
        entries.push_back(entry);
    }
    return entries;
}

} // namespace quelto::printing
