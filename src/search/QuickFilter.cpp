#include "search/QuickFilter.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/TextKeys.h"
#include "search/SearchQuery.h"

#include <QStringList>

namespace quelto::search {

QString QuickFilter::clause(const QString& text, bool keyed)
{
    return QStringLiteral("where ") + condition(text, keyed) + QLatin1Char(' ');
}

QString QuickFilter::condition(const QString& text, bool keyed)
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
    for (const QString& column : catalog::ArchiveKeys::searchedColumns())
        terms << QStringLiteral("%1 like \"%2\"").arg(column, pattern);
    return terms.join(QStringLiteral(" OR "));
}

QString QuickFilter::description(const QString& text, int count)
{
    return SearchQuery::description(DescriptionPrefix, text, count);
}

} // namespace quelto::search
