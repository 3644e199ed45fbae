#include "collection/SourceStore.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"

#include <QUrl>

namespace quelto::collection {

using catalog::EngineError;

namespace {

bool hasTable(catalog::SqliteConnection& connection) { return CollectorSchema::hasTable(connection, SourceStore::Table); }

} // namespace

RecordSource SourceStore::load(catalog::SqliteConnection& connection, qint64 recordId)
{
    if (recordId <= 0 || !hasTable(connection))
        return {};
    auto query = connection.prepare(QStringLiteral("select address, cast_roles from quelto_sources where record_id = ?"));
    query->bindInt64(1, recordId);
    if (!query->step())
        return {};
    return {query->value(0).toString(), CastRoles::decode(query->value(1).toString())};
}

QHash<qint64, RecordSource> SourceStore::all(catalog::SqliteConnection& connection)
{
    QHash<qint64, RecordSource> sources;
    if (!hasTable(connection))
        return sources;
    auto query = connection.prepare(QStringLiteral("select record_id, address, cast_roles from quelto_sources"));
    while (query->step())
        sources.insert(query->int64(0), {query->value(1).toString(), CastRoles::decode(query->value(2).toString())});
    return sources;
}

void SourceStore::ensureTable(catalog::SqliteConnection& connection)
{
    if (hasTable(connection))
        return;
    connection.beginWrite();
    connection.exec(QStringLiteral(
        "create table if not exists quelto_sources (record_id INTEGER PRIMARY KEY, address TEXT, cast_roles TEXT)"));
}

void SourceStore::store(catalog::SqliteConnection& connection, qint64 recordId, const RecordSource& source)
{
    if (recordId <= 0)
        throw EngineError(QStringLiteral("A record's source needs its identity."));
    const QString address = keptAddress(source.address);
    const QString cast = CastRoles::encode(source.cast);
    if (address.isEmpty() && cast.isEmpty()) {
        remove(connection, recordId);
        return;
    }
    ensureTable(connection);
    connection.beginWrite();
    auto statement = connection.prepare(
        QStringLiteral("insert or replace into quelto_sources (record_id, address, cast_roles) values (?, ?, ?)"));
    statement->bindInt64(1, recordId);
    statement->bind(2, address.isEmpty() ? QVariant() : QVariant(address));
    statement->bind(3, cast.isEmpty() ? QVariant() : QVariant(cast));
    statement->step();
}

void SourceStore::remove(catalog::SqliteConnection& connection, qint64 recordId)
{
    if (!hasTable(connection))
        return;
    connection.beginWrite();
    auto statement = connection.prepare(QStringLiteral("delete from quelto_sources where record_id = ?"));
    statement->bindInt64(1, recordId);
    statement->step();
}

QString SourceStore::keptAddress(const QString& address)
{
    const QString text = address.trimmed();
    if (text.isEmpty() || text.size() > MaxAddressLength)
        return {};
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return {};
    return url.toString(QUrl::FullyEncoded);
}

} // namespace quelto::collection
