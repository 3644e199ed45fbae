#pragma once

#include "groups/NameSlots.h"
#include "groups/TextTally.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::statistics {

class RawQuery;

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

    void scan(RawQuery& rows);
    void merge(const StatisticsTally& other);

    int records = 0;
    TextTally medium, genre, year, country, myRating, seen;
    NameSlots directors, cast, tapes;
    std::vector<int> directorCounts, castCounts; // by slot
    std::vector<Tape> tapeMinutes;               // by slot of tapes
    int withRunningTime = 0;
    qint64 runningMinutes = 0;

private:
    void addPeople(NameSlots& into, std::vector<int>& counts, const NameSlots& from, const std::vector<int>& added);
};

} // namespace quelto::statistics
