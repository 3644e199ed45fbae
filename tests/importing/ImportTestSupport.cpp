#include "ImportTestSupport.h"

#include "catalog/CatalogLoader.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"
#include "importing/CatalogueImport.h"
#include "tasks/TaskControl.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace quelto::test {

importing::ImportSummary importInto(const QString& source, const QString& cataloguePath, bool addUnmatched,
                                    const QString& prefix)
{
    if (!QFileInfo::exists(cataloguePath))
        catalog::CatalogLoader::createCatalogFile(cataloguePath);
    importing::CatalogueImport::Options options;
    options.addUnmatched = addUnmatched;
    options.mediaIdPrefix = prefix;
    importing::CatalogueImport import(source, options);
    auto db = catalog::Database::open(cataloguePath);
    tasks::TaskControl control;
    importing::ImportSummary summary = import.run(*db, control);
    db->close();
    return summary;
}

QMap<QString, StoredRecord> recordsByTitle(const QString& cataloguePath)
{
    auto connection = catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
    auto rows = connection->prepare(QStringLiteral("select * from archive order by rowid"));
    QMap<QString, StoredRecord> records;
    while (rows->step()) {
        StoredRecord record;
        for (int c = 0; c < rows->columnCount(); ++c)
            record.insert(rows->columnName(c), rows->value(c));
        records.insert(record.value(QStringLiteral("title")).toString(), record);
    }
    return records;
}

QStringList tableLines(const QString& cataloguePath, const QString& sql)
{
    auto connection = catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
    auto rows = connection->prepare(sql);
    QStringList lines;
    while (rows->step()) {
        QStringList fields;
        for (int c = 0; c < rows->columnCount(); ++c)
            fields << (rows->value(c).isNull() ? QStringLiteral("<Null>") : rows->value(c).toString());
        lines << fields.join(QLatin1Char('|'));
    }
    return lines;
}

QByteArray coverOf(const QString& cataloguePath, const QString& title)
{
    auto connection = catalog::SqliteConnection::open(cataloguePath, catalog::SqliteConnection::Mode::OpenReadOnly);
    auto row = connection->prepare(QStringLiteral(
        "select c.picture from quelto_covers c join archive a on a.quelto_id = c.record_id where a.title = ?"));
    row->bind(1, title);
    return row->step() ? row->value(0).toByteArray() : QByteArray();
}

QByteArray checksum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString dataPath(const QString& relative) { return QStringLiteral(QUELTO_TEST_DATA "/importing/") + relative; }

} // namespace quelto::test
