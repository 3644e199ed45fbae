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
};

} // namespace quelto::search
