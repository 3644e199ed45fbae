#include "collection/RecordIdentity.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"

namespace quelto::collection {

qint64 RecordIdentity::next(catalog::SqliteConnection& connection)
{
    auto query = connection.prepare(QStringLiteral("select coalesce(max(quelto_id), 0) + 1 from archive"));
    query->step();
    return query->int64(0);
}

qint64 RecordIdentity::of(catalog::SqliteConnection& connection, qint64 rowid)
{
    try {
        auto query = connection.prepare(QStringLiteral("select quelto_id from archive where rowid = ?"));
        query->bindInt64(1, rowid);
        return query->step() ? query->int64(0) : 0;
    } catch (const catalog::EngineError&) {
        return 0; // no such column yet
    }
}

qint64 RecordIdentity::rowOf(catalog::SqliteConnection& connection, qint64 id)
{
    if (id <= 0)
        return 0;
    try {
        auto query = connection.prepare(QStringLiteral("select min(rowid) from archive where quelto_id = ?"));
        query->bindInt64(1, id);
        return query->step() ? query->int64(0) : 0;
    } catch (const catalog::EngineError&) {
        return 0;
    }
}

bool RecordIdentity::isCopy(catalog::SqliteConnection& connection, qint64 rowid, qint64 id)
{
    const qint64 first = rowOf(connection, id);
    return first != 0 && first != rowid;
}

int RecordIdentity::assignMissing(catalog::SqliteConnection& connection)
{
    connection.beginWrite();
    connection.exec(QStringLiteral(
        "update archive set quelto_id = base.n + numbered.k "
        "from (select rowid as r, row_number() over (order by rowid) as k from archive where quelto_id is null) "
        "as numbered, (select coalesce(max(quelto_id), 0) as n from archive) as base "
        "where archive.rowid = numbered.r"));
    return connection.changes();
}

} // namespace quelto::collection
