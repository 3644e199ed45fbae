#include "statistics/StatisticsCollector.h"

#include "catalog/SqliteConnection.h"
#include "catalog/TablePageReader.h"
#include "groups/GroupCounts.h"
#include "groups/GroupField.h"
#include "groups/GroupFilter.h"
#include "groups/GroupKeying.h"
#include "groups/NameSlots.h"
#include "groups/RawQuery.h"
#include "groups/TextTally.h"
#include "loans/LoanStore.h"
#include "loans/LoanText.h"
#include "statistics/StatisticsTally.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <QHash>
#include <QSet>
#include <span>
#include <thread>

namespace quelto::statistics {

using groups::Group;
using groups::GroupCounts;
using groups::GroupKeying;
using groups::NameSlots;
using groups::RawQuery;
using groups::TextTally;
namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::vector<Share> sharesOf(const GroupCounts& counts, groups::GroupCounts::Order order, int records,
                            size_t limit = 0)
{
    std::vector<Share> shares;
    for (const Group& group : counts.sorted(order)) {
        if (limit && shares.size() >= limit)
            break;
        shares.push_back({groups::GroupFilter::shownName(group), group.count,
                          records > 0 ? double(group.count) / records : 0});
    }
    return shares;
}

GroupCounts grouped(const TextTally& tally, const QString& fieldId)
{
    const GroupKeying keying(*groups::GroupField::byId(fieldId));
    GroupCounts counts;
    std::vector<Group> groups;
    tally.forEach([&](std::string_view text, int n) {
        groups.clear();
        keying.groupsOf(text, false, groups);
        for (const Group& group : groups)
            counts.add(group, n);
    });
    if (tally.nulls() > 0)
        counts.add(Group{}, tally.nulls());
    return counts;
}

// People counted once a record, the most frequent first; the others only
// counted. Only the names that can be among the first are made groups of.
std::vector<Share> topPeople(const NameSlots& names, std::span<const int> counts, int records,
                             OtherNames& others)
{
    constexpr size_t Top = StatisticsFigures::TopPeople;
    std::vector<int> sorted(counts.begin(), counts.begin() + qsizetype(std::min(counts.size(), names.size())));
    int least = 1; // the smallest count among the first Top
    if (sorted.size() > Top) {
        std::nth_element(sorted.begin(), sorted.begin() + (Top - 1), sorted.end(), std::greater<int>());
        least = std::max(1, sorted[Top - 1]);
    }
    GroupCounts ranked;
    qint64 credits = 0;
    int named = 0;
    for (size_t slot = 0; slot < sorted.size(); ++slot) {
        const int count = counts[slot];
        if (count <= 0)
            continue;
        ++named;
        credits += count;
        if (count >= least)
            ranked.add(names.group(slot), count);
    }
    std::vector<Share> top = sharesOf(ranked, groups::GroupCounts::Order::ByCount, records, Top);
    others.names = named - int(top.size());
    others.credits = credits;
    for (const Share& share : top)
        others.credits -= share.count;
    return top;
}

// The first movies without a running time on the tapes of unknown room,
// "A3: Alien", so that the user knows which to complete.
void nameUntimedMovies(catalog::SqliteConnection& connection, NameSlots& tapes, const QSet<int>& unknown,
                       TapeFigures& figures)
{
    constexpr int Named = 5;
    if (unknown.isEmpty())
        return;
    const bool times =
        RawQuery::tableColumns(connection, QStringLiteral("archive")).contains(QStringLiteral("quelto_running_time"));
    RawQuery untimed(connection, times ? QStringLiteral("select catalog, title from archive where "
                                                        "quelto_running_time is null or quelto_running_time <= 0")
                                       : QStringLiteral("select catalog, title from archive"));
    while (figures.untimedMovies.size() < Named && untimed.step()) {
        if (untimed.isNull(0) || !unknown.contains(tapes.find(untimed.text(0))))
            continue;
        const auto text = [&untimed](int column) {
            const std::string_view v = untimed.text(column);
            return QString::fromUtf8(v.data(), qsizetype(v.size())).trimmed();
        };
        figures.untimedMovies << QStringLiteral("%1: %2").arg(text(0), text(1));
    }
}

void countTapes(catalog::SqliteConnection& connection, NameSlots& tapes,
                std::span<const StatisticsTally::Tape> tally, TapeFigures& figures)
{
    figures.tapes = int(tapes.size());
    if (groups::RawQuery::tableColumns(connection, QStringLiteral("quelto_tapes")).isEmpty())
        return;
    std::vector<bool> counted(tally.size(), false);
    QSet<int> unknown; // slots of tapes whose room is unknown
    RawQuery lengths(connection, QStringLiteral("select catalog, length_minutes from quelto_tapes"));
    while (lengths.step()) {
        const int slot = lengths.isNull(0) ? -1 : tapes.find(lengths.text(0));
        const int length = StatisticsCollector::minutesOf(lengths.text(1));
        if (slot < 0 || length < 0 || counted[size_t(slot)])
            continue;
        counted[size_t(slot)] = true;
        const StatisticsTally::Tape tape =
            size_t(slot) < tally.size() ? tally[size_t(slot)] : StatisticsTally::Tape{};
        const qint64 used = qint64(std::llround(tape.usedMinutes));
        ++figures.withLength;
        figures.lengthMinutes += length;
        figures.usedMinutes += used;
        figures.moviesWithoutRunningTime += tape.withoutRunningTime;
        if (tape.withoutRunningTime > 0) {
            ++figures.unknownRoom; // unknown, not free
            unknown.insert(slot);
        } else {
            figures.freeMinutes += std::max<qint64>(0, length - used);
        }
    }
    nameUntimedMovies(connection, tapes, unknown, figures);
}

void countLoans(catalog::SqliteConnection& connection, NameSlots& tapes, bool scoped, const QDate& today,
                StatisticsFigures& figures)
{
    if (groups::RawQuery::tableColumns(connection, loans::LoanStore::Table).isEmpty())
        return;
    NameSlots borrowers;
    std::vector<BorrowerFigures> perBorrower;
    QHash<QByteArray, bool> tapesOut; // tape key -> overdue
    const QString todayIso = loans::LoanText::isoDate(today);
    RawQuery loans(connection,
                   QStringLiteral("select catalog, borrower, due, returned from quelto_loans order by id"));
    while (loans.step()) {
        const std::string_view catalog = loans.text(0);
        if (scoped && tapes.find(catalog) < 0)
            continue;
        const int slot = borrowers.slotOf(loans.text(1));
        if (slot < 0)
            continue;
        if (size_t(slot) >= perBorrower.size())
            perBorrower.push_back({borrowers.group(size_t(slot)).label});
        BorrowerFigures& borrower = perBorrower[size_t(slot)];
        ++borrower.loans;
        if (!loans.isNull(3))
            continue;
        ++borrower.current;
        const QString due = fromUtf8(loans.text(2)).trimmed();
        const bool overdue = !due.isEmpty() && due < todayIso;
        if (overdue)
            ++borrower.overdue;
        bool& tapeOverdue = tapesOut[groups::GroupKeying::textKey(catalog)];
        tapeOverdue = tapeOverdue || overdue;
    }
    std::sort(perBorrower.begin(), perBorrower.end(), [](const BorrowerFigures& a, const BorrowerFigures& b) {
        if (a.loans != b.loans)
            return a.loans > b.loans;
        return groups::GroupCounts::lessByName(Group{a.borrower, {}, "x", 0}, Group{b.borrower, {}, "x", 0});
    });
    // A top list, as for the people of the movies: the rest only counted.
    if (perBorrower.size() > size_t(StatisticsFigures::TopPeople)) {
        for (auto it = perBorrower.cbegin() + StatisticsFigures::TopPeople; it != perBorrower.cend(); ++it) {
            ++figures.otherBorrowers;
            figures.otherBorrowersLoans += it->loans;
        }
        perBorrower.resize(size_t(StatisticsFigures::TopPeople));
    }
    figures.loansPerBorrower = std::move(perBorrower);
    figures.tapesOnLoan = int(tapesOut.size());
    figures.tapesOverdue = int(std::count(tapesOut.cbegin(), tapesOut.cend(), true));
}

// The helper connection reading for a connection, while it does.
struct Helpers
{
    std::mutex mutex;
    std::map<const catalog::SqliteConnection*, catalog::SqliteConnection*> of;

