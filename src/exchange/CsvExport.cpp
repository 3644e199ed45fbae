#include "exchange/CsvExport.h"

#include "catalog/ArchiveReader.h"
#include "catalog/EngineError.h"
#include "exchange/CsvCoverFolder.h"
#include "exchange/CsvRecordLine.h"
#include "exchange/CsvWriter.h"
#include "exchange/OrderedLines.h"
#include "tasks/TaskControl.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <algorithm>
#include <sys/resource.h>
#include <functional>
#include <utility>

namespace quelto::exchange {
namespace {

// Keys at least this share of the file's rows are read in one pass over the
// file; fewer, each by its key (in the file's order all the same).
constexpr qint64 ScanShare = 16;

// Why writing the file failed, in the words the catalogue's own writes use:
// a full disk or the file size limit is named, not left as "Unknown error".
QString writeFailure(const QString& path, const QFileDevice& file)
{
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < 1024 * 1024)
        return QStringLiteral("the disk that holds it is full");
    rlimit sizeLimit{};
    if (getrlimit(RLIMIT_FSIZE, &sizeLimit) == 0 && sizeLimit.rlim_cur != RLIM_INFINITY &&
        file.size() + 64 * 1024 >= qint64(sizeLimit.rlim_cur))
        return QStringLiteral("it would be larger than the largest file this system lets Quelto write (%1 bytes)")
            .arg(qint64(sizeLimit.rlim_cur));
    const QString reason = file.errorString();
    return reason.isEmpty() || reason == QLatin1String("Unknown error") ? QStringLiteral("the system refused the write")
                                                                         : reason;
}

qint64 toFile(const QString& path, const std::function<qint64(QSaveFile&)>& write, tasks::TaskControl* progress,
              CsvCoverFolder* covers)
{
    QSaveFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::WriteOnly))
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, file.errorString()));
    qint64 count = 0;
    try {
        count = write(file);
    } catch (const catalog::EngineError& error) {
        // A write the file refused is told by its cause; other failures as they are.
        const QString why = file.error() != QFileDevice::NoError ? writeFailure(path, file) : error.message();
        file.cancelWriting();
        throw catalog::EngineError(QStringLiteral("\"%1\" was not written: %2").arg(name, why));
    } catch (...) {
        file.cancelWriting(); // cancelled: the file stays as it was
        throw;
    }
    if (progress)
        progress->begin(QStringLiteral("Saving the file..."));
    if (file.error() != QFileDevice::NoError || !file.flush() || !file.commit())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(name, writeFailure(path, file)));
    if (covers)
        covers->commit();
    return count;
}

} // namespace

qint64 CsvExport::write(catalog::ArchiveReader& rows, QIODevice& out, tasks::TaskControl* progress,
                        CsvCoverFolder* covers)
{
    CsvRecordLine lines(rows, covers);
    CsvWriter writer(out);
    writer.addRecord(lines.header());
    if (progress)
        progress->setTotal(rows.keyCount());
    QByteArray line;
    qint64 count = 0;
    while (rows.next()) {
        line.resize(0);
        lines.append(line);
        writer.addRecord(line);
        if (++count % 1024 == 0 && progress) {
            progress->setDone(rows.keysDone());
            progress->throwIfCancelled();
        }
    }
    writer.finish();
    if (progress)
        progress->throwIfCancelled();
    return count;
}

qint64 CsvExport::write(catalog::ArchiveReader& rows, const std::vector<qint64>& keys, QIODevice& out,
                        tasks::TaskControl* progress, CsvCoverFolder* covers, const QString& spillFolder)
{
    CsvRecordLine lines(rows, covers);
    CsvWriter writer(out);
    writer.addRecord(lines.header());

    // Each key with its place in the export, in the file's order.
    std::vector<std::pair<qint64, qint64>> places(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        places[i] = {keys[i], qint64(i)};
    std::sort(places.begin(), places.end());
    if (qint64(keys.size()) * ScanShare >= rows.maxRowid()) {
        rows.readQuery(QStringLiteral("select * from archive order by rowid"));
    } else {
        std::vector<qint64> sorted;
        sorted.reserve(places.size());
        for (const auto& place : places) {
            if (sorted.empty() || sorted.back() != place.first)
                sorted.push_back(place.first);
        }
        rows.readKeys(std::move(sorted));
    }

    if (progress)
        progress->setTotal(qint64(keys.size()));
    OrderedLines ordered(qint64(keys.size()), spillFolder);
    QByteArray line;
    size_t next = 0;
    qint64 found = 0;
    qint64 stepped = 0;
    while (next < places.size() && rows.next()) {
        const qint64 rowid = rows.rowid();
        while (next < places.size() && places[next].first < rowid)
            ++next; // that row is gone
        if (next < places.size() && places[next].first == rowid) {
            line.resize(0);
            lines.append(line);
            for (; next < places.size() && places[next].first == rowid; ++next, ++found)
                ordered.add(places[next].second, line);
        }
        if (++stepped % 1024 == 0 && progress) {
            progress->setDone(found);
            progress->throwIfCancelled();
        }
    }
    places = {};

    if (progress)
        progress->begin(QStringLiteral("Writing the records in order..."), found, QStringLiteral("records"));
    const qint64 count = ordered.handOut([&writer](QByteArrayView record) { writer.addRecord(record); }, progress);
    writer.finish();
    if (progress)
        progress->throwIfCancelled();
    return count;
}

qint64 CsvExport::writeFile(catalog::ArchiveReader& rows, const QString& path, tasks::TaskControl* progress,
                            CsvCoverFolder* covers)
{
    return toFile(path, [&](QSaveFile& file) { return write(rows, file, progress, covers); }, progress, covers);
}

qint64 CsvExport::writeFile(catalog::ArchiveReader& rows, const std::vector<qint64>& keys, const QString& path,
                            tasks::TaskControl* progress, CsvCoverFolder* covers)
{
    const QString folder = QFileInfo(path).absolutePath();
    return toFile(path, [&](QSaveFile& file) { return write(rows, keys, file, progress, covers, folder); }, progress,
                  covers);
}

} // namespace quelto::exchange
