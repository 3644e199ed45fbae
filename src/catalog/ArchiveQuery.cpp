#include "catalog/ArchiveQuery.h"

#include "catalog/ArchiveQueryPlan.h"
#include "catalog/ArchiveScan.h"
#include "catalog/ColumnValues.h"
#include "catalog/EngineError.h"
#include "catalog/LikePattern.h"
#include "catalog/OrderCache.h"
#include "catalog/OrderKeys.h"
#include "catalog/ReadTransaction.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "tasks/TaskControl.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <sqlite3.h>

namespace quelto::catalog {
namespace {

using Plan = ArchiveQueryPlan;
constexpr int CheckEvery = 8192; // rows between looks at Cancel

// The columns of archive: name as declared, by lower-case name.
QHash<QString, QString> archiveColumns(SqliteConnection& connection)
{
    QHash<QString, QString> columns;
    auto info = connection.prepare(QStringLiteral("pragma table_info(archive)"));
    while (info->step()) {
        const QString name = info->value(1).toString();
        columns.insert(name.toLower(), name);
    }
    return columns;
}

template <typename Collation = OrderKeys::Collation>
std::optional<Collation> collationOf(SqliteConnection& connection, const QString& column)
{
    const char* collation = nullptr;
    const QByteArray name = column.toUtf8();
    if (sqlite3_table_column_metadata(connection.handle(), "main", "archive", name.constData(), nullptr, &collation,
                                      nullptr, nullptr, nullptr) != SQLITE_OK ||
        !collation)
        return {};
    const QString c = QString::fromUtf8(collation).toUpper();
    if (c == QLatin1String("NOCASE"))
        return Collation::Western;
    if (c == QLatin1String("BINARY"))
        return Collation::Binary;
    if (c == QLatin1String("RTRIM"))
        return Collation::Rtrim;
    return {}; // a collation of another program's: SQLite's to apply
}

void reportProgress(tasks::TaskControl* control, qint64 done, qint64 total)
{
    if (!control)
        return;
    control->throwIfCancelled();
    control->setProgress(done, total);
}

// Which keys (sorted, as the table holds them) a filter SQLite evaluates lets through.
std::vector<char> sqlMatches(SqliteConnection& connection, const QString& where, const OrderCache::Keys& keys)
{
    auto query = connection.prepare(QStringLiteral("select rowid from archive where ") + where);
    std::vector<qint64> found;
    while (query->step())
        found.push_back(query->int64(0));
    std::sort(found.begin(), found.end());
    std::vector<char> match(keys.size(), 0);
    size_t f = 0;
    for (size_t i = 0; i < keys.size() && f < found.size(); ++i) {
        while (f < found.size() && found[f] < keys[i])
            ++f;
        if (f < found.size() && found[f] == keys[i])
            match[i] = 1;
    }
    return match;
}

class RowsQuery
{
public:
    RowsQuery(SqliteConnection& connection, const Plan& plan, tasks::TaskControl* control)
        : m_connection(connection), m_plan(plan)
    {
        m_request.filter = m_plan.filter ? &*m_plan.filter : nullptr;
        m_request.control = control;
    }

