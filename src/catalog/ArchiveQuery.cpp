#include "catalog/ArchiveQuery.h"

#include "catalog/ArchiveQueryPlan.h"
#include "catalog/ColumnValues.h"
#include "catalog/EngineError.h"
#include "catalog/LikePattern.h"
#include "catalog/OrderCache.h"
#include "catalog/OrderKeys.h"
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

// A read transaction for the length of a query, unless one is under way:
// every statement of the query sees the same file.
class ReadTransaction
{
public:
    explicit ReadTransaction(SqliteConnection& c) : m_connection(c.inTransaction() ? nullptr : &c)
    {
        if (m_connection)
            m_connection->exec(QStringLiteral("begin"));
    }
    ~ReadTransaction() { finish(); }
    // Ends it early: what is to be read has been read.
    void finish()
    {
        if (m_connection && m_connection->inTransaction()) {
            try {
                m_connection->exec(QStringLiteral("commit"));
            } catch (const EngineError&) {
            }
        }
        m_connection = nullptr;
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    SqliteConnection* m_connection;
};

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

// The filter compiled against the columns of one scan statement.
struct CompiledFilter
{
    Plan::Filter::Kind kind;
    int column = -1;
    const LikePattern* pattern = nullptr;
    std::vector<CompiledFilter> parts;

    bool matches(sqlite3_stmt* row) const
    {
        switch (kind) {
        case Plan::Filter::Kind::Like: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
            return text && pattern->matches({text, size_t(sqlite3_column_bytes(row, column))});
        }
        case Plan::Filter::Kind::And:
            return std::all_of(parts.begin(), parts.end(), [row](const CompiledFilter& p) { return p.matches(row); });
        case Plan::Filter::Kind::Or:
            return std::any_of(parts.begin(), parts.end(), [row](const CompiledFilter& p) { return p.matches(row); });
        }
        return false;
    }
};

CompiledFilter compile(const Plan::Filter& filter, const QStringList& columns, int firstColumn)
{
    CompiledFilter compiled;
    compiled.kind = filter.kind;
    if (filter.kind == Plan::Filter::Kind::Like) {
        for (int i = 0; i < columns.size(); ++i) {
            if (columns[i].compare(filter.column, Qt::CaseInsensitive) == 0)
                compiled.column = firstColumn + i;
        }
        compiled.pattern = filter.pattern.get();
        return compiled;
    }
    for (const Plan::Filter& part : filter.parts)
        compiled.parts.push_back(compile(part, columns, firstColumn));
    return compiled;
}

