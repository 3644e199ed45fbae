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

// What one pass over archive adds up for the statistics: every figure, or
// those of one part of the columns, so that two threads can each read some
// columns of every row and each name is keyed once, by one of them.
class StatisticsTally
{
public:
    enum class Part
    {
        All,
        Cast,      // the six cast columns only
        AllButCast // everything else
    };

    struct Tape
    {
        double usedMinutes = 0; // at standard play
        int withoutRunningTime = 0;
    };

    // The query of a pass over the rows that meet the filter clause ("where
    // ...", or blank) for a part of the figures; the columns the catalogue
    // lacks are read as Null.
    static QString query(const QStringList& archiveColumns, const QString& filterClause, Part part = Part::All);

    void scan(groups::RawQuery& rows, Part part = Part::All);
    // Takes the cast of a tally of Part::Cast over the same rows.
    void takeCast(StatisticsTally&& other);

    int records = 0;
    groups::TextTally medium, genre, year, country, myRating, seen;
    groups::NameSlots directors, cast, tapes;
    std::vector<int> directorCounts, castCounts; // by slot
    std::vector<Tape> tapeMinutes;               // by slot of tapes
    int withRunningTime = 0;
    qint64 runningMinutes = 0;

private:
    void scanCast(groups::RawQuery& rows, int firstColumn);
};

} // namespace quelto::statistics
