#include "collection/TapeRoom.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/TapeSpace.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <iterator>

namespace quelto::collection {

std::vector<TapeRoom::Tape> TapeRoom::tapes(catalog::SqliteConnection& connection)
{
    std::vector<Tape> out;
    if (!CollectorSchema::hasTable(connection, CollectorSchema::TapesTable) ||
        !CollectorSchema::hasColumn(connection, QStringLiteral("quelto_running_time")))
        return out;
    auto query = connection.prepare(QStringLiteral(
        "select t.catalog, t.length_minutes, coalesce(u.used, 0), u.media, coalesce(u.movies, 0), "
        "  coalesce(u.untimed, 0), u.untimedTitle "
        "from quelto_tapes t left join ("
        "  select catalog, sum(coalesce(quelto_running_time, 0) * 1.0 / "
        "    (case upper(coalesce(quelto_speed, '')) when 'LP' then 2 when 'EP' then 3 else 1 end)) as used, "
        "    min(md_type) as media, count(*) as movies, "
        "    sum(case when coalesce(quelto_running_time, 0) > 0 then 0 else 1 end) as untimed, "
        "    min(case when coalesce(quelto_running_time, 0) > 0 then null else title end) as untimedTitle "
        "  from archive where catalog in (select catalog from quelto_tapes) group by catalog"
        ") u on u.catalog = t.catalog collate nocase "
        "where t.length_minutes > 0 order by t.catalog collate nocase"));
    QHash<QString, bool> seen;
    while (query->step()) {
        Tape tape;
        tape.mediaId = query->value(0).toString();
        if (seen.contains(tape.mediaId.toLower()))
            continue;
        seen.insert(tape.mediaId.toLower(), true);
        tape.length = int(query->int64(1));
        tape.used = query->value(2).toDouble();
        tape.mediaType = query->value(3).toString();
        tape.movies = int(query->int64(4));
        tape.withoutTime = int(query->int64(5));
        tape.untimedTitle = query->value(6).toString().trimmed();
        out.push_back(std::move(tape));
    }
    return out;
}

int TapeRoom::tapesWithoutLength(catalog::SqliteConnection& connection)
{
    try {
        const bool lengths = CollectorSchema::hasTable(connection, CollectorSchema::TapesTable);
        auto query = connection.prepare(
            lengths ? QStringLiteral("select count(distinct catalog) from archive where catalog not in "
                                     "(select catalog from quelto_tapes where length_minutes > 0)")
                    : QStringLiteral("select count(distinct catalog) from archive"));
        query->step();
        return int(query->int64(0));
    } catch (const catalog::EngineError&) {
        return 0;
    }
}

std::vector<TapeRoom::Tape> TapeRoom::withRoom(const std::vector<Tape>& tapes, int runningTime, const QString& speed)
{
    std::vector<Tape> out;
    for (const Tape& tape : tapes) {
        if (tape.withoutTime > 0)
            continue; // unknown, not free
        QStringList speeds = TapeSpace::speedsFor(tape.mediaType);
        if (speeds.isEmpty())
            speeds << TapeSpace::StandardPlay; // a disc: its length as it is
        if (!speed.isEmpty())
            speeds = speeds.contains(speed) ? QStringList{speed} : QStringList{};
        for (const QString& s : speeds) {
            if (TapeSpace::fits(tape.length, tape.used, runningTime, s)) {
                out.push_back(tape);
                break;
            }
        }
    }
    return out;
}

std::vector<TapeRoom::Tape> TapeRoom::ofUnknownRoom(const std::vector<Tape>& tapes)
{
    std::vector<Tape> out;
    std::copy_if(tapes.begin(), tapes.end(), std::back_inserter(out), [](const Tape& t) { return t.withoutTime > 0; });
    return out;
}

QString TapeRoom::unknownRoomText(const std::vector<Tape>& tapes)
{
    constexpr size_t Named = 3;
    QStringList parts;
    for (size_t i = 0; i < tapes.size() && i < Named; ++i) {
        const Tape& tape = tapes[i];
        const QString title = tape.untimedTitle.isEmpty() ? QStringLiteral("a movie") : QStringLiteral("\"%1\"").arg(tape.untimedTitle);
        parts << QStringLiteral("%1 (%2 has no running time)").arg(tape.mediaId, title);
    }
    if (tapes.size() > Named)
        parts << QStringLiteral("and %1 more").arg(QLocale().toString(qulonglong(tapes.size() - Named)));
    return parts.join(QStringLiteral(", "));
}

QString TapeRoom::filterClause(const std::vector<Tape>& tapes)
{
    QStringList quoted;
    for (const Tape& tape : tapes) {
        QString id = tape.mediaId;
        id.replace(QLatin1Char('\''), QLatin1String("''"));
        quoted << QLatin1Char('\'') + id + QLatin1Char('\'');
    }
    return QStringLiteral("where catalog in (%1) ").arg(quoted.join(QLatin1Char(',')));
}

} // namespace quelto::collection
