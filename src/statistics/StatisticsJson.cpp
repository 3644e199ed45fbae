#include "statistics/StatisticsJson.h"

#include <QJsonArray>
#include <cmath>

namespace quelto::statistics {
namespace {

QJsonArray sharesJson(const std::vector<Share>& shares)
{
    QJsonArray array;
    for (const Share& share : shares) {
        array.append(QJsonObject{{QStringLiteral("name"), share.name},
                                 {QStringLiteral("count"), share.count},
                                 {QStringLiteral("share"), std::round(share.share * 10000) / 10000}});
    }
    return array;
}

QJsonObject othersJson(const OtherNames& others)
{
    return QJsonObject{{QStringLiteral("names"), others.names}, {QStringLiteral("credits"), double(others.credits)}};
}

} // namespace

QJsonObject StatisticsJson::toJson(const StatisticsFigures& f)
{
    QJsonArray borrowers;
    for (const BorrowerFigures& b : f.loansPerBorrower) {
        borrowers.append(QJsonObject{{QStringLiteral("borrower"), b.borrower},
                                     {QStringLiteral("loans"), b.loans},
                                     {QStringLiteral("current"), b.current},
                                     {QStringLiteral("overdue"), b.overdue}});
    }
    const TapeFigures& t = f.tapes;
    const QJsonObject tapes{{QStringLiteral("tapes"), t.tapes},
                            {QStringLiteral("withLength"), t.withLength},
                            {QStringLiteral("lengthMinutes"), double(t.lengthMinutes)},
                            {QStringLiteral("usedMinutes"), double(t.usedMinutes)},
                            {QStringLiteral("freeMinutes"), double(t.freeMinutes)},
                            {QStringLiteral("moviesWithoutRunningTime"), t.moviesWithoutRunningTime},
                            {QStringLiteral("unknownRoomTapes"), t.unknownRoom},
                            {QStringLiteral("untimedMovies"), QJsonArray::fromStringList(t.untimedMovies)},
                            {QStringLiteral("moviesWithRunningTime"), t.withRunningTime},
                            {QStringLiteral("runningMinutes"), double(t.runningMinutes)}};
    return QJsonObject{
        {QStringLiteral("records"), f.records},
        {QStringLiteral("byMedium"), sharesJson(f.byMedium)},
        {QStringLiteral("byGenre"), sharesJson(f.byGenre)},
        {QStringLiteral("byDecade"), sharesJson(f.byDecade)},
        {QStringLiteral("byCountry"), sharesJson(f.byCountry)},
        {QStringLiteral("topDirectors"), sharesJson(f.topDirectors)},
        {QStringLiteral("topCast"), sharesJson(f.topCast)},
        {QStringLiteral("otherDirectors"), othersJson(f.otherDirectors)},
        {QStringLiteral("otherCast"), othersJson(f.otherCast)},
        {QStringLiteral("myRating"), sharesJson(f.myRating)},
        {QStringLiteral("seen"), QJsonObject{{QStringLiteral("seen"), f.seen}, {QStringLiteral("notSeen"), f.notSeen}}},
        {QStringLiteral("tapes"), tapes},
        {QStringLiteral("loans"), QJsonObject{{QStringLiteral("tapesOnLoan"), f.tapesOnLoan},
                                              {QStringLiteral("tapesOverdue"), f.tapesOverdue},
                                              {QStringLiteral("perBorrower"), borrowers},
                                              {QStringLiteral("otherBorrowers"), f.otherBorrowers},
                                              {QStringLiteral("otherBorrowersLoans"), f.otherBorrowersLoans}}},
    };
}

} // namespace quelto::statistics
