#pragma once

#include "editing/WindowParts.h"

#include <optional>
#include <QString>
#include <vector>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::exchange {

// What the window shows once an import has appended records: the record set
// in force again, with the new records among its rows (keys found by the
// import's worker, or the set's query run anew), on the record shown before.
class ImportedRecords
{
public:
    // On the import's worker, once records were added: the rows of the record
    // set's key query (RecordSet::keyQuery, taken on the window's thread) in
    // the catalogue at path; nothing when there is no query or it fails, and
    // the window then runs it itself.
    static std::optional<std::vector<qint64>> keysAfterImport(const QString& path, const QString& keyQuery,
                                                              tasks::TaskControl& control);
    static void show(const editing::WindowParts& window, std::optional<std::vector<qint64>> keys);
};

} // namespace quelto::exchange
