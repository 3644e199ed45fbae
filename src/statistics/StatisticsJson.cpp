#include "statistics/StatisticsJson.h"

#include <QJsonArray>
#include <cmath>
#include <limits>

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

// Reads a JSON document that toJson wrote; any part missing or of another
// type makes the whole unreadable.
class Reader
{
public:
    bool failed = false;

    QJsonValue at(const QJsonObject& object, const QString& key, QJsonValue::Type type)
    {
        const QJsonValue value = object.value(key);
        if (value.type() != type)
            failed = true;
        return value;
    }
    QJsonObject object(const QJsonObject& object, const QString& key)
    {
        return at(object, key, QJsonValue::Object).toObject();
    }
    QJsonArray array(const QJsonObject& object, const QString& key)
    {
        return at(object, key, QJsonValue::Array).toArray();
    }
    qint64 number(const QJsonObject& object, const QString& key)
    {
        const double value = at(object, key, QJsonValue::Double).toDouble();
        if (value != std::floor(value) || std::abs(value) > 9.0e15)
            failed = true;
        return failed ? 0 : qint64(value);
    }
    int integer(const QJsonObject& object, const QString& key)
    {
        const qint64 value = number(object, key);
        if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            failed = true;
        return failed ? 0 : int(value);
    }
    QString text(const QJsonObject& object, const QString& key)
    {
        return at(object, key, QJsonValue::String).toString();
    }
    std::vector<Share> shares(const QJsonObject& object, const QString& key, int records)
    {
        std::vector<Share> shares;
        for (const QJsonValue& item : array(object, key)) {
            if (!item.isObject()) {
                failed = true;
                break;
            }
            const QJsonObject share = item.toObject();
            Share s{text(share, QStringLiteral("name")), integer(share, QStringLiteral("count"))};
            s.share = records > 0 ? double(s.count) / records : 0;
            shares.push_back(std::move(s));
        }
        return shares;
    }
    OtherNames others(const QJsonObject& object, const QString& key)
    {
        const QJsonObject o = this->object(object, key);
        return OtherNames{integer(o, QStringLiteral("names")), number(o, QStringLiteral("credits"))};
    }
};

} // namespace

std::optional<StatisticsFigures> StatisticsJson::fromJson(const QJsonObject& json)
{
    Reader r;
    StatisticsFigures f;
    f.records = r.integer(json, QStringLiteral("records"));
    f.byMedium = r.shares(json, QStringLiteral("byMedium"), f.records);
    f.byGenre = r.shares(json, QStringLiteral("byGenre"), f.records);
    f.byDecade = r.shares(json, QStringLiteral("byDecade"), f.records);
    f.byCountry = r.shares(json, QStringLiteral("byCountry"), f.records);
    f.topDirectors = r.shares(json, QStringLiteral("topDirectors"), f.records);
    f.topCast = r.shares(json, QStringLiteral("topCast"), f.records);
    f.otherDirectors = r.others(json, QStringLiteral("otherDirectors"));
    f.otherCast = r.others(json, QStringLiteral("otherCast"));
    f.myRating = r.shares(json, QStringLiteral("myRating"), f.records);
    const QJsonObject seen = r.object(json, QStringLiteral("seen"));
    f.seen = r.integer(seen, QStringLiteral("seen"));
    f.notSeen = r.integer(seen, QStringLiteral("notSeen"));

    const QJsonObject tapes = r.object(json, QStringLiteral("tapes"));
    TapeFigures& t = f.tapes;
    t.tapes = r.integer(tapes, QStringLiteral("tapes"));
    t.withLength = r.integer(tapes, QStringLiteral("withLength"));
    t.lengthMinutes = r.number(tapes, QStringLiteral("lengthMinutes"));
    t.usedMinutes = r.number(tapes, QStringLiteral("usedMinutes"));
    t.freeMinutes = r.number(tapes, QStringLiteral("freeMinutes"));
    t.moviesWithoutRunningTime = r.integer(tapes, QStringLiteral("moviesWithoutRunningTime"));
    t.unknownRoom = r.integer(tapes, QStringLiteral("unknownRoomTapes"));
    for (const QJsonValue& movie : r.array(tapes, QStringLiteral("untimedMovies"))) {
        if (!movie.isString())
            r.failed = true;
        t.untimedMovies << movie.toString();
    }
    t.withRunningTime = r.integer(tapes, QStringLiteral("moviesWithRunningTime"));
    t.runningMinutes = r.number(tapes, QStringLiteral("runningMinutes"));

    const QJsonObject loans = r.object(json, QStringLiteral("loans"));
    f.tapesOnLoan = r.integer(loans, QStringLiteral("tapesOnLoan"));
    f.tapesOverdue = r.integer(loans, QStringLiteral("tapesOverdue"));
    for (const QJsonValue& item : r.array(loans, QStringLiteral("perBorrower"))) {
        const QJsonObject b = item.toObject();
        if (!item.isObject())
            r.failed = true;
        f.loansPerBorrower.push_back({r.text(b, QStringLiteral("borrower")), r.integer(b, QStringLiteral("loans")),
                                      r.integer(b, QStringLiteral("current")),
                                      r.integer(b, QStringLiteral("overdue"))});
    }
    f.otherBorrowers = r.integer(loans, QStringLiteral("otherBorrowers"));
    f.otherBorrowersLoans = r.integer(loans, QStringLiteral("otherBorrowersLoans"));
    if (r.failed)
        return std::nullopt;
    return f;
}

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
