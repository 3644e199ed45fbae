#include "history/CompanionRows.h"

#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "history/RecordCompanions.h"

namespace quelto::history {
namespace {

bool tableExists(catalog::SqliteConnection& connection, const QString& table)
{
    auto statement = connection.prepare(
        QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?1 collate nocase"));
    statement->bind(1, table);
    return statement->step();
}

bool namesNothing(const QVariant& value)
{
    return !value.isValid() || value.isNull() || value.toString().isEmpty();
}

} // namespace

CompanionRows CompanionRows::take(catalog::SqliteConnection& connection, const QList<Key>& keys, bool sharedOnly)
{
    CompanionRows taken;
    taken.m_keys = keys;
    taken.m_sharedOnly = sharedOnly;
    for (const RecordCompanions::Companion& companion : RecordCompanions::all()) {
        if (sharedOnly && !companion.shared)
            continue;
        const bool present = tableExists(connection, companion.table);
        QList<QVariant> seen;
        for (const Key& key : keys) {
            if (key.column.compare(companion.recordColumn, Qt::CaseInsensitive) != 0 || namesNothing(key.value)
                || seen.contains(key.value))
                continue;
            seen << key.value;
            Part part{companion.table, companion.keyColumn, key.value, companion.shared, {}};
            if (present)
                part.rows = ArchiveRow::readWhere(connection, companion.table, companion.keyColumn, key.value);
            taken.m_parts.push_back(std::move(part));
        }
    }
    return taken;
}

CompanionRows CompanionRows::sharedOnly() const
{
    CompanionRows shared;
    shared.m_keys = m_keys;
    shared.m_sharedOnly = true;
    for (const Part& part : m_parts) {
        if (part.shared)
            shared.m_parts.push_back(part);
    }
    return shared;
}

bool CompanionRows::sameData(const CompanionRows& other) const
{
    if (m_parts.size() != other.m_parts.size())
        return false;
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const Part& a = m_parts[i];
        const Part& b = other.m_parts[i];
        if (a.table != b.table || a.key != b.key || a.rows.size() != b.rows.size())
            return false;
        for (size_t r = 0; r < a.rows.size(); ++r) {
            if (!a.rows[r].sameData(b.rows[r]))
                return false;
        }
    }
    return true;
}

void CompanionRows::restore(catalog::SqliteConnection& connection) const
{
    for (const Part& part : m_parts) {
        if (!tableExists(connection, part.table))
            continue;
        auto remove = connection.prepare(QStringLiteral("delete from %1 where %2 = ?")
                                             .arg(catalog::SqlTranslator::quoteName(part.table),
                                                  catalog::SqlTranslator::quoteName(part.keyColumn)));
        remove->bind(1, part.key);
        remove->step();
        for (const ArchiveRow& row : part.rows)
            row.insert(connection);
    }
}

} // namespace quelto::history
