#pragma once

#include <QList>

class QComboBox;

namespace quelto::catalog {
class RecordSet;
struct CatalogState;
} // namespace quelto::catalog

namespace quelto::editing {

struct RecordForm;

// Filling the drop-downs from their option lists.
class OptionFields
{
public:
    // Replaces the items of every box by the set's text column, row by row in
    // the set's order, each value once and without leading and trailing
    // blanks, and leaves the set on its first row. The boxes keep the text
    // they show.
    static void fill(catalog::RecordSet& set, const QList<QComboBox*>& boxes);

    // Start-up: fills every drop-down of the form from the open option sets,
    // in start-up order; the four medium lists also show their first entry.
    static void fillAll(const catalog::CatalogState& state, const RecordForm& form);
};

} // namespace quelto::editing
