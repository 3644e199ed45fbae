#include "history/ArchiveRow.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

namespace quelto::history {

using catalog::SqlTranslator;

namespace {

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return aNull == bNull;
    return a.toString() == b.toString();
}

ArchiveRow fromStatement(catalog::SqliteStatement& statement, const QString& table)
{
    ArchiveRow row;
    row.table = table;
    for (int c = 0; c < statement.columnCount(); ++c) {
        const QString name = statement.columnName(c);
        if (c == 0) { // the key, selected first
            row.rowid = statement.int64(0);
            continue;
        }
        if (ArchiveRow::isHelperColumn(name))
            continue;
        row.columns << name;
        row.values.push_back(statement.value(c));
    }
    return row;
}

} // namespace

bool ArchiveRow::isHelperColumn(const QString& column)
{
    // The sort and search helpers an older Quelto wrote; the engine's TEMP
    // triggers fill them again for a row put back.
    return column.compare(QStringLiteral("quelto_search"), Qt::CaseInsensitive) == 0
           || column.startsWith(QStringLiteral("quelto_key_"), Qt::CaseInsensitive);
}

QStringList ArchiveRow::columnsOf(catalog::SqliteConnection& connection, const QString& table)
{
    // Without a column that is only another name of the row key ("id
    // INTEGER PRIMARY KEY"): the key is written as the key.
    QStringList names;
    QString alias;
    int keyColumns = 0;
    auto info = connection.prepare(QStringLiteral("pragma table_info(%1)").arg(SqlTranslator::quoteName(table)));
    while (info->step()) {
        const QString name = info->value(1).toString();
        names << name;
        if (info->value(5).toLongLong() > 0) {
            ++keyColumns;
            if (info->value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                alias = name;
        }
    }
    if (keyColumns == 1 && !alias.isEmpty())
        names.removeAll(alias);
    return names;
}

QVariant ArchiveRow::value(const QString& column) const
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return values.at(size_t(i));
    }
    return {};
}

bool ArchiveRow::sameData(const ArchiveRow& other) const
{
    if (columns.size() != other.columns.size())
        return false;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (!sameValue(values.at(size_t(i)), other.value(columns.at(i))))
            return false;
    }
    return true;
}

QString ArchiveRow::describe() const
{
    const QString title = value(QStringLiteral("title")).toString().trimmed();
    const QString year = value(QStringLiteral("mv_year")).toString().trimmed();
    return year.isEmpty() ? title : QStringLiteral("%1 (%2)").arg(title, year);
}

ArchiveRow ArchiveRow::read(catalog::SqliteConnection& connection, qint64 rowid, const QString& table)
{
    auto statement = connection.prepare(
        QStringLiteral("select rowid, * from %1 where rowid = ?").arg(SqlTranslator::quoteName(table)));
    statement->bindInt64(1, rowid);
    if (!statement->step())
        return {};
    return fromStatement(*statement, table);
}

std::vector<ArchiveRow> ArchiveRow::readWhere(catalog::SqliteConnection& connection, const QString& table,
                                              const QString& column, const QVariant& value)
{
    std::vector<ArchiveRow> rows;
    auto statement = connection.prepare(QStringLiteral("select rowid, * from %1 where %2 = ?")
                                            .arg(SqlTranslator::quoteName(table), SqlTranslator::quoteName(column)));
    statement->bind(1, value);
    while (statement->step())
        rows.push_back(fromStatement(*statement, table));
    return rows;
}

std::vector<ArchiveRow> ArchiveRow::readAll(catalog::SqliteConnection& connection, const QString& table)
{
    std::vector<ArchiveRow> rows;
    auto statement =
        connection.prepare(QStringLiteral("select rowid, * from %1 order by rowid").arg(SqlTranslator::quoteName(table)));
    while (statement->step())
        rows.push_back(fromStatement(*statement, table));
    return rows;
}

qint64 ArchiveRow::insert(catalog::SqliteConnection& connection) const
{
    const QStringList present = columnsOf(connection, table);
    QStringList names;
    QStringList marks;
    std::vector<QVariant> bound;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        // A column dropped since has nowhere to go.
        if (!present.contains(columns.at(i), Qt::CaseInsensitive))
            continue;
        names << SqlTranslator::quoteName(columns.at(i));
        marks << QStringLiteral("?");
        bound.push_back(values.at(size_t(i)));
    }
    auto taken = connection.prepare(
        QStringLiteral("select 1 from %1 where rowid = ?").arg(SqlTranslator::quoteName(table)));
    taken->bindInt64(1, rowid);
    const bool keyFree = !taken->step();
    taken.reset();
    if (keyFree) {
        names.prepend(QStringLiteral("rowid"));
        marks << QStringLiteral("?");
    }
    auto statement = connection.prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                                            .arg(SqlTranslator::quoteName(table), names.join(u','), marks.join(u',')));
    int index = 1;
    if (keyFree)
        statement->bindInt64(index++, rowid);
    for (const QVariant& v : bound)
        statement->bind(index++, v);
    statement->step();
    return connection.lastInsertRowId();
}

bool ArchiveRow::overwrite(catalog::SqliteConnection& connection) const
{
    const QStringList present = columnsOf(connection, table);
    QStringList assignments;
    std::vector<QVariant> bound;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (!present.contains(columns.at(i), Qt::CaseInsensitive))
            continue;
        assignments << SqlTranslator::quoteName(columns.at(i)) + QStringLiteral(" = ?");
        bound.push_back(values.at(size_t(i)));
    }
    if (assignments.isEmpty())
        return false;
    auto statement = connection.prepare(QStringLiteral("update %1 set %2 where rowid = ?")
                                            .arg(SqlTranslator::quoteName(table), assignments.join(u',')));
    int index = 1;
    for (const QVariant& v : bound)
        statement->bind(index++, v);
    statement->bindInt64(index, rowid);
    statement->step();
    return connection.changes() > 0;
}

bool ArchiveRow::remove(catalog::SqliteConnection& connection) const
{
    auto statement =
        connection.prepare(QStringLiteral("delete from %1 where rowid = ?").arg(SqlTranslator::quoteName(table)));
    statement->bindInt64(1, rowid);
    statement->step();
    return connection.changes() > 0;
}

} // namespace quelto::history
