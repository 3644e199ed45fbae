#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::collection {

// The length of each tape, by media ID (quelto_tapes). A file without the
// table knows no lengths; writes go inside the caller's write transaction,
// after CollectorSchema::ensure().
class TapeStore
{
public:
    static std::optional<int> length(catalog::SqliteConnection& connection, const QString& mediaId);
    // Every tape with a length, by media ID.
    static QHash<QString, int> lengths(catalog::SqliteConnection& connection);
    // A length of nothing forgets the tape's length.
    static void setLength(catalog::SqliteConnection& connection, const QString& mediaId, std::optional<int> minutes);
};

} // namespace quelto::collection
