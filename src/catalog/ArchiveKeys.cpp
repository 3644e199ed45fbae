#include "catalog/ArchiveKeys.h"

#include "catalog/ArchiveColumns.h"
#include "catalog/ArchiveQuery.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {
namespace {

// What Quelto 1.2.0 keyed, and what its search text held, in its order.
const QStringList& legacyKeyedColumns()
{
    static const QStringList columns = {QStringLiteral("title"), QStringLiteral("mv_director"),
                                        QStringLiteral("mv_year"), QStringLiteral("mv_genre"),
                                        QStringLiteral("catalog")};
    return columns;
}

const QStringList& legacySearchedColumns()
{
    static const QStringList columns = {
        QStringLiteral("title"),    QStringLiteral("mv_director"), QStringLiteral("mv_cast1"),
        QStringLiteral("mv_cast2"), QStringLiteral("mv_cast3"),    QStringLiteral("mv_cast4"),
        QStringLiteral("mv_cast5"), QStringLiteral("mv_cast6"),    QStringLiteral("catalog")};
    return columns;
}

const QString LegacySearchColumn = QStringLiteral("quelto_search");

QString legacyKeyColumn(const QString& column) { return QStringLiteral("quelto_key_") + column; }

QStringList tableColumns(SqliteConnection& connection) { return ArchiveColumns::present(connection); }

// "quelto_key_title = quelto_sortkey(new.title), ..." for the row new.
QString keyAssignments()
{
    QStringList parts;
    for (const QString& column : legacyKeyedColumns())
        parts << QStringLiteral("%1 = quelto_sortkey(new.%2)").arg(legacyKeyColumn(column), column);
    QStringList searched;
    for (const QString& column : legacySearchedColumns())
        searched << QStringLiteral("new.") + column;
    parts << QStringLiteral("%1 = quelto_searchtext(%2)").arg(LegacySearchColumn, searched.join(u','));
    return parts.join(QStringLiteral(", "));
}

} // namespace

const QStringList& ArchiveKeys::searchedColumns()
{
    static const QStringList columns = {
        QStringLiteral("title"),        QStringLiteral("mv_director"),    QStringLiteral("mv_cast1"),
        QStringLiteral("mv_cast2"),     QStringLiteral("mv_cast3"),       QStringLiteral("mv_cast4"),
        QStringLiteral("mv_cast5"),     QStringLiteral("mv_cast6"),       QStringLiteral("catalog"),
        QStringLiteral("quelto_notes"), QStringLiteral("quelto_location")};
    return columns;
}

QStringList ArchiveKeys::searchedColumns(SqliteConnection& connection)
{
    const QStringList present = tableColumns(connection);
    QStringList columns;
    for (const QString& column : searchedColumns()) {
        if (present.contains(column))
            columns << column;
    }
    return columns;
}

void ArchiveKeys::columnsAdded(Database& db)
{
    try {
        db.connection()->exec(QStringLiteral("drop trigger if exists temp.quelto_keys_insert;"
                                             "drop trigger if exists temp.quelto_keys_update"));
    } catch (const EngineError&) {
    }
    install(*db.connection());
}

bool ArchiveKeys::hasLegacyKeys(SqliteConnection& connection)
{
    const QStringList columns = tableColumns(connection);
    if (!columns.contains(LegacySearchColumn))
        return false;
    for (const QString& column : legacyKeyedColumns()) {
        if (!columns.contains(legacyKeyColumn(column)))
            return false;
    }
    return true;
}

void ArchiveKeys::install(Database& db)
{
    if (db.hasTable(QStringLiteral("archive")))
        install(*db.connection());
}

void ArchiveKeys::install(SqliteConnection& connection)
{
    try {
        connection.exec(QStringLiteral(
            "create temp table if not exists quelto_archive_count (n integer not null, version integer not null);"
            "insert into quelto_archive_count select -1, -1 where not exists (select 1 from quelto_archive_count);"
            "create temp trigger if not exists quelto_count_insert after insert on archive begin "
            "update quelto_archive_count set n = n + 1; end;"
            "create temp trigger if not exists quelto_count_delete after delete on archive begin "
            "update quelto_archive_count set n = n - 1; end;"));
        if (!hasLegacyKeys(connection))
            return;
        QStringList watched = legacyKeyedColumns();
        for (const QString& column : legacySearchedColumns()) {
            if (!watched.contains(column))
                watched << column;
        }
        connection.exec(QStringLiteral("create temp trigger if not exists quelto_keys_insert after insert on archive "
                                       "begin update archive set %1 where rowid = new.rowid; end;"
                                       "create temp trigger if not exists quelto_keys_update after update of %2 on "
                                       "archive begin update archive set %1 where rowid = new.rowid; end;")
                            .arg(keyAssignments(), watched.join(QStringLiteral(", "))));
    } catch (const EngineError&) {
        // Without them the count is taken afresh and the helper columns wait
        // for the older version to bring them up to date.
    }
}

void ArchiveKeys::knowCount(SqliteConnection& connection, qint64 rows)
{
    try {
        auto store = connection.prepare(QStringLiteral("update quelto_archive_count set n = ?, version = ?"));
        store->bindInt64(1, rows);
        store->bindInt64(2, dataVersion(connection));
        store->step();
    } catch (const EngineError&) {
    }
}

qint64 ArchiveKeys::dataVersion(SqliteConnection& connection)
{
    auto query = connection.prepare(QStringLiteral("pragma data_version"));
    query->step();
    return query->int64(0);
}

std::optional<int> ArchiveKeys::keptCount(SqliteConnection& connection)
{
    const qint64 version = dataVersion(connection);
    try {
        auto kept = connection.prepare(QStringLiteral("select n, version from quelto_archive_count"));
        if (kept->step() && kept->int64(1) == version && kept->int64(0) >= 0)
            return int(kept->int64(0));
    } catch (const EngineError&) {
        return {}; // no counter on this connection
    }
    // First use, or another program changed the file: a query that has read
    // the file as it is now may have counted the rows.
    if (const std::optional<qint64> known = ArchiveQuery::knownCount(connection)) {
        knowCount(connection, *known);
        return int(*known);
    }
    return {};
}

int ArchiveKeys::count(SqliteConnection& connection)
{
    if (const std::optional<int> kept = keptCount(connection))
        return *kept;
    auto counted = connection.prepare(QStringLiteral("select count(*) from archive"));
    counted->step();
    const qint64 n = counted->int64(0);
    counted.reset();
    knowCount(connection, n);
    return int(n);
}

} // namespace quelto::catalog
