#include "glance/StatisticsCollector.h"

#include "glance/GroupCounts.h"
#include "glance/GroupField.h"
#include "glance/GroupFilter.h"
#include "glance/GroupKeying.h"
#include "glance/LoanStore.h"
#include "glance/LoanText.h"
#include "glance/NameSlots.h"
#include "glance/RawQuery.h"
#include "glance/TextTally.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>

namespace quelto::glance {
namespace {

// The columns read, in the order of the scan.
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

const std::array<const char*, ColumnCount> kColumns = {
    "md_type",  "mv_genre", "mv_year",  "mv_country", "mv_director", "mv_cast6", "mv_cast1",
    "mv_cast2", "mv_cast3", "mv_cast4", "mv_cast5",   "catalog",     "quelto_my_rating", "quelto_seen",
    "quelto_running_time", "quelto_speed"};

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

std::vector<Share> sharesOf(const GroupCounts& counts, GroupCounts::Order order, int records, size_t limit = 0)
{
    std::vector<Share> shares;
    for (const Group& group : counts.sorted(order)) {
        if (limit && shares.size() >= limit)
            break;
        shares.push_back({GroupFilter::shownName(group), group.count, records > 0 ? double(group.count) / records : 0});
    }
    return shares;
}

GroupCounts grouped(const TextTally& tally, const QString& fieldId)
{
    const GroupKeying keying(*GroupField::byId(fieldId));
    GroupCounts counts;
    std::vector<Group> groups;
    for (const auto& [text, n] : tally.counts()) {
        groups.clear();
        keying.groupsOf(text, false, groups);
        for (const Group& group : groups)
            counts.add(group, n);
    }
    if (tally.nulls() > 0)
        counts.add(Group{}, tally.nulls());
    return counts;
}

// People counted once a record, the most frequent first.
std::vector<Share> topPeople(const NameSlots& names, const std::vector<int>& counts, int records)
{
    GroupCounts ranked;
    for (size_t slot = 0; slot < names.groups().size(); ++slot)
        ranked.add(names.groups()[slot], counts[slot]);
    return sharesOf(ranked, GroupCounts::Order::ByCount, records, StatisticsFigures::TopPeople);
}

struct TapeTally
{
    double usedMinutes = 0;
    int withoutRunningTime = 0;
};

void countTapes(catalog::SqliteConnection& connection, const NameSlots& tapes, const std::vector<TapeTally>& tally,
                TapeFigures& figures)
{
    figures.tapes = int(tapes.groups().size());
    if (RawQuery::tableColumns(connection, QStringLiteral("quelto_tapes")).isEmpty())
        return;
    std::vector<bool> counted(tally.size(), false);
    RawQuery lengths(connection, QStringLiteral("select catalog, length_minutes from quelto_tapes"));
    while (lengths.step()) {
        const int slot = lengths.isNull(0) ? -1 : tapes.find(lengths.text(0));
        const int length = StatisticsCollector::minutesOf(lengths.text(1));
        if (slot < 0 || length < 0 || counted[size_t(slot)])
            continue;
        counted[size_t(slot)] = true;
        const TapeTally& tape = tally[size_t(slot)];
        const qint64 used = qint64(std::llround(tape.usedMinutes));
        ++figures.withLength;
        figures.lengthMinutes += length;
        figures.usedMinutes += used;
        figures.freeMinutes += std::max<qint64>(0, length - used);
        figures.moviesWithoutRunningTime += tape.withoutRunningTime;
    }
}

void countLoans(catalog::SqliteConnection& connection, const NameSlots& tapes, bool scoped, const QDate& today,
                StatisticsFigures& figures)
{
    if (RawQuery::tableColumns(connection, LoanStore::Table).isEmpty())
        return;
    NameSlots borrowers;
    std::vector<BorrowerFigures> perBorrower;
    QHash<QByteArray, bool> tapesOut; // tape key -> overdue
    const QString todayIso = LoanText::isoDate(today);
    RawQuery loans(connection, QStringLiteral("select catalog, borrower, due, returned from quelto_loans order by id"));
    while (loans.step()) {
        const std::string_view catalog = loans.text(0);
        if (scoped && tapes.find(catalog) < 0)
            continue;
        const int slot = borrowers.slotOf(loans.text(1));
        if (slot < 0)
            continue;
        if (size_t(slot) >= perBorrower.size())
            perBorrower.push_back({borrowers.groups()[size_t(slot)].label});
        BorrowerFigures& borrower = perBorrower[size_t(slot)];
        ++borrower.loans;
        if (!loans.isNull(3))
            continue;
        ++borrower.current;
        const QString due = fromUtf8(loans.text(2)).trimmed();
        const bool overdue = !due.isEmpty() && due < todayIso;
        if (overdue)
            ++borrower.overdue;
        bool& tapeOverdue = tapesOut[GroupKeying::textKey(catalog)];
        tapeOverdue = tapeOverdue || overdue;
    }
    std::sort(perBorrower.begin(), perBorrower.end(), [](const BorrowerFigures& a, const BorrowerFigures& b) {
        if (a.loans != b.loans)
            return a.loans > b.loans;
        return GroupCounts::lessByName(Group{a.borrower, {}, "x", 0}, Group{b.borrower, {}, "x", 0});
    });
    figures.loansPerBorrower = std::move(perBorrower);
    figures.tapesOnLoan = int(tapesOut.size());
    figures.tapesOverdue = int(std::count(tapesOut.cbegin(), tapesOut.cend(), true));
}

} // namespace

double StatisticsCollector::standardPlayMinutes(double minutes, const QString& speed)
{
    const QByteArray utf8 = speed.toUtf8();
    return minutes / speedDivisor({utf8.constData(), size_t(utf8.size())});
}

int StatisticsCollector::minutesOf(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return minutesOf(std::string_view(utf8.constData(), size_t(utf8.size())));
}

int StatisticsCollector::minutesOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    int minutes = 0;
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        minutes = minutes * 10 + (text[digits] - '0');
        if (++digits > 6)
            return -1;
    }
    return digits == 0 ? -1 : minutes;
}

