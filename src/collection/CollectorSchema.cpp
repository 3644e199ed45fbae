#include "collection/CollectorSchema.h"

#include "catalog/ArchiveColumns.h"
#include "catalog/ArchiveKeys.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/SqliteConnection.h"

namespace quelto::collection {

using catalog::SqliteConnection;

namespace {

QStringList archiveColumnsOf(SqliteConnection& connection) { return catalog::ArchiveColumns::present(connection); }

const char* const kIdentityIndex = "quelto_identity";

// Plain binary indexes for sorting by the personal columns that hold numbers
// or ISO dates (no text compared by the program's own order, so the stock tool
// agrees with them).
struct SortIndex
{
    const char* name;
    const char* column;
};
const SortIndex kSortIndexes[] = {
    {"quelto_by_my_rating", "quelto_my_rating"}, {"quelto_by_running_time", "quelto_running_time"},
    {"quelto_by_price", "quelto_price"},         {"quelto_by_purchased", "quelto_purchased"},
    {"quelto_by_seen", "quelto_seen"},
};

bool hasIndex(SqliteConnection& connection, const char* name)
{
    auto query = connection.prepare(QStringLiteral("select 1 from main.sqlite_master where type = 'index' and name = ?"));
    query->bind(1, QString::fromLatin1(name));
    return query->step();
}

} // namespace

const std::vector<CollectorSchema::Column>& CollectorSchema::archiveColumns()
{
    static const std::vector<Column> columns = {
        {IdColumn, QStringLiteral("INTEGER")},
        {QStringLiteral("quelto_my_rating"), QStringLiteral("REAL")},
        {QStringLiteral("quelto_seen"), QStringLiteral("TEXT")},
        // Not TEXT: a note may be longer than a text column's 255 characters.
        {QStringLiteral("quelto_notes"), QStringLiteral("CLOB")},
        {QStringLiteral("quelto_location"), QStringLiteral("TEXT COLLATE NOCASE")},
        {QStringLiteral("quelto_purchased"), QStringLiteral("TEXT")},
        {QStringLiteral("quelto_price"), QStringLiteral("REAL")},
        {QStringLiteral("quelto_condition"), QStringLiteral("TEXT COLLATE NOCASE")},
        {QStringLiteral("quelto_running_time"), QStringLiteral("INTEGER")},
        {QStringLiteral("quelto_speed"), QStringLiteral("TEXT")},
    };
    return columns;
}

QStringList CollectorSchema::archiveColumnNames()
{
    QStringList names;
    for (const Column& column : archiveColumns())
        names << column.name;
    return names;
}

bool CollectorSchema::hasColumn(SqliteConnection& connection, const QString& column)
{
    return archiveColumnsOf(connection).contains(column.toLower());
}

bool CollectorSchema::hasTable(SqliteConnection& connection, const QString& table)
{
    auto statement = connection.prepare(
        QStringLiteral("select 1 from main.sqlite_master where type = 'table' and name = ?1 collate nocase"));
    statement->bind(1, table);
    return statement->step();
}

bool CollectorSchema::isPresent(SqliteConnection& connection)
{
    const QStringList columns = archiveColumnsOf(connection);
    for (const Column& column : archiveColumns()) {
        if (!columns.contains(column.name))
            return false;
    }
    for (const QString& table : {CoversTable, TapesTable}) {
        if (!hasTable(connection, table))
            return false;
    }
    for (const catalog::OptionListDef& list : catalog::CatalogSchema::ownOptionLists()) {
        if (!hasTable(connection, list.table))
            return false;
    }
    if (!hasIndex(connection, kIdentityIndex))
        return false;
    for (const SortIndex& index : kSortIndexes) {
        if (!hasIndex(connection, index.name))
            return false;
    }
    return true;
}

bool CollectorSchema::ensure(catalog::Database& db)
{
    SqliteConnection& connection = *db.connection();
    if (isPresent(connection))
        return false;
    connection.beginWrite();
    const QStringList present = archiveColumnsOf(connection);
    bool columnsAdded = false;
    for (const Column& column : archiveColumns()) {
        if (present.contains(column.name))
            continue;
        connection.exec(QStringLiteral("alter table archive add column %1 %2").arg(column.name, column.type));
        columnsAdded = true;
    }
    connection.exec(QStringLiteral("create index if not exists %1 on archive (%2)")
                        .arg(QLatin1String(kIdentityIndex), IdColumn));
    for (const SortIndex& index : kSortIndexes) {
        connection.exec(QStringLiteral("create index if not exists %1 on archive (%2)")
                            .arg(QLatin1String(index.name), QLatin1String(index.column)));
    }
    connection.exec(QStringLiteral("create table if not exists %1 (record_id INTEGER PRIMARY KEY, picture BLOB NOT NULL, "
                                   "format TEXT, width INTEGER, height INTEGER)")
                        .arg(CoversTable));
    connection.exec(QStringLiteral("create table if not exists %1 (catalog TEXT NOT NULL, length_minutes INTEGER)")
                        .arg(TapesTable));
    catalog::CatalogSchema::storeOwnOptionLists(db);
    db.schemaChanged();
    if (columnsAdded)
        catalog::ArchiveKeys::columnsAdded(db);
    return true;
}

} // namespace quelto::collection
