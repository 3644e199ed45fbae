#include "printing/CatalogueLists.h"

#include <iterator>

namespace quelto::printing {

QString CatalogueLists::longHeading(bool filterActive, const QString& description, const QString& date)
{
    if (filterActive)
        return QStringLiteral("Quelto Long List of Query <") + description + QStringLiteral("> on ") + date;
    return QStringLiteral("Quelto Long List on ") + date;
}

QString CatalogueLists::shortHeading(bool filterActive, const QString& description, const QString& date)
{
    if (filterActive)
        return QStringLiteral("Quelto List of Query <") + description + QStringLiteral("> on ") + date;
    return QStringLiteral("Quelto Short List on ") + date;
}

PrintDocument CatalogueLists::layout(ListKind kind, const QList<ListRow>& rows, const QString& heading,
                                     double printableHeight)
{
    ListLayout layout(kind, heading, printableHeight);
    PrintDocument document;
    for (const ListRow& row : rows) {
        layout.add(row);
        std::vector<PrintPage> done = layout.takeCompletePages();
        std::move(done.begin(), done.end(), std::back_inserter(document.pages));
    }
    PrintDocument rest = layout.finish();
    std::move(rest.pages.begin(), rest.pages.end(), std::back_inserter(document.pages));
    return document;
}

PrintDocument CatalogueLists::longList(const QList<ListRow>& rows, const QString& heading, double printableHeight)
{
    return layout(ListKind::Long, rows, heading, printableHeight);
}

PrintDocument CatalogueLists::shortList(const QList<ListRow>& rows, const QString& heading, double printableHeight)
{
    return layout(ListKind::Short, rows, heading, printableHeight);
}

} // namespace quelto::printing
