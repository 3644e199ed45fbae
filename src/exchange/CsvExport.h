#pragma once

#include <QString>

class QIODevice;

namespace quelto::catalog {
class ArchiveReader;
}
namespace quelto::tasks {
class TaskProgress;
}

namespace quelto::exchange {

// Writes records of archive as CSV: a header of the CSV columns (CsvColumns),
// then one line a record in the order the reader gives them, Null as an empty
// field. Rows are read and written one at a time.
class CsvExport
{
public:
    // The reader's columns are taken as CsvColumns::names(). Returns the
    // number of records. Progress counts keys when the reader reads keys.
    static qint64 write(catalog::ArchiveReader& rows, QIODevice& out, tasks::TaskProgress* progress = nullptr);
    // The same into a file, which is replaced only once every row is written;
    // a failed or cancelled export leaves it as it was. Throws
    // catalog::EngineError naming the file.
    static qint64 writeFile(catalog::ArchiveReader& rows, const QString& path, tasks::TaskProgress* progress = nullptr);
};

} // namespace quelto::exchange
