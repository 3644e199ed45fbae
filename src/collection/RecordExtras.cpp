#include "collection/RecordExtras.h"

#include "catalog/SqliteConnection.h"
#include "collection/CoverStore.h"
#include "collection/RecordIdentity.h"

namespace quelto::collection {

RecordExtras RecordExtras::take(catalog::SqliteConnection& connection, qint64 rowid)
{
    RecordExtras extras;
    extras.recordId = RecordIdentity::of(connection, rowid);
    if (extras.recordId <= 0)
        return extras;
    auto sharing = connection.prepare(QStringLiteral("select count(*) from archive where quelto_id = ?"));
    sharing->bindInt64(1, extras.recordId);
    sharing->step();
    if (sharing->int64(0) > 1)
        return extras; // the cover stays with the other row
    sharing.reset();
    extras.cover = CoverStore::load(connection, extras.recordId);
    if (extras.cover)
        CoverStore::remove(connection, extras.recordId);
    return extras;
}

void RecordExtras::restore(catalog::SqliteConnection& connection, const RecordExtras& extras)
{
    if (extras.recordId > 0 && extras.cover)
        CoverStore::store(connection, extras.recordId, *extras.cover);
}

} // namespace quelto::collection
