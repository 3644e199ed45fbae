#include "collection/CoverStore.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"

#include <QSize>

namespace quelto::collection {

using catalog::EngineError;

std::optional<CoverPicture> CoverStore::load(catalog::SqliteConnection& connection, qint64 recordId)
{
    if (recordId <= 0)
        return std::nullopt;
    try {
        auto query = connection.prepare(
            QStringLiteral("select picture, format, width, height from quelto_covers where record_id = ?"));
        query->bindInt64(1, recordId);
        if (!query->step())
            return std::nullopt;
        const QVariant picture = query->value(0);
        QByteArray bytes = picture.typeId() == QMetaType::QByteArray ? picture.toByteArray()
                                                                      : picture.toString().toLatin1();
        if (bytes.isEmpty())
            return std::nullopt;
        return CoverPicture(std::move(bytes), query->value(1).toString(),
                            QSize(query->value(2).toInt(), query->value(3).toInt()));
    } catch (const EngineError& error) {
        if (CollectorSchema::hasTable(connection, CollectorSchema::CoversTable))
            throw;
        return std::nullopt; // a file without covers
    }
}

bool CoverStore::has(catalog::SqliteConnection& connection, qint64 recordId)
{
    if (recordId <= 0)
        return false;
    try {
        auto query = connection.prepare(QStringLiteral("select 1 from quelto_covers where record_id = ?"));
        query->bindInt64(1, recordId);
        return query->step();
    } catch (const EngineError&) {
        return false;
    }
}

void CoverStore::store(catalog::SqliteConnection& connection, qint64 recordId, const CoverPicture& picture)
{
    connection.beginWrite();
    auto statement = connection.prepare(QStringLiteral(
        "insert or replace into quelto_covers (record_id, picture, format, width, height) values (?, ?, ?, ?, ?)"));
    statement->bindInt64(1, recordId);
    statement->bind(2, picture.bytes());
    statement->bind(3, picture.format());
    statement->bindInt64(4, picture.size().width());
    statement->bindInt64(5, picture.size().height());
    statement->step();
}

void CoverStore::remove(catalog::SqliteConnection& connection, qint64 recordId)
{
    if (!CollectorSchema::hasTable(connection, CollectorSchema::CoversTable))
        return;
    connection.beginWrite();
    auto statement = connection.prepare(QStringLiteral("delete from quelto_covers where record_id = ?"));
    statement->bindInt64(1, recordId);
    statement->step();
}

QSet<qint64> CoverStore::withCovers(catalog::SqliteConnection& connection)
{
    QSet<qint64> ids;
    try {
        auto query = connection.prepare(QStringLiteral("select record_id from quelto_covers"));
        while (query->step())
            ids.insert(query->int64(0));
    } catch (const EngineError&) {
    }
    return ids;
}

int CoverStore::removeOrphans(catalog::SqliteConnection& connection)
{
    if (!CollectorSchema::hasTable(connection, CollectorSchema::CoversTable))
        return 0;
    connection.beginWrite();
    connection.exec(QStringLiteral(
        "delete from quelto_covers where record_id not in (select quelto_id from archive where quelto_id is not null)"));
    return connection.changes();
}

} // namespace quelto::collection
