#include "importing/ImportLinks.h"

#include "catalog/SqliteConnection.h"
#include "importing/ImportedMovie.h"

namespace quelto::importing {

bool ImportLinks::hasTable(catalog::SqliteConnection& connection)
{
    auto exists = connection.prepare(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?"));
    exists->bind(1, Table);
    return exists->step();
}

bool ImportLinks::ensure(catalog::SqliteConnection& connection)
{
    if (hasTable(connection))
        return false;
    connection.exec(QStringLiteral("create table quelto_import_links (record_id INTEGER NOT NULL, kind TEXT NOT NULL, "
                                   "value TEXT NOT NULL COLLATE NOCASE, primary key (kind, value))"));
    connection.exec(QStringLiteral("create index quelto_import_links_record on quelto_import_links (record_id)"));
    return true;
}

ImportLinks::ImportLinks(catalog::SqliteConnection& connection)
    : m_connection(connection),
      m_insert(connection.prepare(
          QStringLiteral("insert or ignore into quelto_import_links (record_id, kind, value) values (?, ?, ?)")))
{
}

ImportLinks::~ImportLinks() = default;

int ImportLinks::store(qint64 recordId, const ImportedMovie& movie)
{
    catalog::SqliteStatement* insert = m_insert.get();
    int stored = 0;
    for (const auto& [kind, value] : {std::pair{WebAddress, movie.webAddress}, std::pair{Imdb, movie.imdbId},
                                      std::pair{Letterboxd, movie.letterboxdUri}}) {
        if (value.trimmed().isEmpty())
            continue;
        insert->bindInt64(1, recordId);
        insert->bind(2, kind);
        insert->bind(3, value.trimmed());
        insert->step();
        stored += m_connection.changes();
        insert->reset();
    }
    return stored;
}

} // namespace quelto::importing
