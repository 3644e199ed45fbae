#pragma once

#include <QString>
#include <QStringList>

namespace quelto::search {

// The filter field of the record list: the records whose title, director, a
// cast member, media ID, notes or location contains the typed text, in any
// case, every character taken as it stands.
class QuickFilter
{
public:
    static inline const QString DescriptionPrefix = QStringLiteral("Quick: ");

    // The filter clause, ending with a space like the substring searches':
    // the substring search's pattern in each searched column, joined by OR.
    // columns: the searched columns the file has (by default those every
    // catalogue has; ArchiveKeys::searchedColumns(connection)).
    static QString clause(const QString& text, const QStringList& columns = {});
    // The same condition without "where ", to combine with another.
    static QString condition(const QString& text, const QStringList& columns = {});
    // "Quick: bogart [2]"
    static QString description(const QString& text, int count);
};

} // namespace quelto::search