QString columnList(const QStringList& columns)
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << SqlTranslator::quoteName(c);
    return quoted.join(u',');
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
        : m_connection(connection), m_plan(plan), m_control(control)
    {
    }

    std::optional<std::vector<qint64>> run()
    {
        const QHash<QString, QString> columns = archiveColumns(m_connection);
        if (columns.isEmpty())
            return {};
        for (const QString& c : m_plan.filterColumns()) {
            if (!columns.contains(c.toLower()))
                return {}; // SQLite names the unknown column
            m_filterColumns << columns.value(c.toLower());
        }
        for (const Plan::OrderTerm& term : m_plan.order) {
            if (!columns.contains(term.column.toLower()))
                return {};
            const std::optional<OrderKeys::Collation> collation = collationOf(m_connection, term.column);
            if (!collation)
                return {};
            m_orderColumns << columns.value(term.column.toLower());
            m_collations.push_back(*collation);
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
        if (!keys || (!m_plan.order.empty() && !positions)) {
            fullPass(match, keys, positions, transaction);
            if (stamp) {
                cache.storeKeys(*stamp, keys);
                if (positions)
                    cache.storeOrder(*stamp, signature, positions);
            }
        } else if (m_plan.filter) {
            if (!filterPass(*keys, match)) {
                // The table did not hold what the stamp promised: start afresh.
                cache.clear();
                keys.reset();
                positions.reset();
                fullPass(match, keys, positions, transaction);
            }
        }
        if (!m_plan.sqlFilter.isEmpty() && !m_sqlMatched)
            match = sqlMatches(m_connection, m_plan.sqlFilter, *keys);

        std::vector<qint64> result;
        const size_t n = keys->size();
        const auto take = [&](size_t i) {
            if (match.empty() || match[i])
                result.push_back((*keys)[i]);
        };
        if (positions) {
            for (const uint32_t p : *positions)
                take(p);
        } else {
            for (size_t i = 0; i < n; ++i)
                take(i);
        }
        return result;
    }

private:
    // One pass reading the keys, the filter's columns and the order's.
    // The file is let go before the sort: what the sort needs has been read.
    void fullPass(std::vector<char>& match, std::shared_ptr<const OrderCache::Keys>& keysOut,
                  std::shared_ptr<const OrderCache::Positions>& positionsOut, ReadTransaction& transaction)
    {
        QStringList read = m_filterColumns;
        read += m_orderColumns;
        auto statement = m_connection.prepare(QStringLiteral("select rowid%1%2 from archive")
                                                  .arg(read.isEmpty() ? QString() : QStringLiteral(","),
                                                       columnList(read)));
        sqlite3_stmt* row = statementHandle(*statement);
        const int orderFirst = 1 + int(m_filterColumns.size());
        std::optional<CompiledFilter> filter;
        if (m_plan.filter)
            filter = compile(*m_plan.filter, m_filterColumns, 1);
        const qint64 expected = estimate();
        std::vector<OrderKeys::Column> how;
        for (size_t c = 0; c < m_collations.size(); ++c)
            how.push_back({m_collations[c], m_plan.order[c].descending, hasFewValues(m_orderColumns[int(c)])});
        OrderKeys order(how, m_orderColumns.isEmpty() ? 0 : size_t(expected));
        auto keys = std::make_shared<OrderCache::Keys>();
        keys->reserve(size_t(expected));
        if (filter)
            match.reserve(size_t(expected));
        while (statement->step()) {
            if (keys->size() % CheckEvery == 0)
                reportProgress(m_control, qint64(keys->size()), expected);
            keys->push_back(sqlite3_column_int64(row, 0));
            if (filter)
                match.push_back(filter->matches(row) ? 1 : 0);
            if (!how.empty())
                order.addRow(row, orderFirst);
        }
        statement.reset();
        if (!m_plan.sqlFilter.isEmpty()) {
            match = sqlMatches(m_connection, m_plan.sqlFilter, *keys);
            m_sqlMatched = true;
        }
        transaction.finish();
        if (!how.empty()) {
            reportProgress(m_control, qint64(keys->size()), qint64(keys->size()));
            positionsOut = std::make_shared<OrderCache::Positions>(order.order());
        }
        keysOut = std::move(keys);
    }

    // A pass over the filter's columns alone, row i being the i-th key.
    bool filterPass(const OrderCache::Keys& keys, std::vector<char>& match)
    {
        auto statement = m_connection.prepare(QStringLiteral("select %1 from archive").arg(columnList(m_filterColumns)));
        sqlite3_stmt* row = statementHandle(*statement);
        const CompiledFilter filter = compile(*m_plan.filter, m_filterColumns, 0);
        match.assign(keys.size(), 0);
        size_t i = 0;
        while (statement->step()) {
            if (i >= keys.size())
                return false;
            if (i % CheckEvery == 0)
                reportProgress(m_control, qint64(i), qint64(keys.size()));
            match[i++] = filter.matches(row) ? 1 : 0;
        }
        return i == keys.size();
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

    static sqlite3_stmt* statementHandle(SqliteStatement& statement) { return statement.handle(); }

    SqliteConnection& m_connection;
    const Plan& m_plan;
    tasks::TaskControl* m_control;
    QStringList m_filterColumns;
    QStringList m_orderColumns;
    std::vector<OrderKeys::Collation> m_collations;
    bool m_sqlMatched = false;
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
