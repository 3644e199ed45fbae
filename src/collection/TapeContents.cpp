#include "collection/TapeContents.h"

#include "catalog/ArchiveColumns.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

#include <QStringList>

namespace quelto::collection {

namespace {

QStringList archiveColumns(catalog::SqliteConnection& connection) { return catalog::ArchiveColumns::present(connection); }

} // namespace

std::vector<TapeContents::Entry> TapeContents::read(catalog::SqliteConnection& connection, const QString& mediaId)
{
    std::vector<Entry> entries;
    if (mediaId.isEmpty())
        return entries;
    const QStringList columns = archiveColumns(connection);
    const bool own = columns.contains(QStringLiteral("quelto_running_time"));
    const QString fields = own ? QStringLiteral("rowid, title, quelto_running_time, quelto_speed")
                               : QStringLiteral("rowid, title, null, null");
    const QString where = columns.contains(QStringLiteral("quelto_key_catalog"))
                              ? QStringLiteral("quelto_key_catalog = quelto_sortkey(?1) and catalog = ?1")
                              : QStringLiteral("catalog = ?1");
    auto query = connection.prepare(QStringLiteral("select %1 from archive where %2 order by rowid").arg(fields, where));
    query->bind(1, mediaId);
    while (query->step()) {
        Entry entry;
        entry.rowid = query->int64(0);
        entry.movie.title = query->value(1).toString();
        const QVariant time = query->value(2);
        if (time.isValid() && time.toLongLong() > 0)
            entry.movie.runningTime = int(time.toLongLong());
        entry.movie.speed = query->value(3).toString();
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<TapeSpace::Movie> TapeContents::movies(const std::vector<Entry>& entries)
{
    std::vector<TapeSpace::Movie> out;
    out.reserve(entries.size());
    for (const Entry& entry : entries)
        out.push_back(entry.movie);
    return out;
}

} // namespace quelto::collection
