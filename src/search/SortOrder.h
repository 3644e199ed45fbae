#pragma once

#include <QString>
#include <vector>

namespace quelto::search {

// The four sort orders of the Sort menu.
struct SortOrder
{
    QString actionName; // object name of the menu item
    QString caption;
    QString clause;

    static const std::vector<SortOrder>& all();
    static const SortOrder& byTitle();

    // An order clause ("order by mv_director,mv_year", any case, with or
    // without a leading space) in its plain form, every column ascending:
    // "order by mv_director,mv_year".
    static QString ascending(const QString& clause);
    // The same columns the other way round: every column descending, or
    // ascending when the clause was descending.
    static QString reversed(const QString& clause);
    static bool isDescending(const QString& clause);
    // The column an order clause sorts by first; empty when there is none.
    static QString firstColumn(const QString& clause);
};

} // namespace quelto::search
