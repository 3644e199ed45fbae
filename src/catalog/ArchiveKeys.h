#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quelto::catalog {

class Database;
class SqliteConnection;

// The engine's own objects on archive, all of them TEMP (in the program's
// connection only; opening a catalogue writes nothing to it):
//
// - a counter that keeps the number of records without counting them again;
// - the upkeep of the helper columns Quelto 1.2.0 wrote (quelto_key_<column>,
//   quelto_search): where a file has them, every change through this program
//   keeps them right, so that the older version still sorts and filters such
//   a file correctly. This program neither adds them nor reads them.
//
// The text that goes into those helper values is cut at KeyTextLimit
// characters per field: one huge value does not make a huge key.
class ArchiveKeys
{
public:
    static inline const QString Prefix = QStringLiteral("quelto_");
    static constexpr int KeyTextLimit = 256;

    // The columns the quick filter searches (the record list's filter field):
    // the title, director, cast and catalogue ID, then the program's own
    // notes and location (which a file gains only with the first personal data).
    static const QStringList& searchedColumns();
    // Those of them that the file's archive has.
    static QStringList searchedColumns(SqliteConnection& connection);
    // After columns were added to archive: the TEMP triggers are made again
    // for the table as it is now.
    static void columnsAdded(Database& db);

    // Installs the TEMP counter and, where the file has the helper columns,
    // the TEMP triggers that keep them up. Writes nothing to the file.
    static void install(Database& db);
    static void install(SqliteConnection& connection);
    // Whether the file carries the helper columns of Quelto 1.2.0.
    static bool hasLegacyKeys(SqliteConnection& connection);

    // The number of rows of archive: kept by the TEMP counter, counted again
    // only when another program has changed the file.
    static int count(SqliteConnection& connection);
    // The same when it needs no counting (the counter is up to date, or a
    // query that read every row has counted them); nothing otherwise.
    static std::optional<int> keptCount(SqliteConnection& connection);
    // Changes with every change another program makes to the file (SQLite's
    // data version, as this connection sees it).
    static qint64 dataVersion(SqliteConnection& connection);
    // Tells the counter the number of rows, known from a query that read
    // them all; ignored when another program has changed the file since.
    static void knowCount(SqliteConnection& connection, qint64 rows);
};

} // namespace quelto::catalog