    std::optional<std::vector<qint64>> run()
    {
        const QHash<QString, QString> columns = archiveColumns(m_connection);
        if (columns.isEmpty())
            return {};
        for (const QString& c : m_plan.filterColumns()) {
            if (!columns.contains(c.toLower()))
                return {}; // SQLite names the unknown column
            m_request.filterColumns << columns.value(c.toLower());
        }
        for (const Plan::OrderTerm& term : m_plan.order) {
            if (!columns.contains(term.column.toLower()))
                return {};
            const std::optional<OrderKeys::Collation> collation = collationOf(m_connection, term.column);
            if (!collation)
                return {};
            m_request.orderColumns << columns.value(term.column.toLower());
            m_request.order.push_back({*collation, term.descending, false});
        }

        ReadTransaction transaction(m_connection);
        auto touch = m_connection.prepare(QStringLiteral("select count(*) from sqlite_master"));
        touch->step(); // the read lock: from here on the file holds still
        touch.reset();
        const std::optional<OrderCache::Stamp> stamp = OrderCache::stampOf(m_connection);
        const QString signature = m_plan.orderSignature();
        OrderCache& cache = OrderCache::shared();
        std::shared_ptr<const OrderCache::Keys> keys = stamp ? cache.keys(*stamp) : nullptr;
        std::shared_ptr<const OrderCache::Positions> positions;
        if (keys && !m_plan.order.empty())
            positions = cache.order(*stamp, signature);

        std::vector<char> match;
        if (keys && (m_plan.order.empty() || positions)) {
            m_request.expectedRows = qint64(keys->size());
            if (m_plan.filter && !ArchiveScan::filterOnly(m_connection, m_request, *keys, match, stamp)) {
                // The table did not hold what the stamp promised: start afresh.
                cache.clear();
                keys.reset();
            }
        }
        if (!keys || (!m_plan.order.empty() && !positions)) {
            m_request.expectedRows = estimate();
            for (size_t c = 0; c < m_request.order.size(); ++c)
                m_request.order[c].fewValues = hasFewValues(m_request.orderColumns[int(c)]);
            // A filter that lets few rows through puts only those in order:
            // a few found need no key for every title. The order is kept
            // for later commands only when it holds every row, so columns
            // of few values, cheap to order, order every row.
            m_request.orderPassingOnly =
                m_plan.filter.has_value() && std::any_of(m_request.order.begin(), m_request.order.end(),
                                                         [](const OrderKeys::Column& c) { return !c.fewValues; });
            ArchiveScan::Result scanned = ArchiveScan::full(m_connection, m_request, stamp);
            auto known = std::make_shared<OrderCache::Keys>(std::move(scanned.keys));
            match = std::move(scanned.match);
            if (!m_plan.sqlFilter.isEmpty())
                passSql(match, *known);
            // The file is let go before the sort: what it needs has been read.
            transaction.finish();
            bool wholeOrder = true;
            if (scanned.order || scanned.sorted) {
                if (m_request.control) {
                    m_request.control->throwIfCancelled();
                    m_request.control->setProgress(qint64(known->size()), qint64(known->size()));
                }
                OrderCache::Positions found = scanned.sorted ? std::move(*scanned.sorted) : scanned.order->order();
                wholeOrder = scanned.ordered.empty();
                if (!wholeOrder) { // positions among the ordered rows to positions among all
                    for (uint32_t& p : found)
                        p = scanned.ordered[p];
                }
                positions = std::make_shared<OrderCache::Positions>(std::move(found));
            }
            keys = known;
            if (stamp) {
                cache.storeKeys(*stamp, keys);
                if (positions && wholeOrder)
                    cache.storeOrder(*stamp, m_plan.orderSignature(), positions);
            }
        } else if (!m_plan.sqlFilter.isEmpty()) {
            passSql(match, *keys);
        }

        return positions ? inOrder(*keys, *positions, match) : passing(*keys, match);
    }

    static size_t passCount(const std::vector<char>& match)
    {
        return size_t(std::count_if(match.begin(), match.end(), [](char m) { return m != 0; }));
    }

    // The keys that pass, in the table's order.
    static std::vector<qint64> passing(const OrderCache::Keys& keys, const std::vector<char>& match)
    {
        if (match.empty())
            return {keys.begin(), keys.end()};
        std::vector<qint64> result;
        result.reserve(passCount(match));
        for (size_t i = 0; i < keys.size(); ++i) {
            if (match[i])
                result.push_back(keys[i]);
        }
        return result;
    }

    // The keys that pass, in an order's positions. The positions jump about
    // a table of megabytes: each key is asked for well before it is taken,
    // so that a million of them cost a copy rather than a million misses.
    static std::vector<qint64> inOrder(const OrderCache::Keys& keys, const OrderCache::Positions& positions,
                                       const std::vector<char>& match)
    {
        constexpr size_t Ahead = 24;
        const size_t n = positions.size();
        const auto fetch = [&](size_t i) {
            if (i < n) {
                __builtin_prefetch(keys.data() + positions[i]);
                if (!match.empty())
                    __builtin_prefetch(match.data() + positions[i]);
            }
        };
        for (size_t i = 0; i < Ahead; ++i)
            fetch(i);
        std::vector<qint64> result;
        if (match.empty()) {
            result.resize(n);
            for (size_t i = 0; i < n; ++i) {
                fetch(i + Ahead);
                result[i] = keys[positions[i]];
            }
            return result;
        }
        result.reserve(passCount(match));
        for (size_t i = 0; i < n; ++i) {
            fetch(i + Ahead);
            if (match[positions[i]])
                result.push_back(keys[positions[i]]);
        }
        return result;
    }

private:
    // The rows the part of the filter SQLite evaluates lets through, on top
    // of those the engine's part did.
    void passSql(std::vector<char>& match, const OrderCache::Keys& keys)
    {
        const std::vector<char> passed = sqlMatches(m_connection, m_plan.sqlFilter, keys);
        if (match.empty()) {
            match = passed;
            return;
        }
        for (size_t i = 0; i < match.size(); ++i)
            match[i] = match[i] && passed[i];
    }

