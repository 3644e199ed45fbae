#pragma once

#include <QtGlobal>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// The stable identity of a record, archive.quelto_id: a whole number given
// when a record first gets data of the program's own (personal fields, a
// cover) or when it is imported or converted. Unlike the implicit rowid it
// survives VACUUM and rows copied by other tools. Every call writes or reads
// inside the caller's transaction and needs the column (CollectorSchema).
class RecordIdentity
{
public:
    // The next free identity: one more than the largest given.
    static qint64 next(catalog::SqliteConnection& connection);
    // The identity of a row, 0 when it has none (or the column is missing).
    static qint64 of(catalog::SqliteConnection& connection, qint64 rowid);
    // The row that holds an identity (the first when a copy shares it), 0 if none.
    static qint64 rowOf(catalog::SqliteConnection& connection, qint64 id);
    // Whether another row shares the identity of this one, a row that came
    // earlier keeping it: a copy made with another tool.
    static bool isCopy(catalog::SqliteConnection& connection, qint64 rowid, qint64 id);
    // Gives every row without an identity one, in row order; returns how many.
    static int assignMissing(catalog::SqliteConnection& connection);
};

} // namespace quelto::collection
