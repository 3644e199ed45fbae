#pragma once

#include "collection/CastRoles.h"

#include <QHash>
#include <QString>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// Where a record's data came from: the address of the page it was grabbed
// from or imported with, and the cast as that page bills it.
struct RecordSource
{
    QString address;
    QList<CastRole> cast;

    bool isEmpty() const { return address.isEmpty() && cast.isEmpty(); }
    friend bool operator==(const RecordSource&, const RecordSource&) = default;
};

// The table quelto_sources (record_id = archive.quelto_id, address, cast
// lines as CastRoles writes them), one row per record. A file without the
// table has no sources; the first write adds it, inside the caller's write
// transaction. Older versions and the stock tool leave it alone.
class SourceStore
{
public:
    static inline const QString Table = QStringLiteral("quelto_sources");
    static constexpr int MaxAddressLength = 2048;

    static RecordSource load(catalog::SqliteConnection& connection, qint64 recordId);
    // Every record's source by identity (for exports and prints).
    static QHash<qint64, RecordSource> all(catalog::SqliteConnection& connection);
    // Stores a source (an empty one removes the row), inside the caller's
    // write transaction; recordId must be an identity.
    static void store(catalog::SqliteConnection& connection, qint64 recordId, const RecordSource& source);
    static void remove(catalog::SqliteConnection& connection, qint64 recordId);
    static void ensureTable(catalog::SqliteConnection& connection);

    // An address worth keeping: http or https with a host, not longer than
    // MaxAddressLength; anything else gives "".
    static QString keptAddress(const QString& address);
};

} // namespace quelto::collection
