#pragma once

#include "collection/CoverPicture.h"

#include <optional>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// What belongs to a record beside its archive row: its cover, keyed by the
// record's identity. A delete takes it away with the row; an undone delete
// puts the row back (with its quelto_id) and then restores this.
struct RecordExtras
{
    qint64 recordId = 0;
    std::optional<CoverPicture> cover;

    bool isEmpty() const { return !cover; }

    // Reads and removes the extras of a row that is about to be deleted,
    // inside the caller's write transaction. A row that shares its identity
    // with an earlier one (a copy made by another tool) owns nothing.
    static RecordExtras take(catalog::SqliteConnection& connection, qint64 rowid);
    // Puts extras back, inside the caller's write transaction.
    static void restore(catalog::SqliteConnection& connection, const RecordExtras& extras);
};

} // namespace quelto::collection
