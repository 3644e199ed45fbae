#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace quelto::catalog {

class Database;
class SqliteConnection;

// The engine's own columns and indexes on archive, which make sorting and the
// quick filter fast on large catalogues while the file stays correct for the
// stock sqlite3 tool. Everything the program adds is named "quelto_...":
//
//   quelto_key_<column>  BLOB  TextKeys::sortKey of title, mv_director,
//                              mv_year, mv_genre and catalog
//   quelto_search        TEXT  the folded title, director, six cast members
//                              and catalogue ID, one per line
//   quelto_order_title (with quelto_search), quelto_order_director,
//   quelto_order_genre, quelto_order_catalog, quelto_order_year
//                        plain BINARY indexes on the key columns
//
// No index touches a NOCASE column: the program's NOCASE is not SQLite's, so
// such an index would be wrong for one reader or the other. The keys are kept
// up to date by TEMP triggers that live only in the program's connection (the
// file holds no trigger, and the stock tool can still write to it); rows the
// stock tool adds get their keys the next time the program opens the file.
// A TEMP counter keeps the number of records without counting them.
class ArchiveKeys
{
public:
    static inline const QString SearchColumn = QStringLiteral("quelto_search");
    static inline const QString Prefix = QStringLiteral("quelto_");

    // The columns that have a key column, and the key column of one.
    static const QStringList& keyedColumns();
    static QString keyColumn(const QString& column);
    // The columns whose folded text makes up quelto_search: the title,
    // director, cast and catalogue ID, then the program's own notes and
    // location (which a file gains only with the first personal data).
    static const QStringList& searchedColumns();
    // Those of them that the file's archive has.
    static QStringList searchedColumns(SqliteConnection& connection);
    // After columns were added to archive: the TEMP triggers that keep the
    // keys and the search text are made again, so that they cover them.
    static void columnsAdded(Database& db);

    // Adds the key columns and indexes to an archive that lacks them, fills
    // keys that are missing, and installs the TEMP triggers and counter. A
    // file that cannot be written keeps its schema; the program then sorts
    // and filters without keys. Returns true when it changed the schema.
    static bool install(Database& db);
    static bool hasKeys(Database& db);

    // "order by title" over archive becomes "order by quelto_key_title" when
    // the key column exists (names: the lower-case names of the database);
    // other texts pass unchanged.
    static QString useKeyColumns(const QString& sql, const QSet<QString>& names);

    // Gives keys to rows another program has added since the last call; a
    // cheap check when no other program has written to the file.
    static void catchUp(SqliteConnection& connection);

    // The number of rows of archive: kept by the TEMP counter, counted again
    // only when another program has changed the file.
    static int count(SqliteConnection& connection);
};

} // namespace quelto::catalog
