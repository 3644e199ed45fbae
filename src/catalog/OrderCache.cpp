#include "catalog/OrderCache.h"

#include "catalog/SqliteConnection.h"

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
    for (const Snapshot& s : m_files) {
        if (s.stamp == stamp) {
            const auto it = s.orders.find(signature);
            return it == s.orders.end() ? nullptr : it->second;
        }
    }
    return {};
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
    // The file's older state goes; so does the least recently used file.
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
        if (s.orders.size() >= KeptOrders && !s.orders.contains(signature))
            s.orders.erase(s.orders.begin()); // any one; the window uses one or two
        s.orders[signature] = std::move(order);
        return;
    }
}

void OrderCache::clear()
{
    std::lock_guard lock(m_mutex);
    m_files.clear();
}

} // namespace quelto::catalog
