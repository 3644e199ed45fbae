#include "groups/GroupChangeLog.h"

#include "catalog/SqliteConnection.h"
#include "groups/GroupKeying.h"
#include "groups/RawQuery.h"

namespace quelto::groups {
namespace {

// The value noted for a row ("new." or "old.").
QString valueOf(const GroupField& field, const QStringList& archiveColumns, const QString& row)
{
    QStringList parts;
    for (const QString& column : field.columns()) {
        if (!archiveColumns.contains(column))
            parts << QStringLiteral("null");
        else if (field.kind == GroupField::Kind::Cast)
            parts << QStringLiteral("ifnull(%1%2, '')").arg(row, column);
        else
            parts << row + column;
    }
    return parts.join(QStringLiteral(" || char(%1) || ").arg(int(GroupKeying::Separator)));
}

} // namespace

void GroupChangeLog::remove(catalog::SqliteConnection& connection)
{
    connection.exec(QStringLiteral("drop trigger if exists temp.quelto_group_insert;"
                                   "drop trigger if exists temp.quelto_group_update;"
                                   "drop trigger if exists temp.quelto_group_delete;"
                                   "drop table if exists temp.quelto_group_log;"));
}

void GroupChangeLog::install(catalog::SqliteConnection& connection, const GroupField& field,
                             const QStringList& archiveColumns)
{
    remove(connection);
    if (archiveColumns.isEmpty())
        return; // no archive table
    const QString room = QStringLiteral("where (select count(*) from quelto_group_log) < %1").arg(Capacity);
    const QString before = valueOf(field, archiveColumns, QStringLiteral("old."));
    const QString after = valueOf(field, archiveColumns, QStringLiteral("new."));
    connection.exec(QStringLiteral(
        "create temp table quelto_group_log (had_old integer, old_value, has_new integer, new_value);"
        "create temp trigger quelto_group_insert after insert on main.archive begin "
        "insert into quelto_group_log select 0, null, 1, %1 %3; end;"
        "create temp trigger quelto_group_delete after delete on main.archive begin "
        "insert into quelto_group_log select 1, %2, 0, null %3; end;")
                        .arg(after, before, room));
    QStringList watched;
    for (const QString& column : field.columns()) {
        if (archiveColumns.contains(column))
            watched << column;
    }
    if (watched.isEmpty())
        return;
    connection.exec(QStringLiteral("create temp trigger quelto_group_update after update of %1 on main.archive begin "
                                   "insert into quelto_group_log select 1, %2, 1, %3 %4; end;")
                        .arg(watched.join(QStringLiteral(", ")), before, after, room));
}

std::optional<std::vector<GroupChangeLog::Change>> GroupChangeLog::take(catalog::SqliteConnection& connection)
{
    std::vector<Change> changes;
    {
        RawQuery log(connection, QStringLiteral("select had_old, old_value, has_new, new_value "
                                                "from temp.quelto_group_log order by rowid"));
        while (log.step()) {
            Change change;
            change.before.present = log.integer(0) != 0;
            change.before.isNull = log.isNull(1);
            const std::string_view old = log.text(1);
            change.before.text = QByteArray(old.data(), qsizetype(old.size()));
            change.after.present = log.integer(2) != 0;
            change.after.isNull = log.isNull(3);
            const std::string_view now = log.text(3);
            change.after.text = QByteArray(now.data(), qsizetype(now.size()));
            changes.push_back(std::move(change));
        }
    }
    connection.exec(QStringLiteral("delete from temp.quelto_group_log"));
    if (changes.size() >= size_t(Capacity))
        return std::nullopt;
    return changes;
}

} // namespace quelto::groups
