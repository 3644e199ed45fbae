#pragma once

#include "statistics/CatalogueStamp.h"
#include "statistics/StatisticsFigures.h"

#include <QDate>
#include <QString>
#include <optional>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::statistics {

// The figures of a whole catalogue, kept between runs in a small file of the
// program's own in the user's cache folder (one a catalogue, named from its
// canonical path; never inside the catalogue), with the stamp of the file
// they were counted from. While the stamp still matches, they are shown
// without the pass. A kept file that is damaged, of another format or of
// another catalogue is ignored and replaced; writing it never fails the
// caller. The loans are always counted afresh, as overdue depends on the day.
class KeptStatistics
{
public:
    static constexpr int Format = 1;

    enum class Source
    {
        Pass,   // counted now
        Memory, // made earlier in this run
        File    // read from the kept file
    };

    // The folder of the kept files; the user's cache unless set (tests).
    static QString location();
    static void setLocation(const QString& folder);
    // The kept file of the catalogue at path.
    static QString fileFor(const QString& cataloguePath);

    // The whole catalogue's figures through connection: kept ones when the
    // catalogue is as they were counted from, otherwise a pass, then kept.
    static StatisticsFigures collect(catalog::SqliteConnection& connection, const QDate& today,
                                     Source* source = nullptr);

    // The figures kept for the catalogue at path, if its stamp is stamp.
    static std::optional<StatisticsFigures> read(const QString& cataloguePath, const CatalogueStamp& stamp);
    // Keeps them; false when the file could not be written.
    static bool write(const QString& cataloguePath, const CatalogueStamp& stamp, const StatisticsFigures& figures);
    // Around a write of the program's own that changes nothing counted (the
    // kept orders) and commits once: the figures kept for the file as it is
    // before, and after it, the same figures kept for the file as it is
    // then, if it was that one commit and nothing else.
    struct Carried
    {
        CatalogueStamp before;
        StatisticsFigures figures;
    };
    static std::optional<Carried> beforeOwnWrite(catalog::SqliteConnection& connection);
    static void afterOwnWrite(catalog::SqliteConnection& connection, const Carried& carried);

    // Drops the figures made earlier in this run (benchmarks).
    static void forgetMemory();
};

} // namespace quelto::statistics