    // Whether a column's values repeat much, from the first rows: a genre,
    // a year or a medium does, a title does not.
    bool hasFewValues(const QString& column) const
    {
        constexpr int Sample = 16384;
        auto statement = m_connection.prepare(
            QStringLiteral("select %1 from archive limit %2").arg(SqlTranslator::quoteName(column)).arg(Sample));
        ColumnValues values(ColumnValues::Collation::Binary);
        int rows = 0;
        while (statement->step()) {
            values.add(statement->handle(), 0);
            ++rows;
        }
        return values.count() <= uint32_t(rows / 8 + 16);
    }

    // About how many rows there are: the highest key, found at once.
    qint64 estimate() const
    {
        auto highest = m_connection.prepare(QStringLiteral("select max(rowid) from archive"));
        return highest->step() ? std::min<qint64>(highest->int64(0), qint64(1) << 26) : 0;
    }

    SqliteConnection& m_connection;
    const Plan& m_plan;
    ArchiveScan::Request m_request;
};

} // namespace

std::optional<std::vector<qint64>> ArchiveQuery::keys(SqliteConnection& connection, const QString& translatedSql,
                                                      tasks::TaskControl* control)
{
    const std::optional<Plan> plan = Plan::parse(translatedSql);
    if (!plan || plan->kind != Plan::Kind::Rows)
        return {};
    return RowsQuery(connection, *plan, control).run();
}

std::optional<std::vector<QVariant>> ArchiveQuery::groupValues(SqliteConnection& connection,
                                                               const QString& translatedSql,
                                                               tasks::TaskControl* control)
{
    const std::optional<Plan> plan = Plan::parse(translatedSql);
    if (!plan || plan->kind != Plan::Kind::Distinct)
        return {};
    const QHash<QString, QString> columns = archiveColumns(connection);
    const QString column = columns.value(plan->distinctColumn.toLower());
    if (column.isEmpty())
        return {};
    const std::optional<ColumnValues::Collation> collation = collationOf<ColumnValues::Collation>(connection, column);
    if (!collation)
        return {};
    ReadTransaction transaction(connection);
    auto statement = connection.prepare(QStringLiteral("select %1 from archive").arg(SqlTranslator::quoteName(column)));
    ColumnValues values(*collation);
    bool withNull = false;
    qint64 rows = 0;
    while (statement->step()) {
        if (rows++ % CheckEvery == 0)
            reportProgress(control, rows, 0);
        withNull = values.add(statement->handle(), 0) == 0 || withNull;
    }
    const bool descending = !plan->order.empty() && plan->order.front().descending;
    const std::vector<uint32_t> rank = values.ranks(descending);
    // The first value met of each rank stands for its group.
    std::vector<int64_t> first;
    for (uint32_t number = withNull ? 0 : 1; number < values.count(); ++number) {
        if (rank[number] >= first.size())
            first.resize(rank[number] + 1, -1);
        if (first[rank[number]] < 0)
            first[rank[number]] = number;
    }
    std::vector<QVariant> out;
    for (const int64_t number : first) {
        if (number < 0)
            continue;
        out.push_back(values.variant(uint32_t(number)));
    }
    return out;
}

std::optional<qint64> ArchiveQuery::knownCount(SqliteConnection& connection)
{
    ReadTransaction transaction(connection);
    auto touch = connection.prepare(QStringLiteral("select count(*) from sqlite_master"));
    touch->step();
    touch.reset();
    const std::optional<OrderCache::Stamp> stamp = OrderCache::stampOf(connection);
    if (!stamp)
        return {};
    return OrderCache::shared().count(*stamp);
}

} // namespace quelto::catalog
