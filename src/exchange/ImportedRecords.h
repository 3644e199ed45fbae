#pragma once

#include "editing/WindowParts.h"

#include <optional>
#include <vector>

namespace quelto::exchange {

// What the window shows once an import has appended records: the record set
// in force again, with the new records among its rows (keys found by the
// import's worker, or the set's query run anew), on the record shown before.
class ImportedRecords
{
public:
    static void show(const editing::WindowParts& window, std::optional<std::vector<qint64>> keys);
};

} // namespace quelto::exchange
