#include "BenchExchangeFiles.h"

#include "BenchCatalog.h"
#include "catalog/CatalogSchema.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/resource.h>

namespace quelto::bench {
namespace {

QString benchFile(const QString& name)
{
    return QDir(qEnvironmentVariable("QUELTO_BENCH_DIR", QDir::tempPath())).filePath(name);
}

} // namespace

QString importTarget()
{
    const QString path = benchFile(QStringLiteral("quelto-bench-import-1000000.mdb"));
    if (!QFileInfo::exists(path) && !QFile::copy(catalogFile(1000000), path))
        qFatal("cannot copy the catalogue of 1,000,000 records");
    return path;
}

QString importCsv()
{
    const QString path = benchFile(QStringLiteral("quelto-bench-import-100000.csv"));
    if (QFileInfo::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    exchange::CsvWriter writer(file);
    std::vector<QVariant> fields;
    for (const QString& name : exchange::CsvColumns::names())
        fields.emplace_back(name);
    writer.writeRecord(fields);
    // The records fill the 24 columns; the program's own ones stay empty.
    for (QVariant& field : fields)
        field = QString();
    const QStringList& columns = catalog::CatalogSchema::archiveColumns();
    for (int i = 0; i < 100000; ++i) {
        for (qsizetype c = 0; c < columns.size(); ++c)
            fields[size_t(c)] = QStringLiteral("%1 %2").arg(columns.at(c)).arg(i % 977);
        fields[0] = QStringLiteral("I%1").arg(i / 3, 6, 10, QLatin1Char('0'));
        fields[23] = QStringLiteral("Imported movie number %1").arg(i);
        writer.writeRecord(fields);
    }
    writer.finish();
    return path;
}

double bareScanSeconds(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select * from archive", -1, &statement, nullptr);
    QElapsedTimer clock;
    clock.start();
    const int columns = sqlite3_column_count(statement);
    size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(statement, c);
            bytes += size_t(sqlite3_column_bytes(statement, c));
        }
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return bytes > 0 ? seconds : 0;
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace quelto::bench
