#include "catalog/KeptOrder.h"

#include "catalog/EngineError.h"
#include "catalog/OrderCache.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

// Names of the orders kept since runs of digits sort by their value.
const QString NaturalPrefix = QStringLiteral("natural:");

// The keys in the table's order and the order as positions into them, from
// the keys in order.
void split(const std::vector<std::int64_t>& ordered, std::shared_ptr<OrderCache::Keys>& keys,
           std::shared_ptr<OrderCache::Positions>& positions)
{
    keys = std::make_shared<OrderCache::Keys>(ordered);
    std::sort(keys->begin(), keys->end());
    positions = std::make_shared<OrderCache::Positions>();
    positions->reserve(ordered.size());
    for (const std::int64_t key : ordered) {
        const auto at = std::lower_bound(keys->begin(), keys->end(), key);
        positions->push_back(std::uint32_t(at - keys->begin()));
    }
}

std::optional<OrderCache::Stamp> stampUnderReadLock(SqliteConnection& connection, bool beforeAnyWrite = false)
{
    auto touch = connection.prepare(QStringLiteral("select count(*) from sqlite_master"));
    touch->step();
    touch.reset();
    return OrderCache::stampOf(connection, beforeAnyWrite);
}

} // namespace

QString KeptOrder::openingSignature() { return QStringLiteral("title asc"); }

void KeptOrder::restore(SqliteConnection& connection)
{
    const bool ours = !connection.inTransaction();
    if (ours)
        connection.exec(QStringLiteral("begin"));
    try {
        const std::optional<OrderCache::Stamp> stamp = stampUnderReadLock(connection);
        auto kept = connection.prepare(QStringLiteral("select name, change_counter, rows, keys from %1").arg(Table));
        while (stamp && kept->step()) {
            if (kept->int64(1) != qint64(stamp->changeCounter))
                continue; // the file has changed since
            // Orders kept before numbers sorted by value are of no use.
            const QString name = kept->value(0).toString();
            if (!name.startsWith(NaturalPrefix))
                continue;
            const QString signature = name.mid(NaturalPrefix.size());
            sqlite3_stmt* row = kept->handle();
            const auto bytes = size_t(sqlite3_column_bytes(row, 3));
            if (bytes != size_t(kept->int64(2)) * 8)
                continue;
            std::vector<std::int64_t> ordered(bytes / 8);
            if (bytes)
                std::memcpy(ordered.data(), sqlite3_column_blob(row, 3), bytes);
            std::shared_ptr<OrderCache::Keys> keys;
            std::shared_ptr<OrderCache::Positions> positions;
            split(ordered, keys, positions);
            OrderCache& cache = OrderCache::shared();
            if (!cache.keys(*stamp))
                cache.storeKeys(*stamp, keys);
            cache.storeOrder(*stamp, signature, positions);
        }
    } catch (const EngineError&) {
        // No kept orders (an older file), or none that can be read: the
        // window sorts as it would anyway.
    }
    if (ours && connection.inTransaction())
        connection.exec(QStringLiteral("commit"));
}

bool KeptOrder::keep(SqliteConnection& connection, const QStringList& signatures)
{
    if (connection.inTransaction())
        return false;
    // What the cache holds for the file as it is now.
    std::optional<OrderCache::Stamp> stamp;
    {
        connection.exec(QStringLiteral("begin"));
        try {
            stamp = stampUnderReadLock(connection);
        } catch (const EngineError&) {
        }
        connection.exec(QStringLiteral("commit"));
    }
    if (!stamp)
        return false;
    OrderCache& cache = OrderCache::shared();
    const std::shared_ptr<const OrderCache::Keys> keys = cache.keys(*stamp);
    if (!keys)
        return false;
    std::vector<std::pair<QString, QByteArray>> orders;
    for (const QString& signature : signatures) {
        const std::shared_ptr<const OrderCache::Positions> positions = cache.order(*stamp, signature);
        if (!positions)
            continue;
        QByteArray blob(qsizetype(positions->size() * 8), Qt::Uninitialized);
        auto* out = reinterpret_cast<std::int64_t*>(blob.data());
        for (size_t i = 0; i < positions->size(); ++i)
            out[i] = (*keys)[(*positions)[i]];
        orders.emplace_back(signature, std::move(blob));
    }
    if (orders.empty())
        return false;

    WriteTransaction transaction(connection);
    // Nobody else can change the file while this transaction holds it; its
    // commit raises the change counter by one.
    const std::optional<OrderCache::Stamp> now = stampUnderReadLock(connection, true);
    if (!now || !(*now == *stamp))
        return false; // changed meanwhile: nothing kept is right any more
    connection.exec(QStringLiteral("create table if not exists %1 (name TEXT PRIMARY KEY, change_counter INTEGER "
                                   "NOT NULL, rows INTEGER NOT NULL, keys BLOB NOT NULL); delete from %1")
                        .arg(Table));
    auto insert = connection.prepare(QStringLiteral("insert into %1 values (?, ?, ?, ?)").arg(Table));
    for (const auto& [signature, blob] : orders) {
        insert->reset();
        insert->bind(1, NaturalPrefix + signature);
        insert->bindInt64(2, qint64(stamp->changeCounter) + 1);
        insert->bindInt64(3, blob.size() / 8);
        insert->bindBlob(4, blob);
        insert->step();
    }
    insert.reset();
    transaction.commit();
    return true;
}

} // namespace quelto::catalog
