#include "history/RecordSnapshot.h"

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

// Whether another archive row names the same record (a copy made by another
// tool shares its original's identity): then the companions stay with it.
bool sharedKey(catalog::SqliteConnection& connection, const QString& column, const QVariant& key, qint64 rowid)
{
    auto statement = connection.prepare(
        QStringLiteral("select 1 from archive where \"%1\" = ?1 and rowid <> ?2 limit 1").arg(column));
    statement->bind(1, key);
    statement->bindInt64(2, rowid);
    return statement->step();
}

} // namespace

RecordSnapshot RecordSnapshot::take(catalog::SqliteConnection& connection, qint64 rowid)
{
    RecordSnapshot snapshot;
    snapshot.row = ArchiveRow::read(connection, rowid);
    if (!snapshot.row.isValid())
        return snapshot;
    for (const RecordCompanions::Companion& companion : RecordCompanions::all()) {
        if (companion.shared)
            continue; // the tape's, not the record's
        const QVariant key = snapshot.row.value(companion.recordColumn);
        if (key.isNull() || !key.isValid() || !tableExists(connection, companion.table))
            continue; // a record without that identity has no such rows
        if (sharedKey(connection, companion.recordColumn, key, rowid))
            continue;
        for (ArchiveRow& row : ArchiveRow::readWhere(connection, companion.table, companion.keyColumn, key))
            snapshot.companions.push_back(std::move(row));
    }
    return snapshot;
}

void RecordSnapshot::removeCompanions(catalog::SqliteConnection& connection) const
{
    for (const ArchiveRow& companion : companions)
        companion.remove(connection);
}

bool RecordSnapshot::remove(catalog::SqliteConnection& connection) const
{
    removeCompanions(connection);
    return row.remove(connection);
}

qint64 RecordSnapshot::restore(catalog::SqliteConnection& connection)
{
    row.rowid = row.insert(connection);
    for (ArchiveRow& companion : companions) {
        if (tableExists(connection, companion.table))
            companion.rowid = companion.insert(connection);
    }
    return row.rowid;
}

} // namespace quelto::history
