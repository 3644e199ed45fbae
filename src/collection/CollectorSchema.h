#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::catalog {
class Database;
class SqliteConnection;
} // namespace quelto::catalog

namespace quelto::collection {

// Where the collector's own data lives in a catalogue file, beside the
// fifteen tables it shares with older versions:
//
//   archive columns (nullable, after the 24):
//     quelto_id            INTEGER  the record's identity, kept by VACUUM, by the
//                                   stock sqlite3 tool and by CSV round trips
//     quelto_my_rating     REAL     0.5 to 5 in half stars; Null = not rated
//     quelto_seen          TEXT     yyyy-MM-dd, or "seen" without a date
//     quelto_notes         CLOB     several lines
//     quelto_location      TEXT     shelf or box
//     quelto_purchased     TEXT     yyyy-MM-dd
//     quelto_price         REAL     in the user's currency
//     quelto_condition     TEXT     New, Good, Worn, Damaged ...
//     quelto_running_time  INTEGER  minutes
//     quelto_speed         TEXT     SP, LP or EP
//   quelto_covers (record_id = archive.quelto_id, picture, format, width, height)
//   quelto_sources (record_id = archive.quelto_id, address, cast_roles): added
//                  by the first store of a source (SourceStore), not by ensure()
//   quelto_tapes (catalog = the media ID, length_minutes)
//   quelto_olocation, quelto_ocondition, quelto_otapelength: option lists
//   quelto_identity: an index on archive (quelto_id); quelto_by_...: binary
//   indexes for sorting by rating, running time, price and the two dates
//
// A file gains all of it at once, in the write transaction of the first
// change that stores such data; opening a file never adds any of it. Readers
// take a missing column or table as empty.
class CollectorSchema
{
public:
    struct Column
    {
        QString name;
        QString type;
    };

    static inline const QString IdColumn = QStringLiteral("quelto_id");
    static inline const QString CoversTable = QStringLiteral("quelto_covers");
    static inline const QString TapesTable = QStringLiteral("quelto_tapes");

    // The own columns of archive, quelto_id first.
    static const std::vector<Column>& archiveColumns();
    static QStringList archiveColumnNames();

    // Whether the file has every own column and table.
    static bool isPresent(catalog::SqliteConnection& connection);
    static bool hasColumn(catalog::SqliteConnection& connection, const QString& column);
    static bool hasTable(catalog::SqliteConnection& connection, const QString& table);

    // Adds what the file lacks, inside the caller's write transaction (it
    // calls beginWrite() itself); tells the database and the TEMP key
    // triggers about new columns. True when it changed the schema. Open record
    // sets over archive must be told through RecordSet::columnsChanged().
    static bool ensure(catalog::Database& db);
};

} // namespace quelto::collection
