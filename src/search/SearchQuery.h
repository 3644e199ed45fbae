#pragma once

#include <QString>

namespace quelto::search {

// The pieces of the current query: "select * from archive " + filter clause +
// order clause, and what the window tells about an active search.
class SearchQuery
{
public:
    static inline const QString Base = QStringLiteral("select * from archive ");
    static inline const QString CastColumn = QStringLiteral("CAST");

    // The like pattern that finds text anywhere in a column, without regard to
    // case: "marsh" gives "*[Mm][Aa][Rr][Ss][Hh]*", one bracket a character
    // (a character without case stands twice in it). Characters the pattern
    // language reads specially (* ? # [ ] ! -) are written so they match
    // themselves only.
    static QString substringPattern(const QString& text);

    // "where C like "P" " for a column, or the six cast columns joined by OR
    // for CastColumn; a double quote in the pattern is doubled.
    static QString substringFilter(const QString& column, const QString& text);

    // "where trim(mv_genre) like 'G' ": the genre exactly, apostrophes doubled
    // and wildcard characters written to match themselves; blanks around a
    // stored genre do not count.
    static QString genreFilter(const QString& genre);

    // "Director: marsh [5]"
    static QString description(const QString& prefix, const QString& text, int count);

    // The query of a substring search (its filter ends with a space itself).
    static QString substringQuery(const QString& filter, const QString& order);
    // The query of the sort commands, "All Data" and the genre search.
    static QString sortQuery(const QString& filter, const QString& order);

    // Text as a like pattern that matches it literally: "*", "?", "#" and
    // "[" are put in brackets.
    static QString literalPattern(const QString& text);
    // Text for a literal between apostrophes: each apostrophe doubled.
    static QString apostrophesDoubled(const QString& text);
};

} // namespace quelto::search
