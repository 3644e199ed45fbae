#pragma once

#include "groups/NameSlots.h"
#include "groups/TextTally.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::groups {
class RawQuery;
}

namespace quelto::statistics {

// What one pass over archive (or a range of its rows) adds up for the
// statistics; two passes over two halves add up to one over the whole.
class StatisticsTally
{
public:
    struct Tape
    {
        double usedMinutes = 0; // at standard play
        int withoutRunningTime = 0;
    };

    // The query of a pass over the rows whose row numbers lie between first
    // and last (both 0: every row) and that meet the filter clause ("where
    // ...", or blank); the columns the catalogue lacks are read as Null.
    static QString query(const QStringList& archiveColumns, const QString& filterClause, qint64 first = 0,
                         qint64 last = 0);

    void scan(groups::RawQuery& rows);
    void merge(const StatisticsTally& other);

    int records = 0;
    groups::TextTally medium, genre, year, country, myRating, seen;
    groups::NameSlots directors, cast, tapes;
    std::vector<int> directorCounts, castCounts; // by slot
    std::vector<Tape> tapeMinutes;               // by slot of tapes
    int withRunningTime = 0;
    qint64 runningMinutes = 0;

private:
    void addPeople(groups::NameSlots& into, std::vector<int>& counts, const groups::NameSlots& from,
                   const std::vector<int>& added);
};

} // namespace quelto::statistics
