#include "catalog/ArchiveScan.h"

#include "catalog/EngineError.h"
#include "catalog/LikePattern.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "tasks/TaskControl.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <numeric>
#include <string_view>
#include <sqlite3.h>
#include <thread>

namespace quelto::catalog {
namespace {

using Filter = ArchiveQueryPlan::Filter;
constexpr int CheckEvery = 8192;            // rows between looks at Cancel
std::atomic<qint64> halvesFrom{50000}; // rows: worth a second thread
std::atomic<qint64> passingSample{4096};

// The filter compiled against the columns of one scan statement.
struct CompiledFilter
{
    Filter::Kind kind = Filter::Kind::Like;
    int column = -1;
    bool trimmed = false;
    const LikePattern* pattern = nullptr;
    std::vector<CompiledFilter> parts;

    bool matches(sqlite3_stmt* row) const
    {
        switch (kind) {
        case Filter::Kind::Like: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
            if (!text)
                return false;
            std::string_view value(text, size_t(sqlite3_column_bytes(row, column)));
            if (trimmed) {
                while (!value.empty() && value.front() == ' ')
                    value.remove_prefix(1);
                while (!value.empty() && value.back() == ' ')
                    value.remove_suffix(1);
            }
            return pattern->matches(value);
        }
        case Filter::Kind::And:
            return std::all_of(parts.begin(), parts.end(), [row](const CompiledFilter& p) { return p.matches(row); });
        case Filter::Kind::Or:
            return std::any_of(parts.begin(), parts.end(), [row](const CompiledFilter& p) { return p.matches(row); });
        }
        return false;
    }
};

CompiledFilter compile(const Filter& filter, const QStringList& columns, int firstColumn)
{
    CompiledFilter compiled;
    compiled.kind = filter.kind;
    if (filter.kind == Filter::Kind::Like) {
        for (int i = 0; i < columns.size(); ++i) {
            if (columns[i].compare(filter.column, Qt::CaseInsensitive) == 0)
                compiled.column = firstColumn + i;
        }
        compiled.pattern = filter.pattern.get();
        compiled.trimmed = filter.trimmed;
        return compiled;
    }
    for (const Filter& part : filter.parts)
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

void look(tasks::TaskControl* control, bool report, qint64 done, qint64 total)
{
    if (!control)
        return;
    control->throwIfCancelled();
    if (report)
        control->setProgress(done, total);
}

// An order that held every row so far names each of them (ArchiveScan::Result::ordered).
void numberEveryRow(std::vector<uint32_t>& ordered, size_t rows)
{
    if (!ordered.empty())
        return;
    ordered.resize(rows);
    std::iota(ordered.begin(), ordered.end(), 0U);
}

qint64 scalar(SqliteConnection& connection, const QString& sql)
{
    auto statement = connection.prepare(sql);
    return statement->step() ? statement->int64(0) : 0;
}

} // namespace

ArchiveScan::Result ArchiveScan::range(SqliteConnection& connection, const Request& request, qint64 first,
                                       qint64 last, bool reportProgress)
{
    QStringList read = request.filterColumns;
    read += request.orderColumns;
    auto statement = connection.prepare(QStringLiteral("select rowid%1%2 from archive where rowid between ?1 and ?2")
                                            .arg(read.isEmpty() ? QString() : QStringLiteral(","), columnList(read)));
    statement->bindInt64(1, first);
    statement->bindInt64(2, last);
    sqlite3_stmt* row = statement->handle();
    const int orderFirst = 1 + int(request.filterColumns.size());
    std::optional<CompiledFilter> filter;
    if (request.filter)
        filter = compile(*request.filter, request.filterColumns, 1);
    // Nothing reserved ahead: on this machine a large block touched page by
    // page costs more than growing one.
    Result result;
    if (!request.order.empty())
        result.order = std::make_unique<OrderKeys>(request.order, 0);
    const qint64 total = request.expectedRows;
    // Every row is ordered until the sample shows that under three in four
    // pass; from then on only those that pass.
    const size_t sample = filter && request.orderPassingOnly ? size_t(passingSample.load()) : SIZE_MAX;
    bool passingOnly = false;
    size_t passed = 0;
    while (statement->step()) {
        const size_t position = result.keys.size();
        if (position % CheckEvery == 0)
            look(request.control, reportProgress, qint64(position) * (reportProgress ? 1 : 0), total);
        if (position == sample && passed * 4 < sample * 3) {
            passingOnly = true;
            numberEveryRow(result.ordered, position);
        }
        result.keys.push_back(sqlite3_column_int64(row, 0));
        const bool passes = !filter || filter->matches(row);
        if (filter)
            result.match.push_back(passes ? 1 : 0);
        passed += passes ? 1 : 0;
        if (!result.order)
            continue;
        if (!passingOnly)
            result.order->addRow(row, orderFirst);
        else if (passes) {
            result.order->addRow(row, orderFirst);
            result.ordered.push_back(uint32_t(position));
        }
    }
    return result;
}

namespace {

// Runs work(connection, first, last, isLowerHalf) on the rows in two halves at
// once, the upper half on a connection and a thread of its own; false (and
// nothing of the upper half kept) when that connection does not see the file
// as stamped.
template <typename Work>
bool inHalves(SqliteConnection& connection, const OrderCache::Stamp& stamp, qint64 middle, Work work)
{
    std::shared_ptr<SqliteConnection> other;
    try {
        other = SqliteConnection::open(connection.path(), SqliteConnection::Mode::OpenReadOnly);
    } catch (const EngineError&) {
        return false;
    }
    std::exception_ptr failure;
    bool sameFile = false;
    std::thread second([&] {
        try {
            other->exec(QStringLiteral("begin"));
            auto touch = other->prepare(QStringLiteral("select count(*) from sqlite_master"));
            touch->step();
            touch.reset();
            const std::optional<OrderCache::Stamp> seen = OrderCache::stampOf(*other);
            sameFile = seen && *seen == stamp;
            if (sameFile)
                work(*other, middle + 1, INT64_MAX, false);
            other->exec(QStringLiteral("commit"));
        } catch (...) {
            failure = std::current_exception();
        }
    });
    std::exception_ptr ownFailure;
    try {
        work(connection, INT64_MIN, middle, true);
    } catch (...) {
        ownFailure = std::current_exception();
    }
    second.join();
    if (ownFailure)
        std::rethrow_exception(ownFailure);
    if (failure)
        std::rethrow_exception(failure);
    return sameFile; // else another program changed the file between the two looks
}

bool worthHalves(const SqliteConnection& connection, qint64 rows)
{
    return rows >= halvesFrom.load() && std::thread::hardware_concurrency() > 1 && !connection.path().isEmpty();
}

} // namespace

void ArchiveScan::setHalvesFrom(qint64 rows) { halvesFrom.store(rows); }

void ArchiveScan::setPassingSample(qint64 rows) { passingSample.store(std::max<qint64>(rows, 1)); }

ArchiveScan::Result ArchiveScan::full(SqliteConnection& connection, const Request& request,
                                      const std::optional<OrderCache::Stamp>& stamp)
{
    if (stamp && worthHalves(connection, request.expectedRows)) {
        const qint64 lowest = scalar(connection, QStringLiteral("select min(rowid) from archive"));
        const qint64 highest = scalar(connection, QStringLiteral("select max(rowid) from archive"));
        const qint64 middle = lowest + qint64((quint64(highest) - quint64(lowest)) / 2);
        Result lower;
        Result upper;
        const bool read = highest > lowest &&
                          inHalves(connection, *stamp, middle, [&](SqliteConnection& c, qint64 first, qint64 last, bool isLower) {
                              Result& half = isLower ? lower : upper;
                              half = range(c, request, first, last, isLower);
                              // An order of plain keys is sorted here, both halves at once.
                              if (half.order && half.order->hasPlainKeys()) {
                                  look(request.control, false, 0, 0);
                                  half.sorted = half.order->order();
                              }
                          });
        if (read) {
            if (!lower.ordered.empty() || !upper.ordered.empty()) {
                numberEveryRow(lower.ordered, lower.keys.size());
                numberEveryRow(upper.ordered, upper.keys.size());
                lower.ordered.reserve(lower.ordered.size() + upper.ordered.size());
                for (const uint32_t position : upper.ordered)
                    lower.ordered.push_back(uint32_t(lower.keys.size()) + position);
            }
            lower.keys.insert(lower.keys.end(), upper.keys.begin(), upper.keys.end());
            lower.match.insert(lower.match.end(), upper.match.begin(), upper.match.end());
            if (lower.sorted && upper.sorted) {
                lower.sorted = OrderKeys::merge(*lower.order, *lower.sorted, *upper.order, *upper.sorted);
                lower.order.reset();
            } else if (lower.order && upper.order) {
                lower.sorted.reset();
                lower.order->append(*upper.order);
            }
            return lower;
        }
    }
    return range(connection, request, INT64_MIN, INT64_MAX, true);
}

bool ArchiveScan::filterOnly(SqliteConnection& connection, const Request& request, const OrderCache::Keys& keys,
                             std::vector<char>& match, const std::optional<OrderCache::Stamp>& stamp)
{
    match.assign(keys.size(), 0);
    // Rows first..last go to match from the position of the first of them.
    const auto pass = [&](SqliteConnection& c, qint64 first, qint64 last, bool report) {
        auto statement = c.prepare(QStringLiteral("select %1 from archive where rowid between ?1 and ?2")
                                       .arg(columnList(request.filterColumns)));
        statement->bindInt64(1, first);
        statement->bindInt64(2, last);
        sqlite3_stmt* row = statement->handle();
        const CompiledFilter filter = compile(*request.filter, request.filterColumns, 0);
        size_t i = size_t(std::lower_bound(keys.begin(), keys.end(), first) - keys.begin());
        const size_t end = size_t(std::upper_bound(keys.begin(), keys.end(), last) - keys.begin());
        size_t seen = 0;
        while (statement->step()) {
            if (i >= end)
                return false;
            if (seen++ % CheckEvery == 0)
                look(request.control, report, qint64(seen) * 2, qint64(keys.size()));
            match[i++] = filter.matches(row) ? 1 : 0;
        }
        return i == end;
    };
    if (stamp && worthHalves(connection, qint64(keys.size())) && keys.size() > 1) {
        const qint64 middle = keys[keys.size() / 2 - 1];
        bool whole[2] = {false, false};
        if (inHalves(connection, *stamp, middle, [&](SqliteConnection& c, qint64 first, qint64 last, bool isLower) {
                whole[isLower ? 0 : 1] = pass(c, first, last, isLower);
            }))
            return whole[0] && whole[1];
    }
    return pass(connection, INT64_MIN, INT64_MAX, true);
}

} // namespace quelto::catalog
