#include "exchange/CsvExport.h"

#include "catalog/ArchiveReader.h"
#include "catalog/EngineError.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "collection/TapeStore.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvCoverFolder.h"
#include "exchange/CsvWriter.h"
#include "tasks/TaskProgress.h"

#include <QDir>
#include <QSaveFile>
#include <QHash>
#include <QSet>
#include <optional>

namespace quelto::exchange {

qint64 CsvExport::write(catalog::ArchiveReader& rows, QIODevice& out, tasks::TaskProgress* progress,
                        CsvCoverFolder* covers)
{
    CsvWriter writer(out);
    for (const QString& column : rows.columns())
        writer.addField(column.toUtf8());
    // Covers are looked up only for the records that have one.
    const int idColumn = int(rows.columns().indexOf(collection::CollectorSchema::IdColumn));
    // A catalogue with the collector's storage gives each record its tape's length.
    const bool tapes = idColumn >= 0;
    const int catalogColumn = int(rows.columns().indexOf(QStringLiteral("catalog")));
    QHash<QString, int> lengths;
    if (tapes) {
        writer.addField(CsvColumns::TapeLengthColumn.toUtf8());
        lengths = collection::TapeStore::lengths(rows.connection());
    }
    QSet<qint64> withCovers;
    if (covers) {
        writer.addField(CsvColumns::CoverColumn.toUtf8());
        if (idColumn >= 0 && collection::CollectorSchema::hasTable(rows.connection(), collection::CollectorSchema::CoversTable))
            withCovers = collection::CoverStore::withCovers(rows.connection());
    }
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
        if (tapes) {
            const auto length = catalogColumn >= 0 ? lengths.constFind(rows.text(catalogColumn)) : lengths.constEnd();
            if (length != lengths.constEnd())
                writer.addField(QByteArray::number(*length));
            else
                writer.addNull();
        }
        if (covers) {
            const qint64 id = idColumn >= 0 ? rows.value(idColumn).toLongLong() : 0;
            std::optional<collection::CoverPicture> picture;
            if (id > 0 && withCovers.contains(id))
                picture = collection::CoverStore::load(rows.connection(), id);
            if (picture)
                writer.addField(covers->write(id, *picture).toUtf8());
            else
                writer.addNull();
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

qint64 CsvExport::writeFile(catalog::ArchiveReader& rows, const QString& path, tasks::TaskProgress* progress,
                            CsvCoverFolder* covers)
{
    QSaveFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::WriteOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    qint64 count = 0;
    try {
        count = write(rows, file, progress, covers);
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
    if (covers)
        covers->commit();
    return count;
}

} // namespace quelto::exchange
