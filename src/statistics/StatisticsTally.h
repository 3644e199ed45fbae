#pragma once

#include "groups/LargeAllocation.h"
#include "groups/NameSlots.h"
#include "groups/TextTally.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace quelto::groups {
class RawQuery;
}
namespace quelto::catalog {
class TablePageReader;
}

namespace quelto::statistics {

// What one pass over archive adds up for the statistics: every figure, or
// those of one part of the columns, so that two threads can each read some
// columns of every row and each name is keyed once, by one of them: the six
// cast names of a row on one, the director and the rest on the other.
class StatisticsTally
{
public:
    enum class Part
    {
        All,
        Cast,      // the six cast columns
        AllButCast, // everything else
    };
    // The columns read, in the order of the query of all of them.
    enum Column
    {
        Medium,
        Genre,
        Year,
        Country,
        Director,
        Cast0, // six of them
        Catalog = Cast0 + 6,
        MyRating,
        Seen,
        RunningTime,
        Speed,
        ColumnCount
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
    // The columns of a part, in the order of its query, for reading them
    // from the pages (a column the catalogue lacks reads as Null there).
    static QStringList columnNames(Part part = Part::All);

    // Rows is groups::RawQuery or catalog::TablePageReader, with the
    // columns of the part in the order of query().
    template <class Rows>
    void scan(Rows& rows, Part part = Part::All);
    // Takes the cast of a tally of Part::Cast over the same rows.
    void takeCast(StatisticsTally&& other);

    // A name of the row, its hash worked out (and its lookup begun) early.
    struct Pending
    {
        std::string_view text;
        uint64_t hash = 0;
        bool present = false;
    };

    int records = 0;
    groups::TextTally medium, genre, year, country, myRating, seen;
    groups::NameSlots directors, cast;
    groups::NameSlots tapes{groups::NameSlots::Labels::Dropped};
    // Large, and filled a slot at a time as names come: in huge pages.
    template <class T>
    using SlotVector = std::vector<T, groups::LargeAllocator<T>>;
    SlotVector<int> directorCounts, castCounts; // by slot
    SlotVector<Tape> tapeMinutes;               // by slot of tapes
    int withRunningTime = 0;
    qint64 runningMinutes = 0;

private:
    // Rows after which the tables are given the room the rows read so far
    // foretell for the whole table (when its size can be guessed).
    static constexpr int FirstSample = 16384;
    static constexpr int SecondSample = 131072;
    void makeRoom(double scale, bool castPart, bool rest);
    void countDirectors(const Pending& director, std::vector<std::string_view>& listed,
                        std::vector<int>& countedSlots);
    size_t m_castAtFirstSample = 0;

    // The cast of a row (six names) counted, and of the rows copied ahead.
    void countCastOf(const Pending* names);
    void countCastAhead();
    static constexpr size_t AheadRows = 64;
    struct Span
    {
        static constexpr size_t Absent = ~size_t(0);
        size_t begin;
        size_t size;
    };
    std::string m_castText;
    std::vector<Span> m_castSpans;
    std::vector<Pending> m_castAhead;
};

} // namespace quelto::statistics
