#pragma once

#include <QString>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::importing {

struct ImportedMovie;

// Where a record came from, kept in Quelto's own table quelto_import_links:
// the movie page's web address and the IDs other programs know it by (IMDb
// tt..., Letterboxd URI), each row keyed by the record's identity
// (archive.quelto_id). A later import finds its movies by them. The table is
// made by the first import that stores a link, inside its transaction.
class ImportLinks
{
public:
    static inline const QString Table = QStringLiteral("quelto_import_links");
    static inline const QString WebAddress = QStringLiteral("web");
    static inline const QString Imdb = QStringLiteral("imdb");
    static inline const QString Letterboxd = QStringLiteral("letterboxd");

    static bool hasTable(catalog::SqliteConnection& connection);
    // Makes the table when missing, inside the caller's write transaction; true when it did.
    static bool ensure(catalog::SqliteConnection& connection);
    // Keeps a movie's address and IDs for a record; a link another record
    // holds already stays with it. Returns how many were stored.
    static int store(catalog::SqliteConnection& connection, qint64 recordId, const ImportedMovie& movie);
};

} // namespace quelto::importing
