#include "printing/ListPrintJob.h"

#include "catalog/ArchiveReader.h"
#include "printing/PrintCanvas.h"
#include "tasks/TaskProgress.h"

namespace quelto::printing {

bool ListPrintJob::print(ListKind kind, catalog::ArchiveReader& rows, const QString& heading, PrintCanvas& canvas,
                         const QString& title, tasks::TaskProgress* progress, qint64* rowsRead)
{
    const QStringList columns = ListLayout::columns(kind);
    const double height = canvas.printableHeight();
    if (progress && rows.keyCount() > 0)
        progress->setTotal(rows.keyCount());
    return canvas.printPages(
        [&](const PageSink& sink) {
            ListLayout layout(kind, heading, height);
            ListRow row;
            qint64 count = 0;
            while (rows.next()) {
                for (qsizetype c = 0; c < columns.size(); ++c)
                    row.insert(columns.at(c), rows.text(int(c)));
                layout.add(row);
                for (PrintPage& page : layout.takeCompletePages()) {
                    if (!sink(std::move(page)))
                        return false;
                }
                if (rowsRead)
                    *rowsRead = count + 1;
                if (++count % 256 == 0 && progress) {
                    progress->setDone(rows.keysDone() > 0 ? rows.keysDone() : count);
                    progress->check();
                }
            }
            if (progress)
                progress->check();
            for (PrintPage& page : layout.finish().pages) {
                if (!sink(std::move(page)))
                    return false;
            }
            return count > 0;
        },
        title);
}

} // namespace quelto::printing