double StatisticsCollector::speedDivisor(std::string_view speed)
{
    while (!speed.empty() && speed.front() == ' ')
        speed.remove_prefix(1);
    while (!speed.empty() && speed.back() == ' ')
        speed.remove_suffix(1);
    const auto is = [speed](std::string_view name) {
        if (speed.size() != name.size())
            return false;
        for (size_t i = 0; i < name.size(); ++i) {
            if ((speed[i] & ~0x20) != name[i])
                return false;
        }
        return true;
    };
    if (is("LP"))
        return 2;
    if (is("EP") || is("SLP"))
        return 3;
    return 1;
}

bool StatisticsCollector::isSeen(const QString& text)
{
    const QString t = text.trimmed().toLower();
    return !t.isEmpty() && t != QLatin1String("0") && t != QLatin1String("no") && t != QLatin1String("false");
}

StatisticsFigures StatisticsCollector::collect(catalog::SqliteConnection& connection, const QDate& today,
                                               const QString& condition)
{
    StatisticsFigures figures;
    const QStringList columns = RawQuery::tableColumns(connection, QStringLiteral("archive"));
    if (columns.isEmpty())
        return figures;
    QStringList selected;
    for (const char* column : kColumns) {
        const QString name = QString::fromLatin1(column);
        selected << (columns.contains(name) ? name : QStringLiteral("null"));
    }
    RawQuery scan(connection, QStringLiteral("select %1 from archive %2").arg(selected.join(u','), condition));

    TextTally medium, genre, year, country, rating, seen;
    NameSlots directors, cast, tapes;
    std::vector<int> directorCounts, castCounts;
    std::vector<TapeTally> tapeTally;
    std::array<int, 6> taken{};
    int records = 0;
    const auto tally = [&scan](TextTally& into, int column) {
        if (scan.isNull(column))
            into.addNull();
        else
            into.add(scan.text(column));
    };
    while (scan.step()) {
        ++records;
        tally(medium, Medium);
        tally(genre, Genre);
        tally(year, Year);
        tally(country, Country);
        tally(rating, MyRating);
        tally(seen, Seen);
        if (const int slot = scan.isNull(Director) ? -1 : directors.slotOf(scan.text(Director)); slot >= 0) {
            directorCounts.resize(directors.groups().size());
            ++directorCounts[size_t(slot)];
        }
        int found = 0;
        for (int c = Cast0; c < Cast0 + 6; ++c) {
            const int slot = scan.isNull(c) ? -1 : cast.slotOf(scan.text(c));
            bool again = slot < 0;
            for (int i = 0; i < found && !again; ++i)
                again = taken[size_t(i)] == slot;
            if (!again)
                taken[size_t(found++)] = slot;
        }
        castCounts.resize(cast.groups().size());
        for (int i = 0; i < found; ++i)
            ++castCounts[size_t(taken[size_t(i)])];

        const int minutes = scan.isNull(RunningTime) ? -1 : minutesOf(scan.text(RunningTime));
        if (minutes >= 0) {
            ++figures.tapes.withRunningTime;
            figures.tapes.runningMinutes += minutes;
        }
        if (const int tape = scan.isNull(Catalog) ? -1 : tapes.slotOf(scan.text(Catalog)); tape >= 0) {
            tapeTally.resize(tapes.groups().size());
            if (minutes >= 0)
                tapeTally[size_t(tape)].usedMinutes += minutes / speedDivisor(scan.text(Speed));
            else
                ++tapeTally[size_t(tape)].withoutRunningTime;
        }
    }
    figures.records = records;
    using Order = GroupCounts::Order;
    figures.byMedium = sharesOf(grouped(medium, QStringLiteral("medium")), Order::ByCount, records);
    figures.byGenre = sharesOf(grouped(genre, QStringLiteral("genre")), Order::ByCount, records);
    figures.byDecade = sharesOf(grouped(year, QStringLiteral("decade")), Order::ByName, records);
    figures.byCountry = sharesOf(grouped(country, QStringLiteral("country")), Order::ByCount, records);
    figures.myRating = sharesOf(grouped(rating, QStringLiteral("myrating")), Order::ByName, records);
    figures.topDirectors = topPeople(directors, directorCounts, records);
    figures.topCast = topPeople(cast, castCounts, records);
    for (const auto& [text, n] : seen.counts()) {
        if (isSeen(fromUtf8(text)))
            figures.seen += n;
    }
    figures.notSeen = records - figures.seen;
    countTapes(connection, tapes, tapeTally, figures.tapes);
    countLoans(connection, tapes, !condition.trimmed().isEmpty(), today, figures);
    return figures;
}

} // namespace quelto::glance
