#include "statistics/StatisticsTally.h"

#include "groups/RawQuery.h"
#include "statistics/StatisticsCollector.h"

#include <array>
#include <QRegularExpression>

namespace quelto::statistics {

using groups::Group;
using groups::NameSlots;
using groups::RawQuery;
using groups::TextTally;
namespace {

// The columns read, in the order of the query.
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
    CatalogKey, // the engine's sort key of the media ID, when the catalogue has it
    ColumnCount
};

const std::array<const char*, ColumnCount> kColumns = {
    "md_type",      "mv_genre",          "mv_year",          "mv_country",  "mv_director",
    "mv_cast6",     "mv_cast1",          "mv_cast2",         "mv_cast3",    "mv_cast4",
    "mv_cast5",     "catalog",           "quelto_my_rating", "quelto_seen", "quelto_running_time",
    "quelto_speed", "quelto_key_catalog"};

QByteArray utf8Of(const QString& text)
{
    return text.toUtf8();
}

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

// The slot in `into` of a slot of `from`, by its sort key.
int sameSlot(NameSlots& into, const NameSlots& from, size_t slot)
{
    const Group& group = from.groups()[slot];
    const QByteArray name = utf8Of(group.label);
    return into.slotOfKey(view(group.key).substr(1), view(name));
}

} // namespace

QString StatisticsTally::query(const QStringList& archiveColumns, const QString& filterClause, qint64 first,
                               qint64 last)
{
    QStringList selected;
    for (const char* column : kColumns) {
        const QString name = QString::fromLatin1(column);
        selected << (archiveColumns.contains(name) ? name : QStringLiteral("null"));
    }
    static const QRegularExpression where(QStringLiteral(R"(^\s*where\s+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString condition = filterClause.trimmed();
    condition.remove(where);
    QStringList tests;
    if (first != 0 || last != 0)
        tests << QStringLiteral("rowid between %1 and %2").arg(first).arg(last);
    if (!condition.isEmpty())
        tests << QLatin1Char('(') + condition + QLatin1Char(')');
    return QStringLiteral("select %1 from archive%2")
        .arg(selected.join(u','),
             tests.isEmpty() ? QString() : QStringLiteral(" where ") + tests.join(QStringLiteral(" and ")));
}

void StatisticsTally::scan(RawQuery& rows)
{
    std::array<int, 6> taken{};
    const auto tally = [&rows](TextTally& into, int column) {
        if (const std::optional<std::string_view> text = rows.value(column))
            into.add(*text);
        else
            into.addNull();
    };
    while (rows.step()) {
        ++records;
        tally(medium, Medium);
        tally(genre, Genre);
        tally(year, Year);
        tally(country, Country);
        tally(myRating, MyRating);
        tally(seen, Seen);
        const std::optional<std::string_view> director = rows.value(Director);
        if (const int slot = director ? directors.slotOf(*director) : -1; slot >= 0) {
            directorCounts.resize(directors.groups().size());
            ++directorCounts[size_t(slot)];
        }
        int found = 0; // a name in two cast boxes counts once
        for (int c = Cast0; c < Cast0 + 6; ++c) {
            const std::optional<std::string_view> name = rows.value(c);
            const int slot = name ? cast.slotOf(*name) : -1;
            bool again = slot < 0;
            for (int i = 0; i < found && !again; ++i)
                again = taken[size_t(i)] == slot;
            if (!again)
                taken[size_t(found++)] = slot;
        }
        castCounts.resize(cast.groups().size());
        for (int i = 0; i < found; ++i)
            ++castCounts[size_t(taken[size_t(i)])];

        const std::optional<std::string_view> running = rows.value(RunningTime);
        const int minutes = running ? StatisticsCollector::minutesOf(*running) : -1;
        if (minutes >= 0) {
            ++withRunningTime;
            runningMinutes += minutes;
        }
        const std::optional<std::string_view> catalog = rows.value(Catalog);
        const std::optional<std::string_view> catalogKey = catalog ? rows.blob(CatalogKey) : std::nullopt;
        const int tape = !catalog     ? -1
                         : catalogKey ? tapes.slotOfKey(*catalogKey, *catalog)
                                      : tapes.slotOf(*catalog);
        if (tape >= 0) {
            tapeMinutes.resize(tapes.groups().size());
            if (minutes >= 0)
                tapeMinutes[size_t(tape)].usedMinutes +=
                    minutes /
                    StatisticsCollector::speedDivisor(rows.value(Speed).value_or(std::string_view()));
            else
                ++tapeMinutes[size_t(tape)].withoutRunningTime;
        }
    }
}

void StatisticsTally::addPeople(NameSlots& into, std::vector<int>& counts, const NameSlots& from,
                                const std::vector<int>& added)
{
    for (size_t slot = 0; slot < from.groups().size() && slot < added.size(); ++slot) {
        const int mine = sameSlot(into, from, slot);
        counts.resize(into.groups().size());
        counts[size_t(mine)] += added[slot];
    }
}

void StatisticsTally::merge(const StatisticsTally& other)
{
    records += other.records;
    for (auto [into, from] : {std::pair{&medium, &other.medium}, std::pair{&genre, &other.genre},
                              std::pair{&year, &other.year}, std::pair{&country, &other.country},
                              std::pair{&myRating, &other.myRating}, std::pair{&seen, &other.seen}}) {
        from->forEach([into](std::string_view text, int n) { into->add(text, n); });
        into->addNull(from->nulls());
    }
    addPeople(directors, directorCounts, other.directors, other.directorCounts);
    addPeople(cast, castCounts, other.cast, other.castCounts);
    for (size_t slot = 0; slot < other.tapes.groups().size(); ++slot) {
        const int mine = sameSlot(tapes, other.tapes, slot);
        tapeMinutes.resize(tapes.groups().size());
        if (slot < other.tapeMinutes.size()) {
            tapeMinutes[size_t(mine)].usedMinutes += other.tapeMinutes[slot].usedMinutes;
            tapeMinutes[size_t(mine)].withoutRunningTime += other.tapeMinutes[slot].withoutRunningTime;
        }
    }
    withRunningTime += other.withRunningTime;
    runningMinutes += other.runningMinutes;
}

} // namespace quelto::statistics
