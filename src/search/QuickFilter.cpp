#include "search/QuickFilter.h"

#include "catalog/ArchiveKeys.h"
#include "search/SearchQuery.h"

#include <QStringList>

namespace quelto::search {

QString QuickFilter::clause(const QString& text, const QStringList& columns)
{
    return QStringLiteral("where ") + condition(text, columns) + QLatin1Char(' ');
}

QString QuickFilter::condition(const QString& text, const QStringList& columns)
{
    QString pattern = SearchQuery::substringPattern(text);
    pattern.replace(QLatin1Char('"'), QLatin1String("\"\""));
    QStringList searched = columns;
    if (searched.isEmpty()) {
        // Those every archive has.
        for (const QString& column : catalog::ArchiveKeys::searchedColumns()) {
            if (!column.startsWith(catalog::ArchiveKeys::Prefix))
                searched << column;
        }
    }
    QStringList terms;
    for (const QString& column : searched)
        terms << QStringLiteral("%1 like \"%2\"").arg(column, pattern);
    return terms.join(QStringLiteral(" OR "));
}

QString QuickFilter::description(const QString& text, int count)
{
    return SearchQuery::description(DescriptionPrefix, text, count);
}

} // namespace quelto::search
