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

} // namespace

QString StatisticsTally::query(const QStringList& archiveColumns, const QString& filterClause, Part part)
{
    QStringList selected;
    for (int c = 0; c < ColumnCount; ++c) {
        const bool cast = c >= Cast0 && c < Cast0 + 6;
        if ((part == Part::Cast && !cast) || (part == Part::AllButCast && cast))
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

void StatisticsTally::scanCast(RawQuery& rows, int firstColumn)
{
    std::array<int, 6> taken{};
    int found = 0; // a name in two cast boxes counts once
    for (int c = firstColumn; c < firstColumn + 6; ++c) {
        const std::optional<std::string_view> name = rows.value(c);
        const int slot = name ? cast.slotOf(*name) : -1;
        bool again = slot < 0;
        for (int i = 0; i < found && !again; ++i)
            again = taken[size_t(i)] == slot;
        if (!again)
            taken[size_t(found++)] = slot;
    }
    castCounts.resize(cast.size());
    for (int i = 0; i < found; ++i)
        ++castCounts[size_t(taken[size_t(i)])];
}

void StatisticsTally::scan(RawQuery& rows, Part part)
{
    if (part == Part::Cast) {
        while (rows.step()) {
            ++records;
            scanCast(rows, 0);
        }
        return;
    }
    // Without the cast, the later columns come six places earlier.
    const int shift = part == Part::AllButCast ? 6 : 0;
    const auto at = [shift](int column) { return column < Cast0 ? column : column - shift; };
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
        tally(myRating, at(MyRating));
        tally(seen, at(Seen));
        const std::optional<std::string_view> director = rows.value(Director);
        if (const int slot = director ? directors.slotOf(*director) : -1; slot >= 0) {
            directorCounts.resize(directors.size());
            ++directorCounts[size_t(slot)];
        }
        if (part == Part::All)
            scanCast(rows, Cast0);

        const std::optional<std::string_view> running = rows.value(at(RunningTime));
        const int minutes = running ? StatisticsCollector::minutesOf(*running) : -1;
        if (minutes >= 0) {
            ++withRunningTime;
            runningMinutes += minutes;
        }
        const std::optional<std::string_view> catalog = rows.value(at(Catalog));
        const std::optional<std::string_view> catalogKey = catalog ? rows.blob(at(CatalogKey)) : std::nullopt;
        const int tape = !catalog     ? -1
                         : catalogKey ? tapes.slotOfKey(*catalogKey, *catalog)
                                      : tapes.slotOf(*catalog);
        if (tape >= 0) {
            tapeMinutes.resize(tapes.size());
            if (minutes >= 0)
                tapeMinutes[size_t(tape)].usedMinutes +=
                    minutes /
                    StatisticsCollector::speedDivisor(rows.value(at(Speed)).value_or(std::string_view()));
            else
                ++tapeMinutes[size_t(tape)].withoutRunningTime;
        }
    }
}

void StatisticsTally::takeCast(StatisticsTally&& other)
{
    cast = std::move(other.cast);
    castCounts = std::move(other.castCounts);
}

} // namespace quelto::statistics
