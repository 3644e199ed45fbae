#include "statistics/StatisticsTally.h"

#include "catalog/TablePageReader.h"
#include "catalog/ValueList.h"
#include "groups/RawQuery.h"
#include "statistics/StatisticsCollector.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <QRegularExpression>

namespace quelto::statistics {

using groups::NameSlots;
using groups::RawQuery;
using groups::TextTally;
namespace {

using enum StatisticsTally::Column;

bool inPart(int column, StatisticsTally::Part part)
{
    const bool cast = column >= Cast0 && column < Cast0 + 6;
    return part == StatisticsTally::Part::All || cast == (part == StatisticsTally::Part::Cast);
}

const std::array<const char*, ColumnCount> kColumns = {
    "md_type",      "mv_genre",          "mv_year",          "mv_country",  "mv_director",
    "mv_cast6",     "mv_cast1",          "mv_cast2",         "mv_cast3",    "mv_cast4",
    "mv_cast5",     "catalog",           "quelto_my_rating", "quelto_seen", "quelto_running_time",
    "quelto_speed"};

using Pending = StatisticsTally::Pending;

template <class Rows>
Pending pending(const Rows& rows, int column, const NameSlots& names)
{
    const std::optional<std::string_view> text = rows.value(column);
    if (!text)
        return {};
    const uint64_t hash = NameSlots::hashOf(*text);
    names.prefetch(hash);
    return {*text, hash, true};
}

// Small whole numbers (ratings, seen) counted without making them text,
// then added to the texts' tally as the engine writes them.
class SmallNumbers
{
public:
    template <class Rows>
    bool add(const Rows& rows, int column)
    {
        if (!rows.isInteger(column))
            return false;
        const qint64 value = rows.integer(column);
        if (value < 0 || value >= qint64(m_counts.size()))
            return false;
        ++m_counts[size_t(value)];
        return true;
    }
    void addTo(TextTally& tally) const
    {
        for (size_t value = 0; value < m_counts.size(); ++value) {
            if (m_counts[value] > 0)
                tally.add(std::to_string(value), m_counts[value]);
        }
    }

private:
    std::array<int, 128> m_counts{};
};

void addCount(StatisticsTally::SlotVector<int>& counts, int slot)
{
    if (size_t(slot) >= counts.size())
        counts.resize(size_t(slot) + 1 + counts.size() / 2);
    ++counts[size_t(slot)];
}

// The columns but the people of one row.
template <class Rows>
void scanRest(StatisticsTally& t, const Rows& rows, const std::array<int, ColumnCount>& at, SmallNumbers& ratings,
              SmallNumbers& seenNumbers)
{
    const auto tally = [&rows, &at](TextTally& into, int column) {
        if (const std::optional<std::string_view> text = rows.value(at[size_t(column)]))
            into.add(*text);
        else
            into.addNull();
    };
    // A media ID is mostly new to the table: its place is asked for first,
    // and read while the small tallies are made.
    const std::optional<std::string_view> catalog = rows.value(at[Catalog]);
    if (catalog)
        t.tapes.prepare(*catalog);
    tally(t.medium, Medium);
    tally(t.genre, Genre);
    tally(t.year, Year);
    tally(t.country, Country);
    if (!ratings.add(rows, at[MyRating]))
        tally(t.myRating, MyRating);
    if (!seenNumbers.add(rows, at[Seen]))
        tally(t.seen, Seen);

    int minutes = -1;
    if (rows.isInteger(at[RunningTime])) {
        const qint64 stored = rows.integer(at[RunningTime]);
        minutes = stored >= 0 && stored <= 999999 ? int(stored) : -1; // as minutesOf reads its text
    } else if (const std::optional<std::string_view> running = rows.value(at[RunningTime])) {
        minutes = StatisticsCollector::minutesOf(*running);
    }
    if (minutes >= 0) {
        ++t.withRunningTime;
        t.runningMinutes += minutes;
    }
    // Not by the sort key of older catalogues' key column: the loans and
    // the tape lengths find a tape by its text key.
    const int tape = catalog ? t.tapes.slotOfPrepared(*catalog) : -1;
    if (tape < 0)
        return;
    if (size_t(tape) >= t.tapeMinutes.size())
        t.tapeMinutes.resize(size_t(tape) + 1 + t.tapeMinutes.size() / 2);
    if (minutes >= 0)
        t.tapeMinutes[size_t(tape)].usedMinutes +=
            minutes / StatisticsCollector::speedDivisor(rows.value(at[Speed]).value_or(std::string_view()));
    else
        ++t.tapeMinutes[size_t(tape)].withoutRunningTime;
}

} // namespace

QString StatisticsTally::query(const QStringList& archiveColumns, const QString& filterClause, Part part)
{
    QStringList selected;
    for (int c = 0; c < ColumnCount; ++c) {
        if (!inPart(c, part))
            continue;
        const QString name = QString::fromLatin1(kColumns[size_t(c)]);
        selected << (archiveColumns.contains(name) ? name : QStringLiteral("null"));
    }
    static const QRegularExpression where(QStringLiteral(R"(^\s*where\s+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString condition = filterClause.trimmed();
    condition.remove(where);
    return QStringLiteral("select %1 from archive%2")
        .arg(selected.join(u','), condition.isEmpty() ? QString() : QStringLiteral(" where (%1)").arg(condition));
}

QStringList StatisticsTally::columnNames(Part part)
{
    QStringList names;
    for (int c = 0; c < ColumnCount; ++c) {
        if (inPart(c, part))
            names << QString::fromLatin1(kColumns[size_t(c)]);
    }
    return names;
}

template <class Rows>
void StatisticsTally::scan(Rows& rows, Part part)
{
    // Where each column is in the part's query.
    std::array<int, ColumnCount> at{};
    for (int c = 0, next = 0; c < ColumnCount; ++c)
        at[size_t(c)] = inPart(c, part) ? next++ : -1;
    const bool castPart = part != Part::AllButCast;
    const bool rest = part != Part::Cast;
    SmallNumbers ratings, seenNumbers;
    std::array<Pending, 6> castNames;
    Pending director;
    std::vector<std::string_view> listed;
    std::vector<int> countedSlots;
    // With nothing else to do a row, the cast's lookups are asked for rows
    // ahead: its names are copied (a row's texts last only until the next
    // step) and counted some rows at a time.
    const bool castAhead = part == Part::Cast;
    while (rows.step()) {
        ++records;
        if constexpr (requires { rows.leafCount(); }) {
            if (records == FirstSample || records == SecondSample) {
                countCastAhead();
                makeRoom(double(rows.leafCount()) / double(std::max<size_t>(1, rows.leavesBegun())), castPart, rest);
            }
        }
        if (castAhead) {
            for (int i = 0; i < 6; ++i) {
                const std::optional<std::string_view> text = rows.value(at[size_t(Cast0 + i)]);
                m_castSpans.push_back(text ? Span{m_castText.size(), text->size()} : Span{0, Span::Absent});
                if (text)
                    m_castText.append(*text);
            }
            if (m_castSpans.size() >= 6 * AheadRows)
                countCastAhead();
            continue;
        }
        // The names' places in their tables are asked for first, and the
        // small tallies made while they come.
        if (castPart) {
            for (int i = 0; i < 6; ++i)
                castNames[size_t(i)] = pending(rows, at[size_t(Cast0 + i)], cast);
        }
        if (rest) {
            director = pending(rows, at[Director], directors);
            scanRest(*this, rows, at, ratings, seenNumbers);
            countDirectors(director, listed, countedSlots);
        }
        if (castPart)
            countCastOf(castNames.data());
    }
    countCastAhead();
    ratings.addTo(myRating);
    seenNumbers.addTo(seen);
    directorCounts.resize(directors.size());
    castCounts.resize(cast.size());
    tapeMinutes.resize(tapes.size());
}

void StatisticsTally::countCastOf(const Pending* names)
{
    std::array<int, 6> taken{};
    int found = 0; // a name in two cast boxes counts once
    for (int n = 0; n < 6; ++n) {
        const Pending& name = names[n];
        const int slot = name.present ? cast.slotOf(name.text, name.hash) : -1;
        bool again = slot < 0;
        for (int i = 0; i < found && !again; ++i)
            again = taken[size_t(i)] == slot;
        if (!again)
            taken[size_t(found++)] = slot;
    }
    for (int i = 0; i < found; ++i)
        addCount(castCounts, taken[size_t(i)]);
}

void StatisticsTally::countCastAhead()
{
    // The names hashed first, then looked up with the places of those
    // Ahead names on asked for meanwhile.
    constexpr size_t Ahead = 16;
    const size_t count = m_castSpans.size();
    m_castAhead.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const Span span = m_castSpans[i];
        if (span.size == Span::Absent) {
            m_castAhead[i] = {};
            continue;
        }
        const std::string_view text(m_castText.data() + span.begin, span.size);
        m_castAhead[i] = {text, NameSlots::hashOf(text), true};
    }
    const auto prefetch = [this, count](size_t i) {
        if (i < count && m_castAhead[i].present)
            cast.prefetch(m_castAhead[i].hash);
    };
    for (size_t i = 0; i < Ahead; ++i)
        prefetch(i);
    for (size_t row = 0; row + 6 <= count; row += 6) {
        for (size_t i = row; i < row + 6; ++i)
            prefetch(i + Ahead);
        countCastOf(&m_castAhead[row]);
    }
    m_castSpans.clear();
    m_castText.clear();
}

template void StatisticsTally::scan(RawQuery&, Part);
template void StatisticsTally::scan(catalog::TablePageReader&, Part);

void StatisticsTally::makeRoom(double scale, bool castPart, bool rest)
{
    // scale: the rows of the table for each row read so far. Media IDs are
    // new in most rows, so their share foretells the table; people come
    // back more often the more rows are read (the names of n rows grow about
    // as n to a power below one), so their tables are sized from that
    // power, found from the two samples.
    const double expected = double(records) * scale;
    if (expected < 4.0 * records)
        return;
    static constexpr double Most = 1 << 24; // names
    const auto room = [](double names) { return size_t(std::clamp(names * 1.05, 0.0, Most)); };
    if (rest && records == FirstSample) {
        const size_t tapesExpected = room(double(tapes.size()) * scale);
        tapes.reserve(tapesExpected);
        tapeMinutes.reserve(tapesExpected);
    }
    if (!castPart)
        return;
    if (records == FirstSample) {
        m_castAtFirstSample = cast.size();
        return;
    }
    if (m_castAtFirstSample == 0 || cast.size() <= m_castAtFirstSample)
        return;
    const double power = std::clamp(std::log(double(cast.size()) / double(m_castAtFirstSample)) /
                                        std::log(double(SecondSample) / double(FirstSample)),
                                    0.0, 1.0);
    // The power found this early runs high (the names seen are fewer the
    // more often they come back): room for somewhat more than half of it.
    const size_t castExpected = room(0.6 * double(cast.size()) * std::pow(scale, power));
    cast.reserve(castExpected);
    castCounts.reserve(castExpected);
}

void StatisticsTally::countDirectors(const Pending& director, std::vector<std::string_view>& listed,
                                     std::vector<int>& countedSlots)
{
    if (director.present && director.text.find(catalog::ValueList::Separator) != std::string_view::npos) {
        // Several directors, as a grab lists them: each counts the record once.
        listed.clear();
        catalog::ValueList::split(director.text, listed);
        countedSlots.clear();
        for (const std::string_view name : listed) {
            const int slot = directors.slotOf(name);
            if (slot < 0 || std::find(countedSlots.begin(), countedSlots.end(), slot) != countedSlots.end())
                continue;
            addCount(directorCounts, slot);
            countedSlots.push_back(slot);
        }
    } else if (const int slot = director.present ? directors.slotOf(director.text, director.hash) : -1; slot >= 0) {
        addCount(directorCounts, slot);
    }
}

void StatisticsTally::takeCast(StatisticsTally&& other)
{
    cast = std::move(other.cast);
    castCounts = std::move(other.castCounts);
}

} // namespace quelto::statistics
