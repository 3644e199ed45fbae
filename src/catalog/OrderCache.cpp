#include "catalog/OrderCache.h"

#include "catalog/SqliteConnection.h"

#include <algorithm>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelto::catalog {

OrderCache& OrderCache::shared()
{
    static OrderCache cache;
    return cache;
}

std::optional<OrderCache::Stamp> OrderCache::stampOf(SqliteConnection& connection, bool beforeAnyWrite)
{
    sqlite3* db = connection.handle();
    if (!beforeAnyWrite && sqlite3_txn_state(db, "main") == SQLITE_TXN_WRITE)
        return {};
    const char* file = sqlite3_db_filename(db, "main");
    if (!file || !*file)
        return {};
    const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    unsigned char header[100] = {};
    struct stat info {};
    const bool read = ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header) && ::fstat(fd, &info) == 0;
    ::close(fd);
    // Read and write versions 2: WAL mode.
    if (!read || header[18] == 2 || header[19] == 2)
        return {};
    const auto big = [&](int at) {
        return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16 |
               std::uint32_t(header[at + 2]) << 8 | header[at + 3];
    };
    Stamp stamp;
    stamp.device = std::uint64_t(info.st_dev);
    stamp.inode = std::uint64_t(info.st_ino);
    stamp.changeCounter = big(24);
    stamp.pages = big(28);
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}

std::shared_ptr<const OrderCache::Keys> OrderCache::keys(const Stamp& stamp) const
{
    std::lock_guard lock(m_mutex);
    for (const Snapshot& s : m_files) {
        if (s.stamp == stamp)
            return s.keys;
    }
    return {};
}

std::shared_ptr<const OrderCache::Positions> OrderCache::order(const Stamp& stamp, const QString& signature) const
{
    std::lock_guard lock(m_mutex);
    for (Snapshot& s : m_files) {
        if (s.stamp == stamp) {
            const auto it = s.orders.find(signature);
            if (it == s.orders.end())
                return nullptr;
            it->second.used = ++m_uses;
            return it->second.positions;
        }
    }
    return {};
}

std::vector<QString> OrderCache::keptOrders(const Stamp& stamp) const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<std::uint64_t, QString>> kept;
    for (const Snapshot& s : m_files) {
        if (s.stamp == stamp) {
            for (const auto& [signature, order] : s.orders)
                kept.emplace_back(order.used, signature);
        }
    }
    std::sort(kept.begin(), kept.end());
    std::vector<QString> signatures;
    for (auto& entry : kept)
        signatures.push_back(std::move(entry.second));
    return signatures;
}

std::optional<std::int64_t> OrderCache::count(const Stamp& stamp) const
{
    const std::shared_ptr<const Keys> known = keys(stamp);
    if (!known)
        return {};
    return std::int64_t(known->size());
}

void OrderCache::storeKeys(const Stamp& stamp, std::shared_ptr<const Keys> keys)
{
    std::lock_guard lock(m_mutex);
    // The same state of the file keeps the orders found on it (each order's
    // pass stores the keys again); an older state goes, and so does the least
    // recently used file.
    const auto same = std::find_if(m_files.begin(), m_files.end(), [&](const Snapshot& s) { return s.stamp == stamp; });
    if (same != m_files.end()) {
        Snapshot kept = std::move(*same);
        m_files.erase(same);
        if (!kept.keys || kept.keys->size() != keys->size()) {
            kept.keys = std::move(keys);
            kept.orders.clear(); // positions into other keys
        }
        m_files.insert(m_files.begin(), std::move(kept));
        return;
    }
    std::erase_if(m_files, [&](const Snapshot& s) {
        return s.stamp.device == stamp.device && s.stamp.inode == stamp.inode;
    });
    Snapshot snapshot;
    snapshot.stamp = stamp;
    snapshot.keys = std::move(keys);
    m_files.insert(m_files.begin(), std::move(snapshot));
    if (m_files.size() > KeptFiles)
        m_files.resize(KeptFiles);
}

void OrderCache::storeOrder(const Stamp& stamp, const QString& signature, std::shared_ptr<const Positions> order)
{
    std::lock_guard lock(m_mutex);
    for (Snapshot& s : m_files) {
        if (s.stamp != stamp)
            continue;
        s.orders[signature] = KeptPositions{std::move(order), ++m_uses};
        const auto bytes = [&s] {
            size_t sum = 0;
            for (const auto& kept : s.orders)
                sum += kept.second.positions ? kept.second.positions->size() * sizeof(std::uint32_t) : 0;
            return sum;
        };
        // The least recently used go, never the one just stored.
        while (s.orders.size() > 1 && (s.orders.size() > KeptOrders || bytes() > OrderBytes)) {
            auto oldest = s.orders.begin();
            for (auto it = s.orders.begin(); it != s.orders.end(); ++it) {
                if (it->second.used < oldest->second.used)
                    oldest = it;
            }
            s.orders.erase(oldest);
        }
        return;
    }
}

void OrderCache::clear()
{
    std::lock_guard lock(m_mutex);
    m_files.clear();
}

} // namespace quelto::catalog