    static Helpers& all()
    {
        static Helpers helpers;
        return helpers;
    }
};

class HelperHook
{
public:
    HelperHook(catalog::SqliteConnection& connection, catalog::SqliteConnection& helper) : m_connection(connection)
    {
        const std::lock_guard lock(Helpers::all().mutex);
        Helpers::all().of[&connection] = &helper;
    }
    ~HelperHook()
    {
        const std::lock_guard lock(Helpers::all().mutex);
        Helpers::all().of.erase(&m_connection);
    }
    HelperHook(const HelperHook&) = delete;
    HelperHook& operator=(const HelperHook&) = delete;

private:
    catalog::SqliteConnection& m_connection;
};

} // namespace

void StatisticsCollector::interrupt(catalog::SqliteConnection& connection)
{
    connection.interrupt();
    const std::lock_guard lock(Helpers::all().mutex);
    const auto helper = Helpers::all().of.find(&connection);
    if (helper != Helpers::all().of.end())
        helper->second->interrupt();
}

void StatisticsCollector::recountLoans(catalog::SqliteConnection& connection, const QDate& today,
                                       StatisticsFigures& figures)
{
    figures.loansPerBorrower.clear();
    figures.otherBorrowers = 0;
    figures.otherBorrowersLoans = 0;
    figures.tapesOnLoan = 0;
    figures.tapesOverdue = 0;
    NameSlots noTapes; // the whole catalogue: no tape is looked up
    countLoans(connection, noTapes, false, today, figures);
}

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
    const QByteArray utf8 = text.toUtf8();
    return groups::GroupKeying::isSeen({utf8.constData(), size_t(utf8.size())});
}

