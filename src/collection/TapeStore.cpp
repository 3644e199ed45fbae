#include "collection/TapeStore.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"

namespace quelto::collection {

using catalog::EngineError;

std::optional<int> TapeStore::length(catalog::SqliteConnection& connection, const QString& mediaId)
{
    try {
        auto query = connection.prepare(QStringLiteral(
            "select length_minutes from quelto_tapes where catalog = ? and length_minutes is not null order by rowid desc"));
        query->bind(1, mediaId);
        if (query->step())
            return int(query->int64(0));
    } catch (const EngineError&) {
        // No tape lengths in this file yet.
    }
    return std::nullopt;
}

QHash<QString, int> TapeStore::lengths(catalog::SqliteConnection& connection)
{
    QHash<QString, int> out;
    try {
        auto query = connection.prepare(
            QStringLiteral("select catalog, length_minutes from quelto_tapes where length_minutes is not null order by rowid"));
        while (query->step())
            out.insert(query->value(0).toString(), int(query->int64(1)));
    } catch (const EngineError&) {
    }
    return out;
}

void TapeStore::setLength(catalog::SqliteConnection& connection, const QString& mediaId, std::optional<int> minutes)
{
    connection.beginWrite();
    auto remove = connection.prepare(QStringLiteral("delete from quelto_tapes where catalog = ?"));
    remove->bind(1, mediaId);
    remove->step();
    if (!minutes)
        return;
    auto insert = connection.prepare(QStringLiteral("insert into quelto_tapes (catalog, length_minutes) values (?, ?)"));
    insert->bind(1, mediaId);
    insert->bindInt64(2, *minutes);
    insert->step();
}

} // namespace quelto::collection
