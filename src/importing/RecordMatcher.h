#pragma once

#include <QHash>
#include <QSet>
#include <QString>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::importing {

struct ImportedMovie;

// Finds the record of a catalogue an imported movie is: first by the links
// earlier imports kept (IMDb ID, Letterboxd URI, web address), then by title
// and year (without case or extra spaces). Reads the catalogue once into
// memory, so that each movie costs a look-up; also knows the media IDs in use.
class RecordMatcher
{
public:
    // Reads the catalogue through the connection (in or out of a transaction).
    void load(catalog::SqliteConnection& connection);

    // The matching record's row key, 0 for none.
    qint64 match(const ImportedMovie& movie) const;
    // Makes later movies with the same title and year or IDs match a row.
    void remember(const ImportedMovie& movie, qint64 rowid);

    bool mediaIdUsed(const QString& mediaId) const { return m_mediaIds.contains(mediaId.toCaseFolded()); }
    void useMediaId(const QString& mediaId) { m_mediaIds.insert(mediaId.toCaseFolded()); }

    static QString titleKey(const QString& title, const QString& year);

private:
    QHash<QString, qint64> m_byTitle;   // titleKey -> rowid
    QHash<QString, qint64> m_byLink;    // kind + value -> rowid
    QSet<QString> m_mediaIds;
};

} // namespace quelto::importing
