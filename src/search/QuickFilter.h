#pragma once

#include <QString>

namespace quelto::search {

// The filter field of the record list: the records whose title, director, a
// cast member or media ID contains the typed text, in any case, every
// character taken as it stands.
class QuickFilter
{
public:
    static inline const QString DescriptionPrefix = QStringLiteral("Quick: ");

    // The filter clause, ending with a space like the substring searches'.
    // keyed: the catalogue has the folded search column (ArchiveKeys), which
    // a plain substring search in one column answers; otherwise each column
    // is searched with a like pattern.
    static QString clause(const QString& text, bool keyed);
    // The same condition without "where ", to combine with another.
    static QString condition(const QString& text, bool keyed);
    // "Quick: bogart [2]"
    static QString description(const QString& text, int count);
};

} // namespace quelto::search
