#include "exchange/CsvExport.h"

#include "catalog/ArchiveReader.h"
#include "catalog/EngineError.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvWriter.h"
#include "tasks/TaskProgress.h"

#include <QDir>
#include <QSaveFile>

namespace quelto::exchange {

qint64 CsvExport::write(catalog::ArchiveReader& rows, QIODevice& out, tasks::TaskProgress* progress)
{
    CsvWriter writer(out);
    for (const QString& column : CsvColumns::names())
        writer.addField(column.toUtf8());
    writer.endRecord();
    if (progress)
        progress->setTotal(rows.keyCount());
    const int columns = rows.columnCount();
    qint64 count = 0;
    while (rows.next()) {
        for (int c = 0; c < columns; ++c) {
            if (rows.isNull(c))
                writer.addNull();
            else
                writer.addField(rows.utf8(c));
        }
        writer.endRecord();
        if (++count % 1024 == 0 && progress) {
            progress->setDone(rows.keysDone());
            progress->check();
        }
    }
    writer.finish();
    if (progress)
        progress->check();
    return count;
}

qint64 CsvExport::writeFile(catalog::ArchiveReader& rows, const QString& path, tasks::TaskProgress* progress)
{
    QSaveFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::WriteOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    qint64 count = 0;
    try {
        count = write(rows, file, progress);
    } catch (const catalog::EngineError& error) {
        file.cancelWriting();
        throw catalog::EngineError(QStringLiteral("\"%1\" was not written: %2").arg(name, error.message()));
    } catch (...) {
        file.cancelWriting(); // cancelled: the file stays as it was
        throw;
    }
    if (progress)
        progress->begin(QStringLiteral("Saving the file..."));
    if (!file.commit())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    return count;
}

} // namespace quelto::exchange
