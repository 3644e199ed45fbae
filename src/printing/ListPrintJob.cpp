#include "printing/ListPrintJob.h"

#include "catalog/ArchiveReader.h"
#include "printing/ListRows.h"
#include "printing/PrintCanvas.h"
#include "tasks/TaskControl.h"

namespace quelto::printing {

bool ListPrintJob::print(ListKind kind, catalog::ArchiveReader& rows, const QString& heading, PrintCanvas& canvas,
                         const QString& title, tasks::TaskControl* progress, qint64* rowsRead, bool withCovers)
{
    const double height = canvas.printableHeight();
    if (progress && rows.keyCount() > 0)
        progress->setTotal(rows.keyCount());
    return canvas.printPages(
        [&](const PageSink& sink) {
            ListLayout layout(kind, heading, height, withCovers);
            ListRows list(rows, kind, withCovers);
            // Covers take their time to decode: Cancel is heard sooner.
            const qint64 checkEvery = withCovers ? 16 : 256;
            qint64 count = 0;
            while (list.next()) {
                layout.add(list.row(), list.cover());
                for (PrintPage& page : layout.takeCompletePages()) {
                    if (!sink(std::move(page)))
                        return false;
                }
                if (rowsRead)
                    *rowsRead = count + 1;
                if (++count % checkEvery == 0 && progress) {
                    progress->setDone(rows.keysDone() > 0 ? rows.keysDone() : count);
                    progress->throwIfCancelled();
                }
            }
            if (progress)
                progress->throwIfCancelled();
            for (PrintPage& page : layout.finish().pages) {
                if (!sink(std::move(page)))
                    return false;
            }
            return count > 0;
        },
        title);
}

} // namespace quelto::printing
