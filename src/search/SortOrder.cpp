#include "search/SortOrder.h"

namespace quelto::search {

const std::vector<SortOrder>& SortOrder::all()
{
    static const std::vector<SortOrder> orders = {
        {QStringLiteral("mnOrdTitle"), QStringLiteral("by Title"), QStringLiteral("order by title")},
        {QStringLiteral("mnOrdDir"), QStringLiteral("by Director"), QStringLiteral("order by mv_director,mv_year")},
        {QStringLiteral("mnOrdGen"), QStringLiteral("by Genre"), QStringLiteral("order by mv_genre")},
        {QStringLiteral("mnOrdCat"), QStringLiteral("by Catalog ID"), QStringLiteral("order by catalog")},
    };
    return orders;
}

const SortOrder& SortOrder::byTitle() { return all().front(); }

} // namespace quelto::search
