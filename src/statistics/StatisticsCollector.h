#pragma once

#include "statistics/StatisticsFigures.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <string_view>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::statistics {

// Works out the statistics in one pass over archive, for the whole catalogue
// (read straight from the file's pages, or with SQL when they cannot be)
// or for the records of a condition (the filter in force, as SQLite reads
// it), plus the tape lengths and the loans. Columns and tables of Quelto's own
// that the catalogue does not have yet count as empty. Runs on any connection;
// an interrupt ends it with an EngineError.
class StatisticsTally;

class StatisticsCollector
{
public:
    // Catalogues with more rows than this are read on two threads at once,
    // the cast on one, the other columns on the other.
    static constexpr qint64 SplitAbove = 20000;

    static StatisticsFigures collect(catalog::SqliteConnection& connection, const QDate& today,
                                     const QString& condition = {});

    // Stops a collect() running on connection on another thread: its own
    // statements and those of the helper it reads with.
    static void interrupt(catalog::SqliteConnection& connection);

    // Counts the loans of the whole catalogue into figures afresh, as of
    // today: what overdue means changes with the day.
    static void recountLoans(catalog::SqliteConnection& connection, const QDate& today,
                             StatisticsFigures& figures);

    // How many minutes of standard play a recording of the given length takes
    // at a tape speed ("SP", "LP", "EP"; anything else counts as SP).
    static double standardPlayMinutes(double minutes, const QString& speed);
    // A running time as stored ("105", "105 min", 105): its whole minutes, or -1.
    static int minutesOf(const QString& text);
    static int minutesOf(std::string_view text);
    // What a recording's minutes are divided by to give standard-play minutes.
    static double speedDivisor(std::string_view speed);
    // Whether a stored "seen" value says the movie was seen.
    static bool isSeen(const QString& text);

private:
    enum class Source
    {
        Pages, // the whole catalogue, read from the file's pages
        Sql,
    };
    // Work on the rest's tally (all but the cast) that can go on while the
    // cast is still being counted on the second thread.
    using Meanwhile = std::function<void(StatisticsTally&)>;
    static StatisticsTally pass(catalog::SqliteConnection& connection, const QStringList& columns,
                                const QString& filterClause, bool split, Source source, const Meanwhile& meanwhile);
    static StatisticsTally tally(catalog::SqliteConnection& connection, const QStringList& columns,
                                 const QString& filterClause, const Meanwhile& meanwhile);
};

} // namespace quelto::statistics