StatisticsTally StatisticsCollector::tally(catalog::SqliteConnection& connection, const QStringList& columns,
                                           const QString& filterClause, const Meanwhile& meanwhile)
{
    qint64 rows = 0;
    {
        // Two lookups at the ends of the tree; "max(rowid) - min(rowid)" would read every row.
        RawQuery range(connection, QStringLiteral("select (select max(rowid) from archive) - "
                                                  "(select min(rowid) from archive)"));
        if (range.step())
            rows = range.integer(0);
    }
    const bool split = rows >= SplitAbove && !connection.path().isEmpty();
    if (filterClause.trimmed().isEmpty()) {
        try {
            return pass(connection, columns, {}, split, Source::Pages, meanwhile);
        } catch (const catalog::TablePageReader::Unreadable&) {
            // Read again with SQL, from the first row: SQLite says what the
            // figures are, or why there are none.
        }
    }
    return pass(connection, columns, filterClause, split, Source::Sql, meanwhile);
}

StatisticsTally StatisticsCollector::pass(catalog::SqliteConnection& connection, const QStringList& columns,
                                          const QString& filterClause, bool split, Source source,
                                          const Meanwhile& meanwhile)
{
    using Part = StatisticsTally::Part;
    const auto scan = [&](catalog::SqliteConnection& on, StatisticsTally& into, Part part) {
        if (source == Source::Pages) {
            catalog::TablePageReader rows(on, QStringLiteral("archive"), StatisticsTally::columnNames(part));
            into.scan(rows, part);
        } else {
            RawQuery rows(on, StatisticsTally::query(columns, filterClause, part));
            into.scan(rows, part);
        }
    };
    StatisticsTally whole;
    if (!split) {
        scan(connection, whole, Part::All);
        meanwhile(whole);
        return whole;
    }
    // The cast on a second thread with a connection of its own, everything
    // else here (the director too, so that both have about as much to do):
    // both read every row, and each name is counted in one place, so that
    // its table is made once.
    auto helperConnection =
        catalog::SqliteConnection::open(connection.path(), catalog::SqliteConnection::Mode::OpenReadOnly);
    // interrupt() stops the helper too, also once this part is over and waits for it.
    const HelperHook hook(connection, *helperConnection);
    StatisticsTally castTally;
    std::exception_ptr helperError;
    std::thread helper([&] {
        try {
            scan(*helperConnection, castTally, Part::Cast);
        } catch (...) {
            helperError = std::current_exception();
        }
    });
    try {
        scan(connection, whole, Part::AllButCast);
        meanwhile(whole);
    } catch (...) {
        helperConnection->interrupt(); // interrupted or failed: the other part stops too
        helper.join();
        throw;
    }
    helper.join();
    if (helperError)
        std::rethrow_exception(helperError);
    whole.takeCast(std::move(castTally));
    return whole;
}

StatisticsFigures StatisticsCollector::collect(catalog::SqliteConnection& connection, const QDate& today,
                                               const QString& condition)
{
    StatisticsFigures figures;
    const QStringList columns = groups::RawQuery::tableColumns(connection, QStringLiteral("archive"));
    if (columns.isEmpty())
        return figures;
    // Every figure but the cast's is made, and the tapes' lengths and the
    // loans looked up, while the cast is still being counted; a pass started
    // again (from SQL) makes them again.
    const bool scoped = !condition.trimmed().isEmpty();
    StatisticsTally t = tally(connection, columns, condition, [&](StatisticsTally& rest) {
        figures = {};
        const int records = rest.records;
        figures.records = records;
        using Order = groups::GroupCounts::Order;
        figures.byMedium = sharesOf(grouped(rest.medium, QStringLiteral("medium")), Order::ByCount, records);
        figures.byGenre = sharesOf(grouped(rest.genre, QStringLiteral("genre")), Order::ByCount, records);
        figures.byDecade = sharesOf(grouped(rest.year, QStringLiteral("decade")), Order::ByName, records);
        figures.byCountry = sharesOf(grouped(rest.country, QStringLiteral("country")), Order::ByCount, records);
        figures.myRating = sharesOf(grouped(rest.myRating, QStringLiteral("myrating")), Order::ByName, records);
        figures.topDirectors = topPeople(rest.directors, rest.directorCounts, records, figures.otherDirectors);
        rest.seen.forEach([&](std::string_view text, int n) {
            if (groups::GroupKeying::isSeen(text))
                figures.seen += n;
        });
        figures.notSeen = records - figures.seen;
        countTapes(connection, rest.tapes, rest.tapeMinutes, figures.tapes);
        figures.tapes.withRunningTime = rest.withRunningTime;
        figures.tapes.runningMinutes = rest.runningMinutes;
        countLoans(connection, rest.tapes, scoped, today, figures);
    });
    figures.topCast = topPeople(t.cast, t.castCounts, t.records, figures.otherCast);
    return figures;
}

} // namespace quelto::statistics
