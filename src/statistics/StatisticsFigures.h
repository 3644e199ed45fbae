#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::statistics {

// A value and how many records have it, with its share of the records counted.
struct Share
{
    QString name; // "(none)" for records without a value
    int count = 0;
    double share = 0; // 0..1
    bool operator==(const Share&) const = default;
};

struct TapeFigures
{
    int tapes = 0;           // distinct media IDs
    int withLength = 0;      // tapes whose length is known
    qint64 lengthMinutes = 0; // of those tapes
    qint64 usedMinutes = 0;   // recorded on those tapes, at standard play
    qint64 freeMinutes = 0;   // left on those tapes, at standard play
    int moviesWithoutRunningTime = 0; // on those tapes; their minutes are not counted
    // Tapes of known length holding a movie without a running time: what is
    // left on them is unknown, not free, and not in freeMinutes.
    int unknownRoom = 0;
    QStringList untimedMovies; // the first few of those movies, "A3: Alien"
    int withRunningTime = 0;          // movies with a running time, anywhere
    qint64 runningMinutes = 0;        // their running times together
    bool operator==(const TapeFigures&) const = default;
};

// The names beyond a top list, and the records that credit them.
struct OtherNames
{
    int names = 0;
    qint64 credits = 0;
    bool operator==(const OtherNames&) const = default;
};

struct BorrowerFigures
{
    QString borrower;
    int loans = 0;   // all, returned ones too
    int current = 0; // tapes out now
    int overdue = 0; // of those, past their due date
    bool operator==(const BorrowerFigures&) const = default;
};

// Everything the Statistics window and `quelto --statistics` show.
struct StatisticsFigures
{
    static constexpr int TopPeople = 20;

    int records = 0;
    std::vector<Share> byMedium;  // largest first
    std::vector<Share> byGenre;   // largest first
    std::vector<Share> byDecade;  // in time order
    std::vector<Share> byCountry; // largest first
    std::vector<Share> topDirectors; // the TopPeople most frequent
    std::vector<Share> topCast;      // the TopPeople most frequent
    OtherNames otherDirectors;       // beyond topDirectors
    OtherNames otherCast;            // beyond topCast
    std::vector<Share> myRating;     // by rating
    int seen = 0;
    int notSeen = 0;
    TapeFigures tapes;
    std::vector<BorrowerFigures> loansPerBorrower; // the TopPeople with most loans, most first
    int otherBorrowers = 0;                         // the borrowers beyond those
    int otherBorrowersLoans = 0;                    // and their loans
    int tapesOnLoan = 0;
    int tapesOverdue = 0;
    bool operator==(const StatisticsFigures&) const = default;
};

} // namespace quelto::statistics
