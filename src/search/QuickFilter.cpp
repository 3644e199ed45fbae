#include "search/QuickFilter.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/TextKeys.h"
#include "search/SearchQuery.h"

#include <QStringList>

namespace quelto::search {

QString QuickFilter::clause(const QString& text, bool keyed, const QStringList& columns)
{
    return QStringLiteral("where ") + condition(text, keyed, columns) + QLatin1Char(' ');
}

QString QuickFilter::condition(const QString& text, bool keyed, const QStringList& columns)
{
    if (keyed) {
        const QByteArray utf8 = text.toUtf8();
        const std::string folded = catalog::TextKeys::folded({utf8.constData(), size_t(utf8.size())});
        const QString needle = SearchQuery::apostrophesDoubled(QString::fromStdString(folded));
        return QStringLiteral("instr(%1, '%2') > 0").arg(catalog::ArchiveKeys::SearchColumn, needle);
    }
    QString pattern = SearchQuery::substringPattern(text);
    pattern.replace(QLatin1Char('"'), QLatin1String("\"\""));
    QStringList terms;
    QStringList searched = columns;
    if (searched.isEmpty()) {
        // Those every archive has.
        for (const QString& column : catalog::ArchiveKeys::searchedColumns()) {
            if (!column.startsWith(catalog::ArchiveKeys::Prefix))
                searched << column;
        }
    }
    for (const QString& column : searched)
        terms << QStringLiteral("%1 like \"%2\"").arg(column, pattern);
    return terms.join(QStringLiteral(" OR "));
}

QString QuickFilter::description(const QString& text, int count)
{
    return SearchQuery::description(DescriptionPrefix, text, count);
}

} // namespace quelto::search
