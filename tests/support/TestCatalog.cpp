#include "TestCatalog.h"

#include "catalog/CatalogLoader.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/RecordSet.h"

#include <QFile>

namespace quelto::test {

using namespace quelto::catalog;

void TestCatalog::create(const QString& path, const QList<Row>& rows)
{
    CatalogLoader::createCatalogFile(path);
    addRows(path, rows);
}

void TestCatalog::addRows(const QString& path, const QList<Row>& rows)
{
    if (rows.isEmpty())
        return;
    auto db = Database::open(path);
    auto set = db->openRecordSet(CatalogSchema::ArchiveQuery);
    for (const Row& row : rows) {
        set->addNew();
        for (auto it = row.cbegin(); it != row.cend(); ++it)
            set->setValue(it.key(), it.value());
        set->update();
    }
}

TestCatalog::Row TestCatalog::record(const QString& title, const QString& catalog)
{
    Row row;
    for (const QString& column : CatalogSchema::archiveColumns())
        row[column] = title + QLatin1Char('.') + column;
    row[QStringLiteral("title")] = title;
    row[QStringLiteral("catalog")] = catalog;
    return row;
}

QStringList TestCatalog::tables(const QString& path) { return Database::open(path)->tableNames(); }

int TestCatalog::rowCount(const QString& path, const QString& table)
{
    auto db = Database::open(path);
    auto set = db->openRecordSet(QStringLiteral("select * from ") + table);
    return set->recordCount();
}

QByteArray TestCatalog::fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace quelto::test
