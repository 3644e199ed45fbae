#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::statistics {

// What tells one state of a catalogue file from another, cheaply: the file
// change counter of the SQLite header (every committed write in rollback-
// journal mode counts it up, whatever program writes), the schema cookie,
// user version and page count beside it, the file's size and modification
// time, and the number of records and the highest rowid, which catch a file
// put back from an older copy whose counter happens to match.
struct CatalogueStamp
{
    quint32 changeCounter = 0;
    quint32 pageCount = 0;
    quint32 schemaCookie = 0;
    quint32 userVersion = 0;
    quint32 writerVersion = 0; // the SQLite version that wrote last
    qint64 size = 0;
    qint64 modified = 0; // ms since the epoch
    qint64 records = 0;
    qint64 lastRowid = 0;

    bool operator==(const CatalogueStamp&) const = default;
    // The same file in the same state, the records aside.
    bool sameAsideFromRecords(const CatalogueStamp& other) const;

    // Whether take() counts the records (a read of every leaf of archive)
    // or leaves them at -1, for a caller that counts them itself.
    enum class Records
    {
        Counted,
        Uncounted
    };

    // The stamp of the main file of connection, read while the connection
    // holds its read lock, so that no write can come between its parts.
    // Nothing for a file in WAL mode or with a -wal file beside it (its
    // header counter is not kept up), for a database of no file, and for a
    // header that cannot be read. A failing query throws EngineError.
    static std::optional<CatalogueStamp> take(catalog::SqliteConnection& connection,
                                              Records records = Records::Counted);

    QJsonObject toJson() const;
    static std::optional<CatalogueStamp> fromJson(const QJsonObject& json);
};

} // namespace quelto::statistics
