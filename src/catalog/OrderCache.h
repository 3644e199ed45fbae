#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace quelto::catalog {

class SqliteConnection;

// What a scan of archive learnt, kept while the file stays as it was, and
// shared by every connection of the program to the same file: the rows' keys
// in the table's own order, and the orders computed on them (positions into
// those keys). So the window's next search or sort does not sort again, and
// a filter only has to find its rows.
//
// A file is "as it was" while its change counter (which every committed
// change raises), its identity on disk and its times are the same. Nothing is kept for
// a connection with a change of its own under way, nor for a file in WAL
// mode, whose changes the counter does not show.
class OrderCache
{
public:
    struct Stamp
    {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint32_t changeCounter = 0;
        std::uint32_t pages = 0;
        // When the file was last written and its entry last changed: another
        // file in the same place (a new one taking the number of one removed,
        // a copy put back over it) may have the same number, counter and size.
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    using Keys = std::vector<std::int64_t>;
    using Positions = std::vector<std::uint32_t>;

    struct KeptPositions
    {
        std::shared_ptr<const Positions> positions;
        std::uint64_t used = 0; // when last stored or asked for
    };
    struct Snapshot
    {
        Stamp stamp;
        std::shared_ptr<const Keys> keys; // in the table's order
        std::map<QString, KeptPositions> orders;
    };

    static OrderCache& shared();

    // The stamp of the file as the connection reads it now; none when the
    // connection's view cannot be shared (a change under way, WAL mode).
    // Call it inside a read transaction that has read the file.
    // beforeAnyWrite: the connection's write transaction has not written yet.
    static std::optional<Stamp> stampOf(SqliteConnection& connection, bool beforeAnyWrite = false);

    // The keys and an order of the file at that stamp, if known.
    std::shared_ptr<const Keys> keys(const Stamp& stamp) const;
    std::shared_ptr<const Positions> order(const Stamp& stamp, const QString& signature) const;
    void storeKeys(const Stamp& stamp, std::shared_ptr<const Keys> keys);
    void storeOrder(const Stamp& stamp, const QString& signature, std::shared_ptr<const Positions> order);
    // The number of records at that stamp, if a scan has counted them.
    std::optional<std::int64_t> count(const Stamp& stamp) const;
    void clear();
    // The signatures of the orders kept for that stamp, the least recently used first.
    std::vector<QString> keptOrders(const Stamp& stamp) const;

    // At most this many orders a file, and at most OrderBytes of them
    // together: beyond either, the order used least recently goes.
    static constexpr size_t KeptOrders = 12;
    static constexpr size_t OrderBytes = 48u << 20;

private:
    static constexpr size_t KeptFiles = 2;

    mutable std::mutex m_mutex;
    mutable std::uint64_t m_uses = 0;
    mutable std::vector<Snapshot> m_files; // most recently used first
};

} // namespace quelto::catalog
