#pragma once

#include <QString>
#include <vector>

class QIODevice;

namespace quelto::catalog {
class ArchiveReader;
}
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::exchange {

class CsvCoverFolder;

// Writes records of archive as CSV: a header of the reader's columns (the CSV
// columns, CsvColumns), then one line a record, Null as an empty field.
//
// A catalogue with the collector's columns (the reader's columns hold
// quelto_id) has its tapes' lengths written after them, in
// "quelto_tape_length". With a cover folder, each record's cover is written
// into it and named in a last column, "cover" (empty for a record without
// one); the reader's columns must then hold quelto_id.
class CsvExport
{
public:
    // The records in the order the reader gives them (it has been told what
    // to read), one at a time. Returns the number of records.
    static qint64 write(catalog::ArchiveReader& rows, QIODevice& out, tasks::TaskControl* progress = nullptr,
                        CsvCoverFolder* covers = nullptr);
    // The records with these keys, in this order (a key whose row is gone is
    // passed over). The reader, told nothing yet, reads them in the file's
    // order: one pass over the file when they are many, each by its key when
    // they are few; they are put in order through a temporary file in
    // spillFolder (none: the system's temporary folder), so that memory stays
    // bounded. Progress counts keys found, then records written.
    static qint64 write(catalog::ArchiveReader& rows, const std::vector<qint64>& keys, QIODevice& out,
                        tasks::TaskControl* progress = nullptr, CsvCoverFolder* covers = nullptr,
                        const QString& spillFolder = {});
    // The same into a file, which is replaced only once every row is written
    // (and then the cover folder); a failed or cancelled export leaves both as
    // they were. Throws catalog::EngineError naming the file.
    static qint64 writeFile(catalog::ArchiveReader& rows, const QString& path, tasks::TaskControl* progress = nullptr,
                            CsvCoverFolder* covers = nullptr);
    static qint64 writeFile(catalog::ArchiveReader& rows, const std::vector<qint64>& keys, const QString& path,
                            tasks::TaskControl* progress = nullptr, CsvCoverFolder* covers = nullptr);
};

} // namespace quelto::exchange
