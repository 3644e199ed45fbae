#pragma once

#include "catalog/ArchiveQueryPlan.h"
#include "catalog/OrderCache.h"
#include "catalog/OrderKeys.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::catalog {

class SqliteConnection;

// The passes over archive that ArchiveQuery makes: every row's key, whether
// it passes the filter's like tests, and its order keys, in the table's own
// order. A large table is read in two halves at once, the second on a
// connection of its own, when both see the file as it stands.
class ArchiveScan
{
public:
    struct Request
    {
        QStringList filterColumns;                  // as the table names them
        const ArchiveQueryPlan::Filter* filter = nullptr;
        QStringList orderColumns;
        std::vector<OrderKeys::Column> order;
        qint64 expectedRows = 0;
        tasks::TaskControl* control = nullptr;
        // With a filter that lets few rows through: only those get order
        // keys, and the order found is theirs alone (see Result::ordered).
        // Whether few pass is judged on the first rows of each half.
        bool orderPassingOnly = false;
    };
    struct Result
    {
        std::vector<std::int64_t> keys;
        std::vector<char> match; // empty without a filter
        std::unique_ptr<OrderKeys> order; // none without an order
        // The rows' positions in order, when the scan has sorted them already
        // (each half on its own thread, then merged).
        std::optional<std::vector<uint32_t>> sorted;
        // Empty when the order holds every row; else the position in keys of
        // each row it holds, as order() and sorted number them.
        std::vector<uint32_t> ordered;
    };

    // From how many rows on a table is read in halves (50,000).
    static void setHalvesFrom(qint64 rows);
    // On how many first rows orderPassingOnly judges (4096).
    static void setPassingSample(qint64 rows);

    // The whole table; the stamp (when the file can be shared) lets it read
    // in halves.
    static Result full(SqliteConnection& connection, const Request& request,
                       const std::optional<OrderCache::Stamp>& stamp);
    // The filter alone, row i being keys[i]; false when the table does not
    // hold those rows.
    static bool filterOnly(SqliteConnection& connection, const Request& request, const OrderCache::Keys& keys,
                           std::vector<char>& match, const std::optional<OrderCache::Stamp>& stamp);

private:
    static Result range(SqliteConnection& connection, const Request& request, qint64 first, qint64 last,
                        bool reportProgress);
};

} // namespace quelto::catalog
