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

class CsvCoverFolder;

// Writes records of archive as CSV: a header of the reader's columns (the CSV
// columns, CsvColumns), then one line a record in the order the reader gives
// them, Null as an empty field. Rows are read and written one at a time.
//
// A catalogue with the collector's columns (the reader's columns hold
// quelto_id) has its tapes' lengths written after them, in
// "quelto_tape_length". With a cover folder, each record's cover is written
// into it and named in a last column, "cover" (empty for a record without
// one); the reader's columns must then hold quelto_id.
class CsvExport
{
public:
    // Returns the number of records. Progress counts keys when the reader
    // reads keys.
    static qint64 write(catalog::ArchiveReader& rows, QIODevice& out, tasks::TaskProgress* progress = nullptr,
                        CsvCoverFolder* covers = nullptr);
    // The same into a file, which is replaced only once every row is written
    // (and then the cover folder); a failed or cancelled export leaves both as
    // they were. Throws catalog::EngineError naming the file.
    static qint64 writeFile(catalog::ArchiveReader& rows, const QString& path, tasks::TaskProgress* progress = nullptr,
                            CsvCoverFolder* covers = nullptr);
};

} // namespace quelto::exchange
