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

    // The filter clause, ending with a space like the substring searches':
    // the substring search's pattern in each searched column, joined by OR.
    static QString clause(const QString& text);
    // "Quick: bogart [2]"
    static QString description(const QString& text, int count);
};

} // namespace quelto::search
