#pragma once

#include "collection/CoverPicture.h"

#include <QByteArray>
#include <QSet>
#include <optional>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// The covers in the catalogue file, one per record, keyed by the record's
// identity (archive.quelto_id). A file without the table has no covers.
// Reads never happen at opening; writes go inside the caller's write
// transaction, after CollectorSchema::ensure().
class CoverStore
{
public:
    static std::optional<CoverPicture> load(catalog::SqliteConnection& connection, qint64 recordId);
    static bool has(catalog::SqliteConnection& connection, qint64 recordId);
    static void store(catalog::SqliteConnection& connection, qint64 recordId, const CoverPicture& picture);
    static void remove(catalog::SqliteConnection& connection, qint64 recordId);
    // The identities that have a cover, among those given (all when empty).
    static QSet<qint64> withCovers(catalog::SqliteConnection& connection);
    // Removes the covers no record points to any more; returns how many.
    static int removeOrphans(catalog::SqliteConnection& connection);
};

} // namespace quelto::collection
