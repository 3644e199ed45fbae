#include "catalog/ArchiveKeys.h"

#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

#include <QRegularExpression>

namespace quelto::catalog {
namespace {

struct OrderIndex
{
    const char* name;
    const char* columns;
};

const OrderIndex kIndexes[] = {
    // With the search text: the quick filter in title order reads this index alone.
    {"quelto_order_title", "quelto_key_title, quelto_search"},
    {"quelto_order_director", "quelto_key_mv_director, quelto_key_mv_year"},
    {"quelto_order_genre", "quelto_key_mv_genre"},
    {"quelto_order_catalog", "quelto_key_catalog"},
    {"quelto_order_year", "quelto_key_mv_year"},
};

bool hasRowsWithoutKeys(SqliteConnection& connection)
{
    try {
        auto query = connection.prepare(
            QStringLiteral("select 1 from archive where quelto_key_title is null and title is not null limit 1"));
        return query->step();
    } catch (const EngineError&) {
        return false; // no key columns yet
    }
}

QStringList tableColumns(SqliteConnection& connection)
{
    QStringList columns;
    auto info = connection.prepare(QStringLiteral("pragma table_info(archive)"));
    while (info->step())
        columns << info->value(1).toString().toLower();
    return columns;
}

// "quelto_key_title = quelto_sortkey(new.title), ..." for the given row
// prefix; a searched column the table lacks counts as Null.
QString keyAssignments(const QString& row, const QStringList& present)
{
    QStringList parts;
    for (const QString& column : ArchiveKeys::keyedColumns())
        parts << QStringLiteral("%1 = quelto_sortkey(%2%3)").arg(ArchiveKeys::keyColumn(column), row, column);
    QStringList searched;
    for (const QString& column : ArchiveKeys::searchedColumns())
        searched << (present.contains(column) ? row + column : QStringLiteral("null"));
    parts << QStringLiteral("%1 = quelto_searchtext(%2)").arg(ArchiveKeys::SearchColumn, searched.join(u','));
    return parts.join(QStringLiteral(", "));
}

void installTriggers(SqliteConnection& connection, bool withKeys)
{
    connection.exec(QStringLiteral(
        "create temp table if not exists quelto_archive_count (n integer not null, version integer not null);"
        "create temp trigger if not exists quelto_count_insert after insert on archive begin "
        "update quelto_archive_count set n = n + 1; end;"
        "create temp trigger if not exists quelto_count_delete after delete on archive begin "
        "update quelto_archive_count set n = n - 1; end;"));
    if (!withKeys)
        return;
    connection.exec(QStringLiteral("create temp table if not exists quelto_keys_seen (version integer not null);"
                                   "delete from quelto_keys_seen; insert into quelto_keys_seen values (-1);"));
    const QStringList present = tableColumns(connection);
    QStringList watched = ArchiveKeys::keyedColumns();
    for (const QString& column : ArchiveKeys::searchedColumns()) {
        if (!watched.contains(column) && present.contains(column))
            watched << column;
    }
    connection.exec(QStringLiteral("create temp trigger if not exists quelto_keys_insert after insert on archive "
                                   "begin update archive set %1 where rowid = new.rowid; end;"
                                   "create temp trigger if not exists quelto_keys_update after update of %2 on "
                                   "archive begin update archive set %1 where rowid = new.rowid; end;")
                        .arg(keyAssignments(QStringLiteral("new."), present), watched.join(QStringLiteral(", "))));
}

} // namespace

const QStringList& ArchiveKeys::keyedColumns()
{
    static const QStringList columns = {QStringLiteral("title"), QStringLiteral("mv_director"),
                                        QStringLiteral("mv_year"), QStringLiteral("mv_genre"),
                                        QStringLiteral("catalog")};
    return columns;
}

QString ArchiveKeys::keyColumn(const QString& column) { return QStringLiteral("quelto_key_") + column.toLower(); }

const QStringList& ArchiveKeys::searchedColumns()
{
    static const QStringList columns = {
        QStringLiteral("title"),     QStringLiteral("mv_director"), QStringLiteral("mv_cast1"),
        QStringLiteral("mv_cast2"),  QStringLiteral("mv_cast3"),    QStringLiteral("mv_cast4"),
        QStringLiteral("mv_cast5"),  QStringLiteral("mv_cast6"),    QStringLiteral("catalog"),
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
    SqliteConnection& connection = *db.connection();
    try {
        connection.exec(QStringLiteral("drop trigger if exists temp.quelto_keys_insert;"
                                       "drop trigger if exists temp.quelto_keys_update"));
        installTriggers(connection, hasKeys(db));
    } catch (const EngineError&) {
        // Without keys the quick filter searches the columns themselves.
    }
}

bool ArchiveKeys::hasKeys(Database& db)
{
    if (!db.hasTable(QStringLiteral("archive")))
        return false;
    const QStringList columns = tableColumns(*db.connection());
    if (!columns.contains(SearchColumn))
        return false;
    for (const QString& column : keyedColumns()) {
        if (!columns.contains(keyColumn(column)))
            return false;
    }
    return true;
}

bool ArchiveKeys::install(Database& db)
{
    if (!db.hasTable(QStringLiteral("archive")))
        return false;
    SqliteConnection& connection = *db.connection();
    bool changed = false;
    try {
        const QStringList columns = tableColumns(connection);
        QStringList added;
        for (const QString& column : keyedColumns()) {
            if (!columns.contains(keyColumn(column)))
                added << keyColumn(column) + QStringLiteral(" BLOB");
        }
        if (!columns.contains(SearchColumn))
            added << SearchColumn + QStringLiteral(" TEXT");
        bool indexesMissing = false;
        for (const OrderIndex& index : kIndexes) {
            auto found = connection.prepare(
                QStringLiteral("select 1 from sqlite_master where type = 'index' and name = ?"));
            found->bind(1, QString::fromLatin1(index.name));
            indexesMissing = indexesMissing || !found->step();
        }
        const bool work = !added.isEmpty() || indexesMissing || hasRowsWithoutKeys(connection);
        if (work && !connection.writesRefused() && !connection.isReadOnly()) {
            connection.beginWrite();
            connection.exec(QStringLiteral("savepoint quelto_keys"));
            try {
                for (const QString& column : added)
                    connection.exec(QStringLiteral("alter table archive add column ") + column);
                for (const OrderIndex& index : kIndexes)
                    connection.exec(QStringLiteral("create index if not exists %1 on archive (%2)")
                                        .arg(QLatin1String(index.name), QLatin1String(index.columns)));
                // Rows written by another program have no keys yet.
                connection.exec(QStringLiteral("update archive set %1 where quelto_key_title is null and title is not null")
                                    .arg(keyAssignments(QString(), tableColumns(connection))));
                connection.exec(QStringLiteral("release quelto_keys"));
            } catch (const EngineError&) {
                connection.exec(QStringLiteral("rollback to quelto_keys; release quelto_keys"));
                throw;
            }
            changed = !added.isEmpty();
        }
    } catch (const EngineError&) {
        // A file the program cannot write keeps its schema.
    }
    if (changed)
        db.schemaChanged();
    try {
        installTriggers(connection, hasKeys(db));
        connection.exec(QStringLiteral("delete from quelto_archive_count"));
        connection.exec(QStringLiteral("insert into quelto_archive_count values (-1, -1)"));
    } catch (const EngineError&) {
    }
    return changed;
}

QString ArchiveKeys::useKeyColumns(const QString& sql, const QSet<QString>& names)
{
    static const QRegularExpression fromArchive(QStringLiteral(R"(\bfrom\s+"?archive"?(\s|$))"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression grouped(QStringLiteral(R"(\bgroup\s+by\b|\bjoin\b|\bunion\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderBy(QStringLiteral(R"(\border\s+by\s+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression item(QStringLiteral(R"(^\s*(\w+)(\s+(?:asc|desc))?\s*$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!names.contains(SearchColumn) || !sql.contains(fromArchive) || sql.contains(grouped))
        return sql;
    QRegularExpressionMatch last;
    for (auto it = orderBy.globalMatch(sql); it.hasNext();)
        last = it.next();
    if (!last.hasMatch())
        return sql;
    QStringList items = sql.mid(last.capturedEnd()).split(u',');
    for (QString& part : items) {
        const QRegularExpressionMatch m = item.match(part);
        if (!m.hasMatch())
            return sql; // an expression or a literal: left as it stands
        const QString key = keyColumn(m.captured(1));
        if (names.contains(key))
            part = key + m.captured(2);
        else
            part = part.trimmed();
    }
    return sql.left(last.capturedEnd()) + items.join(u',');
}

namespace {

qint64 dataVersion(SqliteConnection& connection)
{
    auto query = connection.prepare(QStringLiteral("pragma data_version"));
    query->step();
    return query->int64(0);
}

} // namespace

void ArchiveKeys::catchUp(SqliteConnection& connection)
{
    try {
        const qint64 version = dataVersion(connection);
        auto seen = connection.prepare(QStringLiteral("select version from quelto_keys_seen"));
        if (!seen->step() || seen->int64(0) == version)
            return;
        seen.reset();
        if (hasRowsWithoutKeys(connection) && !connection.writesRefused()) {
            connection.beginWrite();
            connection.exec(QStringLiteral("update archive set %1 where quelto_key_title is null and title is not null")
                                .arg(keyAssignments(QString(), tableColumns(connection))));
        }
        auto store = connection.prepare(QStringLiteral("update quelto_keys_seen set version = ?"));
        store->bindInt64(1, version);
        store->step();
    } catch (const EngineError&) {
        // Without the TEMP table or on a file the program cannot write:
        // such rows sort first until the file is opened again.
    }
}

int ArchiveKeys::count(SqliteConnection& connection)
{
    const qint64 version = dataVersion(connection);
    try {
        auto kept = connection.prepare(QStringLiteral("select n, version from quelto_archive_count"));
        if (kept->step() && kept->int64(1) == version && kept->int64(0) >= 0)
            return int(kept->int64(0));
    } catch (const EngineError&) {
        auto counted = connection.prepare(QStringLiteral("select count(*) from archive"));
        counted->step();
        return int(counted->int64(0));
    }
    // First use, or another program changed the file: count once.
    auto counted = connection.prepare(QStringLiteral("select count(*) from archive"));
    counted->step();
    const qint64 n = counted->int64(0);
    auto store = connection.prepare(QStringLiteral("update quelto_archive_count set n = ?, version = ?"));
    store->bindInt64(1, n);
    store->bindInt64(2, version);
    store->step();
    return int(n);
}

} // namespace quelto::catalog
