#include "catalog/ArchiveColumns.h"

#include "catalog/SqliteConnection.h"

namespace quelto::catalog {

QStringList ArchiveColumns::present(SqliteConnection& connection)
{
    QStringList columns;
    auto info = connection.prepare(QStringLiteral("pragma main.table_info(archive)"));
    while (info->step())
        columns << info->value(1).toString().toLower();
    return columns;
}

} // namespace quelto::catalog
