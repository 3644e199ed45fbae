#pragma once

#include <QString>
#include <memory>

namespace quelto::catalog {
class SqliteConnection;
class SqliteStatement;
} // namespace quelto::catalog

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
    static bool hasTable(catalog::SqliteConnection& connection);
    // Makes the table when missing, inside the caller's write transaction; true when it did.
    static bool ensure(catalog::SqliteConnection& connection);

    static inline const QString Table = QStringLiteral("quelto_import_links");
    // The kinds of link, the column "kind".
    static inline const QString WebAddress = QStringLiteral("web");
    static inline const QString Imdb = QStringLiteral("imdb");
    static inline const QString Letterboxd = QStringLiteral("letterboxd");

    // For storing links inside the caller's write transaction, after ensure().
    explicit ImportLinks(catalog::SqliteConnection& connection);
    ~ImportLinks();
    // Keeps a movie's address and IDs for a record; a link another record
    // holds already stays with it. Returns how many were stored.
    int store(qint64 recordId, const ImportedMovie& movie);

private:
    catalog::SqliteConnection& m_connection;
    std::unique_ptr<catalog::SqliteStatement> m_insert;
};

} // namespace quelto::importing
