#pragma once

#include "printing/ListLayout.h"

#include <QString>

namespace quelto::catalog {
class ArchiveReader;
}
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::printing {

class PrintCanvas;

// Prints the long or the short list of the rows a reader gives, laying out
// and painting a page at a time: the window's lists, their PDF exports and
// `quelto --export-pdf` all go through here, so a list of any length takes
// the memory of a few pages. Runs on a worker thread.
class ListPrintJob
{
public:
    // The rows' columns must be ListLayout::columns(kind). Returns whether
    // the canvas printed (false when it failed or there was no row, which
    // rowsRead tells apart); throws
    // tasks::TaskCancelled on Cancel and catalog::EngineError when the rows
    // cannot be read. Progress counts the rows. A long list withCovers reads
    // each record's cover as its block is laid out.
    static bool print(ListKind kind, catalog::ArchiveReader& rows, const QString& heading, PrintCanvas& canvas,
                      const QString& title, tasks::TaskControl* progress = nullptr, qint64* rowsRead = nullptr,
                      bool withCovers = false);
};

} // namespace quelto::printing
