#include "search/QuickFilter.h"

#include "catalog/ArchiveKeys.h"
#include "search/SearchQuery.h"

#include <QStringList>

namespace quelto::search {

QString QuickFilter::clause(const QString& text)
{
    QString pattern = SearchQuery::substringPattern(text);
    pattern.replace(QLatin1Char('"'), QLatin1String("\"\""));
    QStringList terms;
    for (const QString& column : catalog::ArchiveKeys::searchedColumns())
        terms << QStringLiteral("%1 like \"%2\" ").arg(column, pattern);
    return QStringLiteral("where ") + terms.join(QStringLiteral("OR "));
}

QString QuickFilter::description(const QString& text, int count)
{
    return SearchQuery::description(DescriptionPrefix, text, count);
}

} // namespace quelto::search
