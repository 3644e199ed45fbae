#include "importing/RecordMatcher.h"

#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "importing/ImportLinks.h"
#include "importing/ImportedMovie.h"

namespace quelto::importing {

namespace {

QString linkKey(const QString& kind, const QString& value) { return kind + QLatin1Char('|') + value.trimmed().toCaseFolded(); }

} // namespace

QString RecordMatcher::titleKey(const QString& title, const QString& year)
{
    return title.simplified().toCaseFolded() + QLatin1Char('|') + year.trimmed();
}

void RecordMatcher::load(catalog::SqliteConnection& connection)
{
    m_byTitle.clear();
    m_byLink.clear();
    m_mediaIds.clear();
    const bool identities = collection::CollectorSchema::hasColumn(connection, collection::CollectorSchema::IdColumn);
    QHash<qint64, qint64> rowOfId;
    auto rows = connection.prepare(identities ? QStringLiteral("select rowid, catalog, title, mv_year, quelto_id from archive")
                                              : QStringLiteral("select rowid, catalog, title, mv_year from archive"));
    while (rows->step()) {
        const qint64 rowid = rows->int64(0);
        m_mediaIds.insert(rows->value(1).toString().toCaseFolded());
        m_byTitle.insert(titleKey(rows->value(2).toString(), rows->value(3).toString()), rowid);
        if (identities && !rows->value(4).isNull())
            rowOfId.insert(rows->int64(4), rowid);
    }
    if (!ImportLinks::hasTable(connection))
        return;
    auto links = connection.prepare(QStringLiteral("select record_id, kind, value from quelto_import_links"));
    while (links->step()) {
        const qint64 rowid = rowOfId.value(links->int64(0));
        if (rowid)
            m_byLink.insert(linkKey(links->value(1).toString(), links->value(2).toString()), rowid);
    }
}

qint64 RecordMatcher::match(const ImportedMovie& movie) const
{
    for (const auto& [kind, value] : {std::pair{ImportLinks::Imdb, movie.imdbId},
                                      std::pair{ImportLinks::Letterboxd, movie.letterboxdUri},
                                      std::pair{ImportLinks::WebAddress, movie.webAddress}}) {
        if (!value.isEmpty()) {
            if (const qint64 rowid = m_byLink.value(linkKey(kind, value)))
                return rowid;
        }
    }
    return movie.title.trimmed().isEmpty() ? 0 : m_byTitle.value(titleKey(movie.title, movie.year));
}

void RecordMatcher::remember(const ImportedMovie& movie, qint64 rowid)
{
    m_byTitle.insert(titleKey(movie.title, movie.year), rowid);
    for (const auto& [kind, value] : {std::pair{ImportLinks::Imdb, movie.imdbId},
                                      std::pair{ImportLinks::Letterboxd, movie.letterboxdUri},
                                      std::pair{ImportLinks::WebAddress, movie.webAddress}}) {
        if (!value.isEmpty())
            m_byLink.insert(linkKey(kind, value), rowid);
    }
}

} // namespace quelto::importing
